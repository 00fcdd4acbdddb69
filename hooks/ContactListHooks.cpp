// The system's contact lists that CallBar shows.
#include "HookFamilies.h"
#include "HookInstaller.h"
#include "hosts/HostClasses.h"

namespace {
HostSignature::CellForRow cnListCellForRow;
HostSignature::Void cnCellLayoutSubviews;
HostSignature::DrawText abMemberCellDrawText;
HostSignature::Void abMemberCellLayoutSubviews;
HostSignature::CellForRow abMembersCellForRow;
HostSignature::CellForRow abFilteredMembersCellForRow;

id replacedCNListCellForRow(id self, SEL cmd, id tableView, id indexPath) {
  return callReplaced(cnListCellForRow, self, cmd, tableView, indexPath);
}
void replacedCNCellLayoutSubviews(id self, SEL cmd) {
  callReplaced(cnCellLayoutSubviews, self, cmd);
}
CGSize replacedABMemberCellDrawText(id self, SEL cmd, id text, id color, id shadowColor,
                                    CGSize shadowOffset, CGPoint point, float width, id font,
                                    long lineBreakMode) {
  return callReplaced(abMemberCellDrawText, self, cmd, text, color, shadowColor, shadowOffset,
                      point, width, font, lineBreakMode);
}
void replacedABMemberCellLayoutSubviews(id self, SEL cmd) {
  callReplaced(abMemberCellLayoutSubviews, self, cmd);
}
id replacedABMembersCellForRow(id self, SEL cmd, id tableView, id indexPath) {
  return callReplaced(abMembersCellForRow, self, cmd, tableView, indexPath);
}
id replacedABFilteredMembersCellForRow(id self, SEL cmd, id tableView, id indexPath) {
  return callReplaced(abFilteredMembersCellForRow, self, cmd, tableView, indexPath);
}
}  // namespace

void installCNContactListHooks() {
  hookMessage("CNContactListViewController",
              "tableView:cellForRowAtIndexPath:", replacedCNListCellForRow, &cnListCellForRow);
  hookMessage("CNContactListTableViewCell", "layoutSubviews", replacedCNCellLayoutSubviews,
              &cnCellLayoutSubviews);
}

void installABMemberListHooks() {
  hookMessage("ABMemberCell",
              "_drawText:withColor:shadowColor:shadowOffset:atPoint:forWidth:withFont:"
              "lineBreakMode:",
              replacedABMemberCellDrawText, &abMemberCellDrawText);
  hookMessage("ABMemberCell", "layoutSubviews", replacedABMemberCellLayoutSubviews,
              &abMemberCellLayoutSubviews);
  hookMessage("ABMembersDataSource",
              "tableView:cellForRowAtIndexPath:", replacedABMembersCellForRow,
              &abMembersCellForRow);
  hookMessage("ABMembersFilteredDataSource",
              "tableView:cellForRowAtIndexPath:", replacedABFilteredMembersCellForRow,
              &abFilteredMembersCellForRow);
}
