// CallBar, the call overlay of SpringBoard and its view service: the controller of the overlay,
// its call objects, the recent-calls list and its cells, and the files the package keeps on the
// device. registerCallBarClasses() registers them; everything that the hook module may replace is
// reached by selector, so the C++ side below is only what a host program needs to drive them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "addressbook/ABTypes.h"
#include "uikit/UIViewController.h"

class UIImageView;
class UILabel;
class UIButton;

// The package's files, as device paths.
inline constexpr const char* kCallBarFavoritesPath =
    "/var/mobile/Library/Preferences/net.dravell.callbar.favorites.plist";
inline constexpr const char* kCallBarHistoryPath = "/var/mobile/Library/CallBar/CallHistory.plist";
// At most this many favourites are shown.
inline constexpr std::size_t kCallBarMaxFavorites = 6;

// A call the overlay shows: the party's address (number or e-mail address) and when it started.
// Answers destinationID and startTime through the runtime.
class CallBarCall : public NSObject {
 public:
  static Class class_();
  CallBarCall(std::string destinationID, double startTime);
  const std::string destinationID;
  const double startTime;
};

class CallBarControllerModern : public UIViewController {
 public:
  static Class class_();
  ~CallBarControllerModern() override;

  // The calls in the order they came; the host program adds and ends them, then tells the
  // controller with setCurrentCall: (or dismissRootView) through the runtime.
  const std::vector<id>& calls() const { return calls_; }
  void addCall(const id& call);
  void removeCall(const id& call);
  id currentCall() const { return currentCall_; }

  // The favourites row under the party's line, and the recent-calls list under the banner.
  void setFavoritesShown(bool shown);
  bool favoritesShown() const { return favoritesShown_; }
  void showList(const std::shared_ptr<UIViewController>& list);
  std::shared_ptr<UIViewController> shownList() const { return list_; }

 protected:
  friend struct objc_alloc;
  friend struct CallBarControllerRuntime;
  explicit CallBarControllerModern(Class cls) : UIViewController(cls) {}

 private:
  void buildOverlay();
  void layOutOverlay();
  void showParty(const id& call);
  void removeFavoriteButtons();
  void addFavoriteButtons();
  ABAddressBookRef book();
  id monogrammer();

  std::vector<id> calls_;
  id currentCall_;
  ABAddressBookRef addressBook_ = nullptr;
  id monogrammer_;
  bool monogrammerMade_ = false;
  std::shared_ptr<UIView> banner_;
  std::shared_ptr<UIImageView> pictureView_;
  std::shared_ptr<UILabel> nameLabel_;
  std::shared_ptr<UILabel> detailLabel_;
  std::shared_ptr<UIButton> answerButton_;
  std::shared_ptr<UIButton> endButton_;
  std::shared_ptr<UIView> favoritesRow_;
  bool favoritesShown_ = false;
  std::shared_ptr<UIView> listPanel_;
  std::shared_ptr<UIViewController> list_;
};

// The list's runtime class name and its instance variables.
inline constexpr const char* kCallBarListClass = "CallBarABViewController";
inline constexpr const char* kCallBarOnlyMissedIvar = "onlyMissed";
