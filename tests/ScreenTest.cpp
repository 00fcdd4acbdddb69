// Screens drawn and described: pixels only for what pixels alone show (round corners, colours,
// translucency, borders), the dump for everything else.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "PictureSupport.h"
#include "TemporaryDevice.h"
#include "foundation/JSONText.h"
#include "screens/ScreenRenderer.h"
#include "screens/ViewTreeDump.h"
#include "uikit/UIButton.h"
#include "uikit/UIColor.h"
#include "uikit/UILabel.h"
#include "uikit/UISwitch.h"
#include "uikit/UIWindow.h"

namespace {

// A window of 100 x 120 points: a red panel at (10, 10) holding a green picture that is round
// (corner radius 20, clipped) at (10, 10) in it, a label, a hidden view and a half-clear view.
struct SampleScreen {
  std::shared_ptr<UIWindow> window = make<UIWindow>(CGRectMake(0, 0, 100, 120));
  std::shared_ptr<UIImageView> picture = make<UIImageView>(CGRectMake(10, 10, 40, 40));
  std::shared_ptr<UILabel> label = make<UILabel>(CGRectMake(10, 60, 70, 20));
  SampleScreen() {
    window->setBackgroundColor(UIColor::whiteColor());
    auto panel = make<UIView>(CGRectMake(10, 10, 80, 90));
    panel->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1));
    auto image = solidImage(CGSizeMake(40, 40), 0, 1, 0, 2);
    image->setSource("photo of contact 1, rounded");
    picture->setImage(image);
    picture->layer()->setCornerRadius(20);
    picture->setClipsToBounds(true);
    picture->setTag(3232);
    panel->addSubview(picture);
    label->setText("Kate \"K\" Bell");
    panel->addSubview(label);
    auto hidden = make<UIView>(CGRectMake(0, 0, 80, 90));
    hidden->setBackgroundColor(UIColor::blackColor());
    hidden->setHidden(true);
    panel->addSubview(hidden);
    window->addSubview(panel);
    auto veil = make<UIView>(CGRectMake(0, 105, 100, 15));
    veil->setBackgroundColor(UIColor::blackColor());
    veil->setAlpha(0.5);
    window->addSubview(veil);
  }
};

}  // namespace

TEST(Screen, RenderedPixelsShowCornersClippingAlphaAndHiddenViews) {
  TemporaryDevice device;
  SampleScreen screen;
  auto image = standin::renderViewTree(screen.window, 2);
  ASSERT_TRUE(image);
  EXPECT_EQ(pixelWidth(image), 200u);
  EXPECT_EQ(CGImageGetHeight(image->CGImage()), 240u);
  // The picture's corner lets the panel's red through; its middle is the green picture, and the
  // hidden black view over everything draws nothing.
  EXPECT_TRUE(colourNear(pixel(image, 41, 41), 255, 0, 0));
  EXPECT_TRUE(colourNear(pixel(image, 80, 80), 0, 255, 0));
  EXPECT_TRUE(colourNear(pixel(image, 10, 10), 255, 255, 255));
  EXPECT_TRUE(colourNear(pixel(image, 170, 190), 255, 0, 0));
  // Half-clear black over white.
  EXPECT_TRUE(colourNear(pixel(image, 100, 230), 128, 128, 128, 3));
}

TEST(Screen, BorderFollowsTheCornersAndContentModesPlaceThePicture) {
  TemporaryDevice device;
  auto window = make<UIWindow>(CGRectMake(0, 0, 60, 40));
  window->setBackgroundColor(UIColor::whiteColor());
  auto boxed = make<UIView>(CGRectMake(0, 0, 20, 20));
  boxed->layer()->setBorderWidth(2);
  boxed->layer()->setBorderColor(UIColor::colorWithRed(0, 0, 1, 1));
  window->addSubview(boxed);
  auto fit = make<UIImageView>(CGRectMake(20, 0, 40, 20));
  fit->setImage(solidImage(CGSizeMake(10, 10), 1, 0, 0));
  fit->setContentMode(UIViewContentModeScaleAspectFit);
  window->addSubview(fit);
  auto centred = make<UIImageView>(CGRectMake(0, 20, 40, 20));
  centred->setImage(solidImage(CGSizeMake(10, 10), 0, 1, 0));
  centred->setContentMode(UIViewContentModeCenter);
  window->addSubview(centred);
  auto image = standin::renderViewTree(window, 1);
  ASSERT_TRUE(image);
  EXPECT_TRUE(colourNear(pixel(image, 0, 10), 0, 0, 255));
  EXPECT_TRUE(colourNear(pixel(image, 10, 10), 255, 255, 255));
  // Aspect fit: a 20 x 20 square in the middle of the 40 x 20 view, white on both sides.
  EXPECT_TRUE(colourNear(pixel(image, 25, 10), 255, 255, 255));
  EXPECT_TRUE(colourNear(pixel(image, 40, 10), 255, 0, 0));
  EXPECT_TRUE(colourNear(pixel(image, 55, 10), 255, 255, 255));
  // Centre: the picture at its own 10 x 10 size.
  EXPECT_TRUE(colourNear(pixel(image, 20, 30), 0, 255, 0));
  EXPECT_TRUE(colourNear(pixel(image, 12, 30), 255, 255, 255));
}

TEST(Screen, DumpGivesClassesFramesInWindowPointsTextsAndSources) {
  TemporaryDevice device;
  SampleScreen screen;
  auto toggle = make<UISwitch>(CGRectMake(5, 5, 100, 100));
  toggle->setOn(true);
  auto button = make<UIButton>(CGRectMake(0, 0, 50, 20));
  button->setTitle("Call");
  screen.window->addSubview(toggle);
  screen.window->addSubview(button);
  standin::ViewRecord root = standin::describeViewTree(screen.window);
  EXPECT_EQ(root.className, "UIWindow");
  ASSERT_EQ(root.subviews.size(), 4u);
  const auto& panel = root.subviews[0];
  ASSERT_EQ(panel.subviews.size(), 3u);
  const auto& picture = panel.subviews[0];
  EXPECT_EQ(picture.className, "UIImageView");
  EXPECT_EQ(picture.frame.origin.x, 20);  // panel at 10 plus 10 inside it
  EXPECT_EQ(picture.frame.origin.y, 20);
  EXPECT_EQ(picture.tag, 3232);
  EXPECT_EQ(picture.image, "photo of contact 1, rounded");
  EXPECT_FALSE(picture.hasText);
  EXPECT_EQ(panel.subviews[1].className, "UILabel");
  EXPECT_EQ(panel.subviews[1].text, "Kate \"K\" Bell");
  EXPECT_EQ(panel.subviews[1].frame.origin.y, 70);
  EXPECT_TRUE(panel.subviews[2].hidden);
  EXPECT_EQ(root.subviews[1].alpha, 0.5);
  EXPECT_EQ(root.subviews[2].className, "UISwitch");
  EXPECT_EQ(root.subviews[2].on, true);
  EXPECT_EQ(root.subviews[2].frame.size.width, 51);  // a switch keeps its own size
  EXPECT_EQ(root.subviews[3].text, "Call");
  EXPECT_FALSE(root.subviews[3].hasImage);
}

TEST(Screen, JSONOfATreeIsExactAndEscaped) {
  TemporaryDevice device;
  auto window = make<UIWindow>(CGRectMake(0, 0, 10, 20.5));
  auto label = make<UITableViewLabel>(CGRectMake(1, 2, 3, 4));
  label->setText("a\"b\\c\nd");
  window->addSubview(label);
  auto empty = make<UIImageView>(CGRectMake(0, 0, 1, 1));
  empty->setHidden(true);
  label->addSubview(empty);
  EXPECT_EQ(standin::viewTreeJSON(standin::describeViewTree(window)),
            "{\n"
            "  \"class\": \"UIWindow\",\n"
            "  \"frame\": [0, 0, 10, 20.5],\n"
            "  \"hidden\": false,\n"
            "  \"alpha\": 1,\n"
            "  \"tag\": 0,\n"
            "  \"subviews\": [{\n"
            "    \"class\": \"UITableViewLabel\",\n"
            "    \"frame\": [1, 2, 3, 4],\n"
            "    \"hidden\": false,\n"
            "    \"alpha\": 1,\n"
            "    \"tag\": 0,\n"
            "    \"text\": \"a\\\"b\\\\c\\nd\",\n"
            "    \"shown\": \"\u2026\",\n"
            // The ellipsis is wider than the label and runs past it, centred on its height.
            "    \"textFrame\": [1, -6.2871, 14, 20.5742],\n"
            "    \"font\": {\"family\": \"Inter\", \"size\": 17, \"bold\": false},\n"
            "    \"subviews\": [{\n"
            "      \"class\": \"UIImageView\",\n"
            "      \"frame\": [1, 2, 1, 1],\n"
            "      \"hidden\": true,\n"
            "      \"alpha\": 1,\n"
            "      \"tag\": 0,\n"
            "      \"image\": null,\n"
            "      \"subviews\": []\n"
            "    }]\n"
            "  }]\n"
            "}\n");
}

TEST(Screen, JSONTextStaysValidWhateverTheText) {
  EXPECT_EQ(JSONQuoted(std::string("\x01\x7f", 2)), "\"\\u0001\\u007f\"");
  // Broken UTF-8 (a lone continuation byte, a cut sequence, an overlong form) becomes U+FFFD;
  // whole characters pass.
  EXPECT_EQ(JSONQuoted("\x80Z\xC3"), "\"\xEF\xBF\xBDZ\xEF\xBF\xBD\"");
  EXPECT_EQ(JSONQuoted("\xC0\xAF"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\"");
  EXPECT_EQ(JSONQuoted("\xD7\xA9\xF0\x9F\x98\x80"), "\"\xD7\xA9\xF0\x9F\x98\x80\"");
  EXPECT_EQ(JSONNumber(1.0 / 0.0), "null");
  EXPECT_EQ(JSONNumber(-0.0), "0");
  EXPECT_EQ(JSONNumber(0.33333), "0.3333");
}

TEST(Screen, LayoutReachesEveryViewThatAnswersIt) {
  TemporaryDevice device;
  static int calls = 0;
  // layoutSubviews answered by one class only: only its views are sent it.
  Class laidOut = objc_registerClass("ScreenTestCell", UIView::class_());
  class_addMethod(
      laidOut, sel_registerName("layoutSubviews"), +[](id, SEL) { ++calls; }, "v@:");
  struct Cell : UIView {
    explicit Cell(Class c) : UIView(c, CGRect{}) {}
  };
  auto window = make<UIWindow>(CGRectMake(0, 0, 10, 10));
  auto plain = make<UIView>();
  auto cell = std::make_shared<Cell>(laidOut);
  plain->addSubview(cell);
  window->addSubview(plain);
  calls = 0;
  standin::layoutViewTree(window);
  EXPECT_EQ(calls, 1);
}

// From version 9 a right-to-left switch is the mirror image: on, its knob is at the left and the
// green at the right. Before 9 nothing mirrors.
TEST(Screen, ARightToLeftSwitchOfVersionNineHasItsKnobOnTheLeftWhenOn) {
  for (auto [version, direction, knobLeft] :
       {std::tuple{"9.0.2", 0, false}, {"9.0.2", 1, true}, {"8.4", 1, false}}) {
    DeviceProfile profile;
    profile.systemVersion = version;
    profile.layoutDirection = direction;
    TemporaryDevice device(profile);
    auto window = make<UIWindow>(CGRectMake(0, 0, 51, 31));
    window->setBackgroundColor(UIColor::whiteColor());
    auto toggle = make<UISwitch>();
    toggle->setOn(true);
    window->addSubview(toggle);
    auto image = standin::renderViewTree(window, 1);
    ASSERT_TRUE(image);
    // The knob's middle and the green's, 10 points in from either end.
    CGPixel left = pixel(image, 12, 15), right = pixel(image, 39, 15);
    std::string where = std::string(version) + (direction ? " right to left" : "");
    EXPECT_TRUE(colourNear(knobLeft ? left : right, 255, 255, 255)) << where;
    EXPECT_TRUE(colourNear(knobLeft ? right : left, 76, 217, 100)) << where;
  }
}
