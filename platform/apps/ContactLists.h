// The system's contact lists as a host program shows them.
#pragma once

#include <memory>
#include <optional>
#include <string>

class UIViewController;

namespace contactlists {

// AddressBook UI's members list: everyone, or with a search text the people it finds.
std::shared_ptr<UIViewController> makeMembersList(const std::optional<std::string>& searchText);

}  // namespace contactlists
