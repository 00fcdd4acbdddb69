// ABMemberCell, a row of AddressBook UI's members list (versions 7 and 8, still present on 9).
// Its name view draws the first name and then the last name in bold through the cell's
// _drawText:withColor:shadowColor:shadowOffset:atPoint:forWidth:withFont:lineBreakMode:, sent
// through the runtime. The row's person is an object (class ABPerson) that answers recordID,
// preferredPersonForPhoto (the linked card whose picture the system shows) and
// preferredPhotoThumbnail.
#include <algorithm>

#include "addressbook/ABAddressBook.h"
#include "apps/ContactListBook.h"
#include "apps/ContactListLook.h"
#include "apps/HostClasses.h"
#include "apps/HostMethods.h"
#include "apps/LayoutDirection.h"
#include "apps/MemberRows.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UITableView.h"

using standin::apps::detail::classNamed;
using standin::apps::detail::define;

namespace contactlists {
namespace {

constexpr const char* kCellClass = "ABMemberCell";
constexpr CGFloat kNameSize = 17, kNameGap = 4.5;
// While editing, the delete control takes the leading edge and the content moves aside.
constexpr CGFloat kEditingIndent = 38, kDeleteControl = 22, kDeleteControlX = 8;

// Holds the identifier only: the list's book is made anew when the address book changes.
class ABPersonObject : public NSObject {
 public:
  explicit ABPersonObject(Class cls) : NSObject(cls) {}
  static std::shared_ptr<NSObject> make(Class cls) { return std::make_shared<ABPersonObject>(cls); }
  ABRecordID recordID = kABRecordInvalidID;
  std::string first, last;
};

ABRecordID personRecordID(id self, SEL) {
  auto person = cast<ABPersonObject>(self);
  return person ? person->recordID : kABRecordInvalidID;
}

id personForID(ABRecordID recordID) {
  ABRecordRef record = ABAddressBookGetPersonWithRecordID(listAddressBook(), recordID);
  if (!record) return nullptr;
  return makePersonObject(
      recordID, stringValue(ABRecordCopyValue(record, kABPersonFirstNameProperty)).value_or(""),
      stringValue(ABRecordCopyValue(record, kABPersonLastNameProperty)).value_or(""));
}

// The first linked card with a picture, else the person itself.
id preferredPersonForPhoto(id self, SEL) {
  auto person = cast<ABPersonObject>(self);
  if (!person) return nullptr;
  ABRecordRef record = ABAddressBookGetPersonWithRecordID(listAddressBook(), person->recordID);
  for (ABRecordRef card : ABPersonCopyArrayOfAllLinkedPeople(record)) {
    if (ABPersonHasImageData(card)) {
      ABRecordID cardID = ABRecordGetRecordID(card);
      return cardID == person->recordID ? self : personForID(cardID);
    }
  }
  return self;
}

id preferredPhotoThumbnail(id self, SEL) {
  auto person = cast<ABPersonObject>(self);
  if (!person) return nullptr;
  ABRecordRef record = ABAddressBookGetPersonWithRecordID(listAddressBook(), person->recordID);
  return ABPersonCopyImageDataWithFormat(record, kABPersonImageFormatThumbnail);
}

id linkedPeople(id self, SEL) {
  auto person = cast<ABPersonObject>(self);
  if (!person) return make<NSArray>();
  ABRecordRef record = ABAddressBookGetPersonWithRecordID(listAddressBook(), person->recordID);
  std::vector<id> cards;
  for (ABRecordRef card : ABPersonCopyArrayOfAllLinkedPeople(record)) {
    ABRecordID cardID = ABRecordGetRecordID(card);
    cards.push_back(cardID == person->recordID ? self : personForID(cardID));
  }
  return make<NSArray>(std::move(cards));
}

// The cell's name: drawn, not a label, as the system's members list does.
class MemberNameView : public UIView {
 public:
  explicit MemberNameView(const std::shared_ptr<UITableViewCell>& cell)
      : UIView(CGRectZero), cell_(cell) {}
  void drawContent(CGContextRef context) const override {
    auto cell = cell_.lock();
    auto person = cell ? cast<ABPersonObject>(object_getIvar<id>(cell, "_person")) : nullptr;
    if (!person || !context) return;
    UIGraphicsPushContext(context);
    drawName(cell, *person);
    UIGraphicsPopContext();
  }

  // The name as the row reads it out: first name, then last name.
  std::optional<std::string> accessibilityLabel() const override {
    auto cell = cell_.lock();
    auto person = cell ? cast<ABPersonObject>(object_getIvar<id>(cell, "_person")) : nullptr;
    if (!person) return std::nullopt;
    std::string name = person->first;
    if (!person->first.empty() && !person->last.empty()) name += " ";
    return name + person->last;
  }

 private:
  void drawName(const std::shared_ptr<UITableViewCell>& cell, const ABPersonObject& person) const {
    CGRect b = bounds();
    auto regular = UIFont::systemFontOfSize(kNameSize);
    auto bold = UIFont::boldSystemFontOfSize(kNameSize);
    CGFloat lineHeight = NSStringBoundingRect("Ag", CGSizeMake(0, 0), 0, regular).size.height;
    CGPoint point = CGPointMake(kTextInset, (b.size.height - lineHeight) / 2);
    auto colour = UIColor::blackColor();
    auto draw = [&](const std::string& text, const std::shared_ptr<UIFont>& font) {
      float width = static_cast<float>(std::max<CGFloat>(0, b.size.width - point.x - kTextInset));
      CGSize drawn = objc_msgSend<CGSize(id, id, id, CGSize, CGPoint, float, id, long)>(
          cell,
          "_drawText:withColor:shadowColor:shadowOffset:atPoint:forWidth:withFont:lineBreakMode:",
          NSString::stringWithUTF8String(text), id(colour), id(), CGSizeMake(0, 0), point, width,
          id(font), static_cast<long>(NSLineBreakByTruncatingTail));
      point.x += drawn.width + kNameGap;
    };
    // The sort name is the one in bold.
    if (!person.first.empty()) draw(person.first, person.last.empty() ? bold : regular);
    if (!person.last.empty()) draw(person.last, bold);
  }
  std::weak_ptr<UITableViewCell> cell_;
};

CGSize drawText(id, SEL, id text, id colour, id, CGSize, CGPoint point, float width, id font,
                long lineBreakMode) {
  auto string = stringValue(text);
  if (!string || width <= 0) return CGSizeMake(0, 0);
  if (auto fill = cast<UIColor>(colour)) fill->setFill();
  CGRect box = CGRectMake(point.x, point.y, width, 100);
  return NSStringDrawInRect(*string, box, cast<UIFont>(font),
                            static_cast<NSLineBreakMode>(lineBreakMode), NSTextAlignmentLeft);
}

// A red disc with a white bar.
std::shared_ptr<UIView> deleteControl() {
  auto disc = make<UIView>(CGRectMake(0, 0, kDeleteControl, kDeleteControl));
  disc->setBackgroundColor(UIColor::colorWithRed(1.0, 0.23, 0.19, 1));
  disc->layer()->setCornerRadius(kDeleteControl / 2);
  auto bar = make<UIView>(CGRectMake(5, kDeleteControl / 2 - 1, kDeleteControl - 10, 2));
  bar->setBackgroundColor(UIColor::whiteColor());
  disc->addSubview(bar);
  return disc;
}

id cellInitWithStyle(id self, SEL cmd, long style, id reuseIdentifier) {
  id made =
      objc_msgSendSuper<id(long, id)>(objc_getClass(kCellClass), self, cmd, style, reuseIdentifier);
  auto cell = cast<UITableViewCell>(made);
  if (!cell) return made;
  cell->setBackgroundColor(UIColor::whiteColor());
  auto name = make<MemberNameView>(cell);
  cell->contentView()->addSubview(name);
  object_setIvar(made, "_contactNameView", id(name));
  // The name is drawn kTextInset into its view, wherever the view is moved.
  auto rule = makeSeparator([](UITableViewCell& row) {
    auto name = cast<UIView>(object_getIvar<id>(row.self(), "_contactNameView"));
    CGFloat x = row.contentView()->frame().origin.x + (name ? name->frame().origin.x : 0);
    return apps::rightToLeft() ? row.bounds().size.width - x - kTextInset : x + kTextInset;
  });
  cell->addSubview(rule);
  object_setIvar(made, "_separator", rule);
  object_setIvar(made, "_deleteControl", id(deleteControl()));
  return made;
}

// The name view fills the content view; whoever moves it afterwards keeps it there.
void cellLayoutSubviews(id self, SEL cmd) {
  objc_msgSendSuper<void()>(objc_getClass(kCellClass), self, cmd);
  auto cell = cast<UITableViewCell>(self);
  if (!cell) return;
  CGRect bounds = cell->bounds();
  auto control = cast<UIView>(object_getIvar<id>(self, "_deleteControl"));
  if (cell->isEditing()) {
    auto content = cell->contentView();
    CGRect frame = content->frame();
    content->setFrame(CGRectMake(kEditingIndent, 0,
                                 std::max<CGFloat>(0, frame.size.width - kEditingIndent),
                                 bounds.size.height));
    if (control && !control->superview()) cell->addSubview(control);
    if (control) {
      control->setFrame(CGRectMake(kDeleteControlX, (bounds.size.height - kDeleteControl) / 2,
                                   kDeleteControl, kDeleteControl));
    }
  } else if (control) {
    control->removeFromSuperview();
  }
  if (auto name = cast<UIView>(object_getIvar<id>(self, "_contactNameView"))) {
    name->setFrame(cell->contentView()->bounds());
  }
  if (auto rule = cast<UIView>(object_getIvar<id>(self, "_separator"))) rule->setNeedsLayout();
}

id cellPerson(id self, SEL) {
  return object_getIvar<id>(self, "_person");
}
id cellContactNameView(id self, SEL) {
  return object_getIvar<id>(self, "_contactNameView");
}
id cellParentTableView(id self, SEL) {
  auto cell = cast<UIView>(self);
  for (auto view = cell ? cell->superview() : nullptr; view; view = view->superview()) {
    if (auto table = cast<UITableView>(view)) return table;
  }
  return nullptr;
}
// The cell answers for its person, as the system's cell does.
id cellPreferredPersonForPhoto(id self, SEL) {
  id person = cellPerson(self, nullptr);
  return person ? objc_msgSend<id()>(person, "preferredPersonForPhoto") : nullptr;
}
id cellPreferredPhotoThumbnail(id self, SEL) {
  id person = cellPreferredPersonForPhoto(self, nullptr);
  return person ? objc_msgSend<id()>(person, "preferredPhotoThumbnail") : nullptr;
}

}  // namespace

id makePersonObject(ABRecordID recordID, std::string first, std::string last) {
  auto person = cast<ABPersonObject>(class_createInstance(objc_getClass("ABPerson")));
  if (!person) return nullptr;
  person->recordID = recordID;
  person->first = std::move(first);
  person->last = std::move(last);
  return person;
}

void setMemberCellPerson(const id& cell, const id& person) {
  object_setIvar(cell, "_person", person);
  if (auto name = cast<UIView>(object_getIvar<id>(cell, "_contactNameView"))) {
    name->setNeedsLayout();
  }
}

void registerMemberCellClasses() {
  Class person = classNamed("ABPerson", nullptr, ABPersonObject::make);
  define(person, "recordID", personRecordID, "i@:");
  define(person, "preferredPersonForPhoto", preferredPersonForPhoto, "@@:");
  define(person, "preferredPhotoThumbnail", preferredPhotoThumbnail, "@@:");
  define(person, "linkedPeople", linkedPeople, "@@:");

  Class cell = classNamed(kCellClass, UITableViewCell::class_());
  define(cell,
         "_drawText:withColor:shadowColor:shadowOffset:atPoint:forWidth:withFont:lineBreakMode:",
         drawText, "{CGSize=dd}@:@@@{CGSize=dd}{CGPoint=dd}f@q");
  define(cell, "initWithStyle:reuseIdentifier:", cellInitWithStyle, "@@:q@");
  define(cell, "layoutSubviews", cellLayoutSubviews, "v@:");
  define(cell, "person", cellPerson, "@@:");
  define(cell, "contactNameView", cellContactNameView, "@@:");
  define(cell, "parentTableView", cellParentTableView, "@@:");
  define(cell, "preferredPersonForPhoto", cellPreferredPersonForPhoto, "@@:");
  define(cell, "preferredPhotoThumbnail", cellPreferredPhotoThumbnail, "@@:");
}

}  // namespace contactlists
