// contact-sheet: every contact's picture, as the library answers it, in one PNG with the names.
#include <cstdio>

#include "CliContext.h"
#include "TALCBSettings.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Retrieval.h"
#include "addressbook/ABAddressBook.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"

namespace {
constexpr double kCell = 96, kPicture = 60, kLabel = 28;
constexpr int kColumns = 6;

std::string nameOf(ABRecordRef person) {
  auto first = stringValue(ABRecordCopyValue(person, kABPersonFirstNameProperty));
  auto last = stringValue(ABRecordCopyValue(person, kABPersonLastNameProperty));
  std::string name = first.value_or("");
  if (last) name += (name.empty() ? "" : " ") + *last;
  return name.empty() ? "(no name)" : name;
}

// The people of the book, by identifier; gaps of a few identifiers are stepped over.
std::vector<std::pair<int32_t, std::string>> people() {
  std::vector<std::pair<int32_t, std::string>> found;
  ABAddressBookRef book = ABAddressBookCreate();
  for (int32_t id = 1, misses = 0; misses < 16 && found.size() < 600; ++id) {
    ABRecordRef person = ABAddressBookGetPersonWithRecordID(book, id);
    misses = person ? 0 : misses + 1;
    if (person) found.emplace_back(id, std::to_string(id) + " " + nameOf(person));
  }
  CFRelease(book);
  return found;
}
}  // namespace

void addContactSheetCommand(CLI::App& app, CliContext& context) {
  static std::string output;
  auto* command = app.add_subcommand(
      "contact-sheet",
      "Writes every contact's picture (getContactImageOnly:..., 60 x 60, the settings of the "
      "device) with its identifier and name into one PNG file");
  command->add_option("-o,--output", output, "The PNG file to write")->required();
  command->callback([&context] {
    context.enterDevice("contact-sheet");
    auto everyone = people();
    int rows = static_cast<int>((everyone.size() + kColumns - 1) / kColumns);
    CGSize size = CGSizeMake(kColumns * kCell, std::max(1, rows) * (kCell + kLabel));
    UIGraphicsBeginImageContextWithOptions(size, true, 0);
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetFillColorWithColor(c, UIColor::colorWithWhite(0.12, 1)->CGColor());
    CGContextFillRect(c, CGRectMake(0, 0, size.width, size.height));
    auto font = UIFont::systemFontOfSize(17.0);
    auto labelFont = UIFont::systemFontOfSize(10.0);
    for (std::size_t i = 0; i < everyone.size(); ++i) {
      auto [contactID, name] = everyone[i];
      double x = static_cast<double>(i % kColumns) * kCell;
      double y = static_cast<double>(i / kColumns) * (kCell + kLabel);
      auto picture = TalvoCBUtils::getContactImageOnly(
          contactID, TalvoCBUtils::getMonogramTextFromAB(contactID), false,
          CGSizeMake(kPicture, kPicture), font);
      double inset = (kCell - kPicture) / 2;
      if (picture) picture->drawInRect(CGRectMake(x + inset, y + inset, kPicture, kPicture));
      CGContextSetFillColorWithColor(c, UIColor::whiteColor()->CGColor());
      NSStringDrawInRect(name, CGRectMake(x + 4, y + kCell - 6, kCell - 8, kLabel), labelFont,
                         NSLineBreakByTruncatingTail, NSTextAlignmentCenter);
    }
    UIImagePtr sheet = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    requireReadableAddressBook();
    if (!sheet || !UIImageWritePNGToFile(sheet, output)) {
      return context.failure(output + ": cannot be written");
    }
    std::printf("%s: %zu contacts\n", output.c_str(), everyone.size());
  });
}
