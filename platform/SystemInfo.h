#pragma once
// What the operating system says about itself: its family and version and
// its system directory.
#include <string>

namespace platform {

// Platform families as version queries report them.
constexpr int kPlatformWindows95 = 1;  // Windows 95, 98, Me
constexpr int kPlatformWindowsNT = 2;  // Windows NT, 2000 and later
constexpr int kPlatformLinux = 3;      // what this program runs on here

struct PlatformVersion {
  int family = 0;
  int major = 0;
  int minor = 0;
  std::string name;  // the system's own name ("Linux"); empty when unknown
};

// The running system: on Linux family kPlatformLinux, name and version from
// uname (the kernel's release "6.1.0-18-amd64" gives major 6, minor 1).
PlatformVersion GetPlatformVersion();

// The directory that holds the system's own configuration, without a
// trailing separator: "/etc" on Linux (its counterpart of the Windows
// directory, where system-wide settings live).
std::string GetSystemDirectory();

}  // namespace platform
