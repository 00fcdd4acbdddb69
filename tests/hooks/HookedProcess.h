// Tests of the hook bodies inside one process: the test process takes SpringBoard's identity (or
// another host's), registers the host classes, and loads the hook module as a host would. The
// module installs itself once per process and keeps its state until the process ends, so each test
// needs a process of its own: ctest runs every test alone. Run by hand, give one test at a time
// (--gtest_filter); a second test in the same process is skipped.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "TemporaryDevice.h"
#include "foundation/Device.h"

struct HookedProcessOptions {
  std::string systemVersion = "9.0.2";
  std::optional<std::string> bundleIdentifier = "com.apple.springboard";
  int layoutDirection = 0;
  // Runs after the host classes are registered and before the module loads: a test may give a
  // host method a body of its own here, which the module then replaces as it would the host's.
  std::function<void()> beforeModuleLoads;
};

class HookedProcessTest : public ::testing::Test {
 protected:
  // Writes the sample device, takes the identity and loads the module; fails the test when the
  // module cannot be loaded, skips it when this process already loaded it.
  void start(const HookedProcessOptions& options = {});

  // Writes the switches (all on unless named here) and has the settings object read them again,
  // as the change notification will.
  void setSwitches(std::initializer_list<std::pair<const char*, bool>> switches);

  std::unique_ptr<TemporaryDevice> device;
};
