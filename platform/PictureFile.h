#pragma once
// Picture files named by a log: read safely, then decoded as JPEG (names
// ending in ".jpg", any case) or as a bitmap file (every other name, even
// ".jpeg").
#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PictureError.h"

namespace platform {

// No picture file larger than this is read.
inline constexpr std::uint64_t kMaxPictureFileBytes = 64ull << 20;

// Reads a whole picture file. Only a regular file (a symbolic link to one is
// fine) of at most kMaxPictureFileBytes is read; a directory, device, FIFO
// or socket is refused without blocking. Throws PictureError.
std::vector<std::uint8_t> ReadPictureFileBytes(const std::string& path);

// True when the name ends in ".jpg" in any mix of cases.
bool IsJpegFileName(const std::string& path);

struct LoadedPicture {
  QImage image;  // Format_RGB32
  // A JPEG warning that part of the picture could not be decoded (that part
  // is a guess), else empty. Warnings after which the picture is whole (stray
  // bytes between segments) are not passed on.
  std::string warning;
};

// Reads and decodes the picture file. Throws PictureError, whose message
// names the file.
LoadedPicture LoadPictureFile(const std::string& path);

}  // namespace platform
