// What a picture shows, as the library names it where it makes the picture.
#include <gtest/gtest.h>

#include <regex>

#include "PictureSupport.h"
#include "TalvoCBUtils+FilePictures.h"
#include "TalvoCBUtils+FilePicturesInternal.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+ImageHelpersInternal.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+MonogramsInternal.h"
#include "TalvoCBUtils+Retrieval.h"
#include "UIImage+TalvoCB.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"

using PictureSourceTest = PictureDevice;

TEST_F(PictureSourceTest, EachKindOfPictureSaysWhatItIs) {
  auto photo = TalvoCBUtils::getImageFromImageData(
      jpegData(solidImage(CGSizeMake(20, 20), 0.2, 0.4, 0.6)), 7);
  ASSERT_TRUE(photo);
  EXPECT_EQ(photo->source(), "photo of contact 7");
  EXPECT_EQ(TalvoCBUtils::roundedImage(photo)->source(), "photo of contact 7, rounded");
  EXPECT_EQ(TalvoCBUtils::resizeImage(photo, 60, 60)->source(), "photo of contact 7, resized");

  auto monogram = TalvoCBUtils::monogramImage(std::string("js"), CGSizeMake(40, 40),
                                              UIColor::colorWithRed(1, 0, 0.5, 1),
                                              UIFont::systemFontOfSize(17));
  ASSERT_TRUE(monogram);
  EXPECT_EQ(monogram->source(), "monogram JS #FF0080");
  setRound(false);
  EXPECT_EQ(
      TalvoCBUtils::monogramImage(std::string("JS"), CGSizeMake(40, 40),
                                  UIColor::colorWithRed(0, 0, 0, 1), UIFont::systemFontOfSize(17))
          ->source(),
      "monogram JS #000000, rounded corners");

  EXPECT_EQ(TalvoCBUtils::getImage(
                "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/recent@2x.png")
                ->source(),
            "bundle picture recent");
  EXPECT_TRUE(std::regex_match(TalvoCBUtils::getMonogramImage(3)->source(),
                               std::regex("bundle picture user_monogram, on #[0-9A-F]{6}")));
}
