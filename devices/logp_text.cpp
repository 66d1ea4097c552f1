// Text operations of the canvas device: the current font, one-line texts,
// labels, header and footer texts with page numbers, paragraphs and
// dimension texts.
//
// For now these keep the font state and draw nothing; the text drawing is
// filled in here.
#include "devices/logp_object.h"

void logp_object::set_font(std::string_view face, int32_t size, uint8_t style, int32_t color) {
  font_face = std::string(face.substr(0, 40));
  font_size = size;
  font_style = style;
  font_color = color;
}

void logp_object::plot_text(double x, double y, uint8_t vertical, uint8_t transparent,
                            int32_t alignment, uint8_t adjust, std::string_view text) {}

void logp_object::plot_label(double x, double y, double unused, double size,
                             std::string_view text, int32_t angle, uint8_t size_mode,
                             uint8_t flag) {}

void logp_object::plot_page_text(double x, double y, uint8_t section, std::string_view text,
                                 int32_t angle, int32_t extra) {}

void logp_object::plot_paragraph(const Rect& r, std::string_view text, uint8_t shrink,
                                 uint8_t fixed) {}

void logp_object::plot_dimension_text(const Rect& r, std::string_view text, uint8_t downward,
                                      uint8_t arrows) {}
