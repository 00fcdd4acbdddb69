// The system's contact-list classes, registered by a host program that has them.
#pragma once

namespace contactlists {

void registerContactStoreClasses();
void registerContactListClasses();
void registerMemberListClasses();

}  // namespace contactlists
