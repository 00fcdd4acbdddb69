// The overlay's picture, its image view withheld, dismissal and the favourites rebuilt, with
// CallBar's controller in SpringBoard.
#include <cstring>

#include "HookedProcess.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+MonogramsInternal.h"
#include "apps/CallBar.h"
#include "apps/HostClasses.h"
#include "foundation/NSNotificationCenter.h"
#include "uikit/UIButton.h"
#include "uikit/UIImage.h"

namespace {

HostSignature::Void hostViewDidLoad;
std::shared_ptr<UIImageView> laterPlainView, subclassView;

// CallBar's view load, then a second plain image view and a subclass of one after CallBar's own.
void loadWithMoreImageViews(id self, SEL cmd) {
  hostViewDidLoad(self, cmd);
  auto content = cast<UIView>(objc_msgSend<id()>(self, "contentView"));
  laterPlainView = make<UIImageView>(CGRectMake(0, 0, 60, 60));
  Class badge = objc_registerClass("OverlayTestBadgeImageView", UIImageView::class_());
  subclassView = cast<UIImageView>(class_createInstance(badge));
  content->addSubview(laterPlainView);
  content->addSubview(subclassView);
}

constexpr const char* kJohn = "+1 (555) 010-0100";  // contact 1, a photo
constexpr const char* kDavid = "555-610-6679";      // contact 4, photo only on linked card 5
constexpr const char* kAnna = "555-522-8243";       // contact 3, no photo
constexpr const char* kStranger = "+1 555 867 5309";

class CallOverlayHooksTest : public HookedProcessTest {
 protected:
  void show() {
    controller = std::static_pointer_cast<CallBarControllerModern>(
        class_createInstance(objc_getClass("CallBarControllerModern")));
    controller->view();
  }
  // A new call, the only one unless `alongside` is set, made current.
  id call(const std::string& party, double startTime = 1000, bool alongside = false) {
    if (!alongside) {
      for (const id& old : std::vector<id>(controller->calls())) controller->removeCall(old);
    }
    id made = make<CallBarCall>(party, startTime);
    controller->addCall(made);
    setCurrent(made);
    return made;
  }
  void setCurrent(const id& made) { objc_msgSend<void(id)>(controller, "setCurrentCall:", made); }
  // CallBar's one plain image view in the content view.
  std::shared_ptr<UIImageView> pictureView() {
    auto content = cast<UIView>(objc_msgSend<id()>(controller, "contentView"));
    for (const auto& view : content->subviews()) {
      if (std::strcmp(object_getClassName(view), "UIImageView") == 0) {
        return std::static_pointer_cast<UIImageView>(view);
      }
    }
    return nullptr;
  }
  std::string shown() {
    auto image = pictureView()->image();
    return image ? image->source() : "nothing";
  }
  std::shared_ptr<CallBarControllerModern> controller;
};

// The host's favourites methods, wrapped to count the clean-ups that do not come from inside the
// host's own resetFavorites (which cleans up by itself).
int cleanupsOutsideReset = 0;
bool insideReset = false;
void (*hostCleanup)(id, SEL) = nullptr;
void (*hostReset)(id, SEL) = nullptr;
void countedCleanup(id self, SEL cmd) {
  if (!insideReset) ++cleanupsOutsideReset;
  hostCleanup(self, cmd);
}
void trackedReset(id self, SEL cmd) {
  insideReset = true;
  hostReset(self, cmd);
  insideReset = false;
}

bool startsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

}  // namespace

TEST_F(CallOverlayHooksTest, EachKindOfPartyGetsTheAddOnsPictureTaggedWithWhoseItIs) {
  start();
  show();
  EXPECT_EQ(objc_msgSend<id()>(controller, "contactImageView"), nullptr);  // withheld
  // The favourites drew John and David first: their pictures come from the cache.
  call(kJohn);
  EXPECT_TRUE(startsWith(shown(), "photo")) << shown();
  EXPECT_EQ(pictureView()->image(), TalvoCBUtils::getContactImageInCache(1));
  EXPECT_EQ(pictureView()->tag(), 1);
  call(kDavid);
  EXPECT_TRUE(startsWith(shown(), "photo")) << shown();
  EXPECT_EQ(pictureView()->tag(), 4);
  TalvoCBUtils::clearImageCache();
  call(kDavid);
  // David's photo is on his linked card, 5: the picture says so.
  EXPECT_TRUE(startsWith(shown(), "photo of contact 5")) << shown();
  call(kAnna);
  EXPECT_TRUE(startsWith(shown(), "monogram AH")) << shown();
  EXPECT_EQ(pictureView()->image()->size().width, 60);
  call(kStranger, 4321.9);
  EXPECT_EQ(pictureView()->tag(), 4321);
  EXPECT_EQ(TalvoCBUtils::unknownCallerMonogram(4321), pictureView()->image());

  // A cached picture narrower than the overlay's is fitted into twice the overlay's box.
  TalvoCBUtils::setContactImage(
      TalvoCBUtils::monogramImage(std::string("JA"), 1L, CGSizeMake(40, 40)), 1);
  call(kJohn);
  EXPECT_EQ(pictureView()->image()->size().width, 120);

  // With John's photo cached, a stranger whose start time has John's identifier in its low 32
  // bits still gets a silhouette, never John's photo.
  call(kJohn);
  ASSERT_TRUE(TalvoCBUtils::getContactImageInCache(1));
  call(kStranger, 4294967297.0);
  EXPECT_EQ(pictureView()->tag(), 4294967297L);
  EXPECT_FALSE(startsWith(shown(), "photo")) << shown();
  EXPECT_NE(pictureView()->image(), TalvoCBUtils::getContactImageInCache(1));
}

TEST_F(CallOverlayHooksTest, TheSameCallKeepsThePictureShownAndTwoCallsShowTheFirst) {
  start();
  show();
  id john = call(kJohn);
  auto shownPicture = TalvoCBUtils::monogramImage(std::string("ZZ"), 99L);
  pictureView()->setImage(shownPicture);
  setCurrent(john);
  EXPECT_EQ(pictureView()->image(), shownPicture);
  pictureView()->setImage(nullptr);
  setCurrent(john);
  auto johns = TalvoCBUtils::getContactImageInCache(1);
  EXPECT_EQ(pictureView()->image(), johns);

  id anna = call(kAnna, 2000, true);
  EXPECT_EQ(pictureView()->image(), johns);
  pictureView()->setImage(shownPicture);
  setCurrent(anna);
  EXPECT_EQ(pictureView()->image(), johns);
}

TEST_F(CallOverlayHooksTest, PhoneAndRecentsSwitchesDecideWhoDrawsAndDismissalAlwaysClears) {
  start();
  show();
  setSwitches({{"TalvoCBEnabledRecents", false}});
  EXPECT_EQ(objc_msgSend<id()>(controller, "contactImageView"), nullptr);
  call(kJohn);
  EXPECT_EQ(shown(), "nothing");  // CallBar's view is withheld and the add-on adds nothing

  setSwitches({{"TalvoCBEnabledPhone", false}});
  EXPECT_EQ(objc_msgSend<id()>(controller, "contactImageView"), pictureView());
  call(kAnna);
  EXPECT_TRUE(startsWith(shown(), "monogram AH #")) << shown();  // the add-on's, over CallBar's

  setSwitches({{"TalvoCBEnabledPhone", false}, {"TalvoCBEnabledMonogramPictures", false}});
  call(kStranger);
  EXPECT_FALSE(startsWith(shown(), "monogram")) << shown();  // CallBar's own
  EXPECT_NE(pictureView()->tag(), 1000);

  setSwitches({{"TalvoCBEnabled", false}});
  call(kJohn);
  ASSERT_NE(shown(), "nothing");
  objc_msgSend<void(double)>(controller, "dismissRootViewWithDuration:", 0.3);
  EXPECT_EQ(shown(), "nothing");
}

TEST_F(CallOverlayHooksTest, ASettingsChangeRebuildsTheFavourites) {
  HookedProcessOptions options;
  options.beforeModuleLoads = [] {
    Class controllerClass = objc_getClass("CallBarControllerModern");
    MSHookMessageEx(controllerClass, sel_registerName("cleanupFavoritesButtons"), countedCleanup,
                    &hostCleanup);
    MSHookMessageEx(controllerClass, sel_registerName("resetFavorites"), trackedReset, &hostReset);
  };
  start(options);
  show();
  controller->setFavoritesShown(true);
  auto firstFavourite = [&] {
    auto button = cast<UIButton>(controller->view()->viewWithTag(1));
    return button && button->image() ? button->image()->source() : "none";
  };
  EXPECT_EQ(firstFavourite(), "photo of contact 1");  // the add-on's round picture of the photo
  setSwitches({{"TalvoCBEnabledFavorites", false}});
  int cleanupsBefore = cleanupsOutsideReset;
  NSNotificationCenter::defaultCenter().postNotificationName(
      "com.quorvik.TalvoSettingsChangedNotification", nullptr);
  EXPECT_EQ(firstFavourite(), "host photo of contact 1");
  EXPECT_EQ(cleanupsOutsideReset - cleanupsBefore, 1)
      << "the hook clears the buttons itself, before the host's reset";
}

TEST_F(CallOverlayHooksTest, TheLastPlainImageViewAtViewLoadGetsThePictureAndSubclassesNever) {
  HookedProcessOptions options;
  options.beforeModuleLoads = [] {
    MSHookMessageEx(objc_getClass("CallBarControllerModern"), sel_registerName("viewDidLoad"),
                    loadWithMoreImageViews, &hostViewDidLoad);
  };
  start(options);
  if (HasFatalFailure() || IsSkipped()) return;
  show();
  ASSERT_TRUE(subclassView);
  call(kAnna);
  ASSERT_TRUE(laterPlainView->image());
  EXPECT_TRUE(startsWith(laterPlainView->image()->source(), "monogram AH")) << shown();
  EXPECT_EQ(laterPlainView->tag(), 3);
  EXPECT_FALSE(subclassView->image());
  EXPECT_NE(subclassView->tag(), 3);
}

TEST_F(CallOverlayHooksTest, DismissingWithoutDurationClearsThePictureWithTheAddOnOff) {
  start();
  show();
  call(kJohn);
  ASSERT_NE(shown(), "nothing");
  setSwitches({{"TalvoCBEnabled", false}});
  objc_msgSend<void()>(controller, "dismissRootView");
  EXPECT_EQ(shown(), "nothing");
}

TEST_F(CallOverlayHooksTest, WithPhoneOffTheSameCallKeepsCallBarsOwnPicture) {
  start();
  show();
  // Favourites off too: CallBar's monogrammer then draws the system's pictures.
  setSwitches({{"TalvoCBEnabledPhone", false}, {"TalvoCBEnabledFavorites", false}});
  id john = call(kJohn);
  EXPECT_TRUE(startsWith(shown(), "photo")) << shown();  // a new call: the add-on's
  setCurrent(john);
  EXPECT_TRUE(startsWith(shown(), "host ")) << shown();  // CallBar drew it again; left alone
}
