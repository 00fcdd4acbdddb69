// A row of a table: section and row, equal by value.
#pragma once

#include <memory>

#include "runtime/objc.h"

class NSIndexPath : public NSObject {
 public:
  static Class class_();
  NSIndexPath(long row, long section) : NSObject(class_()), row_(row), section_(section) {}
  static std::shared_ptr<NSIndexPath> indexPathForRow(long row, long inSection);

  long row() const { return row_; }
  long section() const { return section_; }
  bool isEqual(const NSObject& other) const override;
  std::size_t hash() const override;
  std::string description() const override;

 private:
  const long row_;
  const long section_;
};
