#include "platform/SystemInfo.h"

#include <sys/utsname.h>

#include <cstdlib>

namespace platform {
namespace {

// Leading decimal number of text from pos; advances pos past it and one dot.
int NextNumber(const char* text, std::size_t& pos) {
  long value = 0;
  bool any = false;
  while (text[pos] >= '0' && text[pos] <= '9') {
    if (value < 1000000) value = value * 10 + (text[pos] - '0');
    any = true;
    ++pos;
  }
  if (any && text[pos] == '.') ++pos;
  return static_cast<int>(value);
}

}  // namespace

PlatformVersion GetPlatformVersion() {
  PlatformVersion version;
  utsname info{};
  if (uname(&info) != 0) return version;
  version.family = kPlatformLinux;
  version.name = info.sysname;
  std::size_t pos = 0;
  version.major = NextNumber(info.release, pos);
  version.minor = NextNumber(info.release, pos);
  return version;
}

std::string GetSystemDirectory() { return "/etc"; }

}  // namespace platform
