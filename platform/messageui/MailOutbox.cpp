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
  // An empty attachment has no buffer to copy, which GMime refuses.
  GObjectRef<GMimeStream> stream(
      attachment.data.empty()
          ? g_mime_stream_mem_new()
          : g_mime_stream_mem_new_with_buffer(reinterpret_cast<const char*>(attachment.data.data()),
                                              attachment.data.size()));
  GObjectRef<GMimeDataWrapper> content(
      g_mime_data_wrapper_new_with_stream(stream.object, GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part, content.object);
  g_mime_part_set_filename(part, attachment.fileName.c_str());
  g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
  return GMIME_OBJECT(part);
}

// Every byte of the message in a hidden temporary of the outbox, synced; nothing on failure.
// GMime's file stream is not used: it asserts on a write that fails (a full disk).
bool writeTemporary(int folder, const std::string& name, GMimeMessage* message,
                    std::string* reason) {
  int fd =
      ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    *reason = std::string("cannot write the message: ") + std::strerror(errno);
    return false;
  }
  GObjectRef<GMimeStream> memory(g_mime_stream_mem_new());
  bool ok = g_mime_object_write_to_stream(GMIME_OBJECT(message), nullptr, memory.object) >= 0;
  int error = ok ? 0 : EIO;
  if (ok) {
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory.object));
    for (guint written = 0; ok && written < bytes->len;) {
      ssize_t n = ::write(fd, bytes->data + written, bytes->len - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? errno : EIO;
        ok = false;
        break;
      }
      written += static_cast<guint>(n);
    }
  }
  if (ok && ::fsync(fd) != 0) {
    error = errno;
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    error = errno;
    ok = false;
  }
  if (!ok) {
    ::unlinkat(folder, name.c_str(), 0);
    *reason = std::string("cannot write the message: ") + std::strerror(error);
  }
  return ok;
}

// Gives the temporary the first free "N.eml"; a name is never taken from another sender, so two
// senders never share a file and a reader never sees half a message.
bool publish(int folder, const std::string& temporary, std::string* name, std::string* reason) {
  for (int n = 1; n <= kMostOutboxFiles; ++n) {
    *name = std::to_string(n) + ".eml";
    if (::linkat(folder, temporary.c_str(), folder, name->c_str(), 0) == 0) {
      ::unlinkat(folder, temporary.c_str(), 0);
      return true;
    }
    if (errno != EEXIST) {
      *reason = std::string("cannot write the message: ") + std::strerror(errno);
      ::unlinkat(folder, temporary.c_str(), 0);
      return false;
    }
  }
  ::unlinkat(folder, temporary.c_str(), 0);
  *reason = "the outbox is full";
  return false;
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

  std::string temporary =
      ".sending." + std::to_string(::getpid()) + "." + std::to_string(g_get_monotonic_time());
  auto outbox = openFolderOf(folder + "/" + temporary);
  if (!outbox) {
    if (reason) *reason = std::string("cannot open the outbox: ") + std::strerror(errno);
    return std::nullopt;
  }
  std::string name;
  if (!writeTemporary(outbox->folder(), temporary, message.object, &why) ||
      !publish(outbox->folder(), temporary, &name, &why)) {
    if (reason) *reason = why;
    return std::nullopt;
  }
  std::string devicePath = std::string(kMailOutbox) + "/" + name;
  return devicePath;
}

}  // namespace standin
