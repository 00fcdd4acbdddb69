// Pictures from files: the placeholder of the screen's scale, the corner rule, the cache.
#include "PictureSupport.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+FilePictures.h"
#include "TalvoCBUtils+FilePicturesInternal.h"
#include "TalvoCBUtils+Monograms.h"

namespace {
const std::string kBundle = "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/";
}

class FilePictureTest : public PictureDevice {};

TEST_F(FilePictureTest, PlaceholderComesFromTheFileOfTheScreensScale) {
  struct Case {
    double scale;
    bool displayLink;
    const char* file;
  };
  for (Case c : {Case{1, true, "recent.png"}, Case{2, true, "recent@2x.png"},
                 Case{3, true, "recent@3x.png"}, Case{2, false, "recent.png"}}) {
    DeviceProfile profile;
    profile.scale = c.scale;
    profile.screenAnswersDisplayLink = c.displayLink;
    enter(profile);
    setMonograms(false);
    replaceBundlePicture(c.file, 12, 0, 1, 0);  // only this file is green
    auto placeholder = TalvoCBUtils::defaultImage();
    ASSERT_TRUE(placeholder) << c.file;
    EXPECT_EQ(placeholder->size(), CGSizeMake(80, 80));
    EXPECT_TRUE(colourNear(pixel(placeholder, 40, 40), 0, 255, 0)) << c.file;
    EXPECT_EQ(TalvoCBUtils::getContactImageInCacheForKey(
                  NSString::stringWithUTF8String(kBundle + c.file)),
              placeholder);
  }
}

TEST_F(FilePictureTest, CornerRuleAndTheFirstSizeStays) {
  auto round = TalvoCBUtils::getImage(kBundle + "recent@2x.png");
  EXPECT_EQ(pixel(round, 4, 4).alpha, 0);
  EXPECT_EQ(pixel(round, 40, 1).alpha, 255);
  EXPECT_EQ(pixel(round, 40, 40).alpha, 255);
  // The key is the path alone: another size answers the first picture.
  EXPECT_EQ(TalvoCBUtils::getImage(kBundle + "recent@2x.png", CGSizeMake(20, 20)), round);

  setRound(false);
  auto square = TalvoCBUtils::getImage(kBundle + "recent@3x.png", CGSizeMake(60, 30));
  EXPECT_EQ(square->size(), CGSizeMake(60, 30));
  EXPECT_EQ(pixel(square, 0, 0).alpha, 0);
  EXPECT_EQ(pixel(square, 6, 0).alpha, 255);
  EXPECT_EQ(pixel(square, 59, 15).alpha, 255);
}

TEST_F(FilePictureTest, UnreadableFilesGiveATransparentPicture) {
  device->writeFile(kBundle + "broken.png", "\x89PNG\r\n\x1a\n but not really");
  for (const char* name : {"missing.png", "broken.png"}) {
    std::string path = kBundle + name;
    EXPECT_FALSE(TalvoCBUtils::imageFromContentOfFile(path));
    auto picture = TalvoCBUtils::getImage(path);
    ASSERT_TRUE(picture) << name;
    EXPECT_EQ(picture->size(), CGSizeMake(80, 80));
    EXPECT_EQ(pixel(picture, 40, 40).alpha, 0);
    // Cached under the path: the file is not tried again.
    EXPECT_EQ(TalvoCBUtils::getImage(path), picture);
  }
  // A size without pixels answers what was loaded, undrawn.
  EXPECT_FALSE(TalvoCBUtils::getImage(kBundle + "other.png", CGSizeMake(0, 0)));
  auto undrawn = TalvoCBUtils::getImage(kBundle + "user_monogram@2x.png", CGSizeMake(0, 10));
  ASSERT_TRUE(undrawn);
  EXPECT_EQ(undrawn->scale(), 2.0);
}
