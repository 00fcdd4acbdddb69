// AddressBook UI's members list: its person objects and cells.
#pragma once

#include <string>

#include "addressbook/ABTypes.h"
#include "runtime/objc.h"

namespace contactlists {

id makePersonObject(ABRecordID recordID, std::string first, std::string last);
void setMemberCellPerson(const id& cell, const id& person);
void registerMemberCellClasses();

}  // namespace contactlists
