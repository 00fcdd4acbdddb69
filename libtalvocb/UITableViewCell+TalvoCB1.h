// UITableViewCell (TalvoCB1).
#pragma once

#include <memory>

#include "uikit/UITableView.h"

// The nearest ancestor of the cell (through superview) that is a table view; nil when none.
std::shared_ptr<UITableView> parentTableView(const std::shared_ptr<UIView>& cell);
