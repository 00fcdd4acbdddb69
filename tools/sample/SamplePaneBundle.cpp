#include "SamplePaneBundle.h"

#include <filesystem>

namespace sample {

namespace fs = std::filesystem;

bool installPaneBundle(const std::string& root, std::string* error) {
  std::error_code failed;
  fs::path self = fs::read_symlink("/proc/self/exe", failed);
  fs::path built = self.parent_path().parent_path() / "TalvoCBSettings.bundle";
  fs::path device = fs::path(root) / "System/Library/PreferenceBundles/TalvoCBSettings.bundle";
  for (const char* file : {"TalvoCBSettings", "Info.plist", "TalvoCB.plist", "TalvoCBMisc.plist"}) {
    if (!fs::is_regular_file(built / file, failed)) {
      if (error) *error = "the settings pane is not built: no " + (built / file).string();
      return false;
    }
    fs::create_directories(device, failed);
    fs::copy_file(built / file, device / file, fs::copy_options::overwrite_existing, failed);
    if (failed) {
      if (error) *error = "cannot copy " + (built / file).string() + ": " + failed.message();
      return false;
    }
  }
  return true;
}

}  // namespace sample
