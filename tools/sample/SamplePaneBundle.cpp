#include "SamplePaneBundle.h"

#include <filesystem>

#include "foundation/DeviceFiles.h"
#include "foundation/PropertyList.h"

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
    // Into the device through its own opener: a link already in the folder leads nowhere else.
    std::string why;
    auto bytes = readRealFile((built / file).string(), &why);
    if (!bytes || !standin::createFolders(device.string(), &why) ||
        !writeRealFile((device / file).string(), *bytes, true, &why)) {
      if (error) *error = "cannot copy " + (built / file).string() + ": " + why;
      return false;
    }
  }
  return true;
}

}  // namespace sample
