// CallBar's classes, registered together by a host program that has CallBar installed.
#include "apps/CallBarCallRecords.h"
#include "apps/CallBarListRows.h"
#include "apps/HostClasses.h"

namespace sim::hosts {

void registerCallBarClasses() {
  callbar::registerCallRecordClasses();
  callbar::registerCallBarControllerClass();
  callbar::registerCallBarListClass();
  callbar::registerCallBarCellClass();
}

}  // namespace sim::hosts
