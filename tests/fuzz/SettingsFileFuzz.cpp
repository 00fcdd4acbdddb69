// libFuzzer target of the settings file: any bytes at its path read as seven switches, and the
// start-up completion either adds the missing switches and keeps every other entry, or leaves a
// file it cannot complete byte for byte as it was.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "PropertyListEquality.h"
#include "TALCBSettings.h"
#include "foundation/PropertyList.h"
#include "fuzz/FuzzDevice.h"
#include "fuzz/XmlCarries.h"

namespace {

constexpr const char* kSettingsPath =
    "/private/var/mobile/Library/Preferences/com.quorvik.TalvoCB.plist";

[[noreturn]] void fail(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "%s %s\n", what, detail.c_str());
  std::abort();
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  auto& device = FuzzDevice::shared();
  // The hosts read the file relative to their working directory, the device root.
  static bool entered = ::chdir(device.root().c_str()) == 0;
  if (!entered) fail("cannot enter the device root");
  device.write(kSettingsPath, data, size);
  std::string path = device.real(kSettingsPath);

  TALCBSettings::sharedSettings()->loadSettings();

  std::string why;
  auto before =
      cast<NSDictionary>(propertyListFromData(std::vector<uint8_t>(data, data + size), &why));
  std::string reason;
  bool written = TalvoCBSettingsFile::completeAtStartup(&reason);
  std::string after = contents(path);
  // The file is written as XML, whose years run from 1 to 9999: such a file also stays.
  bool unwritable = reason.find("holds a date outside the years 1 to 9999") != std::string::npos;
  if (!before || unwritable) {
    if (written) fail("a file that is no dictionary was rewritten");
    if (after != std::string(reinterpret_cast<const char*>(data), size))
      fail("a file that is no dictionary was changed");
    return 0;
  }
  if (!written) fail("a dictionary was not completed:", reason);
  auto completed = cast<NSDictionary>(
      propertyListFromData(std::vector<uint8_t>(after.begin(), after.end()), &why));
  if (!completed) fail("the completed file does not read back:", why);
  for (const auto& [key, value] : before->entries) {
    if (!identicalPropertyLists(asXmlCarriesIt(value), completed->objectForKey(key)))
      fail("lost the entry", key);
  }
  for (const char* key : TalvoCBSettingsFile::kKeys) {
    if (!completed->objectForKey(key)) fail("missing the switch", key);
  }
  return 0;
}
