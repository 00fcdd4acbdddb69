#include "uikit/UIViewController.h"

#include <algorithm>

#include "foundation/NSLog.h"
#include "uikit/UIDevice.h"

namespace {

std::shared_ptr<UIViewController> controllerOf(const id& self) {
  return cast<UIViewController>(self);
}

id makeController(Class cls) {
  return objc_alloc::make<UIViewController>(cls);
}

void doNothing(id, SEL) {}
void doNothingAnimated(id, SEL, bool) {}

// Clears a flag however the scope ends, so that a loadView that raises can be tried again.
struct FlagScope {
  explicit FlagScope(bool& flag) : flag(flag) { flag = true; }
  ~FlagScope() { flag = false; }
  bool& flag;
};

}  // namespace

// The controller's methods as the runtime reaches them.
struct UIViewControllerRuntime {
  static void loadView(id self, SEL) {
    if (auto controller = controllerOf(self)) {
      controller->view_ = make<UIView>(UIScreen::mainScreen()->bounds());
    }
  }
  static id view(id self, SEL) {
    auto controller = controllerOf(self);
    return controller ? controller->view() : nullptr;
  }
  static bool isViewLoaded(id self, SEL) {
    auto controller = controllerOf(self);
    return controller && controller->isViewLoaded();
  }
  static void present(id self, SEL, id presented, bool animated, dispatch_block_t completion) {
    if (auto controller = controllerOf(self)) {
      controller->present(controllerOf(presented), animated);
    }
    if (completion) completion();
  }
  static void dismiss(id self, SEL sel, bool animated, dispatch_block_t completion) {
    auto controller = controllerOf(self);
    if (controller && !controller->presented_) {
      // The presented controller hands its dismissal to its presenter, as on the platform.
      if (auto presenter = controller->presentingViewController()) {
        objc_msgSend<void(bool, dispatch_block_t)>(presenter, sel, animated, completion);
        return;
      }
    }
    if (controller) controller->dismissPresented(animated);
    if (completion) completion();
  }
  static id presentedViewController(id self, SEL) {
    auto controller = controllerOf(self);
    return controller ? controller->presented_ : nullptr;
  }
  static id presentingViewController(id self, SEL) {
    auto controller = controllerOf(self);
    return controller ? controller->presentingViewController() : nullptr;
  }
  static void addChild(id self, SEL, id child) {
    if (auto controller = controllerOf(self))
      controller->addChildViewController(controllerOf(child));
  }
  static void removeFromParent(id self, SEL) {
    if (auto controller = controllerOf(self)) controller->removeFromParentViewController();
  }
  static id parentViewController(id self, SEL) {
    auto controller = controllerOf(self);
    return controller ? controller->parentViewController() : nullptr;
  }
};

Class UIViewController::class_() {
  static Class cls = [] {
    using R = UIViewControllerRuntime;
    Class c = objc_registerClass("UIViewController", NSObject::class_(), makeController);
    MethodAdder add{c};
    add("loadView", R::loadView, "v@:");
    add("viewDidLoad", doNothing, "v@:");
    add("viewWillAppear:", doNothingAnimated, "v@:B");
    add("viewDidAppear:", doNothingAnimated, "v@:B");
    add("viewWillDisappear:", doNothingAnimated, "v@:B");
    add("viewDidDisappear:", doNothingAnimated, "v@:B");
    add("view", R::view, "@@:");
    add("isViewLoaded", R::isViewLoaded, "B@:");
    add("presentViewController:animated:completion:", R::present, "v@:@B@?");
    add("dismissViewControllerAnimated:completion:", R::dismiss, "v@:B@?");
    add("presentedViewController", R::presentedViewController, "@@:");
    add("presentingViewController", R::presentingViewController, "@@:");
    add("addChildViewController:", R::addChild, "v@:@");
    add("removeFromParentViewController", R::removeFromParent, "v@:");
    add("parentViewController", R::parentViewController, "@@:");
    return c;
  }();
  return cls;
}

UIViewController::UIViewController() : UIViewController(class_()) {}
UIViewController::UIViewController(Class cls) : NSObject(cls) {}

std::shared_ptr<UIView> UIViewController::view() {
  if (view_ || loadingView_) return view_;  // a loadView that asks for the view gets nil
  id me = self();
  {
    FlagScope loading(loadingView_);
    objc_msgSend<void()>(me, "loadView");
  }
  if (view_) objc_msgSend<void()>(me, "viewDidLoad");
  return view_;
}

void UIViewController::addChildViewController(const std::shared_ptr<UIViewController>& child) {
  if (!child || child->parent_.lock().get() == this) return;
  // A controller that holds this one must not become its child: the strong references would
  // make a ring that is never freed.
  for (auto up = std::static_pointer_cast<UIViewController>(self()); up;
       up = up->parentViewController()) {
    if (up == child) {
      NSLog("UIViewController: %s cannot be a child of its own descendant",
            object_getClassName(child));
      return;
    }
  }
  child->removeFromParentViewController();
  children_.push_back(child);
  child->parent_ = std::static_pointer_cast<UIViewController>(self());
}

void UIViewController::removeFromParentViewController() {
  auto parent = parent_.lock();
  if (!parent) return;
  id keep = self();  // the parent may hold the last reference
  std::erase_if(parent->children_, [this](const auto& c) { return c.get() == this; });
  parent_.reset();
}

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller,
                                             bool animated, dispatch_block_t completion) {
  objc_msgSend<void(id, bool, dispatch_block_t)>(
      self(), "presentViewController:animated:completion:", id(controller), animated,
      std::move(completion));
}

void UIViewController::dismissViewControllerAnimated(bool animated, dispatch_block_t completion) {
  objc_msgSend<void(bool, dispatch_block_t)>(
      self(), "dismissViewControllerAnimated:completion:", animated, std::move(completion));
}

void UIViewController::present(const std::shared_ptr<UIViewController>& controller, bool animated) {
  if (!controller || controller.get() == this || presented_ ||
      controller->presentingViewController()) {
    NSLog("UIViewController: %s cannot present %s now", object_getClassName(self()),
          controller ? object_getClassName(controller) : "nil");
    return;
  }
  presented_ = controller;
  controller->presenting_ = std::static_pointer_cast<UIViewController>(self());
  auto root = view();
  while (root && root->superview()) root = root->superview();
  auto shown = controller->view();
  controller->beginAppearanceTransition(true, animated);
  if (root && shown) {
    shown->setFrame(root->bounds());
    root->addSubview(shown);
  }
  controller->endAppearanceTransition();
}

void UIViewController::dismissPresented(bool animated) {
  // Top down; the chain keeps the controllers alive until all are off screen, after which the
  // ones nobody else holds are deallocated.
  std::vector<std::shared_ptr<UIViewController>> chain;
  for (auto c = presented_; c; c = c->presented_) chain.push_back(c);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    auto& controller = *it;
    controller->beginAppearanceTransition(false, animated);
    if (controller->view_) controller->view_->removeFromSuperview();
    controller->endAppearanceTransition();
    if (auto presenter = controller->presentingViewController()) presenter->presented_ = nullptr;
    controller->presenting_.reset();
  }
}

void UIViewController::beginAppearanceTransition(bool isAppearing, bool animated) {
  appearing_ = isAppearing;
  animatedTransition_ = animated;
  objc_msgSend<void(bool)>(self(),
                           isAppearing ? "viewWillAppear:" : "viewWillDisappear:", animated);
}

void UIViewController::endAppearanceTransition() {
  objc_msgSend<void(bool)>(
      self(), appearing_ ? "viewDidAppear:" : "viewDidDisappear:", animatedTransition_);
}
