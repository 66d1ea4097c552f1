#pragma once
// logp_object: the canvas device. Draws one page of a compiled log onto a
// raster canvas (the viewer's page image or the printer), by laying out the
// page (header, body, footer, clip regions) when the log begins, mapping log
// coordinates to pixels and implementing the drawing operations of gd_object.
//
// A LogDocument (LogDocument.h) owns one and draws its pages with it: it
// gives the device a page's geometry and settings (SetUpPage), a canvas, and
// replays the log through it (Interpreter::Replay).
//
// Text and picture operations live in logp_text.cpp and logp_pictures.cpp;
// fills, patterns and symbols in logp_fills.cpp and logp_symbols.cpp.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DrawSettings.h"
#include "core/gd_object.h"
#include "devices/DeviceMath.h"
#include "devices/PageLayout.h"
#include "platform/Canvas.h"

class QImage;
class QPaintDevice;

class logp_object : public gd_object {
 public:
  // Widest pen, in pixels, this device accepts; wider pens raise the
  // "Range check error" (they could only come from a corrupt file).
  static constexpr int32_t kMaxPenPixels = 32767;

  explicit logp_object(Libraries& libraries);
  ~logp_object() override;

  // --- Target ----------------------------------------------------------------
  // A canvas owned by the caller.
  void set_canvas(platform::Canvas* target);
  // A canvas of the device's own on an image (the screen page).
  void set_canvas(QImage* image);
  // A canvas of the device's own on a paint device; `printer` marks the
  // printer's canvas (ink rule, print_in_black, line unit).
  void set_canvas(QPaintDevice* device, bool printer);
  bool is_printer() const;
  // resolution := dpi_y; scale_x := dpi_x / x_units_per_inch; scale_y :=
  // resolution / y_units_per_inch; page_height_px := round(resolution *
  // page_height); page_width_px := round(dpi_x * page_width). Needs the
  // header. Throws RangeError for values beyond 32 bits.
  void set_target_resolution(int32_t dpi_x, int32_t dpi_y);

  // --- The log -----------------------------------------------------------------
  // Lays out page `page_index` from the header (lay_out_page) and selects the
  // body clip; false (a blank page, nothing replayed) when the log has no
  // width. Throws std::logic_error without a canvas, RangeError for a layout
  // beyond 32 bits.
  bool begin_log(const tfl::Header& header) override;
  // Leaves the canvas without a clip.
  void end_log() override;

  // --- Operation table -----------------------------------------------------
  void plot_text(double x, double y, uint8_t vertical, uint8_t transparent, int32_t alignment,
                 uint8_t adjust, std::string_view text) override;
  void plot_arc(double x, double y, double radius, double start_azimuth,
                double end_azimuth) override;
  void plot_picture_file(std::string_view file_name, uint8_t frame, Rect r,
                         uint8_t stretch) override;
  void plot_vertical_line(double x) override;
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
  void plot_dimension_text(Rect r, std::string_view text, uint8_t downward,
                           uint8_t arrows) override;
  void set_pen_width(int32_t pen_width) override;
  // The log body within the body clip of the page laid out last, widened by
  // the current pen's width and two pixels.
  std::optional<Window> visible_window() const override;
  // The layout part of begin_log alone, from the header already held:
  // computes body_origin_y, the clip rows, footer_top, ... (needs no canvas).
  // False when the log has no width (x_max <= 0) and nothing is laid out.
  // Throws RangeError for values beyond 32 bits.
  bool lay_out_page();

  // --- Fields (the creator sets the first group; begin_log computes the rest) --
  platform::Canvas* canvas = nullptr;  // not owned (see set_canvas)
  int32_t body_origin_y = 0;  // strip row of y_min
  int32_t last_page = -1;     // index of the last page; -1 until counted
  int32_t page_index = 0;
  int32_t page_height_px = 0;
  int32_t page_width_px = 0;
  int32_t body_clip_top = 0;
  int32_t footer_top = 0;
  // Which header section this page shows (RepeatedHeader becomes First when
  // the log has no repeated header of its own).
  PageKind page_kind = PageKind::First;
  uint8_t has_footer = 0;
  platform::Region body_clip;
  int32_t resolution = 96;
  double scale_x = 96.0;
  double scale_y = 96.0 / 50.0;
  uint8_t monochrome = 0;
  int32_t line_unit = 72;
  int32_t header_bottom_px = 0;

  // What the page is drawn with (set by the creator before drawing).
  DrawSettings settings;
  // The pixel coordinate limit of the page laid out (settings.pixel_limit,
  // doubled while the page is taller).
  int32_t pixel_limit = DrawSettings::kPixelLimitNT;

 protected:
  // --- Mapping (all results are pixels; RangeError when beyond 32 bits) ------
  // Column of file x: truncate(x * scale_x + 0.5).
  int32_t px(double x) const;
  // Row of body y on this page, clamped to [-pixel_limit, pixel_limit].
  int32_t row(double y) const;
  // Row of a header or footer item (y in inches from the section's top);
  // false when this page does not show the section.
  bool section_row(uint8_t section, double y, int32_t& out) const;
  // Row of a body y before the clamp (for tests of the clamp).
  int64_t unclamped_row(double y) const;

  // Where record 201 puts its text: the mapped rectangle, the turned font,
  // the text's extent along (cx) and across (cy) the turn, and the box the
  // text is drawn in.
  struct DimensionText {
    int32_t left, top, right, bottom;
    int64_t cx, cy;
    int64_t box_left, box_top, box_right, box_bottom;
    platform::LogFont font;
  };
  DimensionText dimension_text_layout(Rect r, std::string_view text, uint8_t downward);

  // --- Clipping --------------------------------------------------------------
  void select_body_clip();
  // Header and footer items are not clipped on this device.
  void select_section_clip();
  void remove_clip();

  // --- Colour and pen rules --------------------------------------------------
  // How an operation's pen and brush follow the current pen colour: the pen
  // goes black on a black-only printout; a colour the printer would print as
  // white goes black too (Lines, Patterns); the brush takes the pen colour,
  // or turns clear white under a styled pen (Lines, SectionLines).
  enum class InkRule {
    Lines,         // plot_vector, plot_vertical_line
    SectionLines,  // plot_line
    Patterns,      // pattern fills
  };
  void apply_ink_rule(InkRule rule);
  // Pen colour black when monochrome; brush colour := pen colour.
  void apply_monochrome_pen();
  // MulDiv(max(w, 1), line_unit, screen_ppi), checked.
  int32_t pen_pixels(int32_t width) const;
  // The styled-line primitive; `counter` runs on across calls.
  void styled_line(platform::Point from, platform::Point to, int32_t width,
                   platform::COLORREF color, int style, int64_t& counter);
  // The current canvas pen as a styled line.
  void current_pen_line(platform::Point from, platform::Point to, int64_t& counter);

  // A colour argument that must not be negative.
  static platform::COLORREF checked_color(int32_t color);
  // A canvas colour that came from a negative colour value is refused too.
  static platform::COLORREF checked_canvas_color(platform::COLORREF color);

 private:
  // One pattern fill (the four pattern operations).
  struct PatternFill {
    Rect r;
    int32_t pattern;
    double x_scale, y_scale;
    bool colored;  // own line width and colours, else the pen colour
    int32_t line_width, background, pattern_color;
    uint8_t outline;
    std::optional<uint8_t> section;  // a header or footer item, else the body
  };
  // Where a fill draws: its mapped rectangle and its clip.
  struct FillArea {
    int32_t left, top, right, bottom;
    platform::Region clip;
  };
  void plot_pattern_fill(const PatternFill& fill);
  void draw_fill_outline(const PatternFill& fill, double x1, double y1, double x2, double y2);
  std::optional<FillArea> fill_area(const PatternFill& fill, int32_t left, int32_t right,
                                    int32_t top, int32_t bottom);
  // Selects the fill's clip and its pens; returns the pattern line width in pixels.
  int32_t set_fill_pens(const PatternFill& fill, const FillArea& area);
  void draw_fill_tiles(const PatternFill& fill, const FillArea& area, int32_t line_px);
  // Tells the user, once a page, that a pattern was too fine to draw.
  void report_dense_pattern(int32_t pattern);
  void plot_point_polygon(bool colored, int32_t color, PointGroup& points);
  void draw_symbol(double width, int32_t cx, int32_t cy);

  std::unique_ptr<platform::Canvas> own_canvas_;
  // Point groups of plot_filled_polygon, kept to reuse their memory.
  std::vector<platform::Point> group_a_, group_b_;
  // Pattern strokes on their way to the canvas (memory reused).
  std::vector<platform::Canvas::Segment> stroke_batch_;
  bool dense_pattern_reported_ = false;  // on the page being drawn
};
