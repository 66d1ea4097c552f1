#include "CoreTestUtil.h"

#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/Interpreter.h"

#include "platform/MessageBox.h"
#include "support/ErrorTable.h"
#include "support/Paths.h"

namespace coretest {

namespace {
template <class Record>
void WriteRecords(const std::string& path, const std::vector<Record>& records) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(records.data()),
            static_cast<std::streamsize>(records.size() * sizeof(Record)));
}
}  // namespace

void WriteSymbolLibrary(const std::string& path, const std::vector<SymbolData>& records) {
  WriteRecords(path, records);
}

void WritePatternLibrary(const std::string& path, const std::vector<PatternData>& records) {
  WriteRecords(path, records);
}

SymbolData Symbol(std::initializer_list<LibraryStroke> strokes) {
  SymbolData s{};
  for (const LibraryStroke& st : strokes) s.strokes[s.stroke_count++] = st;
  return s;
}

PatternData Pattern(uint16_t tile_width, uint16_t tile_height,
                    std::initializer_list<LibraryStroke> strokes) {
  PatternData p{};
  p.tile_width = tile_width;
  p.tile_height = tile_height;
  for (const LibraryStroke& st : strokes) p.strokes[p.stroke_count++] = st;
  return p;
}

std::vector<SymbolData> DiagonalFont() {
  std::vector<SymbolData> font(326);
  for (int c = 32; c <= 126; ++c) font[c] = Symbol({{0, 0, 5, 13}});
  return font;
}

ErrorTableScope::ErrorTableScope() : previous_(ProgramPath()) {
  std::ofstream out(dir_.file("VESK.ERR"), std::ios::binary);
  for (int n : {1033, 1034, 1035, 1037}) out << "#" << n << " E" << n << "\r\n=====\r\n";
  out.close();
  SetProgramPath(dir_.file("korvale"));
}

ErrorTableScope::~ErrorTableScope() { SetProgramPath(previous_); }

LogFixtureFiles::LogFixtureFiles() {
  patterns = dir_.file("test.pat");
  symbols = dir_.file("test.sym");
  log = dir_.file("test.tfl");
  std::vector<PatternData> pats;
  for (uint16_t i = 0; i < 10; ++i) pats.push_back(Pattern(i + 1, 2, {{0, 0, 1, 1}}));
  WritePatternLibrary(patterns, pats);
  WriteSymbolLibrary(symbols, DiagonalFont());
}

void LogFixtureFiles::write_log(const std::function<void(tfl::TflWriter&)>& fn,
                                const tfl::Header& header) {
  tfl::TflWriter w(log, header);
  fn(w);
  w.close();
}

Recorder::Recorder(const LogFixtureFiles& f) : files(f), libraries({f.patterns, f.symbols}, cookie) {}

void Recorder::plot() { Interpreter::Replay(files.log, device, cookie); }

int OpenDescriptors() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

std::vector<std::string> NoticeLog::texts() const {
  std::vector<std::string> out;
  for (const Notice& n : notices)
    out.push_back(n.number > 0 ? ComposeErrorMessage(n.number, n.text) : n.text);
  return out;
}

std::vector<std::string> BoxTexts() {
  std::vector<std::string> out;
  for (const auto& b : platform::ShownBoxes()) out.push_back(b.text);
  return out;
}

}  // namespace coretest
