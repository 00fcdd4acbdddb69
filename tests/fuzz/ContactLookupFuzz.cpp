// libFuzzer target of the phone-number and e-mail lookups on the hand-picked address book, and of
// the number helpers around them: any party text finds one of the book's people or nobody, and a
// found person is found again the same way.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ContactLookupState.h"
#include "SampleDevice.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+ContactLookupInternal.h"
#include "TalvoCBUtils+PhoneFormatting.h"
#include "TalvoCBUtils+Probes.h"
#include "fuzz/FuzzDevice.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
}

bool enterHandPickedBook() {
  std::string error;
  if (!sample::writeHandPickedAddressBook(FuzzDevice::shared().root(), "US", nullptr, &error))
    fail("cannot write the address book:", error);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static bool entered = enterHandPickedBook();
  (void)entered;
  std::string party(reinterpret_cast<const char*>(data), size);

  int32_t contactID = TalvoCBUtils::getContactID(party);
  // Nobody is -1, or 0 for a number; a person is a record of the book.
  if (contactID >= 1) {
    if (!TalvoCBUtils::getPersonRecordFromDB(contactID)) fail("found no record for", party);
    if (TalvoCBUtils::getContactID(party) != contactID) fail("found another person for", party);
    TalvoCBUtils::removeContactIDFromCache(contactID);
  } else if (contactID < -1) {
    fail("an identifier below -1 for", party);
  }

  TalvoCBUtils::getPlainPhoneNumber(party);
  TalvoCBUtils::getFormattedPhoneNumber(party);
  TalvoCBUtils::getPhoneNumberFromURL(party);
  return 0;
}
