#include "messageui/MFMailComposeViewController.h"

#include <cstring>

#include "foundation/Device.h"
#include "foundation/Dispatch.h"
#include "foundation/NSLog.h"
#include "foundation/NSValueTypes.h"
#include "uikit/UIButton.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UILabel.h"

namespace {

std::shared_ptr<MFMailComposeViewController> composerOf(const id& self) {
  return cast<MFMailComposeViewController>(self);
}

id makeComposer(Class cls) {
  return objc_alloc::make<MFMailComposeViewController>(cls);
}

constexpr CGFloat kStatusBar = 20, kBar = 44, kRow = 44, kInset = 15;

// The body as the composer shows an HTML body: <br> breaks lines, other tags are left out, the
// few entities a plain text escapes are turned back.
std::string shownBody(const MailDraft& draft) {
  if (!draft.bodyIsHTML) return draft.body;
  std::string text;
  for (std::size_t at = 0; at < draft.body.size();) {
    char c = draft.body[at];
    if (c == '<') {
      std::size_t end = draft.body.find('>', at);
      if (end == std::string::npos) break;
      std::string tag = draft.body.substr(at + 1, end - at - 1);
      if (tag.rfind("br", 0) == 0 || tag == "p" || tag == "/p") text += '\n';
      at = end + 1;
      continue;
    }
    if (c == '\n' || c == '\r') {  // white space in HTML; <br> makes the line break
      if (!text.empty() && text.back() != '\n' && text.back() != ' ') text += ' ';
      ++at;
      continue;
    }
    if (c == '&') {
      static const std::pair<const char*, char> entities[] = {
          {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
      bool replaced = false;
      for (const auto& [entity, letter] : entities) {
        if (draft.body.compare(at, std::strlen(entity), entity) == 0) {
          text += letter;
          at += std::strlen(entity);
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
    }
    text += c;
    ++at;
  }
  return text;
}

std::string shownSize(std::size_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " bytes";
  return std::to_string((bytes + 1023) / 1024) + " KB";
}

std::shared_ptr<UILabel> composerLabel(CGRect frame, const std::string& text, CGFloat size,
                                       const std::shared_ptr<UIColor>& colour) {
  auto label = make<UILabel>(frame);
  label->setFont(UIFont::systemFontOfSize(size));
  label->setTextColor(colour);
  label->setText(text);
  return label;
}

// A header row of the composer: its name in grey, the value, a rule under it.
void addHeaderRow(const std::shared_ptr<UIView>& view, CGFloat y, const std::string& name,
                  const std::string& value) {
  CGFloat width = view->bounds().size.width;
  auto grey = UIColor::colorWithWhite(0.56, 1);
  auto shownName = composerLabel(CGRectMake(kInset, y, width - 2 * kInset, kRow), name, 15, grey);
  view->addSubview(shownName);
  CGFloat valueX = kInset + 8 * static_cast<CGFloat>(name.size()) + 6;
  view->addSubview(composerLabel(CGRectMake(valueX, y, width - valueX - kInset, kRow), value, 15,
                                 UIColor::blackColor()));
  auto rule = make<UIView>(CGRectMake(kInset, y + kRow - 0.5, width - kInset, 0.5));
  rule->setBackgroundColor(UIColor::colorWithWhite(0.8, 1));
  view->addSubview(rule);
}

}  // namespace

struct MFMailComposeRuntime {
  static bool canSendMail(id, SEL) { return MFMailComposeViewController::canSendMail(); }
  static void setDelegate(id self, SEL, id delegate) {
    if (auto composer = composerOf(self)) composer->delegate_ = delegate;
  }
  static void setSubject(id self, SEL, id subject) {
    if (auto composer = composerOf(self))
      composer->draft_.subject = stringValue(subject).value_or("");
  }
  static void setToRecipients(id self, SEL, id recipients) {
    auto composer = composerOf(self);
    if (!composer) return;
    composer->draft_.to.clear();
    if (auto list = cast<NSArray>(recipients)) {
      for (const id& item : list->items) {
        if (auto address = stringValue(item)) composer->draft_.to.push_back(*address);
      }
    }
  }
  static void setMessageBody(id self, SEL, id body, bool isHTML) {
    if (auto composer = composerOf(self)) {
      composer->draft_.body = stringValue(body).value_or("");
      composer->draft_.bodyIsHTML = isHTML;
    }
  }
  // Nil data attaches nothing, as the platform's composer shows no attachment for it.
  static void addAttachment(id self, SEL, id data, id mimeType, id fileName) {
    auto composer = composerOf(self);
    auto bytes = cast<NSData>(data);
    if (!composer || !bytes) return;
    composer->draft_.attachments.push_back(
        {bytes->bytes, stringValue(mimeType).value_or("application/octet-stream"),
         stringValue(fileName).value_or("attachment")});
  }
  // What the user sees: the bar with Cancel, the subject and Send; the recipient, the sender and
  // the subject; the body; the attachments. Made from the draft as it is when the composer shows.
  static void loadView(id self, SEL) {
    auto composer = composerOf(self);
    if (!composer) return;
    CGRect bounds = UIScreen::mainScreen()->bounds();
    CGFloat width = bounds.size.width;
    auto view = make<UIView>(bounds);
    view->setBackgroundColor(UIColor::whiteColor());
    const MailDraft& draft = composer->draft_;
    auto blue = UIColor::colorWithRed(0, 0.48, 1, 1);

    auto bar = make<UIView>(CGRectMake(0, 0, width, kStatusBar + kBar));
    bar->setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
    bar->addSubview(composerLabel(CGRectMake(8, kStatusBar, 70, kBar), "Cancel", 17, blue));
    auto title = composerLabel(CGRectMake(80, kStatusBar, width - 160, kBar), draft.subject, 17,
                               UIColor::blackColor());
    title->setFont(UIFont::boldSystemFontOfSize(17));
    title->setTextAlignment(NSTextAlignmentCenter);
    bar->addSubview(title);
    auto sendButton = make<UIButton>(CGRectMake(width - 70, kStatusBar, 62, kBar));
    sendButton->setTitle(std::string("Send"));
    sendButton->setTitleColor(blue);
    sendButton->setFont(UIFont::boldSystemFontOfSize(17));
    sendButton->addTarget(self, sel_registerName("send:"), UIControlEventTouchUpInside);
    bar->addSubview(sendButton);
    auto barRule = make<UIView>(CGRectMake(0, kStatusBar + kBar - 0.5, width, 0.5));
    barRule->setBackgroundColor(UIColor::colorWithWhite(0.7, 1));
    bar->addSubview(barRule);
    view->addSubview(bar);

    std::string to;
    for (const std::string& address : draft.to) to += (to.empty() ? "" : ", ") + address;
    CGFloat y = kStatusBar + kBar;
    addHeaderRow(view, y, "To:", to);
    addHeaderRow(view, y += kRow, "Cc/Bcc, From:", standin::deviceProfile().mailAccount);
    addHeaderRow(view, y += kRow, "Subject:", draft.subject);
    y += kRow + 10;

    auto body = composerLabel(CGRectMake(kInset, y, width - 2 * kInset, 140), shownBody(draft), 15,
                              UIColor::blackColor());
    body->setNumberOfLines(0);
    body->setLineBreakMode(NSLineBreakByWordWrapping);
    view->addSubview(body);
    y += 150;
    for (const MailAttachment& attachment : draft.attachments) {
      auto icon = make<UIView>(CGRectMake(kInset, y, 36, 44));
      icon->setBackgroundColor(UIColor::colorWithWhite(0.9, 1));
      icon->layer()->setCornerRadius(4);
      auto kind =
          composerLabel(CGRectMake(0, 0, 36, 44), "TXT", 10, UIColor::colorWithWhite(0.4, 1));
      kind->setTextAlignment(NSTextAlignmentCenter);
      icon->addSubview(kind);
      view->addSubview(icon);
      view->addSubview(composerLabel(CGRectMake(kInset + 46, y + 2, width - 2 * kInset - 46, 20),
                                     attachment.fileName, 15, UIColor::blackColor()));
      view->addSubview(composerLabel(CGRectMake(kInset + 46, y + 22, width - 2 * kInset - 46, 18),
                                     shownSize(attachment.data.size()), 13,
                                     UIColor::colorWithWhite(0.56, 1)));
      y += 54;
    }
    composer->setView(view);
  }
  // The Send button's action: the user taps Send.
  static void sendTapped(id self, SEL, id) {
    if (auto composer = composerOf(self)) composer->send();
  }
};

Class MFMailComposeViewController::class_() {
  static Class cls = [] {
    using R = MFMailComposeRuntime;
    Class c =
        objc_registerClass("MFMailComposeViewController", UIViewController::class_(), makeComposer);
    MethodAdder add{c};
    class_addMethod(object_getClass(c), sel_registerName("canSendMail"), R::canSendMail, "B@:");
    add("setMailComposeDelegate:", R::setDelegate, "v@:@");
    add("setSubject:", R::setSubject, "v@:@");
    add("setToRecipients:", R::setToRecipients, "v@:@");
    add("setMessageBody:isHTML:", R::setMessageBody, "v@:@B");
    add("addAttachmentData:mimeType:fileName:", R::addAttachment, "v@:@@@");
    add("loadView", R::loadView, "v@:");
    add("send:", R::sendTapped, "v@:@");
    return c;
  }();
  return cls;
}

bool MFMailComposeViewController::canSendMail() {
  return !standin::deviceProfile().mailAccount.empty();
}

MFMailComposeViewController::MFMailComposeViewController()
    : MFMailComposeViewController(class_()) {}
MFMailComposeViewController::MFMailComposeViewController(Class cls) : UIViewController(cls) {}

void MFMailComposeViewController::send() {
  if (sent_) return;
  sent_ = true;
  draft_.from = standin::deviceProfile().mailAccount;
  MFMailComposeResult result = MFMailComposeResultFailed;
  std::string reason;
  if (draft_.from.empty()) {
    reason = "no mail account";
  } else if (draft_.to.empty()) {
    reason = "no recipient";
  } else if ((sentPath_ = standin::writeOutboxMessage(draft_, &reason))) {
    result = MFMailComposeResultSent;
  }
  if (result == MFMailComposeResultFailed) {
    failureReason_ = reason;
    NSLog("MFMailComposeViewController: not sent: %s", reason.c_str());
  }
  std::weak_ptr<NSObject> weakSelf = self();
  std::weak_ptr<NSObject> delegate = delegate_;
  dispatch_async(dispatch_get_main_queue(), [weakSelf, delegate, result] {
    auto me = weakSelf.lock();
    auto listener = delegate.lock();
    SEL finished = sel_registerName("mailComposeController:didFinishWithResult:error:");
    if (me && listener && ::respondsToSelector(listener, finished)) {
      objc_msgSend<void(id, long, id)>(listener, finished, me, static_cast<long>(result), id());
    }
  });
}
