#pragma once
// Canvas: a drawing surface that keeps the drawing rules of a Windows device
// context (GDI), painted with QPainter (antialiasing off) onto a QImage (the
// screen page, Format_RGB32) or any other QPaintDevice (a QPrinter, a PDF).
//
// Coordinates are integer device pixels (32-bit). Colours are COLORREF values
// 0x00BBGGRR (red in the low byte). Texts are single-byte Windows-1252 strings
// as they come out of our files.
//
// The canvas holds the current pen, brush, font, colours, modes, current
// position and clip region, as a device context does; every drawing call uses
// them. Each call below names the GDI rule it keeps.
//
// Coordinates far outside the surface are safe: lines and polygons are cut to
// a margin around the surface before they reach QPainter, whose rasteriser
// works in fixed point and overflows on coordinates in the millions.

#include <QPolygon>
#include <QRegion>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QImage;
class QPaintDevice;
class QPainter;

namespace platform {

using COLORREF = std::uint32_t;

constexpr COLORREF MakeRGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) { return static_cast<int>(c & 0xFF); }
constexpr int GetGValue(COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int GetBValue(COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }
// QRgb (0xAARRGGBB) <-> COLORREF.
COLORREF ColorRefFromQRgb(std::uint32_t rgb);
std::uint32_t QRgbFromColorRef(COLORREF c);

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
// GetPixel's answer for a pixel that cannot be read.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Pen styles (also the pen style codes of our compiled logs).
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;        // cosmetic: 18 on, 6 off
constexpr int PS_DOT = 2;         // cosmetic: 3 on, 3 off
constexpr int PS_DASHDOT = 3;     // cosmetic: 9 on, 6 off, 3 on, 6 off
constexpr int PS_DASHDOTDOT = 4;  // cosmetic: 9 on, 3 off, 3 on, 3 off, 3 on, 3 off
constexpr int PS_NULL = 5;

// Brush styles.
constexpr int BS_SOLID = 0;
constexpr int BS_HOLLOW = 1;  // also BS_NULL
constexpr int BS_HATCHED = 2;
constexpr int BS_PATTERN = 3;  // Brush::pattern tiles from the brush origin

// Hatch styles: 8 x 8 pixel cells anchored at the brush origin (device 0,0).
constexpr int HS_HORIZONTAL = 0;  // row 3 of each cell
constexpr int HS_VERTICAL = 1;    // column 4 of each cell
constexpr int HS_FDIAGONAL = 2;   // "\" : x == y (mod 8)
constexpr int HS_BDIAGONAL = 3;   // "/"
constexpr int HS_CROSS = 4;
constexpr int HS_DIAGCROSS = 5;

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Mix modes (SetROP2). Other values draw as R2_COPYPEN.
constexpr int R2_BLACK = 1;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOP = 11;
constexpr int R2_COPYPEN = 13;
constexpr int R2_WHITE = 16;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// Stretch modes: all but HALFTONE sample the nearest source pixel
// (COLORONCOLOR look).
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

// Text alignment flags (the Windows numeric values).
constexpr unsigned TA_NOUPDATECP = 0;
constexpr unsigned TA_UPDATECP = 1;
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;

// ExtTextOut options.
constexpr unsigned ETO_OPAQUE = 2;
constexpr unsigned ETO_CLIPPED = 4;

// Raster operations for BitBlt, StretchBlt, StretchDIBits and PatBlt.
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCPAINT = 0x00EE0086;
constexpr std::uint32_t SRCAND = 0x008800C6;
constexpr std::uint32_t SRCINVERT = 0x00660046;
constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
constexpr std::uint32_t DSTINVERT = 0x00550009;
constexpr std::uint32_t PATCOPY = 0x00F00021;
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;

// Region kinds (results of region operations) and combine modes.
constexpr int REGION_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Font weights, pitches and families (LOGFONT values).
constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr int DEFAULT_PITCH = 0;
constexpr int FIXED_PITCH = 1;
constexpr int VARIABLE_PITCH = 2;
constexpr int FF_ROMAN = 0x10;
constexpr int FF_SWISS = 0x20;
constexpr int FF_MODERN = 0x30;
constexpr int DEFAULT_CHARSET = 1;
constexpr int SYMBOL_CHARSET = 2;

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A GDI rectangle: covers columns left..right-1 and rows top..bottom-1.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool IsEmpty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Pen {
  int style = PS_SOLID;  // PS_*
  // 0 and 1 are the one-pixel cosmetic pen. Wider pens are centred on the
  // path with round ends and joins and are always solid (a styled pen wider
  // than one pixel draws solid, as CreatePen makes it).
  int width = 0;
  COLORREF color = kBlack;
};

struct Brush {
  int style = BS_SOLID;  // BS_*
  COLORREF color = kWhite;
  int hatch = HS_HORIZONTAL;  // HS_* for BS_HATCHED
  // BS_PATTERN: the tile, in its own colours.
  std::shared_ptr<const QImage> pattern;
};

// The logical font (LOGFONT).
struct LogFont {
  // < 0: character height (em size) in pixels; > 0: cell height (ascent +
  // descent) in pixels; 0: the default of 13 pixel character height.
  std::int32_t height = -13;
  // Average character width in pixels; 0 keeps the face's own proportions.
  std::int32_t width = 0;
  // Tenths of a degree, counter-clockwise. The text line and the glyphs turn
  // by the escapement; orientation is kept but not used (compatible mode).
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = FW_NORMAL;  // FW_DONTCARE means normal
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::uint8_t charSet = DEFAULT_CHARSET;
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitchAndFamily = DEFAULT_PITCH;  // pitch in bits 0-1, family 4-7
  std::string faceName = "Arial";
};

struct TextMetrics {
  int height = 0;  // ascent + descent
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;  // height - character height
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int weight = FW_NORMAL;
  bool italic = false;
  bool fixedPitch = false;  // the face that was found has fixed pitch
  std::string faceName;     // the face that was found (e.g. "Liberation Sans")
};

// A clip region in device pixels (HRGN). A value: copying copies the area.
class Region {
 public:
  Region() = default;
  // CreateRectRgn: columns left..right-1, rows top..bottom-1.
  static Region FromRect(const Rect& r);
  static Region FromRect(int left, int top, int right, int bottom);
  // CreatePolygonRgn with ALTERNATE or WINDING (scan conversion in
  // PolygonScan.h). The first form covers the coordinate box of
  // kRegionLimit; the second only the pixels inside `within`, at a cost that
  // follows the size of `within`, however far the points reach.
  static Region FromPolygon(std::span<const Point> points, int fillMode);
  static Region FromPolygon(std::span<const Point> points, int fillMode, const Rect& within);

  // CombineRgn(this, a, b, mode); returns the kind of the result
  // (NULLREGION, SIMPLEREGION, COMPLEXREGION) or REGION_ERROR for a bad mode.
  int Combine(const Region& a, const Region& b, int mode);
  Region Intersected(const Region& other) const;
  Region Subtracted(const Region& other) const;
  Region United(const Region& other) const;
  void Offset(int dx, int dy);

  bool IsEmpty() const { return region_.isEmpty(); }
  int Kind() const;
  Rect Box() const;  // GetRgnBox; all zero when empty
  bool Contains(int x, int y) const;  // PtInRegion

  const QRegion& qt() const { return region_; }
  explicit Region(const QRegion& r) : region_(r) {}

 private:
  QRegion region_;
};

class Canvas {
 public:
  // A canvas on an image: drawing goes straight into its pixels; GetPixel
  // reads them; raster operations work.
  explicit Canvas(QImage* image);
  // A canvas on another paint device (a printer, a PDF writer). The painter
  // starts when the first drawing call needs it.
  explicit Canvas(QPaintDevice* device);
  // A canvas on a painter that is already active (not owned; its state is
  // taken over while the canvas draws).
  explicit Canvas(QPainter* activePainter);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  // --- Target --------------------------------------------------------------
  bool IsPrinter() const { return isPrinter_; }
  void SetIsPrinter(bool printer) { isPrinter_ = printer; }
  // Pixels per inch of the target (GetDeviceCaps LOGPIXELSX). Taken from the
  // paint device; the owner may set it.
  int Resolution() const { return resolution_; }
  void SetResolution(int pixelsPerInch);
  int Width() const;   // HORZRES
  int Height() const;  // VERTRES
  QImage* Image() const { return image_; }  // null unless drawn on an image
  QPainter* Painter();  // the active painter (begun on demand)
  // Ends the painter (a later drawing call begins it again with the same
  // state). On a printer this ends the print job.
  void EndPaint();

  // GetNearestColor: the colour the target would really show. On a screen
  // image the colour itself; on a printer by the printer rule, the colour
  // itself unless a rule is set (tests set one that turns pale colours white).
  COLORREF NearestColor(COLORREF color) const;
  void SetNearestColorRule(std::function<COLORREF(COLORREF)> rule);

  // --- Drawing state -------------------------------------------------------
  void SetPen(const Pen& pen);  // SelectObject(pen)
  const Pen& GetPen() const { return state_.pen; }
  void SetBrush(const Brush& brush);  // SelectObject(brush)
  const Brush& GetBrush() const { return state_.brush; }
  COLORREF SetBkColor(COLORREF color);  // returns the previous colour
  COLORREF GetBkColor() const { return state_.bkColor; }
  // OPAQUE fills the gaps of hatched brushes, of styled cosmetic pens and the
  // cell of text with the background colour; TRANSPARENT leaves them.
  int SetBkMode(int mode);
  int GetBkMode() const { return state_.bkMode; }
  // Mix mode for pens and brushes of lines and shapes (not text, not blits).
  // R2_WHITE paints white: a raster operation on images, a white pen and
  // brush on other targets (which ignore raster operations).
  int SetROP2(int mode);
  int GetROP2() const { return state_.rop2; }
  int SetPolyFillMode(int mode);  // ALTERNATE or WINDING
  int GetPolyFillMode() const { return state_.polyFillMode; }
  int SetStretchBltMode(int mode);
  int GetStretchBltMode() const { return state_.stretchMode; }
  // Where hatches and pattern brushes are anchored (default device 0,0).
  Point SetBrushOrg(int x, int y);

  // SaveDC / RestoreDC: the whole state above plus font, text settings,
  // current position and clip region. RestoreDC(-1) goes back one level,
  // RestoreDC(n > 0) to the level SaveDC returned; false when no such level.
  int SaveDC();
  bool RestoreDC(int level);

  // --- Lines and shapes ----------------------------------------------------
  // MoveToEx: returns the previous current position.
  Point MoveTo(int x, int y);
  Point CurrentPosition() const { return state_.position; }
  // From the current position to (x, y); the last pixel is not drawn; the
  // current position becomes (x, y).
  void LineTo(int x, int y);
  // Joins the points; only the final pixel is left out; dashes of styled
  // pens run on round corners. The current position is not used or changed.
  void Polyline(std::span<const Point> points);
  // Many short strokes in one call, drawn as one call per segment would
  // draw them, in order: MoveTo(from) and LineTo(to), or SetPixel(from, pen
  // colour) when the two ends are equal. On an image, with a one-pixel pen
  // whose every pixel takes the pen colour (solid, null, or dashed over a
  // transparent background) and the copy mix mode, the pixels are walked
  // and painted at once: the same pixels for a fraction of the cost. The
  // current position ends where the calls would leave it.
  struct Segment {
    Point from, to;
  };
  void Strokes(std::span<const Segment> segments);
  // Outline with the pen (closed, every pixel), interior with the brush by
  // the polygon fill mode.
  void Polygon(std::span<const Point> points);
  // Several closed polygons filled as one area; counts[i] points each.
  void PolyPolygon(std::span<const Point> points, std::span<const int> counts);
  // Covers left..right-1, top..bottom-1: outline with the pen, interior with
  // the brush. With the null pen the filled area is one pixel smaller in
  // width and height (left..right-2, top..bottom-2).
  void Rectangle(int left, int top, int right, int bottom);
  void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
  // The ellipse inscribed in left..right-1, top..bottom-1.
  void Ellipse(int left, int top, int right, int bottom);
  // Arc, Pie and Chord on the ellipse of the box, counter-clockwise from the
  // direction of (xStart, yStart) to the direction of (xEnd, yEnd) as seen
  // from the centre. When the two directions coincide the whole ellipse is
  // drawn. Pie and Chord are filled with the brush.
  void Arc(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
  void Pie(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
  void Chord(int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
  // FillRect: covers left..right-1, top..bottom-1 with the brush, no outline,
  // ignoring the mix mode. Without a brush argument: the current brush.
  void FillRect(const Rect& r, const Brush& brush);
  void FillRect(const Rect& r);
  // FillRgn: the region's pixels with the brush.
  void FillRgn(const Region& region, const Brush& brush);
  // PatBlt with PATCOPY (current brush), BLACKNESS, WHITENESS or DSTINVERT.
  void PatBlt(int x, int y, int width, int height, std::uint32_t rop);
  // SetPixel returns the colour set (or CLR_INVALID outside the surface);
  // clipped by the clip region. GetPixel returns CLR_INVALID outside the
  // surface or the clip region, or when the target is not an image.
  COLORREF SetPixel(int x, int y, COLORREF color);
  COLORREF GetPixel(int x, int y) const;

  // --- Clipping ------------------------------------------------------------
  // SelectClipRgn: a copy of the region becomes the clip; null removes the
  // clip. Returns the kind of the new clip (SIMPLEREGION when none).
  int SelectClipRgn(const Region* region);
  int IntersectClipRect(int left, int top, int right, int bottom);
  int ExcludeClipRect(int left, int top, int right, int bottom);
  bool HasClip() const { return state_.hasClip; }
  const Region& ClipRegion() const { return state_.clip; }
  // GetClipBox: the clip's bounding box, or the surface when there is none.
  Rect GetClipBox() const;

  // --- Text ----------------------------------------------------------------
  // SelectObject(font): returns the previous font.
  LogFont SelectFont(const LogFont& font);
  const LogFont& GetFont() const { return state_.font; }
  COLORREF SetTextColor(COLORREF color);
  COLORREF GetTextColor() const { return state_.textColor; }
  // TA_LEFT / TA_RIGHT / TA_CENTER with TA_TOP / TA_BOTTOM / TA_BASELINE,
  // plus TA_UPDATECP. Returns the previous flags.
  unsigned SetTextAlign(unsigned flags);
  unsigned GetTextAlign() const { return state_.textAlign; }
  // Adds `extra` pixels (negative squeezes) to the break characters (blanks)
  // of each later text: extra / breakCount each (truncated toward zero), the
  // remainder one pixel each to the first breaks. breakCount 0 clears it.
  void SetTextJustification(int extra, int breakCount);

  // TextOut: the reference point (x, y) — or the current position with
  // TA_UPDATECP — is placed by the alignment flags on the text's cell, along
  // the escapement direction. With OPAQUE background the cell is filled with
  // the background colour first. No kerning, no antialiasing.
  void TextOut(int x, int y, std::string_view text);
  // ExtTextOut: as TextOut; ETO_OPAQUE fills `rect` with the background
  // colour, ETO_CLIPPED clips the text to `rect`. `dx`, when not empty, gives
  // the advance of each character (missing entries: the font's advance).
  void ExtTextOut(int x, int y, unsigned options, const Rect* rect, std::string_view text,
                  std::span<const int> dx = {});
  // GetTextExtentPoint32: width (with any justification extra) and cell
  // height of the text in the current font, unrotated.
  Size GetTextExtent(std::string_view text) const;
  TextMetrics GetTextMetrics() const;
  // A canvas that records texts instead of drawing them: with a recorder set,
  // TextOut and ExtTextOut paint nothing and hand the recorder each text and
  // the box its cell covers (turned texts: the box around the turned cell),
  // whatever the clip. An empty function draws again.
  using TextRecorder = std::function<void(std::string_view text, const Rect& box)>;
  void SetTextRecorder(TextRecorder recorder) { textRecorder_ = std::move(recorder); }

  // --- Bitmaps -------------------------------------------------------------
  // CreateCompatibleBitmap: a 24-bit off-screen bitmap (black), drawn on by
  // its own Canvas. A null image when the size is not positive or too large.
  static QImage CreateCompatibleBitmap(int width, int height);
  // BitBlt: the source pixels (sx, sy, width x height) to (x, y).
  void BitBlt(int x, int y, int width, int height, const QImage& source, int sx, int sy,
              std::uint32_t rop = SRCCOPY);
  // StretchBlt / StretchDIBits: the source rectangle stretched into the
  // destination rectangle, nearest source pixel (COLORONCOLOR). A negative
  // width or height mirrors. Source coordinates are top-down image rows.
  void StretchBlt(int x, int y, int width, int height, const QImage& source, int sx, int sy,
                  int sourceWidth, int sourceHeight, std::uint32_t rop = SRCCOPY);
  void StretchDIBits(int x, int y, int width, int height, int sx, int sy, int sourceWidth,
                     int sourceHeight, const QImage& source, std::uint32_t rop = SRCCOPY);

 private:
  struct State {
    Pen pen;
    Brush brush;
    LogFont font;
    COLORREF bkColor = kWhite;
    int bkMode = OPAQUE;
    COLORREF textColor = kBlack;
    unsigned textAlign = 0;
    int rop2 = R2_COPYPEN;
    int polyFillMode = ALTERNATE;
    int stretchMode = BLACKONWHITE;
    Point brushOrigin;
    Point position;
    bool hasClip = false;
    Region clip;
    int justifyExtra = 0;
    int justifyBreaks = 0;
  };
  struct FontCache;   // the QFont and metrics of state_.font
  struct QtObjects;   // QPen / QBrush built from the state, reused

  QPainter& P();
  QRectF SafeBox() const;
  bool ClippedOut() const { return state_.hasClip && state_.clip.IsEmpty(); }
  bool Inactive() const;  // R2_NOP or nothing visible
  void ApplyClip();
  void PrepareShape(bool withPen, bool withBrush);
  void PrepareFill(const Brush& brush);
  void StrokePoints(std::span<const Point> points);
  void WalkPixels(std::span<const Point> points);
  // The pixels of the one-pixel line from `from` to `to` on the surface: on
  // the dashes to `on`, in the gaps to `off`, counting the dash pattern from
  // `step`. Returns the line's length in steps.
  std::int64_t WalkSegment(Point from, Point to, std::int64_t step, QPolygon& on,
                           QPolygon& off) const;
  void DrawArcShape(int kind, int left, int top, int right, int bottom, int xs, int ys, int xe,
                    int ye);
  void DrawText(int x, int y, unsigned options, const Rect* rect, std::string_view text,
                std::span<const int> dx);
  void Blit(int x, int y, int width, int height, const QImage& source, int sx, int sy, int sw,
            int sh, std::uint32_t rop);
  const FontCache& Font() const;

  QImage* image_ = nullptr;
  QPaintDevice* device_ = nullptr;
  QPainter* painter_ = nullptr;
  bool ownsPainter_ = false;
  bool isPrinter_ = false;
  int resolution_ = 96;
  std::function<COLORREF(COLORREF)> nearestRule_;
  State state_;
  std::vector<State> saved_;
  mutable std::unique_ptr<FontCache> font_;
  std::unique_ptr<QtObjects> qt_;
  TextRecorder textRecorder_;
};

}  // namespace platform
