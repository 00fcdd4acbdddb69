// CallBar's recent-call row: a transparent cell over the overlay's dark panel. The title sits in
// the content view; the detail line and the date are the cell's own subviews; a small arrow tells
// outgoing and missed calls apart; the detail button is the default accessory.
#include <algorithm>
#include <ctime>

#include "addressbook/ABAddressBook.h"
#include "apps/CallBarAddressBook.h"
#include "apps/CallBarCallRecords.h"
#include "apps/CallBarListRows.h"
#include "apps/CallBarPictures.h"
#include "apps/CallBarVersion.h"
#include "apps/HostMethods.h"
#include "apps/LayoutDirection.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UITableViewCell.h"

using standin::apps::detail::classNamed;
using standin::apps::detail::define;

namespace callbar {
namespace {

constexpr const char* kCellClass = "CallBarTableViewTransparentCell";
constexpr CGFloat kInset = 15, kEditingInset = 32, kStatusSize = 12, kLongestDate = 96;
// The date label's frame takes in the gap before its text (the text keeps to the far edge), so
// that a title which ends where the date's frame begins still keeps clear of the date.
constexpr CGFloat kDateGap = 8;
// Seconds from 1970 to the platform's reference date, 1 January 2001.
constexpr double kReferenceDateOffset = 978'307'200;

std::shared_ptr<UILabel> newLabel(CGFloat size, const std::shared_ptr<UIColor>& colour) {
  // The system's cells use their own label class from version 8 on.
  std::shared_ptr<UILabel> label;
  if (systemVersionAtLeast(8)) {
    label = make<UITableViewLabel>();
  } else {
    label = make<UILabel>();
  }
  label->setFont(UIFont::systemFontOfSize(size));
  label->setTextColor(colour);
  return label;
}

std::shared_ptr<UIColor> secondaryColour() {
  return UIColor::colorWithWhite(0.62, 1);
}
std::shared_ptr<UIColor> missedColour() {
  return UIColor::colorWithRed(1.0, 0.27, 0.23, 1);
}

template <class T>
std::shared_ptr<T> part(const id& cell, const char* name) {
  return cast<T>(object_getIvar<id>(cell, name));
}

id initWithStyle(id self, SEL cmd, long style, id reuseIdentifier) {
  id made =
      objc_msgSendSuper<id(long, id)>(objc_getClass(kCellClass), self, cmd, style, reuseIdentifier);
  auto cell = cast<UITableViewCell>(made);
  if (!cell) return made;
  cell->setBackgroundColor(UIColor::clearColor());
  auto content = cell->contentView();
  auto title = newLabel(17, UIColor::whiteColor());
  content->addSubview(title);
  auto status = make<UIImageView>();
  status->setContentMode(UIViewContentModeCenter);
  content->addSubview(status);
  auto detail = newLabel(13, secondaryColour());
  cell->addSubview(detail);
  auto date = make<UIDateLabel>();
  date->setFont(UIFont::systemFontOfSize(14));
  date->setTextColor(secondaryColour());
  cell->addSubview(date);
  auto rule = make<UIView>();
  rule->setBackgroundColor(UIColor::colorWithWhite(1, 0.12));
  cell->addSubview(rule);
  auto deleteControl = make<UIImageView>(deleteControlIcon());
  deleteControl->setHidden(true);
  cell->addSubview(deleteControl);
  cell->setAccessoryType(UITableViewCellAccessoryDetailDisclosureButton);
  if (auto accessory = cell->defaultAccessoryView()) {
    auto icon = make<UIImageView>(detailButtonIcon());
    icon->setFrame(CGRectMake(0, 0, 22, 22));
    accessory->addSubview(icon);
  }
  object_setIvar(made, "_titleLabel", title);
  object_setIvar(made, "_statusView", status);
  object_setIvar(made, "_detailLabel", detail);
  object_setIvar(made, "_dateLabel", date);
  object_setIvar(made, "_separator", rule);
  object_setIvar(made, "_deleteControl", deleteControl);
  return made;
}

// The accessory stays at the trailing side the platform gives it; the row's text mirrors.
void layoutSubviews(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass(kCellClass), self, cmd);
  auto cell = cast<UITableViewCell>(self);
  auto title = part<UILabel>(self, "_titleLabel");
  if (!cell || !title) return;
  auto status = part<UIImageView>(self, "_statusView");
  auto detail = part<UILabel>(self, "_detailLabel");
  auto date = part<UILabel>(self, "_dateLabel");
  auto rule = part<UIView>(self, "_separator");
  auto deleteControl = part<UIView>(self, "_deleteControl");
  CGRect bounds = cell->bounds();
  CGFloat height = bounds.size.height;
  bool editing = cell->isEditing();
  CGFloat inset = editing ? kEditingInset : 0;
  auto content = cell->contentView();
  CGFloat contentWidth = std::max<CGFloat>(0, content->frame().size.width - inset);
  content->setFrame(CGRectMake(inset, 0, contentWidth, height));
  apps::Leading at{contentWidth, apps::rightToLeft()};
  auto inCell = [inset](CGRect frame) {
    frame.origin.x += inset;
    return frame;
  };

  CGFloat dateWidth = std::min(kLongestDate, date->sizeThatFits(CGSizeMake(0, 0)).width);
  date->setTextAlignment(at.mirrored ? NSTextAlignmentLeft : NSTextAlignmentRight);
  date->setFrame(inCell(at(contentWidth - 4 - dateWidth - kDateGap, 9, dateWidth + kDateGap, 18)));
  CGFloat titleWidth = std::max<CGFloat>(0, contentWidth - kInset - dateWidth - 4 - kDateGap);
  title->setFrame(at(kInset, 7, titleWidth, 21));
  CGFloat statusWidth = status->image() ? kStatusSize + 4 : 0;
  status->setFrame(at(kInset, 32, statusWidth > 0 ? kStatusSize : 0, kStatusSize));
  CGFloat detailX = kInset + statusWidth;
  detail->setFrame(inCell(at(detailX, 29, std::max<CGFloat>(0, contentWidth - detailX - 8), 18)));
  CGFloat ruleWidth = std::max<CGFloat>(0, bounds.size.width - inset - kInset);
  rule->setFrame(CGRectMake(at.mirrored ? 0 : inset + kInset, height - 0.5, ruleWidth, 0.5));
  deleteControl->setHidden(!editing);
  deleteControl->setFrame(CGRectMake(8, (height - 22) / 2, 22, 22));
}

std::string dateText(double sinceReferenceDate) {
  std::time_t seconds = static_cast<std::time_t>(sinceReferenceDate + kReferenceDateOffset);
  std::tm parts{};
  if (!gmtime_r(&seconds, &parts)) return "";
  char text[32];
  std::strftime(text, sizeof text, "%m/%d/%y", &parts);
  // The platform's short style writes no leading zeros: 6/1/15.
  std::string out;
  for (std::size_t i = 0; text[i]; ++i) {
    bool leadingZero = text[i] == '0' && (i == 0 || text[i - 1] == '/');
    if (!leadingZero) out += text[i];
  }
  return out;
}

ABRecordRef personOf(const id& record, const std::string& address, ABAddressBookRef book) {
  int32_t recordID = 0;
  if (respondsToSelector(record, sel_registerName("uid"))) {
    recordID = objc_msgSend<int32_t()>(record, "uid");
  } else if (respondsToSelector(record, sel_registerName("addressBookRecordId"))) {
    recordID =
        static_cast<int32_t>(integerValue(objc_msgSend<id()>(record, "addressBookRecordId")));
  }
  if (recordID > 0) {
    if (ABRecordRef person = ABAddressBookGetPersonWithRecordID(book, recordID)) return person;
  }
  return findPerson(book, address);
}

}  // namespace

void registerCallBarCellClass() {
  Class cell = classNamed(kCellClass, UITableViewCell::class_());
  define(cell, "initWithStyle:reuseIdentifier:", initWithStyle, "@@:q@");
  define(cell, "layoutSubviews", layoutSubviews, "v@:");
}

void fillCell(const std::shared_ptr<UITableViewCell>& cell, const id& entry,
              ABAddressBookRef book) {
  auto title = part<UILabel>(cell, "_titleLabel");
  auto dictionary = cast<NSDictionary>(entry);
  if (!title || !dictionary) return;
  auto calls = cast<NSArray>(dictionary->objectForKey("calls"));
  std::string address = stringValue(dictionary->objectForKey("address")).value_or("");
  id record = calls && !calls->items.empty() ? calls->items.front() : nullptr;
  CallFacts facts = callFacts(record);

  ABRecordRef person = personOf(record, address, book);
  std::string name;
  if (respondsToSelector(record, sel_registerName("callerName"))) {
    name = stringValue(objc_msgSend<id()>(record, "callerName")).value_or("");
  }
  bool named = !name.empty();
  if (!named) name = personName(person);
  if (name.empty()) name = address.empty() ? "Unknown" : displayAddress(address);
  if (calls && calls->items.size() > 1) name += " (" + std::to_string(calls->items.size()) + ")";
  std::string detail = facts.label;
  if (detail.empty()) detail = addressLabel(person, address);
  // A caller the network named but the book does not know: the number tells who it was.
  if (detail.empty() && named && !person) detail = displayAddress(address);
  if (detail.empty()) detail = isEmailAddress(address) ? "FaceTime" : "unknown";

  title->setText(name);
  title->setTextColor(facts.missed ? missedColour() : UIColor::whiteColor());
  part<UILabel>(cell, "_detailLabel")->setText(detail);
  part<UILabel>(cell, "_dateLabel")->setText(dateText(facts.date));
  part<UIImageView>(cell, "_statusView")
      ->setImage(facts.missed || facts.outgoing ? callArrowIcon(facts.missed, apps::rightToLeft())
                                                : nullptr);
  cell->setNeedsLayout();
}

}  // namespace callbar
