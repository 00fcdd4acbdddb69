#include "SampleCallBarFiles.h"

#include <cctype>
#include <filesystem>

#include "apps/CallBar.h"
#include "foundation/DeviceFiles.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace sample {
namespace {

// The newest call: 12 June 2015, 17:30, in seconds since the platform's reference date.
constexpr double kNewestCall = 455'909'400;
constexpr int kHistoryEntries = 64;

struct Party {
  std::string address;
  int32_t recordID;  // 0: nobody in the book
  std::string label;
  const char* name;  // the contact's, or what the network said of an unknown caller
};

// Known contacts, a person on two cards, unknown numbers and e-mail addresses, no caller ID.
const Party kParties[] = {
    {"+1 (555) 010-0100", 1, "mobile", "John Appleseed"},
    {"(555) 564-8583", 2, "mobile", "Kate Bell"},
    {"555-522-8243", 3, "home", "Anna Haro"},
    {"555-610-6679", 4, "mobile", "David Taylor"},
    {"david.taylor@work.example", 5, "FaceTime", "David Taylor"},
    {"+1 555-010-0199", 0, "", nullptr},
    {"5550100102", 6, "mobile", "Madonna"},
    {"stranger@example.org", 0, "FaceTime", nullptr},
    {"555.010.0105", 9, "work", "Dr. John Smith"},
    {"+1 415 555 0142", 0, "", "SAN FRANCISCO CA"},
    {"+971 4 555 0111", 15, "mobile", "محمد العلي"},
    {"+81 3-5555-0116", 20, "mobile", "花子 山田"},
    {"(555) 010-0150", 23, "home", "Alice Martin"},
    {"+1 555 010 0151", 24, "mobile", "Bob Martin"},
    {"unknown.caller@example.com", 8, "FaceTime", nullptr},
    {"+44 20 7946 0018", 30, "work", "Oliver Twist"},
    {"555-010-0109", 13, "iPhone", "Mary Ann Smith Jones"},
    {"+353 1 555 0128", 28, "mobile", "Conor O'Brien"},
    {"", 0, "", nullptr},
};

id text(const std::string& value) {
  return NSString::stringWithUTF8String(value);
}
id number(int64_t value) {
  return NSNumber::numberWithLongLong(value);
}
id flag(bool value) {
  return NSNumber::numberWithBool(value);
}

// A record of one call. Callers are identified in every way the package has kept them: by uid,
// record id and caller name in each combination, or not at all.
id callRecord(const Party& party, int index, int call, double date) {
  auto record = make<NSDictionary>();
  record->setObject(make<NSDate>(date), "date");
  bool missed = index % 5 == 2;
  record->setObject(flag(missed), "missed");
  record->setObject(flag(!missed && index % 3 == 0), "outgoing");
  record->setObject(text(party.label), "label");
  int kind = (index + call) % 6;
  bool known = party.recordID > 0;
  if (known && (kind == 0 || kind == 1)) record->setObject(number(party.recordID), "uid");
  if (known && (kind == 0 || kind == 2 || kind == 3)) {
    record->setObject(number(party.recordID), "recordId");
  }
  bool named = known ? kind == 0 || kind == 2 || kind == 4 : kind % 2 == 0;
  if (party.name && named) record->setObject(text(party.name), "name");
  return record;
}

bool writePlist(const std::string& root, const std::string& devicePath, const id& plist,
                std::string* error) {
  std::filesystem::path path = root + "/private" + devicePath;
  std::string reason;
  standin::createFolders(path.parent_path().string(), &reason);
  auto bytes = dataWithPropertyList(plist, NSPropertyListXMLFormat_v1_0, &reason);
  if (!bytes || !writeRealFile(path.string(), *bytes, true, &reason)) {
    if (error) *error = path.string() + ": " + reason;
    return false;
  }
  return true;
}

struct Favorite {
  std::string name;
  std::string address;
  int32_t recordID;
};

id favoritesList(const std::vector<Favorite>& favorites) {
  // With a photo (1, 2, 23), without (3, 6), and with the photo on a linked card only (4).
  std::vector<id> items;
  for (const Favorite& favorite : favorites) {
    auto item = make<NSDictionary>();
    item->setObject(text(favorite.name), "name");
    item->setObject(text(favorite.address), "address");
    item->setObject(number(favorite.recordID), "recordId");
    items.push_back(item);
  }
  auto root = make<NSDictionary>();
  root->setObject(make<NSArray>(std::move(items)), "favorites");
  return root;
}

// The entries walk the parties with a stride that reaches every one of them.
id historyList(const std::vector<Party>& parties) {
  std::size_t stride = 7;
  while (parties.size() % stride == 0) stride = stride == 7 ? 5 : stride == 5 ? 3 : 1;
  std::vector<id> entries;
  double date = kNewestCall;
  for (int i = 0; i < kHistoryEntries; ++i) {
    const Party& party = parties[static_cast<std::size_t>(i) * stride % parties.size()];
    int calls = i % 4 == 1 ? 3 : i % 3 == 1 ? 2 : 1;
    std::vector<id> records;
    for (int call = 0; call < calls; ++call) {
      records.push_back(callRecord(party, i, call, date));
      date -= 1'260;
    }
    auto entry = make<NSDictionary>();
    entry->setObject(text(party.address), "address");
    entry->setObject(make<NSArray>(std::move(records)), "calls");
    entries.push_back(entry);
    date -= 4 * 3'600 + 17 * 60 * (i % 5);
  }
  auto root = make<NSDictionary>();
  root->setObject(make<NSArray>(std::move(entries)), "entries");
  return root;
}

bool writeFiles(const std::string& root, const std::vector<Favorite>& favorites,
                const std::vector<Party>& parties, SampleReport* report, std::string* error) {
  if (!writePlist(root, kCallBarFavoritesPath, favoritesList(favorites), error) ||
      !writePlist(root, kCallBarHistoryPath, historyList(parties), error)) {
    return false;
  }
  if (report) {
    report->push_back("CallBar favourites: " + root + "/private" + kCallBarFavoritesPath + " (" +
                      std::to_string(favorites.size()) + " contacts)");
    report->push_back("CallBar history: " + root + "/private" + kCallBarHistoryPath + " (" +
                      std::to_string(kHistoryEntries) + " entries)");
  }
  return true;
}

// CallBar keeps a number's label as the book's label reads: "_$!<Mobile>!$_" is "mobile".
std::string callBarLabel(const std::string& label) {
  if (label.size() > 8 && label.compare(0, 4, "_$!<") == 0 &&
      label.compare(label.size() - 4, 4, ">!$_") == 0) {
    std::string word = label.substr(4, label.size() - 8);
    word[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(word[0])));
    return word;
  }
  return label;
}

}  // namespace

bool writeCallBarFiles(const std::string& root, SampleReport* report, std::string* error) {
  // With a photo (1, 2, 23), without (3, 6), and with the photo on a linked card only (4).
  const std::vector<Favorite> favorites = {
      {"John Appleseed", "+1 (555) 010-0100", 1},
      {"Kate Bell", "(555) 564-8583", 2},
      {"Anna Haro", "555-522-8243", 3},
      {"David Taylor", "555-610-6679", 4},
      {"Madonna", "5550100102", 6},
      {"Alice Martin", "(555) 010-0150", 23},
  };
  return writeFiles(root, favorites, std::vector<Party>(std::begin(kParties), std::end(kParties)),
                    report, error);
}

bool writeCallBarFilesFromBook(const std::string& root, const std::vector<BookPerson>& people,
                               SampleReport* report, std::string* error) {
  std::vector<Favorite> favorites;
  std::vector<Party> parties;
  for (const BookPerson& person : people) {
    if (!person.phones.empty() && favorites.size() < 6) {
      favorites.push_back({person.name, person.phones.front().second, person.recordID});
    }
    const char* name = person.name.empty() ? nullptr : person.name.c_str();
    for (const auto& [label, number] : person.phones) {
      parties.push_back({number, person.recordID, callBarLabel(label), name});
    }
    for (const auto& [label, address] : person.emails) {
      parties.push_back({address, person.recordID, "FaceTime", name});
    }
  }
  // Callers in no card, one the network names, and one without a caller ID.
  parties.push_back({"+1 555-010-0199", 0, "", nullptr});
  parties.push_back({"+1 415 555 0142", 0, "", "SAN FRANCISCO CA"});
  parties.push_back({"stranger@example.org", 0, "FaceTime", nullptr});
  parties.push_back({"", 0, "", nullptr});
  return writeFiles(root, favorites, parties, report, error);
}

}  // namespace sample
