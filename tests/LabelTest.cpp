// Labels: sizes from the font's metrics, truncation at the tail, the layout direction.
#include <gtest/gtest.h>

#include "PictureSupport.h"
#include "TemporaryDevice.h"
#include "foundation/NSValueTypes.h"
#include "screens/ScreenRenderer.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UIView.h"

namespace {

// The label drawn alone on white at scale 2.
UIImagePtr drawn(const std::shared_ptr<UILabel>& label) {
  auto root = make<UIView>(label->bounds());
  root->setBackgroundColor(UIColor::whiteColor());
  label->setFrame(label->bounds());
  root->addSubview(label);
  return standin::renderViewTree(root, 2);
}

bool ink(const UIImagePtr& image, size_t x, size_t y) {
  CGPixel p = pixel(image, x, y);
  return p.red < 160;
}

// The leftmost and rightmost columns with ink.
std::pair<long, long> inkColumns(const UIImagePtr& image) {
  long first = -1, last = -1;
  size_t h = CGImageGetHeight(image->CGImage());
  for (size_t x = 0; x < pixelWidth(image); ++x) {
    for (size_t y = 0; y < h; ++y) {
      if (!ink(image, x, y)) continue;
      if (first < 0) first = static_cast<long>(x);
      last = static_cast<long>(x);
    }
  }
  return {first, last};
}

DeviceProfile rightToLeft() {
  DeviceProfile p;
  p.layoutDirection = 1;
  return p;
}

}  // namespace

TEST(Label, SizeToFitMeasuresOneLineAndWrapsInTheWidth) {
  TemporaryDevice device;
  auto font = UIFont::systemFontOfSize(17);
  auto label = make<UILabel>(CGRectMake(5, 6, 10, 10));
  label->setText("Anna Haro");
  label->sizeToFit();
  auto attributes = make<NSDictionary>();
  attributes->setObject(font, NSFontAttributeName);
  CGSize line = NSStringSizeWithAttributes("Anna Haro", attributes);
  EXPECT_EQ(label->frame().origin.x, 5);
  EXPECT_EQ(label->frame().origin.y, 6);
  EXPECT_NEAR(label->frame().size.width, line.width, 1.0);
  EXPECT_GT(label->frame().size.height, 17);
  EXPECT_LT(label->frame().size.height, 30);

  auto wrapped = make<UILabel>(CGRectMake(0, 0, 80, 0));
  wrapped->setNumberOfLines(0);
  wrapped->setText("One two three four five six seven");
  wrapped->sizeToFit();
  EXPECT_EQ(wrapped->frame().size.width, 80);
  EXPECT_GT(wrapped->frame().size.height, 2.5 * label->frame().size.height);

  auto empty = make<UILabel>(CGRectMake(0, 0, 50, 50));
  empty->sizeToFit();
  EXPECT_EQ(empty->frame().size.width, 0);
  // A bigger font measures bigger; no font at all is the system font of 17 points.
  label->setFont(UIFont::systemFontOfSize(34));
  EXPECT_GT(label->sizeThatFits({}).width, 1.8 * line.width);
  label->setFont(nullptr);
  EXPECT_NEAR(label->sizeThatFits({}).width, line.width, 1.0);
}

TEST(Label, LongTextEndsInAnEllipsisInsideTheLabel) {
  TemporaryDevice device;
  auto make120 = [](NSLineBreakMode mode) {
    auto label = make<UILabel>(CGRectMake(0, 0, 120, 30));
    label->setText("WWWWWWWWWWWWWWWWWWWWWWWW");
    label->setLineBreakMode(mode);
    return drawn(label);
  };
  // Near the right end of the ink: clipped capitals reach the top of the line, the dots of an
  // ellipsis stay on the baseline.
  auto inkAtCapHeight = [](const UIImagePtr& image) {
    long last = inkColumns(image).second;
    int count = 0;
    for (long x = last - 4; x <= last; ++x) {
      for (size_t y = 14; y < 30; ++y) count += ink(image, static_cast<size_t>(x), y);
    }
    return count;
  };
  auto truncated = make120(NSLineBreakByTruncatingTail);
  auto clipped = make120(NSLineBreakByClipping);
  EXPECT_LT(inkColumns(truncated).second, 240);
  EXPECT_EQ(inkAtCapHeight(truncated), 0);
  EXPECT_GT(inkAtCapHeight(clipped), 0);
}

TEST(Label, NaturalAlignmentFollowsTheLayoutDirection) {
  auto leading = [] {
    auto label = make<UILabel>(CGRectMake(0, 0, 200, 30));
    label->setText("Kate");
    return inkColumns(drawn(label));
  };
  {
    TemporaryDevice device;
    auto [first, last] = leading();
    EXPECT_LT(first, 20);
    EXPECT_LT(last, 200);
  }
  {
    TemporaryDevice device(rightToLeft());
    auto [first, last] = leading();
    EXPECT_GT(first, 200);
    EXPECT_GT(last, 380);
  }
}

TEST(Label, SemanticContentDirectionIsAnsweredFromVersionNine) {
  {
    TemporaryDevice device;
    EXPECT_TRUE(UIView::respondsToUserInterfaceLayoutDirection());
    EXPECT_EQ(UIView::userInterfaceLayoutDirectionForSemanticContentAttribute(
                  UISemanticContentAttributeForceRightToLeft),
              UIUserInterfaceLayoutDirectionRightToLeft);
    EXPECT_EQ(UIView::userInterfaceLayoutDirectionForSemanticContentAttribute(
                  UISemanticContentAttributeUnspecified),
              UIUserInterfaceLayoutDirectionLeftToRight);
  }
  {
    TemporaryDevice device(rightToLeft());
    EXPECT_EQ(UIView::userInterfaceLayoutDirectionForSemanticContentAttribute(
                  UISemanticContentAttributeUnspecified),
              UIUserInterfaceLayoutDirectionRightToLeft);
    EXPECT_EQ(UIView::userInterfaceLayoutDirectionForSemanticContentAttribute(
                  UISemanticContentAttributePlayback),
              UIUserInterfaceLayoutDirectionLeftToRight);
  }
  DeviceProfile eight;
  eight.systemVersion = "8.4";
  TemporaryDevice device(eight);
  EXPECT_FALSE(UIView::respondsToUserInterfaceLayoutDirection());
  // Sent by name, the class method is there on 9 only; a subclass inherits it.
  const char* direction = "userInterfaceLayoutDirectionForSemanticContentAttribute:";
  EXPECT_THROW(objc_msgSendClass<long(long)>("UIView", direction, 4L), objc_runtime_error);
  DeviceProfile nine;
  nine.systemVersion = "9.0";
  TemporaryDevice later(nine);
  EXPECT_EQ(objc_msgSendClass<long(long)>("UILabel", direction,
                                          long{UISemanticContentAttributeForceRightToLeft}),
            UIUserInterfaceLayoutDirectionRightToLeft);
}

TEST(Label, TableLabelClassesHaveTheSystemNames) {
  EXPECT_STREQ(object_getClassName(make<UITableViewLabel>()), "UITableViewLabel");
  EXPECT_STREQ(object_getClassName(make<UIDateLabel>()), "UIDateLabel");
  EXPECT_TRUE(isKindOfClass(make<UIDateLabel>(), objc_getClass("UILabel")));
  // Made by class name, as cells and host classes make them, they are real labels.
  for (const char* name : {"UILabel", "UITableViewLabel", "UIDateLabel"}) {
    id label = class_createInstance(objc_getClass(name));
    EXPECT_TRUE(cast<UILabel>(label)) << name;
    EXPECT_STREQ(object_getClassName(label), name);
  }
}
