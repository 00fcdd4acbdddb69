// MessageUI's mail composer. canSendMail answers whether the device has a mail account. A
// presented composer shows its draft (recipient, sender, subject, body, attachments) under a bar
// with a Send button; a tap on Send (touch-up-inside, send:) sends it: the message goes as an
// RFC 5322 file into the device's outbox, and the delegate then hears
// mailComposeController:didFinishWithResult:error: on the main queue.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "uikit/UIViewController.h"

enum MFMailComposeResult : long {
  MFMailComposeResultCancelled = 0,
  MFMailComposeResultSaved = 1,
  MFMailComposeResultSent = 2,
  MFMailComposeResultFailed = 3,
};

struct MailAttachment {
  std::vector<uint8_t> data;
  std::string mimeType;
  std::string fileName;
};

// What the user would see in the composer.
struct MailDraft {
  std::string from;
  std::vector<std::string> to;
  std::string subject;
  std::string body;
  bool bodyIsHTML = false;
  std::vector<MailAttachment> attachments;
};

class MFMailComposeViewController : public UIViewController {
 public:
  static Class class_();
  static bool canSendMail();
  MFMailComposeViewController();

  const MailDraft& draft() const { return draft_; }
  // The file the message went to, once sent.
  const std::optional<std::string>& sentMessagePath() const { return sentPath_; }
  // Why the message was not sent ("" once sent or before sending).
  const std::string& failureReason() const { return failureReason_; }

 protected:
  friend struct objc_alloc;
  friend struct MFMailComposeRuntime;
  explicit MFMailComposeViewController(Class cls);

 private:
  void send();

  MailDraft draft_;
  std::weak_ptr<NSObject> delegate_;
  std::optional<std::string> sentPath_;
  std::string failureReason_;
  bool sent_ = false;
};

namespace standin {
// The device folder that sent messages go to.
inline constexpr const char* kMailOutbox = "/private/var/mobile/Library/Mail/Outbox";
// Writes the draft as a new "N.eml" in the outbox; answers its device path, else nothing with
// the reason in *reason.
std::optional<std::string> writeOutboxMessage(const MailDraft& draft, std::string* reason);
}  // namespace standin
