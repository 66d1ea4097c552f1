#pragma once
// gd_object: the abstract graphic device. The interpreter (Interpreter.h)
// reads a compiled log and calls these operations with the decoded values of
// each record; the device knows nothing of the file. It holds the header it
// was given (begin_log), the pattern and symbol libraries it draws with, and
// the state that records leave for later ones (orientation size, the last
// stroke-text extent, the graph frame's scale). An output device overrides
// the drawing operations; the defaults draw nothing, except plot_circle (an
// arc) and plot_vector_text (the stroke font through plot_vector).
//
// Units: body operations take log units (x across in x_units_per_inch per
// inch, y upward in y_units_per_inch per inch); operations with a `section`
// byte are header or footer items, their y in inches from the section's top
// (1 first-page header, 2 repeated header, 0 later-page header of an unpaged
// log, 3 footer). Angles and azimuths are degrees. Colours are 0x00BBGGRR.
// Text arguments are valid for the duration of the call. Any operation of a
// drawing device may throw FileError (a library lookup that ends the page) or
// RangeError (a value the device cannot map); either ends the replay.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/MemoryStream.h"
#include "core/PlotCookie.h"
#include "core/TflFormat.h"

class Libraries;

namespace gd {

struct Point {
  double x, y;
};

struct Vector {
  double x1, y1, x2, y2;
};

// Record 1 decoded: a data range mapped onto a page rectangle.
struct GraphFrame {
  tfl::Rect frame;
  double data_x_start, data_y_start, data_x_end, data_y_end;
  bool centred_labels;       // frame options byte nonzero
  bool automatic_intervals;  // tick intervals chosen from the data range
  double x_tick_interval, y_tick_interval;
};

}  // namespace gd

// The members of a point or vector group, handed out one at a time as the
// interpreter reads them from the file. next() is false once the group has
// ended (and stays false). What the device does not read is read past by the
// interpreter after the operation returns.
class PointGroup {
 public:
  virtual bool next(gd::Point& p) = 0;

 protected:
  ~PointGroup() = default;
};

class VectorGroup {
 public:
  virtual bool next(gd::Vector& v) = 0;

 protected:
  ~VectorGroup() = default;
};

// Record 207: how the two polygons, their overlap and their outlines are
// drawn.
struct FilledPolygonStyle {
  int32_t outline_a;  // colour
  uint8_t pen_style_a;
  int32_t width_a;
  int32_t fill_a;  // colour
  uint8_t brush_a;  // fill-style code
  int32_t outline_b;
  uint8_t pen_style_b;
  int32_t width_b;
  int32_t fill_b;
  uint8_t brush_b;
  int32_t overlap_fill;
  uint8_t overlap_brush;
};

// Size modes of record 24 (plot_label): the size in log units (0 to 2) or
// in points (3 to 5); modes 1 and 4 centre the text across its point, 2 and
// 5 centre it vertically.
enum class LabelSizeMode : uint8_t {
  LogUnits = 0,
  LogUnitsCentred = 1,
  LogUnitsMiddle = 2,
  Points = 3,
  PointsCentred = 4,
  PointsMiddle = 5,
};

class gd_object {
 public:
  using Rect = tfl::Rect;

  // A device drawing with `libraries` (not owned; they outlive the device).
  explicit gd_object(Libraries& libraries);
  virtual ~gd_object();
  gd_object(const gd_object&) = delete;
  gd_object& operator=(const gd_object&) = delete;

  // Draws with other libraries from now on.
  void use_libraries(Libraries& libraries) { libraries_ = &libraries; }

  // --- The log ---------------------------------------------------------------
  // Called once per replay after the header passed its check, before the
  // first record; stores the header. False: the device has nothing to draw
  // for this log, and the replay ends without reading a record.
  virtual bool begin_log(const tfl::Header& header);
  // Called after the last record, a stop or a failure of a replay whose
  // begin_log returned true.
  virtual void end_log();

  // --- Operation table ---------------------------------------------------------
  // Record 208: one line of text at body point (x, y) with the canvas font;
  // alignment holds text-alignment flags. A device must draw it: the default
  // throws std::logic_error.
  virtual void plot_text(double x, double y, uint8_t vertical, uint8_t transparent,
                         int32_t alignment, uint8_t adjust, std::string_view text);
  // An arc about body point (x, y), clockwise from start to end azimuth.
  virtual void plot_arc(double x, double y, double radius, double start_azimuth,
                        double end_azimuth);
  // Record 28: a picture file named in the log, into body rectangle r; may
  // throw PictureError when it cannot be read.
  virtual void plot_picture_file(std::string_view file_name, uint8_t frame, Rect r,
                                 uint8_t stretch);
  // Record 211: a line down the whole page at body x with the current pen.
  virtual void plot_vertical_line(double x);
  // Record 3: a circle about body point (x, y); the default is plot_arc from 0 to 360.
  virtual void plot_circle(double x, double y, double radius);
  // Record 4: the current pen and brush colour.
  virtual void set_color(int32_t color);
  // Record 207: the area between two curves of body points, polygon a then
  // polygon b, each filled and outlined in its style and their overlap in its own.
  virtual void plot_filled_polygon(const FilledPolygonStyle& style, PointGroup& a, PointGroup& b);
  // Record 26: text of several lines ("\r" breaks) in body rectangle r.
  virtual void plot_paragraph(Rect r, std::string_view text, uint8_t shrink, uint8_t fixed);
  // Record 24: text at body point (x, y) turned by angle, sized by size_mode
  // (`unused` and `flag` are passed on from the record and the interpreter).
  virtual void plot_label(double x, double y, double unused, double size, std::string_view text,
                          int32_t angle, LabelSizeMode size_mode, uint8_t flag);
  // Records 25 and 204: the current font (size in points, style bits 1 bold,
  // 2 italic, 4 underline, 8 strike-out) and text colour.
  virtual void set_font(std::string_view face, int32_t size, uint8_t style, int32_t color);
  // Record 101: a line in a header or footer section with the current pen.
  virtual void plot_line(uint8_t section, double x1, double y1, double x2, double y2);
  // Records 102 and 1020: header or footer text at (x, y) in its section,
  // "#p" and "#t" standing for the page number and the page count.
  virtual void plot_page_text(double x, double y, uint8_t section, std::string_view text,
                              int32_t angle, int32_t extra);
  // Record 103: an embedded picture (bitmap file image, or a metafile without
  // placeable header) of `size` bytes of `block`, in section rectangle r.
  virtual void plot_picture(Rect r, int32_t size, const MemoryBlock& block, uint8_t bitmap,
                            uint8_t section);
  // Record 206: an embedded bitmap file image read from `stream`, in section rectangle r.
  virtual void plot_bitmap(Rect r, MemoryStream& stream, uint8_t section);
  // Record 10 and the interpreter's own shapes: a body line with the current pen.
  virtual void plot_vector(double x1, double y1, double x2, double y2);
  // Record 11: body rectangle r filled with library pattern `pattern` in the
  // pen colour, scaled by x_scale and y_scale, outlined when outline is set.
  virtual void plot_pattern(Rect r, int32_t pattern, double x_scale, double y_scale,
                            uint8_t outline);
  // Record 203: as plot_pattern, with its own line width, background and
  // pattern colours.
  virtual void plot_color_pattern(Rect r, int32_t pattern, double x_scale, double y_scale,
                                  int32_t line_width, int32_t background, int32_t pattern_color,
                                  uint8_t outline);
  // Record 105: plot_pattern in a header or footer section rectangle.
  virtual void plot_pattern_ex(Rect r, int32_t pattern, double x_scale, double y_scale,
                               uint8_t outline, uint8_t section);
  // Record 202: plot_color_pattern in a header or footer section rectangle.
  virtual void plot_color_pattern_ex(Rect r, int32_t pattern, double x_scale, double y_scale,
                                     int32_t line_width, int32_t background,
                                     int32_t pattern_color, uint8_t outline, uint8_t section);
  // Record 205: section rectangle r filled in `color`.
  virtual void fill_rectangle(Rect r, int32_t color, uint8_t section);
  // Record 13: the curve of body points closed along the vertical through
  // its first point, filled with the pen colour.
  virtual void plot_polyfill(int32_t pattern, double x_scale, double y_scale, uint8_t outline,
                             PointGroup& points);
  // Record 209: as plot_polyfill, filled in `color` without an outline.
  virtual void plot_color_polygon(int32_t pattern, uint8_t outline, double x_scale,
                                  double y_scale, int32_t color, PointGroup& points);
  // Record 14: the body points joined in order with the current pen.
  virtual void plot_polyline(PointGroup& points);
  // Record 210: each body vector a line of its own pen width, colour and style.
  virtual void plot_styled_polyline(int32_t pen_width, int32_t color, uint8_t pen_style,
                                    VectorGroup& vectors);
  // Record 17: the outline of body rectangle r with the current pen.
  virtual void plot_rectangle(Rect r);
  // Record 19: the current pen style (0 solid, 1 dash, 2 dot, 3 dash-dot,
  // 4 dash-dot-dot, 5 none).
  virtual void set_pen_style(uint8_t pen_style);
  // Record 20: library symbol `symbol` (1 to 325) centred on body point (x,
  // y), `width` inches wide.
  virtual void plot_symbol(double x, double y, double device_a, uint16_t symbol, double width,
                           double height, double device_b);
  // Record 104: plot_symbol at (x, y) in a header or footer section.
  virtual void plot_symbol_ex(double x, double y, double device_a, uint16_t symbol, double width,
                              double height, double device_b, uint8_t section);
  // Record 27: body rectangle r filled with fill-style code brush_style in `color`.
  virtual void plot_brush_rectangle(Rect r, uint8_t brush_style, int32_t color, uint8_t option);
  // Record 21 and the interpreter's labels: stroke-font text with its first
  // cell at body point (x, y), through plot_vector; with draw false it only
  // measures into text_extent. May report 1037 for a glyph beyond the library.
  virtual void plot_vector_text(int32_t angle, std::string_view text, double x, double y,
                                double ignored, double char_width, double char_height, bool draw);
  // Record 22: a note at body point (x, y); drawn by no device of this program.
  virtual void plot_note(double x, double y, std::string_view text);
  // Record 201: text turned a quarter along the middle of body rectangle r,
  // with arrows to its ends when `arrows` is set.
  virtual void plot_dimension_text(Rect r, std::string_view text, uint8_t downward,
                                   uint8_t arrows);
  // Record 23: the current pen width (in screen pixels at the device's line unit).
  virtual void set_pen_width(int32_t pen_width);

  // The part of the log body that the page being drawn can show, in log
  // units (x across, y up), widened by what a line just outside it could
  // still reach. The interpreter's grids and graph frames walk only the steps
  // that fall in it. A device without a page shows everything: nullopt.
  struct Window {
    double x_low, x_high, y_low, y_high;
  };
  virtual std::optional<Window> visible_window() const;

  // --- Non-virtual operations -------------------------------------------------
  struct Extent {
    double width, height;
  };
  // The width and height of stroke-font text (plot_vector_text, not drawn).
  Extent measure_vector_text(int32_t angle, std::string_view text, double char_width,
                             double char_height);

  // Record handlers of the interpreter: shapes made of plot_vector,
  // plot_arc, plot_circle and stroke-font calls (RecordHandlers.cpp).
  void plot_graph_frame(const gd::GraphFrame& frame);
  void plot_orientation(double x, double y, double strike_azimuth, double dip);
  void plot_grid(double x_start, double y_start, double x_end, double y_end, double x_step,
                 double y_step);
  void plot_polar_line(double x, double y, double length, double azimuth);
  void plot_vector_rectangle(Rect r);
  void plot_sector(double x, double y, double radius, double start_azimuth, double end_azimuth);

  // --- State ------------------------------------------------------------------
  tfl::Header header{};           // as begin_log gave it
  double orientation_size = 0.01;  // record 6: symbol size per log width
  struct TextExtent {
    double x_low, x_high, y_low, y_high;
  } text_extent{};  // of the last stroke-font text
  struct FrameScale {
    double x, y;
  } frame_scale{};  // page units per data unit of the last graph frame

 protected:
  Libraries& libraries() { return *libraries_; }
  // The cookie of the replay running, or a quiet one outside a replay: where
  // the libraries and the device report what the user should know.
  PlotCookie& cookie() { return cookie_ ? *cookie_ : quiet_; }

 private:
  friend class Interpreter;  // points cookie_ at the replay's cookie

  Libraries* libraries_;
  PlotCookie* cookie_ = nullptr;
  PlotCookie quiet_;
};
