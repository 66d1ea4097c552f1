#include "devices/TempPicture.h"

#include <filesystem>
#include <stdexcept>

#include "platform/PictureError.h"
#include "platform/TempFiles.h"
#include "support/NumUtils.h"
#include "support/Paths.h"

namespace temp_picture {

namespace {

std::string WithExtension(const std::string& name, const std::string& extension) {
  if (extension.empty()) return name;
  const std::size_t dot = name.rfind('.');
  return (dot == std::string::npos ? name : name.substr(0, dot)) + extension;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found;
}

constexpr int kAttempts = 1000;

}  // namespace

std::string CreateTempPictureFile(const std::string& prefix, const std::string& extension,
                                  std::span<const uint8_t> bytes) {
  if (TempDirectory().empty())
    throw platform::PictureError("No private temporary folder for the picture file");
  const std::string stem = TempDirectory() + prefix.substr(0, 4);
  const std::string suffix = extension.empty() ? ".tmp" : extension;
  std::string path = WithExtension(UniqueTempName(prefix), extension);
  std::string failure;
  long next = 1;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    try {
      platform::CreateExclusiveFile(path, bytes);
      return path;
    } catch (const std::runtime_error& e) {
      // Only a name someone else holds is worth another try.
      if (!Exists(path)) throw platform::PictureError(e.what());
      failure = e.what();
    }
    do {
      path = stem + std::to_string(next++) + suffix;
    } while (Exists(path) && next < 100000);
  }
  throw platform::PictureError("No temporary picture file could be created: " + failure);
}

}  // namespace temp_picture
