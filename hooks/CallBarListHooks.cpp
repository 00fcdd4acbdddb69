// CallBar's recent-calls list and its cells.
#include "HookFamilies.h"
#include "HookInstaller.h"
#include "hosts/HostClasses.h"

namespace {
HostSignature::Void listViewDidLoad;
HostSignature::CellForRow listCellForRow;
HostSignature::Void listDealloc;
HostSignature::InitWithStyle cellInitWithStyle;
HostSignature::Void cellLayoutSubviews;

void replacedListViewDidLoad(id self, SEL cmd) {
  callReplaced(listViewDidLoad, self, cmd);
}
void listSettingsChanged(id, SEL, id) {}
id replacedListCellForRow(id self, SEL cmd, id tableView, id indexPath) {
  return callReplaced(listCellForRow, self, cmd, tableView, indexPath);
}
void replacedListDealloc(id self, SEL cmd) {
  callReplaced(listDealloc, self, cmd);
}
id replacedCellInitWithStyle(id self, SEL cmd, long style, id reuseIdentifier) {
  return callReplaced(cellInitWithStyle, self, cmd, style, reuseIdentifier);
}
void cellInitialize(id, SEL) {}
void replacedCellLayoutSubviews(id self, SEL cmd) {
  callReplaced(cellLayoutSubviews, self, cmd);
}
}  // namespace

void installCallBarListHooks() {
  const char* list = "CallBarABViewController";
  const char* cell = "CallBarTableViewTransparentCell";
  hookMessage(list, "viewDidLoad", replacedListViewDidLoad, &listViewDidLoad);
  addMessage(list, "talvoCBSettingsChanged:", listSettingsChanged, "v@:@@");
  hookMessage(list, "tableView:cellForRowAtIndexPath:", replacedListCellForRow, &listCellForRow);
  hookMessage(list, "dealloc", replacedListDealloc, &listDealloc);
  hookMessage(cell, "initWithStyle:reuseIdentifier:", replacedCellInitWithStyle,
              &cellInitWithStyle);
  addMessage(cell, "initialize", cellInitialize, "v@:");
  hookMessage(cell, "layoutSubviews", replacedCellLayoutSubviews, &cellLayoutSubviews);
}
