// gd_object: construction, the header check, record writing, the default
// drawing operations and the group readers. The interpreter is in
// Interpreter.cpp, its record handlers in RecordHandlers.cpp and the stroke
// font in StrokeFont.cpp.
#include "core/gd_object.h"

#include <stdexcept>

#include "core/Libraries.h"
#include "core/TflWriter.h"

gd_object::gd_object(Libraries& libraries) : libraries_(&libraries) {}

gd_object::~gd_object() { close(); }

// --- Header -----------------------------------------------------------------

void gd_object::open_read() {
  file_object::open_read();
  header_check_ = ReadLogHeader(*this, header);
}

// --- Record writing ---------------------------------------------------------

void gd_object::open_write() {
  header = tfl::DefaultHeader();
  file_object::open_write();
  write_int(static_cast<int16_t>(tfl::kCurrentVersion));
  write_int(static_cast<int16_t>(tfl::kHeaderLength));
  write_bytes(&header, sizeof header);
}

namespace {

template <class Record>
void WriteFixed(file_object& file, const Record& record) {
  file.write_record(static_cast<int16_t>(Record::kOpcode), &record, sizeof record);
}

}  // namespace

void gd_object::write_line(uint8_t section, double x1, double y1, double x2, double y2) {
  auto& r = buffers.section_line;
  r.line = {x1, y1, x2, y2};
  r.section = section;
  WriteFixed(*this, r);
}

namespace {

// Records 102 and 1020 differ only in the capacity of their text.
template <class PageText>
void WritePageText(gd_object& device, PageText& r, double x, double y, uint8_t section,
                   std::string_view text, int32_t angle, int32_t extra) {
  r = {};
  r.x = x;
  r.y = y;
  r.extra = extra;
  r.angle = angle;
  r.text.assign(text);
  r.section = section;
  WriteFixed(device, r);
}

}  // namespace

void gd_object::write_text(double x, double y, uint8_t section, std::string_view text,
                           int32_t angle, int32_t extra) {
  WritePageText(*this, buffers.page_text, x, y, section, text, angle, extra);
}

void gd_object::write_long_text(double x, double y, uint8_t section, std::string_view text,
                                int32_t angle, int32_t extra) {
  WritePageText(*this, buffers.long_page_text, x, y, section, text, angle, extra);
}

void gd_object::write_picture(const Rect& rect, uint8_t bitmap, uint8_t section,
                              const MemoryBlock& block, int32_t size) {
  if (size < 0 || static_cast<size_t>(size) > block.size())
    throw std::invalid_argument("write_picture: size exceeds the block");
  auto& r = buffers.picture;
  r = {};
  r.rect = rect;
  r.bitmap = bitmap;
  r.section = section;
  WriteFixed(*this, r);
  write_int(0);
  write_long(size);
  write_bytes(block.data(), static_cast<size_t>(size));
}

void gd_object::write_bitmap(const Rect& rect, uint8_t section, const MemoryStream& stream) {
  auto& r = buffers.bitmap;
  r.rect = rect;
  r.section = section;
  WriteFixed(*this, r);
  write_int(0);
  write_long(static_cast<int32_t>(stream.size()));
  write_bytes(stream.data(), stream.size());
}

void gd_object::write_pattern_ex(const tfl::PatternExRecord& record) {
  buffers.pattern_ex = record;
  WriteFixed(*this, record);
}

void gd_object::write_color_pattern_ex(const tfl::ColorPatternExRecord& record) {
  buffers.color_pattern_ex = record;
  WriteFixed(*this, record);
}

void gd_object::write_symbol(const tfl::SymbolExRecord& record) {
  buffers.symbol_ex = record;
  WriteFixed(*this, record);
}

// --- Default drawing operations ---------------------------------------------

void gd_object::plot_text(double, double, uint8_t, uint8_t, int32_t, uint8_t, std::string_view) {
  // Every output device draws text itself; reaching this is a programming error.
  throw std::logic_error("gd_object::plot_text called: the device does not draw text");
}

void gd_object::plot_arc(double, double, double, double, double) {}
void gd_object::plot_picture_file(std::string_view, uint8_t, const Rect&, uint8_t) {}
void gd_object::plot_vertical_line(double) {}

void gd_object::plot_circle(double x, double y, double radius) { plot_arc(x, y, radius, 0, 360); }

void gd_object::set_color(int32_t) {}

// The group operations draw nothing here but still consume their groups, so
// that a device without its own version stays in step with the file exactly
// as a drawing device does.
void gd_object::plot_filled_polygon(const tfl::FilledPolygonRecord&) {
  while (read_group_point()) {
  }
  while (read_group_point()) {
  }
}

void gd_object::plot_paragraph(const Rect&, std::string_view, uint8_t, uint8_t) {}
void gd_object::plot_label(double, double, double, double, std::string_view, int32_t, uint8_t,
                           uint8_t) {}
void gd_object::set_font(std::string_view, int32_t, uint8_t, int32_t) {}
void gd_object::plot_line(uint8_t, double, double, double, double) {}
void gd_object::plot_page_text(double, double, uint8_t, std::string_view, int32_t, int32_t) {}
void gd_object::plot_picture(const Rect&, int32_t, const MemoryBlock&, uint8_t, uint8_t) {}
void gd_object::plot_bitmap(const Rect&, MemoryStream&, uint8_t) {}
void gd_object::plot_vector(double, double, double, double) {}
void gd_object::plot_pattern(const Rect&, int32_t, double, double, uint8_t) {}
void gd_object::plot_color_pattern(const Rect&, int32_t, double, double, int32_t, int32_t,
                                   int32_t, uint8_t) {}
void gd_object::plot_pattern_ex(const tfl::PatternExRecord&) {}
void gd_object::plot_color_pattern_ex(const tfl::ColorPatternExRecord&) {}
void gd_object::fill_rectangle(const Rect&, int32_t, uint8_t) {}

void gd_object::plot_polyfill(int32_t, double, double, uint8_t) {
  while (read_group_point()) {
  }
}

void gd_object::plot_color_polygon(int32_t, uint8_t, double, double, int32_t) {
  while (read_group_point()) {
  }
}

void gd_object::plot_polyline() {
  while (read_group_point()) {
  }
}

void gd_object::plot_styled_polyline(int32_t, int32_t, uint8_t) {
  while (read_group_vector()) {
  }
}

void gd_object::plot_rectangle(const Rect&) {}
void gd_object::set_pen_style(uint8_t) {}
void gd_object::plot_symbol(double, double, double, uint16_t, double, double, double) {}
void gd_object::plot_symbol_ex(const tfl::SymbolExRecord&) {}
void gd_object::plot_brush_rectangle(const Rect&, uint8_t, int32_t, uint8_t) {}
void gd_object::plot_note(double, double, std::string_view) {}
void gd_object::plot_dimension_text(const Rect&, std::string_view, uint8_t, uint8_t) {}
void gd_object::set_pen_width(int32_t) {}

std::optional<gd_object::Window> gd_object::visible_window() const { return std::nullopt; }

// --- Measuring and groups ---------------------------------------------------

gd_object::Extent gd_object::measure_vector_text(int32_t angle, std::string_view text,
                                                 double char_width, double char_height) {
  plot_vector_text(angle, text, 0, 0, 0, char_width, char_height, false);
  return {text_extent.x_high - text_extent.x_low, text_extent.y_high - text_extent.y_low};
}

namespace {

// Reads one member of a group whose members have the given opcode: true with
// the member's payload in `member`; false at the end record (consumed), at
// the end of the file, or at any other opcode (its two words consumed).
template <class Member>
bool ReadGroupMember(gd_object& device, Member& member, tfl::EndGroupRecord& end) {
  if (device.eof()) return false;
  const uint16_t opcode = static_cast<uint16_t>(device.read_int());
  device.read_int();  // length word: members have a fixed size
  if (opcode == Member::kOpcode) {
    device.read_bytes(&member, sizeof member);
    return true;
  }
  if (opcode == tfl::kEndGroup) device.read_bytes(&end, sizeof end);
  return false;
}

}  // namespace

bool gd_object::read_group_point() { return ReadGroupMember(*this, buffers.point, buffers.end_group); }

bool gd_object::read_group_vector() {
  return ReadGroupMember(*this, buffers.vector, buffers.end_group);
}
