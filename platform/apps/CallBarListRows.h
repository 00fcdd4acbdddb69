// The rows of CallBar's recent-calls list, and the classes of the list and the overlay.
#pragma once

#include <memory>

#include "addressbook/ABTypes.h"
#include "runtime/objc.h"

class UITableViewCell;

namespace callbar {

void registerCallBarCellClass();
void fillCell(const std::shared_ptr<UITableViewCell>& cell, const id& entry, ABAddressBookRef book);
void registerCallBarListClass();
void registerCallBarControllerClass();

}  // namespace callbar
