#include "ContactImport.h"

#include <sqlite3.h>

#include <chrono>

#include "ContactPhoto.h"
#include "VCardReader.h"
#include "addressbook/ABAddressBook.h"
#include "addressbook/ABDatabase.h"

namespace sample {
namespace {

std::string nameOf(const PersonFields& fields) {
  std::string name = fields.first.value_or("");
  for (const auto* part : {&fields.middle, &fields.last}) {
    if (*part && !(*part)->empty()) name += (name.empty() ? "" : " ") + **part;
  }
  if (name.empty() || fields.isOrganization) name = fields.organization.value_or(name);
  return name.empty() ? "(no name)" : name;
}

std::string text(const unsigned char* value) {
  return value ? reinterpret_cast<const char*>(value) : "";
}

}  // namespace

double referenceDateNow() {
  using namespace std::chrono;
  constexpr double kReferenceDateOffset = 978'307'200;  // 1970 to 1 January 2001
  return duration<double>(system_clock::now().time_since_epoch()).count() - kReferenceDateOffset;
}

bool importVCardFiles(AddressBookWriter& writer, const std::vector<std::string>& files, double date,
                      ImportReport* report, std::string* error) {
  for (const std::string& file : files) {
    VCardFileResult result = readVCardFile(file, [&](VCardContact&& card) {
      ABRecordID id = writer.addPerson(card.fields, date, date);
      if (id == kABRecordInvalidID) return;
      std::string line = "  " + std::to_string(id) + "  " + nameOf(card.fields);
      for (const auto& [label, value] : card.phones) {
        writer.addPhone(id, value, label);
        line += "  tel " + value;
      }
      for (const auto& [label, value] : card.emails) {
        writer.addEmail(id, value, label);
        line += "  mail " + value;
      }
      for (const auto& [label, value] : card.urls) writer.addURL(id, value, label);
      for (const auto& [label, parts] : card.addresses) writer.addAddress(id, parts, label);
      std::string reason;
      std::optional<ContactPhoto> photo;
      if (card.photo) photo = makeContactPhoto(std::move(*card.photo), &reason);
      if (photo) {
        writer.addFullSizeImage(id, photo->fullSize);
        writer.addThumbnail(id, photo->thumbnail);
        line += "  photo " + std::to_string(photo->fullSize.width) + "x" +
                std::to_string(photo->fullSize.height);
      } else if (card.photo) {
        line += "  no photo (it " + reason + ")";
      } else if (!card.photoSkipped.empty()) {
        line += "  no photo (it is " + card.photoSkipped + ")";
      } else {
        line += "  no photo";
      }
      if (report) {
        report->lines.push_back(std::move(line));
        ++report->imported;
      }
    });
    if (!result.read) {
      if (error) *error = result.error;
      return false;
    }
    if (report) {
      for (const auto& [line, why] : result.unreadable) {
        report->problems.push_back(file + ":" + std::to_string(line) + ": card not read: it " +
                                   why);
      }
    }
    if (!writer.ok()) break;
  }
  if (!writer.ok()) {
    if (error) *error = writer.error();
    return false;
  }
  return true;
}

bool readBookPeople(const std::string& root, std::size_t limit, std::vector<BookPerson>* people,
                    std::string* error) {
  sqlite3* db = nullptr;
  std::string path = root + kABDatabaseDevicePath;
  auto fail = [&](const std::string& what) {
    if (error) *error = path + ": " + what + (db ? std::string(": ") + sqlite3_errmsg(db) : "");
    sqlite3_close(db);
    return false;
  };
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    return fail("cannot open the address book");
  }
  sqlite3_stmt* values = nullptr;
  // The people who have numbers or addresses, lowest records first, each with all of them.
  const char* sql =
      "SELECT p.ROWID, p.First, p.Last, m.property, m.value, l.value FROM ABPerson p "
      "JOIN ABMultiValue m ON m.record_id = p.ROWID "
      "LEFT JOIN ABMultiValueLabel l ON l.ROWID = m.label "
      "WHERE m.property IN (3, 4) AND m.value IS NOT NULL ORDER BY p.ROWID, m.UID";
  if (sqlite3_prepare_v2(db, sql, -1, &values, nullptr) != SQLITE_OK) {
    return fail("cannot read the address book");
  }
  while (sqlite3_step(values) == SQLITE_ROW) {
    int32_t id = sqlite3_column_int(values, 0);
    if (people->empty() || people->back().recordID != id) {
      if (people->size() == limit) break;
      std::string first = text(sqlite3_column_text(values, 1));
      std::string last = text(sqlite3_column_text(values, 2));
      std::string name = first + (first.empty() || last.empty() ? "" : " ") + last;
      people->push_back({id, name, {}, {}});
    }
    auto& list = sqlite3_column_int(values, 3) == 3 ? people->back().phones : people->back().emails;
    list.emplace_back(text(sqlite3_column_text(values, 5)), text(sqlite3_column_text(values, 4)));
  }
  sqlite3_finalize(values);
  sqlite3_close(db);
  return true;
}

}  // namespace sample
