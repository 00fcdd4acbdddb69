#include "SimCast.h"

#include <algorithm>
#include <set>
#include <utility>

#include "TalvoCBUtils+ContactLookup.h"
#include "addressbook/ABAddressBook.h"
#include "addressbook/ABDatabase.h"
#include "addressbook/ABSQLite.h"
#include "apps/CallBarFiles.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIImage.h"

namespace simulator {

namespace {
// The device's text goes into captions and a property list: no control characters, one space
// between words.
std::string tidy(const std::string& text) {
  std::string out;
  bool space = false;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f || c == ' ') {
      space = !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    out += c;
  }
  return out;
}

std::string nameOf(ABRecordRef person) {
  auto first = stringValue(ABRecordCopyValue(person, kABPersonFirstNameProperty));
  auto last = stringValue(ABRecordCopyValue(person, kABPersonLastNameProperty));
  return tidy(first.value_or("") + " " + last.value_or(""));
}

// The cards with a thumbnail, as the add-on reads them, in one pass over the images file.
std::set<int32_t> cardsWithThumbnail() {
  std::set<int32_t> cards;
  sqlite3* images = addressbook::openReadOnly(kABImagesDatabaseDevicePath);
  {
    addressbook::Statement all(images,
                               "SELECT record_id FROM ABThumbnailImage WHERE format = 0 AND "
                               "data IS NOT NULL AND length(data) > 0");
    while (all.step()) cards.insert(static_cast<int32_t>(all.integer(0)));
  }
  sqlite3_close(images);
  return cards;
}

// The person's phone numbers, in the order they were added.
std::vector<std::string> numbersOf(sqlite3* db, int32_t card) {
  std::vector<std::string> numbers;
  addressbook::Statement phones(
      db, "SELECT value FROM ABMultiValue WHERE record_id = ? AND property = 3 ORDER BY UID");
  phones.bind(1, card);
  while (phones.step()) {
    auto value = phones.text(0);
    std::string number = value ? tidy(*value) : "";
    // The host dials a party of at most fourteen words.
    if (!number.empty() && std::count(number.begin(), number.end(), ' ') < 14) {
      numbers.push_back(number);
    }
  }
  return numbers;
}

// What the add-on shows for the card: its own thumbnail, else that of the first other linked
// card with one.
void fillPicture(SimPerson& person, ABRecordRef card, const std::set<int32_t>& withThumbnail) {
  person.picture = SimPicture::NoPhoto;
  if (withThumbnail.count(person.id)) {
    person.picture = SimPicture::OwnPhoto;
    person.photoCard = person.id;
    return;
  }
  for (ABRecordRef linked : ABPersonCopyArrayOfAllLinkedPeople(card)) {
    int32_t other = ABRecordGetRecordID(linked);
    if (other != person.id && withThumbnail.count(other)) {
      person.picture = SimPicture::LinkedPhoto;
      person.photoCard = other;
      return;
    }
  }
}

void measurePhoto(ABAddressBookRef book, SimPerson& person) {
  if (person.picture == SimPicture::NoPhoto) return;
  ABRecordRef card = ABAddressBookGetPersonWithRecordID(book, person.photoCard);
  auto image = UIImage::imageWithData(
      ABPersonCopyImageDataWithFormat(card, kABPersonImageFormatThumbnail), 1.0);
  if (!image) return;
  person.photoWidth = static_cast<int>(image->size().width);
  person.photoHeight = static_cast<int>(image->size().height);
}

SimPerson lookUp(ABAddressBookRef book, const std::string& party,
                 const std::set<int32_t>& withThumbnail) {
  SimPerson person;
  person.party = tidy(party);
  int32_t found = TalvoCBUtils::getContactID(person.party);
  ABRecordRef card = found >= 1 ? ABAddressBookGetPersonWithRecordID(book, found) : nullptr;
  if (!card) return person;
  person.id = found;
  person.name = nameOf(card);
  fillPicture(person, card, withThumbnail);
  measurePhoto(book, person);
  return person;
}

// A number that is in no card: a number of the films first, then its neighbours.
std::string strangerNumber() {
  for (int last = 9; last < 100; ++last) {
    std::string number = "+1 555 867 53" + std::string(last < 10 ? "0" : "") + std::to_string(last);
    if (TalvoCBUtils::getContactID(number) < 1) return number;
  }
  return "";
}

const char* pictureName(SimPicture picture) {
  switch (picture) {
    case SimPicture::OwnPhoto:
      return "own photo";
    case SimPicture::LinkedPhoto:
      return "linked photo";
    case SimPicture::NoPhoto:
      break;
  }
  return "no photo";
}

id text(const std::string& value) {
  return NSString::stringWithUTF8String(value);
}
id number(int64_t value) {
  return NSNumber::numberWithLongLong(value);
}

id personPropertyList(const SimPerson& person) {
  auto entry = make<NSDictionary>();
  entry->setObject(number(person.id), "id");
  entry->setObject(text(person.party), "party");
  entry->setObject(text(person.name), "name");
  entry->setObject(text(pictureName(person.picture)), "picture");
  entry->setObject(number(person.photoCard), "photoCard");
  entry->setObject(number(person.photoWidth), "photoWidth");
  entry->setObject(number(person.photoHeight), "photoHeight");
  return entry;
}

SimPerson personFromPropertyList(const id& plist) {
  auto entry = cast<NSDictionary>(plist);
  SimPerson person;
  if (!entry) return person;
  auto value = [&](const char* key) { return entry->objectForKey(key); };
  person.id = static_cast<int32_t>(integerValue(value("id")));
  person.party = stringValue(value("party")).value_or("");
  person.name = stringValue(value("name")).value_or("");
  std::string picture = stringValue(value("picture")).value_or("");
  for (SimPicture kind : {SimPicture::OwnPhoto, SimPicture::LinkedPhoto}) {
    if (picture == pictureName(kind)) person.picture = kind;
  }
  person.photoCard = static_cast<int32_t>(integerValue(value("photoCard")));
  person.photoWidth = static_cast<int>(integerValue(value("photoWidth")));
  person.photoHeight = static_cast<int>(integerValue(value("photoHeight")));
  return person;
}

constexpr SimRole kRoles[] = {SimRole::OwnPhoto, SimRole::LinkedPhoto, SimRole::NoPhoto,
                              SimRole::Photoless};
const char* roleKey(SimRole role) {
  switch (role) {
    case SimRole::OwnPhoto:
      return "ownPhoto";
    case SimRole::LinkedPhoto:
      return "linkedPhoto";
    case SimRole::NoPhoto:
      return "noPhoto";
    case SimRole::Photoless:
      break;
  }
  return "photoless";
}
std::optional<SimPerson>& slot(SimCast& cast, SimRole role) {
  return const_cast<std::optional<SimPerson>&>(std::as_const(cast).role(role));
}
}  // namespace

const char* describeRole(SimRole role) {
  switch (role) {
    case SimRole::OwnPhoto:
      return "a person with a photo of their own and a number";
    case SimRole::LinkedPhoto:
      return "a person whose photo is only on a linked card, with a number";
    case SimRole::NoPhoto:
      return "a person without a photo, with a number";
    case SimRole::Photoless:
      break;
  }
  return "a person without a photo";
}

const std::optional<SimPerson>& SimCast::role(SimRole which) const {
  switch (which) {
    case SimRole::OwnPhoto:
      return ownPhoto;
    case SimRole::LinkedPhoto:
      return linkedPhoto;
    case SimRole::NoPhoto:
      return noPhoto;
    case SimRole::Photoless:
      break;
  }
  return photoless;
}

SimCast readCast(const std::vector<std::string>& parties) {
  SimCast cast;
  for (const callbar::Favorite& favorite : callbar::readFavorites()) {
    cast.favorites.push_back(tidy(favorite.name.empty() ? favorite.address : favorite.name));
  }
  cast.historyEntries = callbar::readHistory().size();
  if (auto reason = standin::addressBookUnreadableReason()) {
    cast.unreadable = "the address book cannot be read: " + *reason;
    return cast;
  }
  ABAddressBookRef book = ABAddressBookCreate();
  sqlite3* db = addressbook::openReadOnly(kABDatabaseDevicePath);
  std::set<int32_t> withThumbnail = cardsWithThumbnail();
  for (ABRecordRef card : ABAddressBookCopyArrayOfAllPeople(book)) {
    if (cast.ownPhoto && cast.linkedPhoto && cast.noPhoto && cast.photoless) break;
    SimPerson person;
    person.id = ABRecordGetRecordID(card);
    person.name = nameOf(card);
    fillPicture(person, card, withThumbnail);
    if (person.picture == SimPicture::NoPhoto && !cast.photoless) cast.photoless = person;
    std::optional<SimPerson>& caller =
        slot(cast, person.picture == SimPicture::OwnPhoto      ? SimRole::OwnPhoto
                   : person.picture == SimPicture::LinkedPhoto ? SimRole::LinkedPhoto
                                                               : SimRole::NoPhoto);
    if (caller) continue;
    // A number that finds another card first would show that card's picture.
    for (const std::string& party : numbersOf(db, person.id)) {
      if (TalvoCBUtils::getContactID(party) != person.id) continue;
      person.party = party;
      measurePhoto(book, person);
      caller = person;
      break;
    }
  }
  sqlite3_close(db);
  cast.stranger = strangerNumber();
  for (const std::string& party : parties)
    cast.parties.push_back(lookUp(book, party, withThumbnail));
  CFRelease(book);
  return cast;
}

id castPropertyList(const SimCast& cast) {
  auto plist = make<NSDictionary>();
  if (!cast.unreadable.empty()) plist->setObject(text(cast.unreadable), "unreadable");
  for (SimRole role : kRoles) {
    if (const auto& person = cast.role(role)) {
      plist->setObject(personPropertyList(*person), roleKey(role));
    }
  }
  plist->setObject(text(cast.stranger), "stranger");
  std::vector<id> parties, favorites;
  for (const SimPerson& person : cast.parties) parties.push_back(personPropertyList(person));
  for (const std::string& favorite : cast.favorites) favorites.push_back(text(favorite));
  plist->setObject(make<NSArray>(std::move(parties)), "parties");
  plist->setObject(make<NSArray>(std::move(favorites)), "favorites");
  plist->setObject(number(static_cast<int64_t>(cast.historyEntries)), "historyEntries");
  return plist;
}

SimCast castFromPropertyList(const id& plist) {
  SimCast read;
  auto root = cast<NSDictionary>(plist);
  if (!root) {
    read.failure = "the cast of the device is no property list";
    return read;
  }
  read.unreadable = stringValue(root->objectForKey("unreadable")).value_or("");
  for (SimRole role : kRoles) {
    if (id entry = root->objectForKey(roleKey(role))) {
      slot(read, role) = personFromPropertyList(entry);
    }
  }
  read.stranger = stringValue(root->objectForKey("stranger")).value_or("");
  if (auto parties = cast<NSArray>(root->objectForKey("parties"))) {
    for (const id& entry : parties->items) read.parties.push_back(personFromPropertyList(entry));
  }
  if (auto favorites = cast<NSArray>(root->objectForKey("favorites"))) {
    for (const id& entry : favorites->items) {
      read.favorites.push_back(stringValue(entry).value_or(""));
    }
  }
  read.historyEntries = static_cast<std::size_t>(
      std::max<int64_t>(0, integerValue(root->objectForKey("historyEntries"))));
  return read;
}

std::string photoShape(const SimPerson& person) {
  if (person.picture == SimPicture::NoPhoto || person.photoWidth == person.photoHeight ||
      person.photoWidth < 1 || person.photoHeight < 1) {
    return "";
  }
  return std::string(
             ". The add-on draws every photo at 80 × 80 pixels, stretched whatever its "
             "proportions, so this ") +
         (person.photoWidth < person.photoHeight ? "tall" : "wide") + " photo (" +
         std::to_string(person.photoWidth) + " × " + std::to_string(person.photoHeight) +
         ") shows squashed, as it does on the phone";
}

std::string nameOrParty(const SimPerson& person) {
  return person.name.empty() ? person.party : person.name;
}

std::string describeCaller(const SimPerson& person) {
  if (person.id < 1) {
    bool address = person.party.find('@') != std::string::npos;
    return person.party + (address ? ", an address on no card" : ", a number on no card");
  }
  std::string who =
      person.party + ", " + (person.name.empty() ? "a card without a name" : person.name);
  switch (person.picture) {
    case SimPicture::OwnPhoto:
      return who + ", whose photo is on their own card";
    case SimPicture::LinkedPhoto:
      return who + ", whose photo is only on their other, linked card";
    case SimPicture::NoPhoto:
      break;
  }
  return who + ", who has no photo: their monogram";
}

}  // namespace simulator
