// Contact identifiers on the command line: decimal whole numbers in the 32-bit range of a record
// identifier and nothing else. Left to itself CLI11 reads "0x10" as 16 and clamps a number that
// does not fit, so that the command acts on a contact nobody named.
#pragma once

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

inline CLI::Validator ContactIdentifier() {
  return CLI::Validator(
      [](std::string& input) -> std::string {
        std::size_t sign = !input.empty() && input[0] == '-' ? 1 : 0;
        bool decimal =
            input.size() > sign && input.find_first_not_of("0123456789", sign) == std::string::npos;
        errno = 0;
        long long value = decimal ? std::strtoll(input.c_str(), nullptr, 10) : 0;
        if (!decimal || errno == ERANGE || value < std::numeric_limits<int32_t>::min() ||
            value > std::numeric_limits<int32_t>::max()) {
          return "'" + input +
                 "' is not a contact identifier (a decimal whole number from -2147483648 to "
                 "2147483647)";
        }
        // Written back without leading zeros, which would otherwise read as octal.
        input = std::to_string(value);
        return std::string();
      },
      "ID");
}
