#include "apps/HostListTable.h"

#include "uikit/UIViewController.h"

namespace standin::apps::detail {

std::shared_ptr<UITableView> addListTable(const id& controller,
                                          const std::shared_ptr<UIColor>& background,
                                          CGFloat rowHeight) {
  auto owner = cast<UIViewController>(controller);
  if (!owner) return nullptr;
  auto view = owner->view();
  view->setBackgroundColor(background);
  auto table = make<UITableView>(view->bounds());
  table->setBackgroundColor(background);
  table->setClipsToBounds(true);
  table->setRowHeight(rowHeight);
  table->setDataSource(controller);
  view->addSubview(table);
  object_setIvar(controller, "_tableView", table);
  return table;
}

id listTableView(id self, SEL) {
  return object_getIvar<id>(self, "_tableView");
}

std::shared_ptr<UITableViewCell> reusedOrNewCell(UITableView& table, const char* identifier,
                                                 Class cellClass) {
  if (auto cell = table.dequeueReusableCellWithIdentifier(identifier)) return cell;
  return UITableViewCell::cellWithStyle(UITableViewCellStyleDefault, std::string(identifier),
                                        cellClass);
}

}  // namespace standin::apps::detail
