// gd_object: construction and the default operations. The interpreter is in
// Interpreter.cpp, the record handlers in RecordHandlers.cpp and the stroke
// font in StrokeFont.cpp.
#include "core/gd_object.h"

#include <stdexcept>

#include "core/Libraries.h"

gd_object::gd_object(Libraries& libraries) : libraries_(&libraries) {}

gd_object::~gd_object() = default;

bool gd_object::begin_log(const tfl::Header& h) {
  header = h;
  return true;
}

void gd_object::end_log() {}

// --- Default drawing operations ---------------------------------------------

void gd_object::plot_text(double, double, uint8_t, uint8_t, int32_t, uint8_t, std::string_view) {
  // Every output device draws text itself; reaching this is a programming error.
  throw std::logic_error("gd_object::plot_text called: the device does not draw text");
}

void gd_object::plot_arc(double, double, double, double, double) {}
void gd_object::plot_picture_file(std::string_view, uint8_t, Rect, uint8_t) {}
void gd_object::plot_vertical_line(double) {}

void gd_object::plot_circle(double x, double y, double radius) { plot_arc(x, y, radius, 0, 360); }

void gd_object::set_color(int32_t) {}
void gd_object::plot_filled_polygon(const FilledPolygonStyle&, PointGroup&, PointGroup&) {}
void gd_object::plot_paragraph(Rect, std::string_view, uint8_t, uint8_t) {}
void gd_object::plot_label(double, double, double, double, std::string_view, int32_t,
                           LabelSizeMode, uint8_t) {}
void gd_object::set_font(std::string_view, int32_t, uint8_t, int32_t) {}
void gd_object::plot_line(uint8_t, double, double, double, double) {}
void gd_object::plot_page_text(double, double, uint8_t, std::string_view, int32_t, int32_t) {}
void gd_object::plot_picture(Rect, int32_t, const MemoryBlock&, uint8_t, uint8_t) {}
void gd_object::plot_bitmap(Rect, MemoryStream&, uint8_t) {}
void gd_object::plot_vector(double, double, double, double) {}
void gd_object::plot_pattern(Rect, int32_t, double, double, uint8_t) {}
void gd_object::plot_color_pattern(Rect, int32_t, double, double, int32_t, int32_t, int32_t,
                                   uint8_t) {}
void gd_object::plot_pattern_ex(Rect, int32_t, double, double, uint8_t, uint8_t) {}
void gd_object::plot_color_pattern_ex(Rect, int32_t, double, double, int32_t, int32_t, int32_t,
                                      uint8_t, uint8_t) {}
void gd_object::fill_rectangle(Rect, int32_t, uint8_t) {}
void gd_object::plot_polyfill(int32_t, double, double, uint8_t, PointGroup&) {}
void gd_object::plot_color_polygon(int32_t, uint8_t, double, double, int32_t, PointGroup&) {}
void gd_object::plot_polyline(PointGroup&) {}
void gd_object::plot_styled_polyline(int32_t, int32_t, uint8_t, VectorGroup&) {}
void gd_object::plot_rectangle(Rect) {}
void gd_object::set_pen_style(uint8_t) {}
void gd_object::plot_symbol(double, double, double, uint16_t, double, double, double) {}
void gd_object::plot_symbol_ex(double, double, double, uint16_t, double, double, double,
                               uint8_t) {}
void gd_object::plot_brush_rectangle(Rect, uint8_t, int32_t, uint8_t) {}
void gd_object::plot_note(double, double, std::string_view) {}
void gd_object::plot_dimension_text(Rect, std::string_view, uint8_t, uint8_t) {}
void gd_object::set_pen_width(int32_t) {}

std::optional<gd_object::Window> gd_object::visible_window() const { return std::nullopt; }

gd_object::Extent gd_object::measure_vector_text(int32_t angle, std::string_view text,
                                                 double char_width, double char_height) {
  plot_vector_text(angle, text, 0, 0, 0, char_width, char_height, false);
  return {text_extent.x_high - text_extent.x_low, text_extent.y_high - text_extent.y_low};
}
