#pragma once
// A Windows metafile (WMF) player of our own, drawing on a Canvas.
//
// The picture's window (SetWindowOrg/SetWindowExt, or the placeable header's
// bounding box, or else one logical unit per pixel) is stretched onto the
// destination rectangle, anisotropically, as a metafile picture is stretched
// into a frame. Viewport and mapping-mode records are kept in the player's
// state but do not move the picture: the frame fixes the viewport. Drawing
// is clipped to the frame and to the canvas's clip when playing starts, and
// the canvas's state (pen, brush, font, colours, clip) is restored after.
//
// Records played: window and viewport origin and extent, map mode, SaveDC and
// RestoreDC, background colour and mode, text colour and alignment, polygon
// fill mode, ROP2, stretch mode; pens, brushes (solid, hatched, DIB pattern),
// fonts and regions created, selected and deleted in the object table as WMF
// defines it (lowest free slot); MoveTo, LineTo, Polyline, Polygon,
// PolyPolygon, Rectangle, RoundRect, Ellipse, Arc, Pie, Chord, SetPixel,
// PatBlt, TextOut, ExtTextOut, DIBBitBlt, DIBStretchBlt, StretchDIB,
// SetDIBitsToDevice, IntersectClipRect, ExcludeClipRect, SelectClipRegion.
// Other records are skipped. A record whose own counts do not fit its size
// is skipped; a record that runs past the end of the data ends playing with
// a PictureError (what was drawn stays drawn).
#include <cstdint>
#include <span>

#include "platform/Canvas.h"
#include "platform/PictureError.h"

namespace platform {

struct WmfPlayStats {
  int records = 0;  // records read, up to and with the end record
  int played = 0;   // records drawn or applied
  int skipped = 0;  // records of kinds not played, or broken inside
};

// Plays metafile bytes (with or without the 22-byte placeable header) into
// `destination` on `canvas`. Throws PictureError when the header is not a
// metafile header or a record runs past the end of the data.
WmfPlayStats PlayMetafile(Canvas& canvas, std::span<const std::uint8_t> data,
                          const Rect& destination);

}  // namespace platform
