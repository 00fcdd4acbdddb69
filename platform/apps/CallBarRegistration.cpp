// CallBar's classes, registered together by a host program that has CallBar installed.
#include "apps/CallBarCallRecords.h"
#include "apps/CallBarListRows.h"
#include "apps/HostClasses.h"

namespace standin::apps {

void registerCallBarClasses() {
  callbar::registerCallRecordClasses();
  callbar::registerCallBarControllerClass();
  callbar::registerCallBarListClass();
  callbar::registerCallBarCellClass();
}

}  // namespace standin::apps
