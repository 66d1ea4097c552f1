#pragma once
// Windows bitmap images decoded by our own rules (those of GDI), never by
// Qt's BMP reader: we must know exactly which files are accepted and how
// much memory one may take.
//
// Accepted: the 14-byte file header "BM" followed by an info header of 12
// (OS/2 core), 16 or 64 (OS/2 2.x), 40, 52, 56, 108 (V4) or 124 (V5) bytes;
// 1, 4, 8, 16, 24 and 32 bits per pixel; BI_RGB, BI_RLE8, BI_RLE4 and
// BI_BITFIELDS; bottom-up and top-down rows (RLE only bottom-up).
//
// GDI's rules kept here:
//  - biClrUsed 0 means the full table of 2^bits entries for 1, 4 and 8 bits;
//    a pixel index past the end of the table is black.
//  - 16 bits without masks is 5-5-5, 32 bits without masks is 8-8-8 (the
//    fourth byte is ignored; there is no alpha in a drawing).
//  - bfSize, biSizeImage of uncompressed data and the pixel densities are not
//    used; the pixels start at bfOffBits.
//  - RLE pixels that the data skips (deltas, early end of line or bitmap)
//    keep colour table entry 0.
// Refused with a PictureError: anything cut short, a run or delta that
// leaves the picture, masks that are empty, overlapping or not contiguous,
// and pictures whose pixels would need more than kMaxPicturePixelBytes.
#include <QImage>
#include <cstdint>
#include <span>
#include <string>

#include "platform/PictureError.h"

namespace platform {

// A whole bitmap file image (file header, info header, colours, pixels).
// Returns a Format_RGB32 image; throws PictureError.
QImage DecodeBitmapFile(std::span<const std::uint8_t> data);

// How the colour table of a packed DIB is to be read (the iUsage of the
// metafile records): RGB quads, or palette indices, which a metafile player
// without a logical palette shows as grey levels.
enum class DibColors { Rgb, PaletteIndices };

// A packed device-independent bitmap as metafiles carry it: info header,
// colour table, then the pixels directly. Throws PictureError.
QImage DecodePackedDib(std::span<const std::uint8_t> data,
                       DibColors colors = DibColors::Rgb);

}  // namespace platform
