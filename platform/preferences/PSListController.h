// The Preferences framework's list page: a grouped table of specifier rows (groups with their
// header and footer texts, switches, buttons, links to other pages), loaded from a property-list
// resource of the page's bundle. Subclasses (a pane's pages) are runtime classes whose methods
// override the base ones; the page reaches them through the runtime, as the Settings application
// does. Main thread only.
//
// Runtime methods: initForContentSize: (id(CGSize)), specifiers (id()),
// loadSpecifiersFromPlistName:target: (id(id, id)), insertSpecifier:atIndex:animated:
// (void(id, long, bool)), removeSpecifierAtIndex:animated: (void(long, bool)),
// setPreferenceValue:specifier: and readPreferenceValue: (void(id, id), id(id)),
// presentModalViewController:animated: and dismissModalViewControllerAnimated:, the switches'
// action switchValueChanged: (void(id)).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "foundation/NSBundle.h"
#include "preferences/PSSpecifier.h"
#include "uikit/UISwitch.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

class PSListController : public UIViewController {
 public:
  static Class class_();

  // The bundle the page's resources come from; the Settings application sets it.
  std::shared_ptr<NSBundle> bundle() const { return bundle_; }
  void setBundle(const std::shared_ptr<NSBundle>& bundle) { bundle_ = bundle; }

  // The base class's list (_specifiers); nil until a page builds it.
  std::shared_ptr<NSArray> specifiersList() const { return specifiers_; }
  void setSpecifiersList(const std::shared_ptr<NSArray>& list);
  // [self specifiers] through the runtime, as rows: what the page shows.
  std::vector<std::shared_ptr<PSSpecifier>> shownSpecifiers();

  // The row of the specifier whose key or title is given, shown first when needed.
  std::shared_ptr<PSSpecifier> specifierWithKey(const std::string& key);
  std::shared_ptr<PSSpecifier> specifierNamed(const std::string& title);
  std::shared_ptr<UITableViewCell> cellForSpecifier(const std::shared_ptr<PSSpecifier>& specifier);

  // The switch of a switch row, shown first when needed; nil for any other row. The page is its
  // target for value-changed (switchValueChanged:), which sends the row's setter the new value:
  // a finger's turn is setOn: and sendActionsForControlEvents: on it.
  std::shared_ptr<UISwitch> switchForSpecifier(const std::shared_ptr<PSSpecifier>& specifier);
  // What a finger does to a button or link row: sends the button's action; a link answers the
  // page it opens (made, given the bundle, sized), else nil.
  std::shared_ptr<PSListController> tap(const std::shared_ptr<PSSpecifier>& specifier);

  std::shared_ptr<UITableView> table() const { return table_; }
  // The page's title from its resource, shown in the bar above the rows.
  std::string title;
  // The back button's title: the page this one was opened from (the Settings application's own
  // list for a pane's first page); none shows no back button.
  std::string backTitle = "Settings";
  void reloadSpecifiers();

 protected:
  friend struct objc_alloc;
  friend struct PSListControllerRuntime;
  explicit PSListController(Class cls);

 private:
  std::shared_ptr<NSBundle> bundle_;
  std::shared_ptr<NSArray> specifiers_;
  std::shared_ptr<UITableView> table_;
};
