// The system's contact lists that CallBar shows: a contact picture at the leading edge of every
// row and the row's text moved aside for it, in SpringBoard and CallBar's view service only.
// Everything happens while the host asks for or lays out a cell; nothing is deferred.
#include <atomic>
#include <string>

#include "HookFamilies.h"
#include "HookInstaller.h"
#include "PlaceholderPicture.h"
#include "SettingsSwitches.h"
#include "TalvoCBModuleState.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+Probes.h"
#include "TalvoCBUtils+Retrieval.h"
#include "apps/HostClasses.h"
#include "contacts/CNContact.h"
#include "foundation/NSStringTrimming.h"
#include "foundation/NSValueTypes.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UILabel.h"
#include "uikit/UITableViewCell.h"

namespace {
HostSignature::CellForRow cnListCellForRow;
HostSignature::Void cnCellLayoutSubviews;
HostSignature::DrawText abMemberCellDrawText;
HostSignature::Void abMemberCellLayoutSubviews;
HostSignature::CellForRow abMembersCellForRow;
HostSignature::CellForRow abFilteredMembersCellForRow;

constexpr long kPictureTag = 3232;
constexpr double kPicture = 40, kInset = 2, kTop = 1;
constexpr double kTextStart = 50, kNameViewStart = 40, kTrailing = 15, kTrailingEditing = 25;
constexpr double kEditingPictureX = 37, kFitMargin = 45, kWideFitMargin = 95;
constexpr double kDrawWindowStart = 207, kDrawWindowEnd = 247, kDrawWidening = 40;

// A settings change reloads every list that has asked: after a search the main list is still
// there beneath the results.
void keepContactsTable(const id& tableView) {
  TalvoCBModuleState::rememberContactsTableView(tableView);
}

std::shared_ptr<UIImageView> pictureViewOf(const std::shared_ptr<UIView>& cell) {
  return cast<UIImageView>(cell->viewWithTag(kPictureTag));
}

void removePictureView(const std::shared_ptr<UIView>& cell) {
  if (auto pictureView = pictureViewOf(cell)) {
    pictureView->setImage(nullptr);
    pictureView->removeFromSuperview();
  }
}

std::shared_ptr<UIImageView> addPictureView(const std::shared_ptr<UIView>& cell, CGRect frame) {
  auto pictureView = make<UIImageView>(frame);
  pictureView->setTag(kPictureTag);
  cell->addSubview(pictureView);
  return pictureView;
}

bool isRightToLeft(const std::shared_ptr<UIView>& cell) {
  if (UIApplication::sharedApplication()->userInterfaceLayoutDirection() ==
      UIUserInterfaceLayoutDirectionRightToLeft) {
    return true;
  }
  return UIView::respondsToUserInterfaceLayoutDirection() &&
         UIView::userInterfaceLayoutDirectionForSemanticContentAttribute(
             cell->semanticContentAttribute()) == UIUserInterfaceLayoutDirectionRightToLeft;
}

CGRect cnPictureFrame(const std::shared_ptr<UIView>& cell) {
  double x = isRightToLeft(cell) ? cell->bounds().size.width - kInset - kPicture : kInset;
  return CGRectMake(x, kTop, kPicture, kPicture);
}

// Every row asks these: a lookup by name takes the runtime's lock and hashes the name each time.
// A class is kept once it exists (a host registers its classes before it asks for rows).
SEL selectorRecordID() {
  static const SEL recordID = sel_registerName("recordID");
  return recordID;
}
Class contactListCellClass() {
  static std::atomic<Class> known{nullptr};
  Class cls = known.load(std::memory_order_relaxed);
  if (!cls) {
    cls = objc_getClass("CNContactListTableViewCell");
    known.store(cls, std::memory_order_relaxed);
  }
  return cls;
}

int32_t recordIDOf(const id& object) {
  if (!object || !respondsToSelector(object, selectorRecordID())) return -1;
  return objc_msgSend<int32_t()>(object, selectorRecordID());
}

std::shared_ptr<NSArray> pictureKeys() {
  return make<NSArray>(
      std::vector<id>{NSString::stringWithUTF8String(CNContactThumbnailImageDataKey),
                      NSString::stringWithUTF8String(CNContactImageDataAvailableKey),
                      NSString::stringWithUTF8String(CNContactGivenNameKey)});
}

// The list's contact when it was fetched with the picture keys, else the store's.
id contactWithPictureKeys(const id& contact) {
  auto keys = pictureKeys();
  if (objc_msgSend<bool(id)>(contact, "areKeysAvailable:", id(keys))) return contact;
  id favorites = objc_msgSendClass<id()>("CNFavorites", "sharedInstance");
  id store = favorites ? objc_msgSend<id()>(favorites, "store") : nullptr;
  if (!store) return nullptr;
  return objc_msgSend<id(id, id, id*)>(store, "unifiedContactWithIdentifier:keysToFetch:error:",
                                       objc_msgSend<id()>(contact, "identifier"), id(keys),
                                       static_cast<id*>(nullptr));
}

// The row's title gives the monogram: of two names split by a tab, the second.
OptionalString monogramTextOfTitle(const std::shared_ptr<UITableViewCell>& cell) {
  auto label = cast<UILabel>(cell->textLabel());
  std::string title = label && label->text() ? *label->text() : "";
  std::size_t tab = title.rfind('\t');
  std::string piece = tab == std::string::npos ? title : title.substr(tab + 1);
  return TalvoCBUtils::monogramTextFromName(stringByTrimmingWhitespaceAndNewlines(piece));
}

void setCNPicture(const std::shared_ptr<UITableViewCell>& cell,
                  const std::shared_ptr<UIImageView>& pictureView, const id& listContact) {
  int32_t contactID = recordIDOf(listContact);
  if (contactID < 1) {
    pictureView->setImage(TalvoCBUtils::defaultImage());
    return;
  }
  if (UIImagePtr cached = TalvoCBUtils::getContactImageInCache(contactID)) {
    pictureView->setImage(cached);
    return;
  }
  pictureView->setImage(TalvoCBUtils::defaultImage());
  id contact = contactWithPictureKeys(listContact);
  bool dataAvailable = contact && objc_msgSend<bool()>(contact, "imageDataAvailable");
  if (dataAvailable) {
    auto data = cast<NSData>(objc_msgSend<id()>(contact, "thumbnailImageData"));
    if (data && data->length() > 0) {
      if (UIImagePtr photo = TalvoCBUtils::getImageFromImageData(data, contactID)) {
        pictureView->setImage(photo);
      }
      return;
    }
  }
  if (monogramsOn()) {
    pictureView->setImage(TalvoCBUtils::monogramImage(monogramTextOfTitle(cell), contactID));
    return;
  }
  UIImagePtr placeholder = placeholderPicture();
  if (dataAvailable) TalvoCBUtils::setContactImage(placeholder, contactID);
  pictureView->setImage(placeholder);
}

id replacedCNListCellForRow(id self, SEL cmd, id tableView, id indexPath) {
  id result = callReplaced(cnListCellForRow, self, cmd, tableView, indexPath);
  auto cell = cast<UITableViewCell>(result);
  if (!isCallBarHost() || !cell || !isKindOfClass(cell, contactListCellClass())) return result;
  keepContactsTable(tableView);
  if (!picturesOnContacts()) {
    removePictureView(cell);
    return result;
  }
  auto pictureView = pictureViewOf(cell);
  if (!pictureView) pictureView = addPictureView(cell, CGRectZero);
  pictureView->setFrame(cnPictureFrame(cell));
  static const SEL contact = sel_registerName("contact");
  setCNPicture(cell, pictureView, objc_msgSend<id()>(cell, contact));
  return result;
}

double textWidth(const std::shared_ptr<UILabel>& label) {
  auto attributes = make<NSDictionary>();
  attributes->setObject(id(label->font()), NSFontAttributeName);
  return NSStringSizeWithAttributes(label->text().value_or(""), attributes).width;
}

void moveLabel(const std::shared_ptr<UIView>& view, double cellWidth, bool rightToLeft) {
  auto label = cast<UILabel>(view);
  if (!label) return;
  CGRect frame = label->frame();
  double width = textWidth(label);
  if (!rightToLeft) {
    frame.origin.x = kTextStart;
    if (width + kPicture + kPicture + kTrailing > cellWidth) frame.size.width -= kPicture;
  } else if (width + kPicture + 5 <= cellWidth) {
    frame.origin.x -= kPicture;
  } else {
    frame.size.width -= kPicture;
  }
  label->setFrame(frame);
}

void replacedCNCellLayoutSubviews(id self, SEL cmd) {
  callReplaced(cnCellLayoutSubviews, self, cmd);
  auto cell = cast<UITableViewCell>(self);
  if (!cell || !isCallBarHost() || !picturesOnContacts()) return;
  bool rightToLeft = isRightToLeft(cell);
  double width = cell->frame().size.width;
  moveLabel(cell->textLabel(), width, rightToLeft);
  moveLabel(cell->detailTextLabel(), width, rightToLeft);
  // A new cell has no width yet when it is asked for: its trailing picture is placed here.
  if (auto pictureView = pictureViewOf(cell)) pictureView->setFrame(cnPictureFrame(cell));
}

id membersCellForRow(id result, const id& tableView, bool filtered) {
  if (!isCallBarHost()) return result;
  keepContactsTable(tableView);
  if (filtered && !TalvoCBUtils::isIOS_7()) return result;
  auto cell = cast<UITableViewCell>(result);
  if (!cell || !isKindOfClass(cell, objc_getClass("ABMemberCell"))) return result;
  if (!picturesOnContacts()) {
    removePictureView(cell);
    return result;
  }
  auto pictureView = pictureViewOf(cell);
  if (!pictureView)
    pictureView = addPictureView(cell, CGRectMake(kInset, kTop, kPicture, kPicture));
  id person = objc_msgSend<id()>(cell, "person");
  int32_t contactID = recordIDOf(person);
  if (contactID < 1) {
    pictureView->setImage(TalvoCBUtils::defaultImage());
    return result;
  }
  if (UIImagePtr cached = TalvoCBUtils::getContactImageInCache(contactID)) {
    pictureView->setImage(cached);
    return result;
  }
  pictureView->setImage(TalvoCBUtils::defaultImage());
  id photoPerson = objc_msgSend<id()>(person, "preferredPersonForPhoto");
  auto data = photoPerson ? cast<NSData>(objc_msgSend<id()>(photoPerson, "preferredPhotoThumbnail"))
                          : nullptr;
  if (data && data->length() > 0) {
    if (UIImagePtr photo = TalvoCBUtils::getImageFromImageData(data, contactID)) {
      pictureView->setImage(photo);
    }
    return result;
  }
  if (monogramsOn()) {
    pictureView->setImage(
        TalvoCBUtils::monogramImage(TalvoCBUtils::monogramTextFromAB(contactID), contactID));
    return result;
  }
  UIImagePtr placeholder = placeholderPicture();
  TalvoCBUtils::setContactImage(placeholder, contactID);
  pictureView->setImage(placeholder);
  return result;
}

id replacedABMembersCellForRow(id self, SEL cmd, id tableView, id indexPath) {
  id result = callReplaced(abMembersCellForRow, self, cmd, tableView, indexPath);
  return membersCellForRow(result, tableView, false);
}
id replacedABFilteredMembersCellForRow(id self, SEL cmd, id tableView, id indexPath) {
  id result = callReplaced(abFilteredMembersCellForRow, self, cmd, tableView, indexPath);
  return membersCellForRow(result, tableView, true);
}

bool isEditingView(const id& view) {
  return view && objc_msgSend<bool()>(view, "isEditing");
}

void replacedABMemberCellLayoutSubviews(id self, SEL cmd) {
  callReplaced(abMemberCellLayoutSubviews, self, cmd);
  auto cell = cast<UITableViewCell>(self);
  if (!cell || !TalvoCBUtils::isIOS_7() || !isCallBarHost()) return;
  auto pictureView = pictureViewOf(cell);
  std::shared_ptr<UIView> nameView = respondsToSelector(self, sel_registerName("contactNameView"))
                                         ? cast<UIView>(objc_msgSend<id()>(self, "contactNameView"))
                                         : cell->contentView();
  double screenWidth = TalvoCBUtils::screenWidth();
  double trailing = cell->isEditing() ? kTrailingEditing : kTrailing;
  CGRect name = nameView ? nameView->frame() : CGRectZero;
  if (!picturesOnContacts()) {
    if (pictureView) pictureView->setImage(nullptr);
    if (nameView)
      nameView->setFrame(CGRectMake(0, name.origin.y, screenWidth - trailing, name.size.height));
    return;
  }
  if (nameView) {
    nameView->setFrame(CGRectMake(kNameViewStart, name.origin.y,
                                  screenWidth - kNameViewStart - trailing, name.size.height));
  }
  if (!pictureView) return;
  bool editing = cell->isEditing() && isEditingView(objc_msgSend<id()>(self, "parentTableView"));
  pictureView->setFrame(CGRectMake(editing ? kEditingPictureX : kInset, kTop, kPicture, kPicture));
  int32_t contactID = recordIDOf(objc_msgSend<id()>(self, "person"));
  UIImagePtr cached = contactID >= 1 ? TalvoCBUtils::getContactImageInCache(contactID) : nullptr;
  pictureView->setImage(cached ? cached : placeholderPicture());
}

CGSize replacedABMemberCellDrawText(id self, SEL cmd, id text, id color, id shadowColor,
                                    CGSize shadowOffset, CGPoint point, float width, id font,
                                    long lineBreakMode) {
  if (isCallBarHost() && picturesOnContacts()) {
    double end = point.x + static_cast<double>(width);
    if (end >= kDrawWindowStart && end < kDrawWindowEnd) width += static_cast<float>(kDrawWidening);
  }
  return callReplaced(abMemberCellDrawText, self, cmd, text, color, shadowColor, shadowOffset,
                      point, width, font, lineBreakMode);
}
}  // namespace

void installCNContactListHooks() {
  hookMessage("CNContactListViewController",
              "tableView:cellForRowAtIndexPath:", replacedCNListCellForRow, &cnListCellForRow);
  hookMessage("CNContactListTableViewCell", "layoutSubviews", replacedCNCellLayoutSubviews,
              &cnCellLayoutSubviews);
}

void installABMemberListHooks() {
  hookMessage("ABMemberCell",
              "_drawText:withColor:shadowColor:shadowOffset:atPoint:forWidth:withFont:"
              "lineBreakMode:",
              replacedABMemberCellDrawText, &abMemberCellDrawText);
  hookMessage("ABMemberCell", "layoutSubviews", replacedABMemberCellLayoutSubviews,
              &abMemberCellLayoutSubviews);
  hookMessage("ABMembersDataSource",
              "tableView:cellForRowAtIndexPath:", replacedABMembersCellForRow,
              &abMembersCellForRow);
  hookMessage("ABMembersFilteredDataSource",
              "tableView:cellForRowAtIndexPath:", replacedABFilteredMembersCellForRow,
              &abFilteredMembersCellForRow);
}
