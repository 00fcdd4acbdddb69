// What CallBar's classes share among their files: the device's version and direction, the
// party's card in the address book, the pictures the package draws, and its files.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "addressbook/ABTypes.h"
#include "foundation/NSValueTypes.h"
#include "uikit/CGGeometry.h"
#include "uikit/UIImage.h"

class UITableViewCell;

namespace callbar {

// The side of the party's picture in the overlay and of a favourite's button, in points.
inline constexpr CGFloat kPictureSide = 60;

bool systemVersionAtLeast(double version);
bool rightToLeft();

// Frames from the leading edge of a width: mirrored in a right-to-left layout.
struct Leading {
  CGFloat width;
  bool mirrored;
  CGRect operator()(CGFloat x, CGFloat y, CGFloat w, CGFloat h) const {
    return CGRectMake(mirrored ? width - x - w : x, y, w, h);
  }
};

// The address book, as the package reads it.
ABRecordRef findPerson(ABAddressBookRef book, const std::string& address);
// First and last name; empty when the card has none.
std::string personName(ABRecordRef person);
// The label of the person's value matching the address ("mobile", "home", "iPhone"); empty when
// none matches.
std::string addressLabel(ABRecordRef person, const std::string& address);
// A number as the address book writes it; an e-mail address as it is.
std::string displayAddress(const std::string& address);
bool isEmailAddress(const std::string& address);

// Pictures. The party's picture comes from the monogrammer, sent through the runtime, and is nil
// when there is no monogrammer or it answers nothing.
UIImagePtr monogramFor(const id& monogrammer, ABRecordRef person);
UIImagePtr silhouette(CGFloat size);
UIImagePtr handsetIcon(CGFloat size, bool hangUp);
UIImagePtr callArrowIcon(bool missed);
UIImagePtr detailButtonIcon();
UIImagePtr deleteControlIcon();

// The favourites file: at most kCallBarMaxFavorites, in order.
struct Favorite {
  std::string name;
  std::string address;
  int32_t recordID = 0;
};
std::vector<Favorite> readFavorites();
// The history file: entries of "address" and "calls" (call records, newest first). Unreadable,
// missing or malformed parts give nothing.
std::vector<id> readHistory();
// The entries with missed calls, each with its missed calls alone.
std::vector<id> missedEntries(const std::vector<id>& entries);

// Call records: runtime classes that answer uid, addressBookRecordId and callerName in the
// combinations the file gives. What the list draws of one:
struct CallFacts {
  double date = 0;  // seconds since the reference date
  bool missed = false;
  bool outgoing = false;
  std::string label;
};
id makeCallRecord(const std::shared_ptr<NSDictionary>& call);
CallFacts callFacts(const id& record);
void registerCallRecordClasses();

// Rows of the list.
void registerCallBarCellClass();
void fillCell(const std::shared_ptr<UITableViewCell>& cell, const id& entry, ABAddressBookRef book);
void registerCallBarListClass();
void registerCallBarControllerClass();

}  // namespace callbar
