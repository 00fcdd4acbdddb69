// CallBar's recent-calls list and its cells: a contact picture at the leading edge of every row,
// the row's labels moved aside for it, the list reloaded when the settings change.
#include <cmath>
#include <cstring>

#include "HookFamilies.h"
#include "HookInstaller.h"
#include "NSObject+TalvoCB1.h"
#include "PlaceholderPicture.h"
#include "SettingsChangedNotification.h"
#include "SettingsSwitches.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+Probes.h"
#include "TalvoCBUtils+Retrieval.h"
#include "TalvoCBUtils+Settings.h"
#include "apps/HostClasses.h"
#include "foundation/Dispatch.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSOperationQueue.h"
#include "foundation/NSThreadPerform.h"
#include "foundation/NSValueTypes.h"
#include "uikit/NSIndexPath.h"
#include "uikit/UIDevice.h"
#include "uikit/UIImage.h"
#include "uikit/UILabel.h"
#include "uikit/UITableViewCell.h"

namespace {
HostSignature::Void listViewDidLoad;
HostSignature::CellForRow listCellForRow;
HostSignature::Void listDealloc;
HostSignature::InitWithStyle cellInitWithStyle;
HostSignature::Void cellLayoutSubviews;

constexpr long kPictureTag = 3232, kNameTag = 3233, kDetailTag = 3234;
constexpr double kPicture = 40, kInset = 2, kNameGap = 10, kDetailTop = 27;
constexpr double kRightToLeftOnRequest = 40, kRightToLeftLaidOut = 40 + 8,
                 kRightToLeftEditing = 40 + 30;
constexpr double kSmallImageGapX = 5, kSmallImageGapY = 4;

bool rightToLeft() {
  return UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
         UIUserInterfaceLayoutDirectionRightToLeft;
}

double defaultAccessoryX(const std::shared_ptr<UITableViewCell>& cell) {
  auto accessory = cell->defaultAccessoryView();
  return accessory ? accessory->frame().origin.x : 0;
}

std::shared_ptr<UIImageView> pictureViewOf(const std::shared_ptr<UIView>& cell) {
  return std::dynamic_pointer_cast<UIImageView>(cell->viewWithTag(kPictureTag));
}

void replacedListViewDidLoad(id self, SEL cmd) {
  callReplaced(listViewDidLoad, self, cmd);
  NSNotificationCenter::defaultCenter().addObserver(
      self, sel_registerName("talvoCBSettingsChanged:"), kSettingsChangedNotification);
}

void listSettingsChanged(id self, SEL, id) {
  id table = performSelector(self, sel_registerName("tableView"));
  performSelectorOnMainThread(table, sel_registerName("reloadData"), nullptr, true);
}

void replacedListDealloc(id self, SEL cmd) {
  NSNotificationCenter::defaultCenter().removeObserver(self.get());
  callReplaced(listDealloc, self, cmd);
}

// The row's entries: the missed calls when the list shows only those, else all.
std::shared_ptr<NSArray> entriesOf(const id& list) {
  bool onlyMissed = false;
  objc_detail::readIvar(list, "onlyMissed", &onlyMissed);
  id entries;
  objc_detail::readIvar(list, onlyMissed ? "_missedEntries" : "_allEntries", &entries);
  return std::dynamic_pointer_cast<NSArray>(entries);
}

// The record's own identifier where it has one, else the contact holding the entry's address.
int32_t contactIDOf(const id& record, const std::shared_ptr<NSDictionary>& entry) {
  if (respondsToSelector(record, sel_registerName("uid"))) {
    return objc_msgSend<int32_t()>(record, "uid");
  }
  if (respondsToSelector(record, sel_registerName("addressBookRecordId"))) {
    return static_cast<int32_t>(integerValue(objc_msgSend<id()>(record, "addressBookRecordId")));
  }
  return TalvoCBUtils::getContactID(stringValue(entry->objectForKey("address")));
}

OptionalString monogramTextOf(const id& record, int32_t contactID) {
  if (!monogramsOn()) return std::nullopt;
  if (respondsToSelector(record, sel_registerName("callerName"))) {
    return TalvoCBUtils::monogramTextFromName(
        stringValue(objc_msgSend<id()>(record, "callerName")));
  }
  return TalvoCBUtils::monogramTextFromAB(contactID);
}

// The real picture is made on the library's queue. The cell is held weakly and is tagged with the
// contact it was asked for: a cell reused for another row meanwhile does not get this picture.
void loadPictureInBackground(const std::shared_ptr<UITableViewCell>& cell, int32_t contactID,
                             const OptionalString& text) {
  setTalvoCB_contactID(cell, contactID);
  std::weak_ptr<NSObject> weakCell = cell;
  TalvoCBUtils::queue()->addOperationWithBlock([weakCell, contactID, text] {
    UIImagePtr picture = TalvoCBUtils::getContactImageOnly(contactID, text, false);
    if (!picture) return;
    dispatch_async(dispatch_get_main_queue(), [weakCell, contactID, picture] {
      auto cell = std::dynamic_pointer_cast<UIView>(weakCell.lock());
      if (!cell || TalvoCB_contactID(cell) != contactID) return;
      if (auto view = pictureViewOf(cell)) view->setImage(picture);
    });
  });
}

id replacedListCellForRow(id self, SEL cmd, id tableView, id indexPath) {
  id result = callReplaced(listCellForRow, self, cmd, tableView, indexPath);
  auto cell = std::dynamic_pointer_cast<UITableViewCell>(result);
  if (!cell || !isKindOfClass(cell, objc_getClass("CallBarTableViewTransparentCell"))) {
    return result;
  }
  auto pictureView = pictureViewOf(cell);
  // Whatever the cell was asked for before is no longer wanted.
  setTalvoCB_contactID(cell, 0);
  if (!picturesOnRecents()) {
    if (pictureView) {
      pictureView->setImage(nullptr);
      pictureView->removeFromSuperview();
    }
    return result;
  }
  if (!pictureView) {
    pictureView = make<UIImageView>(CGRectZero);
    pictureView->setTag(kPictureTag);
    cell->addSubview(pictureView);
  }
  double x = rightToLeft() ? defaultAccessoryX(cell) - kRightToLeftOnRequest : kInset;
  pictureView->setFrame(CGRectMake(x, kInset, kPicture, kPicture));

  auto entries = entriesOf(self);
  auto path = std::dynamic_pointer_cast<NSIndexPath>(indexPath);
  long row = path ? path->row() : 0;
  if (!entries || row < 0 || static_cast<std::size_t>(row) >= entries->items.size()) return result;
  auto entry = std::dynamic_pointer_cast<NSDictionary>(entries->items[static_cast<size_t>(row)]);
  if (!entry) return result;
  auto calls = std::dynamic_pointer_cast<NSArray>(entry->objectForKey("calls"));
  id record = calls && !calls->items.empty() ? calls->items.front() : nullptr;

  int32_t contactID = contactIDOf(record, entry);
  if (contactID < 1) {
    pictureView->setImage(TalvoCBUtils::defaultImage());
    return result;
  }
  UIImagePtr cached = TalvoCBUtils::getContactImageInCache(contactID);
  OptionalString text = monogramTextOf(record, contactID);
  if (cached) {
    pictureView->setImage(cached);
    return result;
  }
  pictureView->setImage(monogramsOn() ? TalvoCBUtils::monogramImage(text, 0L)
                                      : placeholderPicture());
  loadPictureInBackground(cell, contactID, text);
  return result;
}

id replacedCellInitWithStyle(id self, SEL cmd, long style, id reuseIdentifier) {
  id cell = callReplaced(cellInitWithStyle, self, cmd, style, reuseIdentifier);
  if (cell) objc_msgSend<void()>(cell, "initialize");
  return cell;
}

void cellInitializeMethod(id self, SEL) {
  if (!TalvoCBUtils::isTalvoCBOnlyOn()) return;
  auto cell = std::dynamic_pointer_cast<UITableViewCell>(self);
  if (!cell) return;
  auto pictureView = make<UIImageView>(CGRectMake(kInset, kInset, kPicture, kPicture));
  pictureView->setTag(kPictureTag);
  cell->contentView()->addSubview(pictureView);
}

bool hasClassName(const std::shared_ptr<UIView>& view, const char* name) {
  return std::strcmp(object_getClassName(view), name) == 0;
}

std::shared_ptr<UILabel> labelWithText(const std::shared_ptr<UIView>& view) {
  auto label = std::dynamic_pointer_cast<UILabel>(view);
  return label && label->text() ? label : nullptr;
}

// The title goes beside the picture, on its trailing side; the other texts go to the second line
// under it, and the date label only limits the title's width. A right-to-left row is the mirror
// image: laid out left to right there, the texts would run off the row's edge.
void moveLabels(const std::shared_ptr<UITableViewCell>& cell, CGRect picture) {
  const bool mirrored = rightToLeft();
  const char* titleClass = TalvoCBUtils::isIOS_8() ? "UITableViewLabel" : "UILabel";
  for (const auto& view : cell->contentView()->subviews()) {
    if (!hasClassName(view, titleClass) || !labelWithText(view)) continue;
    view->setTag(kNameTag);
    CGRect frame = view->frame();
    frame.origin.x = mirrored ? picture.origin.x - kNameGap - frame.size.width
                              : CGRectGetMaxX(picture) + kNameGap;
    view->setFrame(frame);
    break;
  }
  auto container = TalvoCBUtils::isIOS_8() ? std::static_pointer_cast<UIView>(cell)
                                           : cell->contentView()->superview();
  auto name = cell->viewWithTag(kNameTag);
  CGRect nameFrame = name ? name->frame() : CGRectZero;
  if (container) {
    for (const auto& view : container->subviews()) {
      CGRect date = view->frame();
      if (!hasClassName(view, "UIDateLabel")) {
        auto label = labelWithText(view);
        if (!label) continue;
        label->setTag(kDetailTag);
        label->sizeToFit();
        CGSize fitted = label->frame().size;
        double x = mirrored ? CGRectGetMaxX(nameFrame) - fitted.width : nameFrame.origin.x;
        label->setFrame(CGRectMake(x, kDetailTop, fitted.width, fitted.height));
      } else if (name && !mirrored && CGRectGetMaxX(nameFrame) > date.origin.x) {
        nameFrame.size.width -= CGRectGetMaxX(nameFrame) - date.origin.x;
        name->setFrame(nameFrame);
      } else if (name && mirrored && nameFrame.origin.x < CGRectGetMaxX(date)) {
        nameFrame.size.width -= CGRectGetMaxX(date) - nameFrame.origin.x;
        nameFrame.origin.x = CGRectGetMaxX(date);
        name->setFrame(nameFrame);
      }
    }
  }
  auto detail = cell->viewWithTag(kDetailTag);
  CGRect detailFrame = detail ? detail->frame() : CGRectZero;
  for (const auto& view : cell->contentView()->subviews()) {
    if (!std::dynamic_pointer_cast<UIImageView>(view) || view->tag() > 0) continue;
    CGRect frame = view->frame();
    frame.origin = CGPointMake(mirrored ? detailFrame.origin.x - kSmallImageGapX - frame.size.width
                                        : CGRectGetMaxX(detailFrame) + kSmallImageGapX,
                               detailFrame.origin.y + kSmallImageGapY);
    view->setFrame(frame);
  }
}

void replacedCellLayoutSubviews(id self, SEL cmd) {
  callReplaced(cellLayoutSubviews, self, cmd);
  auto cell = std::dynamic_pointer_cast<UITableViewCell>(self);
  if (!cell || !picturesOnRecents()) return;
  auto pictureView = pictureViewOf(cell);
  CGRect picture = CGRectZero;
  if (pictureView) {
    picture = pictureView->frame();
    if (rightToLeft()) {
      double offset = cell->isEditing() ? kRightToLeftEditing : kRightToLeftLaidOut;
      picture.origin.x = defaultAccessoryX(cell) - offset;
    } else {
      picture.origin.x = kInset;
    }
    picture.origin.y = (cell->frame().size.height - picture.size.height) / 2;
    pictureView->setFrame(picture);
  }
  if (!TalvoCBUtils::isIOS_7()) return;
  moveLabels(cell, picture);
}
}  // namespace

void installCallBarListHooks() {
  const char* list = "CallBarABViewController";
  const char* cell = "CallBarTableViewTransparentCell";
  hookMessage(list, "viewDidLoad", replacedListViewDidLoad, &listViewDidLoad);
  addMessage(list, "talvoCBSettingsChanged:", listSettingsChanged, "v@:@");
  hookMessage(list, "tableView:cellForRowAtIndexPath:", replacedListCellForRow, &listCellForRow);
  hookMessage(list, "dealloc", replacedListDealloc, &listDealloc);
  hookMessage(cell, "initWithStyle:reuseIdentifier:", replacedCellInitWithStyle,
              &cellInitWithStyle);
  addMessage(cell, "initialize", cellInitializeMethod, "v@:");
  hookMessage(cell, "layoutSubviews", replacedCellLayoutSubviews, &cellLayoutSubviews);
}
