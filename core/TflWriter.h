#pragma once
// Writes compiled logs: the header record, then records with their fixed
// payload sizes, attached data blocks and point or vector groups. Tools and
// tests use it to build any log, including broken ones (raw()).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/TflFormat.h"
#include "core/file_object.h"

namespace tfl {

// A header with the writer's initial extents (x_min 1e27, x_max -1e27) and a
// letter page at 1 unit per inch across and 100 units per inch down.
Header DefaultHeader();

class TflWriter {
 public:
  // Creates the file and writes the header record (version 300, length 105).
  TflWriter(const std::string& path, const Header& header);
  ~TflWriter();  // flushes and closes; call close() to see write failures
  TflWriter(const TflWriter&) = delete;
  TflWriter& operator=(const TflWriter&) = delete;

  // One record of a known kind with its fixed payload size.
  template <class Record>
  void write(const Record& record) {
    static_assert(PayloadSize(Record::kOpcode) == sizeof(Record));
    frame(Record::kOpcode, sizeof(Record));
    bytes(&record, sizeof(Record));
  }

  // A point group (records 12) closed by an end record.
  void points(std::span<const PointRecord> pts, bool with_end = true);
  // A vector group (records 10) closed by an end record.
  void vectors(std::span<const VectorRecord> vecs, bool with_end = true);
  void end_group();

  // Record 26 with its text; the zero terminator is added.
  void paragraph(const ParagraphRecord& record, std::string_view text);
  // Records 103 and 206 with their attached data block.
  void picture(const PictureRecord& record, std::span<const uint8_t> data);
  void bitmap(const BitmapRecord& record, std::span<const uint8_t> data);

  // Anything: an opcode, a length word and the given payload bytes (which may
  // differ from the length, to build broken files).
  void raw(uint16_t opcode, uint16_t length, std::span<const uint8_t> payload = {});
  void frame(uint16_t opcode, uint16_t length);
  void bytes(const void* data, size_t size);
  void word(uint16_t value) { bytes(&value, 2); }
  void dword(int32_t value) { bytes(&value, 4); }

  void close();
  uint64_t records_written() const { return records_; }

 private:
  void flush();

  file_object file_;
  std::vector<uint8_t> pending_;
  uint64_t records_ = 0;
};

}  // namespace tfl
