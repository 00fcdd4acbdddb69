#include "uikit/UIWindow.h"

#include <algorithm>
#include <mutex>

#include "uikit/UIDevice.h"
#include "uikit/UIStatusBar.h"
#include "uikit/UIViewController.h"

SIM_DEFINE_VIEW_CLASS(UIWindow, UIView)

namespace {
// Windows belong to the main thread; the lock only keeps a stray reader from a torn list.
std::mutex& windowsLock() {
  static std::mutex lock;
  return lock;
}
std::vector<std::shared_ptr<UIWindow>>& visibleWindows() {
  static std::vector<std::shared_ptr<UIWindow>> windows;
  return windows;
}
}  // namespace

UIWindow::UIWindow() : UIWindow(UIScreen::mainScreen()->bounds()) {}

UIWindow::UIWindow(CGRect frame) : UIView(class_(), frame) {}

void UIWindow::makeKeyAndVisible() {
  auto self = std::static_pointer_cast<UIWindow>(this->self());
  setHidden(false);
  std::lock_guard guard(windowsLock());
  auto& list = visibleWindows();
  list.erase(std::remove(list.begin(), list.end(), self), list.end());
  list.push_back(self);
}

void UIWindow::keepStatusBarInFront() {
  auto bar = UIStatusBar::sharedStatusBar();
  if (frontmostWindow().get() != this) return;
  if (subviews().empty() || subviews().back() != bar) {
    bar->removeFromSuperview();
    addSubview(bar);
  }
  bar->placeIn(bounds().size.width);
}

std::vector<std::shared_ptr<UIWindow>> UIWindow::windows() {
  std::lock_guard guard(windowsLock());
  return visibleWindows();
}

std::shared_ptr<UIWindow> UIWindow::frontmostWindow() {
  std::lock_guard guard(windowsLock());
  const auto& list = visibleWindows();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (!(*it)->isHidden()) return *it;
  }
  return nullptr;
}

void UIWindow::removeAllWindows() {
  std::lock_guard guard(windowsLock());
  visibleWindows().clear();
}

void UIWindow::setRootViewController(const std::shared_ptr<UIViewController>& controller) {
  if (controller == root_) return;
  std::shared_ptr<UIViewController> old = std::move(root_);
  if (old) {
    old->beginAppearanceTransition(false, false);
    if (old->isViewLoaded()) old->view()->removeFromSuperview();
    old->endAppearanceTransition();
  }
  root_ = controller;
  if (controller) {
    // The view loads (viewDidLoad) before the controller hears that it will appear.
    auto view = controller->view();
    controller->beginAppearanceTransition(true, false);
    view->setFrame(bounds());
    addSubview(view);
    controller->endAppearanceTransition();
  }
}

std::shared_ptr<UIViewController> UIWindow::frontmostViewController() const {
  auto front = root_;
  while (front && front->presentedViewController()) front = front->presentedViewController();
  return front;
}
