// A range check for numbers given on the command line. CLI11's own Range lets "nan" through,
// since every comparison with NaN is false; a size or a screen must be a finite number.
#pragma once

#include <CLI/CLI.hpp>
#include <cmath>
#include <string>

inline CLI::Validator FiniteRange(double minimum, double maximum) {
  std::string range =
      "[" + CLI::detail::to_string(minimum) + " - " + CLI::detail::to_string(maximum) + "]";
  return CLI::Validator(
      [=](std::string& input) -> std::string {
        double value = 0;
        if (!CLI::detail::lexical_cast(input, value) || !std::isfinite(value) || value < minimum ||
            value > maximum) {
          return "Value " + input + " not in range " + range;
        }
        return std::string();
      },
      "FLOAT in " + range);
}
