// The shared library's operations, as class methods of TalvoCBUtils. Each family of selectors is
// a family of overloads; the sources are split by area (probes, lookup, monogram text, monograms,
// picture helpers, retrieval, cache, file pictures).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "addressbook/ABTypes.h"
#include "coregraphics/CGGeometry.h"
#include "foundation/NSValueTypes.h"
#include "runtime/objc.h"

class UIImage;
class UIColor;
class UIFont;
class NSOperationQueue;

using OptionalString = std::optional<std::string>;
using UIImagePtr = std::shared_ptr<UIImage>;
using UIColorPtr = std::shared_ptr<UIColor>;
using UIFontPtr = std::shared_ptr<UIFont>;
using NSDataPtr = std::shared_ptr<NSData>;

class TalvoCBUtils : public NSObject {
 public:
  static Class class_();
  TalvoCBUtils();

  // Settings shortcuts; each asks the shared settings afresh.
  static bool isTalvoCBOnlyOn();
  static bool isRoundedPicsEnabled();
  static bool isMonogramEnabled();

  // Platform probes.
  static bool isIOS_7();
  static bool isIOS_8();
  static bool isIOS_9();
  static bool isMatchingIOSFound(const std::string& version);
  static bool isRetinaDisplay();
  static bool isIPhone4();
  static bool isIPhone6();
  static bool isIPhone6Plus();
  static bool isIPhone6OR6Plus();
  static double screenWidth();
  static double screenHeight();
  static bool canprepareImageCache();
  static OptionalString getFormattedPhoneNumber(const OptionalString& number);
  static OptionalString getPlainPhoneNumber(const OptionalString& number);
  static OptionalString getPhoneNumberFromURL(const OptionalString& url);
  static std::string getOKButtonTitle();
  static std::string getCancelButtonText();
  static void removeItemAtPath(const std::string& path);

  // Address-book access and contact lookup.
  static ABAddressBookRef getAddressBook();
  static ABRecordRef getPersonRecordFromDB(int32_t contactID);
  static int32_t getContactID(const OptionalString& party, ABAddressBookRef addressBook);
  static int32_t getContactID(const OptionalString& party);
  static void removeContactIDFromCache(int32_t contactID);

  // Monogram text.
  static OptionalString monogramTextFromName(const OptionalString& name);
  static OptionalString monogramTextFromContactID(int32_t contactID);
  static OptionalString getMonogramTextFromAB(int32_t contactID, int32_t currentReadCount);
  static OptionalString getMonogramTextFromAB(int32_t contactID);
  static OptionalString monogramTextFromAB(int32_t contactID);

  // Monogram palette and rendering.
  static UIColorPtr getMonogramRandomColor(long contactID, bool darkColor);
  static UIColorPtr getMonogramRandomColor(long contactID);
  static UIImagePtr monogramImage(const OptionalString& text, CGSize size, const UIColorPtr& color,
                                  const UIFontPtr& font);
  static UIImagePtr monogramImage(const OptionalString& text, long contactID, CGSize size,
                                  const UIColorPtr& color, const UIFontPtr& font);
  static UIImagePtr monogramImage(const OptionalString& text, long contactID, CGSize size,
                                  const UIColorPtr& color);
  static UIImagePtr monogramImage(const OptionalString& text, long contactID, CGSize size);
  static UIImagePtr monogramImage(const OptionalString& text, long contactID);
  static UIImagePtr monogramImage(const OptionalString& text, CGSize size);
  static UIImagePtr monogramImage(const OptionalString& text);
  static UIImagePtr monogramImage(const OptionalString& text, long contactID, CGSize size,
                                  const UIFontPtr& font);
  static UIImagePtr monogramImage(const OptionalString& text, CGSize size, const UIFontPtr& font);
  static UIImagePtr getMonogramImage(long contactID, const UIImagePtr& source, CGSize size,
                                     const UIColorPtr& color);
  static UIImagePtr getMonogramImage(long contactID, const UIColorPtr& color);
  static UIImagePtr getMonogramImage(long contactID);
  static UIImagePtr getMonogramImage();
  static UIImagePtr getMonogramImageFromName(const OptionalString& name, long contactID);
  static UIImagePtr getMonogramImageFromName(const OptionalString& name);
  static UIImagePtr getMonogramImageFromName(const OptionalString& name,
                                             const OptionalString& email);
  static UIImagePtr defaultImage();

  // Picture helpers.
  static UIImagePtr getImageFromImageData(const NSDataPtr& data);
  static UIImagePtr resizeImage(const UIImagePtr& image, int withWidth, int withHeight);
  static UIImagePtr roundedImage(const UIImagePtr& image, float width, float height);
  static UIImagePtr roundedImage(const UIImagePtr& image);
  static UIImagePtr scaleImage(const UIImagePtr& image, CGSize toSize);

  // Contact picture retrieval.
  static NSDataPtr getContactImageDataFromAB(int32_t contactID);
  static NSDataPtr getContactImageABUIPerson(const id& person);
  static UIImagePtr getImageFromImageData(const NSDataPtr& data, int32_t contactId);
  static UIImagePtr getContactImageOnly(int32_t contactID, const OptionalString& monogramText,
                                        bool newImage, CGSize size, const UIFontPtr& font);
  static UIImagePtr getContactImageOnly(int32_t contactID, const OptionalString& monogramText,
                                        bool newImage, CGSize size);
  static UIImagePtr getContactImageOnly(int32_t contactID, const OptionalString& monogramText,
                                        bool newImage);
  static UIImagePtr getContactImage(int32_t contactID);
  static UIImagePtr getContactImageByNumber(const OptionalString& party);
  static UIImagePtr getContactImageFromAB(int32_t contactID, const OptionalString& monogramText);
  static UIImagePtr getContactImageFromAB(int32_t contactID, bool addressBook,
                                          const OptionalString& monogramText);
  static UIImagePtr getContactImageOnlyIOS7(const id& person);
  static UIImagePtr getChatKitContactImageOnly(int32_t contactID,
                                               const OptionalString& monogramText, int64_t date);

  // Contact image cache, the shared instance and the shared queue.
  static void initImageCache();
  static void setContactImage(const UIImagePtr& image, const id& withID);
  static void setContactImage(const UIImagePtr& image, int32_t contactId);
  static UIImagePtr getContactImageInCacheForKey(const id& key);
  static UIImagePtr getContactImageInCache(int32_t contactID);
  static bool removeImageFromCacheForID(const id& key);
  static bool removeImageFromCache(int32_t contactID);
  static void clearImageCache();
  static void removeAvatarsFromCache();
  static void prepareImageCache();
  static std::shared_ptr<TalvoCBUtils> TalvoCBUtilsInstance();
  static std::shared_ptr<NSOperationQueue> queue();

  // File pictures.
  static UIImagePtr getImage(const std::string& path);
  static UIImagePtr getImage(const std::string& path, CGSize size);
  static UIImagePtr imageFromContentOfFile(const std::string& path);
};

// The thumbnail reader: the thumbnail bytes of a record, or nil.
NSDataPtr getContactImageFromABForID(int32_t contactID, int32_t attempt);
