// Sent messages composed with GMime: a multipart/mixed message with the body (HTML or plain,
// UTF-8, quoted-printable) and each attachment in base64, written as a new file of the outbox.
#include <fcntl.h>
#include <gmime/gmime.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <mutex>

#include "foundation/Device.h"
#include "foundation/DeviceFiles.h"
#include "messageui/MFMailComposeViewController.h"

namespace {

constexpr int kMostOutboxFiles = 100000;

template <class T>
struct GObjectRef {
  T* object;
  explicit GObjectRef(T* o) : object(o) {}
  ~GObjectRef() {
    if (object) g_object_unref(object);
  }
  GObjectRef(const GObjectRef&) = delete;
  GObjectRef& operator=(const GObjectRef&) = delete;
};

void initGMime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

GMimeObject* textPart(const MailDraft& draft) {
  auto* part = g_mime_text_part_new_with_subtype(draft.bodyIsHTML ? "html" : "plain");
  g_mime_text_part_set_text(part, draft.body.c_str());
  g_mime_text_part_set_charset(part, "utf-8");
  g_mime_part_set_content_encoding(GMIME_PART(part), GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
  return GMIME_OBJECT(part);
}

GMimeObject* attachmentPart(const MailAttachment& attachment) {
  std::string type = attachment.mimeType;
  std::string subtype = "octet-stream";
  if (auto slash = type.find('/');
      slash != std::string::npos && slash > 0 && slash + 1 < type.size()) {
    subtype = type.substr(slash + 1);
    type.resize(slash);
  } else {
    type = "application";
  }
  auto* part = g_mime_part_new_with_type(type.c_str(), subtype.c_str());
  GObjectRef<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(
      reinterpret_cast<const char*>(attachment.data.data()), attachment.data.size()));
  GObjectRef<GMimeDataWrapper> content(
      g_mime_data_wrapper_new_with_stream(stream.object, GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part, content.object);
  g_mime_part_set_filename(part, attachment.fileName.c_str());
  g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
  return GMIME_OBJECT(part);
}

// The first free "N.eml", taken with O_EXCL so that two senders never share a file.
int createOutboxFile(const std::string& folder, std::string* devicePath, std::string* reason) {
  for (int n = 1; n <= kMostOutboxFiles; ++n) {
    std::string path = std::string(standin::kMailOutbox) + "/" + std::to_string(n) + ".eml";
    int fd = standin::openFile(folder + "/" + std::to_string(n) + ".eml",
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
    if (fd >= 0) {
      *devicePath = path;
      return fd;
    }
    if (errno != EEXIST) {
      *reason = std::strerror(errno);
      return -1;
    }
  }
  *reason = "the outbox is full";
  return -1;
}

}  // namespace

namespace standin {

std::optional<std::string> writeOutboxMessage(const MailDraft& draft, std::string* reason) {
  initGMime();
  std::string why;
  std::string folder = fileSystemRepresentation(kMailOutbox);
  if (!createFolders(folder, &why)) {
    if (reason) *reason = "cannot make the outbox: " + why;
    return std::nullopt;
  }
  GObjectRef<GMimeMessage> message(g_mime_message_new(TRUE));
  g_mime_message_add_mailbox(message.object, GMIME_ADDRESS_TYPE_FROM, nullptr, draft.from.c_str());
  for (const std::string& to : draft.to) {
    g_mime_message_add_mailbox(message.object, GMIME_ADDRESS_TYPE_TO, nullptr, to.c_str());
  }
  g_mime_message_set_subject(message.object, draft.subject.c_str(), "utf-8");
  GDateTime* now = g_date_time_new_now_utc();
  g_mime_message_set_date(message.object, now);
  g_date_time_unref(now);
  char* messageId = g_mime_utils_generate_message_id("talvocb.invalid");
  g_mime_message_set_message_id(message.object, messageId);
  g_free(messageId);

  GObjectRef<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
  GObjectRef<GMimeObject> body(textPart(draft));
  g_mime_multipart_add(mixed.object, body.object);
  for (const MailAttachment& attachment : draft.attachments) {
    GObjectRef<GMimeObject> part(attachmentPart(attachment));
    g_mime_multipart_add(mixed.object, part.object);
  }
  g_mime_message_set_mime_part(message.object, GMIME_OBJECT(mixed.object));

  std::string devicePath;
  int fd = createOutboxFile(folder, &devicePath, &why);
  if (fd < 0) {
    if (reason) *reason = why;
    return std::nullopt;
  }
  GObjectRef<GMimeStream> out(g_mime_stream_fs_new(fd));  // owns fd
  bool written =
      g_mime_object_write_to_stream(GMIME_OBJECT(message.object), nullptr, out.object) >= 0 &&
      g_mime_stream_flush(out.object) == 0;
  if (!written) {
    removeFile(fileSystemRepresentation(devicePath));
    if (reason) *reason = "cannot write the message";
    return std::nullopt;
  }
  return devicePath;
}

}  // namespace standin
