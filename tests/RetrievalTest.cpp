// Which picture the library answers for a contact, on the hand-picked sample address book.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

#include "ImageCacheState.h"
#include "PictureSupport.h"
#include "SampleDevice.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+Preload.h"
#include "TalvoCBUtils+Retrieval.h"
#include "TalvoCBUtils+RetrievalInternal.h"
#include "foundation/NSCache.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIFont.h"

namespace {
// Contacts of the hand-picked book.
constexpr int32_t kJohnWithPhoto = 1, kAnnaWithoutPhoto = 3, kDavidWithLinkedPhoto = 4;
const char* kImages = "/private/var/mobile/Library/AddressBook/AddressBookImages.sqlitedb";

class Retrieval : public PictureDevice {
 protected:
  void SetUp() override {
    PictureDevice::SetUp();
    std::string error;
    ASSERT_TRUE(sample::writeHandPickedAddressBook(device->root(), "US", nullptr, &error)) << error;
  }
  UIImagePtr picture(int32_t contactID, bool newImage = false) {
    return TalvoCBUtils::getContactImageOnly(contactID, std::string("xy"), newImage,
                                             CGSizeMake(60, 60), UIFont::systemFontOfSize(17));
  }
  void execute(const std::string& sql, const std::vector<uint8_t>& blob = {}) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(device->real(kImages).c_str(), &db), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK);
    if (!blob.empty()) sqlite3_bind_blob(statement, 1, blob.data(), int(blob.size()), nullptr);
    EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE);
    sqlite3_finalize(statement);
    sqlite3_close(db);
  }
};

// A photo picture is 80 x 80 pixels at scale 1 whatever the size asked for.
bool isPhotoPicture(const UIImagePtr& image) {
  return image && image->scale() == 1 && pixelWidth(image) == 80;
}
}  // namespace

TEST_F(Retrieval, PhotoIsDrawnOnceAndThenServedFromTheCache) {
  UIImagePtr first = picture(kJohnWithPhoto);
  ASSERT_TRUE(isPhotoPicture(first));
  EXPECT_EQ(pixel(first, 0, 0).alpha, 0);  // round: the corner is outside the circle
  EXPECT_EQ(pixel(first, 40, 40).alpha, 255);
  std::filesystem::remove(device->real(kImages));  // the cache answers without the store
  EXPECT_EQ(picture(kJohnWithPhoto), first);
}

TEST_F(Retrieval, LinkedCardPhotoAndMonogramAndPlaceholder) {
  UIImagePtr linked = picture(kDavidWithLinkedPhoto);
  EXPECT_TRUE(isPhotoPicture(linked));
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(kDavidWithLinkedPhoto), linked);

  UIImagePtr monogram = picture(kAnnaWithoutPhoto);
  ASSERT_TRUE(monogram);
  EXPECT_EQ(monogram->size(), CGSizeMake(60, 60));
  EXPECT_EQ(monogram->scale(), 2);

  setMonograms(false);
  TalvoCBUtils::clearImageCache();
  UIImagePtr placeholder = picture(kAnnaWithoutPhoto);
  EXPECT_TRUE(isPhotoPicture(placeholder));
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(kAnnaWithoutPhoto), placeholder);
  // Identifiers below 1 end at the placeholder too, cached under that identifier.
  UIImagePtr nobody = picture(0);
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(0), nobody);
  // getContactImage answers the placeholder without caching it under the contact.
  TalvoCBUtils::clearImageCache();
  EXPECT_TRUE(isPhotoPicture(TalvoCBUtils::getContactImage(kAnnaWithoutPhoto)));
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(kAnnaWithoutPhoto), nullptr);
}

TEST_F(Retrieval, NewImageLooksAgainAndKeepsTheOldPictureWhenThePhotoIsGone) {
  UIImagePtr old = picture(kJohnWithPhoto);
  ASSERT_TRUE(isPhotoPicture(old));
  auto red = jpegData(solidImage(CGSizeMake(64, 64), 1, 0, 0));
  execute("UPDATE ABThumbnailImage SET data = ? WHERE record_id = 1 AND format = 0", red->bytes);
  EXPECT_EQ(picture(kJohnWithPhoto), old);  // without newImage the cache answers
  UIImagePtr fresh = picture(kJohnWithPhoto, true);
  ASSERT_TRUE(isPhotoPicture(fresh));
  EXPECT_NE(fresh, old);
  EXPECT_TRUE(colourNear(pixel(fresh, 40, 40), 255, 0, 0, 24));
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(kJohnWithPhoto), fresh);

  execute("DELETE FROM ABThumbnailImage WHERE record_id = 1");
  EXPECT_EQ(picture(kJohnWithPhoto, true), fresh);  // the monogram step answers the cached entry
}

TEST_F(Retrieval, UnreadableStoresEndTheChainWithoutWaiting) {
  // A missing store is not waited for and not created.
  std::filesystem::remove(device->real(kImages));
  EXPECT_EQ(getContactImageFromABForID(kJohnWithPhoto, 0), nullptr);
  EXPECT_FALSE(std::filesystem::exists(device->real(kImages)));
  UIImagePtr monogram = picture(kJohnWithPhoto);
  ASSERT_TRUE(monogram);
  EXPECT_EQ(monogram->scale(), 2);

  // A store that is not a database: the last attempt reports and answers nil at once.
  device->writeFile(kImages, "not a database, just text that is long enough to be looked at");
  testing::internal::CaptureStderr();
  EXPECT_EQ(getContactImageFromABForID(kJohnWithPhoto, 2), nullptr);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Error while preparing statement"),
            std::string::npos);
}

TEST_F(Retrieval, PreloadFillsTheCacheWithEveryThumbnail) {
  TalvoCBUtils::setContactImage(solidImage(CGSizeMake(2, 2), 0, 0, 1), 999);
  TalvoCBUtils::prepareImageCache();
  EXPECT_EQ(TalvoCBImageCacheCount(), 8u);  // the hand-picked book has eight thumbnails
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(999), nullptr);
  EXPECT_TRUE(isPhotoPicture(TalvoCBUtils::getContactImageInCache(kJohnWithPhoto)));
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(kAnnaWithoutPhoto), nullptr);

  std::filesystem::remove(device->real(kImages));
  TalvoCBUtils::prepareImageCache();
  EXPECT_EQ(TalvoCBImageCacheCount(), 0u);
}

// A store of more thumbnails than the cache keeps: the very pictures that storing every row one
// by one would leave, the cache's own eviction choosing.
TEST_F(Retrieval, PreloadOfALargeStoreKeepsWhatStoringEveryRowWould) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(device->real(kImages).c_str(), &db), SQLITE_OK);
  // John's photo under 150 more records, in a scattered order, one of them with empty data.
  ASSERT_EQ(sqlite3_exec(db,
                         "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE "
                         "i < 149) INSERT INTO ABThumbnailImage (record_id, format, data) SELECT "
                         "1000 + (i * 37) % 150, 0, CASE i WHEN 140 THEN x'' ELSE (SELECT data "
                         "FROM ABThumbnailImage WHERE record_id = 1 AND format = 0) END FROM n",
                         nullptr, nullptr, nullptr),
            SQLITE_OK)
      << sqlite3_errmsg(db);
  // What the cache keeps of the same rows stored in the same order.
  auto expected = make<NSCache>();
  expected->setCountLimit(100);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT record_id, length(data) FROM ABThumbnailImage WHERE FORMAT=0 AND "
                     "DATA IS NOT NULL",
                     -1, &statement, nullptr);
  std::vector<int32_t> records;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    records.push_back(sqlite3_column_int(statement, 0));
    if (sqlite3_column_int(statement, 1) > 0) {
      expected->setObject(make<NSObject>(), NSNumber::numberWithInt(records.back()));
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  ASSERT_EQ(records.size(), 158u);

  TalvoCBUtils::prepareImageCache();
  EXPECT_EQ(TalvoCBImageCacheCount(), 100u);
  for (int32_t record : records) {
    bool kept = expected->objectForKey(NSNumber::numberWithInt(record)) != nullptr;
    UIImagePtr cached = TalvoCBUtils::getContactImageInCache(record);
    EXPECT_EQ(cached != nullptr, kept) << record;
    EXPECT_TRUE(!cached || isPhotoPicture(cached)) << record;
  }
}

TEST_F(Retrieval, PictureByNumber) {
  EXPECT_EQ(TalvoCBUtils::getContactImageByNumber(std::string("+1 555 999 0000")), nullptr);
  UIImagePtr john = TalvoCBUtils::getContactImageByNumber(std::string("+1 (555) 010-0100"));
  EXPECT_TRUE(isPhotoPicture(john));
  EXPECT_EQ(TalvoCBUtils::getContactImageInCache(kJohnWithPhoto), john);
}
