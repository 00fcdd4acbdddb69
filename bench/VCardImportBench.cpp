// Importing a vCard file of 10,000 cards with photos (read, photos decoded and made into
// thumbnails, written as the phone's import writes them) against SQLite inserting the same rows
// bare, with the thumbnails already made.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AddressBookWriter.h"
#include "ContactImport.h"
#include "ContactPhoto.h"
#include "QuietBenchmarkMain.h"
#include "SamplePictures.h"
#include "addressbook/ABDatabase.h"

namespace {

constexpr int kCards = 10'000;

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

struct Card {
  std::string first, last, mobile, home, email;
  std::size_t photo;
};

// The cards, their photos (a pool, as the generated books use) and the file, made once.
struct Fixture {
  Fixture() {
    std::string pattern = (std::filesystem::temp_directory_path() / "talvocb-vcf-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
    for (uint32_t i = 0; i < 24; ++i) {
      int side = 96 + 32 * static_cast<int>(i % 3);
      photos.push_back(sample::drawPicture(sample::PictureKind::Face, side, side, i,
                                           sample::PictureFormat::JPEG));
      thumbnails.push_back(sample::makeContactPhoto(photos.back().bytes, nullptr)->thumbnail);
    }
    std::ofstream out(folder + "/contacts.vcf", std::ios::binary);
    for (int i = 0; i < kCards; ++i) {
      Card card{"First" + std::to_string(i),
                "Last" + std::to_string(i % 997),
                "+1 555 01" + std::to_string(10000 + i),
                "555-02" + std::to_string(10000 + i),
                "person" + std::to_string(i) + "@example.com",
                static_cast<std::size_t>(i % 24)};
      std::string encoded = base64(photos[card.photo].bytes);
      out << "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" << card.last << ";" << card.first
          << ";;;\r\nFN:" << card.first << " " << card.last << "\r\nTEL;type=CELL:" << card.mobile
          << "\r\nTEL;type=HOME:" << card.home << "\r\nEMAIL;type=INTERNET;type=HOME:" << card.email
          << "\r\nPHOTO;ENCODING=b;TYPE=JPEG:";
      for (std::size_t at = 0; at < encoded.size(); at += 74) {
        out << (at ? "\r\n " : "") << encoded.substr(at, 74);
      }
      out << "\r\nEND:VCARD\r\n";
      cards.push_back(std::move(card));
    }
  }
  ~Fixture() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  std::string root(int n) const { return folder + "/device" + std::to_string(n); }
  std::string folder;
  std::vector<sample::Picture> photos, thumbnails;
  std::vector<Card> cards;
};

const Fixture& fixture() {
  static Fixture made;
  return made;
}

void BM_ImportVCardFile(benchmark::State& state) {
  const Fixture& f = fixture();
  int n = 0;
  for (auto _ : state) {
    sample::AddressBookWriter writer(f.root(n++), "US");
    sample::ImportReport report;
    std::string error;
    if (!sample::importVCardFiles(writer, {f.folder + "/contacts.vcf"}, 0, &report, &error) ||
        !writer.commit() || report.imported != kCards) {
      state.SkipWithError(error.c_str());
    }
  }
  state.counters["cards"] = kCards;
}

// The same rows with plain INSERTs into the same schema in one transaction.
void BM_BareInserts(benchmark::State& state) {
  const Fixture& f = fixture();
  int n = 0;
  for (auto _ : state) {
    std::string root = f.root(1000 + n++);
    std::filesystem::create_directories(
        std::filesystem::path(sample::AddressBookWriter::databasePath(root)).parent_path());
    sqlite3* db = nullptr;
    sqlite3_open(sample::AddressBookWriter::databasePath(root).c_str(), &db);
    std::string attach =
        "ATTACH DATABASE '" + sample::AddressBookWriter::imagesDatabasePath(root) + "' AS images";
    sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "PRAGMA main.journal_mode=WAL; PRAGMA images.journal_mode=WAL; "
                 "PRAGMA main.synchronous=OFF; PRAGMA images.synchronous=OFF; BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, ABDatabaseSchemaSQL(), nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "INSERT INTO ABMultiValueLabel (value) VALUES ('_$!<Mobile>!$_'), "
                 "('_$!<Home>!$_')",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *person = nullptr, *value = nullptr, *thumb = nullptr, *full = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO ABPerson (First, Last, CreationDate, ModificationDate) "
                       "VALUES (?, ?, 0, 0)",
                       -1, &person, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO ABMultiValue (record_id, property, identifier, label, "
                       "value) VALUES (?, ?, 0, ?, ?)",
                       -1, &value, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO images.ABThumbnailImage (record_id, format, width, height, "
                       "data) VALUES (?, 0, 120, 120, ?)",
                       -1, &thumb, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO images.ABFullSizeImage (record_id, width, height, data) "
                       "VALUES (?, ?, ?, ?)",
                       -1, &full, nullptr);
    auto step = [](sqlite3_stmt* s) {
      sqlite3_step(s);
      sqlite3_reset(s);
    };
    for (const Card& card : f.cards) {
      sqlite3_bind_text(person, 1, card.first.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(person, 2, card.last.c_str(), -1, SQLITE_TRANSIENT);
      step(person);
      int64_t id = sqlite3_last_insert_rowid(db);
      const std::pair<int, const std::string*> values[] = {
          {3, &card.mobile}, {3, &card.home}, {4, &card.email}};
      for (const auto& [property, text] : values) {
        sqlite3_bind_int64(value, 1, id);
        sqlite3_bind_int(value, 2, property);
        sqlite3_bind_int(value, 3, property == 3 ? 1 : 2);
        sqlite3_bind_text(value, 4, text->c_str(), -1, SQLITE_TRANSIENT);
        step(value);
      }
      const sample::Picture& photo = f.photos[card.photo];
      const sample::Picture& thumbnail = f.thumbnails[card.photo];
      sqlite3_bind_int64(thumb, 1, id);
      sqlite3_bind_blob(thumb, 2, thumbnail.bytes.data(), static_cast<int>(thumbnail.bytes.size()),
                        SQLITE_TRANSIENT);
      step(thumb);
      sqlite3_bind_int64(full, 1, id);
      sqlite3_bind_int(full, 2, photo.width);
      sqlite3_bind_int(full, 3, photo.height);
      sqlite3_bind_blob(full, 4, photo.bytes.data(), static_cast<int>(photo.bytes.size()),
                        SQLITE_TRANSIENT);
      step(full);
    }
    for (sqlite3_stmt* s : {person, value, thumb, full}) sqlite3_finalize(s);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  state.counters["cards"] = kCards;
}

BENCHMARK(BM_ImportVCardFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BareInserts)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

QUIET_BENCHMARK_MAIN();
