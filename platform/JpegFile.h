#pragma once
// JPEG images decoded with libjpeg. Corrupt data is reported as a
// PictureError instead of ending the program (libjpeg's default); data that
// libjpeg can still decode with a warning (for example a file cut off in the
// middle of the scan, whose missing part comes out grey) gives the image
// and the warning text.
#include <QImage>
#include <cstdint>
#include <span>
#include <string>

#include "platform/PictureError.h"

namespace platform {

struct DecodedJpeg {
  QImage image;         // Format_RGB32
  std::string warning;  // first libjpeg warning, empty when there was none
};

// Greyscale, YCbCr/RGB and CMYK/YCCK images (Adobe's inverted CMYK too).
// Refuses images whose pixels would exceed kMaxPicturePixelBytes before any
// pixel memory is taken. Throws PictureError.
DecodedJpeg DecodeJpeg(std::span<const std::uint8_t> data);

}  // namespace platform
