// Refilling the image cache from the thumbnail store in one pass.
#include <sqlite3.h>

#include <list>
#include <unordered_map>
#include <vector>

#include "AddressBookFiles.h"
#include "ImageCacheState.h"
#include "TalvoCBLog.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+Preload.h"
#include "foundation/Device.h"
#include "foundation/NSFileManager.h"

void TalvoCBUtils::prepareImageCache() {
  TalvoCBEmptyImageCache();
  // Read-only, and a missing store is not created.
  if (!NSFileManager::defaultManager().fileExistsAtPath(kThumbnailStore)) {
    TALCB_SHORT_ERROR("Error while opening database connection: '%s'", "no such file");
    return;
  }
  sqlite3* db = nullptr;
  if (openAddressBookFile(kThumbnailStore, &db) != SQLITE_OK) {
    TALCB_SHORT_ERROR("Error while opening database connection: '%s'",
                      db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return;
  }
  std::string query = stringWithFormat(
      "SELECT record_id, data FROM %s WHERE FORMAT=0 AND DATA IS NOT NULL", "ABThumbnailImage");
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    TALCB_SHORT_ERROR("Error while opening database connection: '%s'", sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return;
  }
  // The cache keeps at most its count limit, letting the least recently used go, and nothing is
  // read from it meanwhile: of all the rows stored one by one, the last distinct identifiers would
  // stay. Only their photos are decoded, and stored in the order they were stepped, which leaves
  // the cache as storing every row would, without decoding a whole book to keep a hundred.
  std::size_t limit = TalvoCBImageCacheCountLimit();
  std::list<std::pair<int32_t, std::vector<uint8_t>>> kept;  // in the order last stepped
  std::unordered_map<int32_t, decltype(kept)::iterator> keptByID;
  int status = SQLITE_ROW;
  while ((status = sqlite3_step(statement)) == SQLITE_ROW) {
    int32_t contactID = sqlite3_column_int(statement, 0);
    auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement, 1));
    int length = sqlite3_column_bytes(statement, 1);
    if (!bytes || length <= 0) {
      // Empty data makes no picture: the cache refuses it with its log line and keeps what it had.
      setContactImage(nullptr, contactID);
      continue;
    }
    if (auto found = keptByID.find(contactID); found != keptByID.end()) {
      kept.erase(found->second);
      keptByID.erase(found);
    }
    keptByID[contactID] =
        kept.emplace(kept.end(), contactID, std::vector<uint8_t>(bytes, bytes + length));
    if (limit > 0 && kept.size() > limit) {
      keptByID.erase(kept.front().first);
      kept.pop_front();
    }
  }
  if (status != SQLITE_DONE) {
    TALCB_SHORT_ERROR("Error while reading the thumbnails: '%s'", sqlite3_errmsg(db));
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  for (auto& [contactID, bytes] : kept) {
    setContactImage(getImageFromImageData(make<NSData>(std::move(bytes))), contactID);
  }
}
