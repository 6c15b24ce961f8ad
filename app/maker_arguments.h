#pragma once

#include <string>
#include <vector>

#include "exchange/input/maker_options.h"

namespace morvit {

// The options, or what is wrong with the arguments (`problem` not empty).
struct MakerArguments {
  MakerOptions options;
  std::string problem;
};

// Reads the arguments that follow --make-command-file: one CSV file name and the options,
// in any order, each option as "--name VALUE" or "--name=VALUE" ("-o FILE" for the output).
// Only --calibrate and --set may be given more than once.
MakerArguments parse_maker_arguments(const std::vector<std::string>& arguments);

}  // namespace morvit
