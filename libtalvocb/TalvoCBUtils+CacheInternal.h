// Library-internal cache operations under any key (numbers, file paths, e-mail addresses), and the
// shared instance.
#pragma once

#include <memory>

#include "TalvoCBUtilsTypes.h"
#include "runtime/NSObject.h"

namespace TalvoCBUtils {
// The shared instance's class, known to the runtime as "TalvoCBUtils".
class Instance : public NSObject {
 public:
  static Class class_();
  Instance();
};

void initImageCache();
void setContactImage(const UIImagePtr& image, const id& withID);
UIImagePtr getContactImageInCacheForKey(const id& key);
bool removeImageFromCacheForID(const id& key);
void removeAvatarsFromCache();
std::shared_ptr<Instance> TalvoCBUtilsInstance();
}  // namespace TalvoCBUtils
