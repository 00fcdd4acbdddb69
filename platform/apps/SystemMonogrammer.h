// The system's monogrammers: CNMonogrammer (Contacts, version 9 on) and ABMonogrammer (AddressBook
// UI, versions 7 and 8) draw a contact's round picture, its photo or else its initials on a grey
// disc. Both runtime classes are this one C++ class; class_createInstance makes a ready one.
//
// The composing methods reach _copyMonogramWithImageData: and _copyMonogramWithInitials: through
// the runtime, so that replacements of those two take effect inside them, as on the phone.
#pragma once

#include <memory>

#include "addressbook/ABTypes.h"
#include "coregraphics/CGGeometry.h"
#include "runtime/objc.h"

class UIFont;

class SystemMonogrammer : public NSObject {
 public:
  explicit SystemMonogrammer(Class cls);
  static id make(Class cls);

  CGFloat diameter() const { return diameter_; }
  const std::shared_ptr<UIFont>& font() const { return font_; }

 private:
  CGFloat diameter_;
  std::shared_ptr<UIFont> font_;
};

// The methods as the runtime reaches them (types in HostSignature).
namespace SystemMonogrammerMethods {
id font(id self, SEL);
id copyMonogramWithImageData(id self, SEL, id data);
id copyMonogramWithInitials(id self, SEL, id initials);
id monogramForContact(id self, SEL, id contact, bool* isContactImage);
id monogramForPerson(id self, SEL, ABRecordRef person, bool* isPersonImage);
}  // namespace SystemMonogrammerMethods
