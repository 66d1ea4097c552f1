// The command interpreter: gd_object's default plot. It opens the compiled
// log, checks its header and replays every record in file order through the
// device's operations, reporting progress and polling for a cancel request
// after every record.
#include <string>

#include "core/Libraries.h"
#include "core/gd_object.h"

namespace {

// The progress bar moves only when the fraction read has grown by more than
// this, so a replay touches it about ten times.
constexpr double kProgressStep = 0.1;

}  // namespace

namespace {

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

void gd_object::plot(PlotCookie& cookie) {
  CookieScope scope(cookie_, cookie);
  // Each page reports a pattern or symbol beyond its library once.
  libraries_->begin_page();
  cookie.status("Processing graphic commands within " + file_name + " ...");
  cookie.progress(0);
  double last_progress = 0;

  try {
    open_read();
    // A refused header leaves the file closed: the first read below fails.
    if (!is_open) cookie.notice(RefusalNotice(header_check_));
    for (;;) {
      const uint16_t opcode = static_cast<uint16_t>(read_int());
      const uint16_t length = static_cast<uint16_t>(read_int());
      dispatch(opcode, length);

      if (file_size > 0) {
        const double fraction = static_cast<double>(position()) / static_cast<double>(file_size);
        if (fraction > last_progress + kProgressStep) {
          cookie.progress(fraction);
          last_progress = fraction;
        }
      }
      if (cookie.should_stop()) {
        close();
        return;
      }
      if (eof()) {
        close();
        return;
      }
    }
  } catch (...) {
    // The failure travels to the caller; the file is not left open behind it.
    close();
    throw;
  }
}

namespace {

// The record handlers of the dispatch: one per payload structure, each given
// an aligned copy of the payload as read.
class Dispatch {
 public:
  explicit Dispatch(gd_object& device) : d(device), b(device.buffers) {}

  void on(const tfl::GraphFrameRecord& r) {
    b.graph_frame = r;
    d.plot_graph_frame();
  }
  void on(const tfl::ArcRecord& r) { d.plot_arc(r.x, r.y, r.radius, r.start_azimuth, r.end_azimuth); }
  void on(const tfl::CircleRecord& r) { d.plot_circle(r.x, r.y, r.radius); }
  void on(const tfl::ColorRecord& r) {
    b.color = r;
    d.set_color(r.color);
  }
  void on(const tfl::OrientationRecord& r) {
    d.plot_orientation(r.x, r.y, r.strike_azimuth, r.dip);
  }
  void on(const tfl::OrientationSizeRecord& r) { d.orientation_size = r.size_factor; }
  void on(const tfl::EndGroupRecord& r) { b.end_group = r; }
  void on(const tfl::GridRecord& r) {
    b.grid = r;
    d.plot_grid();
  }
  void on(const tfl::VectorRecord& r) { d.plot_vector(r.x1, r.y1, r.x2, r.y2); }
  void on(const tfl::PatternRecord& r) {
    d.plot_pattern(r.rect, r.pattern, r.x_scale, r.y_scale, r.outline);
  }
  void on(const tfl::PointRecord& r) { b.point = r; }
  void on(const tfl::PolyfillRecord& r) { d.plot_polyfill(r.pattern, r.x_scale, r.y_scale, r.outline); }
  void on(const tfl::PolylineRecord&) { d.plot_polyline(); }
  void on(const tfl::PolarLineRecord& r) { d.plot_polar_line(r.x, r.y, r.length, r.azimuth); }
  void on(const tfl::VectorRectangleRecord& r) { d.plot_vector_rectangle(r.rect); }
  void on(const tfl::RectangleRecord& r) { d.plot_rectangle(r.rect); }
  void on(const tfl::SectorRecord& r) {
    d.plot_sector(r.x, r.y, r.radius, r.start_azimuth, r.end_azimuth);
  }
  void on(const tfl::PenStyleRecord& r) {
    b.pen_style = r;
    d.set_pen_style(r.pen_style);
  }
  void on(const tfl::SymbolRecord& r) {
    d.plot_symbol(r.x, r.y, r.device_a, r.symbol, r.width, r.height, r.device_b);
  }
  void on(const tfl::VectorTextRecord& r) {
    d.plot_vector_text(r.angle, r.text.view(), r.x, r.y, r.ignored, r.char_width, r.char_height,
                       true);
  }
  void on(const tfl::NoteRecord& r) { d.plot_note(r.x, r.y, r.text.view()); }
  void on(const tfl::PenWidthRecord& r) {
    b.pen_width = r;
    d.set_pen_width(r.pen_width);
  }
  void on(const tfl::LabelRecord& r) {
    d.plot_label(r.x, r.y, r.unused, r.size, r.text.view(), r.angle, r.size_mode, 1);
  }
  void on(const tfl::FontRecord& r) { d.set_font(r.face.view(), r.size, r.style, 0); }
  void on(const tfl::ParagraphRecord& r) {
    b.paragraph = r;
    d.replay_paragraph();
  }
  void on(const tfl::BrushRectangleRecord& r) {
    d.plot_brush_rectangle(r.rect, r.brush_style, r.color, r.option);
  }
  void on(const tfl::PictureFileRecord& r) {
    d.plot_picture_file(r.file_name.view(), r.frame, r.rect, r.stretch);
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
  void on(const tfl::PictureRecord& r) {
    b.picture = r;
    d.replay_picture();
  }
  void on(const tfl::SymbolExRecord& r) { d.plot_symbol_ex(r); }
  void on(const tfl::PatternExRecord& r) { d.plot_pattern_ex(r); }
  void on(const tfl::DimensionTextRecord& r) {
    d.plot_dimension_text(r.rect, r.text.view(), r.downward, r.arrows);
  }
  void on(const tfl::ColorPatternExRecord& r) { d.plot_color_pattern_ex(r); }
  void on(const tfl::ColorPatternRecord& r) {
    d.plot_color_pattern(r.rect, r.pattern, r.x_scale, r.y_scale, r.line_width, r.background,
                         r.pattern_color, r.outline);
  }
  void on(const tfl::FontColorRecord& r) { d.set_font(r.face.view(), r.size, r.style, r.color); }
  void on(const tfl::FillRectangleRecord& r) { d.fill_rectangle(r.rect, r.color, r.section); }
  void on(const tfl::BitmapRecord& r) {
    b.bitmap = r;
    d.replay_bitmap();
  }
  void on(const tfl::FilledPolygonRecord& r) { d.plot_filled_polygon(r); }
  void on(const tfl::TextRecord& r) {
    d.plot_text(r.x, r.y, r.vertical, r.transparent, r.alignment, r.adjust, r.text.view());
  }
  void on(const tfl::ColorPolygonRecord& r) {
    d.plot_color_polygon(r.pattern, r.outline, r.x_scale, r.y_scale, r.color);
  }
  void on(const tfl::StyledPolylineRecord& r) {
    d.plot_styled_polyline(r.pen_width, r.color, r.pen_style);
  }
  void on(const tfl::VerticalLineRecord& r) { d.plot_vertical_line(r.x); }

 private:
  gd_object& d;
  RecordBuffers& b;
};

}  // namespace

// One record: a known opcode's payload is read with its fixed size into an
// aligned copy and handed to its handler; any other opcode is skipped by its
// length word (the rule of the opcode table, Opcodes.h).
void gd_object::dispatch(uint16_t opcode, uint16_t length) {
  Dispatch handlers(*this);
  switch (opcode) {
#define KORVALE_TFL_DISPATCH(Name, code, Record, trace) \
  case code: {                                          \
    alignas(8) tfl::Record payload;                     \
    read_bytes(&payload, sizeof payload);               \
    handlers.on(payload);                               \
    break;                                              \
  }
    KORVALE_TFL_OPCODES(KORVALE_TFL_DISPATCH)
#undef KORVALE_TFL_DISPATCH
    default:
      // 0, 9, a header record after the first and every unknown opcode.
      skip_bytes(length);
      break;
  }
}

namespace {

// A count read from the file that claims more bytes than the file still holds
// is a read past its end: it fails before anything is allocated for it.
void RequireRemaining(const gd_object& device, int64_t count) {
  if (count < 0 || count > device.remaining())
    throw FileError(FileError::kReadPastEnd, "Disk read error: read beyond end of file");
}

}  // namespace

// Record 26: a word (ignored), a word n and n bytes of text ending at its
// first zero byte.
void gd_object::replay_paragraph() {
  read_int();
  const uint16_t n = static_cast<uint16_t>(read_int());
  RequireRemaining(*this, n);
  std::string text(n, '\0');
  read_bytes(text.data(), n);
  const size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  const auto& r = buffers.paragraph;
  plot_paragraph(r.rect, text, r.shrink, r.fixed);
}

// Record 103: a tag word (ignored), a long n and n bytes of picture data,
// handed to the device in a memory block that lives for this record only.
void gd_object::replay_picture() {
  read_int();
  const int32_t n = read_long();
  RequireRemaining(*this, n);
  MemoryBlock block(static_cast<size_t>(n));
  read_block(block, n);
  const auto& r = buffers.picture;
  plot_picture(r.rect, n, block, r.bitmap, r.section);
}

// Record 206: a tag word (ignored), a long n and n bytes of a bitmap file
// image in a memory stream; a stream that cannot be made drops the record,
// and the user is told.
void gd_object::replay_bitmap() {
  read_int();
  const int32_t n = read_long();
  std::unique_ptr<MemoryStream> stream = read_stream(n);
  if (!stream) {
    cookie().notice({Notice::Error, 0, "Out of Resources: unable to load stream"});
    return;
  }
  const auto& r = buffers.bitmap;
  plot_bitmap(r.rect, *stream, r.section);
}
