// A view controller: its view, loaded on first use; child controllers; modal presentation. The
// messages a host class overrides or the add-on replaces (loadView, viewDidLoad, the appearance
// messages, presenting and dismissing, dealloc) are sent through the runtime. Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "foundation/Dispatch.h"
#include "uikit/UIView.h"

class UIViewController : public NSObject {
 public:
  static Class class_();
  UIViewController();

  // Sends loadView (which makes a plain view the size of the screen unless a subclass sets one)
  // and then viewDidLoad, the first time.
  std::shared_ptr<UIView> view();
  void setView(const std::shared_ptr<UIView>& view) { view_ = view; }
  bool isViewLoaded() const { return view_ != nullptr; }

  // addChildViewController: takes the child from any parent it had; removeFromParentViewController
  // leaves the child's view where it is, as on the platform.
  void addChildViewController(const std::shared_ptr<UIViewController>& child);
  void removeFromParentViewController();
  std::shared_ptr<UIViewController> parentViewController() const { return parent_.lock(); }
  const std::vector<std::shared_ptr<UIViewController>>& childViewControllers() const {
    return children_;
  }

  // Sent through the runtime. Presenting puts the controller's view over the presenter's view
  // tree (its topmost view, the window once there is one) and holds the controller until it is
  // dismissed; a controller that already presents one, or one already presented, presents
  // nothing. Dismissing from the presenter or the presented dismisses the presented controllers
  // from the top down. The completion runs when done; nothing is animated.
  void presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                             dispatch_block_t completion);
  void dismissViewControllerAnimated(bool animated, dispatch_block_t completion);
  std::shared_ptr<UIViewController> presentedViewController() const { return presented_; }
  std::shared_ptr<UIViewController> presentingViewController() const { return presenting_.lock(); }

  // viewWillAppear:/viewWillDisappear:, then viewDidAppear:/viewDidDisappear:, through the
  // runtime. Whoever shows a controller's view (a window, a presentation) sends them.
  void beginAppearanceTransition(bool isAppearing, bool animated);
  void endAppearanceTransition();

 protected:
  friend struct objc_alloc;
  friend struct UIViewControllerRuntime;
  explicit UIViewController(Class cls);

 private:
  void present(const std::shared_ptr<UIViewController>& controller, bool animated);
  void dismissPresented(bool animated);

  std::shared_ptr<UIView> view_;
  bool loadingView_ = false;
  std::weak_ptr<UIViewController> parent_;
  std::vector<std::shared_ptr<UIViewController>> children_;
  std::shared_ptr<UIViewController> presented_;
  std::weak_ptr<UIViewController> presenting_;
  bool appearing_ = false;
  bool animatedTransition_ = false;
};
