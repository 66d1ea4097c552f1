#pragma once
// Helpers for the core tests: small libraries with known strokes, an error
// table whose titles name the error number, and logs written with TflWriter.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Libraries.h"
#include "core/PatternLibrary.h"
#include "core/PlotCookie.h"
#include "core/TraceDevice.h"
#include "core/SymbolLibrary.h"
#include "core/TflWriter.h"
#include "TestFiles.h"

namespace coretest {

// Writes records as a library file.
void WriteSymbolLibrary(const std::string& path, const std::vector<SymbolData>& records);
void WritePatternLibrary(const std::string& path, const std::vector<PatternData>& records);

SymbolData Symbol(std::initializer_list<LibraryStroke> strokes);
PatternData Pattern(uint16_t tile_width, uint16_t tile_height,
                    std::initializer_list<LibraryStroke> strokes);

// The test font: 326 records; every glyph from 32 to 126 (the space too) is
// the one diagonal stroke (0,0)-(5,13) across its cell, unless overridden.
std::vector<SymbolData> DiagonalFont();

// Points ProgramDirectory at a folder of its own holding a VESK.ERR whose
// entries read "E<number>" for 1033, 1034, 1035 and 1037, so a box shows
// "E1037:  Pattern = 10". Restores the previous program path on destruction.
class ErrorTableScope {
 public:
  ErrorTableScope();
  ~ErrorTableScope();

 private:
  testfiles::TempDir dir_;
  std::string previous_;
};

// A folder with a pattern library of 10 records and the diagonal font, and a
// log path; write_log runs fn on a writer for that path.
class LogFixtureFiles {
 public:
  LogFixtureFiles();
  std::string patterns, symbols, log;
  void write_log(const std::function<void(tfl::TflWriter&)>& fn,
                 const tfl::Header& header = tfl::DefaultHeader());

 private:
  testfiles::TempDir dir_;
};

// The number of file descriptors this process holds open: a replay that
// leaves its file open shows as one more.
int OpenDescriptors();

// Texts of the message boxes shown since the last ClearShownBoxes.
std::vector<std::string> BoxTexts();

// What a replay or a library reported through its cookie.
class NoticeLog : public PlotObserver {
 public:
  std::vector<Notice> notices;
  std::vector<double> fractions;  // progress, in order
  bool stop = false;              // the answer to every cancel poll
  int polls = 0;                  // cancel polls so far

  void progress(double fraction) override { fractions.push_back(fraction); }
  bool cancel_requested() override {
    ++polls;
    return stop;
  }
  void notice(const Notice& n) override { notices.push_back(n); }
  // Each notice as its message box reads: numbered ones composed from the
  // error table in effect (see ErrorTableScope).
  std::vector<std::string> texts() const;
  void clear() { *this = NoticeLog(); }
};

// A recording device with libraries of its own, opened from the fixture's
// files, and a cookie that reports to `log`.
class Recorder {
 public:
  explicit Recorder(const LogFixtureFiles& files);
  // Replays the fixture's log.
  void plot();

  const LogFixtureFiles& files;
  NoticeLog log;
  PlotCookie cookie{&log};
  Libraries libraries;
  TraceDevice device{libraries};
};

}  // namespace coretest
