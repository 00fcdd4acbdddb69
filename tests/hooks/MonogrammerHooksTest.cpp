// The monogrammers' pictures: the system's grey ones, except from CallBar's own monogrammer in
// SpringBoard. In the sample book contact 1 has a photo, 3 (Anna Haro) and 6 have none.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "HookedProcess.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+ContactLookupInternal.h"
#include "TalvoCBUtils+Monograms.h"
#include "addressbook/ABAddressBook.h"
#include "apps/HostClasses.h"
#include "contacts/CNContact.h"
#include "screens/ViewTreeDump.h"
#include "uikit/UIImage.h"

namespace {
id held;  // the monogrammer CallBar hands out
HostSignature::Object unusedSlot, systemFont;
HostSignature::ObjectFromObject systemInitials;
HostSignature::MonogramForContact systemForContact;
std::vector<bool> flagsSeen;  // the drawing flag as the system's drawing saw it
int fontRequests = 0;

id drawsNothing(id, SEL, id, bool*) {
  return nullptr;
}
id answerHeld(id, SEL) {
  return held;
}
bool flagOf(const id& self) {
  return objc_msgSend<bool()>(self, "__talvoIgnoreCurrentTalvoDrawing");
}
// A host body that notes the flag, then does the system's work.
template <auto& system, class... A>
id seen(id self, SEL cmd, A... args) {
  flagsSeen.push_back(flagOf(self));
  return system(self, cmd, args...);
}
id countedFont(id self, SEL cmd) {
  ++fontRequests;
  return systemFont(self, cmd);
}
template <class F>
void swap(const char* cls, const char* selector, F body, F* system) {
  MSHookMessageEx(objc_getClass(cls), sel_registerName(selector), body, system);
}

std::string shown(const id& picture) {
  auto view = make<UIImageView>(CGRectMake(0, 0, 60, 60));
  view->setImage(cast<UIImage>(picture));
  return standin::describeViewTree(view).image.value_or("nothing");
}
bool startsWith(const std::string& text, const std::string& prefix) {
  return text.rfind(prefix, 0) == 0;
}
}  // namespace

class MonogrammerHookTest : public HookedProcessTest {
 protected:
  void startWithCallBar(HookedProcessOptions options = {}) {
    bool v9 = NSStringDoubleValue(options.systemVersion) >= 9;
    options.beforeModuleLoads = [v9, swaps = options.beforeModuleLoads] {
      held = class_createInstance(objc_getClass(v9 ? "CNMonogrammer" : "ABMonogrammer"));
      swap("CallBarControllerModern", "monogrammer", answerHeld, &unusedSlot);
      if (swaps) swaps();
    };
    start(options);
    if (HasFatalFailure() || IsSkipped()) return;
    objc_msgSend<id()>(class_createInstance(objc_getClass("CallBarControllerModern")),
                       "monogrammer");
  }
  id other() { return class_createInstance(object_getClass(held)); }
  id picture(const id& monogrammer, int32_t recordID, bool* isImage = nullptr) {
    ABRecordRef person =
        recordID ? ABAddressBookGetPersonWithRecordID(TalvoCBUtils::getAddressBook(), recordID)
                 : nullptr;
    if (std::string(object_getClassName(monogrammer)) == "ABMonogrammer") {
      return objc_msgSend<id(ABRecordRef, bool*)>(
          monogrammer, "monogramForPerson:isPersonImage:", person, isImage);
    }
    return objc_msgSend<id(id, bool*)>(monogrammer, "monogramForContact:isContactImage:",
                                       id(CNContact::contactWithPerson(person)), isImage);
  }
  static id initials(const id& monogrammer, const char* text) {
    return objc_msgSend<id(id)>(
        monogrammer, "_copyMonogramWithInitials:", id(NSString::stringWithUTF8String(text)));
  }
  static id fromData(const id& monogrammer, const id& data) {
    return objc_msgSend<id(id)>(monogrammer, "_copyMonogramWithImageData:", data);
  }
};

TEST_F(MonogrammerHookTest, ViewServiceKeepsTheSystemsPictures) {
  HookedProcessOptions viewService;
  viewService.bundleIdentifier = "net.dravell.callbarviewservice";
  startWithCallBar(viewService);
  bool isImage = false;
  EXPECT_EQ(shown(picture(held, 1, &isImage)), "host photo of contact 1");
  EXPECT_TRUE(isImage);
  EXPECT_EQ(shown(picture(held, 3, &isImage)), "host monogram AH");
  EXPECT_FALSE(isImage);
  EXPECT_EQ(shown(fromData(held, nullptr)), "host placeholder");
}

TEST_F(MonogrammerHookTest, CallBarsMonogrammerHandsOutTheAddOnsPictures) {
  HookedProcessOptions counted;
  counted.beforeModuleLoads = [] { swap("CNMonogrammer", "font", countedFont, &systemFont); };
  startWithCallBar(counted);
  EXPECT_EQ(shown(picture(other(), 3)), "host monogram AH");
  // Whatever the monogram switch: the initials as given, 60 points, the monogrammer's font.
  auto monogram = cast<UIImage>(initials(held, "Q"));
  ASSERT_TRUE(monogram);
  EXPECT_TRUE(startsWith(monogram->source(), "monogram Q #"));
  EXPECT_EQ(monogram->size().width, 60);
  EXPECT_EQ(fontRequests, 1);

  // Round pictures: the system composes from the add-on's parts, and that becomes the cached one.
  id photo = picture(held, 1);
  EXPECT_EQ(shown(photo), "photo of contact 1");
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(1), photo);
  id letters = picture(held, 3);
  EXPECT_TRUE(startsWith(shown(letters), "monogram AH #"));
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(3), letters);
  id nobody = picture(held, 0);
  EXPECT_TRUE(nobody);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(0), nobody);

  setSwitches({{"TalvoCBEnabledMonogramPictures", false}});
  std::string defaultImage = shown(TalvoCBUtils::defaultImage());
  EXPECT_EQ(shown(fromData(held, nullptr)), defaultImage);
  EXPECT_EQ(shown(fromData(held, make<NSData>(std::vector<uint8_t>()))), defaultImage);
  EXPECT_EQ(shown(fromData(held, make<NSData>(std::vector<uint8_t>{0xFF, 0xD8, 1}))), defaultImage);
}

TEST_F(MonogrammerHookTest, WithMonogramsOffTheSystemDrawsUnderTheFlag) {
  HookedProcessOptions recorded;
  recorded.beforeModuleLoads = [] {
    swap("CNMonogrammer", "monogramForContact:isContactImage:", seen<systemForContact, id, bool*>,
         &systemForContact);
    swap("CNMonogrammer", "_copyMonogramWithInitials:", seen<systemInitials, id>, &systemInitials);
  };
  startWithCallBar(recorded);
  setSwitches(
      {{"TalvoCBEnabledRoundedPictures", false}, {"TalvoCBEnabledMonogramPictures", false}});
  TalvoCBUtils::setContactImage(cast<UIImage>(fromData(other(), nullptr)), 3);
  EXPECT_NE(picture(held, 3), TalvoCBUtils::getContactImageInCache(3));
  EXPECT_EQ(flagsSeen, std::vector<bool>{true});
  EXPECT_FALSE(flagOf(held));

  setSwitches({{"TalvoCBEnabledFavorites", false}});
  EXPECT_EQ(shown(initials(held, "JS")), "host monogram JS");
  EXPECT_EQ(flagsSeen, (std::vector<bool>{true, true}));
  EXPECT_FALSE(flagOf(held));
  flagsSeen.clear();
  initials(other(), "JS");
  EXPECT_EQ(flagsSeen, std::vector<bool>{false});
}

TEST_F(MonogrammerHookTest, AddressBookMonogrammerUsesTheCacheWithMonogramsOff) {
  HookedProcessOptions version8;
  version8.systemVersion = "8.4";
  startWithCallBar(version8);
  setSwitches(
      {{"TalvoCBEnabledRoundedPictures", false}, {"TalvoCBEnabledMonogramPictures", false}});
  auto cached = cast<UIImage>(fromData(other(), nullptr));
  TalvoCBUtils::setContactImage(cached, 3);
  EXPECT_EQ(picture(held, 3), cached);
}

// A favourite already cached is answered without the book, on both monogrammers: a book held by
// another process would otherwise stall SpringBoard for every button.
TEST_F(MonogrammerHookTest, ACachedFavouriteDoesNotReadTheBook) {
  startWithCallBar();
  if (HasFatalFailure() || IsSkipped()) return;
  setSwitches({{"TalvoCBEnabledRoundedPictures", false}});
  id contact = CNContact::contactWithPerson(
      ABAddressBookGetPersonWithRecordID(TalvoCBUtils::getAddressBook(), 3));
  auto forContact = [&] {
    return objc_msgSend<id(id, bool*)>(held, "monogramForContact:isContactImage:", contact,
                                       static_cast<bool*>(nullptr));
  };
  id first = forContact();
  ASSERT_TRUE(startsWith(shown(first), "monogram AH #"));
  device->writeFile("/private/var/mobile/Library/AddressBook/AddressBook.sqlitedb",
                    std::string(8192, 'g'));
  auto log = [&] {
    std::ifstream file(device->real("/tmp/quorvik.log"));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  };
  EXPECT_EQ(forContact(), first);
  EXPECT_EQ(log().find("getMonogramTextFromAB"), std::string::npos) << log();
  // A contact not cached yet still has its text read, and so meets the broken book.
  TalvoCBUtils::clearImageCache();
  forContact();
  EXPECT_NE(log().find("getMonogramTextFromAB"), std::string::npos) << log();
}

namespace {
// A pixel inside the disc's edge, and the central pixel least like it: a letter's.
std::pair<CGPixel, CGPixel> edgeAndLetter(const id& picture) {
  CGImageRef bitmap = cast<UIImage>(picture)->CGImage();
  size_t side = CGImageGetWidth(bitmap);
  CGPixel edge = CGImageGetPixel(bitmap, side / 10, side / 2), letter;
  int farthest = -1;
  for (size_t y = side / 4; y < 3 * side / 4; ++y) {
    for (size_t x = side / 4; x < 3 * side / 4; ++x) {
      CGPixel p = CGImageGetPixel(bitmap, x, y);
      int d = std::abs(p.red - edge.red) + std::abs(p.green - edge.green) +
              std::abs(p.blue - edge.blue);
      if (d > farthest) farthest = d, letter = p;
    }
  }
  return {edge, letter};
}
int spread(CGPixel p) {
  return std::max({p.red, p.green, p.blue}) - std::min({p.red, p.green, p.blue});
}
}  // namespace

TEST_F(MonogrammerHookTest, SystemMonogramIsGreyWithDarkLettersAddOnsColouredWithWhite) {
  startWithCallBar();
  EXPECT_EQ(shown(initials(other(), "JS")), "host monogram JS");
  auto [greyEdge, darkLetter] = edgeAndLetter(initials(other(), "JS"));
  EXPECT_LE(spread(greyEdge), 2);
  EXPECT_GT(greyEdge.red, 140);
  EXPECT_LE(spread(darkLetter), 2);
  EXPECT_LT(darkLetter.red, 100);
  auto [colouredEdge, whiteLetter] = edgeAndLetter(initials(held, "JS"));
  EXPECT_GE(spread(colouredEdge), 15);
  EXPECT_GT(std::min({whiteLetter.red, whiteLetter.green, whiteLetter.blue}), 230);
}

TEST_F(MonogrammerHookTest, ASystemThatDrawsNothingIsLoggedByTheCache) {
  HookedProcessOptions nothing;
  nothing.beforeModuleLoads = [] {
    swap("CNMonogrammer", "monogramForContact:isContactImage:", drawsNothing, &systemForContact);
  };
  startWithCallBar(nothing);
  if (HasFatalFailure() || IsSkipped()) return;
  // Round pictures on: the system's result is what the cache is handed.
  EXPECT_FALSE(picture(held, 3));
  EXPECT_FALSE(TalvoCBUtils::getContactImageInCache(3));
  std::ifstream log(device->real("/tmp/quorvik.log"));
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_NE(
      text.str().find("com.quorvik.TalvoCB: Error => +[TalvoCBUtils setContactImage:withID:], "
                      "[Line "),
      std::string::npos);
  EXPECT_NE(text.str().find("], Image or key 3 is nil."), std::string::npos) << text.str();
}
