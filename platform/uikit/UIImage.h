// placeholder until the image stand-in lands
#pragma once

#include "runtime/objc.h"

class UIImage : public NSObject {
 public:
  static Class class_();
  UIImage();
};
