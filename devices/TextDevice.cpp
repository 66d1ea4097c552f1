#include "devices/TextDevice.h"

#include <algorithm>
#include <limits>

#include "devices/LogDocument.h"

TextDevice::TextDevice(Libraries& libraries)
    : logp_object(libraries), surface_(1, 1, QImage::Format_RGB32), recorder_(&surface_) {
  recorder_.SetTextRecorder([this](std::string_view text, const platform::Rect& box) {
    if (!pending_) return;
    if (any_) {
      joined_ += ' ';
      joined_box_ = {std::min(joined_box_.left, box.left), std::min(joined_box_.top, box.top),
                     std::max(joined_box_.right, box.right),
                     std::max(joined_box_.bottom, box.bottom)};
    } else {
      joined_box_ = box;
    }
    joined_.append(text);
    any_ = true;
  });
  set_canvas(&recorder_);
}

TextDevice::~TextDevice() { set_canvas(static_cast<platform::Canvas*>(nullptr)); }

void TextDevice::set_up_strip(const PageModel& model, const DrawSettings& settings) {
  DrawSettings strip = settings;
  strip.repeat_page_header = false;  // one page: nothing is hidden under a header
  SetUpPage(*this, model, 0, PageKind::First, strip);
  recorder_.SetResolution(model.resolution());
  // The first page, long enough for the whole log below its header.
  const PageLayout first = model.layout(0, PageKind::First, strip);
  page_height_px = static_cast<int32_t>(std::min<int64_t>(
      int64_t{first.body_origin_y} + 2 * int64_t{model.page_height_px()} + 16,
      std::numeric_limits<int32_t>::max() / 4));
  last_page = 0;
  body_.clear();
  page_texts_.clear();
}

bool TextDevice::begin_log(const tfl::Header& h) {
  body_.clear();
  page_texts_.clear();
  return logp_object::begin_log(h);
}

template <class Draw>
void TextDevice::record(std::vector<Text>& into, Draw draw) {
  pending_ = &into;
  joined_.clear();
  any_ = false;
  struct Done {
    TextDevice& d;
    ~Done() { d.pending_ = nullptr; }
  } done{*this};
  draw();
  if (any_) into.push_back({joined_, joined_box_});
}

void TextDevice::plot_text(double x, double y, uint8_t vertical, uint8_t transparent,
                           int32_t alignment, uint8_t adjust, std::string_view text) {
  record(body_, [&] {
    logp_object::plot_text(x, y, vertical, transparent, alignment, adjust, text);
  });
}

void TextDevice::plot_label(double x, double y, double unused, double size,
                            std::string_view text, int32_t angle, LabelSizeMode size_mode,
                            uint8_t flag) {
  record(body_, [&] {
    logp_object::plot_label(x, y, unused, size, text, angle, size_mode, flag);
  });
}

void TextDevice::plot_paragraph(Rect r, std::string_view text, uint8_t shrink, uint8_t fixed) {
  record(body_, [&] { logp_object::plot_paragraph(r, text, shrink, fixed); });
}

void TextDevice::plot_page_text(double x, double y, uint8_t section, std::string_view text,
                                int32_t angle, int32_t /*extra*/) {
  page_texts_.push_back({x, y, section, std::string(text), angle, canvas->GetFont()});
}

void TextDevice::plot_dimension_text(Rect r, std::string_view text, uint8_t downward,
                                     uint8_t /*arrows*/) {
  const DimensionText d = dimension_text_layout(r, text, downward);
  if (d.box_right - d.box_left < 1 || d.box_bottom - d.box_top < 1) return;
  const auto clamp = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  body_.push_back({std::string(text), platform::Rect{clamp(d.box_left), clamp(d.box_top),
                                                     clamp(d.box_right), clamp(d.box_bottom)}});
}

void TextDevice::plot_vector_text(int32_t angle, std::string_view text, double x, double y,
                                  double ignored, double char_width, double char_height,
                                  bool draw) {
  // Measured only: the extent is where the strokes would go.
  logp_object::plot_vector_text(angle, text, x, y, ignored, char_width, char_height, false);
  if (!draw || text_extent.x_low > text_extent.x_high) return;
  const int32_t a = px(text_extent.x_low), b = px(text_extent.x_high);
  const int32_t top = row(text_extent.y_high), bottom = row(text_extent.y_low);
  body_.push_back({std::string(text), platform::Rect{std::min(a, b), std::min(top, bottom),
                                                     std::max(a, b), std::max(top, bottom)}});
}

std::vector<TextDevice::Text> TextDevice::place_page_texts(const PageModel& model, int32_t index,
                                                           PageKind kind,
                                                           const DrawSettings& settings) {
  std::vector<Text> placed;
  if (page_texts_.empty()) return placed;
  SetUpPage(*this, model, index, kind, settings);
  if (!lay_out_page()) return placed;
  for (const PageText& t : page_texts_) {
    recorder_.SelectFont(t.font);
    record(placed, [&] { logp_object::plot_page_text(t.x, t.y, t.section, t.text, t.angle, 0); });
  }
  return placed;
}
