// On/off switches, drawn as the platform's pill: green with the knob on the right when on, white
// with a grey rim and the knob on the left when off; from version 9, in a right-to-left layout,
// the other way round. A switch is always 51 x 31 points. Setting
// the value sends nothing; a finger's turn is setOn: followed by the value-changed actions.
//
// Runtime methods: isOn (bool()), setOn: (void(bool)), setOn:animated: (void(bool, bool)).
#pragma once

#include "uikit/UIControl.h"

class UISwitch : public UIControl {
 public:
  static Class class_();
  explicit UISwitch(CGRect frame = {});
  bool isOn() const { return on_; }
  void setOn(bool on) { on_ = on; }
  // Keeps the origin; the size is the switch's own.
  void setFrame(CGRect frame);

  void drawContent(CGContextRef context) const override;
  // Whether the knob's sides are swapped, as a right-to-left layout of version 9 has them.
  bool mirrored() const;

 private:
  bool on_ = false;
};
