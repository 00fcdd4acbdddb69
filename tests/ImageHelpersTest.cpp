// The contact picture, the scaling and clipping helpers and the categories.
#include "PictureSupport.h"
#include "TalvoCBPaths.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+ImageHelpersInternal.h"
#include "TalvoCBUtils+Retrieval.h"
#include "UIColor+TalvoCB.h"
#include "UIImage+TalvoCB.h"
#include "UITableViewCell+TalvoCB1.h"

namespace {
bool sameColour(const UIColorPtr& color, double r, double g, double b, double a) {
  CGFloat cr, cg, cb, ca;
  color->getRed(&cr, &cg, &cb, &ca);
  return std::abs(cr - r) < 1e-9 && std::abs(cg - g) < 1e-9 && std::abs(cb - b) < 1e-9 &&
         std::abs(ca - a) < 1e-9;
}

// Left half red, right half blue.
UIImagePtr redBeside(CGSize size) {
  return drawnImage(size, 1, [&](CGContextRef c) {
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, size.width / 2, size.height));
    CGContextSetRGBFillColor(c, 0, 0, 1, 1);
    CGContextFillRect(c, CGRectMake(size.width / 2, 0, size.width / 2, size.height));
  });
}
}  // namespace

class ImageHelpersTest : public PictureDevice {};

TEST_F(ImageHelpersTest, HexColoursNeverReadPastTheText) {
  EXPECT_TRUE(TalvoCBColorWithHexaCode(0x4b9484)->isEqual(*TalvoCBColorWithHexaCode("#4b9484", 1)));
  EXPECT_TRUE(sameColour(TalvoCBColorWithHexaCode("#4b9484", 1.0), 75 / 255.0, 148 / 255.0,
                         132 / 255.0, 1));
  EXPECT_TRUE(sameColour(TalvoCBColorWithRed(255, 0, 51, 0.25), 1, 0, 0.2, 0.25));
  // Too short for three pairs: black with the alpha, not a read past the end.
  for (const char* shortText : {"", "#", "#4b", "#4b948"}) {
    EXPECT_TRUE(sameColour(TalvoCBColorWithHexaCode(shortText, 0.5), 0, 0, 0, 0.5)) << shortText;
  }
  // Pair by pair: longer text reads the first three pairs; a pair that does not read is 0, a
  // pair read partly keeps its leading digits.
  EXPECT_TRUE(sameColour(TalvoCBColorWithHexaCode("#4b9484ff", 1), 75 / 255.0, 148 / 255.0,
                         132 / 255.0, 1));
  EXPECT_TRUE(sameColour(TalvoCBColorWithHexaCode("#zz00FF", 1), 0, 0, 1, 1));
  EXPECT_TRUE(sameColour(TalvoCBColorWithHexaCode("#a-0x1g", 1), 10 / 255.0, 0, 1 / 255.0, 1));
  // Indexes count UTF-16 units, as the platform's strings do.
  EXPECT_TRUE(sameColour(TalvoCBColorWithHexaCode("#é12345", 1), 0, 0x23 / 255.0, 0x45 / 255.0, 1));
}

TEST_F(ImageHelpersTest, ContactPictureIsEightyPixelsSqueezedAndClipped) {
  auto photo = jpegData(redBeside(CGSizeMake(160, 80)));
  auto round = TalvoCBUtils::getImageFromImageData(photo);
  ASSERT_TRUE(round);
  EXPECT_EQ(round->size(), CGSizeMake(80, 80));
  EXPECT_EQ(round->scale(), 1.0);
  // Squeezed: the red half fills the left 40 pixels, the blue the right 40.
  EXPECT_TRUE(colourNear(pixel(round, 20, 40), 255, 0, 0, 25));
  EXPECT_TRUE(colourNear(pixel(round, 60, 40), 0, 0, 255, 25));
  for (auto [x, y] : {std::pair{2, 2}, {77, 2}, {2, 77}, {77, 77}, {8, 8}}) {
    EXPECT_EQ(pixel(round, x, y).alpha, 0) << x << "," << y;
  }
  EXPECT_EQ(pixel(round, 40, 1).alpha, 255);
  EXPECT_EQ(pixel(round, 1, 40).alpha, 255);

  setRound(false);
  auto square = TalvoCBUtils::getImageFromImageData(photo);
  EXPECT_EQ(pixel(square, 0, 0).alpha, 0);
  EXPECT_EQ(pixel(square, 79, 79).alpha, 0);
  for (auto [x, y] : {std::pair{6, 0}, {0, 6}, {3, 3}, {73, 79}, {12, 12}}) {
    EXPECT_EQ(pixel(square, x, y).alpha, 255) << x << "," << y;
  }

  // Data that is not a picture still gives the picture, with nothing in it.
  auto empty = TalvoCBUtils::getImageFromImageData(make<NSData>(std::vector<uint8_t>{1, 2, 3, 4}));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->size(), CGSizeMake(80, 80));
  EXPECT_EQ(pixel(empty, 40, 40).alpha, 0);
  EXPECT_FALSE(TalvoCBUtils::getImageFromImageData(make<NSData>(std::vector<uint8_t>{})));
  EXPECT_FALSE(TalvoCBUtils::getImageFromImageData(nullptr));
}

TEST_F(ImageHelpersTest, ResizingAndCentring) {
  auto resized = TalvoCBUtils::resizeImage(solidImage(CGSizeMake(100, 50), 1, 0, 0), 40, 40);
  EXPECT_EQ(resized->size(), CGSizeMake(80, 40));
  EXPECT_EQ(resized->scale(), 2.0);

  // A 40-point picture with a red 5-point frame around blue.
  auto framed = drawnImage(CGSizeMake(40, 40), 1, [](CGContextRef c) {
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 40, 40));
    CGContextSetRGBFillColor(c, 0, 0, 1, 1);
    CGContextFillRect(c, CGRectMake(5, 5, 30, 30));
  });
  auto onTwo = TalvoCBUtils::scaleImage(framed, CGSizeMake(80, 80));
  EXPECT_EQ(onTwo->size(), CGSizeMake(80, 80));
  EXPECT_TRUE(colourNear(pixel(onTwo, 0, 0), 255, 0, 0));  // fills the canvas exactly
  EXPECT_TRUE(colourNear(pixel(onTwo, 79, 79), 255, 0, 0));
  DeviceProfile three;
  three.scale = 3;
  enter(three);
  auto onThree = TalvoCBUtils::scaleImage(framed, CGSizeMake(80, 80));
  // 120 x 120 centred: the frame is cut off, the canvas edge shows the blue inside.
  EXPECT_TRUE(colourNear(pixel(onThree, 0, 0), 0, 0, 255));
  EXPECT_TRUE(colourNear(pixel(onThree, 79, 40), 0, 0, 255));
}

TEST_F(ImageHelpersTest, CircularCropAndRoundedCorners) {
  auto photo = solidImage(CGSizeMake(160, 160), 0, 1, 0);
  auto round = TalvoCBUtils::roundedImage(photo);
  EXPECT_EQ(round->size(), CGSizeMake(80, 80));
  EXPECT_EQ(pixel(round, 3, 3).alpha, 0);
  EXPECT_TRUE(colourNear(pixel(round, 80, 80), 0, 255, 0));
  setRound(false);
  EXPECT_EQ(TalvoCBUtils::roundedImage(photo), photo);
  EXPECT_FALSE(TalvoCBUtils::roundedImage(nullptr));

  auto corners = imageWithRoundedCornersRadius(solidImage(CGSizeMake(40, 40), 0, 1, 0), 5);
  EXPECT_EQ(corners->size(), CGSizeMake(40, 40));
  EXPECT_EQ(pixel(corners, 0, 0).alpha, 0);
  EXPECT_EQ(pixel(corners, 20, 0).alpha, 255);
  // An oval of 0 is a plain rectangle.
  auto plain = imageWithRoundedCornersRadius(solidImage(CGSizeMake(40, 40), 0, 1, 0), 0);
  EXPECT_EQ(pixel(plain, 0, 0).alpha, 255);
}

TEST_F(ImageHelpersTest, CornerPathAndParentTable) {
  CGMutablePathRef path = createRoundedCornerPath(CGRectMake(10, 10, 60, 40), 8);
  CGRect box = CGPathGetBoundingBox(path);
  EXPECT_NEAR(box.origin.x, 10, 1e-9);
  EXPECT_NEAR(box.size.width, 60, 1e-9);
  EXPECT_NEAR(box.size.height, 40, 1e-9);
  EXPECT_TRUE(CGPathContainsPoint(path, nullptr, CGPointMake(40, 30), false));
  EXPECT_TRUE(CGPathContainsPoint(path, nullptr, CGPointMake(11, 30), false));
  EXPECT_FALSE(CGPathContainsPoint(path, nullptr, CGPointMake(10.5, 10.5), false));
  EXPECT_NEAR(CGPathGetCurrentPoint(path).x, 18, 1e-9);  // back at the start, left open
  CGPathRelease(path);

  auto table = make<UITableView>();
  auto wrapper = make<UIView>();
  auto cell = make<UITableViewCell>();
  EXPECT_FALSE(parentTableView(cell));
  table->addSubview(wrapper);
  wrapper->addSubview(cell);
  EXPECT_EQ(parentTableView(cell), table);
}
