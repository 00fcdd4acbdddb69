// Call records: runtime classes that answer uid, addressBookRecordId and callerName in the
// combinations the history file gives.
#pragma once

#include <memory>
#include <string>

#include "foundation/NSValueTypes.h"

namespace callbar {

// What the list draws of one call.
struct CallFacts {
  double date = 0;  // seconds since the reference date
  bool missed = false;
  bool outgoing = false;
  std::string label;
};
id makeCallRecord(const std::shared_ptr<NSDictionary>& call);
CallFacts callFacts(const id& record);
void registerCallRecordClasses();

}  // namespace callbar
