#include "uikit/NSIndexPath.h"

#include <functional>

namespace {
long rowOf(id self, SEL) {
  auto path = cast<NSIndexPath>(self);
  return path ? path->row() : 0;
}
long sectionOf(id self, SEL) {
  auto path = cast<NSIndexPath>(self);
  return path ? path->section() : 0;
}
}  // namespace

Class NSIndexPath::class_() {
  static Class cls = [] {
    Class path = objc_registerClass("NSIndexPath", NSObject::class_());
    class_addMethod(path, sel_registerName("row"), rowOf, "q@:");
    class_addMethod(path, sel_registerName("section"), sectionOf, "q@:");
    return path;
  }();
  return cls;
}

std::shared_ptr<NSIndexPath> NSIndexPath::indexPathForRow(long row, long inSection) {
  return make<NSIndexPath>(row, inSection);
}

bool NSIndexPath::isEqual(const NSObject& other) const {
  auto* path = dynamic_cast<const NSIndexPath*>(&other);
  return path && path->row_ == row_ && path->section_ == section_;
}

std::size_t NSIndexPath::hash() const {
  return std::hash<long>()(section_) * 31 + std::hash<long>()(row_);
}

std::string NSIndexPath::description() const {
  return "<NSIndexPath: {" + std::to_string(section_) + ", " + std::to_string(row_) + "}>";
}
