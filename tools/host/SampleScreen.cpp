// The sample screen: a recent-calls list made of plain views, then a button and a switch.
#include <algorithm>
#include <string>
#include <vector>

#include "HostWindows.h"
#include "TalvoCBUtils.h"
#include "addressbook/ABAddressBook.h"
#include "uikit/UIButton.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"
#include "uikit/UILabel.h"
#include "uikit/UISwitch.h"
#include "uikit/UIWindow.h"

namespace {

constexpr double kBarHeight = 64, kRowHeight = 56, kPicture = 40, kInset = 15, kDateWidth = 72;
constexpr double kControlsHeight = 110;
constexpr int kMostRows = 8;

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

std::shared_ptr<UIView> rowView(const Row& row, double y, const Leading& at) {
  double width = at.width;
  auto view = make<UIView>(CGRectMake(0, y, width, kRowHeight));
  view->setBackgroundColor(UIColor::whiteColor());
  auto picture = make<UIImageView>(at(kInset, (kRowHeight - kPicture) / 2, kPicture, kPicture));
  picture->setImage(row.picture);
  picture->setContentMode(UIViewContentModeScaleAspectFill);
  picture->layer()->setCornerRadius(kPicture / 2);
  picture->setClipsToBounds(true);
  picture->setTag(3232);
  view->addSubview(picture);
  double textX = kInset + kPicture + 10;
  double textWidth = width - textX - kDateWidth - kInset;
  auto grey = UIColor::colorWithWhite(0.56, 1);
  auto name = make<UITableViewLabel>(at(textX, 8, textWidth, 22));
  name->setText(row.name);
  name->setFont(UIFont::boldSystemFontOfSize(17));
  name->setTag(3233);
  view->addSubview(name);
  auto detail = make<UITableViewLabel>(at(textX, 30, textWidth, 18));
  detail->setText(row.detail);
  detail->setFont(UIFont::systemFontOfSize(13));
  detail->setTextColor(grey);
  detail->setTag(3234);
  view->addSubview(detail);
  auto date = make<UIDateLabel>(at(width - kInset - kDateWidth, 8, kDateWidth, 22));
  date->setText("Yesterday");
  date->setFont(UIFont::systemFontOfSize(15));
  date->setTextColor(grey);
  if (at.rightToLeft) date->setTextAlignment(NSTextAlignmentLeft);
  view->addSubview(date);
  auto rule = make<UIView>(at(textX, kRowHeight - 0.5, width - textX, 0.5));
  rule->setBackgroundColor(UIColor::colorWithWhite(0.78, 1));
  view->addSubview(rule);
  return view;
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
  auto list = make<UIView>(CGRectMake(0, kBarHeight, b.size.width, count * kRowHeight));
  list->setClipsToBounds(true);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    list->addSubview(rowView(rows[i], static_cast<double>(i) * kRowHeight, at));
  }
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
