// How a Preferences page looks: a bar with the page's title over a grouped table. Rows of a group
// are white with a hairline between them; a group row is the gap that opens the group, carrying
// the previous group's footer and its own header; one more row at the end carries the last
// group's footer.
#pragma once

#include <memory>
#include <vector>

#include "preferences/PSSpecifier.h"
#include "uikit/UITableView.h"

class PSListController;

namespace psl {

// The page's view; *table is set to the table inside it, whose data source is the page.
std::shared_ptr<UIView> makePageView(const std::shared_ptr<PSListController>& page,
                                     std::shared_ptr<UITableView>& table);
// Row `row` of the rows (the one after the last is the closing footer).
std::shared_ptr<UITableViewCell> makeRowCell(const std::shared_ptr<PSListController>& page,
                                             const std::vector<std::shared_ptr<PSSpecifier>>& rows,
                                             long row, CGFloat width);
// The row a switch made by makeRowCell belongs to.
std::shared_ptr<PSSpecifier> specifierOfControl(const id& control);
double rowHeight(const std::vector<std::shared_ptr<PSSpecifier>>& rows, long row, CGFloat width);

}  // namespace psl
