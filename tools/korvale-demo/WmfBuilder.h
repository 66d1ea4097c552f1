#pragma once
// Builds a Windows metafile in memory record by record: the 18-byte
// METAHEADER (no placeable header: compiled logs embed the bare metafile)
// followed by records of (size in words, function, parameters). The object
// table follows WMF's rule that a new object takes the lowest free slot.
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace demo {

class WmfBuilder {
 public:
  using Point = std::pair<int16_t, int16_t>;  // x, y in logical units

  void set_window(int16_t x, int16_t y, int16_t width, int16_t height);
  void set_bk_mode_transparent();
  void set_text_color(uint32_t colorref);
  void set_text_align(uint16_t flags);
  // Create* return the object's slot; pen style as GDI's PS_*, brush style
  // BS_SOLID 0, BS_NULL 1, BS_HATCHED 2.
  uint16_t create_pen(uint16_t style, int16_t width, uint32_t colorref);
  uint16_t create_brush(uint16_t style, uint32_t colorref, uint16_t hatch = 0);
  uint16_t create_font(int16_t height, int16_t weight, bool italic, std::string_view face);
  void select(uint16_t object);
  void remove(uint16_t object);  // META_DELETEOBJECT
  void rectangle(int16_t left, int16_t top, int16_t right, int16_t bottom);
  void ellipse(int16_t left, int16_t top, int16_t right, int16_t bottom);
  void polygon(const std::vector<Point>& points);
  void polyline(const std::vector<Point>& points);
  void move_to(int16_t x, int16_t y);
  void line_to(int16_t x, int16_t y);
  void text_out(int16_t x, int16_t y, std::string_view text);

  // Header + records + META_EOF.
  std::vector<uint8_t> finish() const;

 private:
  void record(uint16_t function, const std::vector<uint16_t>& params);
  uint16_t take_slot();

  std::vector<uint8_t> records_;
  std::vector<bool> slots_;
  uint32_t largest_record_words_ = 3;
};

// Reads the 16-bit words of a string as WMF parameters: bytes in order,
// padded with a zero byte to an even count.
std::vector<uint16_t> PackBytes(std::string_view bytes);

}  // namespace demo
