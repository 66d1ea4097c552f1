// The command interpreter. It opens the compiled log, checks its header and
// replays every record in file order: each known opcode's payload is read
// into an aligned copy, decoded into plain values and handed to the device's
// operation (or to one of gd_object's record handlers); point and vector
// groups reach the device one member at a time as it asks for them.
#include "core/Interpreter.h"

#include <memory>
#include <string>

#include "core/FileError.h"
#include "core/Libraries.h"
#include "core/LogHeader.h"
#include "core/PlotCookie.h"
#include "core/file_object.h"
#include "core/gd_object.h"

namespace {

// The progress bar moves only when the fraction read has grown by more than
// this, so a replay touches it about ten times.
constexpr double kProgressStep = 0.1;

// Reads one member of a group whose members have the given opcode: true with
// the member's payload in `member`; false at the end record (consumed), at
// the end of the file, or at any other opcode (its two words consumed).
template <class Member>
bool ReadGroupMember(file_object& file, Member& member) {
  if (file.eof()) return false;
  const uint16_t opcode = static_cast<uint16_t>(file.read_int());
  file.read_int();  // length word: members have a fixed size
  if (opcode == Member::kOpcode) {
    file.read_bytes(&member, sizeof member);
    return true;
  }
  if (opcode == tfl::kEndGroup) {
    tfl::EndGroupRecord end;
    file.read_bytes(&end, sizeof end);
  }
  return false;
}

// A group in the file, read as the device asks. A group that follows
// another (polygon B after A) reads past what is left of the one before it
// first.
template <class Base, class Member, class Value>
class FileGroup final : public Base {
 public:
  explicit FileGroup(file_object& file, FileGroup* before = nullptr)
      : file_(file), before_(before) {}

  bool next(Value& out) override {
    if (before_) {
      before_->drain();
      before_ = nullptr;
    }
    if (ended_) return false;
    Member m;
    if (!ReadGroupMember(file_, m)) {
      ended_ = true;
      return false;
    }
    out = Decode(m);
    return true;
  }

  void drain() {
    Value v;
    while (next(v)) {
    }
  }

 private:
  static gd::Point Decode(const tfl::PointRecord& p) { return {p.x, p.y}; }
  static gd::Vector Decode(const tfl::VectorRecord& v) { return {v.x1, v.y1, v.x2, v.y2}; }

  file_object& file_;
  FileGroup* before_;
  bool ended_ = false;
};

using FilePoints = FileGroup<PointGroup, tfl::PointRecord, gd::Point>;
using FileVectors = FileGroup<VectorGroup, tfl::VectorRecord, gd::Vector>;

// A count read from the file that claims more bytes than the file still holds
// is a read past its end: it fails before anything is allocated for it.
void RequireRemaining(const file_object& file, int64_t count) {
  if (count < 0 || count > file.remaining())
    throw FileError(FileError::kReadPastEnd, "Disk read error: read beyond end of file");
}

tfl::Rect Copy(const tfl::Rect& r) { return {r.x1, r.y1, r.x2, r.y2}; }

// One replay: the file, the device and the record handlers of the dispatch.
class Replayer {
 public:
  Replayer(const std::string& path, gd_object& device, PlotCookie& cookie)
      : d(device), cookie_(cookie) {
    file_.file_name = path;
  }

  void run();

  // --- Record handlers: one per payload structure ------------------------------
  void on(const tfl::GraphFrameRecord& r) {
    d.plot_graph_frame(gd::GraphFrame{Copy(r.frame), r.data_x_start, r.data_y_start,
                                      r.data_x_end, r.data_y_end, r.frame_options != 0,
                                      r.automatic_intervals != 0, r.x_tick_interval,
                                      r.y_tick_interval});
  }
  void on(const tfl::ArcRecord& r) { d.plot_arc(r.x, r.y, r.radius, r.start_azimuth, r.end_azimuth); }
  void on(const tfl::CircleRecord& r) { d.plot_circle(r.x, r.y, r.radius); }
  void on(const tfl::ColorRecord& r) { d.set_color(r.color); }
  void on(const tfl::OrientationRecord& r) {
    d.plot_orientation(r.x, r.y, r.strike_azimuth, r.dip);
  }
  void on(const tfl::OrientationSizeRecord& r) { d.orientation_size = r.size_factor; }
  void on(const tfl::EndGroupRecord&) {}  // an end record outside a group
  void on(const tfl::GridRecord& r) {
    d.plot_grid(r.x_start, r.y_start, r.x_end, r.y_end, r.x_step, r.y_step);
  }
  void on(const tfl::VectorRecord& r) { d.plot_vector(r.x1, r.y1, r.x2, r.y2); }
  void on(const tfl::PatternRecord& r) {
    d.plot_pattern(Copy(r.rect), r.pattern, r.x_scale, r.y_scale, r.outline);
  }
  void on(const tfl::PointRecord&) {}  // a point outside a group
  void on(const tfl::PolyfillRecord& r) {
    FilePoints points(file_);
    d.plot_polyfill(r.pattern, r.x_scale, r.y_scale, r.outline, points);
    points.drain();
  }
  void on(const tfl::PolylineRecord&) {
    FilePoints points(file_);
    d.plot_polyline(points);
    points.drain();
  }
  void on(const tfl::PolarLineRecord& r) { d.plot_polar_line(r.x, r.y, r.length, r.azimuth); }
  void on(const tfl::VectorRectangleRecord& r) { d.plot_vector_rectangle(Copy(r.rect)); }
  void on(const tfl::RectangleRecord& r) { d.plot_rectangle(Copy(r.rect)); }
  void on(const tfl::SectorRecord& r) {
    d.plot_sector(r.x, r.y, r.radius, r.start_azimuth, r.end_azimuth);
  }
  void on(const tfl::PenStyleRecord& r) { d.set_pen_style(r.pen_style); }
  void on(const tfl::SymbolRecord& r) {
    d.plot_symbol(r.x, r.y, r.device_a, r.symbol, r.width, r.height, r.device_b);
  }
  void on(const tfl::VectorTextRecord& r) {
    d.plot_vector_text(r.angle, r.text.view(), r.x, r.y, r.ignored, r.char_width, r.char_height,
                       true);
  }
  void on(const tfl::NoteRecord& r) { d.plot_note(r.x, r.y, r.text.view()); }
  void on(const tfl::PenWidthRecord& r) { d.set_pen_width(r.pen_width); }
  void on(const tfl::LabelRecord& r) {
    d.plot_label(r.x, r.y, r.unused, r.size, r.text.view(), r.angle,
                 static_cast<LabelSizeMode>(r.size_mode), 1);
  }
  void on(const tfl::FontRecord& r) { d.set_font(r.face.view(), r.size, r.style, 0); }
  void on(const tfl::ParagraphRecord& r);
  void on(const tfl::BrushRectangleRecord& r) {
    d.plot_brush_rectangle(Copy(r.rect), r.brush_style, r.color, r.option);
  }
  void on(const tfl::PictureFileRecord& r) {
    d.plot_picture_file(r.file_name.view(), r.frame, Copy(r.rect), r.stretch);
  }
  void on(const tfl::SectionLineRecord& r) {
    d.plot_line(r.section, r.line.x1, r.line.y1, r.line.x2, r.line.y2);
  }
  void on(const tfl::PageTextRecord& r) {
    d.plot_page_text(r.x, r.y, r.section, r.text.view(), r.angle, r.extra);
  }
  void on(const tfl::LongPageTextRecord& r) {
    d.plot_page_text(r.x, r.y, r.section, r.text.view(), r.angle, r.extra);
  }
  void on(const tfl::PictureRecord& r);
  void on(const tfl::SymbolExRecord& r) {
    d.plot_symbol_ex(r.x, r.y, r.device_a, r.symbol, r.width, r.height, r.device_b, r.section);
  }
  void on(const tfl::PatternExRecord& r) {
    d.plot_pattern_ex(Copy(r.rect), r.pattern, r.x_scale, r.y_scale, r.outline, r.section);
  }
  void on(const tfl::DimensionTextRecord& r) {
    d.plot_dimension_text(Copy(r.rect), r.text.view(), r.downward, r.arrows);
  }
  void on(const tfl::ColorPatternExRecord& r) {
    d.plot_color_pattern_ex(Copy(r.rect), r.pattern, r.x_scale, r.y_scale, r.line_width,
                            r.background, r.pattern_color, r.outline, r.section);
  }
  void on(const tfl::ColorPatternRecord& r) {
    d.plot_color_pattern(Copy(r.rect), r.pattern, r.x_scale, r.y_scale, r.line_width,
                         r.background, r.pattern_color, r.outline);
  }
  void on(const tfl::FontColorRecord& r) { d.set_font(r.face.view(), r.size, r.style, r.color); }
  void on(const tfl::FillRectangleRecord& r) { d.fill_rectangle(Copy(r.rect), r.color, r.section); }
  void on(const tfl::BitmapRecord& r);
  void on(const tfl::FilledPolygonRecord& r) {
    const FilledPolygonStyle style{r.outline_a, r.pen_style_a,  r.width_a,     r.fill_a,
                                   r.brush_a,   r.outline_b,    r.pen_style_b, r.width_b,
                                   r.fill_b,    r.brush_b,      r.overlap_fill, r.overlap_brush};
    FilePoints a(file_);
    FilePoints b(file_, &a);
    d.plot_filled_polygon(style, a, b);
    b.drain();
  }
  void on(const tfl::TextRecord& r) {
    d.plot_text(r.x, r.y, r.vertical, r.transparent, r.alignment, r.adjust, r.text.view());
  }
  void on(const tfl::ColorPolygonRecord& r) {
    FilePoints points(file_);
    d.plot_color_polygon(r.pattern, r.outline, r.x_scale, r.y_scale, r.color, points);
    points.drain();
  }
  void on(const tfl::StyledPolylineRecord& r) {
    FileVectors vectors(file_);
    d.plot_styled_polyline(r.pen_width, r.color, r.pen_style, vectors);
    vectors.drain();
  }
  void on(const tfl::VerticalLineRecord& r) { d.plot_vertical_line(r.x); }

 private:
  void dispatch(uint16_t opcode, uint16_t length);

  gd_object& d;
  PlotCookie& cookie_;
  file_object file_;
};

// One record: a known opcode's payload is read with its fixed size into an
// aligned copy and handed to its handler; any other opcode is skipped by its
// length word (the rule of the opcode table, Opcodes.h).
void Replayer::dispatch(uint16_t opcode, uint16_t length) {
  switch (opcode) {
#define KORVALE_TFL_DISPATCH(Name, code, Record, trace) \
  case code: {                                          \
    alignas(8) tfl::Record payload;                     \
    file_.read_bytes(&payload, sizeof payload);         \
    on(payload);                                        \
    break;                                              \
  }
    KORVALE_TFL_OPCODES(KORVALE_TFL_DISPATCH)
#undef KORVALE_TFL_DISPATCH
    default:
      // 0, 9, a header record after the first and every unknown opcode.
      file_.skip_bytes(length);
      break;
  }
}

// Record 26: a word (ignored), a word n and n bytes of text ending at its
// first zero byte.
void Replayer::on(const tfl::ParagraphRecord& r) {
  file_.read_int();
  const uint16_t n = static_cast<uint16_t>(file_.read_int());
  RequireRemaining(file_, n);
  std::string text(n, '\0');
  file_.read_bytes(text.data(), n);
  const size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  d.plot_paragraph(Copy(r.rect), text, r.shrink, r.fixed);
}

// Record 103: a tag word (ignored), a long n and n bytes of picture data,
// handed to the device in a memory block that lives for this record only.
void Replayer::on(const tfl::PictureRecord& r) {
  file_.read_int();
  const int32_t n = file_.read_long();
  RequireRemaining(file_, n);
  MemoryBlock block(static_cast<size_t>(n));
  file_.read_block(block, n);
  d.plot_picture(Copy(r.rect), n, block, r.bitmap, r.section);
}

// Record 206: a tag word (ignored), a long n and n bytes of a bitmap file
// image in a memory stream; a stream that cannot be made drops the record,
// and the user is told.
void Replayer::on(const tfl::BitmapRecord& r) {
  file_.read_int();
  const int32_t n = file_.read_long();
  std::unique_ptr<MemoryStream> stream = file_.read_stream(n);
  if (!stream) {
    cookie_.notice({Notice::Error, 0, "Out of Resources: unable to load stream"});
    return;
  }
  d.plot_bitmap(Copy(r.rect), *stream, r.section);
}

// Below this file position the fraction read cannot pass `last` by more than
// the progress step (a margin of rounding to spare), so it need not be worked
// out after every record.
int64_t ProgressCheckFrom(double last, int64_t file_size) {
  const double position = (last + kProgressStep) * static_cast<double>(file_size) * (1 - 1e-9);
  return position > 2 ? static_cast<int64_t>(position) - 2 : 0;
}

void Replayer::run() {
  cookie_.status("Processing graphic commands within " + file_.file_name + " ...");
  cookie_.progress(0);
  double last_progress = 0;
  int64_t check_from = 0;
  bool begun = false;
  try {
    file_.open_read();
    tfl::Header header{};
    if (const HeaderCheck check = ReadLogHeader(file_, header); check != HeaderCheck::Ok) {
      // Closed: the replay fails as a read on the closed file would.
      cookie_.notice(RefusalNotice(check));
      throw FileError(FileError::kNotOpen, "File not open");
    }
    begun = d.begin_log(header);
    if (!begun) {  // nothing to draw for this log
      file_.close();
      return;
    }
    const int64_t size = file_.file_size;
    if (size > 0) check_from = ProgressCheckFrom(last_progress, size);
    for (;;) {
      const uint16_t opcode = static_cast<uint16_t>(file_.read_int());
      const uint16_t length = static_cast<uint16_t>(file_.read_int());
      dispatch(opcode, length);

      if (size > 0 && file_.position() >= check_from) {
        const double fraction = static_cast<double>(file_.position()) / static_cast<double>(size);
        if (fraction > last_progress + kProgressStep) {
          cookie_.progress(fraction);
          last_progress = fraction;
          check_from = ProgressCheckFrom(last_progress, size);
        }
      }
      if (cookie_.should_stop() || file_.eof()) break;
    }
  } catch (...) {
    // The failure travels to the caller; the file is not left open behind it.
    file_.close();
    if (begun) d.end_log();
    throw;
  }
  file_.close();
  d.end_log();
}

// Points the device at the cookie of the replay for its duration.
class CookieScope {
 public:
  CookieScope(PlotCookie*& slot, PlotCookie& cookie) : slot_(slot), before_(slot) { slot = &cookie; }
  ~CookieScope() { slot_ = before_; }
  CookieScope(const CookieScope&) = delete;
  CookieScope& operator=(const CookieScope&) = delete;

 private:
  PlotCookie*& slot_;
  PlotCookie* before_;
};

}  // namespace

void Interpreter::Replay(const std::string& path, gd_object& device, PlotCookie& cookie) {
  CookieScope scope(device.cookie_, cookie);
  // Each page reports a pattern or symbol beyond its library once.
  device.libraries_->begin_page();
  Replayer(path, device, cookie).run();
}
