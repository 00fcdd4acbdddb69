// Sample devices and the address-book commands of the talvocb tool.
#include <cairo.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "AddressBookWriter.h"
#include "SampleCallBarFiles.h"
#include "SampleDevice.h"
#include "TemporaryDevice.h"
#include "addressbook/ABAddressBook.h"
#include "apps/CallBar.h"

namespace {
std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct Decoded {
  std::string format;
  int width = 0;
  int height = 0;
};

// Decodes the picture's header with the codec of its format.
Decoded decode(const std::string& bytes) {
  if (bytes.size() > 3 && bytes.compare(1, 3, "PNG") == 0) {
    struct Reader {
      const std::string* bytes;
      std::size_t at = 0;
    } reader{&bytes};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(
        [](void* closure, unsigned char* data, unsigned int length) {
          auto* r = static_cast<Reader*>(closure);
          if (r->at + length > r->bytes->size()) return CAIRO_STATUS_READ_ERROR;
          std::copy_n(r->bytes->data() + r->at, length, data);
          r->at += length;
          return CAIRO_STATUS_SUCCESS;
        },
        &reader);
    Decoded d{"png", cairo_image_surface_get_width(surface),
              cairo_image_surface_get_height(surface)};
    bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok ? d : Decoded{};
  }
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  Decoded d{"jpeg", 0, 0};
  if (jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK) {
    d.width = static_cast<int>(info.image_width);
    d.height = static_cast<int>(info.image_height);
  }
  jpeg_destroy_decompress(&info);
  return d;
}

// Every thumbnail of the device: its stored size and its bytes.
std::vector<std::tuple<int, int, std::string>> thumbnails(const std::string& root) {
  sqlite3* db = nullptr;
  std::vector<std::tuple<int, int, std::string>> result;
  sqlite3_open_v2(sample::AddressBookWriter::imagesDatabasePath(root).c_str(), &db,
                  SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "SELECT width, height, data FROM ABThumbnailImage WHERE format = 0", -1,
                     &statement, nullptr);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    const char* data = static_cast<const char*>(sqlite3_column_blob(statement, 2));
    result.emplace_back(sqlite3_column_int(statement, 0), sqlite3_column_int(statement, 1),
                        std::string(data, sqlite3_column_bytes(statement, 2)));
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return result;
}

std::pair<int, std::string> talvocb(const std::string& arguments) {
  std::string command = std::string(TALVOCB_BIN_DIR) + "/talvocb " + arguments + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}
}  // namespace

TEST(SampleDeviceTest, HandPickedPicturesAreRealJPEGAndPNG) {
  TemporaryDevice device;
  std::string error;
  sample::SampleReport report;
  ASSERT_TRUE(sample::writeHandPickedAddressBook(device.root(), "US", &report, &error)) << error;
  EXPECT_GT(report.size(), 20u);
  std::set<std::string> formats;
  std::set<std::pair<int, int>> sizes;
  for (const auto& [width, height, bytes] : thumbnails(device.root())) {
    Decoded d = decode(bytes);
    EXPECT_EQ(d.width, width);
    EXPECT_EQ(d.height, height);
    formats.insert(d.format);
    sizes.emplace(width, height);
  }
  EXPECT_EQ(formats, (std::set<std::string>{"jpeg", "png"}));
  EXPECT_GE(sizes.size(), 6u);
}

TEST(SampleDeviceTest, GeneratedBooksAreDeterministicAndFindable) {
  TemporaryDevice first, second, third;
  std::string error;
  ASSERT_TRUE(sample::writeGeneratedAddressBook(first.root(), "US", 400, 7, nullptr, &error));
  ASSERT_TRUE(sample::writeGeneratedAddressBook(second.root(), "US", 400, 7, nullptr, &error));
  ASSERT_TRUE(sample::writeGeneratedAddressBook(third.root(), "US", 400, 8, nullptr, &error));
  for (auto path :
       {&sample::AddressBookWriter::databasePath, &sample::AddressBookWriter::imagesDatabasePath}) {
    EXPECT_EQ(fileBytes(path(first.root())), fileBytes(path(second.root())));
    EXPECT_NE(fileBytes(path(first.root())), fileBytes(path(third.root())));
  }

  standin::setDeviceRoot(first.root());
  auto pictures = thumbnails(first.root());
  EXPECT_GT(pictures.size(), 40u);
  for (const auto& [width, height, bytes] : pictures) {
    EXPECT_EQ(decode(bytes).width, width);
  }
  // Every tenth phone number, as written, finds a person who holds it.
  sqlite3* db = nullptr;
  sqlite3_open(sample::AddressBookWriter::databasePath(first.root()).c_str(), &db);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "SELECT record_id, value FROM ABMultiValue WHERE property = 3", -1,
                     &statement, nullptr);
  ABAddressBookRef book = ABAddressBookCreate();
  int checked = 0;
  for (int row = 0; sqlite3_step(statement) == SQLITE_ROW; ++row) {
    if (row % 10) continue;
    std::string number = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
    ABRecordRef person = ABCFindPersonMatchingPhoneNumber(book, number, 0, 0);
    EXPECT_LE(ABRecordGetRecordID(person), sqlite3_column_int(statement, 0)) << number;
    EXPECT_NE(person, nullptr) << number;
    ++checked;
  }
  EXPECT_GT(checked, 40);
  CFRelease(book);
  sqlite3_finalize(statement);
  sqlite3_close(db);
}

TEST(SampleDeviceTest, CallBarFilesHoldSixFavoritesAndAHistoryOfEveryKind) {
  TemporaryDevice device, again;
  std::string error;
  ASSERT_TRUE(sample::writeCallBarFiles(device.root(), nullptr, &error)) << error;
  ASSERT_TRUE(sample::writeCallBarFiles(again.root(), nullptr, &error)) << error;
  EXPECT_EQ(fileBytes(device.real(kCallBarHistoryPath)),
            fileBytes(again.real(kCallBarHistoryPath)));
  standin::setDeviceRoot(device.root());
  auto favorites = NSDictionary::dictionaryWithContentsOfFile(kCallBarFavoritesPath);
  ASSERT_TRUE(favorites);
  EXPECT_EQ(cast<NSArray>(favorites->objectForKey("favorites"))->items.size(), 6u);
  auto history = NSDictionary::dictionaryWithContentsOfFile(kCallBarHistoryPath);
  ASSERT_TRUE(history);
  auto entries = cast<NSArray>(history->objectForKey("entries"))->items;
  EXPECT_GE(entries.size(), 60u);
  std::set<std::string> kinds;
  bool missed = false, email = false;
  for (const id& item : entries) {
    auto entry = cast<NSDictionary>(item);
    email |=
        stringValue(entry->objectForKey("address")).value_or("").find('@') != std::string::npos;
    for (const id& call : cast<NSArray>(entry->objectForKey("calls"))->items) {
      auto record = cast<NSDictionary>(call);
      missed |= boolValue(record->objectForKey("missed"));
      std::string kind;
      for (const char* key : {"uid", "recordId", "name"})
        kind += record->objectForKey(key) ? key : "-";
      kinds.insert(kind);
    }
  }
  EXPECT_TRUE(missed);
  EXPECT_TRUE(email);
  EXPECT_GE(kinds.size(), 6u);
}

TEST(SampleDeviceTest, Commands) {
  std::string root = TemporaryDevice().root() + "-sample";
  auto [status, output] = talvocb("--root '" + root + "' sample --version 8.4 --region US");
  ASSERT_EQ(status, 0);
  EXPECT_NE(output.find("John Appleseed"), std::string::npos);
  EXPECT_EQ(standin::readProfile(root)->systemVersion, "8.4");
  EXPECT_EQ(talvocb("--root '" + root + "' contact-id '+1 (555) 010-0100'"),
            std::make_pair(0, std::string("1\n")));
  EXPECT_EQ(talvocb("--root '" + root + "' contact-id 'nobody@example.com'").second, "-1\n");
  EXPECT_EQ(talvocb("--root '" + root + "' monogram-text --id 13").second, "MJ\n");
  EXPECT_EQ(talvocb("--root '" + root + "' monogram-text --id 8").second, "(nil)\n");
  EXPECT_EQ(talvocb("monogram-text 'Dr. John Smith'").second, "DS\n");
  EXPECT_EQ(talvocb("monogram-text ''").second, "\n");
  EXPECT_EQ(talvocb("monogram-text").first, 2);
  EXPECT_EQ(talvocb("contact-id 555").first, 2);  // no --root
  EXPECT_EQ(talvocb("--root '" + root + "' sample --contacts -1").first, 2);
  std::filesystem::remove_all(root);
}
