#include "preferences/PSListController.h"

#include <algorithm>

#include "foundation/NSLog.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/PropertyList.h"
#include "preferences/NSUserDefaults.h"
#include "preferences/PSListCells.h"
#include "uikit/UISwitch.h"
#include "uikit/UIWindow.h"

namespace {

std::shared_ptr<PSListController> pageOf(const id& self) {
  return cast<PSListController>(self);
}

id makePage(Class cls) {
  return objc_alloc::make<PSListController>(cls);
}

}  // namespace

struct PSListControllerRuntime {
  static id initForContentSize(id self, SEL, CGSize) { return self; }
  static id specifiers(id self, SEL) {
    auto page = pageOf(self);
    return page ? page->specifiers_ : nullptr;
  }
  static id loadSpecifiers(id self, SEL, id name, id target) {
    auto page = pageOf(self);
    auto list = make<NSArray>();
    auto resource = stringValue(name);
    auto path = page && page->bundle_ && resource
                    ? page->bundle_->pathForResource(*resource, std::string("plist"))
                    : std::nullopt;
    auto root =
        path ? cast<NSDictionary>(NSDictionary::dictionaryWithContentsOfFile(*path)) : nullptr;
    auto items = root ? cast<NSArray>(root->objectForKey("items")) : nullptr;
    if (!items) {
      NSLog("PSListController: no specifiers in %s", resource.value_or("(nil)").c_str());
      return list;
    }
    for (const id& item : items->items) {
      if (auto specifier = PSSpecifier::fromResourceItem(item, target)) {
        list->items.push_back(specifier);
      }
    }
    if (auto title = stringValue(root->objectForKey("title")); title && page) page->title = *title;
    return list;
  }
  static void insertSpecifier(id self, SEL, id specifier, long index, bool) {
    auto page = pageOf(self);
    if (!page || !cast<PSSpecifier>(specifier)) return;
    auto list = page->specifiers_ ? page->specifiers_ : make<NSArray>();
    if (index < 0 || index > static_cast<long>(list->items.size())) {
      NSLog("PSListController: no row %ld to insert at", index);
      return;
    }
    list->items.insert(list->items.begin() + index, specifier);
    page->setSpecifiersList(list);
  }
  static void removeSpecifier(id self, SEL, long index, bool) {
    auto page = pageOf(self);
    if (!page || !page->specifiers_) return;
    auto& items = page->specifiers_->items;
    if (index < 0 || index >= static_cast<long>(items.size())) {
      NSLog("PSListController: no row %ld to remove", index);
      return;
    }
    items.erase(items.begin() + index);
    page->reloadSpecifiers();
  }
  // Stores the value in the row's defaults domain and announces the row's notification; a value
  // that could not be stored is not announced.
  static void setPreferenceValue(id, SEL, id value, id specifierObject) {
    auto specifier = cast<PSSpecifier>(specifierObject);
    if (!specifier) return;
    auto key = specifier->key();
    auto domain = specifier->defaultsDomain();
    if (key && domain) {
      auto defaults = NSUserDefaults::standardUserDefaults();
      defaults->setObject(value, *key, *domain);
      if (!defaults->synchronize()) {
        NSLog("PSListController: %s was not stored, so not announced: %s", key->c_str(),
              defaults->lastFailure().value_or("").c_str());
        return;
      }
    }
    if (auto name = specifier->postNotification()) {
      CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), *name,
                                           nullptr, nullptr, true);
    }
  }
  // The value-changed action of a row's switch: the row's setter gets the switch's new value.
  static void switchValueChanged(id self, SEL, id sender) {
    auto control = cast<UISwitch>(sender);
    auto specifier = control ? psl::specifierOfControl(control) : nullptr;
    if (!specifier) return;
    id target = specifier->target() ? specifier->target() : self;
    SEL setter =
        sel_registerName(specifier->setter.value_or("setPreferenceValue:specifier:").c_str());
    objc_msgSend<void(id, id)>(target, setter, id(NSNumber::numberWithBool(control->isOn())),
                               id(specifier));
  }
  static id readPreferenceValue(id, SEL, id specifierObject) {
    auto specifier = cast<PSSpecifier>(specifierObject);
    if (!specifier) return nullptr;
    auto key = specifier->key();
    auto domain = specifier->defaultsDomain();
    id stored =
        key && domain ? NSUserDefaults::standardUserDefaults()->objectForKey(*key, *domain) : id();
    return stored ? stored : specifier->propertyForKey("default");
  }
  static void presentModal(id self, SEL, id controller, bool animated) {
    if (auto page = pageOf(self)) {
      page->presentViewController(cast<UIViewController>(controller), animated, nullptr);
    }
  }
  static void dismissModal(id self, SEL, bool animated) {
    if (auto page = pageOf(self)) page->dismissViewControllerAnimated(animated, nullptr);
  }
  static void loadView(id self, SEL) {
    if (auto page = pageOf(self)) page->setView(psl::makePageView(page, page->table_));
  }
  static long numberOfRows(id self, SEL, id, long) {
    auto page = pageOf(self);
    return page ? static_cast<long>(page->shownSpecifiers().size()) + 1 : 0;
  }
  static id cellForRow(id self, SEL, id tableObject, id path) {
    auto page = pageOf(self);
    auto table = cast<UIView>(tableObject);
    auto indexPath = cast<NSIndexPath>(path);
    if (!page || !table || !indexPath) return nullptr;
    return psl::makeRowCell(page, page->shownSpecifiers(), indexPath->row(),
                            table->bounds().size.width);
  }
  static double heightForRow(id self, SEL, id tableObject, id path) {
    auto page = pageOf(self);
    auto table = cast<UIView>(tableObject);
    auto indexPath = cast<NSIndexPath>(path);
    if (!page || !table || !indexPath) return 0;
    return psl::rowHeight(page->shownSpecifiers(), indexPath->row(), table->bounds().size.width);
  }
};

Class PSListController::class_() {
  static Class cls = [] {
    using R = PSListControllerRuntime;
    Class c = objc_registerClass("PSListController", UIViewController::class_(), makePage);
    MethodAdder add{c};
    add("initForContentSize:", R::initForContentSize, "@@:{CGSize=dd}");
    add("specifiers", R::specifiers, "@@:");
    add("loadSpecifiersFromPlistName:target:", R::loadSpecifiers, "@@:@@");
    add("insertSpecifier:atIndex:animated:", R::insertSpecifier, "v@:@qB");
    add("removeSpecifierAtIndex:animated:", R::removeSpecifier, "v@:qB");
    add("setPreferenceValue:specifier:", R::setPreferenceValue, "v@:@@");
    add("readPreferenceValue:", R::readPreferenceValue, "@@:@");
    add("switchValueChanged:", R::switchValueChanged, "v@:@");
    add("presentModalViewController:animated:", R::presentModal, "v@:@B");
    add("dismissModalViewControllerAnimated:", R::dismissModal, "v@:B");
    add("loadView", R::loadView, "v@:");
    add("tableView:numberOfRowsInSection:", R::numberOfRows, "q@:@q");
    add("tableView:cellForRowAtIndexPath:", R::cellForRow, "@@:@@");
    add("tableView:heightForRowAtIndexPath:", R::heightForRow, "d@:@@");
    return c;
  }();
  return cls;
}

PSListController::PSListController(Class cls) : UIViewController(cls) {}

void PSListController::setSpecifiersList(const std::shared_ptr<NSArray>& list) {
  specifiers_ = list;
  reloadSpecifiers();
}

void PSListController::reloadSpecifiers() {
  if (table_) table_->reloadData();
}

std::vector<std::shared_ptr<PSSpecifier>> PSListController::shownSpecifiers() {
  std::vector<std::shared_ptr<PSSpecifier>> rows;
  auto list = cast<NSArray>(objc_msgSend<id()>(shared_from_this(), "specifiers"));
  if (!list) return rows;
  for (const id& item : list->items) {
    if (auto specifier = cast<PSSpecifier>(item)) rows.push_back(specifier);
  }
  return rows;
}

std::shared_ptr<PSSpecifier> PSListController::specifierWithKey(const std::string& key) {
  for (const auto& specifier : shownSpecifiers()) {
    if (specifier->key() == key) return specifier;
  }
  return nullptr;
}

std::shared_ptr<PSSpecifier> PSListController::specifierNamed(const std::string& title) {
  for (const auto& specifier : shownSpecifiers()) {
    if (specifier->cellType() != PSGroupCell && specifier->name() == title) return specifier;
  }
  return nullptr;
}

namespace {
// A row cut by the table's edge is scrolled the rest of the way in, as a finger would before
// turning its switch: a row that shows only its top hides the switch.
std::shared_ptr<UITableViewCell> wholeOnScreen(UITableView& table,
                                               const std::shared_ptr<NSIndexPath>& path,
                                               const std::shared_ptr<UITableViewCell>& cell) {
  CGRect frame = cell->frame();
  CGFloat height = table.bounds().size.height, by = 0;
  if (frame.origin.y < 0) {
    by = frame.origin.y;
  } else if (frame.origin.y + frame.size.height > height) {
    by = std::min(frame.origin.y, frame.origin.y + frame.size.height - height);
  }
  if (by == 0) return cell;
  CGFloat most = std::max<CGFloat>(0, table.contentSize().height - height);
  table.setContentOffset(
      CGPointMake(0, std::clamp<CGFloat>(table.contentOffset().y + by, 0, most)));
  return table.cellForRowAtIndexPath(path);
}
}  // namespace

std::shared_ptr<UITableViewCell> PSListController::cellForSpecifier(
    const std::shared_ptr<PSSpecifier>& specifier) {
  view();
  auto rows = shownSpecifiers();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (rows[row] != specifier) continue;
    auto path = NSIndexPath::indexPathForRow(static_cast<long>(row), 0);
    if (auto cell = table_->cellForRowAtIndexPath(path)) return wholeOnScreen(*table_, path, cell);
    // Off screen: scroll it in, as a finger would.
    table_->setContentOffset(CGPointMake(0, 0));
    for (CGFloat y = 0; y < table_->contentSize().height; y += table_->bounds().size.height / 2) {
      table_->setContentOffset(CGPointMake(0, y));
      if (auto cell = table_->cellForRowAtIndexPath(path)) {
        return wholeOnScreen(*table_, path, cell);
      }
    }
  }
  return nullptr;
}

std::shared_ptr<UISwitch> PSListController::switchForSpecifier(
    const std::shared_ptr<PSSpecifier>& specifier) {
  auto cell = cellForSpecifier(specifier);
  return cell ? cast<UISwitch>(cell->accessoryView()) : nullptr;
}

std::shared_ptr<PSListController> PSListController::tap(
    const std::shared_ptr<PSSpecifier>& specifier) {
  cellForSpecifier(specifier);
  id target = specifier->target() ? specifier->target() : shared_from_this();
  if (specifier->action) {
    objc_msgSend<void(id)>(target, specifier->action->c_str(), id(specifier));
    return nullptr;
  }
  if (!specifier->detailClassName) return nullptr;
  auto page = cast<PSListController>(
      class_createInstance(objc_getClass(specifier->detailClassName->c_str())));
  if (!page) return nullptr;
  page->setBundle(bundle_);
  page = cast<PSListController>(
      objc_msgSend<id(CGSize)>(page, "initForContentSize:", view()->bounds().size));
  if (page) page->backTitle = title;
  return page;
}
