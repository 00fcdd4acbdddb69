// Contact photos are decoded no larger than the 80 x 80 picture they become, and cut-short JPEGs
// are refused rather than padded out.
#include <vector>

#include "PictureSupport.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+Retrieval.h"

namespace {
std::vector<uint8_t> jpegBytes(const UIImagePtr& image) {
  return jpegData(image)->bytes;
}

// The JPEG with the size its frame header declares replaced.
std::vector<uint8_t> declaring(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
      jpeg[i + 5] = height >> 8, jpeg[i + 6] = height & 0xFF;
      jpeg[i + 7] = width >> 8, jpeg[i + 8] = width & 0xFF;
      break;
    }
  }
  return jpeg;
}

std::shared_ptr<NSData> dataOf(std::vector<uint8_t> bytes) {
  return make<NSData>(std::move(bytes));
}

CGSize pixelSize(const UIImagePtr& image) {
  return CGSizeMake(CGImageGetWidth(image->CGImage()), CGImageGetHeight(image->CGImage()));
}

class ThumbnailDecodeTest : public PictureDevice {};
}  // namespace

TEST_F(ThumbnailDecodeTest, JpegsDecodeAtTheSmallestScalingThatCoversTheSize) {
  auto wide = dataOf(jpegBytes(redOverBlue(CGSizeMake(2048, 512))));
  auto covering = UIImage::imageWithDataCovering(wide, 80, 80);
  ASSERT_TRUE(covering);
  EXPECT_EQ(pixelSize(covering), CGSizeMake(512, 128));  // 2/8: 1/8 would be 64 rows high
  EXPECT_EQ(covering->scale(), 1);
  EXPECT_TRUE(colourNear(pixel(covering, 256, 10), 255, 0, 0, 20));
  EXPECT_TRUE(colourNear(pixel(covering, 256, 118), 0, 0, 255, 20));
  EXPECT_EQ(pixelSize(UIImage::imageWithData(wide)), CGSizeMake(2048, 512));

  auto square = dataOf(jpegBytes(redOverBlue(CGSizeMake(120, 120))));
  EXPECT_EQ(pixelSize(UIImage::imageWithDataCovering(square, 80, 80)), CGSizeMake(90, 90));
  // Smaller than the size: its own size.
  auto small = dataOf(jpegBytes(redOverBlue(CGSizeMake(160, 40))));
  EXPECT_EQ(pixelSize(UIImage::imageWithDataCovering(small, 80, 80)), CGSizeMake(160, 40));

  // The contact picture of a large photo is drawn from the small decoding, upright.
  auto picture = TalvoCBUtils::getImageFromImageData(wide);
  ASSERT_TRUE(picture);
  EXPECT_EQ(pixelSize(picture), CGSizeMake(80, 80));
  EXPECT_TRUE(colourNear(pixel(picture, 40, 20), 255, 0, 0, 24));
  EXPECT_TRUE(colourNear(pixel(picture, 40, 60), 0, 0, 255, 24));
}

TEST_F(ThumbnailDecodeTest, TinyFilesDeclaringHugePicturesCostNoHugeBitmap) {
  // A few hundred bytes whose header claims 8192 x 2048: the data ends long before the picture.
  auto bomb = dataOf(declaring(jpegBytes(redOverBlue(CGSizeMake(16, 16))), 8192, 2048));
  ASSERT_LT(bomb->length(), 2048u);
  EXPECT_FALSE(UIImage::imageWithData(bomb));
  EXPECT_FALSE(UIImage::imageWithDataCovering(bomb, 80, 80));

  // As a contact photo it gives the empty 80 x 80 picture of data that does not decode.
  auto picture = TalvoCBUtils::getImageFromImageData(bomb);
  ASSERT_TRUE(picture);
  EXPECT_EQ(pixelSize(picture), CGSizeMake(80, 80));
  EXPECT_EQ(pixel(picture, 40, 40).alpha, 0);
}

TEST_F(ThumbnailDecodeTest, CutShortJpegsAreRefused) {
  std::vector<uint8_t> whole = jpegBytes(redOverBlue(CGSizeMake(64, 64)));
  ASSERT_TRUE(UIImage::imageWithData(dataOf(whole)));
  for (std::size_t keep : {whole.size() / 2, whole.size() - 40}) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + keep);
    EXPECT_FALSE(UIImage::imageWithData(dataOf(cut))) << keep;
    EXPECT_FALSE(UIImage::imageWithDataCovering(dataOf(cut), 8, 8)) << keep;
    // Ended properly with the end-of-image marker, the data is still missing.
    cut.insert(cut.end(), {0xFF, 0xD9});
    EXPECT_FALSE(UIImage::imageWithData(dataOf(cut))) << keep;
    EXPECT_FALSE(UIImage::imageWithDataCovering(dataOf(cut), 8, 8)) << keep;
  }
}
