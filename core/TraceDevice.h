#pragma once
// TraceDevice: a graphic device that draws nothing and writes down every
// operation the interpreter calls, with its decoded arguments (the model is
// MuPDF's trace device). Tests replay a compiled log through it to see what
// reaches a device, and `korvale-render --trace` prints one page's trace.
//
// Each call becomes one RecordedCall: the operation's name, its numeric
// arguments in the order the operation receives them, its text argument (if
// any), the members of the groups a group operation reads, and the bytes of
// an embedded picture. str() gives a readable form such as
// "plot_vector(1,2,3,4)"; line() adds the groups and the data size.
//
// Operations that gd_object implements itself (plot_circle, plot_vector_text)
// are recorded and then run, so their plot_arc / plot_vector calls are
// recorded too. Group operations read their whole groups.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/gd_object.h"

struct RecordedCall {
  std::string name;
  std::vector<double> args;
  std::string text;
  bool has_text = false;
  // Point groups (x, y pairs, flattened) or the vector group (x1, y1, x2, y2
  // per vector) of a group operation.
  std::vector<std::vector<double>> groups;
  std::vector<uint8_t> data;  // plot_picture / plot_bitmap contents

  // "name(a,b,...)" with the text quoted last, e.g. plot_note(1,2,"abc");
  // numbers in their shortest form that reads back to the same double.
  std::string str() const;
  // str(), then each group as " [x,y x,y ...]" (a vector as its two ends) and
  // embedded data as " <n bytes>": one line of the trace.
  std::string line() const;
};

class TraceDevice : public gd_object {
 public:
  explicit TraceDevice(Libraries& libraries);

  std::vector<RecordedCall> calls;
  // What visible_window() answers: the body range of the page being traced,
  // so that grids and frames walk the steps they walk for the canvas device
  // drawing that page. nullopt: everything shows.
  std::optional<Window> window;

  // The calls of one operation, in order.
  std::vector<RecordedCall> of(std::string_view name) const;
  std::size_t count(std::string_view name) const;
  // Every call's str(), in order.
  std::vector<std::string> strings() const;
  // Every call's line(), one a line.
  std::string trace() const;
  void clear() { calls.clear(); }

  void plot_text(double x, double y, uint8_t vertical, uint8_t transparent, int32_t alignment,
                 uint8_t adjust, std::string_view text) override;
  void plot_arc(double x, double y, double radius, double start_azimuth,
                double end_azimuth) override;
  void plot_picture_file(std::string_view file_name, uint8_t frame, Rect r,
                         uint8_t stretch) override;
  void plot_vertical_line(double x) override;
  void plot_circle(double x, double y, double radius) override;
  void set_color(int32_t color) override;
  void plot_filled_polygon(const FilledPolygonStyle& style, PointGroup& a,
                           PointGroup& b) override;
  void plot_paragraph(Rect r, std::string_view text, uint8_t shrink, uint8_t fixed) override;
  void plot_label(double x, double y, double unused, double size, std::string_view text,
                  int32_t angle, LabelSizeMode size_mode, uint8_t flag) override;
  void set_font(std::string_view face, int32_t size, uint8_t style, int32_t color) override;
  void plot_line(uint8_t section, double x1, double y1, double x2, double y2) override;
  void plot_page_text(double x, double y, uint8_t section, std::string_view text, int32_t angle,
                      int32_t extra) override;
  void plot_picture(Rect r, int32_t size, const MemoryBlock& block, uint8_t bitmap,
                    uint8_t section) override;
  void plot_bitmap(Rect r, MemoryStream& stream, uint8_t section) override;
  void plot_vector(double x1, double y1, double x2, double y2) override;
  void plot_pattern(Rect r, int32_t pattern, double x_scale, double y_scale,
                    uint8_t outline) override;
  void plot_color_pattern(Rect r, int32_t pattern, double x_scale, double y_scale,
                          int32_t line_width, int32_t background, int32_t pattern_color,
                          uint8_t outline) override;
  void plot_pattern_ex(Rect r, int32_t pattern, double x_scale, double y_scale, uint8_t outline,
                       uint8_t section) override;
  void plot_color_pattern_ex(Rect r, int32_t pattern, double x_scale, double y_scale,
                             int32_t line_width, int32_t background, int32_t pattern_color,
                             uint8_t outline, uint8_t section) override;
  void fill_rectangle(Rect r, int32_t color, uint8_t section) override;
  void plot_polyfill(int32_t pattern, double x_scale, double y_scale, uint8_t outline,
                     PointGroup& points) override;
  void plot_color_polygon(int32_t pattern, uint8_t outline, double x_scale, double y_scale,
                          int32_t color, PointGroup& points) override;
  void plot_polyline(PointGroup& points) override;
  void plot_styled_polyline(int32_t pen_width, int32_t color, uint8_t pen_style,
                            VectorGroup& vectors) override;
  void plot_rectangle(Rect r) override;
  void set_pen_style(uint8_t pen_style) override;
  void plot_symbol(double x, double y, double device_a, uint16_t symbol, double width,
                   double height, double device_b) override;
  void plot_symbol_ex(double x, double y, double device_a, uint16_t symbol, double width,
                      double height, double device_b, uint8_t section) override;
  void plot_brush_rectangle(Rect r, uint8_t brush_style, int32_t color, uint8_t option) override;
  void plot_vector_text(int32_t angle, std::string_view text, double x, double y, double ignored,
                        double char_width, double char_height, bool draw) override;
  void plot_note(double x, double y, std::string_view text) override;
  void plot_dimension_text(Rect r, std::string_view text, uint8_t downward,
                           uint8_t arrows) override;
  void set_pen_width(int32_t pen_width) override;
  std::optional<Window> visible_window() const override { return window; }

 private:
  RecordedCall& add(std::string_view name, std::initializer_list<double> args);
  RecordedCall& add(std::string_view name, std::initializer_list<double> args,
                    std::string_view text);
  static std::vector<double> read_points(PointGroup& points);
  static std::vector<double> read_vectors(VectorGroup& vectors);
};
