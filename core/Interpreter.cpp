// The command interpreter: gd_object's default plot. It opens the compiled
// log, checks its header and replays every record in file order through the
// device's operations, reporting progress and polling for a cancel request
// after every record.
#include <string>

#include "core/PatternLibrary.h"
#include "core/SymbolLibrary.h"
#include "core/gd_object.h"
#include "windows/StatusWin.h"

namespace {

// The progress bar moves only when the fraction read has grown by more than
// this, so a replay touches it about ten times.
constexpr double kProgressStep = 0.1;

// Reads a fixed payload straight into its record buffer.
template <class Record>
Record& ReadPayload(gd_object& device, Record& buffer) {
  device.read_bytes(&buffer, sizeof buffer);
  return buffer;
}

}  // namespace

void gd_object::plot() {
  // Each page reports a pattern or symbol beyond its library once.
  pattern_library->begin_page();
  symbol_library->begin_page();
  ShowStatus("Processing graphic commands within " + file_name + " ...");
  show_progress(0);
  double last_progress = 0;

  try {
    open_read();
    for (;;) {
      const uint16_t opcode = static_cast<uint16_t>(read_int());
      const uint16_t length = static_cast<uint16_t>(read_int());
      dispatch(opcode, length);

      if (file_size > 0) {
        const double fraction = static_cast<double>(position()) / static_cast<double>(file_size);
        if (fraction > last_progress + kProgressStep) {
          show_progress(fraction);
          last_progress = fraction;
        }
      }
      if (CancelConfirmed()) {
        CancelRequested = false;
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

void gd_object::show_progress(double fraction) { SetStatusProgress(fraction); }

void gd_object::dispatch(uint16_t opcode, uint16_t length) {
  RecordBuffers& b = buffers;
  switch (opcode) {
    case tfl::kGraphFrame:
      ReadPayload(*this, b.graph_frame);
      plot_graph_frame();
      break;
    case tfl::kArc: {
      const auto& r = ReadPayload(*this, b.arc);
      plot_arc(r.x, r.y, r.radius, r.start_azimuth, r.end_azimuth);
      break;
    }
    case tfl::kCircle: {
      const auto& r = ReadPayload(*this, b.circle);
      plot_circle(r.x, r.y, r.radius);
      break;
    }
    case tfl::kColor:
      set_color(ReadPayload(*this, b.color).color);
      break;
    case tfl::kOrientation: {
      const auto& r = ReadPayload(*this, b.orientation);
      plot_orientation(r.x, r.y, r.strike_azimuth, r.dip);
      break;
    }
    case tfl::kOrientationSize:
      orientation_size = ReadPayload(*this, b.orientation_size).size_factor;
      break;
    case tfl::kEndGroup:
      ReadPayload(*this, b.end_group);
      break;
    case tfl::kGrid:
      ReadPayload(*this, b.grid);
      plot_grid();
      break;
    case tfl::kVector: {
      const auto& r = ReadPayload(*this, b.vector);
      plot_vector(r.x1, r.y1, r.x2, r.y2);
      break;
    }
    case tfl::kPattern: {
      const auto& r = ReadPayload(*this, b.pattern);
      plot_pattern(r.rect, r.pattern, r.x_scale, r.y_scale, r.outline);
      break;
    }
    case tfl::kPoint:
      ReadPayload(*this, b.point);
      break;
    case tfl::kPolyfill: {
      const auto& r = ReadPayload(*this, b.polyfill);
      plot_polyfill(r.pattern, r.x_scale, r.y_scale, r.outline);
      break;
    }
    case tfl::kPolyline:
      ReadPayload(*this, b.polyline);
      plot_polyline();
      break;
    case tfl::kPolarLine: {
      const auto& r = ReadPayload(*this, b.polar_line);
      plot_polar_line(r.x, r.y, r.length, r.azimuth);
      break;
    }
    case tfl::kVectorRectangle:
      plot_vector_rectangle(ReadPayload(*this, b.vector_rectangle).rect);
      break;
    case tfl::kRectangle:
      plot_rectangle(ReadPayload(*this, b.rectangle).rect);
      break;
    case tfl::kSector: {
      const auto& r = ReadPayload(*this, b.sector);
      plot_sector(r.x, r.y, r.radius, r.start_azimuth, r.end_azimuth);
      break;
    }
    case tfl::kPenStyle:
      set_pen_style(ReadPayload(*this, b.pen_style).pen_style);
      break;
    case tfl::kSymbol: {
      const auto& r = ReadPayload(*this, b.symbol);
      plot_symbol(r.x, r.y, r.device_a, r.symbol, r.width, r.height, r.device_b);
      break;
    }
    case tfl::kVectorText: {
      const auto& r = ReadPayload(*this, b.vector_text);
      plot_vector_text(r.angle, r.text.view(), r.x, r.y, r.ignored, r.char_width, r.char_height,
                       true);
      break;
    }
    case tfl::kNote: {
      const auto& r = ReadPayload(*this, b.note);
      plot_note(r.x, r.y, r.text.view());
      break;
    }
    case tfl::kPenWidth:
      set_pen_width(ReadPayload(*this, b.pen_width).pen_width);
      break;
    case tfl::kLabel: {
      const auto& r = ReadPayload(*this, b.label);
      plot_label(r.x, r.y, r.unused, r.size, r.text.view(), r.angle, r.size_mode, 1);
      break;
    }
    case tfl::kFont: {
      const auto& r = ReadPayload(*this, b.font);
      set_font(r.face.view(), r.size, r.style, 0);
      break;
    }
    case tfl::kParagraph:
      ReadPayload(*this, b.paragraph);
      replay_paragraph();
      break;
    case tfl::kBrushRectangle: {
      const auto& r = ReadPayload(*this, b.brush_rectangle);
      plot_brush_rectangle(r.rect, r.brush_style, r.color, r.option);
      break;
    }
    case tfl::kPictureFile: {
      const auto& r = ReadPayload(*this, b.picture_file);
      plot_picture_file(r.file_name.view(), r.frame, r.rect, r.stretch);
      break;
    }
    case tfl::kSectionLine: {
      const auto& r = ReadPayload(*this, b.section_line);
      plot_line(r.section, r.line.x1, r.line.y1, r.line.x2, r.line.y2);
      break;
    }
    case tfl::kPageText: {
      const auto& r = ReadPayload(*this, b.page_text);
      plot_page_text(r.x, r.y, r.section, r.text.view(), r.angle, r.extra);
      break;
    }
    case tfl::kLongPageText: {
      const auto& r = ReadPayload(*this, b.long_page_text);
      plot_page_text(r.x, r.y, r.section, r.text.view(), r.angle, r.extra);
      break;
    }
    case tfl::kPicture:
      ReadPayload(*this, b.picture);
      replay_picture();
      break;
    case tfl::kSymbolEx:
      plot_symbol_ex(ReadPayload(*this, b.symbol_ex));
      break;
    case tfl::kPatternEx:
      plot_pattern_ex(ReadPayload(*this, b.pattern_ex));
      break;
    case tfl::kDimensionText: {
      const auto& r = ReadPayload(*this, b.dimension_text);
      plot_dimension_text(r.rect, r.text.view(), r.downward, r.arrows);
      break;
    }
    case tfl::kColorPatternEx:
      plot_color_pattern_ex(ReadPayload(*this, b.color_pattern_ex));
      break;
    case tfl::kColorPattern: {
      const auto& r = ReadPayload(*this, b.color_pattern);
      plot_color_pattern(r.rect, r.pattern, r.x_scale, r.y_scale, r.line_width, r.background,
                         r.pattern_color, r.outline);
      break;
    }
    case tfl::kFontColor: {
      const auto& r = ReadPayload(*this, b.font_color);
      set_font(r.face.view(), r.size, r.style, r.color);
      break;
    }
    case tfl::kFillRectangle: {
      const auto& r = ReadPayload(*this, b.fill_rectangle);
      fill_rectangle(r.rect, r.color, r.section);
      break;
    }
    case tfl::kBitmap:
      ReadPayload(*this, b.bitmap);
      replay_bitmap();
      break;
    case tfl::kFilledPolygon:
      plot_filled_polygon(ReadPayload(*this, b.filled_polygon));
      break;
    case tfl::kText: {
      const auto& r = ReadPayload(*this, b.text);
      plot_text(r.x, r.y, r.vertical, r.transparent, r.alignment, r.adjust, r.text.view());
      break;
    }
    case tfl::kColorPolygon: {
      const auto& r = ReadPayload(*this, b.color_polygon);
      plot_color_polygon(r.pattern, r.outline, r.x_scale, r.y_scale, r.color);
      break;
    }
    case tfl::kStyledPolyline: {
      const auto& r = ReadPayload(*this, b.styled_polyline);
      plot_styled_polyline(r.pen_width, r.color, r.pen_style);
      break;
    }
    case tfl::kVerticalLine:
      plot_vertical_line(ReadPayload(*this, b.vertical_line).x);
      break;
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
// image in a memory stream; a stream that cannot be made drops the record
// (read_stream has told the user).
void gd_object::replay_bitmap() {
  read_int();
  const int32_t n = read_long();
  std::unique_ptr<MemoryStream> stream = read_stream(n);
  if (!stream) return;
  const auto& r = buffers.bitmap;
  plot_bitmap(r.rect, *stream, r.section);
}
