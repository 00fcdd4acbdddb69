#include "contacts/CNContact.h"

#include "addressbook/ABAddressBook.h"

const char* const CNContactGivenNameKey = "givenName";
const char* const CNContactFamilyNameKey = "familyName";
const char* const CNContactThumbnailImageDataKey = "thumbnailImageData";
const char* const CNContactImageDataAvailableKey = "imageDataAvailable";

namespace {
std::shared_ptr<CNContact> contactOf(const id& self) {
  return std::dynamic_pointer_cast<CNContact>(self);
}
int32_t recordIDOf(id self, SEL) {
  auto contact = contactOf(self);
  return contact ? contact->recordID() : -1;
}
id identifierOf(id self, SEL) {
  auto contact = contactOf(self);
  return contact ? NSString::stringWithUTF8String(contact->identifier()) : nullptr;
}
id givenNameOf(id self, SEL) {
  auto contact = contactOf(self);
  auto name = contact ? contact->givenName() : std::nullopt;
  return name ? NSString::stringWithUTF8String(*name) : nullptr;
}
id familyNameOf(id self, SEL) {
  auto contact = contactOf(self);
  auto name = contact ? contact->familyName() : std::nullopt;
  return name ? NSString::stringWithUTF8String(*name) : nullptr;
}
bool imageDataAvailableOf(id self, SEL) {
  auto contact = contactOf(self);
  return contact && contact->imageDataAvailable();
}
id thumbnailImageDataOf(id self, SEL) {
  auto contact = contactOf(self);
  return contact ? contact->thumbnailImageData() : nullptr;
}
bool areKeysAvailable(id self, SEL, id keys) {
  auto contact = contactOf(self);
  auto list = std::dynamic_pointer_cast<NSArray>(keys);
  if (!contact || !list) return false;
  for (const id& key : list->items) {
    auto name = stringValue(key);
    if (!name || !contact->isKeyAvailable(*name)) return false;
  }
  return true;
}
}  // namespace

Class CNContact::class_() {
  static Class cls = [] {
    Class c = objc_registerClass("CNContact", NSObject::class_());
    class_addMethod(c, sel_registerName("recordID"), recordIDOf, "i@:");
    class_addMethod(c, sel_registerName("identifier"), identifierOf, "@@:");
    class_addMethod(c, sel_registerName("givenName"), givenNameOf, "@@:");
    class_addMethod(c, sel_registerName("familyName"), familyNameOf, "@@:");
    class_addMethod(c, sel_registerName("imageDataAvailable"), imageDataAvailableOf, "B@:");
    class_addMethod(c, sel_registerName("thumbnailImageData"), thumbnailImageDataOf, "@@:");
    class_addMethod(c, sel_registerName("areKeysAvailable:"), areKeysAvailable, "B@:@");
    return c;
  }();
  return cls;
}

std::shared_ptr<CNContact> CNContact::contactWithPerson(ABRecordRef person) {
  if (!person) return nullptr;
  auto contact = make<CNContact>();
  contact->recordID_ = ABRecordGetRecordID(person);
  contact->givenName_ = stringValue(ABRecordCopyValue(person, kABPersonFirstNameProperty));
  contact->familyName_ = stringValue(ABRecordCopyValue(person, kABPersonLastNameProperty));
  // A contact is the unified person: a photo on any linked card is the contact's photo.
  for (ABRecordRef card : ABPersonCopyArrayOfAllLinkedPeople(person)) {
    contact->thumbnail_ = ABPersonCopyImageDataWithFormat(card, kABPersonImageFormatThumbnail);
    if (!contact->thumbnail_) contact->thumbnail_ = ABPersonCopyImageData(card);
    if (contact->thumbnail_) break;
  }
  contact->keys_ = {CNContactGivenNameKey, CNContactFamilyNameKey, CNContactThumbnailImageDataKey,
                    CNContactImageDataAvailableKey};
  return contact;
}

std::shared_ptr<CNContact> CNContact::contactWithPerson(ABRecordRef person,
                                                        const std::set<std::string>& keys) {
  if (!person) return nullptr;
  auto contact = make<CNContact>();
  contact->recordID_ = ABRecordGetRecordID(person);
  contact->givenName_ = stringValue(ABRecordCopyValue(person, kABPersonFirstNameProperty));
  contact->familyName_ = stringValue(ABRecordCopyValue(person, kABPersonLastNameProperty));
  if (keys.count(CNContactThumbnailImageDataKey)) {
    contact->thumbnail_ = ABPersonCopyImageDataWithFormat(person, kABPersonImageFormatThumbnail);
  }
  if (keys.count(CNContactImageDataAvailableKey)) {
    contact->imageDataAvailable_ = contact->thumbnail_ || ABPersonHasImageData(person);
  }
  contact->keys_ = keys;
  return contact;
}

std::shared_ptr<CNContact> CNContact::copyWithKeys(const std::set<std::string>& keys) const {
  auto copy = make<CNContact>();
  copy->recordID_ = recordID_;
  copy->givenName_ = givenName_;
  copy->familyName_ = familyName_;
  copy->thumbnail_ = thumbnail_;
  copy->imageDataAvailable_ = imageDataAvailable_;
  copy->keys_ = keys;
  return copy;
}

std::string CNContact::identifier() const {
  return "sim-contact-" + std::to_string(recordID_);
}

bool CNContact::isKeyAvailable(const std::string& key) const {
  return keys_.count(key) > 0;
}

std::optional<std::string> CNContact::givenName() const {
  return isKeyAvailable(CNContactGivenNameKey) ? givenName_ : std::nullopt;
}

std::optional<std::string> CNContact::familyName() const {
  return isKeyAvailable(CNContactFamilyNameKey) ? familyName_ : std::nullopt;
}

bool CNContact::imageDataAvailable() const {
  if (!isKeyAvailable(CNContactImageDataAvailableKey)) return false;
  if (imageDataAvailable_) return *imageDataAvailable_;
  return thumbnail_ && thumbnail_->length() > 0;
}

std::shared_ptr<NSData> CNContact::thumbnailImageData() const {
  return isKeyAvailable(CNContactThumbnailImageDataKey) ? thumbnail_ : nullptr;
}
