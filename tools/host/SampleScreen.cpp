// The sample screen: a recent-calls table whose data source answers through the runtime, then a
// button and a switch.
#include <algorithm>
#include <string>
#include <vector>

#include "HostWindows.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Retrieval.h"
#include "addressbook/ABAddressBook.h"
#include "uikit/NSIndexPath.h"
#include "uikit/UIButton.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"
#include "uikit/UILabel.h"
#include "uikit/UISwitch.h"
#include "uikit/UITableView.h"
#include "uikit/UITableViewCell.h"
#include "uikit/UIWindow.h"

namespace {

constexpr double kBarHeight = 64, kRowHeight = 56, kPicture = 40, kInset = 15, kDateWidth = 72;
constexpr double kControlsHeight = 110;
constexpr int kMostRows = 8;
const char kDataSourceKey = 0;

struct Row {
  std::string name;
  std::string detail;
  UIImagePtr picture;
};

std::string nameOf(ABRecordRef person) {
  auto first = stringValue(ABRecordCopyValue(person, kABPersonFirstNameProperty));
  auto last = stringValue(ABRecordCopyValue(person, kABPersonLastNameProperty));
  std::string name = first.value_or("");
  if (last) name += (name.empty() ? "" : " ") + *last;
  return name.empty() ? "No Name" : name;
}

// The first people of the device's book, with the pictures the library answers for them.
std::vector<Row> contactRows(int count) {
  std::vector<Row> rows;
  ABAddressBookRef book = ABAddressBookCreate();
  for (int32_t id = 1, misses = 0; misses < 16 && static_cast<int>(rows.size()) < count; ++id) {
    ABRecordRef person = ABAddressBookGetPersonWithRecordID(book, id);
    misses = person ? 0 : misses + 1;
    if (!person) continue;
    auto picture = TalvoCBUtils::getContactImageOnly(id, TalvoCBUtils::monogramTextFromAB(id),
                                                     false, CGSizeMake(kPicture, kPicture));
    rows.push_back({nameOf(person), "mobile", picture});
  }
  CFRelease(book);
  return rows;
}

UIImagePtr colouredPicture(double r, double g, double b) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(kPicture, kPicture), true, 0);
  CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), r, g, b, 1);
  CGContextFillRect(UIGraphicsGetCurrentContext(), CGRectMake(0, 0, kPicture, kPicture));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  if (image) {
    image->setSource(
        stringWithFormat("colour #%02X%02X%02X", int(r * 255), int(g * 255), int(b * 255)));
  }
  return image;
}

std::vector<Row> plainRows(int count) {
  static const double colours[][3] = {{0.90, 0.30, 0.24}, {0.20, 0.60, 0.86}, {0.18, 0.80, 0.44},
                                      {0.61, 0.35, 0.71}, {0.95, 0.61, 0.07}, {0.10, 0.74, 0.61},
                                      {0.91, 0.49, 0.13}, {0.20, 0.29, 0.37}};
  std::vector<Row> rows;
  for (int i = 0; i < count; ++i) {
    const double* c = colours[i % 8];
    // A number keeps its left-to-right order in a right-to-left list, as the phone formatter
    // marks it (left-to-right embedding).
    rows.push_back({"Caller " + std::to_string(i + 1),
                    "\u202A+1 555 010 0" + std::to_string(100 + i) + "\u202C",
                    colouredPicture(c[0], c[1], c[2])});
  }
  return rows;
}

// Lays rows out from the leading edge: mirrored in a right-to-left layout.
struct Leading {
  double width;
  bool rightToLeft;
  CGRect operator()(double x, double y, double w, double h) const {
    return CGRectMake(rightToLeft ? width - x - w : x, y, w, h);
  }
};

std::shared_ptr<UILabel> label(CGRect frame, const std::string& text,
                               const std::shared_ptr<UIFont>& font,
                               const std::shared_ptr<UIColor>& colour) {
  auto view = make<UILabel>(frame);
  view->setText(text);
  view->setFont(font);
  view->setTextColor(colour);
  return view;
}

// Fills a reused cell's content view with the row: the picture, the name and detail labels and
// the date, each made once per cell and found again by its tag.
void fillCell(const std::shared_ptr<UITableViewCell>& cell, const Row& row, const Leading& at) {
  cell->setBackgroundColor(UIColor::whiteColor());
  auto content = cell->contentView();
  double width = at.width;
  double textX = kInset + kPicture + 10;
  double textWidth = width - textX - kDateWidth - kInset;
  auto grey = UIColor::colorWithWhite(0.56, 1);
  auto picture = std::dynamic_pointer_cast<UIImageView>(content->viewWithTag(3232));
  if (!picture) {
    picture = make<UIImageView>(at(kInset, (kRowHeight - kPicture) / 2, kPicture, kPicture));
    picture->setContentMode(UIViewContentModeScaleAspectFill);
    picture->layer()->setCornerRadius(kPicture / 2);
    picture->setClipsToBounds(true);
    picture->setTag(3232);
    content->addSubview(picture);
    auto name = make<UITableViewLabel>(at(textX, 8, textWidth, 22));
    name->setFont(UIFont::boldSystemFontOfSize(17));
    name->setTag(3233);
    content->addSubview(name);
    auto detail = make<UITableViewLabel>(at(textX, 30, textWidth, 18));
    detail->setFont(UIFont::systemFontOfSize(13));
    detail->setTextColor(grey);
    detail->setTag(3234);
    content->addSubview(detail);
    auto date = make<UIDateLabel>(at(width - kInset - kDateWidth, 8, kDateWidth, 22));
    date->setFont(UIFont::systemFontOfSize(15));
    date->setTextColor(grey);
    date->setTag(3235);
    if (at.rightToLeft) date->setTextAlignment(NSTextAlignmentLeft);
    content->addSubview(date);
    auto rule = make<UIView>(at(textX, kRowHeight - 0.5, width - textX, 0.5));
    rule->setBackgroundColor(UIColor::colorWithWhite(0.78, 1));
    content->addSubview(rule);
  }
  picture->setImage(row.picture);
  std::static_pointer_cast<UILabel>(content->viewWithTag(3233))->setText(row.name);
  std::static_pointer_cast<UILabel>(content->viewWithTag(3234))->setText(row.detail);
  std::static_pointer_cast<UILabel>(content->viewWithTag(3235))->setText("Yesterday");
}

// The table's data source: any object will do, as long as the runtime finds its methods.
class SampleListSource : public NSObject {
 public:
  static Class class_();
  SampleListSource(std::vector<Row> rows, Leading at)
      : NSObject(class_()), rows(std::move(rows)), at(at) {}
  const std::vector<Row> rows;
  const Leading at;
};

long numberOfRows(id self, SEL, id, long) {
  return static_cast<long>(std::static_pointer_cast<SampleListSource>(self)->rows.size());
}

id cellForRow(id self, SEL, id tableView, id indexPath) {
  auto source = std::static_pointer_cast<SampleListSource>(self);
  auto table = std::static_pointer_cast<UITableView>(tableView);
  auto cell = table->dequeueReusableCellWithIdentifier("SampleRow");
  if (!cell) {
    cell = UITableViewCell::cellWithStyle(UITableViewCellStyleDefault, std::string("SampleRow"));
  }
  long row = std::static_pointer_cast<NSIndexPath>(indexPath)->row();
  fillCell(cell, source->rows.at(static_cast<std::size_t>(row)), source->at);
  return cell;
}

Class SampleListSource::class_() {
  static Class cls = [] {
    Class c = objc_registerClass("SampleListSource", NSObject::class_());
    class_addMethod(c, sel_registerName("tableView:numberOfRowsInSection:"), numberOfRows, "q@:@q");
    class_addMethod(c, sel_registerName("tableView:cellForRowAtIndexPath:"), cellForRow, "@@:@@");
    return c;
  }();
  return cls;
}

}  // namespace

std::shared_ptr<UIWindow> showSampleScreen() {
  auto window = make<UIWindow>();
  window->setBackgroundColor(UIColor::colorWithRed(0.94, 0.94, 0.96, 1));
  CGRect b = window->bounds();
  Leading at{b.size.width, UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
                               UIUserInterfaceLayoutDirectionRightToLeft};

  auto bar = make<UIView>(CGRectMake(0, 0, b.size.width, kBarHeight));
  bar->setBackgroundColor(UIColor::colorWithRed(0.97, 0.97, 0.97, 1));
  auto title = label(CGRectMake(0, 20, b.size.width, kBarHeight - 20), "Recents",
                     UIFont::boldSystemFontOfSize(17), UIColor::blackColor());
  title->setTextAlignment(NSTextAlignmentCenter);
  bar->addSubview(title);
  window->addSubview(bar);

  int fit = static_cast<int>((b.size.height - kBarHeight - kControlsHeight) / kRowHeight);
  int count = std::clamp(fit, 1, kMostRows);
  std::vector<Row> rows = contactRows(count);
  if (rows.empty()) rows = plainRows(count);
  auto list = make<UITableView>(CGRectMake(0, kBarHeight, b.size.width, count * kRowHeight));
  list->setClipsToBounds(true);
  list->setRowHeight(kRowHeight);
  // The table holds its data source weakly; the window keeps it for as long as it shows.
  auto source = make<SampleListSource>(std::move(rows), at);
  objc_setAssociatedObject(window, &kDataSourceKey, source, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  list->setDataSource(source);
  list->reloadData();
  window->addSubview(list);

  double y = kBarHeight + count * kRowHeight + 12;
  auto button = make<UIButton>(CGRectMake(kInset, y, b.size.width - 2 * kInset, 44));
  button->setTitle("Call Back");
  button->setBackgroundColor(UIColor::whiteColor());
  button->layer()->setCornerRadius(10);
  button->layer()->setBorderWidth(1);
  button->layer()->setBorderColor(UIColor::colorWithWhite(0.8, 1));
  window->addSubview(button);

  auto switchRow = make<UIView>(CGRectMake(0, y + 52, b.size.width, 44));
  switchRow->setBackgroundColor(UIColor::whiteColor());
  switchRow->addSubview(label(at(kInset, 0, b.size.width - 3 * kInset - 51, 44), "Contact pictures",
                              UIFont::systemFontOfSize(17), UIColor::blackColor()));
  auto toggle = make<UISwitch>(at(b.size.width - kInset - 51, 6.5, 51, 31));
  toggle->setOn(true);
  switchRow->addSubview(toggle);
  window->addSubview(switchRow);

  window->makeKeyAndVisible();
  return window;
}
