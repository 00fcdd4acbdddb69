#include "messageui/MFMailComposeViewController.h"

#include "foundation/Device.h"
#include "foundation/Dispatch.h"
#include "foundation/NSLog.h"
#include "foundation/NSValueTypes.h"

namespace {

std::shared_ptr<MFMailComposeViewController> composerOf(const id& self) {
  return cast<MFMailComposeViewController>(self);
}

id makeComposer(Class cls) {
  return objc_alloc::make<MFMailComposeViewController>(cls);
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
  static void viewDidAppear(id self, SEL cmd, bool animated) {
    objc_msgSendSuper<void(bool)>(MFMailComposeViewController::class_(), self, cmd, animated);
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
    add("viewDidAppear:", R::viewDidAppear, "v@:B");
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
