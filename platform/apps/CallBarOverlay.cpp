// The overlay's views: a dark rounded banner under the status bar with the party's picture, name,
// detail and the answer and end buttons; the favourites row inside it; the recent-calls panel
// under it. Frames follow the screen's width and mirror in a right-to-left layout.
#include <algorithm>
#include <cmath>

#include "addressbook/ABAddressBook.h"
#include "apps/CallBar.h"
#include "apps/CallBarAddressBook.h"
#include "apps/CallBarFiles.h"
#include "apps/CallBarPictures.h"
#include "apps/LayoutDirection.h"
#include "uikit/UIButton.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"

namespace {

constexpr CGFloat kStatusBar = 20, kMargin = 8, kPadding = 12, kButton = 44;
constexpr CGFloat kPicture = callbar::kPictureSide;
constexpr CGFloat kPartyRow = kPicture + 2 * kPadding;
constexpr CGFloat kFavoriteCell = kPicture + 22, kFavoriteGap = 10, kColumns = 3;
constexpr CGFloat kPanelHeader = 36, kCornerRadius = 16;

std::shared_ptr<UIColor> panelColour() {
  return UIColor::colorWithRed(0.09, 0.10, 0.12, 0.94);
}

std::shared_ptr<UILabel> label(CGFloat size, bool bold, const std::shared_ptr<UIColor>& colour) {
  auto view = make<UILabel>();
  view->setFont(bold ? UIFont::boldSystemFontOfSize(size) : UIFont::systemFontOfSize(size));
  view->setTextColor(colour);
  return view;
}

std::shared_ptr<UIButton> roundButton(double red, double green, double blue, bool hangUp) {
  auto button = make<UIButton>();
  button->setBackgroundColor(UIColor::colorWithRed(red, green, blue, 1));
  button->layer()->setCornerRadius(kButton / 2);
  button->setImage(callbar::handsetIcon(26, hangUp));
  return button;
}

std::shared_ptr<UIView> panel() {
  auto view = make<UIView>();
  view->setBackgroundColor(panelColour());
  view->layer()->setCornerRadius(kCornerRadius);
  view->setClipsToBounds(true);
  return view;
}

long favoriteRows(std::size_t count) {
  return static_cast<long>(std::ceil(static_cast<double>(count) / kColumns));
}

}  // namespace

void CallBarControllerModern::buildOverlay() {
  auto root = view();
  root->setBackgroundColor(UIColor::clearColor());
  banner_ = panel();
  root->addSubview(banner_);

  pictureView_ = make<UIImageView>();
  pictureView_->setBackgroundColor(UIColor::colorWithWhite(1, 0.16));
  pictureView_->setContentMode(UIViewContentModeScaleAspectFill);
  pictureView_->layer()->setCornerRadius(kPicture / 2);
  pictureView_->setClipsToBounds(true);
  banner_->addSubview(pictureView_);
  nameLabel_ = label(19, true, UIColor::whiteColor());
  banner_->addSubview(nameLabel_);
  detailLabel_ = label(14, false, UIColor::colorWithWhite(0.72, 1));
  banner_->addSubview(detailLabel_);
  answerButton_ = roundButton(0.20, 0.78, 0.35, false);
  banner_->addSubview(answerButton_);
  endButton_ = roundButton(1.0, 0.23, 0.19, true);
  banner_->addSubview(endButton_);
  favoritesRow_ = make<UIView>();
  favoritesRow_->setHidden(true);
  banner_->addSubview(favoritesRow_);
  showParty(nullptr);
  layOutOverlay();
}

void CallBarControllerModern::layOutOverlay() {
  if (!banner_) return;
  CGFloat width = view()->bounds().size.width, height = view()->bounds().size.height;
  CGFloat bannerWidth = std::max<CGFloat>(0, width - 2 * kMargin);
  apps::Leading at{bannerWidth, apps::rightToLeft()};

  pictureView_->setFrame(at(kPadding, kPadding, kPicture, kPicture));
  CGFloat buttonsWidth = 2 * kButton + 2 * kPadding;
  CGFloat textX = kPadding + kPicture + kPadding;
  CGFloat textWidth = std::max<CGFloat>(0, bannerWidth - textX - buttonsWidth - 4);
  nameLabel_->setFrame(at(textX, 17, textWidth, 24));
  detailLabel_->setFrame(at(textX, 43, textWidth, 18));
  CGFloat buttonY = (kPartyRow - kButton) / 2;
  endButton_->setFrame(at(bannerWidth - kPadding - kButton, buttonY, kButton, kButton));
  answerButton_->setFrame(
      at(bannerWidth - 2 * (kPadding + kButton) + 4, buttonY, kButton, kButton));

  CGFloat bannerHeight = kPartyRow;
  favoritesRow_->setHidden(!favoritesShown_);
  if (favoritesShown_) {
    std::size_t count = favoritesRow_->subviews().size();
    long rows = std::max(1L, favoriteRows(count));
    CGFloat rowHeight = rows * kFavoriteCell + (rows - 1) * kFavoriteGap + kPadding;
    favoritesRow_->setFrame(CGRectMake(0, kPartyRow, bannerWidth, rowHeight));
    bannerHeight += rowHeight;
  }
  banner_->setFrame(CGRectMake(kMargin, kStatusBar + 6, bannerWidth, bannerHeight));

  if (listPanel_) {
    CGFloat top = kStatusBar + 6 + bannerHeight + kMargin;
    CGFloat panelHeight = std::max<CGFloat>(kPanelHeader, height - top - kMargin);
    listPanel_->setFrame(CGRectMake(kMargin, top, bannerWidth, panelHeight));
    auto header = listPanel_->subviews().front();
    header->setFrame(at(16, 10, bannerWidth - 32, 20));
    if (list_) {
      auto listView = list_->view();
      listView->setFrame(CGRectMake(0, kPanelHeader, bannerWidth, panelHeight - kPanelHeader));
      if (auto table = cast<UIView>(objc_msgSend<id()>(list_, "tableView"))) {
        table->setFrame(listView->bounds());
      }
    }
  }
}

void CallBarControllerModern::setFavoritesShown(bool shown) {
  favoritesShown_ = shown;
  layOutOverlay();
}

void CallBarControllerModern::showList(const std::shared_ptr<UIViewController>& list) {
  if (list_) {
    if (list_->isViewLoaded()) list_->view()->removeFromSuperview();
    list_->removeFromParentViewController();
  }
  list_ = list;
  if (!listPanel_) {
    listPanel_ = panel();
    listPanel_->addSubview(label(15, true, UIColor::colorWithWhite(0.72, 1)));
    view()->addSubview(listPanel_);
  }
  // CallBar shows its recent calls, or the system's contact list.
  bool ownList = !list || isKindOfClass(list, objc_getClass(kCallBarListClass));
  bool missed = ownList && list && object_getIvar<bool>(list, kCallBarOnlyMissedIvar, false);
  cast<UILabel>(listPanel_->subviews().front())
      ->setText(std::string(!ownList ? "Contacts"
                            : missed ? "Missed"
                                     : "Recents"));
  if (list) {
    addChildViewController(list);
    listPanel_->addSubview(list->view());
  }
  layOutOverlay();
}

void CallBarControllerModern::removeFavoriteButtons() {
  if (!favoritesRow_) return;
  auto shown = favoritesRow_->subviews();
  for (const auto& view : shown) view->removeFromSuperview();
}

// Three to a row, each the contact's picture from the monogrammer with the name under it.
void CallBarControllerModern::addFavoriteButtons() {
  if (!favoritesRow_) return;
  CGFloat bannerWidth = std::max<CGFloat>(0, view()->bounds().size.width - 2 * kMargin);
  apps::Leading at{bannerWidth, apps::rightToLeft()};
  CGFloat column = (bannerWidth - 2 * kPadding) / kColumns;
  ABAddressBookRef addressBook = objc_msgSend<ABAddressBookRef()>(self(), "addressBook");
  std::vector<callbar::Favorite> favorites = callbar::readFavorites();
  for (std::size_t i = 0; i < favorites.size(); ++i) {
    const callbar::Favorite& favorite = favorites[i];
    ABRecordRef person = favorite.recordID > 0
                             ? ABAddressBookGetPersonWithRecordID(addressBook, favorite.recordID)
                             : nullptr;
    if (!person) person = callbar::findPerson(addressBook, favorite.address);
    id monogrammer = objc_msgSend<id()>(self(), "monogrammer");
    UIImagePtr picture = person ? callbar::monogramFor(monogrammer, person) : nullptr;
    std::string name = !favorite.name.empty() ? favorite.name : callbar::personName(person);
    if (name.empty()) name = callbar::displayAddress(favorite.address);

    CGFloat x = kPadding + column * static_cast<CGFloat>(i % 3) + (column - kPicture) / 2;
    CGFloat y = static_cast<CGFloat>(i / 3) * (kFavoriteCell + kFavoriteGap);
    auto button = make<UIButton>(at(x, y, kPicture, kPicture));
    button->setImage(picture ? picture : callbar::silhouette(kPicture));
    button->setTag(static_cast<long>(i) + 1);
    auto caption = label(12, false, UIColor::whiteColor());
    caption->setText(name);
    caption->setTextAlignment(NSTextAlignmentCenter);
    caption->setFrame(CGRectMake((kPicture - column) / 2 + 2, kPicture + 4, column - 4, 16));
    button->addSubview(caption);
    favoritesRow_->addSubview(button);
  }
  layOutOverlay();
}
