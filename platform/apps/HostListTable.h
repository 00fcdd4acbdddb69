// The table a host's list controller shows: it fills the controller's view, the controller is
// its data source, and it is kept in the controller's "_tableView" variable, which the
// controller's `tableView` method answers.
#pragma once

#include <memory>

#include "runtime/objc.h"
#include "uikit/UIColor.h"
#include "uikit/UITableView.h"
#include "uikit/UITableViewCell.h"

namespace standin::apps::detail {

std::shared_ptr<UITableView> addListTable(const id& controller,
                                          const std::shared_ptr<UIColor>& background,
                                          CGFloat rowHeight);
// The `tableView` method of such a controller.
id listTableView(id self, SEL);
// A cell of the list's kind: one the table keeps for reuse under the identifier, else a new cell
// of the class, made through the runtime so that a hooked initialiser runs.
std::shared_ptr<UITableViewCell> reusedOrNewCell(UITableView& table, const char* identifier,
                                                 Class cellClass);

}  // namespace standin::apps::detail
