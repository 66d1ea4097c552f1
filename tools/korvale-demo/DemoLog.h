#pragma once
// Writes the demonstration compiled log and the core photograph it names.
#include <string>

#include "core/TflFormat.h"

namespace demo {

struct DemoOptions {
  std::string log_path;    // the .tfl file to write
  std::string photo_path;  // where the JPEG goes
  std::string photo_name;  // how the log names it (record 28)
};

// The header block of the demonstration log.
tfl::Header DemoHeader();

// Throws std::exception on failure.
void WriteDemo(const DemoOptions& options);

}  // namespace demo
