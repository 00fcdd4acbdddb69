// Alert views: a title, a message and buttons, shown in front of the frontmost window. The
// application remembers every alert shown, in order, so that a host can tell what the user saw and
// answer a button for the user.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "uikit/UIView.h"

class UIButton;

class UIAlertView : public UIView {
 public:
  static Class class_();
  // The cancel button comes first, then the others, as the platform numbers them.
  UIAlertView(std::optional<std::string> title, std::optional<std::string> message,
              const id& delegate, std::optional<std::string> cancelButtonTitle,
              std::vector<std::string> otherButtonTitles);

  const std::optional<std::string>& title() const { return title_; }
  const std::optional<std::string>& message() const { return message_; }
  const std::vector<std::string>& buttonTitles() const { return buttons_; }
  long numberOfButtons() const { return static_cast<long>(buttons_.size()); }
  bool isVisible() const { return visible_; }
  // A C++ caller's answer to a button, besides the delegate's alertView:clickedButtonAtIndex:.
  void setClickHandler(std::function<void(long)> handler) { handler_ = std::move(handler); }

  // Lays the alert out in the middle of the frontmost window and adds it there; remembered in
  // shownAlerts even when there is no window.
  void show();
  // The button view of an index while the alert shows (a tap on it dismisses the alert with that
  // index); nil for an index that names none.
  std::shared_ptr<UIButton> buttonAtIndex(long index) const;
  // Takes the alert away and tells the delegate which button; answers false, doing nothing, for
  // an alert that is not showing or an index that names no button.
  bool dismissWithClickedButtonIndex(long index);

  static std::vector<std::shared_ptr<UIAlertView>> shownAlerts();
  // The alert shown last that is still showing; nil when none is.
  static std::shared_ptr<UIAlertView> visibleAlert();
  static void forgetShownAlerts();

 private:
  friend struct UIAlertViewRuntime;
  void buildSubviews(CGFloat width);

  std::optional<std::string> title_;
  std::optional<std::string> message_;
  std::weak_ptr<NSObject> delegate_;
  std::vector<std::string> buttons_;
  std::vector<std::shared_ptr<UIButton>> buttonViews_;
  std::function<void(long)> handler_;
  bool visible_ = false;
};
