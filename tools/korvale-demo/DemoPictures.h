#pragma once
// The three pictures of the demonstration log, all drawn here: the
// operator's logo (an embedded bitmap), the contractor's emblem (an embedded
// metafile) and a core photograph (a JPEG file beside the log).
#include <cstdint>
#include <vector>

#include "BmpImage.h"

namespace demo {

// A derrick on a blue disc, 64 x 64 pixels.
RgbImage MakeLogo();
// Strata of a basin cut by a well, with the contractor's name; a metafile
// of 1000 x 500 logical units without a placeable header.
std::vector<uint8_t> MakeEmblemMetafile();
// A core box seen from above, standing upright: five columns of core
// pieces in a wooden box, with depth blocks and oil staining.
RgbImage MakeCorePhoto(int width, int height);

}  // namespace demo
