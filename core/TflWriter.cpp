#include "core/TflWriter.h"

namespace tfl {

Header DefaultHeader() {
  Header h{};
  h.x_min = 1e27;
  h.x_max = -1e27;
  h.y_min = 0;
  h.y_max = 0;
  h.first_header_height = -1;
  h.repeat_header_height = -1;
  h.footer_height = -1;
  h.section_gap = 0;
  h.paged = 0;
  h.page_height = 11;
  h.page_width = 8.5;
  h.x_units_per_inch = 1;
  h.y_units_per_inch = 100;
  h.datum = 0;
  return h;
}

TflWriter::TflWriter(const std::string& path, const Header& header) {
  file_.file_name = path;
  file_.open_write();
  pending_.reserve(1 << 16);
  word(kCurrentVersion);
  word(kHeaderLength);
  bytes(&header, sizeof header);
}

TflWriter::~TflWriter() {
  try {
    close();
  } catch (...) {
  }
}

void TflWriter::frame(uint16_t opcode, uint16_t length) {
  word(opcode);
  word(length);
  ++records_;
}

void TflWriter::bytes(const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  pending_.insert(pending_.end(), p, p + size);
  if (pending_.size() >= (1 << 16)) flush();
}

void TflWriter::flush() {
  if (!pending_.empty() && file_.is_open) file_.write_bytes(pending_.data(), pending_.size());
  pending_.clear();
}

void TflWriter::points(std::span<const PointRecord> pts, bool with_end) {
  for (const PointRecord& p : pts) write(p);
  if (with_end) end_group();
}

void TflWriter::vectors(std::span<const VectorRecord> vecs, bool with_end) {
  for (const VectorRecord& v : vecs) write(v);
  if (with_end) end_group();
}

void TflWriter::end_group() { write(EndGroupRecord{0}); }

void TflWriter::paragraph(const ParagraphRecord& record, std::string_view text) {
  write(record);
  word(0);
  word(static_cast<uint16_t>(text.size() + 1));
  bytes(text.data(), text.size());
  uint8_t zero = 0;
  bytes(&zero, 1);
}

void TflWriter::picture(const PictureRecord& record, std::span<const uint8_t> data) {
  write(record);
  word(0);
  dword(static_cast<int32_t>(data.size()));
  bytes(data.data(), data.size());
}

void TflWriter::bitmap(const BitmapRecord& record, std::span<const uint8_t> data) {
  write(record);
  word(0);
  dword(static_cast<int32_t>(data.size()));
  bytes(data.data(), data.size());
}

void TflWriter::raw(uint16_t opcode, uint16_t length, std::span<const uint8_t> payload) {
  frame(opcode, length);
  bytes(payload.data(), payload.size());
}

void TflWriter::close() {
  flush();
  file_.close();
}

}  // namespace tfl
