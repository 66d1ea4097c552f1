#pragma once
// Helpers for the start-up and About box tests: executables with a version
// note of our choosing, made from a system program with objcopy.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestFiles.h"
#include "platform/VersionInfo.h"

namespace startuptest {

// A copy of /bin/true at dir/name carrying the version note; "" when the
// tools to make it are missing.
inline std::string StampedProgram(const testfiles::TempDir& dir, const std::string& name,
                                  const platform::FixedFileVersion& version) {
  const std::string note = dir.file(name + ".note");
  testfiles::WriteAll(note, platform::MakeVersionNote(version));
  const std::string out = dir.file(name);
  const std::string command = "objcopy --add-section .note.korvale='" + note +
                              "' /bin/true '" + out + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0 || !std::filesystem::exists(out)) return {};
  return out;
}

}  // namespace startuptest
