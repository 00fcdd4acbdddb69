// Text longer than any telephone number is no number: it matches nobody, as a party looked up and
// as a value stored in the address book, and is never parsed.
#include <gtest/gtest.h>

#include <string>

#include "AddressBookWriter.h"
#include "ContactLookupState.h"
#include "HandPickedBookTest.h"
#include "SampleDevice.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+PhoneFormatting.h"
#include "TalvoCBUtils+RetrievalInternal.h"
#include "TemporaryDevice.h"
#include "addressbook/ABAddressBook.h"

namespace {
constexpr ABRecordID kJohnAppleseed = 1;

// The number padded with trailing blanks to the length; the parser would still read it as the
// number, so only the length decides whether it matches.
std::string padded(const std::string& number, std::size_t length) {
  return number + std::string(length - number.size(), ' ');
}

class PhoneTextBoundsTest : public HandPickedBookTest {
 protected:
  ABRecordID findInBook(const std::string& number) {
    ABAddressBookRef book = ABAddressBookCreate();
    ABRecordID found = ABRecordGetRecordID(ABCFindPersonMatchingPhoneNumber(book, number, 0, 0));
    CFRelease(book);
    return found;
  }
};
}  // namespace

TEST_F(PhoneTextBoundsTest, OverlongPartyMatchesNobody) {
  const std::string john = "+1 (555) 010-0100";
  EXPECT_EQ(findInBook(padded(john, kABPhoneNumberMaxLength)), kJohnAppleseed);
  EXPECT_EQ(findInBook(padded(john, kABPhoneNumberMaxLength + 1)), kABRecordInvalidID);

  // The library answers as for a number that matched nobody, and remembers nothing.
  EXPECT_EQ(TalvoCBUtils::getContactID(padded(john, 256)), kJohnAppleseed);
  std::string overlong = padded(john, 257);
  EXPECT_EQ(TalvoCBUtils::getContactID(overlong), 0);
  EXPECT_EQ(TalvoCBRememberedContactID(overlong), 0);
  EXPECT_EQ(TalvoCBUtils::getContactImageByNumber(overlong), nullptr);
}

TEST_F(PhoneTextBoundsTest, OverlongStoredValuesAreNoCandidates) {
  {
    sample::AddressBookWriter writer(device.root(), "US");
    ABRecordID overlong = writer.addPerson("Over", "Long", 0);
    writer.addPhone(overlong, padded("555-010-0177", kABPhoneNumberMaxLength + 1), "_$!<Home>!$_");
    writer.addPhone(overlong, std::string(40000, '7') + "0188", "_$!<Work>!$_");
    ABRecordID fitting = writer.addPerson("Just", "Fits", 0);
    writer.addPhone(fitting, padded("555-010-0177", kABPhoneNumberMaxLength), "_$!<Home>!$_");
    writer.addPhone(fitting, "555-010-0188", "_$!<Work>!$_");
    ASSERT_TRUE(writer.commit()) << writer.error();
  }
  // The lower record holds the overlong values; the match goes past them to the next holder.
  EXPECT_EQ(findInBook("555-010-0177"), 2);
  EXPECT_EQ(findInBook("555-010-0188"), 2);
  EXPECT_EQ(TalvoCBUtils::getContactID(std::string("(555) 010-0177")), 2);
}

TEST(PhoneTextBoundsFormattingTest, OverlongTextComesBackUnformatted) {
  TemporaryDevice device;
  std::string overlong = padded("5550100100", kABPhoneNumberMaxLength + 1);
  EXPECT_EQ(ABPhoneFormatting::abCopyPhoneNumberFromString(overlong), overlong);
  EXPECT_EQ(TalvoCBUtils::getFormattedPhoneNumber(overlong), overlong);
}
