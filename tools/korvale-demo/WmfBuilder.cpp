#include "WmfBuilder.h"

#include <algorithm>
#include <stdexcept>

namespace demo {

namespace {
enum : uint16_t {
  kEof = 0x0000,
  kSetBkMode = 0x0102,
  kSetTextAlign = 0x012E,
  kSelectObject = 0x012D,
  kDeleteObject = 0x01F0,
  kSetTextColor = 0x0209,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kLineTo = 0x0213,
  kMoveTo = 0x0214,
  kCreatePenIndirect = 0x02FA,
  kCreateFontIndirect = 0x02FB,
  kCreateBrushIndirect = 0x02FC,
  kPolygon = 0x0324,
  kPolyline = 0x0325,
  kEllipse = 0x0418,
  kRectangle = 0x041B,
  kTextOut = 0x0521,
};

uint16_t U(int16_t v) { return static_cast<uint16_t>(v); }
uint16_t Lo(uint32_t v) { return static_cast<uint16_t>(v & 0xFFFF); }
uint16_t Hi(uint32_t v) { return static_cast<uint16_t>(v >> 16); }

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(v & 0xFF);
  out.push_back(v >> 8);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, Lo(v));
  Put16(out, Hi(v));
}
}  // namespace

std::vector<uint16_t> PackBytes(std::string_view bytes) {
  std::vector<uint16_t> words((bytes.size() + 1) / 2, 0);
  for (size_t i = 0; i < bytes.size(); ++i)
    words[i / 2] |= static_cast<uint16_t>(static_cast<uint8_t>(bytes[i]) << (8 * (i % 2)));
  return words;
}

void WmfBuilder::record(uint16_t function, const std::vector<uint16_t>& params) {
  const uint32_t words = 3 + static_cast<uint32_t>(params.size());
  Put32(records_, words);
  Put16(records_, function);
  for (uint16_t p : params) Put16(records_, p);
  largest_record_words_ = std::max(largest_record_words_, words);
}

uint16_t WmfBuilder::take_slot() {
  auto free = std::find(slots_.begin(), slots_.end(), false);
  if (free == slots_.end()) {
    slots_.push_back(true);
    return static_cast<uint16_t>(slots_.size() - 1);
  }
  *free = true;
  return static_cast<uint16_t>(free - slots_.begin());
}

void WmfBuilder::set_window(int16_t x, int16_t y, int16_t width, int16_t height) {
  // WMF stores y before x.
  record(kSetWindowOrg, {U(y), U(x)});
  record(kSetWindowExt, {U(height), U(width)});
}

void WmfBuilder::set_bk_mode_transparent() { record(kSetBkMode, {1}); }
void WmfBuilder::set_text_color(uint32_t c) { record(kSetTextColor, {Lo(c), Hi(c)}); }
void WmfBuilder::set_text_align(uint16_t flags) { record(kSetTextAlign, {flags}); }

uint16_t WmfBuilder::create_pen(uint16_t style, int16_t width, uint32_t c) {
  record(kCreatePenIndirect, {style, U(width), 0, Lo(c), Hi(c)});
  return take_slot();
}

uint16_t WmfBuilder::create_brush(uint16_t style, uint32_t c, uint16_t hatch) {
  record(kCreateBrushIndirect, {style, Lo(c), Hi(c), hatch});
  return take_slot();
}

uint16_t WmfBuilder::create_font(int16_t height, int16_t weight, bool italic,
                                 std::string_view face) {
  if (face.size() > 31) throw std::invalid_argument("font face too long");
  std::vector<uint16_t> p = {U(height), 0, 0, 0, U(weight)};
  p.push_back(italic ? 1 : 0);  // italic (low byte), underline
  p.push_back(0);               // strike-out, character set ANSI
  p.push_back(0);               // output and clip precision
  p.push_back(0x22 << 8);       // quality 0; variable pitch, swiss family
  std::string name(face);
  name.push_back('\0');
  for (uint16_t w : PackBytes(name)) p.push_back(w);
  record(kCreateFontIndirect, p);
  return take_slot();
}

void WmfBuilder::select(uint16_t object) { record(kSelectObject, {object}); }

void WmfBuilder::remove(uint16_t object) {
  if (object >= slots_.size() || !slots_[object]) throw std::logic_error("no such WMF object");
  record(kDeleteObject, {object});
  slots_[object] = false;
}

void WmfBuilder::rectangle(int16_t l, int16_t t, int16_t r, int16_t b) {
  record(kRectangle, {U(b), U(r), U(t), U(l)});
}

void WmfBuilder::ellipse(int16_t l, int16_t t, int16_t r, int16_t b) {
  record(kEllipse, {U(b), U(r), U(t), U(l)});
}

void WmfBuilder::polygon(const std::vector<Point>& points) {
  std::vector<uint16_t> p = {static_cast<uint16_t>(points.size())};
  for (auto [x, y] : points) {
    p.push_back(U(x));
    p.push_back(U(y));
  }
  record(kPolygon, p);
}

void WmfBuilder::polyline(const std::vector<Point>& points) {
  std::vector<uint16_t> p = {static_cast<uint16_t>(points.size())};
  for (auto [x, y] : points) {
    p.push_back(U(x));
    p.push_back(U(y));
  }
  record(kPolyline, p);
}

void WmfBuilder::move_to(int16_t x, int16_t y) { record(kMoveTo, {U(y), U(x)}); }
void WmfBuilder::line_to(int16_t x, int16_t y) { record(kLineTo, {U(y), U(x)}); }

void WmfBuilder::text_out(int16_t x, int16_t y, std::string_view text) {
  std::vector<uint16_t> p = {static_cast<uint16_t>(text.size())};
  for (uint16_t w : PackBytes(text)) p.push_back(w);
  p.push_back(U(y));
  p.push_back(U(x));
  record(kTextOut, p);
}

std::vector<uint8_t> WmfBuilder::finish() const {
  std::vector<uint8_t> out;
  const uint32_t eof_words = 3;
  const uint32_t total_words = 9 + static_cast<uint32_t>(records_.size() / 2) + eof_words;
  Put16(out, 1);       // memory metafile
  Put16(out, 9);       // header size in words
  Put16(out, 0x0300);  // version
  Put32(out, total_words);
  Put16(out, static_cast<uint16_t>(slots_.size()));
  Put32(out, largest_record_words_);
  Put16(out, 0);
  out.insert(out.end(), records_.begin(), records_.end());
  Put32(out, eof_words);
  Put16(out, kEof);
  return out;
}

}  // namespace demo
