// TEMPORARY stand-in for the image cache operations until the cache lands; removed at merge.
#include <mutex>
#include <unordered_map>

#include "TalvoCBLog.h"
#include "TalvoCBUtils.h"
#include "uikit/UIImage.h"

namespace {
struct KeyHash {
  std::size_t operator()(const id& key) const { return key->hash(); }
};
struct KeyEqual {
  bool operator()(const id& a, const id& b) const { return a->isEqual(*b); }
};
std::mutex lock;
std::unordered_map<id, UIImagePtr, KeyHash, KeyEqual> entries;
}  // namespace

void TalvoCBUtils::setContactImage(const UIImagePtr& image, const id& withID) {
  if (!image || !withID) {
    TALCB_ERROR("Image or key %s is nil.", withID ? withID->description().c_str() : "(null)");
    return;
  }
  std::lock_guard<std::mutex> guard(lock);
  entries[withID] = image;
}

void TalvoCBUtils::setContactImage(const UIImagePtr& image, int32_t contactId) {
  setContactImage(image, NSNumber::numberWithInt(contactId));
}

UIImagePtr TalvoCBUtils::getContactImageInCacheForKey(const id& key) {
  if (!key) return nullptr;
  std::lock_guard<std::mutex> guard(lock);
  auto found = entries.find(key);
  return found == entries.end() ? nullptr : found->second;
}

UIImagePtr TalvoCBUtils::getContactImageInCache(int32_t contactID) {
  return getContactImageInCacheForKey(NSNumber::numberWithInt(contactID));
}

void TalvoCBUtils::clearImageCache() {
  std::lock_guard<std::mutex> guard(lock);
  entries.clear();
}
