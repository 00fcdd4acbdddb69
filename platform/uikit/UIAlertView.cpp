#include "uikit/UIAlertView.h"

#include <algorithm>
#include <mutex>

#include "uikit/UIButton.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UIWindow.h"

struct UIAlertViewRuntime {
  // A button's touch-up-inside: the alert goes, answering which button.
  static void buttonTapped(id self, SEL, id sender) {
    auto alert = cast<UIAlertView>(self);
    if (!alert) return;
    const auto& buttons = alert->buttonViews_;
    auto found = std::find(buttons.begin(), buttons.end(), cast<UIButton>(sender));
    if (found != buttons.end()) alert->dismissWithClickedButtonIndex(found - buttons.begin());
  }
};

namespace {

constexpr CGFloat kWidth = 270, kMargin = 16, kTop = 20, kGap = 4, kButtonHeight = 44;

std::mutex& alertsLock() {
  static std::mutex lock;
  return lock;
}
std::vector<std::shared_ptr<UIAlertView>>& alerts() {
  static std::vector<std::shared_ptr<UIAlertView>> shown;
  return shown;
}

std::shared_ptr<UILabel> textLabel(const std::string& text, const std::shared_ptr<UIFont>& font,
                                   CGFloat y) {
  auto label = make<UILabel>(CGRectMake(kMargin, y, kWidth - 2 * kMargin, 0));
  label->setText(text);
  label->setFont(font);
  label->setNumberOfLines(0);
  label->setTextAlignment(NSTextAlignmentCenter);
  label->sizeToFit();
  return label;
}
}  // namespace

Class UIAlertView::class_() {
  static Class cls = [] {
    Class c = objc_registerClass("UIAlertView", UIView::class_());
    class_addMethod(c, sel_registerName("_buttonTapped:"), UIAlertViewRuntime::buttonTapped,
                    "v@:@");
    return c;
  }();
  return cls;
}

UIAlertView::UIAlertView(std::optional<std::string> title, std::optional<std::string> message,
                         const id& delegate, std::optional<std::string> cancelButtonTitle,
                         std::vector<std::string> otherButtonTitles)
    : UIView(class_(), CGRectMake(0, 0, kWidth, 0)),
      title_(std::move(title)),
      message_(std::move(message)),
      delegate_(delegate) {
  if (cancelButtonTitle) buttons_.push_back(*cancelButtonTitle);
  buttons_.insert(buttons_.end(), otherButtonTitles.begin(), otherButtonTitles.end());
  setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
  layer()->setCornerRadius(13);
  layer()->setMasksToBounds(true);
}

void UIAlertView::buildSubviews(CGFloat width) {
  while (!subviews().empty()) subviews().back()->removeFromSuperview();
  buttonViews_.clear();
  CGFloat y = kTop;
  if (title_ && !title_->empty()) {
    auto label = textLabel(*title_, UIFont::boldSystemFontOfSize(17), y);
    y += label->frame().size.height + kGap;
    addSubview(label);
  }
  if (message_ && !message_->empty()) {
    auto label = textLabel(*message_, UIFont::systemFontOfSize(13), y);
    y += label->frame().size.height;
    addSubview(label);
  }
  y += kTop;
  // Two buttons sit side by side; one, or more than two, one above the other.
  bool sideBySide = buttons_.size() == 2;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    CGRect f = sideBySide ? CGRectMake(i * width / 2, y, width / 2, kButtonHeight)
                          : CGRectMake(0, y + i * kButtonHeight, width, kButtonHeight);
    auto rule = make<UIView>(CGRectMake(f.origin.x, f.origin.y, f.size.width, 0.5));
    rule->setBackgroundColor(UIColor::colorWithWhite(0.8, 1));
    addSubview(rule);
    auto button = make<UIButton>(f);
    button->setTitle(buttons_[i]);
    // The cancel button's title is bold, as the platform shows it.
    if (i == 0 && buttons_.size() > 1) button->setFont(UIFont::boldSystemFontOfSize(17));
    button->addTarget(self(), sel_registerName("_buttonTapped:"), UIControlEventTouchUpInside);
    buttonViews_.push_back(button);
    addSubview(button);
  }
  std::size_t rows = sideBySide ? 1 : buttons_.size();
  setFrame(CGRectMake(frame().origin.x, frame().origin.y, width, y + rows * kButtonHeight));
}

void UIAlertView::show() {
  auto self = std::static_pointer_cast<UIAlertView>(this->self());
  {
    std::lock_guard guard(alertsLock());
    alerts().push_back(self);
  }
  visible_ = true;
  buildSubviews(kWidth);
  if (auto window = UIWindow::frontmostWindow()) {
    CGRect w = window->bounds(), f = frame();
    setFrame(CGRectMake((w.size.width - f.size.width) / 2, (w.size.height - f.size.height) / 2,
                        f.size.width, f.size.height));
    window->addSubview(self);
  }
}

bool UIAlertView::dismissWithClickedButtonIndex(long index) {
  if (!visible_ || index < 0 || index >= numberOfButtons()) return false;
  // Keep the alert alive through its own delegate call.
  auto self = this->self();
  visible_ = false;
  removeFromSuperview();
  SEL clicked = sel_registerName("alertView:clickedButtonAtIndex:");
  if (auto delegate = delegate_.lock(); ::respondsToSelector(delegate, clicked)) {
    objc_msgSend<void(id, long)>(delegate, clicked, self, index);
  }
  if (handler_) handler_(index);
  return true;
}

std::shared_ptr<UIButton> UIAlertView::buttonAtIndex(long index) const {
  if (index < 0 || index >= static_cast<long>(buttonViews_.size())) return nullptr;
  return buttonViews_[static_cast<std::size_t>(index)];
}

std::vector<std::shared_ptr<UIAlertView>> UIAlertView::shownAlerts() {
  std::lock_guard guard(alertsLock());
  return alerts();
}

std::shared_ptr<UIAlertView> UIAlertView::visibleAlert() {
  std::lock_guard guard(alertsLock());
  for (auto it = alerts().rbegin(); it != alerts().rend(); ++it) {
    if ((*it)->isVisible()) return *it;
  }
  return nullptr;
}

void UIAlertView::forgetShownAlerts() {
  std::lock_guard guard(alertsLock());
  alerts().clear();
}
