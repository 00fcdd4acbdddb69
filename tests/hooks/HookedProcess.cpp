#include "HookedProcess.h"

#include <dlfcn.h>

#include "SampleDevice.h"
#include "TALCBSettings.h"
#include "apps/HostClasses.h"
#include "foundation/Dispatch.h"
#include "foundation/NSValueTypes.h"
#include "foundation/PropertyList.h"

namespace {
bool moduleLoaded = false;
}

void HookedProcessTest::start(const HookedProcessOptions& options) {
  if (moduleLoaded) GTEST_SKIP() << "the module is already loaded in this process: run one test";
  moduleLoaded = true;
  DeviceProfile profile;
  profile.systemVersion = options.systemVersion;
  profile.layoutDirection = options.layoutDirection;
  profile.deriveFromScreen();
  device = std::make_unique<TemporaryDevice>(profile);
  sample::SampleOptions sampleOptions;
  sampleOptions.profile = profile;
  std::string error;
  ASSERT_TRUE(sample::writeSampleDevice(device->root(), sampleOptions, nullptr, &error)) << error;

  standin::becomeMainThread();
  standin::setMainBundleIdentifier(options.bundleIdentifier);
  standin::apps::registerCallBarClasses();
  if (NSStringDoubleValue(options.systemVersion) >= 9.0) standin::apps::registerContactsClasses();
  standin::apps::registerAddressBookUIClasses();
  if (options.beforeModuleLoads) options.beforeModuleLoads();
  ASSERT_TRUE(::dlopen(TALVOCB_LIB_DIR "/TalvoCB.so", RTLD_NOW | RTLD_GLOBAL)) << ::dlerror();
}

void HookedProcessTest::setSwitches(std::initializer_list<std::pair<const char*, bool>> switches) {
  auto settings = std::make_shared<NSDictionary>();
  for (const char* key : TalvoCBSettingsFile::kKeys) {
    settings->setObject(NSNumber::numberWithBool(true), key);
  }
  for (const auto& [key, on] : switches) settings->setObject(NSNumber::numberWithBool(on), key);
  ASSERT_TRUE(settings->writeToFile(TalvoCBSettingsFile::pathInHome(), true));
  TALCBSettings::sharedSettings()->loadSettings();
}
