#include "UITableViewCell+TalvoCB1.h"

std::shared_ptr<UITableView> parentTableView(const std::shared_ptr<UIView>& cell) {
  for (auto view = cell ? cell->superview() : nullptr; view; view = view->superview()) {
    if (auto table = std::dynamic_pointer_cast<UITableView>(view)) return table;
  }
  return nullptr;
}
