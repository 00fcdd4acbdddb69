#include <gtest/gtest.h>

#include <atomic>
#include <map>

#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "foundation/NSOperationQueue.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

namespace {
// The one place that makes a picture; the cache only keeps and hands back the object.
UIImagePtr makePicture() {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(1, 1), false, 1);
  UIImagePtr picture = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return picture;
}

class ImageCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { TalvoCBUtils::clearImageCache(); }
  void TearDown() override { TalvoCBUtils::clearImageCache(); }
};
}  // namespace

TEST_F(ImageCacheTest, SameObjectComesBackUnderEqualKeys) {
  auto picture = makePicture();
  TalvoCBUtils::setContactImage(picture, 42);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(42), picture);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCacheForKey(NSNumber::numberWithLongLong(42)), picture);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(43), nullptr);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCacheForKey(nullptr), nullptr);

  // A monogram keyed by a 64-bit identifier answers the 32-bit lookup, and replaces the entry.
  auto monogram = makePicture();
  TalvoCBUtils::setContactImage(monogram, NSNumber::numberWithLongLong(42));
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(42), monogram);

  auto file = makePicture();
  TalvoCBUtils::setContactImage(file, NSString::stringWithUTF8String("someone@example.com"));
  EXPECT_EQ(TalvoCBUtils::getContactImageInCacheForKey(
                NSString::stringWithUTF8String("someone@example.com")),
            file);

  // A missing picture or key is logged and changes nothing.
  testing::internal::CaptureStderr();
  TalvoCBUtils::setContactImage(nullptr, 42);
  TalvoCBUtils::setContactImage(picture, id());
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("com.quorvik.TalvoCB: Error => "), std::string::npos) << log;
  EXPECT_NE(log.find("Image or key 42 is nil."), std::string::npos) << log;
  EXPECT_NE(log.find("Image or key (null) is nil."), std::string::npos) << log;
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(42), monogram);

  // Neither a second initialisation nor removeAvatarsFromCache touches what is held.
  testing::internal::CaptureStderr();
  TalvoCBUtils::initImageCache();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  TalvoCBUtils::removeAvatarsFromCache();
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(42), monogram);
}

TEST_F(ImageCacheTest, RemovalAnswersWhetherAPictureWasHeld) {
  TalvoCBUtils::setContactImage(makePicture(), 7);
  EXPECT_FALSE(TalvoCBUtils::removeImageFromCache(0));
  EXPECT_FALSE(TalvoCBUtils::removeImageFromCache(-1));

  testing::internal::CaptureStderr();
  EXPECT_TRUE(TalvoCBUtils::removeImageFromCache(7));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("Removed last modified entry from the cache.. 7"), std::string::npos) << log;
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(7), nullptr);

  testing::internal::CaptureStderr();
  EXPECT_FALSE(TalvoCBUtils::removeImageFromCache(7));
  EXPECT_FALSE(TalvoCBUtils::removeImageFromCacheForID(NSString::stringWithUTF8String("/x.png")));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  TalvoCBUtils::setContactImage(makePicture(), NSString::stringWithUTF8String("/x.png"));
  EXPECT_TRUE(TalvoCBUtils::removeImageFromCacheForID(NSString::stringWithUTF8String("/x.png")));
}

TEST_F(ImageCacheTest, HoldsAHundredPicturesAndClearsWhole) {
  for (int32_t id = 1; id <= 100; ++id) TalvoCBUtils::setContactImage(makePicture(), id);
  for (int32_t id = 1; id <= 100; ++id)
    EXPECT_NE(TalvoCBUtils::getContactImageInCache(id), nullptr);
  TalvoCBUtils::getContactImageInCache(1);

  // The 101st key lets the least recently used one go: 2, since 1 was just read.
  TalvoCBUtils::setContactImage(makePicture(), 101);
  EXPECT_NE(TalvoCBUtils::getContactImageInCache(101), nullptr);
  EXPECT_NE(TalvoCBUtils::getContactImageInCache(1), nullptr);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(2), nullptr);

  TalvoCBUtils::clearImageCache();
  for (int32_t id = 1; id <= 101; ++id)
    EXPECT_EQ(TalvoCBUtils::getContactImageInCache(id), nullptr);
}

TEST_F(ImageCacheTest, WorkersAndCallersShareTheCacheSafely) {
  std::map<int32_t, UIImagePtr> pictures;
  for (int32_t id = 1; id <= 150; ++id) pictures[id] = makePicture();
  std::atomic<int> wrong{0};
  auto queue = TalvoCBUtils::queue();
  for (int op = 0; op < 8; ++op) {
    queue->addOperationWithBlock([&, op] {
      for (int i = 0; i < 3000; ++i) {
        int32_t id = 1 + (i * 7 + op * 13) % 150;
        if (i % 3 == 0) {
          TalvoCBUtils::setContactImage(pictures.at(id), id);
        } else if (auto found = TalvoCBUtils::getContactImageInCache(id)) {
          if (found != pictures.at(id)) ++wrong;
        }
        if (i % 997 == 0) TalvoCBUtils::removeImageFromCache(id);
      }
    });
  }
  for (int i = 0; i < 3000; ++i) {
    int32_t id = 1 + i % 150;
    auto found = TalvoCBUtils::getContactImageInCache(id);
    if (found && found != pictures.at(id)) ++wrong;
  }
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(wrong.load(), 0);
}
