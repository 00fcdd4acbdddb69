// What each member of the contact picture family answers: a photo, a linked card's photo, a
// monogram, the placeholder or nothing; and the linked cards that systems before 7 do not read.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "PictureSupport.h"
#include "SampleDevice.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+Probes.h"
#include "TalvoCBUtils+Retrieval.h"
#include "TalvoCBUtils+RetrievalInternal.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIFont.h"

namespace {
// Contacts of the hand-picked book.
constexpr int32_t kJohnWithPhoto = 1, kAnnaWithoutPhoto = 3, kDavidWithLinkedPhoto = 4,
                  kDavidsPhotoCard = 5;

// Person objects as the contacts framework hands them out: a record identifier and linked cards.
std::map<const NSObject*, std::pair<int32_t, std::vector<id>>>& people() {
  static std::map<const NSObject*, std::pair<int32_t, std::vector<id>>> table;
  return table;
}
int32_t personRecordID(id self, SEL) {
  return people()[self.get()].first;
}
id personLinkedPeople(id self, SEL) {
  return make<NSArray>(people()[self.get()].second);
}
id makePerson(int32_t recordID, std::vector<id> linked = {}) {
  static Class personClass = [] {
    Class made = objc_registerClass("TalvoCBTestPerson", NSObject::class_());
    class_addMethod(made, sel_registerName("recordID"), personRecordID, "i@:");
    class_addMethod(made, sel_registerName("linkedPeople"), personLinkedPeople, "@@:");
    return made;
  }();
  id person = class_createInstance(personClass);
  people()[person.get()] = {recordID, std::move(linked)};
  return person;
}

bool samePixels(const UIImagePtr& a, const UIImagePtr& b) {
  CGImageRef x = a->CGImage(), y = b->CGImage();
  return CGImageGetWidth(x) == CGImageGetWidth(y) && CGImageGetHeight(x) == CGImageGetHeight(y) &&
         std::memcmp(CGImageGetPixels(x), CGImageGetPixels(y),
                     CGImageGetBytesPerRow(x) * CGImageGetHeight(x)) == 0;
}

class RetrievalFamilyTest : public PictureDevice {
 protected:
  void SetUp() override { enterVersion("9.0.2"); }
  void TearDown() override {
    people().clear();
    PictureDevice::TearDown();
  }
  void enterVersion(const std::string& version) {
    DeviceProfile profile;
    profile.systemVersion = version;
    enter(profile);
    std::string error;
    ASSERT_TRUE(sample::writeHandPickedAddressBook(device->root(), "US", nullptr, &error)) << error;
    replaceBundlePicture("recent@2x.png", 20, 0, 1, 0);  // the placeholder is green
  }

  // The photo picture that the record's own thumbnail makes.
  UIImagePtr photoOf(int32_t recordID) {
    return TalvoCBUtils::getImageFromImageData(getContactImageFromABForID(recordID, 0));
  }
  bool isPhotoOf(const UIImagePtr& image, int32_t recordID) {
    return image && image->scale() == 1 && samePixels(image, photoOf(recordID));
  }
  static bool isPlaceholder(const UIImagePtr& image) {
    return image && pixelWidth(image) == 80 && image->scale() == 1 &&
           colourNear(pixel(image, 40, 40), 0, 255, 0);
  }
  // A letter monogram of 40 x 40 points at the screen's scale 2.
  static bool isMonogram(const UIImagePtr& image) {
    return image && image->scale() == 2 && image->size() == CGSizeMake(40, 40);
  }
  static UIImagePtr cached(int32_t contactID) {
    return TalvoCBUtils::getContactImageInCache(contactID);
  }
};
}  // namespace

TEST_F(RetrievalFamilyTest, ChatKitAnswersPhotoOrMonogramAndNeverThePlaceholder) {
  UIImagePtr john = TalvoCBUtils::getChatKitContactImageOnly(kJohnWithPhoto, "JA", 77);
  EXPECT_TRUE(isPhotoOf(john, kJohnWithPhoto));
  EXPECT_EQ(cached(kJohnWithPhoto), john);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(TalvoCBUtils::getChatKitContactImageOnly(kJohnWithPhoto, "JA", 77), john);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find(
                "Got image for contact with id: 1, monogramText => JA, date => 77 in the cache."),
            std::string::npos);

  EXPECT_TRUE(isPhotoOf(TalvoCBUtils::getChatKitContactImageOnly(kDavidWithLinkedPhoto, "DT", 1),
                        kDavidsPhotoCard));

  // A monogram replaces an entry held under the date, and only such an entry.
  auto dateKey = NSNumber::numberWithLongLong(5'000'000'000);
  TalvoCBUtils::setContactImage(solidImage(CGSizeMake(2, 2), 0, 0, 1), dateKey);
  UIImagePtr anna =
      TalvoCBUtils::getChatKitContactImageOnly(kAnnaWithoutPhoto, "AH", 5'000'000'000);
  EXPECT_TRUE(isMonogram(anna));
  EXPECT_EQ(cached(kAnnaWithoutPhoto), anna);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCacheForKey(dateKey), anna);
  TalvoCBUtils::clearImageCache();
  TalvoCBUtils::getChatKitContactImageOnly(kAnnaWithoutPhoto, "AH", 6);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCacheForKey(NSNumber::numberWithLongLong(6)), nullptr);

  setMonograms(false);
  TalvoCBUtils::clearImageCache();
  EXPECT_EQ(TalvoCBUtils::getChatKitContactImageOnly(kAnnaWithoutPhoto, "AH", 1), nullptr);
  EXPECT_EQ(cached(kAnnaWithoutPhoto), nullptr);
}

TEST_F(RetrievalFamilyTest, PersonObjectsAnswerTheirOwnOrALinkedPhoto) {
  EXPECT_EQ(TalvoCBUtils::getContactImageOnlyIOS7(nullptr), nullptr);
  UIImagePtr john = TalvoCBUtils::getContactImageOnlyIOS7(makePerson(kJohnWithPhoto));
  EXPECT_TRUE(isPhotoOf(john, kJohnWithPhoto));
  EXPECT_EQ(cached(kJohnWithPhoto), john);

  // The person's linked cards are read in their order; the photo is kept under the person.
  id david = makePerson(kDavidWithLinkedPhoto,
                        {makePerson(kAnnaWithoutPhoto), makePerson(kDavidsPhotoCard)});
  UIImagePtr linked = TalvoCBUtils::getContactImageOnlyIOS7(david);
  EXPECT_TRUE(isPhotoOf(linked, kDavidsPhotoCard));
  EXPECT_EQ(cached(kDavidWithLinkedPhoto), linked);

  // No photo: the monogram of the address book's name, else the placeholder, both kept.
  UIImagePtr anna = TalvoCBUtils::getContactImageOnlyIOS7(makePerson(kAnnaWithoutPhoto));
  EXPECT_TRUE(isMonogram(anna));
  EXPECT_EQ(cached(kAnnaWithoutPhoto), anna);
  setMonograms(false);
  TalvoCBUtils::clearImageCache();
  UIImagePtr placeholder = TalvoCBUtils::getContactImageOnlyIOS7(makePerson(kAnnaWithoutPhoto));
  EXPECT_TRUE(isPlaceholder(placeholder));
  EXPECT_EQ(cached(kAnnaWithoutPhoto), placeholder);
}

TEST_F(RetrievalFamilyTest, PhotoBytesOfAPersonObject) {
  EXPECT_EQ(TalvoCBUtils::getContactImageABUIPerson(nullptr), nullptr);
  auto john = TalvoCBUtils::getContactImageABUIPerson(makePerson(kJohnWithPhoto));
  ASSERT_TRUE(john);
  EXPECT_EQ(john->bytes, getContactImageFromABForID(kJohnWithPhoto, 0)->bytes);
  // Its own record only, linked cards or not.
  EXPECT_EQ(TalvoCBUtils::getContactImageABUIPerson(
                makePerson(kDavidWithLinkedPhoto, {makePerson(kDavidsPhotoCard)})),
            nullptr);
}

TEST_F(RetrievalFamilyTest, PhotoOnlyFormAnswersPhotosOrNothing) {
  UIImagePtr john = TalvoCBUtils::getContactImageFromAB(kJohnWithPhoto, std::string("JA"));
  EXPECT_TRUE(isPhotoOf(john, kJohnWithPhoto));
  EXPECT_EQ(cached(kJohnWithPhoto), john);
  UIImagePtr david = TalvoCBUtils::getContactImageFromAB(kDavidWithLinkedPhoto, std::string("DT"));
  EXPECT_TRUE(isPhotoOf(david, kDavidsPhotoCard));
  EXPECT_EQ(cached(kDavidWithLinkedPhoto), david);
  EXPECT_EQ(TalvoCBUtils::getContactImageFromAB(kAnnaWithoutPhoto, std::string("AH")), nullptr);
  EXPECT_EQ(cached(kAnnaWithoutPhoto), nullptr);
  // Without the address book it is the same form.
  EXPECT_EQ(TalvoCBUtils::getContactImageFromAB(kAnnaWithoutPhoto, false, std::string("AH")),
            nullptr);
}

TEST_F(RetrievalFamilyTest, AddressBookFormFallsBackToAMonogramWhateverTheSwitch) {
  UIImagePtr john = TalvoCBUtils::getContactImageFromAB(kJohnWithPhoto, true, std::string("JA"));
  EXPECT_TRUE(isPhotoOf(john, kJohnWithPhoto));
  EXPECT_TRUE(
      isPhotoOf(TalvoCBUtils::getContactImageFromAB(kDavidWithLinkedPhoto, true, std::string("DT")),
                kDavidsPhotoCard));
  UIImagePtr anna = TalvoCBUtils::getContactImageFromAB(kAnnaWithoutPhoto, true, std::string("AH"));
  EXPECT_TRUE(isMonogram(anna));
  EXPECT_EQ(cached(kAnnaWithoutPhoto), anna);
  EXPECT_EQ(TalvoCBUtils::getContactImageFromAB(kAnnaWithoutPhoto, true, std::string("zz")), anna);
  // Nobody with that identifier: a monogram all the same.
  EXPECT_TRUE(isMonogram(TalvoCBUtils::getContactImageFromAB(999, true, std::string("NB"))));
}

TEST_F(RetrievalFamilyTest, SystemsBefore7SkipLinkedCards) {
  enterVersion("6.1.3");
  ASSERT_FALSE(TalvoCBUtils::isIOS_7());
  // Monograms need version 7 too: a contact without a photo of its own gets the placeholder,
  // or nothing from the members without one.
  EXPECT_EQ(TalvoCBUtils::getContactImageDataFromAB(kDavidWithLinkedPhoto), nullptr);
  EXPECT_EQ(TalvoCBUtils::getContactImageFromAB(kDavidWithLinkedPhoto, std::string("DT")), nullptr);
  EXPECT_EQ(TalvoCBUtils::getChatKitContactImageOnly(kDavidWithLinkedPhoto, "DT", 1), nullptr);
  EXPECT_TRUE(isPlaceholder(TalvoCBUtils::getContactImageOnly(kDavidWithLinkedPhoto, "DT", false)));
  EXPECT_TRUE(
      isPhotoOf(TalvoCBUtils::getContactImageOnly(kJohnWithPhoto, "JA", false), kJohnWithPhoto));
  // The person object's linked cards are read on every version.
  TalvoCBUtils::clearImageCache();
  EXPECT_TRUE(isPhotoOf(TalvoCBUtils::getContactImageOnlyIOS7(
                            makePerson(kDavidWithLinkedPhoto, {makePerson(kDavidsPhotoCard)})),
                        kDavidsPhotoCard));

  // The same contact from version 7 on.
  enterVersion("7.0");
  EXPECT_NE(TalvoCBUtils::getContactImageDataFromAB(kDavidWithLinkedPhoto), nullptr);
  EXPECT_TRUE(isPhotoOf(TalvoCBUtils::getContactImageOnly(kDavidWithLinkedPhoto, "DT", false),
                        kDavidsPhotoCard));
}
