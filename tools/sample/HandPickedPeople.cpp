#include <map>
#include <stdexcept>

#include "HandPickedContacts.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace sample {
namespace {

// The address book's own spellings of the labels the list names.
std::string bookLabel(const std::string& label) {
  static const std::map<std::string, std::string> labels = {{"mobile", "_$!<Mobile>!$_"},
                                                            {"home", "_$!<Home>!$_"},
                                                            {"work", "_$!<Work>!$_"},
                                                            {"other", "_$!<Other>!$_"},
                                                            {"iPhone", "iPhone"}};
  auto found = labels.find(label);
  if (found == labels.end()) throw std::logic_error("hand-picked contacts: label " + label);
  return found->second;
}

std::vector<std::pair<std::string, std::string>> labelledValues(const NSDictionary& person,
                                                                const std::string& key) {
  std::vector<std::pair<std::string, std::string>> values;
  auto list = std::dynamic_pointer_cast<NSArray>(person.objectForKey(key));
  if (!list) return values;
  for (const id& item : list->items) {
    auto entry = std::dynamic_pointer_cast<NSDictionary>(item);
    auto label = entry ? stringValue(entry->objectForKey("label")) : std::nullopt;
    auto value = entry ? stringValue(entry->objectForKey("value")) : std::nullopt;
    if (!label || !value) throw std::logic_error("hand-picked contacts: a " + key + " entry");
    values.emplace_back(bookLabel(*label), *value);
  }
  return values;
}

std::optional<PictureRecipe> recipe(const NSDictionary& person, const std::string& key) {
  auto picture = std::dynamic_pointer_cast<NSDictionary>(person.objectForKey(key));
  if (!picture) return std::nullopt;
  auto kind = stringValue(picture->objectForKey("kind")).value_or("");
  auto format = stringValue(picture->objectForKey("format")).value_or("");
  if ((kind != "face" && kind != "pattern") || (format != "jpeg" && format != "png")) {
    throw std::logic_error("hand-picked contacts: a " + key + " of kind " + kind);
  }
  return PictureRecipe{kind == "face" ? PictureKind::Face : PictureKind::Pattern,
                       static_cast<int>(integerValue(picture->objectForKey("width"))),
                       static_cast<int>(integerValue(picture->objectForKey("height"))),
                       static_cast<uint32_t>(integerValue(picture->objectForKey("variant"))),
                       format == "jpeg" ? PictureFormat::JPEG : PictureFormat::PNG};
}

}  // namespace

std::vector<HandPickedPerson> handPickedPeople() {
  std::string reason;
  auto list = std::dynamic_pointer_cast<NSArray>(
      propertyListFromData(handPickedContactsPropertyList(), &reason));
  if (!list) throw std::logic_error("hand-picked contacts: " + reason);
  std::vector<HandPickedPerson> people;
  for (const id& item : list->items) {
    auto person = std::dynamic_pointer_cast<NSDictionary>(item);
    if (!person) throw std::logic_error("hand-picked contacts: an entry is no dictionary");
    people.push_back({stringValue(person->objectForKey("first")),
                      stringValue(person->objectForKey("last")),
                      static_cast<int>(integerValue(person->objectForKey("link"))),
                      labelledValues(*person, "phones"), labelledValues(*person, "emails"),
                      recipe(*person, "thumbnail"), recipe(*person, "photo")});
  }
  return people;
}

}  // namespace sample
