#pragma once
// TextDevice: the canvas device that replays a log without drawing and
// records every text it would draw, with the box the page draws it in. A
// sibling of the trace device for words: the log's text index (TextIndex.h)
// is built from it.
//
// It lays the log body out as one long page (the first page's layout, its
// body running on to the end of the log), so that one replay places every
// body text; header and footer texts are kept as the records give them and
// placed on each page afterwards (place_page_texts), with the page number
// substituted as that page shows it.
#include <QImage>
#include <string>
#include <vector>

#include "devices/logp_object.h"

class PageModel;

class TextDevice : public logp_object {
 public:
  // One text as drawn by one record: its whole text (the lines of a
  // paragraph joined by blanks) and the box around all it draws, in pixels
  // of the long page (body texts) or of the page it was placed on.
  struct Text {
    std::string text;  // Windows-1252, as in the file
    platform::Rect box;
  };

  explicit TextDevice(Libraries& libraries);
  ~TextDevice() override;

  // Sets the device up for the long page of `model` with `settings`.
  void set_up_strip(const PageModel& model, const DrawSettings& settings);
  // The first row of the long page's body is this row of the first page.
  const std::vector<Text>& body_texts() const { return body_; }

  // The header and footer texts of page `index` (of `kind`) of `model`.
  std::vector<Text> place_page_texts(const PageModel& model, int32_t index, PageKind kind,
                                     const DrawSettings& settings);

  bool begin_log(const tfl::Header& header) override;

  // Texts, recorded.
  void plot_text(double x, double y, uint8_t vertical, uint8_t transparent, int32_t alignment,
                 uint8_t adjust, std::string_view text) override;
  void plot_label(double x, double y, double unused, double size, std::string_view text,
                  int32_t angle, LabelSizeMode size_mode, uint8_t flag) override;
  void plot_paragraph(Rect r, std::string_view text, uint8_t shrink, uint8_t fixed) override;
  void plot_page_text(double x, double y, uint8_t section, std::string_view text, int32_t angle,
                      int32_t extra) override;
  void plot_dimension_text(Rect r, std::string_view text, uint8_t downward,
                           uint8_t arrows) override;
  void plot_vector_text(int32_t angle, std::string_view text, double x, double y, double ignored,
                        double char_width, double char_height, bool draw) override;

  // Everything else draws nothing here.
  void plot_arc(double, double, double, double, double) override {}
  void plot_picture_file(std::string_view, uint8_t, Rect, uint8_t) override {}
  void plot_vertical_line(double) override {}
  void plot_filled_polygon(const FilledPolygonStyle&, PointGroup&, PointGroup&) override {}
  void plot_line(uint8_t, double, double, double, double) override {}
  void plot_picture(Rect, int32_t, const MemoryBlock&, uint8_t, uint8_t) override {}
  void plot_bitmap(Rect, MemoryStream&, uint8_t) override {}
  void plot_vector(double, double, double, double) override {}
  void plot_pattern(Rect, int32_t, double, double, uint8_t) override {}
  void plot_color_pattern(Rect, int32_t, double, double, int32_t, int32_t, int32_t,
                          uint8_t) override {}
  void plot_pattern_ex(Rect, int32_t, double, double, uint8_t, uint8_t) override {}
  void plot_color_pattern_ex(Rect, int32_t, double, double, int32_t, int32_t, int32_t, uint8_t,
                             uint8_t) override {}
  void fill_rectangle(Rect, int32_t, uint8_t) override {}
  void plot_polyfill(int32_t, double, double, uint8_t, PointGroup&) override {}
  void plot_color_polygon(int32_t, uint8_t, double, double, int32_t, PointGroup&) override {}
  void plot_polyline(PointGroup&) override {}
  void plot_styled_polyline(int32_t, int32_t, uint8_t, VectorGroup&) override {}
  void plot_rectangle(Rect) override {}
  void plot_symbol(double, double, double, uint16_t, double, double, double) override {}
  void plot_symbol_ex(double, double, double, uint16_t, double, double, double,
                      uint8_t) override {}
  void plot_brush_rectangle(Rect, uint8_t, int32_t, uint8_t) override {}

 private:
  // A header or footer text as its record gives it, with the font and text
  // alignment it is drawn with.
  struct PageText {
    double x, y;
    uint8_t section;
    std::string text;
    int32_t angle;
    platform::LogFont font;
  };
  // Runs `draw` with the canvas recording, and keeps what it drew as one text.
  template <class Draw>
  void record(std::vector<Text>& into, Draw draw);

  QImage surface_;
  platform::Canvas recorder_;
  std::vector<Text> body_;
  std::vector<PageText> page_texts_;
  std::vector<Text>* pending_ = nullptr;
  std::string joined_;
  platform::Rect joined_box_{};
  bool any_ = false;
};
