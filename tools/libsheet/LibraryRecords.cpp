#include "LibraryRecords.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace libsheet {
namespace {

constexpr size_t kPatternSize = 206;
constexpr size_t kSymbolSize = 202;
constexpr int kMaxStrokes = 50;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path + ": cannot be read");
  return {std::istreambuf_iterator<char>(in), {}};
}

int Word(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

std::vector<Stroke> Strokes(const std::uint8_t* p, int count) {
  std::vector<Stroke> strokes;
  for (int i = 0; i < count; ++i, p += 4)
    strokes.push_back({static_cast<std::int8_t>(p[0]), static_cast<std::int8_t>(p[1]),
                       static_cast<std::int8_t>(p[2]), static_cast<std::int8_t>(p[3])});
  return strokes;
}

}  // namespace

std::vector<PatternRecord> ReadPatternLibrary(const std::string& path) {
  auto bytes = ReadBytes(path);
  std::vector<PatternRecord> records;
  for (size_t at = 0; at + kPatternSize <= bytes.size(); at += kPatternSize) {
    const std::uint8_t* r = bytes.data() + at;
    int count = Word(r);
    if (count > kMaxStrokes)
      throw std::runtime_error(path + ": pattern " + std::to_string(records.size()) +
                               " claims " + std::to_string(count) + " strokes");
    records.push_back({Word(r + 2), Word(r + 4), Strokes(r + 6, count)});
  }
  return records;
}

std::vector<SymbolRecord> ReadSymbolLibrary(const std::string& path) {
  auto bytes = ReadBytes(path);
  std::vector<SymbolRecord> records;
  for (size_t at = 0; at + kSymbolSize <= bytes.size(); at += kSymbolSize) {
    const std::uint8_t* r = bytes.data() + at;
    int count = Word(r);
    if (count > kMaxStrokes)
      throw std::runtime_error(path + ": symbol " + std::to_string(records.size()) + " claims " +
                               std::to_string(count) + " strokes");
    records.push_back(Strokes(r + 2, count));
  }
  return records;
}

}  // namespace libsheet
