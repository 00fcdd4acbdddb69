#include "apps/ContactListLook.h"

#include "uikit/UIColor.h"

namespace contactlists {

std::shared_ptr<UIColor> separatorColour() {
  return UIColor::colorWithRed(0.78, 0.78, 0.8, 1);
}

}  // namespace contactlists
