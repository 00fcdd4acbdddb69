// placeholder until the image stand-in lands
#include "uikit/UIImage.h"

SIM_DEFINE_CLASS(UIImage, NSObject)

UIImage::UIImage() : NSObject(class_()) {}
