#include "TalvoCBMiscController.h"

#include <algorithm>

#include "TalvoCBLog.h"
#include "UIDevice+TalvoCB.h"
#include "Utils/TalvoCBSettingsUtils.h"
#include "foundation/NSBundle.h"
#include "foundation/NSFileHandle.h"
#include "foundation/NSValueTypes.h"
#include "messageui/MFMailComposeViewController.h"
#include "uikit/UIAlertView.h"
#include "uikit/UIDevice.h"

#ifndef TALVOCB_SUPPORT_ADDRESS
#error "TALVOCB_SUPPORT_ADDRESS: the support address is set by the build"
#endif

namespace {

constexpr const char* kMiscClass = "TalvoCBMiscController";
constexpr const char* kMailTitle = "Talvo For CallBar";
// Support needs the latest lines; a whole log of gigabytes would never go out.
constexpr uint64_t kMostMailedLogBytes = 4 * 1024 * 1024;

id makePage(Class cls) {
  return objc_alloc::make<TalvoCBMiscController>(cls);
}

std::string localized(const std::string& text) {
  return NSBundle::mainBundle().localizedStringForKey(text, std::string(), std::nullopt);
}

std::string escapeHTML(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '\n':
        out += "<br>\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string lastPathComponent(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct MailedLog {
  std::shared_ptr<NSData> data;  // nil without a log file
  uint64_t bytesLeftOut = 0;
};

// The log's last kMostMailedLogBytes, from the start of a line; only that much is read.
MailedLog lastPartOfLog(const std::string& path) {
  MailedLog log;
  auto handle = NSFileHandle::fileHandleForReadingAtPath(path);
  if (!handle) return log;
  uint64_t size = handle->seekToEndOfFile();
  uint64_t start = size > kMostMailedLogBytes ? size - kMostMailedLogBytes : 0;
  handle->seekToFileOffset(start);
  log.data = handle->readDataOfLength(kMostMailedLogBytes);
  if (start > 0) {
    std::vector<uint8_t> bytes = log.data->bytes;
    auto newline = std::find(bytes.begin(), bytes.end(), '\n');
    // Without a line start inside it (one line longer than the part), the part goes as it is.
    if (newline != bytes.end() && newline + 1 != bytes.end()) {
      start += static_cast<uint64_t>(newline + 1 - bytes.begin());
      bytes.erase(bytes.begin(), newline + 1);
      log.data = make<NSData>(std::move(bytes));
    }
  }
  log.bytesLeftOut = start;
  return log;
}

void showNoAccountAlert() {
  auto alert =
      make<UIAlertView>(localized("Information"), localized("No email accounts configured."),
                        nullptr, std::nullopt, std::vector<std::string>{localized("Close")});
  alert->show();
}

}  // namespace

struct TalvoCBMiscControllerRuntime {
  static id specifiers(id self, SEL) {
    auto page = cast<TalvoCBMiscController>(self);
    if (!page) return nullptr;
    if (!page->specifiersList()) {
      auto list = cast<NSArray>(objc_msgSend<id(id, id)>(
          self, "loadSpecifiersFromPlistName:target:", id(make<NSString>("TalvoCBMisc")), self));
      page->setSpecifiersList(list ? list : make<NSArray>());
    }
    return page->specifiersList();
  }
  static void emailLogFile(id self, SEL, id) {
    auto page = cast<TalvoCBMiscController>(self);
    if (!page) return;
    if (!objc_msgSendClass<bool()>("MFMailComposeViewController", "canSendMail")) {
      showNoAccountAlert();
      return;
    }
    std::optional<std::string> footer;
    auto rows = page->shownSpecifiers();
    if (rows.size() >= 2) footer = rows[rows.size() - 2]->footerText();
    MailedLog log = lastPartOfLog(kTalvoCBLogFile);
    auto device = UIDevice::currentDevice();
    std::string body = TalvoCBMiscController::mailBody(
        serialNumber(device).value_or(""), TalvoCBSettingsUtils::platform(),
        device->systemVersion(), UDID(device).value_or(""), footer, log.bytesLeftOut);

    auto composer = class_createInstance(objc_getClass("MFMailComposeViewController"));
    if (!composer) return;
    std::string logName = lastPathComponent(kTalvoCBLogFile);
    objc_msgSend<void(id)>(composer, "setMailComposeDelegate:", self);
    objc_msgSend<void(id)>(
        composer,
        "setSubject:", id(make<NSString>(std::string(kMailTitle).append(" - ").append(logName))));
    objc_msgSend<void(id)>(
        composer, "setToRecipients:",
        id(make<NSArray>(std::vector<id>{make<NSString>(TALVOCB_SUPPORT_ADDRESS)})));
    objc_msgSend<void(id, bool)>(composer, "setMessageBody:isHTML:", id(make<NSString>(body)),
                                 true);
    // No log file: the mail goes without an attachment rather than with an empty one.
    if (log.data) {
      objc_msgSend<void(id, id, id)>(composer, "addAttachmentData:mimeType:fileName:", id(log.data),
                                     id(make<NSString>("text/plain")), id(make<NSString>(logName)));
    } else {
      TALCB_ERROR("-[TalvoCBMiscController emailLogFile:]", "No log file at %s", kTalvoCBLogFile);
    }
    objc_msgSend<void(id, bool)>(self, "presentModalViewController:animated:", composer, true);
  }
  static void didFinish(id self, SEL, id, long, id) {
    objc_msgSend<void(bool)>(self, "dismissModalViewControllerAnimated:", true);
  }
};

Class TalvoCBMiscController::class_() {
  static Class cls = [] {
    using R = TalvoCBMiscControllerRuntime;
    Class c = objc_registerClass(kMiscClass, PSListController::class_(), makePage);
    MethodAdder add{c};
    add("specifiers", R::specifiers, "@@:");
    add("emailLogFile:", R::emailLogFile, "v@:@");
    add("mailComposeController:didFinishWithResult:error:", R::didFinish, "v@:@q@");
    return c;
  }();
  return cls;
}

std::string TalvoCBMiscController::mailBody(const std::string& serialNumber,
                                            const std::string& model,
                                            const std::string& systemVersion,
                                            const std::string& identifier,
                                            const std::optional<std::string>& footer,
                                            uint64_t logBytesLeftOut) {
  std::string text = "Please donot remove the below information.\nSerial number: ";
  text.append(serialNumber).append("\n").append(model).append(" with iOS:").append(systemVersion);
  text.append(", UDID:").append(identifier).append(".");
  if (footer) text.append("\n").append(*footer);
  if (logBytesLeftOut > 0) {
    text.append("\nThe log was cut: its first ")
        .append(std::to_string(logBytesLeftOut))
        .append(" bytes were left out; its last lines are attached.");
  }
  return escapeHTML(text);
}
