#include "DeviceOptions.h"

#include "NumberRange.h"

void DeviceOptions::addTo(CLI::App* command) {
  command->add_option("--version", version, "System version")->capture_default_str();
  command->add_option("--machine", machine, "Machine identifier")->capture_default_str();
  command->add_option("--scale", scale, "Screen scale")
      ->check(CLI::IsMember({1.0, 2.0, 3.0}))
      ->capture_default_str();
  command->add_option("--width", width, "Screen width in points")
      ->check(FiniteRange(1.0, 10000.0))
      ->capture_default_str();
  command->add_option("--height", height, "Screen height in points")
      ->check(FiniteRange(1.0, 10000.0))
      ->capture_default_str();
  command->add_option("--idiom", idiom, "phone or pad")
      ->check(CLI::IsMember({"phone", "pad"}))
      ->capture_default_str();
  command->add_flag("--rtl", rtl, "Right-to-left layout");
  command->add_option("--region", region, "Phone-number region of the address book (two letters)")
      ->check([](const std::string& value) {
        bool ok = value.size() == 2 && std::isupper(static_cast<unsigned char>(value[0])) &&
                  std::isupper(static_cast<unsigned char>(value[1]));
        return ok ? std::string() : "a region is two capital letters, such as US";
      })
      ->capture_default_str();
  command->add_option("--mail-account", mailAccount, "Address of the device's mail account")
      ->check([](const std::string& value) {
        bool ok = value.find('@') != std::string::npos &&
                  value.find_first_of(" \t\r\n<>\",") == std::string::npos;
        return ok ? std::string() : "a mail account is an address such as name@example.com";
      });
}

DeviceProfile DeviceOptions::profile() const {
  DeviceProfile profile;
  profile.systemVersion = version;
  profile.machine = machine;
  profile.scale = scale;
  profile.width = width;
  profile.height = height;
  profile.deriveFromScreen();
  profile.idiom = idiom == "pad" ? 1 : 0;
  profile.layoutDirection = rtl ? 1 : 0;
  profile.region = region;
  profile.mailAccount = mailAccount;
  return profile;
}
