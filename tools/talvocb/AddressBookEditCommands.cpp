// addressbook set-name and set-photo: edits of the device's address book as the phone's own
// address book makes them (one transaction, the person's modification date set to now), then the
// system's change notification. The library itself only ever reads the book.
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "AddressBookWriter.h"
#include "CliContext.h"
#include "ContactIdentifier.h"
#include "ContactImport.h"
#include "ContactPhoto.h"
#include "addressbook/ABDatabase.h"
#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSValueTypes.h"

namespace {

constexpr const char* kAddressBookChanged = "__ABDataBaseChangedByOtherProcessNotification";
constexpr int kBusyTimeoutMilliseconds = 2000;
// Seconds from 1970 to the platform's reference date, 1 January 2001.
constexpr double kReferenceDateOffset = 978'307'200;

// The phone keeps modification dates as seconds since the reference date, with their fraction.
double now() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count() - kReferenceDateOffset;
}

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return standin::statFile(path, &info) && S_ISREG(info.st_mode);
}

// Tests stop the writer here, inside its transaction and after a photo large enough to spill the
// page cache into the files, to kill it at a known moment.
void stopIfAskedInsideTheWrite() {
  if (std::getenv("TALVOCB_STOP_INSIDE_WRITE")) std::raise(SIGSTOP);
}

// A connection to the book's files, both of which must already exist: nothing is created. Both
// files are kept in WAL mode, so that the read-only readers see the last commit whenever a writer
// dies, and never meet a rollback journal they cannot roll back. Opening a book still in rollback
// mode rolls back what a killed writer left, then switches it.
class BookConnection {
 public:
  BookConnection() {
    std::string main = fileSystemRepresentation(kABDatabaseDevicePath);
    std::string images = fileSystemRepresentation(kABImagesDatabaseDevicePath);
    if (!isRegularFile(main) || !isRegularFile(images)) {
      throw CliFailure("the device has no address book");
    }
    if (sqlite3_open_v2(main.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      fail("cannot open the address book");
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMilliseconds);
    sqlite3_stmt* attach = prepare("ATTACH DATABASE ? AS images");
    sqlite3_bind_text(attach, 1, images.c_str(), -1, SQLITE_TRANSIENT);
    run(attach, "cannot open the address book's pictures");
    for (const char* sql : {"PRAGMA main.journal_mode=WAL", "PRAGMA images.journal_mode=WAL"}) {
      sqlite3_stmt* mode = prepare(sql);
      int status = sqlite3_step(mode);
      std::string answer = status == SQLITE_ROW && sqlite3_column_text(mode, 0)
                               ? reinterpret_cast<const char*>(sqlite3_column_text(mode, 0))
                               : "";
      sqlite3_finalize(mode);
      if (answer != "wal") fail("cannot put the address book in WAL mode");
    }
  }
  ~BookConnection() {
    if (inTransaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
  }
  BookConnection(const BookConnection&) = delete;
  BookConnection& operator=(const BookConnection&) = delete;

  void begin() {
    exec("BEGIN IMMEDIATE", "the address book is busy");
    inTransaction_ = true;
  }
  void commit() {
    exec("COMMIT", "cannot write the address book");
    inTransaction_ = false;
  }

  void requirePerson(int64_t recordID) {
    sqlite3_stmt* find = prepare("SELECT 1 FROM ABPerson WHERE ROWID = ?");
    sqlite3_bind_int64(find, 1, recordID);
    int status = sqlite3_step(find);
    sqlite3_finalize(find);
    if (status == SQLITE_DONE) throw CliFailure("no person " + std::to_string(recordID));
    if (status != SQLITE_ROW) fail("cannot read the address book");
  }

  sqlite3_stmt* prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) != SQLITE_OK) {
      sqlite3_finalize(statement);
      fail("the address book is not one this tool can write");
    }
    return statement;
  }
  // Steps the statement to its end and finalizes it.
  void run(sqlite3_stmt* statement, const char* what) {
    int status = sqlite3_step(statement);
    sqlite3_finalize(statement);
    if (status != SQLITE_DONE) fail(what);
  }

 private:
  void exec(const char* sql, const char* what) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(what);
  }
  [[noreturn]] void fail(const char* what) {
    throw CliFailure(
        std::string(what).append(": ").append(db_ ? sqlite3_errmsg(db_) : "no memory"));
  }
  sqlite3* db_ = nullptr;
  bool inTransaction_ = false;
};

void touch(BookConnection& book, int64_t recordID) {
  sqlite3_stmt* update = book.prepare("UPDATE ABPerson SET ModificationDate = ? WHERE ROWID = ?");
  sqlite3_bind_double(update, 1, now());
  sqlite3_bind_int64(update, 2, recordID);
  book.run(update, "cannot write the address book");
}

void announce() {
  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                       kAddressBookChanged, nullptr, nullptr, true);
  std::printf("posted %s\n", kAddressBookChanged);
}

std::shared_ptr<NSData> readPhoto(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw CliFailure(path + " is not a file");
  }
  if (static_cast<std::size_t>(info.st_size) > sample::kLargestPhoto) {
    throw CliFailure(path + " is larger than 16 MB");
  }
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in || in.peek() != std::char_traits<char>::eof()) throw CliFailure("cannot read " + path);
  return make<NSData>(std::move(bytes));
}

void setPhoto(int64_t recordID, const std::string& file) {
  std::string reason;
  auto photo = sample::makeContactPhoto(readPhoto(file)->bytes, &reason);
  if (!photo) throw CliFailure(file + " " + reason);
  const sample::Picture& thumbnail = photo->thumbnail;
  std::vector<uint8_t>& fullSize = photo->fullSize.bytes;

  BookConnection book;
  book.begin();
  book.requirePerson(recordID);
  for (const char* sql : {"DELETE FROM images.ABThumbnailImage WHERE record_id = ?",
                          "DELETE FROM images.ABFullSizeImage WHERE record_id = ?"}) {
    sqlite3_stmt* remove = book.prepare(sql);
    sqlite3_bind_int64(remove, 1, recordID);
    book.run(remove, "cannot write the address book's pictures");
  }
  sqlite3_stmt* full = book.prepare(
      "INSERT INTO images.ABFullSizeImage (record_id, width, height, data) VALUES (?, ?, ?, ?)");
  sqlite3_bind_int64(full, 1, recordID);
  sqlite3_bind_int(full, 2, photo->fullSize.width);
  sqlite3_bind_int(full, 3, photo->fullSize.height);
  sqlite3_bind_blob(full, 4, fullSize.data(), static_cast<int>(fullSize.size()), SQLITE_TRANSIENT);
  book.run(full, "cannot write the address book's pictures");
  stopIfAskedInsideTheWrite();
  sqlite3_stmt* thumb = book.prepare(
      "INSERT INTO images.ABThumbnailImage (record_id, format, derived_from_format, width, height, "
      "data) VALUES (?, 0, 2, ?, ?, ?)");
  sqlite3_bind_int64(thumb, 1, recordID);
  sqlite3_bind_int(thumb, 2, thumbnail.width);
  sqlite3_bind_int(thumb, 3, thumbnail.height);
  sqlite3_bind_blob(thumb, 4, thumbnail.bytes.data(), static_cast<int>(thumbnail.bytes.size()),
                    SQLITE_TRANSIENT);
  book.run(thumb, "cannot write the address book's pictures");
  touch(book, recordID);
  book.commit();
  std::printf("photo of %lld set\n", static_cast<long long>(recordID));
}

void setName(int64_t recordID, const std::string& first, const std::string& last) {
  // The readers would read such a name as none at all.
  for (const std::string* name : {&first, &last}) {
    if (!ABDatabaseTextReadsBack(*name)) {
      throw CliFailure("the name " + std::string(name == &first ? "FIRST" : "LAST") +
                       " is not valid UTF-8");
    }
  }
  BookConnection book;
  book.begin();
  book.requirePerson(recordID);
  sqlite3_stmt* update = book.prepare("UPDATE ABPerson SET First = ?, Last = ? WHERE ROWID = ?");
  // An empty name is no name, as the phone stores it.
  auto bindName = [update](int index, const std::string& name) {
    if (name.empty()) {
      sqlite3_bind_null(update, index);
    } else {
      sqlite3_bind_text(update, index, name.data(), static_cast<int>(name.size()),
                        SQLITE_TRANSIENT);
    }
  };
  bindName(1, first);
  bindName(2, last);
  sqlite3_bind_int64(update, 3, recordID);
  book.run(update, "cannot write the address book");
  touch(book, recordID);
  book.commit();
  std::printf("name of %lld set\n", static_cast<long long>(recordID));
}

// Every card of the files in one transaction, each dated now, as the phone's import adds them.
void importCards(const std::string& root, const std::vector<std::string>& files) {
  const DeviceProfile profile = standin::readProfile(root, nullptr).value_or(DeviceProfile());
  sample::AddressBookWriter writer(root, profile.region, sample::AddressBookWriter::Mode::Append,
                                   std::random_device()());
  if (!writer.ok()) throw CliFailure(writer.error());
  sample::ImportReport report;
  std::string error;
  if (!sample::importVCardFiles(writer, files, now(), &report, &error)) throw CliFailure(error);
  stopIfAskedInsideTheWrite();
  if (!writer.commit()) throw CliFailure(writer.error());
  for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
  for (const std::string& line : report.problems)
    std::fprintf(stderr, "talvocb: %s\n", line.c_str());
  std::printf("%d contacts imported, %zu cards not read\n", report.imported,
              report.problems.size());
}

}  // namespace

void addAddressBookEditCommands(CLI::App& app, CliContext& context) {
  auto* addressBook =
      app.add_subcommand("addressbook", "Edits the device's address book and announces it");
  addressBook->require_subcommand(1);
  static int64_t recordID = 0;
  static std::string file, first, last;

  auto* photo = addressBook->add_subcommand("set-photo", "Sets a person's photo from a file");
  photo->add_option("ID", recordID, "The person's record identifier")
      ->required()
      ->transform(ContactIdentifier());
  photo->add_option("FILE", file, "A JPEG or PNG picture")->required();
  photo->callback([&context] {
    context.enterDevice("addressbook set-photo");
    setPhoto(recordID, file);
    announce();
  });

  auto* name = addressBook->add_subcommand("set-name", "Sets a person's first and last name");
  name->add_option("ID", recordID, "The person's record identifier")
      ->required()
      ->transform(ContactIdentifier());
  name->add_option("FIRST", first, "The first name (\"\" for none)")->required();
  name->add_option("LAST", last, "The last name (\"\" for none)")->required();
  static std::vector<std::string> files;
  auto* import = addressBook->add_subcommand(
      "import", "Adds every card of vCard files (2.1, 3.0, 4.0) to the book, as the phone does");
  import->add_option("FILE", files, "vCard files")->required();
  import->callback([&context] {
    context.enterDevice("addressbook import");
  importCards(std::filesystem::absolute(context.root).string(), files);
  announce();
});

name->callback([&context] {
  context.enterDevice("addressbook set-name");
  setName(recordID, first, last);
  announce();
});
}
