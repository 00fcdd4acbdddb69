// The system's monogrammers: CallBar draws its favourites buttons with one.
#include "HookFamilies.h"
#include "HookInstaller.h"
#include "hosts/HostClasses.h"

namespace {
HostSignature::ObjectFromObject cnCopyMonogramWithImageData;
HostSignature::ObjectFromObject cnCopyMonogramWithInitials;
HostSignature::MonogramForContact cnMonogramForContact;
HostSignature::ObjectFromObject abCopyMonogramWithInitials;
HostSignature::ObjectFromObject abCopyMonogramWithImageData;
HostSignature::MonogramForPerson abMonogramForPerson;

id replacedCNCopyMonogramWithImageData(id self, SEL cmd, id data) {
  return callReplaced(cnCopyMonogramWithImageData, self, cmd, data);
}
id replacedCNCopyMonogramWithInitials(id self, SEL cmd, id initials) {
  return callReplaced(cnCopyMonogramWithInitials, self, cmd, initials);
}
id replacedCNMonogramForContact(id self, SEL cmd, id contact, bool* isContactImage) {
  return callReplaced(cnMonogramForContact, self, cmd, contact, isContactImage);
}
id replacedABCopyMonogramWithInitials(id self, SEL cmd, id initials) {
  return callReplaced(abCopyMonogramWithInitials, self, cmd, initials);
}
id replacedABCopyMonogramWithImageData(id self, SEL cmd, id data) {
  return callReplaced(abCopyMonogramWithImageData, self, cmd, data);
}
id replacedABMonogramForPerson(id self, SEL cmd, ABRecordRef person, bool* isPersonImage) {
  return callReplaced(abMonogramForPerson, self, cmd, person, isPersonImage);
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
