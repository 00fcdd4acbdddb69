#include "SampleDevice.h"
#include "BundlePictures.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>

#include "AddressBookWriter.h"
#include "ContactImport.h"
#include "HandPickedContacts.h"
#include "SampleCallBarFiles.h"
#include "SamplePaneBundle.h"
#include "SamplePictures.h"

namespace sample {
namespace {

// Seconds since 1 January 2001 (the platform's reference date) of 1 June 2015.
constexpr int64_t kBaseDate = 454'809'600;

// The people CallBar's history calls, at most.
constexpr std::size_t kCallBarPeople = 200;

constexpr const char* kMobile = "_$!<Mobile>!$_";
constexpr const char* kHome = "_$!<Home>!$_";
constexpr const char* kWork = "_$!<Work>!$_";
constexpr const char* kIPhone = "iPhone";

std::string displayName(const std::optional<std::string>& first,
                        const std::optional<std::string>& last) {
  std::string name = first.value_or("");
  if (last) name += (name.empty() ? "" : " ") + *last;
  return name.empty() ? "(no name)" : name;
}

std::string describe(const Picture& picture) {
  return std::string(formatName(picture.format)) + " " + std::to_string(picture.width) + "x" +
         std::to_string(picture.height) + " (" + std::to_string(picture.bytes.size()) + " bytes)";
}

Picture draw(const PictureRecipe& recipe) {
  return drawPicture(recipe.kind, recipe.width, recipe.height, recipe.variant, recipe.format);
}

void addLine(SampleReport* report, std::string line) {
  if (report) report->push_back(std::move(line));
}

bool finish(AddressBookWriter& writer, std::string* error) {
  if (writer.commit()) return true;
  if (error) *error = writer.error();
  return false;
}

}  // namespace

bool writeDeviceFiles(const std::string& root, const SampleOptions& options, SampleReport* report,
                      std::string* error) {
  std::string reason;
  if (!standin::initDevice(root, options.profile, &reason)) {
    if (error) *error = reason;
    return false;
  }
  const DeviceProfile& p = options.profile;
  char line[256];
  std::snprintf(line, sizeof line, "device profile: %s (%s, %s, %g x %g @%gx, region %s)",
                standin::profilePath(root).c_str(), p.systemVersion.c_str(), p.machine.c_str(),
                p.width, p.height, p.scale, p.region.c_str());
  addLine(report, line);
  addLine(report, "preferences: " + root + "/private/var/mobile/Library/Preferences");
  if (!installBundlePictures(root, &reason)) {
    if (error) *error = reason;
    return false;
  }
  addLine(report, "settings pane pictures: " + root +
                      "/System/Library/PreferenceBundles/TalvoCBSettings.bundle");
  // A device without the pane still serves every other host; the report says so.
  if (installPaneBundle(root, &reason)) {
    addLine(report, "settings pane: " + root +
                        "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/TalvoCBSettings");
  } else {
    addLine(report, "settings pane: not installed (" + reason + ")");
  }
  return true;
}

bool writeHandPickedAddressBook(const std::string& root, const std::string& region,
                                SampleReport* report, std::string* error) {
  AddressBookWriter writer(root, region);
  std::vector<HandPickedPerson> people = handPickedPeople();
  std::map<int, int64_t> links;
  std::map<int, ABRecordID> firstCardOfLink;
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < people.size(); ++i) {
    const HandPickedPerson& person = people[i];
    int64_t link = -1;
    if (person.linkGroup > 0) {
      if (!links.count(person.linkGroup)) {
        links[person.linkGroup] = writer.addLink(displayName(person.first, person.last));
      }
      link = links[person.linkGroup];
    }
    ABRecordID id = writer.addPerson(person.first, person.last,
                                     kBaseDate + static_cast<int64_t>(i) * 3600, link);
    std::string line = "  " + std::to_string(id) + "  " + displayName(person.first, person.last);
    if (person.linkGroup > 0) {
      if (firstCardOfLink.count(person.linkGroup)) {
        line += "  [linked with " + std::to_string(firstCardOfLink[person.linkGroup]) + "]";
      } else {
        firstCardOfLink[person.linkGroup] = id;
      }
    }
    for (const auto& [label, value] : person.phones) {
      writer.addPhone(id, value, label);
      line += "  tel " + value;
    }
    for (const auto& [label, value] : person.emails) {
      writer.addEmail(id, value, label);
      line += "  mail " + value;
    }
    if (person.thumbnail) {
      Picture picture = draw(*person.thumbnail);
      writer.addThumbnail(id, picture);
      line += "  thumbnail " + describe(picture);
    }
    if (person.fullSize) {
      Picture picture = draw(*person.fullSize);
      writer.addFullSizeImage(id, picture);
      line += "  photo " + describe(picture);
    }
    lines.push_back(line);
  }
  if (!finish(writer, error)) return false;
  addLine(report, "address book: " + AddressBookWriter::databasePath(root) + " (" +
                      std::to_string(people.size()) + " hand-picked contacts)");
  addLine(report, "address-book images: " + AddressBookWriter::imagesDatabasePath(root));
  for (std::string& line : lines) addLine(report, std::move(line));
  return true;
}

bool writeGeneratedAddressBook(const std::string& root, const std::string& region, int contacts,
                               uint64_t seed, SampleReport* report, std::string* error) {
  static const char* const firstNames[] = {
      "James",   "Mary",      "Robert", "Patricia", "Michael", "Jennifer", "William", "Linda",
      "David",   "Elizabeth", "Sofia",  "Lucas",    "Emma",    "Noah",     "Olivia",  "Liam",
      "Mia",     "Mateo",     "Chloé",  "Jürgen",   "Zoë",     "José",     "Ana",     "Yuki",
      "Hiroshi", "Wei",       "Li",     "Priya",    "Arjun",   "Fatima",   "Omar",    "Ivan",
      "Olga",    "Nikos",     "Eleni",  "Sven",     "Ingrid",  "Kwame",    "Amara",   "Siobhán",
      "Анна",    "Дмитрий",   "Μαρία",  "محمد",     "שרה",     "美咲",     "翔太",    "明",
      "Thảo",    "Nguyễn"};
  static const char* const lastNames[] = {"Smith",     "Johnson",
                                          "Williams",  "Brown",
                                          "Jones",     "Garcia",
                                          "Miller",    "Davis",
                                          "Rodriguez", "Martinez",
                                          "Hernández", "Lopez",
                                          "Gonzalez",  "Wilson",
                                          "Anderson",  "Thomas",
                                          "Taylor",    "Moore",
                                          "Jackson",   "Martin",
                                          "Lee",       "O'Connor",
                                          "Müller",    "Schmidt",
                                          "Rossi",     "Dubois",
                                          "Nakamura",  "Tanaka",
                                          "Wang",      "Zhang",
                                          "Kumar",     "Singh",
                                          "Haddad",    "Cohen",
                                          "Petrov",    "Papadopoulos",
                                          "Andersson", "Nowak",
                                          "Okafor",    "van der Berg",
                                          "Иванов",    "Κωνσταντίνου",
                                          "الحسن",     "לוי",
                                          "佐藤",      "李"};
  static const char* const domains[] = {"example.com", "example.net", "example.org", "mail.example",
                                        "work.example"};
  static const char* const phoneLabels[] = {kMobile, kHome, kWork, kIPhone};
  std::mt19937_64 random(seed);
  auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  auto digits = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + pick(10));
    return text;
  };
  auto phoneNumber = [&] {
    std::string area = std::to_string(201 + pick(780)), exchange = std::to_string(200 + pick(800));
    std::string line = digits(4);
    switch (pick(5)) {
      case 0:
        return "(" + area + ") " + exchange + "-" + line;
      case 1:
        return area + "-" + exchange + "-" + line;
      case 2:
        return "+1 " + area + " " + exchange + " " + line;
      case 3:
        return "1" + area + exchange + line;
      default:
        return area + "." + exchange + "." + line;
    }
  };

  // A small pool of thumbnails keeps a large book quick to write.
  std::vector<Picture> pool;
  for (uint32_t i = 0; i < 24; ++i) {
    int size = 60 + 20 * static_cast<int>(i % 4);
    pool.push_back(drawPicture(i % 3 == 2 ? PictureKind::Pattern : PictureKind::Face, size,
                               i % 5 == 4 ? size * 3 / 4 : size, i,
                               i % 4 == 3 ? PictureFormat::PNG : PictureFormat::JPEG));
  }

  AddressBookWriter writer(root, region);
  int phones = 0, emails = 0, thumbnails = 0, linked = 0;
  std::string firstPhone, firstEmail;
  for (int i = 0; i < contacts && writer.ok(); ++i) {
    std::string first = firstNames[pick(std::size(firstNames))];
    std::string last = lastNames[pick(std::size(lastNames))];
    // About one in twenty people has a second card; its photo is on that card only.
    bool twoCards = i + 1 < contacts && pick(20) == 0;
    int64_t link = twoCards ? writer.addLink(first + " " + last) : -1;
    ABRecordID id = writer.addPerson(first, last, kBaseDate + i * 60, link);
    int numbers = 1 + static_cast<int>(pick(3) == 0) + static_cast<int>(pick(6) == 0);
    for (int n = 0; n < numbers; ++n) {
      std::string number = phoneNumber();
      if (firstPhone.empty()) firstPhone = number;
      writer.addPhone(id, number, phoneLabels[pick(std::size(phoneLabels))]);
      ++phones;
    }
    if (pick(3) != 0) {
      auto plain = [](const std::string& text) {
        return std::all_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80 && c != ' '; });
      };
      bool ascii = plain(first) && plain(last);
      std::string local = ascii ? first + "." + last : "contact" + std::to_string(id) + ".";
      local.erase(std::remove(local.begin(), local.end(), '\''), local.end());
      std::string address =
          local + std::to_string(pick(1000)) + "@" + domains[pick(std::size(domains))];
      if (firstEmail.empty()) firstEmail = address;
      writer.addEmail(id, address, kHome);
      ++emails;
    }
    ABRecordID photoCard = id;
    if (twoCards) {
      photoCard = writer.addPerson(first, last, kBaseDate + i * 60 + 30, link);
      ++linked;
      ++i;
    }
    if (twoCards || pick(5) == 0) {
      writer.addThumbnail(photoCard, pool[pick(pool.size())]);
      ++thumbnails;
    }
  }
  if (!finish(writer, error)) return false;
  addLine(report, "address book: " + AddressBookWriter::databasePath(root) + " (" +
                      std::to_string(contacts) + " generated contacts, seed " +
                      std::to_string(seed) + ")");
  addLine(report, "  " + std::to_string(phones) + " phone numbers, " + std::to_string(emails) +
                      " e-mail addresses, " + std::to_string(linked) + " people on two cards");
  addLine(report, "address-book images: " + AddressBookWriter::imagesDatabasePath(root) + " (" +
                      std::to_string(thumbnails) + " thumbnails)");
  if (!firstPhone.empty()) addLine(report, "  first phone number: " + firstPhone);
  if (!firstEmail.empty()) addLine(report, "  first e-mail address: " + firstEmail);
  return true;
}

bool writeImportedAddressBook(const std::string& root, const std::string& region,
                              const std::vector<std::string>& files, SampleReport* report,
                              std::string* error) {
  AddressBookWriter writer(root, region);
  ImportReport imported;
  if (!writer.ok() || !importVCardFiles(writer, files, referenceDateNow(), &imported, error)) {
    if (error && error->empty()) *error = writer.error();
    return false;
  }
  if (!finish(writer, error)) return false;
  addLine(report, "address book: " + AddressBookWriter::databasePath(root) + " (" +
                      std::to_string(imported.imported) + " contacts from vCard files)");
  addLine(report, "address-book images: " + AddressBookWriter::imagesDatabasePath(root));
  for (std::string& line : imported.lines) addLine(report, std::move(line));
  for (std::string& line : imported.problems) addLine(report, std::move(line));
  return true;
}

bool writeSampleDevice(const std::string& root, const SampleOptions& options, SampleReport* report,
                       std::string* error) {
  if (!writeDeviceFiles(root, options, report, error)) return false;
  if (!options.vcardFiles.empty()) {
    std::vector<BookPerson> people;
    return writeImportedAddressBook(root, options.profile.region, options.vcardFiles, report,
                                    error) &&
           readBookPeople(root, kCallBarPeople, &people, error) &&
           writeCallBarFilesFromBook(root, people, report, error);
  }
  if (options.contacts) {
    return writeGeneratedAddressBook(root, options.profile.region, *options.contacts, options.seed,
                                     report, error);
  }
  // CallBar's favourites and history name people of the hand-picked book.
  return writeHandPickedAddressBook(root, options.profile.region, report, error) &&
         writeCallBarFiles(root, report, error);
}

}  // namespace sample
