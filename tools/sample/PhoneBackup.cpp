#include "PhoneBackup.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "AddressBookWriter.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace sample {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool writeAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    ssize_t wrote = ::write(fd, bytes, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    bytes += wrote;
    size -= static_cast<std::size_t>(wrote);
  }
  return true;
}

// Copies a file of the backup, opened read-only inside it, to a new file at `to`.
bool copyOut(const std::string& backup, const char* name, const std::string& to,
             std::string* error) {
  std::string found;
  int fd = -1;
  for (std::string candidate : {std::string(name), std::string(name, 2) + "/" + name}) {
    fd = standin::openInside(backup, candidate, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      found = candidate;
      break;
    }
  }
  Descriptor in(fd);
  if (fd < 0) {
    *error = backup + " holds no file " + name + " (is it a phone backup?)";
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    *error = backup + "/" + found + " is not a regular file";
    return false;
  }
  if (static_cast<uint64_t>(info.st_size) > kLargestBackupFile) {
    *error = backup + "/" + found + " is larger than 2 GiB";
    return false;
  }
  Descriptor out(standin::openFile(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (out.get() < 0) {
    *error = to + ": " + std::strerror(errno);
    return false;
  }
  std::vector<char> buffer(1 << 20);
  uint64_t total = 0;
  for (;;) {
    ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = backup + "/" + found + ": " + std::strerror(errno);
      return false;
    }
    if (got == 0) break;
    total += static_cast<uint64_t>(got);
    if (total > kLargestBackupFile) {
      *error = backup + "/" + found + " is larger than 2 GiB";
      return false;
    }
    if (!writeAll(out.get(), buffer.data(), static_cast<std::size_t>(got))) {
      *error = to + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

// The copy must be whole and hold what the library reads; then it is kept in WAL mode.
bool check(const std::string& path, const std::vector<const char*>& statements,
           std::string* error) {
  sqlite3* db = nullptr;
  auto fail = [&](const std::string& what) {
    *error = path + ": " + what;
    sqlite3_close(db);
    return false;
  };
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    return fail(std::string("cannot be opened: ") + sqlite3_errmsg(db));
  }
  sqlite3_stmt* integrity = nullptr;
  std::string answer;
  if (sqlite3_prepare_v2(db, "PRAGMA integrity_check(1)", -1, &integrity, nullptr) == SQLITE_OK &&
      sqlite3_step(integrity) == SQLITE_ROW && sqlite3_column_text(integrity, 0)) {
    answer = reinterpret_cast<const char*>(sqlite3_column_text(integrity, 0));
  } else {
    answer = sqlite3_errmsg(db);
  }
  sqlite3_finalize(integrity);
  if (answer != "ok") return fail("is not a whole database (" + answer.substr(0, 120) + ")");
  for (const char* sql : statements) {
    sqlite3_stmt* statement = nullptr;
    int status = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    sqlite3_finalize(statement);
    if (status != SQLITE_OK)
      return fail(std::string("is not an address book: ") + sqlite3_errmsg(db));
  }
  if (sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return fail(std::string("cannot be put in WAL mode: ") + sqlite3_errmsg(db));
  }
  sqlite3_close(db);
  return true;
}

bool isEncrypted(const std::string& backup) {
  std::string reason;
  auto bytes = standin::readFileInside(backup, "Manifest.plist", &reason, 16 << 20);
  if (!bytes) return false;
  auto manifest = std::dynamic_pointer_cast<NSDictionary>(propertyListFromData(*bytes, &reason));
  return manifest && boolValue(manifest->objectForKey("IsEncrypted"));
}

}  // namespace

bool copyBackupAddressBook(const std::string& backup, const std::string& root, SampleReport* report,
                           std::string* error) {
  std::string reason;
  std::string main = AddressBookWriter::databasePath(root);
  std::string images = AddressBookWriter::imagesDatabasePath(root);
  auto removeBook = [&] {
    for (const std::string& file : {main, images}) {
      for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        standin::removeFile(file + suffix);
      }
    }
  };
  auto fail = [&](const std::string& why) {
    removeBook();
    if (error) *error = why;
    return false;
  };
  if (isEncrypted(backup)) return fail(backup + " is an encrypted backup, which cannot be read");
  if (!standin::createFolders(std::filesystem::path(main).parent_path().string(), &reason)) {
    return fail(reason);
  }
  removeBook();
  if (!copyOut(backup, kBackupAddressBook, main, &reason) ||
      !copyOut(backup, kBackupAddressBookImages, images, &reason) ||
      !check(main,
             {"SELECT ROWID, First, Last, ModificationDate FROM ABPerson",
              "SELECT record_id, value FROM ABMultiValue"},
             &reason) ||
      !check(images, {"SELECT record_id, format, data FROM ABThumbnailImage"}, &reason)) {
    return fail(reason);
  }
  if (report) {
    report->push_back("address book: " + main + " (from the backup " + backup + ")");
    report->push_back("address-book images: " + images);
  }
  return true;
}

}  // namespace sample
