// Views and their layers, enough to build view trees and render them into a context: frame and
// bounds, the view tree, background colour, tag, and a layer whose corner radius rounds the
// background and, with masksToBounds, clips everything the view draws.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "coregraphics/CoreGraphics.h"
#include "runtime/objc.h"

class UIColor;
class UIImage;
class UIView;

class CALayer : public NSObject {
 public:
  static Class class_();
  explicit CALayer(UIView* view) : NSObject(class_()), view_(view) {}
  CGFloat cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(CGFloat radius) { cornerRadius_ = radius > 0 ? radius : 0; }
  bool masksToBounds() const { return masksToBounds_; }
  void setMasksToBounds(bool masks) { masksToBounds_ = masks; }
  // A border drawn inside the bounds, over the content and the subviews, following the corners.
  CGFloat borderWidth() const { return borderWidth_; }
  void setBorderWidth(CGFloat width) { borderWidth_ = width > 0 ? width : 0; }
  std::shared_ptr<UIColor> borderColor() const { return borderColor_; }
  void setBorderColor(const std::shared_ptr<UIColor>& color) { borderColor_ = color; }
  // Draws the view, its background and its subviews into the context, from the context's
  // origin (the layer's bounds origin).
  void renderInContext(CGContextRef context) const;

 private:
  UIView* view_;  // the layer lives and dies with its view
  CGFloat cornerRadius_ = 0;
  bool masksToBounds_ = false;
  CGFloat borderWidth_ = 0;
  std::shared_ptr<UIColor> borderColor_;
};

enum UIViewContentMode : long {
  UIViewContentModeScaleToFill = 0,
  UIViewContentModeScaleAspectFit = 1,
  UIViewContentModeScaleAspectFill = 2,
  UIViewContentModeCenter = 4,
};

enum UISemanticContentAttribute : long {
  UISemanticContentAttributeUnspecified = 0,
  UISemanticContentAttributePlayback = 1,
  UISemanticContentAttributeSpatial = 2,
  UISemanticContentAttributeForceLeftToRight = 3,
  UISemanticContentAttributeForceRightToLeft = 4,
};

class UIView : public NSObject {
 public:
  static Class class_();
  explicit UIView(CGRect frame = {});
  ~UIView() override;

  CGRect frame() const { return frame_; }
  void setFrame(CGRect frame);  // a new size asks for layout
  CGRect bounds() const { return CGRectMake(0, 0, frame_.size.width, frame_.size.height); }
  std::shared_ptr<UIView> superview() const { return superview_.lock(); }
  const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
  void addSubview(const std::shared_ptr<UIView>& view);
  void removeFromSuperview();
  // The view itself or the first descendant with the tag, depth first; nil when none.
  std::shared_ptr<UIView> viewWithTag(long tag);

  std::shared_ptr<UIColor> backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(const std::shared_ptr<UIColor>& color) { backgroundColor_ = color; }
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden) { hidden_ = hidden; }
  const std::shared_ptr<CALayer>& layer() const { return layer_; }
  // 0 to 1; the view and its subviews are composited at this opacity.
  CGFloat alpha() const { return alpha_; }
  void setAlpha(CGFloat alpha);
  // Clips the subviews to the bounds (the layer's masksToBounds).
  bool clipsToBounds() const { return layer_->masksToBounds(); }
  void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
  // How an image view fits its picture into its bounds.
  UIViewContentMode contentMode() const { return contentMode_; }
  void setContentMode(UIViewContentMode mode) { contentMode_ = mode; }
  UISemanticContentAttribute semanticContentAttribute() const { return semantic_; }
  void setSemanticContentAttribute(UISemanticContentAttribute attribute) { semantic_ = attribute; }
  // +[UIView userInterfaceLayoutDirectionForSemanticContentAttribute:] came with version 9: the
  // runtime has the class method only while the device runs 9 or later, so code asks
  // respondsToSelector: (respondsToUserInterfaceLayoutDirection) first.
  static long userInterfaceLayoutDirectionForSemanticContentAttribute(
      UISemanticContentAttribute attribute);
  static bool respondsToUserInterfaceLayoutDirection();

  // What the view draws over its background, in its bounds (drawRect:).
  virtual void drawContent(CGContextRef context) const;
  // What the view says to VoiceOver; views that draw their own text answer it.
  virtual std::optional<std::string> accessibilityLabel() const { return std::nullopt; }

  // Layout: setNeedsLayout marks the view; layoutIfNeeded sends layoutSubviews through the
  // runtime to each marked view of the tree, parents before their subviews. A new view, a view
  // that gains a subview and a view whose size changes are marked.
  void setNeedsLayout() { needsLayout_ = true; }
  bool needsLayout() const { return needsLayout_; }
  void layoutIfNeeded();

 protected:
  friend struct objc_alloc;
  explicit UIView(Class cls, CGRect frame);

 private:
  bool needsLayout_ = true;
  CGRect frame_;
  std::weak_ptr<UIView> superview_;
  std::vector<std::shared_ptr<UIView>> subviews_;
  std::shared_ptr<UIColor> backgroundColor_;
  long tag_ = 0;
  bool hidden_ = false;
  std::shared_ptr<CALayer> layer_;
  CGFloat alpha_ = 1;
  UIViewContentMode contentMode_ = UIViewContentModeScaleToFill;
  UISemanticContentAttribute semantic_ = UISemanticContentAttributeUnspecified;
};

// Shows a picture in its bounds as the content mode fits it.
class UIImageView : public UIView {
 public:
  static Class class_();
  explicit UIImageView(CGRect frame = {});
  explicit UIImageView(const std::shared_ptr<UIImage>& image);
  std::shared_ptr<UIImage> image() const { return image_; }
  void setImage(const std::shared_ptr<UIImage>& image) { image_ = image; }
  void drawContent(CGContextRef context) const override;

 protected:
  friend struct objc_alloc;
  UIImageView(Class cls, CGRect frame);

 private:
  std::shared_ptr<UIImage> image_;
};

// Declares the runtime class of a view class with a factory, so that class_createInstance of it,
// or of a host's subclass, makes a real view. T needs a (Class, CGRect) constructor that
// objc_alloc may call.
#define SIM_DEFINE_VIEW_CLASS(T, Super)                                                       \
  Class T::class_() {                                                                         \
    static Class cls = objc_registerClass(                                                    \
        #T, Super::class_(), [](Class c) -> id { return objc_alloc::make<T>(c, CGRect{}); }); \
    return cls;                                                                               \
  }
