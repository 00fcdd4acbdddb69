// The host applications' own classes that the hook module replaces methods of: CallBar's
// controller, list controller and cell, the system's monogrammers and contact lists. A host
// program registers the families it has; a process without CallBar simply lacks those classes.
// The controllers subclass UIViewController and the cells UITableViewCell, so that
// class_createInstance makes real controllers and cells; where a host class has its own body of a
// platform method (viewDidLoad, layoutSubviews, initWithStyle:reuseIdentifier:, dealloc), that
// body calls super.
#pragma once

#include <string>
#include <vector>

#include "addressbook/ABTypes.h"
#include "coregraphics/CGGeometry.h"
#include "runtime/objc.h"

// The signatures of the host methods, shared by the hosts and the hook module.
namespace HostSignature {
using Void = void (*)(id, SEL);
using Object = id (*)(id, SEL);
using ObjectFromObject = id (*)(id, SEL, id);
using VoidWithObject = void (*)(id, SEL, id);
using VoidWithDuration = void (*)(id, SEL, double);
using CellForRow = id (*)(id, SEL, id tableView, id indexPath);
using MonogramForContact = id (*)(id, SEL, id contact, bool* isContactImage);
using MonogramForPerson = id (*)(id, SEL, ABRecordRef person, bool* isPersonImage);
using InitWithStyle = id (*)(id, SEL, long style, id reuseIdentifier);
using DrawText = CGSize (*)(id, SEL, id text, id color, id shadowColor, CGSize shadowOffset,
                            CGPoint point, float width, id font, long lineBreakMode);
}  // namespace HostSignature

namespace standin::apps {

// CallBar: CallBarControllerModern, CallBarABViewController, CallBarTableViewTransparentCell.
void registerCallBarClasses();
// The Contacts framework (version 9 on): CNMonogrammer, CNContactListViewController,
// CNContactListTableViewCell, CNFavorites and its CNContactStore.
void registerContactsClasses();
// AddressBook UI: ABMonogrammer, ABMemberCell (with its ABPerson objects), ABMembersDataSource,
// ABMembersFilteredDataSource, ABMembersViewController.
void registerAddressBookUIClasses();

// Host methods ("Class selector") to register with another type than their own, as a host
// version that changed them would; set before the families are registered.
void setMistypedHostMethods(std::vector<std::string> methods);

// A host method as the host registered it, to tell later whether it was replaced.
struct HostMethod {
  std::string className;
  std::string selector;
  IMP original;
};
const std::vector<HostMethod>& registeredHostMethods();

}  // namespace standin::apps
