// Which picture shows a contact: the cache, the contact's thumbnail, a linked card's thumbnail, a
// monogram, and finally the placeholder picture.
#include <sqlite3.h>

#include <vector>

#include "AddressBookFiles.h"
#include "TalvoCBBundlePictures.h"
#include "TalvoCBLog.h"
#include "TalvoCBRetry.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+FilePictures.h"
#include "TalvoCBUtils+FilePicturesInternal.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+MonogramTextInternal.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+MonogramsInternal.h"
#include "TalvoCBUtils+Probes.h"
#include "TalvoCBUtils+Retrieval.h"
#include "TalvoCBUtils+RetrievalInternal.h"
#include "TalvoCBUtils+Settings.h"
#include "addressbook/ABAddressBook.h"
#include "foundation/Device.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"

namespace {

// A store that stays locked holds a caller for at most two one-second waits.
constexpr int32_t kThumbnailReadAttempts = 3;

// Whether to make another attempt after a failed one, having waited for it. Only a locked store
// is waited for; no wait follows the last attempt, which would only delay the answer.
bool waitForAnotherAttempt(int status, int32_t attempt) {
  if (!TalvoCBIsWorthRetrying(status) || attempt + 1 >= kThumbnailReadAttempts) return false;
  TalvoCBWaitBeforeRetrying();
  return true;
}

// The thumbnails of the person's other linked cards, in the book's order.
NSDataPtr linkedCardThumbnail(ABRecordRef person, int32_t contactID) {
  std::vector<ABRecordRef> linked = ABPersonCopyArrayOfAllLinkedPeople(person);
  if (linked.size() < 2) return nullptr;
  for (ABRecordRef card : linked) {
    int32_t cardID = ABRecordGetRecordID(card);
    if (cardID == contactID) continue;
    if (NSDataPtr data = getContactImageFromABForID(cardID, 0)) return data;
  }
  return nullptr;
}

// A photo picture made from the data and cached under the identifier, when there is data.
UIImagePtr pictureFromData(const NSDataPtr& data, int32_t contactID) {
  return data ? TalvoCBUtils::getImageFromImageData(data, contactID) : nullptr;
}

// The contact's own thumbnail, else (version 7 on) a linked card's, as a cached photo picture.
UIImagePtr photoPicture(int32_t contactID) {
  if (UIImagePtr own = pictureFromData(getContactImageFromABForID(contactID, 0), contactID)) {
    return own;
  }
  if (!TalvoCBUtils::isIOS_7()) return nullptr;
  return pictureFromData(TalvoCBUtils::getContactImageDataFromAB(contactID), contactID);
}

UIImagePtr placeholderPicture() {
  return TalvoCBUtils::getImage(bundlePicturePath("recent"));
}

}  // namespace

NSDataPtr getContactImageFromABForID(int32_t contactID, int32_t attempt) {
  for (; attempt < kThumbnailReadAttempts; ++attempt) {
    // A device without a thumbnail store has no thumbnails: nothing to wait for, and nothing
    // is created in the platform's folder.
    if (!NSFileManager::defaultManager().fileExistsAtPath(kThumbnailStore)) return nullptr;
    sqlite3* db = nullptr;
    int status = openAddressBookFile(kThumbnailStore, &db);
    if (status != SQLITE_OK) {
      TALCB_ERROR("NSData *getContactImageFromABForID(int, int)",
                  "Error while opening database connection: '%s'",
                  db ? sqlite3_errmsg(db) : "out of memory");
      sqlite3_close(db);
      if (waitForAnotherAttempt(status, attempt)) continue;
      return nullptr;
    }
    sqlite3_stmt* statement = nullptr;
    status = sqlite3_prepare_v2(db,
                                "SELECT data FROM ABThumbnailImage WHERE RECORD_ID=? AND FORMAT=0 "
                                "AND DATA IS NOT NULL",
                                -1, &statement, nullptr);
    if (status != SQLITE_OK) {
      TALCB_ERROR("NSData *getContactImageFromABForID(int, int)",
                  "Error while preparing statement: '%s'", sqlite3_errmsg(db));
      sqlite3_finalize(statement);
      sqlite3_close(db);
      if (waitForAnotherAttempt(status, attempt)) continue;
      return nullptr;
    }
    sqlite3_bind_int(statement, 1, contactID);
    NSDataPtr result;
    status = sqlite3_step(statement);
    if (status != SQLITE_ROW && status != SQLITE_DONE) {
      TALCB_ERROR("NSData *getContactImageFromABForID(int, int)",
                  "Error while reading the thumbnail: '%s'", sqlite3_errmsg(db));
    }
    if (status == SQLITE_ROW) {
      const void* blob = sqlite3_column_blob(statement, 0);
      int length = sqlite3_column_bytes(statement, 0);
      if (blob && length >= 1) {
        auto* bytes = static_cast<const uint8_t*>(blob);
        result = make<NSData>(std::vector<uint8_t>(bytes, bytes + length));
        result->source = stringWithFormat("photo of contact %d", contactID);
      }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
  }
  return nullptr;
}

NSDataPtr TalvoCBUtils::getContactImageDataFromAB(int32_t contactID) {
  TALCB_INFO("+[TalvoCBUtils getContactImageDataFromAB:]", "Getting image for %d", contactID);
  ABAddressBookRef book = ABAddressBookCreate();
  NSDataPtr data;
  ABRecordRef person = ABAddressBookGetPersonWithRecordID(book, contactID);
  if (person && isIOS_7()) data = linkedCardThumbnail(person, contactID);
  CFRelease(book);
  return data;
}

NSDataPtr TalvoCBUtils::getContactImageABUIPerson(const id& person) {
  if (!person) return nullptr;
  return getContactImageFromABForID(objc_msgSend<int32_t()>(person, "recordID"), 0);
}

UIImagePtr TalvoCBUtils::getImageFromImageData(const NSDataPtr& data, int32_t contactId) {
  UIImagePtr picture = getImageFromImageData(data);
  // Data that said nothing of its card (not read from the book) is the contact's own.
  if (picture && picture->source() == "photo") {
    picture->setSource(stringWithFormat("photo of contact %d", contactId));
  }
  if (picture) setContactImage(picture, contactId);
  return picture;
}

UIImagePtr TalvoCBUtils::getContactImageOnly(int32_t contactID, const OptionalString& monogramText,
                                             bool newImage, CGSize size, const UIFontPtr& font) {
  UIImagePtr candidate = getContactImageInCache(contactID);
  if (candidate && !newImage) return candidate;
  if (UIImagePtr photo = photoPicture(contactID)) return photo;
  if (isMonogramEnabled()) candidate = monogramImage(monogramText, contactID, size, font);
  if (!candidate) {
    candidate = placeholderPicture();
    setContactImage(candidate, contactID);
  }
  return candidate;
}

UIImagePtr TalvoCBUtils::getContactImageOnly(int32_t contactID, const OptionalString& monogramText,
                                             bool newImage, CGSize size) {
  return getContactImageOnly(contactID, monogramText, newImage, size,
                             UIFont::systemFontOfSize(17.0));
}

UIImagePtr TalvoCBUtils::getContactImageOnly(int32_t contactID, const OptionalString& monogramText,
                                             bool newImage) {
  return getContactImageOnly(contactID, monogramText, newImage, CGSizeMake(40, 40));
}

UIImagePtr TalvoCBUtils::getContactImage(int32_t contactID) {
  if (UIImagePtr cached = getContactImageInCache(contactID)) return cached;
  if (UIImagePtr photo = photoPicture(contactID)) return photo;
  UIImagePtr candidate;
  if (isMonogramEnabled()) candidate = monogramImage(getMonogramTextFromAB(contactID), contactID);
  return candidate ? candidate : placeholderPicture();
}

UIImagePtr TalvoCBUtils::getContactImageByNumber(const OptionalString& party) {
  int32_t contactID = getContactID(party);
  TALCB_INFO("+[TalvoCBUtils getContactImageByNumber:]", "Found contact ID %d for %s", contactID,
             party.value_or("(null)").c_str());
  return contactID < 1 ? nullptr : getContactImage(contactID);
}

UIImagePtr TalvoCBUtils::getContactImageFromAB(int32_t contactID, const OptionalString&) {
  if (UIImagePtr cached = getContactImageInCache(contactID)) return cached;
  if (UIImagePtr own = pictureFromData(getContactImageFromABForID(contactID, 0), contactID)) {
    return own;
  }
  if (!isIOS_7()) return nullptr;
  TALCB_INFO("+[TalvoCBUtils getContactImageFromAB:monogramText:]",
             "Getting contact image from AB.. %d", contactID);
  return pictureFromData(getContactImageDataFromAB(contactID), contactID);
}

UIImagePtr TalvoCBUtils::getContactImageFromAB(int32_t contactID, bool addressBook,
                                               const OptionalString& monogramText) {
  if (UIImagePtr cached = getContactImageInCache(contactID)) return cached;
  if (!addressBook) return getContactImageFromAB(contactID, monogramText);
  ABAddressBookRef book = ABAddressBookCreate();
  NSDataPtr data;
  if (ABRecordRef person = ABAddressBookGetPersonWithRecordID(book, contactID)) {
    if (!isIOS_7()) {
      data = ABPersonCopyImageData(person);
    } else {
      if (ABPersonHasImageData(person)) {
        data = ABPersonCopyImageDataWithFormat(person, kABPersonImageFormatThumbnail);
      }
      if (!data) {
        std::vector<ABRecordRef> linked = ABPersonCopyArrayOfAllLinkedPeople(person);
        for (std::size_t i = 0; linked.size() >= 2 && i < linked.size() && !data; ++i) {
          if (ABRecordGetRecordID(linked[i]) == contactID || !ABPersonHasImageData(linked[i])) {
            continue;
          }
          data = ABPersonCopyImageDataWithFormat(linked[i], kABPersonImageFormatThumbnail);
        }
      }
    }
  }
  CFRelease(book);
  if (data && data->length() >= 1) return getImageFromImageData(data, contactID);
  return monogramImage(monogramText, contactID);
}

UIImagePtr TalvoCBUtils::getContactImageOnlyIOS7(const id& person) {
  if (!person) return nullptr;
  int32_t contactID = objc_msgSend<int32_t()>(person, "recordID");
  if (UIImagePtr cached = getContactImageInCache(contactID)) return cached;
  NSDataPtr data = getContactImageFromABForID(contactID, 0);
  if (!data || data->length() == 0) {
    data = nullptr;
    auto linked = cast<NSArray>(objc_msgSend<id()>(person, "linkedPeople"));
    for (const id& card : linked ? linked->items : std::vector<id>{}) {
      data = getContactImageFromABForID(objc_msgSend<int32_t()>(card, "recordID"), 0);
      if (data) break;
    }
  }
  if (UIImagePtr photo = pictureFromData(data, contactID)) return photo;
  UIImagePtr candidate;
  if (isMonogramEnabled()) candidate = monogramImage(getMonogramTextFromAB(contactID), contactID);
  if (!candidate) {
    candidate = placeholderPicture();
    setContactImage(candidate, contactID);
  }
  return candidate;
}

UIImagePtr TalvoCBUtils::getChatKitContactImageOnly(int32_t contactID,
                                                    const OptionalString& monogramText,
                                                    int64_t date) {
  if (UIImagePtr cached = getContactImageInCache(contactID)) {
    NSLog("Got image for contact with id: %d, monogramText => %s, date => %lld in the cache.",
          contactID, monogramText.value_or("(null)").c_str(), static_cast<long long>(date));
    return cached;
  }
  if (UIImagePtr photo = photoPicture(contactID)) return photo;
  if (!isMonogramEnabled()) return nullptr;
  UIImagePtr monogram = monogramImage(monogramText, contactID);
  id dateKey = NSNumber::numberWithLongLong(date);
  if (monogram && getContactImageInCacheForKey(dateKey)) setContactImage(monogram, dateKey);
  return monogram;
}
