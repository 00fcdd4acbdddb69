// The settings pane in real Settings host processes: its rows, the file it writes, the mail it
// sends (parsed back with GMime), and SpringBoard seeing its changes.
#include <gmime/gmime.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "SampleDevice.h"
#include "Subprocess.h"
#include "TALCBSettings.h"
#include "TemporaryDevice.h"
#include "ViewDump.h"
#include "foundation/Device.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace {

constexpr const char* kPaneResource =
    "/System/Library/PreferenceBundles/TalvoCBSettings.bundle/TalvoCB.plist";

struct PaneDevice {
  explicit PaneDevice(const std::string& mailAccount = "mobile@example.com",
                      bool rightToLeft = false) {
    sample::SampleOptions options;
    options.profile.mailAccount = mailAccount;
    options.profile.layoutDirection = rightToLeft ? 1 : 0;
    std::string error;
    EXPECT_TRUE(sample::writeSampleDevice(device.root(), options, nullptr, &error)) << error;
  }
  void writeSettings(const std::map<std::string, id>& entries) {
    auto settings = make<NSDictionary>();
    for (const auto& [key, value] : entries) settings->setObject(value, key);
    ASSERT_TRUE(settings->writeToFile(TalvoCBSettingsFile::pathInHome(), true));
  }
  std::shared_ptr<NSDictionary> settings() const {
    return NSDictionary::dictionaryWithContentsOfFile(TalvoCBSettingsFile::pathInHome());
  }
  ProcessResult run(const std::string& bundle, const std::vector<std::string>& actions) {
    std::vector<std::string> argv = {"talvocb-host", "--root", device.root(), "--bundle-id",
                                     bundle};
    for (const auto& a : actions) argv.insert(argv.end(), {"--do", a});
    return runProgram(argv);
  }
  ProcessResult settingsApp(const std::vector<std::string>& actions) {
    auto result = run("com.apple.Preferences", actions);
    EXPECT_EQ(result.status, 0) << result.err;
    return result;
  }
  // The titles of the switch rows a dump shows.
  std::vector<std::string> switchRows(const std::string& dumpName) const {
    std::vector<std::string> rows;
    DumpedView screen = DumpReader::readFile(device.real("/tmp/" + dumpName));
    for (const DumpedView* cell : screen.ofClass("PSTableCell")) {
      if (cell->ofClass("UISwitch").empty()) continue;
      for (const DumpedView* label :
           cell->find([](const DumpedView& v) { return !v.text.empty(); })) {
        rows.push_back(label->text);
      }
    }
    return rows;
  }
  TemporaryDevice device;
};

bool fileIsBinaryPropertyList(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string head(8, '\0');
  in.read(head.data(), 8);
  return head == "bplist00";
}

}  // namespace

TEST(SettingsPane, TheMasterSwitchShowsAndHidesExactlyThePerFeatureRows) {
  PaneDevice phone;
  phone.writeSettings({{"TalvoCBEnabled", NSNumber::numberWithBool(false)},
                       {"SomeoneElsesKey", make<NSString>("kept")}});
  auto dump = [&](const std::string& name) { return "dump " + phone.device.real("/tmp/" + name); };
  phone.settingsApp({"pane", dump("off.json"), "switch TalvoCBEnabled on", dump("on.json"),
                     "switch TalvoCBEnabled on", dump("again.json"), "switch TalvoCBEnabled off",
                     dump("offAgain.json"), "switch TalvoCBEnabled off", dump("offTwice.json")});
  const std::vector<std::string> all = {"Enabled",      "Round Pictures", "Monograms", "Favourites",
                                        "Call Overlay", "Recents",        "Contacts"};
  EXPECT_EQ(phone.switchRows("off.json"), std::vector<std::string>{"Enabled"});
  EXPECT_EQ(phone.switchRows("on.json"), all);
  EXPECT_EQ(phone.switchRows("again.json"), all) << "a repeated on adds the rows once";
  EXPECT_EQ(phone.switchRows("offAgain.json"), std::vector<std::string>{"Enabled"});
  EXPECT_EQ(phone.switchRows("offTwice.json"), std::vector<std::string>{"Enabled"})
      << "four rows are never trimmed";

  // Written whole, atomically, in binary form; keys the page does not show survive.
  EXPECT_TRUE(fileIsBinaryPropertyList(phone.device.settingsFile()));
  auto settings = phone.settings();
  ASSERT_TRUE(settings);
  EXPECT_FALSE(boolValue(settings->objectForKey("TalvoCBEnabled")));
  EXPECT_EQ(stringValue(settings->objectForKey("SomeoneElsesKey")), "kept");
  EXPECT_FALSE(std::filesystem::exists(phone.device.settingsFile() + ".tmp"));
}

// The pages as the Settings application shows them: a back button to the page before at the
// bar's leading edge; no group header that repeats a row's title; a footer kept clear of the next
// header; the version as a value at the row's trailing edge. Right to left, all mirrored.
TEST(SettingsPane, ThePagesHaveTheSystemsBarGroupsAndValueRows) {
  for (bool rightToLeft : {false, true}) {
    PaneDevice phone("mobile@example.com", rightToLeft);
    phone.writeSettings({{"TalvoCBEnabled", NSNumber::numberWithBool(true)}});
    std::string pane = phone.device.real("/tmp/pane.json");
    std::string misc = phone.device.real("/tmp/misc.json");
    phone.settingsApp({"pane", "dump " + pane, "tap Support", "dump " + misc});
    const double width = 375;
    auto label = [](const DumpedView& screen, const std::string& text) -> const DumpedView& {
      auto found = screen.find([&](const DumpedView& v) { return v.text == text; });
      EXPECT_EQ(found.size(), 1u) << text;
      static const DumpedView none;
      return found.empty() ? none : *found.front();
    };
    // The leading edge's distance to a text drawn there.
    auto fromLeading = [&](const std::vector<double>& drawn) {
      return drawn.size() != 4 ? -1 : rightToLeft ? width - drawn[0] - drawn[2] : drawn[0];
    };

    for (auto [file, back] : {std::pair{pane, "Settings"}, {misc, "TalvoCB"}}) {
      DumpedView screen = DumpReader::readFile(file);
      const DumpedView& button = label(screen, back);
      EXPECT_GT(fromLeading(button.textFrame), 20) << back;
      EXPECT_LT(fromLeading(button.textFrame), 40) << back;
      EXPECT_GT(button.frame.at(1), 19);
      auto chevrons = screen.ofClass("_UINavigationBarBackIndicatorView");
      ASSERT_EQ(chevrons.size(), 1u);
      EXPECT_LT(fromLeading(chevrons[0]->frame), 10);
    }

    DumpedView root = DumpReader::readFile(pane);
    auto texts = root.find([](const DumpedView& v) { return !v.text.empty(); });
    for (const DumpedView* text : texts) {
      std::string upper = text->text;
      std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
      if (upper == text->text) continue;
      for (const DumpedView* other : texts) EXPECT_NE(other->text, upper) << "a header repeats";
    }
    const DumpedView& footer =
        label(root, "Contact pictures in CallBar's overlay, favourites and lists.");
    const DumpedView& header = label(root, "PICTURES");
    ASSERT_EQ(footer.textFrame.size(), 4u);
    ASSERT_EQ(header.textFrame.size(), 4u);
    EXPECT_GE(header.textFrame[1] - (footer.textFrame[1] + footer.textFrame[3]), 17.5);
    for (const DumpedView* toggle : root.ofClass("UISwitch")) {
      EXPECT_EQ(fromLeading(toggle->frame), width - 15 - 51) << "the switch at the trailing edge";
    }

    DumpedView second = DumpReader::readFile(misc);
    const DumpedView& title = label(second, "Version");
    const DumpedView& value = label(second, "1.0");
    EXPECT_EQ(title.frame.at(1), value.frame.at(1));
    EXPECT_NEAR(fromLeading(value.textFrame), width - 15 - value.textFrame.at(2), 0.5);
    EXPECT_NEAR(fromLeading(title.textFrame), 15, 0.5);
  }
}

TEST(SettingsPane, ASwitchWritesItsKeyANegatedOneTheInverseAndAMissingFileIsCreated) {
  PaneDevice phone;
  // A resource whose Recents row is negated.
  auto resource = cast<NSDictionary>(readPropertyListFile(phone.device.real(kPaneResource)));
  ASSERT_TRUE(resource);
  for (const id& item : cast<NSArray>(resource->objectForKey("items"))->items) {
    auto row = cast<NSDictionary>(item);
    if (stringValue(row->objectForKey("key")) == "TalvoCBEnabledRecents") {
      row->setObject(NSNumber::numberWithBool(true), "negate");
    }
  }
  ASSERT_TRUE(resource->writeToFile(kPaneResource, true));
  ASSERT_FALSE(phone.settings()) << "the sample has no settings file until SpringBoard starts";

  phone.settingsApp({"switch TalvoCBEnabled on", "switch TalvoCBEnabledRecents on",
                     "switch TalvoCBEnabledPhone off"});
  auto settings = phone.settings();
  ASSERT_TRUE(settings) << "the first change creates the file";
  EXPECT_TRUE(boolValue(settings->objectForKey("TalvoCBEnabled")));
  EXPECT_FALSE(boolValue(settings->objectForKey("TalvoCBEnabledRecents")));
  ASSERT_TRUE(settings->objectForKey("TalvoCBEnabledPhone"));
  EXPECT_FALSE(boolValue(settings->objectForKey("TalvoCBEnabledPhone")));
}

TEST(SettingsPane, MailingWithoutAnAccountShowsTheAlertAndSendsNothing) {
  PaneDevice phone("");
  auto result = phone.settingsApp({"mail-log"});
  EXPECT_EQ(result.out, "mail: not sent (No email accounts configured.)\n");
  // Titled "Information", with one button, "Close", which a tap answers.
  EXPECT_EQ(phone.settingsApp({"mail-log", "alerts", "tap-alert 0", "alerts"}).out,
            "mail: not sent (No email accounts configured.)\n"
            "alert \"Information\" \"No email accounts configured.\" [Close] showing\n"
            "tapped 0 \"Close\"\n"
            "alert \"Information\" \"No email accounts configured.\" [Close] dismissed\n");
  EXPECT_FALSE(
      std::filesystem::exists(phone.device.real("/private/var/mobile/Library/Mail/Outbox/1.eml")));
}

namespace {

struct ParsedMail {
  std::string subject, to, html;
  std::vector<std::pair<std::string, std::string>> attachments;  // type, name
  std::string attachmentText;
};

ParsedMail parseMail(const std::string& path) {
  g_mime_init();
  ParsedMail mail;
  GMimeStream* stream = g_mime_stream_file_open(path.c_str(), "r", nullptr);
  EXPECT_TRUE(stream) << path;
  if (!stream) return mail;
  GMimeParser* parser = g_mime_parser_new_with_stream(stream);
  GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
  EXPECT_TRUE(message);
  if (message) {
    mail.subject = g_mime_message_get_subject(message);
    char* to = internet_address_list_to_string(g_mime_message_get_to(message), nullptr, false);
    mail.to = to;
    g_free(to);
    GMimePartIter* parts = g_mime_part_iter_new(GMIME_OBJECT(message));
    do {
      GMimeObject* part = g_mime_part_iter_get_current(parts);
      if (!GMIME_IS_PART(part)) continue;
      GMimeContentType* type = g_mime_object_get_content_type(part);
      if (GMIME_IS_TEXT_PART(part) && !g_mime_part_get_filename(GMIME_PART(part))) {
        char* text = g_mime_text_part_get_text(GMIME_TEXT_PART(part));
        mail.html = text;
        g_free(text);
      } else {
        char* mime = g_mime_content_type_get_mime_type(type);
        mail.attachments.emplace_back(mime, g_mime_part_get_filename(GMIME_PART(part)));
        g_free(mime);
        char* text = g_mime_text_part_get_text(GMIME_TEXT_PART(part));
        mail.attachmentText = text ? text : "";
        g_free(text);
      }
    } while (g_mime_part_iter_next(parts));
    g_mime_part_iter_free(parts);
    g_object_unref(message);
  }
  g_object_unref(parser);
  g_object_unref(stream);
  return mail;
}

}  // namespace

TEST(SettingsPane, TheMailedLogIsAMessageAMailProgramOpens) {
  PaneDevice phone;
  phone.device.writeFile("/tmp/quorvik.log", "line <1> & more\n");
  auto first = phone.settingsApp({"mail-log"});
  EXPECT_EQ(first.out, "mail: /private/var/mobile/Library/Mail/Outbox/1.eml\n");
  ParsedMail mail = parseMail(phone.device.real("/private/var/mobile/Library/Mail/Outbox/1.eml"));
  EXPECT_EQ(mail.subject, "Talvo For CallBar - quorvik.log");
  EXPECT_EQ(mail.to, "support@quorvik.com");
  DeviceProfile p;
  for (const std::string& part :
       {"Serial number: " + p.serialNumber + "<br>", p.machine + " with iOS:" + p.systemVersion,
        "UDID:" + p.uniqueIdentifier + ".<br>", std::string("Talvo For CallBar by Quorvik")}) {
    EXPECT_NE(mail.html.find(part), std::string::npos) << part << " in " << mail.html;
  }
  ASSERT_EQ(mail.attachments.size(), 1u);
  EXPECT_EQ(mail.attachments[0],
            std::make_pair(std::string("text/plain"), std::string("quorvik.log")));
  EXPECT_EQ(mail.attachmentText, "line <1> & more\n");

  // Without a log the mail still goes, without an attachment.
  std::filesystem::remove(phone.device.real("/tmp/quorvik.log"));
  EXPECT_EQ(phone.settingsApp({"mail-log"}).out,
            "mail: /private/var/mobile/Library/Mail/Outbox/2.eml\n");
  EXPECT_TRUE(parseMail(phone.device.real("/private/var/mobile/Library/Mail/Outbox/2.eml"))
                  .attachments.empty());
}

// The composer shows what will go until Send is tapped: nothing is in the outbox before, and the
// pane's page shows again after.
TEST(SettingsPane, TheComposerShowsItsDraftUntilSendIsTapped) {
  PaneDevice phone;
  phone.device.writeFile("/tmp/quorvik.log", std::string(3000, 'x'));
  auto dump = [&](const std::string& name) { return "dump " + phone.device.real("/tmp/" + name); };
  std::string outbox = phone.device.real("/private/var/mobile/Library/Mail/Outbox/1.eml");
  auto shown = phone.settingsApp({"mail-compose", dump("composer.json")});
  EXPECT_EQ(shown.out, "");
  EXPECT_FALSE(std::filesystem::exists(outbox));
  auto texts = [&](const std::string& name) {
    std::vector<std::string> found;
    DumpedView screen = DumpReader::readFile(phone.device.real("/tmp/" + name));
    for (const DumpedView* label :
         screen.find([](const DumpedView& v) { return !v.text.empty(); })) {
      found.push_back(label->text);
    }
    return found;
  };
  std::vector<std::string> composer = texts("composer.json");
  for (const char* text : {"support@quorvik.com", "mobile@example.com",
                           "Talvo For CallBar - quorvik.log", "quorvik.log", "3 KB"}) {
    EXPECT_NE(std::find(composer.begin(), composer.end(), text), composer.end()) << text;
  }
  auto sent = phone.settingsApp({"mail-compose", "mail-send", dump("sent.json")});
  EXPECT_EQ(sent.out, "mail: /private/var/mobile/Library/Mail/Outbox/1.eml\n");
  std::vector<std::string> after = texts("sent.json");
  EXPECT_EQ(std::find(after.begin(), after.end(), "support@quorvik.com"), after.end());
  EXPECT_NE(std::find(after.begin(), after.end(), "Mail Log File"), after.end());
  EXPECT_EQ(phone.run("com.apple.Preferences", {"pane", "mail-send"}).status, 1);
}

// On the smallest screen the last switch starts above the table's edge and ends below it: it is
// scrolled wholly in before it turns, as a finger would.
TEST(SettingsPane, ASwitchCutByTheScreensEdgeIsScrolledInBeforeItTurns) {
  PaneDevice phone;
  DeviceProfile small = standin::readProfile(phone.device.root()).value_or(DeviceProfile{});
  small.width = 320;
  small.height = 480;
  small.deriveFromScreen();
  small.systemVersion = "7.1.2";
  ASSERT_TRUE(standin::writeProfile(phone.device.root(), small));
  phone.settingsApp({"pane", "switch TalvoCBEnabled on", "switch TalvoCBEnabledContacts off",
                     "dump " + phone.device.real("/tmp/pane.json")});
  DumpedView screen = DumpReader::readFile(phone.device.real("/tmp/pane.json"));
  std::vector<const DumpedView*> switches = screen.ofClass("UISwitch");
  ASSERT_FALSE(switches.empty());
  const DumpedView* last = switches.back();
  EXPECT_LE(last->frame[1] + last->frame[3], 480) << last->frame[1];
}

// A row switched in the Settings host changes what a running SpringBoard shows: its favourites are
// drawn anew, square; and a SpringBoard started afterwards loads the new value.
TEST(SettingsPane, SwitchingARowChangesWhatSpringBoardShows) {
  PaneDevice phone;
  auto roundInSpringBoard = [&] {
    auto result = phone.run("com.apple.springboard", {"defaults com.quorvik.TalvoCB"});
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out.find("TalvoCBEnabledRoundedPictures = 1\n") != std::string::npos;
  };
  EXPECT_TRUE(roundInSpringBoard());

  std::string before = phone.device.real("/tmp/before.json");
  std::string after = phone.device.real("/tmp/after.json");
  RunningProgram springBoard({"talvocb-host", "--root", phone.device.root(), "--bundle-id",
                              "com.apple.springboard", "--do", "favorites", "--do",
                              "dump " + before, "--do", "ready", "--do", "settings-changed 10000",
                              "--do", "dump " + after});
  ASSERT_TRUE(springBoard.waitForLine("ready", std::chrono::seconds(10)));
  phone.settingsApp({"pane", "switch TalvoCBEnabledRoundedPictures off"});
  EXPECT_EQ(springBoard.wait(), 0);
  auto favourites = [](const std::string& dump) {
    std::vector<std::string> pictures;
    DumpedView screen = DumpReader::readFile(dump);
    for (const DumpedView* button : screen.ofClass("UIButton")) {
      if (button->tag >= 1 && button->tag <= 6) pictures.push_back(button->image);
    }
    return pictures;
  };
  auto round = favourites(before), square = favourites(after);
  ASSERT_EQ(round.size(), 6u);
  ASSERT_EQ(square.size(), 6u);
  EXPECT_NE(round, square);

  EXPECT_FALSE(roundInSpringBoard());
  phone.settingsApp({"switch TalvoCBEnabledRoundedPictures on"});
  EXPECT_TRUE(roundInSpringBoard());
}

// Support gets the log's last 4 MiB from a line start, told how much was left out; a log of
// gigabytes costs no more than that to send.
TEST(SettingsPane, AHugeLogIsMailedAsItsLastLinesAndTheBodySaysItWasCut) {
  PaneDevice phone;
  std::string log = phone.device.real("/tmp/quorvik.log");
  std::string lines;
  for (int i = 0; i < 400000; ++i) lines += "log line " + std::to_string(i) + "\n";
  ASSERT_GT(lines.size(), 4u << 20);
  phone.device.writeFile("/tmp/quorvik.log", "");
  std::filesystem::resize_file(log, 3ull << 30);  // sparse
  std::ofstream(log, std::ios::app) << lines;
  const uint64_t size = std::filesystem::file_size(log);

  EXPECT_EQ(phone.settingsApp({"mail-log"}).out,
            "mail: /private/var/mobile/Library/Mail/Outbox/1.eml\n");
  std::string sent = phone.device.real("/private/var/mobile/Library/Mail/Outbox/1.eml");
  EXPECT_LT(std::filesystem::file_size(sent), 6u << 20);
  ParsedMail mail = parseMail(sent);
  const std::string& part = mail.attachmentText;
  EXPECT_LE(part.size(), 4u << 20);
  EXPECT_GT(part.size(), (4u << 20) - 32);
  ASSERT_EQ(part.rfind("log line ", 0), 0u) << part.substr(0, 40);
  EXPECT_EQ(lines.substr(lines.size() - part.size()), part);
  std::string leftOut = std::to_string(size - part.size());
  EXPECT_NE(mail.html.find("The log was cut: its first " + leftOut + " bytes were left out"),
            std::string::npos)
      << mail.html;
}

// No partial message ever lies in the outbox: a write that fails (here the file-size limit,
// whose signal the program ignores, as a full disk) sends nothing and says why.
TEST(SettingsPane, AMailThatCannotBeWrittenLeavesNothingInTheOutbox) {
  PaneDevice phone;
  std::string lines;
  for (int i = 0; i < 20000; ++i) lines += "log line " + std::to_string(i) + "\n";
  phone.device.writeFile("/tmp/quorvik.log", lines);
  ProcessResult result = runProgram({"talvocb-host", "--root", phone.device.root(), "--bundle-id",
                                     "com.apple.Preferences", "--do", "mail-log"},
                                    {"", 64 * 1024});
  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_NE(result.err.find("mail-log: the message was not sent: cannot write the message: File "
                            "too large"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(result.err.find("CRITICAL"), std::string::npos) << result.err;
  std::string outbox = phone.device.real("/private/var/mobile/Library/Mail/Outbox");
  ASSERT_TRUE(std::filesystem::is_directory(outbox));
  EXPECT_TRUE(std::filesystem::is_empty(outbox));
}
