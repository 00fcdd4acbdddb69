// Windows: the root view of a screen, sized to the main screen. The application keeps the windows
// made visible, in order; the last visible one is in front.
#pragma once

#include <memory>
#include <vector>

#include "uikit/UIView.h"

class UIViewController;

class UIWindow : public UIView {
 public:
  static Class class_();
  // A window over the main screen's bounds.
  UIWindow();
  explicit UIWindow(CGRect frame);

  // Shows the window in front of the others.
  void makeKeyAndVisible();

  // The controller whose view fills the window. Setting one puts its view in (with the appearance
  // messages) and takes the old one's out; the window holds its root controller, so a root that
  // nobody else holds goes (and is sent dealloc) when it is replaced.
  std::shared_ptr<UIViewController> rootViewController() const { return root_; }
  void setRootViewController(const std::shared_ptr<UIViewController>& controller);
  // The controller in front: the last one presented over the root, or the root; nil when none.
  std::shared_ptr<UIViewController> frontmostViewController() const;

  // The windows made visible, back to front, hidden ones included.
  static std::vector<std::shared_ptr<UIWindow>> windows();
  // The frontmost window that is not hidden; nil when there is none.
  static std::shared_ptr<UIWindow> frontmostWindow();
  // Forgets every window (tests).
  static void removeAllWindows();

  // The frontmost window carries the status bar over its content: the layout pass puts it there,
  // in front of every view added before.
  void keepStatusBarInFront();

 protected:
  friend struct objc_alloc;
  UIWindow(Class cls, CGRect frame) : UIView(cls, frame) {}

 private:
  std::shared_ptr<UIViewController> root_;
};
