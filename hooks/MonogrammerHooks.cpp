// The system's monogrammers: CallBar draws its favourites buttons with one. Only CallBar's own
// monogrammer in SpringBoard hands out the add-on's pictures; every other keeps the system's.
//
// Pictures are shared_ptr: whoever holds one keeps it alive, so the platform's rule that the
// copy-named methods answer +1 and the others +0 needs no extra reference on any path here.
#include "CallBarPictureSizes.h"
#include "HookFamilies.h"
#include "HookInstaller.h"
#include "NSObject+TalvoCB_CNMonogrammer.h"
#include "SettingsSwitches.h"
#include "TalvoCBModuleState.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+Retrieval.h"
#include "addressbook/ABAddressBook.h"
#include "apps/HostClasses.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"

namespace {
HostSignature::ObjectFromObject cnCopyMonogramWithImageData;
HostSignature::ObjectFromObject cnCopyMonogramWithInitials;
HostSignature::MonogramForContact cnMonogramForContact;
HostSignature::ObjectFromObject abCopyMonogramWithInitials;
HostSignature::ObjectFromObject abCopyMonogramWithImageData;
HostSignature::MonogramForPerson abMonogramForPerson;

constexpr CGSize kPictureSize{kFavoritePictureSide, kFavoritePictureSide};

bool isCallBarMonogrammer(const id& self) {
  return self && self == TalvoCBModuleState::savedCallBarMonogrammer;
}
// CallBar's monogrammer in SpringBoard with its favourites shown by the add-on.
bool drawsForCallBar(const id& self) {
  return isSpringBoard() && picturesOnFavorites() && isCallBarMonogrammer(self);
}

UIFontPtr fontOf(const id& monogrammer) {
  SEL font = sel_registerName("font");
  if (!respondsToSelector(monogrammer, font)) return nullptr;
  return cast<UIFont>(objc_msgSend<id()>(monogrammer, font));
}

// A contact that is not one of the Contacts framework's has no usable identifier.
int32_t recordIDOf(const id& contact) {
  SEL recordID = sel_registerName("recordID");
  if (!respondsToSelector(contact, recordID)) return -1;
  return objc_msgSend<int32_t()>(contact, recordID);
}

// The drawing flag on the monogrammer while the system draws; cleared however the call ends.
struct SystemDrawingScope {
  explicit SystemDrawingScope(const id& monogrammer) : monogrammer(monogrammer) {
    set__talvoIgnoreCurrentTalvoDrawing(monogrammer, true);
  }
  ~SystemDrawingScope() { set__talvoIgnoreCurrentTalvoDrawing(monogrammer, false); }
  SystemDrawingScope(const SystemDrawingScope&) = delete;
  SystemDrawingScope& operator=(const SystemDrawingScope&) = delete;
  const id& monogrammer;
};

// Data that does not decode would make an empty picture, a favourites button showing nothing:
// it gets the default image as missing data does. A decode covering one pixel is the cheapest.
id pictureFromImageData(const id& data) {
  auto bytes = cast<NSData>(data);
  if (bytes && bytes->length() > 0 && UIImage::imageWithDataCovering(bytes, 1, 1)) {
    return TalvoCBUtils::getImageFromImageData(bytes);
  }
  return TalvoCBUtils::defaultImage();
}

id monogramOfInitials(const id& self, const id& initials) {
  return TalvoCBUtils::monogramImage(stringValue(initials), kPictureSize, fontOf(self));
}

// Stores what the system drew as the contact's picture. A system that drew nothing is still
// handed to the cache, which refuses it with its log line: the log shows the missing picture.
id cacheSystemPicture(const id& picture, int32_t contactID) {
  TalvoCBUtils::setContactImage(cast<UIImage>(picture), contactID);
  return picture;
}

id defaultPictureCachedAsNobody() {
  auto image = TalvoCBUtils::defaultImage();
  TalvoCBUtils::setContactImage(image, 0);
  return image;
}

// The monogram text is read from the book only on a miss: a cached favourite must not wait for
// a book that another process holds.
id cachedOrContactPicture(const id& self, int32_t contactID, bool withMonogram) {
  if (auto cached = TalvoCBUtils::getContactImageInCache(contactID)) return cached;
  OptionalString text = withMonogram ? TalvoCBUtils::monogramTextFromAB(contactID) : std::nullopt;
  return TalvoCBUtils::getContactImageOnly(contactID, text, true, kPictureSize, fontOf(self));
}

id replacedCNCopyMonogramWithImageData(id self, SEL cmd, id data) {
  if (!drawsForCallBar(self)) return callReplaced(cnCopyMonogramWithImageData, self, cmd, data);
  return pictureFromImageData(data);
}

id replacedCNCopyMonogramWithInitials(id self, SEL cmd, id initials) {
  if (!isSpringBoard() || !isCallBarMonogrammer(self)) {
    return callReplaced(cnCopyMonogramWithInitials, self, cmd, initials);
  }
  if (picturesOnFavorites()) return monogramOfInitials(self, initials);
  SystemDrawingScope systemDraws(self);
  return callReplaced(cnCopyMonogramWithInitials, self, cmd, initials);
}

id replacedCNMonogramForContact(id self, SEL cmd, id contact, bool* isContactImage) {
  if (!drawsForCallBar(self)) {
    return callReplaced(cnMonogramForContact, self, cmd, contact, isContactImage);
  }
  if (!contact) return defaultPictureCachedAsNobody();
  int32_t contactID = recordIDOf(contact);
  if (roundedPicturesOn()) {
    return cacheSystemPicture(
        callReplaced(cnMonogramForContact, self, cmd, contact, isContactImage), contactID);
  }
  if (contactID < 1) return callReplaced(cnMonogramForContact, self, cmd, contact, isContactImage);
  if (monogramsOn()) return cachedOrContactPicture(self, contactID, true);
  SystemDrawingScope systemDraws(self);
  return callReplaced(cnMonogramForContact, self, cmd, contact, isContactImage);
}

id replacedABCopyMonogramWithInitials(id self, SEL cmd, id initials) {
  if (!drawsForCallBar(self)) return callReplaced(abCopyMonogramWithInitials, self, cmd, initials);
  return monogramOfInitials(self, initials);
}

id replacedABCopyMonogramWithImageData(id self, SEL cmd, id data) {
  if (!drawsForCallBar(self)) return callReplaced(abCopyMonogramWithImageData, self, cmd, data);
  return pictureFromImageData(data);
}

id replacedABMonogramForPerson(id self, SEL cmd, ABRecordRef person, bool* isPersonImage) {
  if (!drawsForCallBar(self)) {
    return callReplaced(abMonogramForPerson, self, cmd, person, isPersonImage);
  }
  if (!person) return defaultPictureCachedAsNobody();
  int32_t contactID = ABRecordGetRecordID(person);
  if (roundedPicturesOn()) {
    return cacheSystemPicture(callReplaced(abMonogramForPerson, self, cmd, person, isPersonImage),
                              contactID);
  }
  if (contactID < 1) return callReplaced(abMonogramForPerson, self, cmd, person, isPersonImage);
  return cachedOrContactPicture(self, contactID, monogramsOn());
}
}  // namespace

void installCNMonogrammerHooks() {
  hookMessage("CNMonogrammer", "_copyMonogramWithImageData:", replacedCNCopyMonogramWithImageData,
              &cnCopyMonogramWithImageData);
  hookMessage("CNMonogrammer", "_copyMonogramWithInitials:", replacedCNCopyMonogramWithInitials,
              &cnCopyMonogramWithInitials);
  hookMessage("CNMonogrammer", "monogramForContact:isContactImage:", replacedCNMonogramForContact,
              &cnMonogramForContact);
}

void installABMonogrammerHooks() {
  hookMessage("ABMonogrammer", "_copyMonogramWithInitials:", replacedABCopyMonogramWithInitials,
              &abCopyMonogramWithInitials);
  hookMessage("ABMonogrammer", "_copyMonogramWithImageData:", replacedABCopyMonogramWithImageData,
              &abCopyMonogramWithImageData);
  hookMessage("ABMonogrammer", "monogramForPerson:isPersonImage:", replacedABMonogramForPerson,
              &abMonogramForPerson);
}
