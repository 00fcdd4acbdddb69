// The options that describe a simulated device, shared by the commands that write one.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "foundation/Device.h"

struct DeviceOptions {
  std::string version = "9.0.2";
  std::string machine = "iPhone7,2";
  double scale = 2;
  double width = 375;
  double height = 667;
  std::string idiom = "phone";
  bool rtl = false;
  std::string region = "US";
  std::string mailAccount;

  // Adds --version, --machine, --scale, --width, --height, --idiom, --rtl, --region and
  // --mail-account.
  void addTo(CLI::App* command);
  DeviceProfile profile() const;
};
