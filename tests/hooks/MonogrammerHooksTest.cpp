// The monogrammers' pictures: the system's grey ones everywhere but for CallBar's own monogrammer
// in SpringBoard, which hands out the add-on's. On the sample book, contact 1 (John Appleseed)
// has a photo and contact 3 (Anna Haro) has none.
#include <algorithm>
#include <vector>

#include "HookedProcess.h"
#include "TalvoCBUtils.h"
#include "addressbook/ABAddressBook.h"
#include "contacts/CNContact.h"
#include "foundation/NSValueTypes.h"
#include "hosts/HostClasses.h"
#include "runtime/objc.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"
#include "uikit/ViewTreeDump.h"

namespace {
id heldMonogrammer;
HostSignature::Object unusedSlot;
id answerHeldMonogrammer(id, SEL) {
  return heldMonogrammer;
}

// The drawing flag as the host's own drawing sees it, one entry per call.
std::vector<bool> flagsSeen;
int fontRequests = 0;
HostSignature::MonogramForContact systemMonogramForContact;
HostSignature::ObjectFromObject systemCopyMonogramWithInitials;
HostSignature::Object systemFont;
bool flagOf(const id& self) {
  return objc_msgSend<bool()>(self, "__talvoIgnoreCurrentTalvoDrawing");
}
id recordingMonogramForContact(id self, SEL cmd, id contact, bool* isImage) {
  flagsSeen.push_back(flagOf(self));
  return systemMonogramForContact(self, cmd, contact, isImage);
}
id recordingCopyMonogramWithInitials(id self, SEL cmd, id initials) {
  flagsSeen.push_back(flagOf(self));
  return systemCopyMonogramWithInitials(self, cmd, initials);
}
id countingFont(id self, SEL cmd) {
  ++fontRequests;
  return systemFont(self, cmd);
}
template <class F>
void swapHostBody(const char* cls, const char* selector, F body, F* system) {
  MSHookMessageEx(objc_getClass(cls), sel_registerName(selector), body, system);
}

UIImagePtr testPicture() {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(4, 4), false, 1);
  auto picture = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  picture->setSource("test picture");
  return picture;
}

// What an image view showing the picture says in the screen dump.
std::string shown(const id& picture) {
  auto view = make<UIImageView>(CGRectMake(0, 0, 60, 60));
  view->setImage(cast<UIImage>(picture));
  return sim::describeViewTree(view).image.value_or("nothing");
}
}  // namespace

class MonogrammerHookTest : public HookedProcessTest {
 protected:
  // A process whose CallBar hands out a monogrammer the test holds, asked for once.
  void startWithCallBar(HookedProcessOptions options = {}) {
    const char* cls =
        NSStringDoubleValue(options.systemVersion) >= 9 ? "CNMonogrammer" : "ABMonogrammer";
    auto before = options.beforeModuleLoads;
    options.beforeModuleLoads = [cls, before] {
      heldMonogrammer = class_createInstance(objc_getClass(cls));
      swapHostBody("CallBarControllerModern", "monogrammer", answerHeldMonogrammer, &unusedSlot);
      if (before) before();
    };
    start(options);
    if (HasFatalFailure() || IsSkipped()) return;
    objc_msgSend<id()>(class_createInstance(objc_getClass("CallBarControllerModern")),
                       "monogrammer");
    book = ABAddressBookCreate();
  }
  void TearDown() override {
    if (book) CFRelease(book);
  }
  id otherMonogrammer() { return class_createInstance(object_getClass(heldMonogrammer)); }
  id contactPicture(const id& monogrammer, int32_t recordID, bool* isImage = nullptr) {
    ABRecordRef person = recordID ? ABAddressBookGetPersonWithRecordID(book, recordID) : nullptr;
    if (std::string(object_getClassName(monogrammer)) == "ABMonogrammer") {
      return objc_msgSend<id(ABRecordRef, bool*)>(
          monogrammer, "monogramForPerson:isPersonImage:", person, isImage);
    }
    return objc_msgSend<id(id, bool*)>(monogrammer, "monogramForContact:isContactImage:",
                                       id(CNContact::contactWithPerson(person)), isImage);
  }
  static id copyInitials(const id& monogrammer, const char* initials) {
    return objc_msgSend<id(id)>(
        monogrammer, "_copyMonogramWithInitials:", id(NSString::stringWithUTF8String(initials)));
  }
  static id copyImageData(const id& monogrammer, const id& data) {
    return objc_msgSend<id(id)>(monogrammer, "_copyMonogramWithImageData:", data);
  }

  ABAddressBookRef book = nullptr;
};

TEST_F(MonogrammerHookTest, ViewServiceKeepsTheSystemsPictures) {
  HookedProcessOptions viewService;
  viewService.bundleIdentifier = "net.dravell.callbarviewservice";
  startWithCallBar(viewService);
  bool isImage = false;
  EXPECT_EQ(shown(contactPicture(heldMonogrammer, 1, &isImage)), "host photo of contact 1");
  EXPECT_TRUE(isImage);
  EXPECT_EQ(shown(contactPicture(heldMonogrammer, 3, &isImage)), "host monogram AH");
  EXPECT_FALSE(isImage);
  EXPECT_EQ(shown(copyInitials(heldMonogrammer, "JS")), "host monogram JS");
  EXPECT_EQ(shown(copyImageData(heldMonogrammer, nullptr)), "host placeholder");
}

TEST_F(MonogrammerHookTest, OnlyCallBarsMonogrammerDrawsTheAddOnsPictures) {
  startWithCallBar();
  id other = otherMonogrammer();
  EXPECT_EQ(shown(copyInitials(other, "JS")), "host monogram JS");
  EXPECT_EQ(shown(contactPicture(other, 3)), "host monogram AH");
  EXPECT_EQ(shown(contactPicture(other, 1)), "host photo of contact 1");
  EXPECT_FALSE(flagOf(other));
  EXPECT_EQ(shown(copyInitials(heldMonogrammer, "JS")).rfind("monogram JS #", 0), 0u);
}

TEST_F(MonogrammerHookTest, ImageDataGivesThePhotoOrTheDefaultImage) {
  startWithCallBar();
  setSwitches({{"TalvoCBEnabledMonogramPictures", false}});
  std::string defaultImage = shown(TalvoCBUtils::defaultImage());
  EXPECT_EQ(shown(copyImageData(heldMonogrammer, nullptr)), defaultImage);
  EXPECT_EQ(shown(copyImageData(heldMonogrammer, make<NSData>(std::vector<uint8_t>()))), defaultImage);
  auto photo = ABPersonCopyImageDataWithFormat(ABAddressBookGetPersonWithRecordID(book, 1),
                                               kABPersonImageFormatThumbnail);
  EXPECT_EQ(shown(copyImageData(heldMonogrammer, photo)), "photo");
}

TEST_F(MonogrammerHookTest, InitialsAreDrawnAtSixtyPointsInTheMonogrammersFont) {
  startWithCallBar({.beforeModuleLoads = [] {
    swapHostBody("CNMonogrammer", "font", countingFont, &systemFont);
  }});
  // Only the add-on and favourites switches decide, not the monogram switch.
  auto image = cast<UIImage>(copyInitials(heldMonogrammer, "Q"));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->source().rfind("monogram Q #", 0), 0u);
  EXPECT_EQ(image->size().width, 60);
  EXPECT_EQ(image->size().height, 60);
  EXPECT_EQ(fontRequests, 1);
}

TEST_F(MonogrammerHookTest, WithRoundPicturesTheSystemsPictureIsCached) {
  startWithCallBar();
  // The system composes, and its parts come from the add-on: a photo keeps the add-on's source.
  id photo = contactPicture(heldMonogrammer, 1);
  EXPECT_EQ(shown(photo), "photo");
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(1), photo);
  id monogram = contactPicture(heldMonogrammer, 3);
  EXPECT_EQ(shown(monogram).rfind("monogram AH #", 0), 0u);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(3), monogram);
}

TEST_F(MonogrammerHookTest, NoContactGivesTheDefaultImageCachedAsNobody) {
  startWithCallBar();
  id picture = contactPicture(heldMonogrammer, 0);
  ASSERT_TRUE(picture);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(0), picture);
}

TEST_F(MonogrammerHookTest, WithMonogramsOffTheSystemDrawsUnderTheFlag) {
  startWithCallBar({.beforeModuleLoads = [] {
    swapHostBody("CNMonogrammer", "monogramForContact:isContactImage:", recordingMonogramForContact,
                 &systemMonogramForContact);
    swapHostBody("CNMonogrammer", "_copyMonogramWithInitials:", recordingCopyMonogramWithInitials,
                 &systemCopyMonogramWithInitials);
  }});
  setSwitches(
      {{"TalvoCBEnabledRoundedPictures", false}, {"TalvoCBEnabledMonogramPictures", false}});
  auto cached = testPicture();
  TalvoCBUtils::setContactImage(cached, 3);
  // The system draws although the cache has the contact; its initials come from the add-on.
  id picture = contactPicture(heldMonogrammer, 3);
  EXPECT_NE(picture, cached);
  EXPECT_EQ(flagsSeen, std::vector<bool>{true});
  EXPECT_FALSE(flagOf(heldMonogrammer));

  flagsSeen.clear();
  setSwitches({{"TalvoCBEnabledFavorites", false}});
  EXPECT_EQ(shown(copyInitials(heldMonogrammer, "JS")), "host monogram JS");
  EXPECT_EQ(flagsSeen, std::vector<bool>{true});
  EXPECT_FALSE(flagOf(heldMonogrammer));
}

TEST_F(MonogrammerHookTest, AddressBookMonogrammerUsesTheCachedPictureWithMonogramsOff) {
  HookedProcessOptions version8;
  version8.systemVersion = "8.4";
  startWithCallBar(version8);
  setSwitches(
      {{"TalvoCBEnabledRoundedPictures", false}, {"TalvoCBEnabledMonogramPictures", false}});
  auto cached = testPicture();
  TalvoCBUtils::setContactImage(cached, 3);
  EXPECT_EQ(contactPicture(heldMonogrammer, 3), cached);
  // Madonna: nothing cached, no photo, no monogram: the add-on's placeholder, not the system's.
  EXPECT_EQ(shown(contactPicture(heldMonogrammer, 6)).find("host"), std::string::npos);
}

namespace {
// A pixel inside the disc's edge, and the central pixel least like it: a letter's.
struct DiscColours {
  CGPixel edge, letter;
};
DiscColours coloursOf(const id& picture) {
  CGImageRef bitmap = cast<UIImage>(picture)->CGImage();
  size_t side = CGImageGetWidth(bitmap);
  DiscColours colours{CGImageGetPixel(bitmap, side / 10, side / 2), {}};
  int farthest = -1;
  for (size_t y = side / 4; y < 3 * side / 4; ++y) {
    for (size_t x = side / 4; x < 3 * side / 4; ++x) {
      CGPixel p = CGImageGetPixel(bitmap, x, y);
      int distance = std::abs(p.red - colours.edge.red) + std::abs(p.green - colours.edge.green) +
                     std::abs(p.blue - colours.edge.blue);
      if (distance > farthest) farthest = distance, colours.letter = p;
    }
  }
  return colours;
}
int spread(CGPixel p) {
  return std::max({p.red, p.green, p.blue}) - std::min({p.red, p.green, p.blue});
}
}  // namespace

TEST_F(MonogrammerHookTest, SystemMonogramIsGreyWithDarkLettersAddOnsColouredWithWhite) {
  startWithCallBar();
  DiscColours system = coloursOf(copyInitials(otherMonogrammer(), "JS"));
  EXPECT_LE(spread(system.edge), 2);
  EXPECT_GT(system.edge.red, 140);
  EXPECT_LE(spread(system.letter), 2);
  EXPECT_LT(system.letter.red, 100);

  DiscColours addOn = coloursOf(copyInitials(heldMonogrammer, "JS"));
  EXPECT_GE(spread(addOn.edge), 15);
  EXPECT_GT(std::min({addOn.letter.red, addOn.letter.green, addOn.letter.blue}), 230);
}
