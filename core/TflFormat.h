#pragma once
// Byte layout of a compiled log (".tfl"): a header record, then drawing
// records up to the end of the file. Every record is framed as
//   word opcode, word payload length, payload
// and a few records are followed by an attached data block or a group of point
// or vector records. Everything is little-endian and packed; the structures
// below are the payloads exactly as they lie in the file.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/Opcodes.h"

static_assert(std::endian::native == std::endian::little,
              "compiled logs are read as raw little-endian memory images");
static_assert(sizeof(double) == 8);

namespace tfl {

// The known opcodes (Opcodes.h), and the version word of the header record.
enum Opcode : uint16_t {
#define KORVALE_TFL_ENUM(Name, code, Record, trace) k##Name = code,
  KORVALE_TFL_OPCODES(KORVALE_TFL_ENUM)
#undef KORVALE_TFL_ENUM
  kHeader = 300,  // the first record only: not in the table
};

constexpr uint16_t kCurrentVersion = 300;
constexpr uint16_t kOldVersion = 9;
constexpr uint16_t kHeaderLength = 105;

// Section byte of header and footer records.
enum Section : uint8_t {
  kLaterPageHeader = 0,  // later pages of an unpaged log
  kFirstPageHeader = 1,
  kRepeatedHeader = 2,
  kFooter = 3,
};

#pragma pack(push, 1)

// string[N]: a length byte and N character bytes (Windows ANSI).
template <size_t N>
struct PString {
  uint8_t length;
  char chars[N];
  // The text, cut to the capacity when the length byte claims more.
  std::string_view view() const { return std::string_view(chars, std::min<size_t>(length, N)); }
  void assign(std::string_view s) {
    length = static_cast<uint8_t>(std::min(s.size(), N));
    std::fill(chars, chars + N, '\0');
    std::copy_n(s.data(), length, chars);
  }
  static constexpr size_t capacity = N;
};

struct Rect {
  double x1, y1, x2, y2;
};

struct Header {
  double x_min;
  double x_max;
  double y_min;
  double y_max;
  double first_header_height;
  double repeat_header_height;
  double footer_height;
  double section_gap;
  uint8_t paged;
  double page_height;
  double page_width;
  double x_units_per_inch;
  double y_units_per_inch;
  double datum;
};

struct GraphFrameRecord {
  static constexpr uint16_t kOpcode = kGraphFrame;
  Rect frame;
  double data_x_start, data_y_start, data_x_end, data_y_end;
  uint8_t frame_options;
  uint8_t automatic_intervals;
  double x_tick_interval;
  double y_tick_interval;
};

struct ArcRecord {
  static constexpr uint16_t kOpcode = kArc;
  double x, y, radius, start_azimuth, end_azimuth;
};

struct CircleRecord {
  static constexpr uint16_t kOpcode = kCircle;
  double x, y, radius;
};

struct ColorRecord {
  static constexpr uint16_t kOpcode = kColor;
  int32_t color;
};

struct OrientationRecord {
  static constexpr uint16_t kOpcode = kOrientation;
  double x, y, strike_azimuth, dip;
};

struct OrientationSizeRecord {
  static constexpr uint16_t kOpcode = kOrientationSize;
  double size_factor;
};

struct EndGroupRecord {
  static constexpr uint16_t kOpcode = kEndGroup;
  uint8_t ignored;
};

struct GridRecord {
  static constexpr uint16_t kOpcode = kGrid;
  double x_start, y_start, x_end, y_end, x_step, y_step;
};

struct VectorRecord {
  static constexpr uint16_t kOpcode = kVector;
  double x1, y1, z1, x2, y2, z2;  // z1, z2 are not used
};

struct PatternRecord {
  static constexpr uint16_t kOpcode = kPattern;
  Rect rect;
  int32_t pattern;
  double x_scale, y_scale;
  uint8_t outline;
};

struct PointRecord {
  static constexpr uint16_t kOpcode = kPoint;
  double x, y;
};

struct PolyfillRecord {
  static constexpr uint16_t kOpcode = kPolyfill;
  int32_t pattern;
  double x_scale, y_scale;
  uint8_t outline;
};

struct PolylineRecord {
  static constexpr uint16_t kOpcode = kPolyline;
  uint8_t ignored[8];
};

struct PolarLineRecord {
  static constexpr uint16_t kOpcode = kPolarLine;
  double x, y, length, azimuth;
};

struct VectorRectangleRecord {
  static constexpr uint16_t kOpcode = kVectorRectangle;
  Rect rect;
};

struct RectangleRecord {
  static constexpr uint16_t kOpcode = kRectangle;
  Rect rect;
};

struct SectorRecord {
  static constexpr uint16_t kOpcode = kSector;
  double x, y, radius, start_azimuth, end_azimuth;
};

struct PenStyleRecord {
  static constexpr uint16_t kOpcode = kPenStyle;
  uint8_t pen_style;
};

struct SymbolRecord {
  static constexpr uint16_t kOpcode = kSymbol;
  double x, y;
  double device_a;  // device-specific
  uint16_t symbol;
  double width, height;
  double device_b;  // device-specific
};

struct VectorTextRecord {
  static constexpr uint16_t kOpcode = kVectorText;
  double x, y;
  double ignored;
  double char_width, char_height;
  int32_t angle;
  PString<60> text;
};

struct NoteRecord {
  static constexpr uint16_t kOpcode = kNote;
  double x, y;
  PString<60> text;
};

struct PenWidthRecord {
  static constexpr uint16_t kOpcode = kPenWidth;
  int32_t pen_width;
};

struct LabelRecord {
  static constexpr uint16_t kOpcode = kLabel;
  double x, y;
  double unused;
  double size;
  int32_t angle;
  uint8_t size_mode;
  PString<60> text;
};

struct FontRecord {
  static constexpr uint16_t kOpcode = kFont;
  PString<40> face;
  int32_t size;
  uint8_t style;
};

// Followed by a word (ignored), a word n and n bytes of zero-terminated text.
struct ParagraphRecord {
  static constexpr uint16_t kOpcode = kParagraph;
  Rect rect;
  int32_t placeholder;
  uint8_t shrink;
  uint8_t fixed;
};

struct BrushRectangleRecord {
  static constexpr uint16_t kOpcode = kBrushRectangle;
  Rect rect;
  uint8_t brush_style;
  int32_t color;
  uint8_t option;
};

struct PictureFileRecord {
  static constexpr uint16_t kOpcode = kPictureFile;
  Rect rect;
  PString<255> file_name;
  uint8_t frame;
  uint8_t stretch;
};

struct SectionLineRecord {
  static constexpr uint16_t kOpcode = kSectionLine;
  Rect line;
  uint8_t section;
};

struct PageTextRecord {
  static constexpr uint16_t kOpcode = kPageText;
  double x, y;
  int32_t extra;  // not used by the canvas device
  int32_t angle;
  PString<60> text;
  uint8_t section;
};

// Followed by an attached data block: word tag, long n, n bytes.
struct PictureRecord {
  static constexpr uint16_t kOpcode = kPicture;
  Rect rect;
  int32_t placeholder;
  uint8_t bitmap;  // nonzero: bitmap file image, else a metafile image
  uint8_t section;
};

struct SymbolExRecord {
  static constexpr uint16_t kOpcode = kSymbolEx;
  double x, y;
  double device_a;
  uint16_t symbol;
  double width, height;
  double device_b;
  uint8_t section;
};

struct PatternExRecord {
  static constexpr uint16_t kOpcode = kPatternEx;
  Rect rect;
  int32_t pattern;
  double x_scale, y_scale;
  uint8_t outline;
  uint8_t section;
};

struct DimensionTextRecord {
  static constexpr uint16_t kOpcode = kDimensionText;
  Rect rect;
  uint8_t downward;
  uint8_t arrows;
  PString<255> text;
};

struct ColorPatternRecord {
  static constexpr uint16_t kOpcode = kColorPattern;
  Rect rect;
  int32_t pattern;
  double x_scale, y_scale;
  int32_t line_width;
  int32_t background;  // white: none
  int32_t pattern_color;
  uint8_t outline;
};

struct ColorPatternExRecord {
  static constexpr uint16_t kOpcode = kColorPatternEx;
  Rect rect;
  int32_t pattern;
  double x_scale, y_scale;
  int32_t line_width;
  int32_t background;
  int32_t pattern_color;
  uint8_t outline;
  uint8_t section;
};

struct FontColorRecord {
  static constexpr uint16_t kOpcode = kFontColor;
  PString<40> face;
  int32_t size;
  uint8_t style;
  int32_t color;
};

struct FillRectangleRecord {
  static constexpr uint16_t kOpcode = kFillRectangle;
  Rect rect;
  int32_t color;
  uint8_t section;
};

// Followed by an attached data block holding a bitmap file image.
struct BitmapRecord {
  static constexpr uint16_t kOpcode = kBitmap;
  Rect rect;
  uint8_t section;
};

// Followed by two point groups: polygon A, then polygon B.
struct FilledPolygonRecord {
  static constexpr uint16_t kOpcode = kFilledPolygon;
  int32_t outline_a;
  uint8_t pen_style_a;
  int32_t width_a;
  int32_t fill_a;
  uint8_t brush_a;
  int32_t outline_b;
  uint8_t pen_style_b;
  int32_t width_b;
  int32_t fill_b;
  uint8_t brush_b;
  int32_t overlap_fill;
  uint8_t overlap_brush;
};

struct TextRecord {
  static constexpr uint16_t kOpcode = kText;
  double x, y;
  uint8_t vertical;
  uint8_t transparent;
  int32_t alignment;
  uint8_t adjust;
  PString<255> text;
};

struct ColorPolygonRecord {
  static constexpr uint16_t kOpcode = kColorPolygon;
  int32_t pattern;
  double x_scale, y_scale;
  uint8_t outline;
  int32_t color;
};

struct StyledPolylineRecord {
  static constexpr uint16_t kOpcode = kStyledPolyline;
  int32_t pen_width;
  int32_t color;
  uint8_t pen_style;
};

struct VerticalLineRecord {
  static constexpr uint16_t kOpcode = kVerticalLine;
  double x;
};

struct LongPageTextRecord {
  static constexpr uint16_t kOpcode = kLongPageText;
  double x, y;
  int32_t extra;
  int32_t angle;
  PString<120> text;
  uint8_t section;
};

#pragma pack(pop)

// Sizes and field offsets, as the file lays them out.
static_assert(sizeof(Header) == 105);
static_assert(offsetof(Header, paged) == 64 && offsetof(Header, page_height) == 65);
static_assert(offsetof(Header, x_units_per_inch) == 81 && offsetof(Header, datum) == 97);
static_assert(sizeof(GraphFrameRecord) == 82);
static_assert(offsetof(GraphFrameRecord, frame_options) == 64 &&
              offsetof(GraphFrameRecord, automatic_intervals) == 65 &&
              offsetof(GraphFrameRecord, x_tick_interval) == 66 &&
              offsetof(GraphFrameRecord, y_tick_interval) == 74);
static_assert(sizeof(ArcRecord) == 40);
static_assert(sizeof(CircleRecord) == 24);
static_assert(sizeof(ColorRecord) == 4);
static_assert(sizeof(OrientationRecord) == 32);
static_assert(sizeof(OrientationSizeRecord) == 8);
static_assert(sizeof(EndGroupRecord) == 1);
static_assert(sizeof(GridRecord) == 48);
static_assert(sizeof(VectorRecord) == 48 && offsetof(VectorRecord, x2) == 24);
static_assert(sizeof(PatternRecord) == 53 && offsetof(PatternRecord, pattern) == 32 &&
              offsetof(PatternRecord, x_scale) == 36 && offsetof(PatternRecord, outline) == 52);
static_assert(sizeof(PointRecord) == 16);
static_assert(sizeof(PolyfillRecord) == 21 && offsetof(PolyfillRecord, outline) == 20);
static_assert(sizeof(PolylineRecord) == 8);
static_assert(sizeof(PolarLineRecord) == 32);
static_assert(sizeof(VectorRectangleRecord) == 32);
static_assert(sizeof(RectangleRecord) == 32);
static_assert(sizeof(SectorRecord) == 40);
static_assert(sizeof(PenStyleRecord) == 1);
static_assert(sizeof(SymbolRecord) == 50 && offsetof(SymbolRecord, symbol) == 24 &&
              offsetof(SymbolRecord, width) == 26 && offsetof(SymbolRecord, device_b) == 42);
static_assert(sizeof(VectorTextRecord) == 105 && offsetof(VectorTextRecord, angle) == 40 &&
              offsetof(VectorTextRecord, text) == 44);
static_assert(sizeof(NoteRecord) == 77);
static_assert(sizeof(PenWidthRecord) == 4);
static_assert(sizeof(LabelRecord) == 98 && offsetof(LabelRecord, angle) == 32 &&
              offsetof(LabelRecord, size_mode) == 36 && offsetof(LabelRecord, text) == 37);
static_assert(sizeof(FontRecord) == 46 && offsetof(FontRecord, size) == 41 &&
              offsetof(FontRecord, style) == 45);
static_assert(sizeof(ParagraphRecord) == 38 && offsetof(ParagraphRecord, shrink) == 36);
static_assert(sizeof(BrushRectangleRecord) == 38 && offsetof(BrushRectangleRecord, color) == 33 &&
              offsetof(BrushRectangleRecord, option) == 37);
static_assert(sizeof(PictureFileRecord) == 290 && offsetof(PictureFileRecord, frame) == 288);
static_assert(sizeof(SectionLineRecord) == 33);
static_assert(sizeof(PageTextRecord) == 86 && offsetof(PageTextRecord, angle) == 20 &&
              offsetof(PageTextRecord, text) == 24 && offsetof(PageTextRecord, section) == 85);
static_assert(sizeof(PictureRecord) == 38 && offsetof(PictureRecord, bitmap) == 36);
static_assert(sizeof(SymbolExRecord) == 51 && offsetof(SymbolExRecord, section) == 50);
static_assert(sizeof(PatternExRecord) == 54 && offsetof(PatternExRecord, section) == 53);
static_assert(sizeof(DimensionTextRecord) == 290 && offsetof(DimensionTextRecord, text) == 34);
static_assert(sizeof(ColorPatternExRecord) == 66 && offsetof(ColorPatternExRecord, line_width) == 52 &&
              offsetof(ColorPatternExRecord, background) == 56 &&
              offsetof(ColorPatternExRecord, pattern_color) == 60 &&
              offsetof(ColorPatternExRecord, outline) == 64 && offsetof(ColorPatternExRecord, section) == 65);
static_assert(sizeof(ColorPatternRecord) == 65);
static_assert(sizeof(FontColorRecord) == 50 && offsetof(FontColorRecord, color) == 46);
static_assert(sizeof(FillRectangleRecord) == 37 && offsetof(FillRectangleRecord, section) == 36);
static_assert(sizeof(BitmapRecord) == 33);
static_assert(sizeof(FilledPolygonRecord) == 33 && offsetof(FilledPolygonRecord, width_a) == 5 &&
              offsetof(FilledPolygonRecord, fill_a) == 9 && offsetof(FilledPolygonRecord, brush_a) == 13 &&
              offsetof(FilledPolygonRecord, outline_b) == 14 && offsetof(FilledPolygonRecord, width_b) == 19 &&
              offsetof(FilledPolygonRecord, fill_b) == 23 && offsetof(FilledPolygonRecord, overlap_fill) == 28 &&
              offsetof(FilledPolygonRecord, overlap_brush) == 32);
static_assert(sizeof(TextRecord) == 279 && offsetof(TextRecord, alignment) == 18 &&
              offsetof(TextRecord, adjust) == 22 && offsetof(TextRecord, text) == 23);
static_assert(sizeof(ColorPolygonRecord) == 25 && offsetof(ColorPolygonRecord, color) == 21);
static_assert(sizeof(StyledPolylineRecord) == 9 && offsetof(StyledPolylineRecord, pen_style) == 8);
static_assert(sizeof(VerticalLineRecord) == 8);
static_assert(sizeof(LongPageTextRecord) == 146 && offsetof(LongPageTextRecord, text) == 24 &&
              offsetof(LongPageTextRecord, section) == 145);

// Every structure of the table answers to its own opcode.
#define KORVALE_TFL_CHECK(Name, code, Record, trace) static_assert(Record::kOpcode == code);
KORVALE_TFL_OPCODES(KORVALE_TFL_CHECK)
#undef KORVALE_TFL_CHECK

// Fixed payload size of a known opcode, or -1 for an opcode that is skipped by
// its length word (Opcodes.h states the rule).
constexpr int PayloadSize(uint16_t opcode) {
  switch (opcode) {
#define KORVALE_TFL_SIZE(Name, code, Record, trace) \
  case code:                                        \
    return sizeof(Record);
    KORVALE_TFL_OPCODES(KORVALE_TFL_SIZE)
#undef KORVALE_TFL_SIZE
    default: return -1;  // 0, 9, 300 after the first record, and the unknown
  }
}

// The trace name of a known opcode ("vector", "pattern_ex", ...), or "" for an
// opcode the table does not know.
constexpr std::string_view OpcodeName(uint16_t opcode) {
  switch (opcode) {
#define KORVALE_TFL_NAME(Name, code, Record, trace) \
  case code:                                        \
    return trace;
    KORVALE_TFL_OPCODES(KORVALE_TFL_NAME)
#undef KORVALE_TFL_NAME
    default: return {};
  }
}

// Every known opcode, in table order.
inline constexpr uint16_t kKnownOpcodes[] = {
#define KORVALE_TFL_LIST(Name, code, Record, trace) code,
    KORVALE_TFL_OPCODES(KORVALE_TFL_LIST)
#undef KORVALE_TFL_LIST
};

}  // namespace tfl
