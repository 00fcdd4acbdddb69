// Sample devices: a whole simulated phone written into a folder, with a hand-picked address book
// that shows every case the add-on meets, or many generated contacts for benchmarks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Device.h"

namespace sample {

struct SampleOptions {
  DeviceProfile profile;
  std::optional<int> contacts;          // generated contacts; the hand-picked book when absent
  std::vector<std::string> vcardFiles;  // the book made of these cards instead, when given
  uint64_t seed = 1;
};

// What a sample wrote, one line per item, for the user to read.
using SampleReport = std::vector<std::string>;

// Writes the device into root: everything of the device (writeDeviceFiles) and the address book;
// with the hand-picked book or one of vCard files also CallBar's favourites and call history.
// The same options always give the same files.
bool writeSampleDevice(const std::string& root, const SampleOptions& options, SampleReport* report,
                       std::string* error);

// Everything of the device apart from the address book: the profile and the preferences folder.
// Further files of the sample device belong here.
bool writeDeviceFiles(const std::string& root, const SampleOptions& options, SampleReport* report,
                      std::string* error);

// The two address-book databases alone.
bool writeHandPickedAddressBook(const std::string& root, const std::string& region,
                                SampleReport* report, std::string* error);
// The cards of vCard files; cards that cannot be read are named in the report and left out.
bool writeImportedAddressBook(const std::string& root, const std::string& region,
                              const std::vector<std::string>& files, SampleReport* report,
                              std::string* error);
bool writeGeneratedAddressBook(const std::string& root, const std::string& region, int contacts,
                               uint64_t seed, SampleReport* report, std::string* error);

}  // namespace sample
