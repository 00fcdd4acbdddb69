// The one way to open, create, rename and remove files at real paths. A path under the device
// root is resolved inside the root, as if the root were "/": "..", absolute links and relative
// links all stay in the device, so a device folder received from someone else cannot lead a read
// or a write to a file outside it. Paths outside the device root (a tool's own output, say) are
// used as they stand.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// open(2) of a path inside a folder other than this process's device root (a tool reading a device
// it is not running on), resolved inside that folder as openFile resolves device paths.
int openInside(const std::string& folder, const std::string& path, int flags, mode_t mode = 0);

// The whole regular file at a path inside a folder, resolved as openInside does, up to maxBytes.
std::optional<std::vector<uint8_t>> readFileInside(const std::string& folder,
                                                   const std::string& path, std::string* reason,
                                                   std::size_t maxBytes = 64 << 20);

// The path relative to the device root ("." for the root itself), or nothing when the real path
// does not lie under the root or the root is "/".
std::optional<std::string> pathInDevice(const std::string& realPath);

// open(2) for a real path; -1 with errno set when it cannot be opened. Never blocks on a FIFO when
// the flags ask for O_NONBLOCK, as for open(2).
int openFile(const std::string& realPath, int flags, mode_t mode = 0);

// Where a link at a path in the device (relative to the root) leads, relative to the root, as
// openFile resolves it: an absolute target is a path on the device and ".." stops at the root.
// *climbsOut tells whether the target tried to go above the root.
std::string linkTargetInDevice(const std::string& linkInDevice, const std::string& target,
                               bool* climbsOut = nullptr);

// stat(2) for a real path, resolved as openFile resolves it.
bool statFile(const std::string& realPath, struct stat* info);

// A folder held open by its descriptor and a name in it: what creating, renaming and removing
// act on, so that the last part of a path is never followed through a link.
class FolderEntry {
 public:
  FolderEntry(int folder, std::string name) : folder_(folder), name_(std::move(name)) {}
  FolderEntry(FolderEntry&& other) noexcept;
  FolderEntry& operator=(FolderEntry&&) = delete;
  FolderEntry(const FolderEntry&) = delete;
  ~FolderEntry();
  int folder() const { return folder_; }
  const std::string& name() const { return name_; }

 private:
  int folder_;
  std::string name_;
};

// The folder that holds a real path, and the path's last part. Nothing (errno set) when the folder
// cannot be opened or the last part is "." or "..".
std::optional<FolderEntry> openFolderOf(const std::string& realPath);

// Creates a real path's folders, each resolved as openFile resolves them. False with *reason set
// when one cannot be made.
bool createFolders(const std::string& realPath, std::string* reason = nullptr);

// Removes the file or folder, with all it holds, at a real path; a link is removed, never what it
// leads to. False with errno set.
bool removeFile(const std::string& realPath);

}  // namespace standin
