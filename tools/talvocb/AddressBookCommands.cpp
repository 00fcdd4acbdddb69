// contact-id and monogram-text.
#include <cstdio>

#include "CliContext.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+MonogramText.h"

void addAddressBookCommands(CLI::App& app, CliContext& context) {
  auto* contactID = app.add_subcommand(
      "contact-id", "Prints the contact identifier of a phone number or e-mail address");
  static std::string party;
  contactID->add_option("PARTY", party, "A phone number or e-mail address")->required();
  contactID->callback([&context] {
    context.enterDevice("contact-id");
    std::printf("%d\n", TalvoCBUtils::getContactID(party));
  });

  auto* monogram = app.add_subcommand(
      "monogram-text", "Prints the monogram text of a name, or of contact --id N of --root");
  static std::optional<std::string> name;
  static std::optional<int32_t> id;
  auto* nameOption = monogram->add_option("NAME", name, "A name");
  auto* idOption = monogram->add_option("--id", id, "A contact identifier");
  nameOption->excludes(idOption);
  monogram->callback([&context] {
    if (!name && !id) return context.usageError("monogram-text needs NAME or --id N");
    OptionalString text;
    if (id) {
      context.enterDevice("monogram-text --id");
      text = TalvoCBUtils::monogramTextFromAB(*id);
    } else {
      text = TalvoCBUtils::monogramTextFromName(name);
    }
    std::printf("%s\n", text ? text->c_str() : "(nil)");
  });
}
