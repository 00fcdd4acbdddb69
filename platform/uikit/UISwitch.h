// On/off switches, drawn as the platform's pill: green with the knob on the right when on, white
// with a grey rim and the knob on the left when off. A switch is always 51 x 31 points.
#pragma once

#include "uikit/UIView.h"

class UISwitch : public UIView {
 public:
  static Class class_();
  explicit UISwitch(CGRect frame = {});
  bool isOn() const { return on_; }
  void setOn(bool on) { on_ = on; }
  // Keeps the origin; the size is the switch's own.
  void setFrame(CGRect frame);

  void drawContent(CGContextRef context) const override;

 private:
  bool on_ = false;
};
