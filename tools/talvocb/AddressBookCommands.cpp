// contact-id and monogram-text.
#include <cstdio>

#include "CliContext.h"
#include "ContactIdentifier.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+MonogramText.h"
#include "addressbook/ABAddressBook.h"

void requireReadableAddressBook() {
  if (auto reason = standin::addressBookUnreadableReason()) {
    throw CliFailure("the address book cannot be read: " + *reason);
  }
}

void addAddressBookCommands(CLI::App& app, CliContext& context) {
  auto* contactID = app.add_subcommand(
      "contact-id",
      "Prints the contact identifier of a phone number or e-mail address, or -1 when no contact "
      "holds it; an address book that cannot be read is a failure (exit 1), never -1");
  static std::string party;
  contactID->add_option("PARTY", party, "A phone number or e-mail address")->required();
  contactID->callback([&context] {
    context.enterDevice("contact-id");
    int32_t found = TalvoCBUtils::getContactID(party);
    requireReadableAddressBook();
    // The library answers a number nobody holds with 0 and an address with -1; both are the
    // address book's invalid identifier here.
    std::printf("%d\n", found >= 1 ? found : kABRecordInvalidID);
  });

  auto* monogram = app.add_subcommand(
      "monogram-text", "Prints the monogram text of a name, or of contact --id N of --root");
  static std::optional<std::string> name;
  static std::optional<int32_t> id;
  auto* nameOption = monogram->add_option("NAME", name, "A name");
  auto* idOption =
      monogram->add_option("--id", id, "A contact identifier")->transform(ContactIdentifier());
  nameOption->excludes(idOption);
  monogram->callback([&context] {
    if (!name && !id) return context.usageError("monogram-text needs NAME or --id N");
    OptionalString text;
    if (id) {
      context.enterDevice("monogram-text --id");
      text = TalvoCBUtils::monogramTextFromAB(*id);
      requireReadableAddressBook();
    } else {
      text = TalvoCBUtils::monogramTextFromName(name);
    }
    std::printf("%s\n", text ? text->c_str() : "(nil)");
  });
}
