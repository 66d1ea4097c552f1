#pragma once
// gd_object: the abstract graphic device. A file_object bound to one compiled
// log; it holds the log's header, owns the pattern and symbol libraries and
// defines the table of drawing operations that an output device implements.
// Its default `plot` is the command interpreter, which replays the log
// record by record through these operations.
//
// The operations are listed in the order of the device's operation table.
// Arguments come in record-field order. Text arguments point into the record
// buffers and are valid for the duration of the call.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/LogHeader.h"
#include "core/PlotCookie.h"
#include "core/TflFormat.h"
#include "core/file_object.h"

class Libraries;

// The payload of the last record of each kind read (or written).
struct RecordBuffers {
  tfl::GraphFrameRecord graph_frame{};
  tfl::ArcRecord arc{};
  tfl::CircleRecord circle{};
  tfl::ColorRecord color{};  // current colour
  tfl::OrientationRecord orientation{};
  tfl::OrientationSizeRecord orientation_size{};
  tfl::EndGroupRecord end_group{};
  tfl::GridRecord grid{};
  tfl::VectorRecord vector{};
  tfl::PatternRecord pattern{};
  tfl::PointRecord point{};
  tfl::PolyfillRecord polyfill{};
  tfl::PolylineRecord polyline{};
  tfl::PolarLineRecord polar_line{};
  tfl::VectorRectangleRecord vector_rectangle{};
  tfl::RectangleRecord rectangle{};
  tfl::SectorRecord sector{};
  tfl::PenStyleRecord pen_style{};  // current pen style
  tfl::SymbolRecord symbol{};
  tfl::VectorTextRecord vector_text{};
  tfl::NoteRecord note{};
  tfl::PenWidthRecord pen_width{};  // current pen width
  tfl::LabelRecord label{};
  tfl::FontRecord font{};
  tfl::ParagraphRecord paragraph{};
  tfl::BrushRectangleRecord brush_rectangle{};
  tfl::PictureFileRecord picture_file{};
  tfl::SectionLineRecord section_line{};
  tfl::PageTextRecord page_text{};
  tfl::PictureRecord picture{};
  tfl::SymbolExRecord symbol_ex{};
  tfl::PatternExRecord pattern_ex{};
  tfl::DimensionTextRecord dimension_text{};
  tfl::ColorPatternExRecord color_pattern_ex{};
  tfl::ColorPatternRecord color_pattern{};
  tfl::FontColorRecord font_color{};
  tfl::FillRectangleRecord fill_rectangle{};
  tfl::BitmapRecord bitmap{};
  tfl::FilledPolygonRecord filled_polygon{};
  tfl::TextRecord text{};
  tfl::ColorPolygonRecord color_polygon{};
  tfl::StyledPolylineRecord styled_polyline{};
  tfl::VerticalLineRecord vertical_line{};
  tfl::LongPageTextRecord long_page_text{};
};

class gd_object : public file_object {
 public:
  using Rect = tfl::Rect;

  // A device drawing with `libraries` (not owned; they outlive the device).
  explicit gd_object(Libraries& libraries);
  ~gd_object() override;  // destroy

  // --- Operation table ------------------------------------------------------
  // Record writing (this program only replays; kept for the writer side).
  void open_write() override;
  // Opens the file, reads and checks the header; a refused header leaves the
  // file closed with header_check() telling why.
  void open_read() override;
  HeaderCheck header_check() const { return header_check_; }
  virtual void write_line(uint8_t section, double x1, double y1, double x2, double y2);
  virtual void write_text(double x, double y, uint8_t section, std::string_view text,
                          int32_t angle, int32_t extra);
  virtual void write_long_text(double x, double y, uint8_t section, std::string_view text,
                               int32_t angle, int32_t extra);
  virtual void write_picture(const Rect& r, uint8_t bitmap, uint8_t section,
                             const MemoryBlock& block, int32_t size);
  virtual void write_bitmap(const Rect& r, uint8_t section, const MemoryStream& stream);
  virtual void write_pattern_ex(const tfl::PatternExRecord& record);
  virtual void write_color_pattern_ex(const tfl::ColorPatternExRecord& record);
  virtual void write_symbol(const tfl::SymbolExRecord& record);

  // Drawing.
  virtual void plot_text(double x, double y, uint8_t vertical, uint8_t transparent,
                         int32_t alignment, uint8_t adjust, std::string_view text);
  virtual void plot_arc(double x, double y, double radius, double start_azimuth,
                        double end_azimuth);
  virtual void plot_picture_file(std::string_view file_name, uint8_t frame, const Rect& r,
                                 uint8_t stretch);
  virtual void plot_vertical_line(double x);
  virtual void plot_circle(double x, double y, double radius);
  virtual void set_color(int32_t color);
  virtual void plot_filled_polygon(const tfl::FilledPolygonRecord& record);
  virtual void plot_paragraph(const Rect& r, std::string_view text, uint8_t shrink,
                              uint8_t fixed);
  virtual void plot_label(double x, double y, double unused, double size, std::string_view text,
                          int32_t angle, uint8_t size_mode, uint8_t flag);
  virtual void set_font(std::string_view face, int32_t size, uint8_t style, int32_t color);
  virtual void plot_line(uint8_t section, double x1, double y1, double x2, double y2);
  virtual void plot_page_text(double x, double y, uint8_t section, std::string_view text,
                              int32_t angle, int32_t extra);
  virtual void plot_picture(const Rect& r, int32_t size, const MemoryBlock& block,
                            uint8_t bitmap, uint8_t section);
  virtual void plot_bitmap(const Rect& r, MemoryStream& stream, uint8_t section);
  virtual void plot_vector(double x1, double y1, double x2, double y2);
  virtual void plot_pattern(const Rect& r, int32_t pattern, double x_scale, double y_scale,
                            uint8_t outline);
  virtual void plot_color_pattern(const Rect& r, int32_t pattern, double x_scale, double y_scale,
                                  int32_t line_width, int32_t background, int32_t pattern_color,
                                  uint8_t outline);
  virtual void plot_pattern_ex(const tfl::PatternExRecord& record);
  virtual void plot_color_pattern_ex(const tfl::ColorPatternExRecord& record);
  virtual void fill_rectangle(const Rect& r, int32_t color, uint8_t section);
  // Group operations read their point or vector group from the file.
  virtual void plot_polyfill(int32_t pattern, double x_scale, double y_scale, uint8_t outline);
  virtual void plot_color_polygon(int32_t pattern, uint8_t outline, double x_scale,
                                  double y_scale, int32_t color);
  virtual void plot_polyline();
  virtual void plot_styled_polyline(int32_t pen_width, int32_t color, uint8_t pen_style);
  virtual void plot_rectangle(const Rect& r);
  virtual void set_pen_style(uint8_t pen_style);
  virtual void plot_symbol(double x, double y, double device_a, uint16_t symbol, double width,
                           double height, double device_b);
  virtual void plot_symbol_ex(const tfl::SymbolExRecord& record);
  virtual void plot_brush_rectangle(const Rect& r, uint8_t brush_style, int32_t color,
                                    uint8_t option);
  // Stroke-font text through plot_vector; with draw false it only measures
  // into text_extent.
  virtual void plot_vector_text(int32_t angle, std::string_view text, double x, double y,
                                double ignored, double char_width, double char_height, bool draw);
  virtual void plot_note(double x, double y, std::string_view text);
  virtual void plot_dimension_text(const Rect& r, std::string_view text, uint8_t downward,
                                   uint8_t arrows);
  virtual void set_pen_width(int32_t pen_width);
  // The command interpreter: opens the file, replays every record, closes it,
  // reporting to `cookie` and stopping when it says so.
  virtual void plot(PlotCookie& cookie);

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
  Extent measure_vector_text(int32_t angle, std::string_view text, double char_width,
                             double char_height);

  // Record handlers of the interpreter.
  void plot_graph_frame();
  void plot_orientation(double x, double y, double strike_azimuth, double dip);
  void plot_grid();
  void plot_polar_line(double x, double y, double length, double azimuth);
  void plot_vector_rectangle(const Rect& r);
  void plot_sector(double x, double y, double radius, double start_azimuth, double end_azimuth);

  // --- Fields -----------------------------------------------------------------
  double orientation_size = 0.01;
  RecordBuffers buffers;
  tfl::Header header{};
  struct TextExtent {
    double x_low, x_high, y_low, y_high;
  } text_extent{};
  struct FrameScale {
    double x, y;
  } frame_scale{};

 protected:
  Libraries& libraries() { return *libraries_; }
  // The cookie of the replay running, or a quiet one outside a replay: where
  // the libraries and the device report what the user should know.
  PlotCookie& cookie() { return cookie_ ? *cookie_ : quiet_; }

  // Reads the next point group into buffers.point one point at a time:
  // returns true with the point in buffers.point, false at the end record, the
  // end of the file or another opcode (whose words are then consumed).
  bool read_group_point();
  // Same for a vector group (buffers.vector).
  bool read_group_vector();

 public:
  // Records followed by attached data (26, 103, 206), after their payload
  // (the interpreter's dispatch calls them).
  void replay_paragraph();
  void replay_picture();
  void replay_bitmap();

 private:
  void dispatch(uint16_t opcode, uint16_t length);

  Libraries* libraries_;
  PlotCookie* cookie_ = nullptr;
  PlotCookie quiet_;
  HeaderCheck header_check_ = HeaderCheck::Ok;
};
