#include "support/IoError.h"

#include <cstring>

std::string DescribeIoFailure(const std::string& what, const std::string& path, int code) {
  return what + " " + path + ": " + std::strerror(code);
}
