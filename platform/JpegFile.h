#pragma once
// JPEG images decoded with libjpeg. Corrupt data is reported as a
// PictureError instead of ending the program (libjpeg's default); data that
// libjpeg can still decode with a warning gives the image and the warning
// text. Warnings are of two kinds: about the file's structure (stray bytes
// between segments, an unknown JFIF revision), after which the picture is
// whole, and about its image data (a file cut off in the middle of the scan,
// a bad code), after which part of the picture is a guess (grey or
// garbled): `damage` holds the first of those.
#include <QImage>
#include <cstdint>
#include <span>
#include <string>

#include "platform/PictureError.h"

namespace platform {

struct DecodedJpeg {
  QImage image;         // Format_RGB32
  std::string warning;  // first libjpeg warning, empty when there was none
  std::string damage;   // first warning that image data could not be decoded
};

// Greyscale, YCbCr/RGB and CMYK/YCCK images (Adobe's inverted CMYK too).
// Refuses images whose pixels would exceed kMaxPicturePixelBytes before any
// pixel memory is taken. Throws PictureError.
DecodedJpeg DecodeJpeg(std::span<const std::uint8_t> data);

}  // namespace platform
