#include "apps/SystemMonogrammer.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include "addressbook/ABAddressBook.h"
#include "apps/SystemMonogramDrawing.h"
#include "contacts/CNContact.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"

namespace {
constexpr CGFloat kDiameter = 60;
// The system's light face; the add-on draws its own monograms in it too.
constexpr const char* kLightFamily = "DejaVu Sans Light";
constexpr CGFloat kFontSize = 26;

std::shared_ptr<SystemMonogrammer> monogrammerOf(const id& self) {
  return cast<SystemMonogrammer>(self);
}

// The first letter of the name, upper-cased for the reader's script ("é" gives "É").
std::string firstLetter(const std::optional<std::string>& name) {
  if (!name || name->empty()) return "";
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(*name);
  icu::UnicodeString letter(text.char32At(0));
  letter.toUpper(icu::Locale::getRoot());
  std::string out;
  return letter.toUTF8String(out);
}

std::string initialsOf(const std::optional<std::string>& given,
                       const std::optional<std::string>& family) {
  return firstLetter(given) + firstLetter(family);
}

// The composition both monogrammers share: the photo when there is image data, else the
// initials, each through the runtime. A picture of the photo path that is still the host's own
// is named after the contact; one that came back from elsewhere keeps what it says.
id composeMonogram(const id& self, int32_t recordID, const std::shared_ptr<NSData>& imageData,
                   const std::string& initials, bool* isImage) {
  bool photo = imageData && imageData->length() > 0;
  if (isImage) *isImage = photo;
  if (!photo) {
    return objc_msgSend<id(id)>(
        self, "_copyMonogramWithInitials:", id(NSString::stringWithUTF8String(initials)));
  }
  id picture = objc_msgSend<id(id)>(self, "_copyMonogramWithImageData:", id(imageData));
  auto image = cast<UIImage>(picture);
  if (image && image->source() == "host photo") {
    image->setSource(stringWithFormat("host photo of contact %d", recordID));
  }
  return picture;
}
}  // namespace

SystemMonogrammer::SystemMonogrammer(Class cls)
    : NSObject(cls), diameter_(kDiameter), font_(UIFont::fontWithName(kLightFamily, kFontSize)) {}

id SystemMonogrammer::make(Class cls) {
  return objc_alloc::make<SystemMonogrammer>(cls);
}

namespace SystemMonogrammerMethods {

id font(id self, SEL) {
  auto monogrammer = monogrammerOf(self);
  return monogrammer ? monogrammer->font() : nullptr;
}

id copyMonogramWithImageData(id self, SEL, id data) {
  auto monogrammer = monogrammerOf(self);
  if (!monogrammer) return nullptr;
  if (auto photo =
          standin::apps::drawSystemPhotoDisc(cast<NSData>(data), monogrammer->diameter())) {
    return photo;
  }
  return standin::apps::drawSystemPlaceholderDisc(monogrammer->diameter());
}

id copyMonogramWithInitials(id self, SEL, id initials) {
  auto monogrammer = monogrammerOf(self);
  if (!monogrammer) return nullptr;
  auto text = stringValue(initials).value_or("");
  if (auto monogram = standin::apps::drawSystemInitialsDisc(text, monogrammer->diameter(),
                                                            monogrammer->font())) {
    return monogram;
  }
  return standin::apps::drawSystemPlaceholderDisc(monogrammer->diameter());
}

id monogramForContact(id self, SEL, id contact, bool* isContactImage) {
  auto person = cast<CNContact>(contact);
  if (!person) return composeMonogram(self, 0, nullptr, "", isContactImage);
  auto data = person->imageDataAvailable() ? person->thumbnailImageData() : nullptr;
  return composeMonogram(self, person->recordID(), data,
                         initialsOf(person->givenName(), person->familyName()), isContactImage);
}

// The system shows a person as the unified contact: the person's own photo, else that of the
// first linked card with one, as its lists (preferredPersonForPhoto) and the Contacts
// framework's unified contact do.
std::shared_ptr<NSData> preferredPhoto(ABRecordRef person) {
  if (ABPersonHasImageData(person)) {
    return ABPersonCopyImageDataWithFormat(person, kABPersonImageFormatThumbnail);
  }
  for (ABRecordRef card : ABPersonCopyArrayOfAllLinkedPeople(person)) {
    if (card != person && ABPersonHasImageData(card)) {
      return ABPersonCopyImageDataWithFormat(card, kABPersonImageFormatThumbnail);
    }
  }
  return nullptr;
}

id monogramForPerson(id self, SEL, ABRecordRef person, bool* isPersonImage) {
  if (!person) return composeMonogram(self, 0, nullptr, "", isPersonImage);
  auto data = preferredPhoto(person);
  return composeMonogram(
      self, ABRecordGetRecordID(person), data,
      initialsOf(stringValue(ABRecordCopyValue(person, kABPersonFirstNameProperty)),
                 stringValue(ABRecordCopyValue(person, kABPersonLastNameProperty))),
      isPersonImage);
}

}  // namespace SystemMonogrammerMethods
