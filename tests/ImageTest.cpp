// The platform's pictures: decoding, image contexts, paths, text and views, checked on pixels.
#include <pango/pangocairo.h>

#include <cstring>
#include <thread>

#include "PictureSupport.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UITableViewCell.h"
#include "uikit/UIView.h"

namespace {

std::vector<uint8_t> bytesOf(const std::shared_ptr<NSData>& data) {
  return data->bytes;
}

std::shared_ptr<NSData> dataOf(std::vector<uint8_t> bytes) {
  return make<NSData>(std::move(bytes));
}

uint32_t crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xffffffffu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1)));
  }
  return ~c;
}

void putBig32(uint8_t* p, uint32_t v) {
  p[0] = v >> 24, p[1] = v >> 16, p[2] = v >> 8, p[3] = v;
}
}  // namespace

TEST(ImageTest, EncodedPicturesDecodeToTheirPixels) {
  // PNG keeps translucency (premultiplied inside, plain when read back).
  auto translucent = drawnImage(CGSizeMake(3, 2), 1, [](CGContextRef c) {
    CGContextSetRGBFillColor(c, 1, 0.5, 0, 0.5);
    CGContextFillRect(c, CGRectMake(0, 0, 3, 2));
  });
  auto png = UIImage::imageWithData(UIImagePNGRepresentation(translucent));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->size(), CGSizeMake(3, 2));
  CGPixel p = pixel(png, 2, 1);
  EXPECT_NEAR(p.alpha, 128, 1);
  EXPECT_NEAR(p.red, 255, 2);
  EXPECT_NEAR(p.green, 128, 3);

  auto jpeg = UIImage::imageWithData(jpegData(redOverBlue(CGSizeMake(160, 80))), 2.0);
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->size(), CGSizeMake(80, 40));
  EXPECT_EQ(jpeg->scale(), 2.0);
  EXPECT_TRUE(colourNear(pixel(jpeg, 80, 10), 255, 0, 0, 20));
  EXPECT_TRUE(colourNear(pixel(jpeg, 80, 70), 0, 0, 255, 20));
}

TEST(ImageTest, BadDataGivesNil) {
  EXPECT_FALSE(UIImage::imageWithData(nullptr));
  EXPECT_FALSE(UIImage::imageWithData(dataOf({})));
  EXPECT_FALSE(UIImage::imageWithData(dataOf({'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm'})));
  EXPECT_FALSE(UIImage::imageWithData(dataOf({0xFF, 0xD8, 0xFF})));

  auto png = bytesOf(UIImagePNGRepresentation(redOverBlue(CGSizeMake(64, 64))));
  auto jpeg = bytesOf(jpegData(redOverBlue(CGSizeMake(64, 64))));
  for (size_t keep : {8ul, 30ul, 60ul}) {
    EXPECT_FALSE(UIImage::imageWithData(dataOf({png.begin(), png.begin() + keep}))) << keep;
  }
  EXPECT_FALSE(UIImage::imageWithData(dataOf({png.begin(), png.end() - 20})));
  EXPECT_FALSE(UIImage::imageWithData(dataOf({jpeg.begin(), jpeg.begin() + jpeg.size() / 2})));
  EXPECT_FALSE(UIImage::imageWithData(dataOf({jpeg.begin(), jpeg.begin() + 20})));

  // Decompression bombs: small files that declare huge pictures are refused before decoding.
  auto pngBomb = png;
  putBig32(&pngBomb[16], 100000);  // IHDR width and height, then its checksum
  putBig32(&pngBomb[20], 100000);
  putBig32(&pngBomb[29], crc32(&pngBomb[12], 17));
  EXPECT_FALSE(UIImage::imageWithData(dataOf(pngBomb)));
  auto jpegBomb = jpeg;
  for (size_t i = 2; i + 9 < jpegBomb.size(); ++i) {
    if (jpegBomb[i] == 0xFF && (jpegBomb[i + 1] == 0xC0 || jpegBomb[i + 1] == 0xC2)) {
      jpegBomb[i + 5] = jpegBomb[i + 7] = 0xFF;  // height and width 65535
      jpegBomb[i + 6] = jpegBomb[i + 8] = 0xFF;
      break;
    }
  }
  EXPECT_FALSE(UIImage::imageWithData(dataOf(jpegBomb)));
}

TEST(ImageTest, FilesNamedForAScaleHaveThatScale) {
  TemporaryDevice device;
  auto data = UIImagePNGRepresentation(redOverBlue(CGSizeMake(60, 60)));
  ASSERT_TRUE(data->writeToFile("/tmp/pic@3x.png", false));
  ASSERT_TRUE(data->writeToFile("/tmp/pic.png", false));
  auto three = UIImage::imageWithContentsOfFile("/tmp/pic@3x.png");
  ASSERT_TRUE(three);
  EXPECT_EQ(three->size(), CGSizeMake(20, 20));
  EXPECT_EQ(UIImage::imageWithContentsOfFile("/tmp/pic.png")->size(), CGSizeMake(60, 60));
  EXPECT_FALSE(UIImage::imageWithContentsOfFile("/tmp/missing.png"));
  device.writeFile("/tmp/empty.png", "");
  EXPECT_FALSE(UIImage::imageWithContentsOfFile("/tmp/empty.png"));
}

TEST(ImageTest, ImageContextsStackPerThread) {
  TemporaryDevice device;  // a screen of scale 2
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(10, 5), false, 0);
  CGContextRef outer = UIGraphicsGetCurrentContext();
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(3, 3), false, 3);
  auto inner = UIGraphicsGetImageFromCurrentImageContext();
  EXPECT_EQ(pixelWidth(inner), 9u);

  // Another thread has a stack of its own.
  std::thread([] {
    EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(1, 1), false, 1);
    EXPECT_NE(UIGraphicsGetCurrentContext(), nullptr);
    UIGraphicsEndImageContext();
  }).join();

  UIGraphicsEndImageContext();
  EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  EXPECT_EQ(image->size(), CGSizeMake(10, 5));
  EXPECT_EQ(pixelWidth(image), 20u);
  UIGraphicsEndImageContext();

  // A size without pixels opens an empty slot that still balances.
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(0, 10), false, 1);
  EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
  EXPECT_FALSE(UIGraphicsGetImageFromCurrentImageContext());
  UIGraphicsEndImageContext();
  UIGraphicsEndImageContext();  // one too many does nothing
}

TEST(ImageTest, PicturesComeOutUprightAndStretched) {
  auto source = redOverBlue(CGSizeMake(20, 10));
  // -[UIImage drawInRect:] in an image context of scale 2.
  auto drawn = drawnImage(CGSizeMake(40, 40), 2,
                          [&](CGContextRef) { source->drawInRect(CGRectMake(0, 0, 40, 40)); });
  EXPECT_TRUE(colourNear(pixel(drawn, 40, 5), 255, 0, 0));
  EXPECT_TRUE(colourNear(pixel(drawn, 40, 75), 0, 0, 255));
  EXPECT_TRUE(colourNear(pixel(drawn, 79, 79), 0, 0, 255));  // stretched right to the edge

  // CGContextDrawImage in a bitmap context.
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef c =
      CGBitmapContextCreate(nullptr, 30, 30, 8, 120, space, kCGImageAlphaPremultipliedFirst);
  CGColorSpaceRelease(space);
  ASSERT_TRUE(c);
  CGContextDrawImage(c, CGRectMake(0, 0, 30, 30), source->CGImage());
  CGImageRef bitmap = CGBitmapContextCreateImage(c);
  CGContextRelease(c);
  EXPECT_TRUE(colourNear(CGImageGetPixel(bitmap, 15, 2), 255, 0, 0));
  EXPECT_TRUE(colourNear(CGImageGetPixel(bitmap, 15, 27), 0, 0, 255));
  CGImageRelease(bitmap);

  // Formats the platform does not draw into are refused.
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  EXPECT_FALSE(
      CGBitmapContextCreate(nullptr, 10, 10, 16, 80, rgb, kCGImageAlphaPremultipliedFirst));
  EXPECT_FALSE(
      CGBitmapContextCreate(nullptr, 100000, 10, 8, 400000, rgb, kCGImageAlphaPremultipliedFirst));
  CGColorSpaceRelease(rgb);
}

TEST(ImageTest, ArcsToPointsRoundCorners) {
  // A 40 x 40 square with corners of radius 10 drawn with tangent arcs, like a rounded button.
  auto shape = drawnImage(CGSizeMake(40, 40), 1, [](CGContextRef c) {
    CGContextBeginPath(c);
    CGContextMoveToPoint(c, 20, 0);
    CGContextAddArcToPoint(c, 40, 0, 40, 20, 10);
    CGContextAddArcToPoint(c, 40, 40, 20, 40, 10);
    CGContextAddArcToPoint(c, 0, 40, 0, 20, 10);
    CGContextAddArcToPoint(c, 0, 0, 20, 0, 10);
    CGContextClosePath(c);
    CGContextSetRGBFillColor(c, 0, 1, 0, 1);
    CGContextFillPath(c);
  });
  for (auto [x, y] : {std::pair{1, 1}, {38, 1}, {1, 38}, {38, 38}}) {
    EXPECT_EQ(pixel(shape, x, y).alpha, 0) << x << "," << y;
  }
  for (auto [x, y] : {std::pair{20, 0}, {39, 20}, {20, 39}, {0, 20}, {5, 5}, {20, 20}}) {
    EXPECT_TRUE(colourNear(pixel(shape, x, y), 0, 255, 0)) << x << "," << y;
  }
  // A scale that cannot be undone is ignored rather than breaking the context.
  auto still = drawnImage(CGSizeMake(4, 4), 1, [](CGContextRef c) {
    CGContextScaleCTM(c, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, 4, 4));
  });
  EXPECT_EQ(pixel(still, 2, 2).alpha, 255);
}

TEST(ImageTest, TextIsDrawnInItsRectangleAndTruncated) {
  auto font = UIFont::systemFontOfSize(17);
  auto white = [&](const std::string& text, CGRect rect, CGSize size) {
    return drawnImage(size, 1, [&](CGContextRef c) {
      CGContextSetRGBFillColor(c, 1, 1, 1, 1);
      NSStringDrawInRect(text, rect, font, NSLineBreakByTruncatingTail, NSTextAlignmentCenter);
    });
  };
  auto inkColumns = [](const UIImagePtr& image, size_t from, size_t to) {
    size_t count = 0;
    for (size_t x = from; x < to; ++x) {
      for (size_t y = 0; y < CGImageGetHeight(image->CGImage()); ++y) {
        if (pixel(image, x, y).alpha > 0) {
          ++count;
          break;
        }
      }
    }
    return count;
  };
  auto longLine = white("The quick brown fox jumps over the lazy dog", CGRectMake(10, 0, 80, 30),
                        CGSizeMake(200, 30));
  EXPECT_GT(inkColumns(longLine, 10, 90), 40u);
  EXPECT_EQ(inkColumns(longLine, 0, 10) + inkColumns(longLine, 90, 200), 0u);
  // A short line sits in the middle.
  auto centred = white("I", CGRectMake(0, 0, 100, 30), CGSizeMake(100, 30));
  EXPECT_EQ(inkColumns(centred, 0, 45) + inkColumns(centred, 55, 100), 0u);
  EXPECT_GT(inkColumns(centred, 45, 55), 0u);
}

TEST(ImageTest, EveryScriptOfTheAddressBookHasGlyphs) {
  // The system font and the installed fallbacks cover every script, so no box is ever drawn.
  PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
  PangoFontDescription* description = pango_font_description_from_string("Noto Sans 17");
  for (const char* text : {"Zoë Ærø", "Ελένη", "Юлия", "مريم", "שרה", "王小明", "さくら", "キム",
                           "김민", "🙂👍🏽", "Nguyễn"}) {
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, description);
    pango_layout_set_text(layout, text, -1);
    EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout), 0) << text;
    g_object_unref(layout);
  }
  pango_font_description_free(description);
  g_object_unref(context);
}

TEST(ImageTest, LayersRoundAndClipWhenRendered) {
  auto view = make<UIImageView>(CGRectMake(0, 0, 40, 40));
  view->setImage(solidImage(CGSizeMake(10, 10), 1, 0, 0));
  view->setBackgroundColor(UIColor::colorWithRed(0, 0, 1, 1));
  auto render = [&] {
    return drawnImage(CGSizeMake(40, 40), 1,
                      [&](CGContextRef c) { view->layer()->renderInContext(c); });
  };
  view->layer()->setCornerRadius(20);
  view->layer()->setMasksToBounds(true);
  auto clipped = render();
  EXPECT_EQ(pixel(clipped, 1, 1).alpha, 0);
  EXPECT_TRUE(colourNear(pixel(clipped, 20, 20), 255, 0, 0));
  view->layer()->setMasksToBounds(false);
  EXPECT_TRUE(colourNear(pixel(render(), 1, 1), 255, 0, 0));  // the picture is not clipped

  // Subviews draw at their frames; the tree answers by tag.
  auto parent = make<UIView>(CGRectMake(0, 0, 40, 40));
  auto child = make<UIView>(CGRectMake(20, 20, 20, 20));
  child->setBackgroundColor(UIColor::colorWithRed(0, 1, 0, 1));
  child->setTag(3232);
  parent->addSubview(child);
  auto tree = drawnImage(CGSizeMake(40, 40), 1,
                         [&](CGContextRef c) { parent->layer()->renderInContext(c); });
  EXPECT_EQ(pixel(tree, 10, 10).alpha, 0);
  EXPECT_TRUE(colourNear(pixel(tree, 30, 30), 0, 255, 0));
  EXPECT_EQ(parent->viewWithTag(3232), child);
  EXPECT_EQ(child->superview(), parent);
  child->removeFromSuperview();
  EXPECT_TRUE(parent->subviews().empty());
  EXPECT_STREQ(object_getClassName(make<UITableViewCell>()), "UITableViewCell");
  EXPECT_EQ(objc_getClass("UIImageView"), UIImageView::class_());
}
