// A contact of the Contacts framework (version 9 on), made from a person of the address book.
// A contact carries only the keys it was fetched with; asking for a value of a key that was not
// fetched is an error on the platform, and here answers nothing.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "addressbook/ABTypes.h"
#include "foundation/NSValueTypes.h"
#include "runtime/objc.h"

extern const char* const CNContactGivenNameKey;
extern const char* const CNContactFamilyNameKey;
extern const char* const CNContactThumbnailImageDataKey;
extern const char* const CNContactImageDataAvailableKey;

class CNContact : public NSObject {
 public:
  static Class class_();
  CNContact() : NSObject(class_()) {}

  // The person as a contact with every key fetched, unified with its linked cards; nil for NULL.
  static std::shared_ptr<CNContact> contactWithPerson(ABRecordRef person);
  // The person fetched with only the given keys, as a store fetches it: the picture is read only
  // when a picture key is asked for, and the thumbnail is the thumbnail alone (a person with only
  // a full-size picture has image data available but no thumbnail).
  static std::shared_ptr<CNContact> contactWithPerson(ABRecordRef person,
                                                      const std::set<std::string>& keys);
  // The same contact with only the given keys fetched.
  std::shared_ptr<CNContact> copyWithKeys(const std::set<std::string>& keys) const;

  // Also answered through the runtime: recordID, identifier, givenName, familyName,
  // imageDataAvailable, thumbnailImageData, areKeysAvailable:.
  int32_t recordID() const { return recordID_; }
  std::string identifier() const;
  bool isKeyAvailable(const std::string& key) const;
  std::optional<std::string> givenName() const;
  std::optional<std::string> familyName() const;
  bool imageDataAvailable() const;
  std::shared_ptr<NSData> thumbnailImageData() const;

 private:
  int32_t recordID_ = -1;
  std::optional<std::string> givenName_, familyName_;
  std::shared_ptr<NSData> thumbnail_;
  std::optional<bool> imageDataAvailable_;
  std::set<std::string> keys_;
};
