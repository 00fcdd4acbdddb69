// AddressBook UI's members list: ABMembersViewController shows a table whose data source is an
// ABMembersDataSource (everyone) or, while searching, an ABMembersFilteredDataSource (the people
// whose first or last name begins with the search text), with rows of ABMemberCell. The data
// source reads the book again on every reload.
#include <algorithm>

#include "apps/ContactListBook.h"
#include "apps/ContactListClasses.h"
#include "apps/ContactListLook.h"
#include "apps/ContactLists.h"
#include "apps/HostListTable.h"
#include "apps/HostMethods.h"
#include "apps/MemberRows.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

using standin::apps::detail::classNamed;
using standin::apps::detail::define;

namespace contactlists {
namespace {

constexpr const char* kControllerClass = "ABMembersViewController";
constexpr const char* kFilteredClass = "ABMembersFilteredDataSource";
constexpr const char* kCellIdentifier = "ABMemberCell";
constexpr CGFloat kSearchBarHeight = 44;

class MembersDataSource : public NSObject {
 public:
  explicit MembersDataSource(Class cls) : NSObject(cls) {}
  static std::shared_ptr<NSObject> make(Class cls) {
    return std::make_shared<MembersDataSource>(cls);
  }
  std::string searchText;
  // In the order the sections show them; each section's title and where its people start.
  std::vector<id> people;
  std::vector<std::pair<std::string, std::size_t>> sections;
};

bool isFiltered(const id& source) {
  return isKindOfClass(source, objc_getClass(kFilteredClass));
}

// Asked first by every reload: the people are read here. Search results are one section.
long numberOfSections(id self, SEL, id) {
  auto source = cast<MembersDataSource>(self);
  if (!source) return 0;
  source->people.clear();
  source->sections.clear();
  std::vector<ListSection> sections;
  if (isFiltered(self)) {
    sections.push_back({"", peopleMatching(source->searchText)});
  } else {
    sections = inSections(listedPeople());
  }
  for (const auto& section : sections) {
    source->sections.emplace_back(section.title, source->people.size());
    for (const auto& person : section.people) {
      source->people.push_back(makePersonObject(person.recordID, person.first, person.last));
    }
  }
  return static_cast<long>(source->sections.size());
}

// Where the section's people begin and end in `people`; nothing for no such section.
std::pair<std::size_t, std::size_t> sectionBounds(const MembersDataSource& source, long section) {
  if (section < 0 || section >= static_cast<long>(source.sections.size())) return {0, 0};
  auto at = static_cast<std::size_t>(section);
  std::size_t end =
      at + 1 < source.sections.size() ? source.sections[at + 1].second : source.people.size();
  return {source.sections[at].second, end};
}

long numberOfRows(id self, SEL, id, long section) {
  auto source = cast<MembersDataSource>(self);
  if (!source) return 0;
  auto [from, to] = sectionBounds(*source, section);
  return static_cast<long>(to - from);
}

id titleForHeader(id self, SEL, id, long section) {
  auto source = cast<MembersDataSource>(self);
  if (!source || section < 0 || section >= static_cast<long>(source->sections.size()) ||
      isFiltered(self)) {
    return nullptr;
  }
  return NSString::stringWithUTF8String(source->sections[static_cast<std::size_t>(section)].first);
}

id indexTitles(id self, SEL, id) {
  if (isFiltered(self)) return nullptr;
  std::vector<id> titles;
  for (const auto& title : sectionIndexTitles()) {
    titles.push_back(NSString::stringWithUTF8String(title));
  }
  return make<NSArray>(std::move(titles));
}

id cellForRow(id self, SEL, id tableView, id indexPath) {
  auto source = cast<MembersDataSource>(self);
  auto table = cast<UITableView>(tableView);
  auto path = cast<NSIndexPath>(indexPath);
  if (!source || !table || !path) return nullptr;
  auto cell = standin::apps::detail::reusedOrNewCell(*table, kCellIdentifier,
                                                     objc_getClass("ABMemberCell"));
  auto [from, to] = sectionBounds(*source, path->section());
  long row = path->row();
  if (cell && row >= 0 && from + static_cast<std::size_t>(row) < to) {
    setMemberCellPerson(cell, source->people[from + static_cast<std::size_t>(row)]);
    cell->setNeedsLayout();
  }
  return cell;
}

// The search field the filtered list is shown under.
std::shared_ptr<UIView> searchBar(const std::string& text) {
  auto bar = make<UIView>();
  bar->setBackgroundColor(UIColor::colorWithRed(0.79, 0.79, 0.81, 1));
  auto field = make<UIView>();
  field->setBackgroundColor(UIColor::whiteColor());
  field->layer()->setCornerRadius(5);
  auto label = make<UILabel>();
  label->setFont(UIFont::systemFontOfSize(14));
  label->setTextColor(UIColor::blackColor());
  label->setText(text);
  field->addSubview(label);
  bar->addSubview(field);
  return bar;
}

// The controller's view: the search bar (when searching) on top, the table under it, whatever
// size the view is given.
void membersViewLayoutSubviews(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass("ABMembersView"), self, cmd);
  auto view = cast<UIView>(self);
  if (!view) return;
  CGRect bounds = view->bounds();
  CGFloat top = 0;
  for (const auto& subview : view->subviews()) {
    if (cast<UITableView>(subview)) {
      subview->setFrame(
          CGRectMake(0, top, bounds.size.width, std::max<CGFloat>(0, bounds.size.height - top)));
      continue;
    }
    subview->setFrame(CGRectMake(0, 0, bounds.size.width, kSearchBarHeight));
    auto field = subview->subviews().front();
    field->setFrame(CGRectMake(8, 8, std::max<CGFloat>(0, bounds.size.width - 16), 28));
    field->subviews().front()->setFrame(
        CGRectMake(10, 0, std::max<CGFloat>(0, bounds.size.width - 36), 28));
    top = kSearchBarHeight;
  }
}

void loadView(id self, SEL) {
  auto controller = cast<UIViewController>(self);
  auto view = cast<UIView>(class_createInstance(objc_getClass("ABMembersView")));
  if (!controller || !view) return;
  view->setFrame(UIScreen::mainScreen()->bounds());
  controller->setView(view);
}

void viewDidLoad(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass(kControllerClass), self, cmd);
  auto controller = cast<UIViewController>(self);
  auto source = cast<MembersDataSource>(object_getIvar<id>(self, "_dataSource"));
  if (!controller || !source) return;
  auto view = controller->view();
  view->setBackgroundColor(UIColor::whiteColor());
  if (isKindOfClass(source, objc_getClass(kFilteredClass))) {
    view->addSubview(searchBar(source->searchText));
  }
  auto table = make<UITableView>();
  table->setBackgroundColor(UIColor::whiteColor());
  table->setClipsToBounds(true);
  table->setRowHeight(kRowHeight);
  table->setDataSource(source);
  view->addSubview(table);
  view->setNeedsLayout();
  view->layoutIfNeeded();
  object_setIvar(self, "_tableView", table);
  reloadOnAddressBookChange(table);
  objc_msgSend<void()>(table, "reloadData");
}

}  // namespace

std::shared_ptr<UIViewController> makeMembersList(const std::optional<std::string>& searchText) {
  Class sourceClass = objc_getClass(searchText ? kFilteredClass : "ABMembersDataSource");
  auto source = cast<MembersDataSource>(class_createInstance(sourceClass));
  auto controller = cast<UIViewController>(class_createInstance(objc_getClass(kControllerClass)));
  if (!source || !controller) return nullptr;
  source->searchText = searchText.value_or("");
  object_setIvar(controller, "_dataSource", id(source));
  return controller;
}

void registerMemberListClasses() {
  registerMemberCellClasses();
  Class source = classNamed("ABMembersDataSource", nullptr, MembersDataSource::make);
  define(source, "numberOfSectionsInTableView:", numberOfSections, "q@:@");
  define(source, "tableView:numberOfRowsInSection:", numberOfRows, "q@:@q");
  define(source, "tableView:titleForHeaderInSection:", titleForHeader, "@@:@q");
  define(source, "sectionIndexTitlesForTableView:", indexTitles, "@@:@");
  define(source, "tableView:cellForRowAtIndexPath:", cellForRow, "@@:@@");
  Class filtered = classNamed(kFilteredClass, source);
  define(filtered, "tableView:cellForRowAtIndexPath:", cellForRow, "@@:@@");
  Class view = classNamed("ABMembersView", UIView::class_());
  define(view, "layoutSubviews", membersViewLayoutSubviews, "v@:");
  Class controller = classNamed(kControllerClass, UIViewController::class_());
  define(controller, "loadView", loadView, "v@:");
  define(controller, "viewDidLoad", viewDidLoad, "v@:");
  define(controller, "tableView", standin::apps::detail::listTableView, "@@:");
}

}  // namespace contactlists
