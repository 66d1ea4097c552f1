#pragma once
// Writes an RgbImage as a baseline JPEG file with libjpeg.
#include <string>

#include "BmpImage.h"

namespace demo {

// Throws std::runtime_error when the file cannot be written.
void WriteJpeg(const RgbImage& image, const std::string& path, int quality = 88);

}  // namespace demo
