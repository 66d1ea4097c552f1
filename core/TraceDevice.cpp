#include "core/TraceDevice.h"

#include <charconv>

namespace {

// The shortest text that reads back to the same double.
std::string Number(double v) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
  return std::string(buffer, end);
}

}  // namespace

std::string RecordedCall::str() const {
  std::string s = name + "(";
  bool first = true;
  for (double v : args) {
    if (!first) s += ",";
    s += Number(v);
    first = false;
  }
  if (has_text) {
    if (!first) s += ",";
    s += "\"" + text + "\"";
  }
  return s + ")";
}

std::string RecordedCall::line() const {
  std::string s = str();
  for (const std::vector<double>& group : groups) {
    s += " [";
    for (size_t i = 0; i < group.size(); ++i) {
      if (i > 0) s += i % 2 == 0 ? " " : ",";
      s += Number(group[i]);
    }
    s += "]";
  }
  if (name == "plot_picture" || name == "plot_bitmap")
    s += " <" + std::to_string(data.size()) + " bytes>";
  return s;
}

TraceDevice::TraceDevice(Libraries& libraries) : gd_object(libraries) {}

std::vector<RecordedCall> TraceDevice::of(std::string_view name) const {
  std::vector<RecordedCall> out;
  for (const RecordedCall& c : calls)
    if (c.name == name) out.push_back(c);
  return out;
}

std::size_t TraceDevice::count(std::string_view name) const {
  std::size_t n = 0;
  for (const RecordedCall& c : calls) n += c.name == name;
  return n;
}

std::string TraceDevice::trace() const {
  std::string out;
  for (const RecordedCall& c : calls) out += c.line() + "\n";
  return out;
}

std::vector<std::string> TraceDevice::strings() const {
  std::vector<std::string> out;
  out.reserve(calls.size());
  for (const RecordedCall& c : calls) out.push_back(c.str());
  return out;
}

RecordedCall& TraceDevice::add(std::string_view name, std::initializer_list<double> args) {
  RecordedCall& c = calls.emplace_back();
  c.name = name;
  c.args = args;
  return c;
}

RecordedCall& TraceDevice::add(std::string_view name, std::initializer_list<double> args,
                                   std::string_view text) {
  RecordedCall& c = add(name, args);
  c.text = text;
  c.has_text = true;
  return c;
}

std::vector<double> TraceDevice::read_points(PointGroup& points) {
  std::vector<double> pts;
  for (gd::Point p; points.next(p);) pts.insert(pts.end(), {p.x, p.y});
  return pts;
}

std::vector<double> TraceDevice::read_vectors(VectorGroup& vectors) {
  std::vector<double> out;
  for (gd::Vector v; vectors.next(v);) out.insert(out.end(), {v.x1, v.y1, v.x2, v.y2});
  return out;
}

void TraceDevice::plot_text(double x, double y, uint8_t vertical, uint8_t transparent,
                                int32_t alignment, uint8_t adjust, std::string_view text) {
  add("plot_text", {x, y, double(vertical), double(transparent), double(alignment), double(adjust)},
      text);
}

void TraceDevice::plot_arc(double x, double y, double radius, double start_azimuth,
                               double end_azimuth) {
  add("plot_arc", {x, y, radius, start_azimuth, end_azimuth});
}

void TraceDevice::plot_picture_file(std::string_view file_name, uint8_t frame, Rect r,
                                        uint8_t stretch) {
  add("plot_picture_file", {double(frame), r.x1, r.y1, r.x2, r.y2, double(stretch)}, file_name);
}

void TraceDevice::plot_vertical_line(double x) { add("plot_vertical_line", {x}); }

void TraceDevice::plot_circle(double x, double y, double radius) {
  add("plot_circle", {x, y, radius});
  gd_object::plot_circle(x, y, radius);
}

void TraceDevice::set_color(int32_t color) { add("set_color", {double(color)}); }

void TraceDevice::plot_filled_polygon(const FilledPolygonStyle& r, PointGroup& group_a,
                                          PointGroup& group_b) {
  add("plot_filled_polygon",
      {double(r.outline_a), double(r.pen_style_a), double(r.width_a), double(r.fill_a),
       double(r.brush_a), double(r.outline_b), double(r.pen_style_b), double(r.width_b),
       double(r.fill_b), double(r.brush_b), double(r.overlap_fill), double(r.overlap_brush)});
  std::vector<double> a = read_points(group_a);
  std::vector<double> b = read_points(group_b);
  calls.back().groups = {std::move(a), std::move(b)};
}

void TraceDevice::plot_paragraph(Rect r, std::string_view text, uint8_t shrink,
                                     uint8_t fixed) {
  add("plot_paragraph", {r.x1, r.y1, r.x2, r.y2, double(shrink), double(fixed)}, text);
}

void TraceDevice::plot_label(double x, double y, double unused, double size,
                                 std::string_view text, int32_t angle, LabelSizeMode size_mode,
                                 uint8_t flag) {
  add("plot_label", {x, y, unused, size, double(angle), double(size_mode), double(flag)}, text);
}

void TraceDevice::set_font(std::string_view face, int32_t size, uint8_t style, int32_t color) {
  add("set_font", {double(size), double(style), double(color)}, face);
}

void TraceDevice::plot_line(uint8_t section, double x1, double y1, double x2, double y2) {
  add("plot_line", {double(section), x1, y1, x2, y2});
}

void TraceDevice::plot_page_text(double x, double y, uint8_t section, std::string_view text,
                                     int32_t angle, int32_t extra) {
  add("plot_page_text", {x, y, double(section), double(angle), double(extra)}, text);
}

void TraceDevice::plot_picture(Rect r, int32_t size, const MemoryBlock& block,
                                   uint8_t bitmap, uint8_t section) {
  RecordedCall& c =
      add("plot_picture", {r.x1, r.y1, r.x2, r.y2, double(size), double(bitmap), double(section)});
  c.data.assign(block.data(), block.data() + block.size());
}

void TraceDevice::plot_bitmap(Rect r, MemoryStream& stream, uint8_t section) {
  RecordedCall& c = add("plot_bitmap", {r.x1, r.y1, r.x2, r.y2, double(section)});
  c.data.assign(stream.data(), stream.data() + stream.size());
}

void TraceDevice::plot_vector(double x1, double y1, double x2, double y2) {
  add("plot_vector", {x1, y1, x2, y2});
}

void TraceDevice::plot_pattern(Rect r, int32_t pattern, double x_scale, double y_scale,
                                   uint8_t outline) {
  add("plot_pattern", {r.x1, r.y1, r.x2, r.y2, double(pattern), x_scale, y_scale, double(outline)});
}

void TraceDevice::plot_color_pattern(Rect r, int32_t pattern, double x_scale,
                                         double y_scale, int32_t line_width, int32_t background,
                                         int32_t pattern_color, uint8_t outline) {
  add("plot_color_pattern",
      {r.x1, r.y1, r.x2, r.y2, double(pattern), x_scale, y_scale, double(line_width),
       double(background), double(pattern_color), double(outline)});
}

void TraceDevice::plot_pattern_ex(Rect r, int32_t pattern, double x_scale, double y_scale,
                                      uint8_t outline, uint8_t section) {
  add("plot_pattern_ex", {r.x1, r.y1, r.x2, r.y2, double(pattern), x_scale, y_scale,
                          double(outline), double(section)});
}

void TraceDevice::plot_color_pattern_ex(Rect r, int32_t pattern, double x_scale,
                                            double y_scale, int32_t line_width,
                                            int32_t background, int32_t pattern_color,
                                            uint8_t outline, uint8_t section) {
  add("plot_color_pattern_ex",
      {r.x1, r.y1, r.x2, r.y2, double(pattern), x_scale, y_scale, double(line_width),
       double(background), double(pattern_color), double(outline), double(section)});
}

void TraceDevice::fill_rectangle(Rect r, int32_t color, uint8_t section) {
  add("fill_rectangle", {r.x1, r.y1, r.x2, r.y2, double(color), double(section)});
}

void TraceDevice::plot_polyfill(int32_t pattern, double x_scale, double y_scale,
                                    uint8_t outline, PointGroup& points) {
  add("plot_polyfill", {double(pattern), x_scale, y_scale, double(outline)});
  std::vector<double> pts = read_points(points);
  calls.back().groups = {std::move(pts)};
}

void TraceDevice::plot_color_polygon(int32_t pattern, uint8_t outline, double x_scale,
                                         double y_scale, int32_t color, PointGroup& points) {
  add("plot_color_polygon", {double(pattern), double(outline), x_scale, y_scale, double(color)});
  std::vector<double> pts = read_points(points);
  calls.back().groups = {std::move(pts)};
}

void TraceDevice::plot_polyline(PointGroup& points) {
  add("plot_polyline", {});
  std::vector<double> pts = read_points(points);
  calls.back().groups = {std::move(pts)};
}

void TraceDevice::plot_styled_polyline(int32_t pen_width, int32_t color, uint8_t pen_style,
                                           VectorGroup& vectors) {
  add("plot_styled_polyline", {double(pen_width), double(color), double(pen_style)});
  std::vector<double> v = read_vectors(vectors);
  calls.back().groups = {std::move(v)};
}

void TraceDevice::plot_rectangle(Rect r) { add("plot_rectangle", {r.x1, r.y1, r.x2, r.y2}); }

void TraceDevice::set_pen_style(uint8_t pen_style) { add("set_pen_style", {double(pen_style)}); }

void TraceDevice::plot_symbol(double x, double y, double device_a, uint16_t symbol,
                                  double width, double height, double device_b) {
  add("plot_symbol", {x, y, device_a, double(symbol), width, height, device_b});
}

void TraceDevice::plot_symbol_ex(double x, double y, double device_a, uint16_t symbol,
                                     double width, double height, double device_b,
                                     uint8_t section) {
  add("plot_symbol_ex",
      {x, y, device_a, double(symbol), width, height, device_b, double(section)});
}

void TraceDevice::plot_brush_rectangle(Rect r, uint8_t brush_style, int32_t color,
                                           uint8_t option) {
  add("plot_brush_rectangle",
      {r.x1, r.y1, r.x2, r.y2, double(brush_style), double(color), double(option)});
}

void TraceDevice::plot_vector_text(int32_t angle, std::string_view text, double x, double y,
                                       double ignored, double char_width, double char_height,
                                       bool draw) {
  add("plot_vector_text", {double(angle), x, y, ignored, char_width, char_height, double(draw)},
      text);
  gd_object::plot_vector_text(angle, text, x, y, ignored, char_width, char_height, draw);
}

void TraceDevice::plot_note(double x, double y, std::string_view text) {
  add("plot_note", {x, y}, text);
}

void TraceDevice::plot_dimension_text(Rect r, std::string_view text, uint8_t downward,
                                          uint8_t arrows) {
  add("plot_dimension_text", {r.x1, r.y1, r.x2, r.y2, double(downward), double(arrows)}, text);
}

void TraceDevice::set_pen_width(int32_t pen_width) { add("set_pen_width", {double(pen_width)}); }
