// The contact image cache, the class's shared instance and the shared operation queue.
#include <atomic>
#include <mutex>

#include "ContactLookupState.h"
#include "ImageCacheState.h"
#include "TalvoCBLog.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+ContactLookupInternal.h"
#include "TalvoCBUtils+MonogramsInternal.h"
#include "foundation/Device.h"
#include "foundation/NSCache.h"
#include "foundation/NSOperationQueue.h"
#include "uikit/UIImage.h"

namespace {
std::mutex cacheCreation;
// Written once, under cacheCreation. Never destroyed: workers still drawing pictures while the
// process exits go on using the cache after the exit has run the static destructors.
std::shared_ptr<NSCache>& imageCacheSlot = *new std::shared_ptr<NSCache>();
// The cache once made, for the operations' one look: a lookup per row drawn passes here.
std::atomic<NSCache*> madeCache{nullptr};

// The class's initialisation makes the cache before any cache operation runs.
[[gnu::always_inline]] inline NSCache& imageCache() {
  NSCache* cache = madeCache.load(std::memory_order_acquire);
  if (cache) [[likely]]
    return *cache;
  TalvoCBUtils::initImageCache();
  return *madeCache.load(std::memory_order_acquire);
}

std::string describe(const id& obj) {
  return obj ? obj->description() : "(null)";
}

// Every value enters through setContactImage, so it is a picture.
UIImagePtr asImage(id obj) {
  return std::static_pointer_cast<UIImage>(std::move(obj));
}
}  // namespace

void TalvoCBUtils::initImageCache() {
  std::lock_guard guard(cacheCreation);
  if (imageCacheSlot) return;
  TALCB_INFO("+[TalvoCBUtils initImageCache]", "Creating image cache for %s.",
             NSBundle::mainBundle().bundleIdentifier().value_or("(null)").c_str());
  auto cache = make<NSCache>();
  cache->setCountLimit(100);
  cache->setTotalCostLimit(2097152);
  imageCacheSlot = cache;
  madeCache.store(cache.get(), std::memory_order_release);
}

void TalvoCBUtils::setContactImage(const UIImagePtr& image, const id& withID) {
  if (!image || !withID) {
    TALCB_ERROR("+[TalvoCBUtils setContactImage:withID:]", "Image or key %s is nil.",
                describe(withID).c_str());
    return;
  }
  imageCache().setObject(image, withID);
}

void TalvoCBUtils::setContactImage(const UIImagePtr& image, int32_t contactId) {
  setContactImage(image, NSNumber::numberWithInt(contactId));
}

UIImagePtr TalvoCBUtils::getContactImageInCacheForKey(const id& key) {
  return asImage(imageCache().objectForKey(key));
}

UIImagePtr TalvoCBUtils::getContactImageInCache(int32_t contactID) {
  // One lookup per row drawn: a number key is held by its value, so none is made.
  return asImage(imageCache().objectForIntegerKey(contactID));
}

bool TalvoCBUtils::removeImageFromCacheForID(const id& key) {
  NSCache& cache = imageCache();
  if (!cache.objectForKey(key)) return false;
  NSLog("Removed last modified entry from the cache.. %s", describe(key).c_str());
  cache.removeObjectForKey(key);
  return true;
}

bool TalvoCBUtils::removeImageFromCache(int32_t contactID) {
  if (contactID < 1) return false;
  bool removed = removeImageFromCacheForID(NSNumber::numberWithInt(contactID));
  // The contact's numbers and addresses are looked up again whether or not a picture was held.
  removeContactIDFromCache(contactID);
  return removed;
}

void TalvoCBEmptyImageCache() {
  imageCache().removeAllObjects();
}

std::size_t TalvoCBImageCacheCountLimit() {
  return imageCache().countLimit();
}

std::size_t TalvoCBImageCacheCount() {
  return imageCache().count();
}

void TalvoCBUtils::clearImageCache() {
  TalvoCBEmptyImageCache();
  TalvoCBForgetComposedMonograms();
  TalvoCBResetContactLookup();
}

void TalvoCBUtils::removeAvatarsFromCache() {}

// Registered under the library's class name, which the namespace of operations now carries.
Class TalvoCBUtils::Instance::class_() {
  static Class cls = objc_registerClass("TalvoCBUtils", NSObject::class_(), nullptr);
  return cls;
}

TalvoCBUtils::Instance::Instance() : NSObject(class_()) {}

std::shared_ptr<TalvoCBUtils::Instance> TalvoCBUtils::TalvoCBUtilsInstance() {
  static const std::shared_ptr<Instance> instance = make<Instance>();
  return instance;
}

std::shared_ptr<NSOperationQueue> TalvoCBUtils::queue() {
  // Never released: its workers may still be running when the process exits, and joining them
  // then could hold up the exit.
  static const auto* queue = new std::shared_ptr<NSOperationQueue>(make<NSOperationQueue>());
  return *queue;
}
