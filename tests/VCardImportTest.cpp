// Contacts from vCard files written in the manner of several programs, broken vCard files, and a
// phone's own address book taken from a backup.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "SampleDevice.h"
#include "SamplePictures.h"
#include "Subprocess.h"
#include "TemporaryDevice.h"
#include "addressbook/ABDatabase.h"
#include "apps/CallBar.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace {

std::string base64(const std::vector<uint8_t>& bytes) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t n = bytes[i] << 16;
    if (i + 1 < bytes.size()) n |= bytes[i + 1] << 8;
    if (i + 2 < bytes.size()) n |= bytes[i + 2];
    out += alphabet[n >> 18];
    out += alphabet[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? alphabet[n & 63] : '=';
  }
  return out;
}

// Base64 cut into lines as exporters fold it: every line after the first starts with `indent`.
std::string folded(const std::string& text, std::size_t width, const std::string& indent) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += width) {
    out += (i ? "\r\n" + indent : "") + text.substr(i, width);
  }
  return out;
}

std::string photo(int width, int height,
                  sample::PictureFormat format = sample::PictureFormat::JPEG) {
  return base64(sample::drawPicture(sample::PictureKind::Face, width, height, 3, format).bytes);
}

struct ImportDevice {
  ImportDevice() {
    std::string error;
    EXPECT_TRUE(sample::writeSampleDevice(device.root(), sample::SampleOptions(), nullptr, &error))
        << error;
  }
  ProcessResult tool(std::vector<std::string> words) const {
    words.insert(words.begin(), {"talvocb", "--root", device.root()});
    return runProgram(words);
  }
  std::string file(const std::string& name, const std::string& text) const {
    std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    files.push_back(path);
    return path;
  }
  // Rows of a query on a file of the book, each row's columns joined by "|".
  std::vector<std::string> rows(const char* devicePath, const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    std::vector<std::string> out;
    sqlite3_open_v2(device.real(devicePath).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const unsigned char* text = sqlite3_column_text(statement, i);
        row += (i ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "-");
      }
      out.push_back(row);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return out;
  }
  std::vector<std::string> book(const std::string& sql) const {
    return rows(kABDatabaseDevicePath, sql);
  }
  ~ImportDevice() { std::filesystem::remove_all(folder); }
  TemporaryDevice device;
  // The files to import lie outside the device.
  std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "talvocb-vcf-XXXXXX").string();
    return std::string(::mkdtemp(pattern.data()));
  }();
  mutable std::vector<std::string> files;
};

const std::string kIPhoneExport =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Apple Inc.//iPhone OS 9.3.5//EN\r\n"
    "N:Ng;Lan;;Dr.;\r\nFN:Dr. Lan Ng\r\nORG:Harbour Clinic;Cardiology\r\nTITLE:Surgeon\r\n"
    "item1.TEL;type=pref:+1 (555) 010-0301\r\nitem1.X-ABLabel:_$!<Mobile>!$_\r\n"
    "TEL;type=IPHONE;type=CELL;type=VOICE:555-010-0302\r\n"
    "item2.TEL:555-010-0303\r\nitem2.X-ABLabel:Boat\r\n"
    "EMAIL;type=INTERNET;type=WORK;type=pref:lan.ng@clinic.example\r\n"
    "item3.ADR;type=HOME;type=pref:;;1 Quay St;Wellington;;6011;New Zealand\r\n"
    "item3.X-ABADR:nz\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:" +
    folded(photo(300, 200), 74, " ") + "\r\nEND:VCARD\r\n";

// Android's 2.1 export: quoted-printable UTF-8 with soft line breaks, Latin-1, base64 on lines
// indented by two spaces and closed by an empty line.
const std::string kAndroidExport =
    "BEGIN:VCARD\r\nVERSION:2.1\r\n"
    "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCr=\r\ngen;;;\r\n"
    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BCller\r\n"
    "TEL;CELL:+49 30 5550 1234\r\nTEL;WORK;FAX:+49 30 5550 1299\r\n"
    "PHOTO;ENCODING=BASE64;JPEG:" +
    folded(photo(96, 96), 76, "  ") +
    "\r\n\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:2.1\r\n"
    "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Fran=E7ois;Ren=E9;;;\r\n"
    "TEL;HOME;VOICE:+33 1 55 50 12 34\r\nEND:VCARD\r\n";

// A web mail's export: labels in grouped X-ABLabel, an organisation's card without a name, a
// photo by link.
const std::string kWebMailExport =
    "BEGIN:VCARD\nVERSION:3.0\nFN:Priya Raman\nN:Raman;Priya;;;\n"
    "item1.EMAIL;TYPE=INTERNET:priya@mail.example\nitem1.X-ABLabel:Personal\n"
    "TEL;TYPE=CELL:+91 98765 43210\nPHOTO:https://photos.example/priya.jpg\n"
    "URL;TYPE=WORK:https://raman.example\nEND:VCARD\n"
    "BEGIN:VCARD\nVERSION:3.0\nFN:Corner Bakery\nORG:Corner Bakery;\n"
    "TEL;TYPE=WORK:555-010-0310\nEND:VCARD\n";

// A desktop address book's 4.0: values as URIs, a photo as a data URI, only a full name.
const std::string kDesktopExport =
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Mei Chen\r\n"
    "TEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555-010-0320\r\n"
    "EMAIL;TYPE=home:mei@home.example\r\n"
    "PHOTO:data:image/png;base64," +
    folded(photo(64, 80, sample::PictureFormat::PNG), 70, " ") + "\r\nEND:VCARD\r\n";

// A mail program's 2.1 in Windows-1252, 8-bit, without quoted-printable.
const std::string kMailProgramExport =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;LANGUAGE=de;CHARSET=Windows-1252:Gro\xdf;J\xf6rg\r\n"
    "FN;CHARSET=Windows-1252:J\xf6rg Gro\xdf\r\nORG:Contoso GmbH\r\n"
    "TEL;WORK;VOICE:+49 89 5550 4711\r\nEMAIL;PREF;INTERNET:joerg@contoso.example\r\n"
    "END:VCARD\r\n";

}  // namespace

TEST(VCardImport, ExportsOfPhonesAndMailProgramsArriveAsThePhoneKeepsThem) {
  ImportDevice d;
  int before = std::stoi(d.book("SELECT max(ROWID) FROM ABPerson").at(0));
  ProcessResult result =
      d.tool({"addressbook", "import", d.file("iphone.vcf", kIPhoneExport),
              d.file("android.vcf", kAndroidExport), d.file("webmail.vcf", kWebMailExport),
              d.file("desktop.vcf", kDesktopExport), d.file("outlook.vcf", kMailProgramExport)});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("7 contacts imported, 0 cards not read"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("posted __ABDataBaseChangedByOtherProcessNotification"),
            std::string::npos);
  EXPECT_EQ(result.err, "");

  std::string since = " WHERE ROWID > " + std::to_string(before) + " ORDER BY ROWID";
  EXPECT_EQ(
      d.book("SELECT Prefix, First, Last, Organization, Department, JobTitle, Kind, StoreID "
             "FROM ABPerson" +
             since),
      (std::vector<std::string>{"Dr.|Lan|Ng|Harbour Clinic|Cardiology|Surgeon|0|0",
                                "-|Jürgen|Müller|-|-|-|0|0", "-|René|François|-|-|-|0|0",
                                "-|Priya|Raman|-|-|-|0|0", "-|-|-|Corner Bakery|-|-|1|0",
                                "-|Mei Chen|-|-|-|-|0|0", "-|Jörg|Groß|Contoso GmbH|-|-|0|0"}));
  // Dated now, sorted and filed as the phone files them.
  auto now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch());
  double date = std::stod(d.book("SELECT ModificationDate FROM ABPerson" + since).at(0));
  EXPECT_NEAR(date, now.count() - 978'307'200, 120);
  EXPECT_EQ(d.book("SELECT FirstSort, LastSort, LastSortSection FROM ABPerson" + since).at(1),
            "jürgen müller|müller jürgen|M");

  EXPECT_EQ(d.book("SELECT m.value, l.value FROM ABMultiValue m JOIN ABMultiValueLabel l ON "
                   "l.ROWID = m.label WHERE m.record_id = " +
                   std::to_string(before + 1) + " AND m.value IS NOT NULL ORDER BY m.UID"),
            (std::vector<std::string>{"+1 (555) 010-0301|_$!<Mobile>!$_", "555-010-0302|iPhone",
                                      "555-010-0303|Boat", "lan.ng@clinic.example|_$!<Work>!$_"}));
  EXPECT_EQ(d.book("SELECT k.value, e.value FROM ABMultiValueEntry e JOIN ABMultiValueEntryKey k "
                   "ON k.ROWID = e.key ORDER BY e.ROWID"),
            (std::vector<std::string>{"Street|1 Quay St", "City|Wellington", "ZIP|6011",
                                      "Country|New Zealand", "CountryCode|nz"}));
  auto labelOf = [&d](const std::string& value) {
    return d
        .book(
            "SELECT l.value FROM ABMultiValue m JOIN ABMultiValueLabel l ON l.ROWID = "
            "m.label WHERE m.value = '" +
            value + "'")
        .at(0);
  };
  EXPECT_EQ(labelOf("+49 30 5550 1299"), "_$!<WorkFAX>!$_");
  EXPECT_EQ(labelOf("priya@mail.example"), "Personal");
  EXPECT_EQ(labelOf("+1-555-010-0320"), "_$!<Mobile>!$_");
  EXPECT_EQ(labelOf("https://raman.example"), "_$!<Work>!$_");

  // Photos inline in 3.0, 2.1 and 4.0; none by link. Each has its 120 x 120 thumbnail.
  EXPECT_EQ(d.rows(kABImagesDatabaseDevicePath,
                   "SELECT f.record_id - " + std::to_string(before) +
                       ", f.width, f.height, t.width, t.height FROM ABFullSizeImage f JOIN "
                       "ABThumbnailImage t USING (record_id) WHERE f.record_id > " +
                       std::to_string(before) + " ORDER BY f.record_id"),
            (std::vector<std::string>{"1|300|200|120|120", "2|96|96|120|120", "6|64|80|120|120"}));
  EXPECT_NE(result.out.find("no photo (it is a link, which is not fetched)"), std::string::npos);

  // The library finds the new people by number and address.
  for (const auto& [party, record] : {std::pair<std::string, int>{"+1 555 010 0301", before + 1},
                                      {"+4930 55501234", before + 2},
                                      {"mei@home.example", before + 6},
                                      {"555-010-0310", before + 5}}) {
    ProcessResult found = d.tool({"contact-id", party});
    EXPECT_EQ(found.out, std::to_string(record) + "\n") << party;
  }
  EXPECT_EQ(d.tool({"monogram-text", "--id", std::to_string(before + 7)}).out, "JG\n");
}

TEST(VCardImport, BrokenCardsAreReportedByLineAndTheOthersImported) {
  ImportDevice d;
  std::string good = "BEGIN:VCARD\nVERSION:3.0\nN:Good;Ada;;;\nTEL:555-010-0401\nEND:VCARD\n";
  std::string manyProperties = "BEGIN:VCARD\nVERSION:3.0\nFN:Many\n";
  for (int i = 0; i < 100'000; ++i) manyProperties += "NOTE:" + std::to_string(i) + "\n";
  manyProperties += "END:VCARD\n";
  std::string text =
      good +                                                // line 1
      "BEGIN:VCARD\nVERSION:5.0\nFN:Future\nEND:VCARD\n" +  // line 6
      "BEGIN:VCARD\nVERSION:3.0\nFN:Bad Photo\nPHOTO;ENCODING=b:%%not*base64\nEND:VCARD\n" +  // 10
      "BEGIN:VCARD\nVERSION:3.0\nFN:Not A Picture\nPHOTO;ENCODING=b:" +
      base64({'h', 'e', 'l', 'l', 'o', '!'}) + "\nEND:VCARD\n" +                      // 15
      "BEGIN:VCARD\nVERSION:3.0\nX-BAD;NO SPACES:1\nTEL:555-010-0402\nEND:VCARD\n" +  // 20
      manyProperties +                                                                // 25
      "BEGIN:VCARD\nVERSION:3.0\nN:Cut;Carl;;;\nTEL:555-0";
  ProcessResult result = d.tool({"addressbook", "import", d.file("broken.vcf", text)});
  ASSERT_EQ(result.status, 0) << result.err;
  std::string file = d.files.back();
  for (const std::string& line : {file + ":6: card not read: it has the unknown vCard version 5.0",
                                  file + ":20: card not read: it cannot be parsed",
                                  file + ":25: card not read: it has more than 10000 properties",
                                  file + ":100029: card not read: it is cut short"}) {
    EXPECT_NE(result.err.find(line), std::string::npos) << line << "\n" << result.err;
  }
  EXPECT_NE(result.out.find("Bad Photo  no photo (it is not base64)"), std::string::npos);
  EXPECT_NE(result.out.find("Not A Picture  no photo (it is not a picture"), std::string::npos);
  EXPECT_NE(result.out.find("3 contacts imported, 4 cards not read"), std::string::npos)
      << result.out;
  EXPECT_EQ(d.book("SELECT count(*) FROM ABPerson WHERE First IN ('Ada', 'Bad Photo', "
                   "'Not A Picture', 'Many', 'Carl', 'Future')")
                .at(0),
            "3");

  // A file of 2 GB (sparse) is refused at once, and nothing of the other files is kept.
  std::string huge = d.file("huge.vcf", "");
  ASSERT_EQ(::truncate(huge.c_str(), 2'000'000'000), 0);
  std::string count = d.book("SELECT count(*) FROM ABPerson").at(0);
  auto start = std::chrono::steady_clock::now();
  ProcessResult refused = d.tool({"addressbook", "import", d.file("ok.vcf", good), huge});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "talvocb: " + huge + " is larger than 512 MiB\n");
  EXPECT_EQ(d.book("SELECT count(*) FROM ABPerson").at(0), count);
  EXPECT_EQ(d.tool({"addressbook", "import", d.device.root()}).status, 1);
}

TEST(VCardImport, ASampleFromCardsHasTheirFavouritesAndHistory) {
  ImportDevice d;
  TemporaryDevice fresh;
  std::string cards;
  for (int i = 1; i <= 8; ++i) {
    cards += "BEGIN:VCARD\nVERSION:3.0\nN:Person" + std::to_string(i) + ";Test;;;\n" +
             (i == 2 ? "" : "TEL;TYPE=CELL:555-010-05" + std::to_string(10 + i) + "\n") +
             "EMAIL:p" + std::to_string(i) + "@example.com\nEND:VCARD\n";
  }
  ProcessResult result =
      runProgram({"talvocb", "--root", fresh.root(), "sample", "--from", d.file("own.vcf", cards)});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("(8 contacts from vCard files)"), std::string::npos);
  EXPECT_NE(result.out.find("CallBar favourites: "), std::string::npos);
  auto plist = [&fresh](const char* path) {
    std::ifstream in(fresh.root() + "/private" + path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::dynamic_pointer_cast<NSDictionary>(
        propertyListFromData(std::vector<uint8_t>(bytes.begin(), bytes.end())));
  };
  auto favorites =
      std::dynamic_pointer_cast<NSArray>(plist(kCallBarFavoritesPath)->objectForKey("favorites"));
  ASSERT_TRUE(favorites);
  std::vector<std::string> names;
  for (const id& item : favorites->items) {
    auto entry = std::dynamic_pointer_cast<NSDictionary>(item);
    names.push_back(stringValue(entry->objectForKey("name")).value_or("") + "=" +
                    std::to_string(integerValue(entry->objectForKey("recordId"))));
  }
  EXPECT_EQ(names,
            (std::vector<std::string>{"Test Person1=1", "Test Person3=3", "Test Person4=4",
                                      "Test Person5=5", "Test Person6=6", "Test Person7=7"}));
  auto entries =
      std::dynamic_pointer_cast<NSArray>(plist(kCallBarHistoryPath)->objectForKey("entries"));
  ASSERT_TRUE(entries);
  std::set<std::string> addresses;
  bool missed = false, outgoing = false, incoming = false;
  for (const id& item : entries->items) {
    auto entry = std::dynamic_pointer_cast<NSDictionary>(item);
    addresses.insert(stringValue(entry->objectForKey("address")).value_or("?"));
    for (const id& call : std::dynamic_pointer_cast<NSArray>(entry->objectForKey("calls"))->items) {
      auto record = std::dynamic_pointer_cast<NSDictionary>(call);
      bool m = boolValue(record->objectForKey("missed")),
           o = boolValue(record->objectForKey("outgoing"));
      missed |= m;
      outgoing |= o;
      incoming |= !m && !o;
    }
  }
  EXPECT_TRUE(missed && outgoing && incoming);
  EXPECT_TRUE(addresses.count("555-010-0518") && addresses.count("p2@example.com") &&
              addresses.count("+1 555-010-0199") && addresses.count(""));
  // None of the hand-picked people.
  standin::setDeviceRoot(fresh.root());
  EXPECT_EQ(runProgram({"talvocb", "--root", fresh.root(), "contact-id", "+1 (555) 010-0100"}).out,
            "-1\n");
}

namespace {

// A phone's book as iOS 9 keeps it, written by this test and not by the project's writer: more
// tables and columns than the library reads, in the phone's order, and its own triggers.
constexpr const char* kPhoneSchema = R"SQL(
CREATE TABLE _SqliteDatabaseProperties (key TEXT, value TEXT, UNIQUE(key));
INSERT INTO _SqliteDatabaseProperties VALUES ('__ABPersonLastFourSchemaVersion', '1');
CREATE TABLE ABStore (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, ExternalIdentifier TEXT,
  Type INTEGER, ConstraintsPath TEXT, ExternalModificationTag TEXT, ExternalSyncTag TEXT,
  AccountIdentifier TEXT, Enabled INTEGER DEFAULT 1, SyncData BLOB, MeIdentifier INTEGER DEFAULT -1,
  Capabilities INTEGER DEFAULT 0);
INSERT INTO ABStore (ROWID, Name, Type) VALUES (1, 'iCloud', 3);
CREATE TABLE ABPerson (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, First TEXT, Last TEXT,
  Middle TEXT, FirstPhonetic TEXT, MiddlePhonetic TEXT, LastPhonetic TEXT, Organization TEXT,
  Department TEXT, Note TEXT, Kind INTEGER, Birthday TEXT, JobTitle TEXT, Nickname TEXT,
  Prefix TEXT, Suffix TEXT, FirstSort TEXT, LastSort TEXT, CreationDate INTEGER,
  ModificationDate INTEGER, CompositeNameFallback TEXT, ExternalIdentifier TEXT,
  ExternalModificationTag TEXT, ExternalUUID TEXT, StoreID INTEGER, DisplayName TEXT,
  ExternalRepresentation BLOB, FirstSortSection TEXT, LastSortSection TEXT,
  FirstSortLanguageIndex INTEGER DEFAULT 2147483647, LastSortLanguageIndex INTEGER DEFAULT 2147483647,
  PersonLink INTEGER DEFAULT -1, ImageURI TEXT, IsPreferredName INTEGER DEFAULT 1, guid TEXT,
  PhonemeData TEXT, AlternateBirthday TEXT, MapsData TEXT);
CREATE TABLE ABPersonChanges (ROWID INTEGER PRIMARY KEY, record INTEGER, type INTEGER);
CREATE TRIGGER delete_person_values AFTER DELETE ON ABPerson BEGIN
  DELETE FROM ABMultiValue WHERE record_id = OLD.ROWID; END;
CREATE TABLE ABMultiValue (UID INTEGER PRIMARY KEY, record_id INTEGER, property INTEGER,
  identifier INTEGER, label INTEGER, value TEXT, guid TEXT);
CREATE TABLE ABMultiValueLabel (value TEXT, UNIQUE(value));
CREATE TABLE ABMultiValueEntryKey (value TEXT, UNIQUE(value));
CREATE TABLE ABMultiValueEntry (parent_id INTEGER, key INTEGER, value TEXT, UNIQUE(parent_id, key));
CREATE TABLE ABGroup (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, StoreID INTEGER);
CREATE TABLE ABGroupMembers (UID INTEGER PRIMARY KEY, group_id INTEGER, member_type INTEGER,
  member_id INTEGER);
CREATE TABLE ABPersonLink (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT);
CREATE TABLE ABPhoneLastFour (multivalue_id INTEGER PRIMARY KEY, value TEXT);
INSERT INTO ABMultiValueLabel (ROWID, value) VALUES (1, '_$!<Mobile>!$_'), (2, '_$!<Home>!$_');
INSERT INTO ABPerson (ROWID, First, Last, Kind, StoreID, CreationDate, ModificationDate, guid)
  VALUES (7, 'Grace', 'Hopper', 0, 1, 300000000, 300000000.5, 'A1'),
         (9, 'Alan', 'Turing', 0, 1, 300000001, 300000001, 'A2');
INSERT INTO ABMultiValue VALUES (1, 7, 3, 0, 1, '+1 555-010-0601', 'G1'),
  (2, 7, 4, 0, 2, 'grace@navy.example', 'G2'), (3, 9, 3, 0, 2, '555-010-0602', 'G3');
INSERT INTO ABPhoneLastFour VALUES (1, '0601'), (3, '0602');
INSERT INTO ABGroup (Name, StoreID) VALUES ('Pioneers', 1);
INSERT INTO ABGroupMembers (group_id, member_type, member_id) VALUES (1, 0, 7);
)SQL";

constexpr const char* kPhoneImagesSchema = R"SQL(
CREATE TABLE ABThumbnailImage (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, record_id INTEGER,
  format INTEGER, derived_from_format INTEGER, width INTEGER, height INTEGER, left INTEGER,
  top INTEGER, right INTEGER, bottom INTEGER, crop_left INTEGER, crop_right INTEGER,
  crop_top INTEGER, crop_bottom INTEGER, data BLOB);
CREATE TABLE ABFullSizeImage (ROWID INTEGER PRIMARY KEY AUTOINCREMENT, record_id INTEGER,
  crop_x INTEGER, crop_y INTEGER, crop_width INTEGER, data BLOB);
)SQL";

void writeDatabase(const std::string& path, const char* sql,
                   const std::vector<uint8_t>& blob = {}) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  if (!blob.empty()) {
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO ABThumbnailImage (record_id, format, width, height, data) "
                       "VALUES (7, 0, 80, 80, ?)",
                       -1, &insert, nullptr);
    sqlite3_bind_blob(insert, 1, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
    sqlite3_finalize(insert);
  }
  sqlite3_close(db);
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(PhoneBackup, APhonesOwnBookIsTakenFromABackupReadAndAddedTo) {
  ImportDevice d;
  std::string backup = d.folder + "/backup";
  // A newer backup keeps the main file in a folder of its first two digits; the images flat.
  std::string main = backup + "/31/31bb7ba8914766d4ba40d6dfb6113c8b614be442";
  std::string images = backup + "/cd6702cea29fe89cf280a76794405adb17f9a0ee";
  writeDatabase(main, kPhoneSchema);
  writeDatabase(
      images, kPhoneImagesSchema,
      sample::drawPicture(sample::PictureKind::Face, 80, 80, 2, sample::PictureFormat::JPEG).bytes);
  std::string mainBytes = contents(main), imagesBytes = contents(images);
  ::chmod(main.c_str(), 0444);

  TemporaryDevice phone;
  ProcessResult init =
      runProgram({"talvocb", "--root", phone.root(), "device", "init", "--from-backup", backup});
  ASSERT_EQ(init.status, 0) << init.err;
  auto tool = [&phone](std::vector<std::string> words) {
    words.insert(words.begin(), {"talvocb", "--root", phone.root()});
    return runProgram(words);
  };
  EXPECT_EQ(tool({"contact-id", "(555) 010-0601"}).out, "7\n");
  EXPECT_EQ(tool({"contact-id", "GRACE@navy.example"}).out, "7\n");
  EXPECT_EQ(tool({"monogram-text", "--id", "9"}).out, "AT\n");
  // The library's preload finds Grace's thumbnail.
  EXPECT_EQ(tool({"preload"}).out, "1\n");
  EXPECT_NE(contents(phone.root() + "/private" + kCallBarFavoritesPath).find("Grace Hopper"),
            std::string::npos);

  // Cards added to the phone's book take its schema as it is: its store, its labels.
  ProcessResult added = tool({"addressbook", "import", d.file("one.vcf", kIPhoneExport)});
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(tool({"contact-id", "555-010-0302"}).out, "10\n");
  sqlite3* db = nullptr;
  sqlite3_open_v2((phone.root() + kABDatabaseDevicePath).c_str(), &db, SQLITE_OPEN_READONLY,
                  nullptr);
  sqlite3_stmt* labels = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM ABMultiValueLabel WHERE value = '_$!<Mobile>!$_'",
                     -1, &labels, nullptr);
  ASSERT_EQ(sqlite3_step(labels), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(labels, 0), 1);
  sqlite3_finalize(labels);
  sqlite3_close(db);

  // The backup is never written.
  EXPECT_EQ(contents(main), mainBytes);
  EXPECT_EQ(contents(images), imagesBytes);
  EXPECT_FALSE(std::filesystem::exists(main + "-wal"));

  // A file that is no whole database, or a backup without the book, is refused; no book is left.
  ::chmod(main.c_str(), 0644);
  std::ofstream(main, std::ios::binary) << mainBytes.substr(0, mainBytes.size() / 2);
  TemporaryDevice other;
  ProcessResult broken =
      runProgram({"talvocb", "--root", other.root(), "device", "init", "--from-backup", backup});
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.err.find("is not a whole database"), std::string::npos) << broken.err;
  EXPECT_FALSE(std::filesystem::exists(other.root() + kABDatabaseDevicePath));
  ProcessResult empty = runProgram(
      {"talvocb", "--root", other.root(), "device", "init", "--from-backup", other.root()});
  EXPECT_EQ(empty.status, 1);
  EXPECT_NE(empty.err.find("holds no file 31bb7ba8914766d4ba40d6dfb6113c8b614be442"),
            std::string::npos);
}
