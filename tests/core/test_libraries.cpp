// Pattern and symbol libraries: lookups by record number, the numbered errors
// and what stays in the buffer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CoreTestUtil.h"
#include "core/FileError.h"
#include "platform/MessageBox.h"

using coretest::Pattern;
using coretest::Symbol;

namespace {

class LibraryTest : public ::testing::Test {
 protected:
  testfiles::TempDir dir;
  coretest::ErrorTableScope errors;
  coretest::NoticeLog log;
  PlotCookie cookie{&log};
  std::vector<std::string> BoxTexts() const { return log.texts(); }
};

std::vector<PatternData> TenPatterns() {
  std::vector<PatternData> p;
  for (uint16_t i = 0; i < 10; ++i) p.push_back(Pattern(100 + i, 200 + i, {{int8_t(i), 1, 2, 3}}));
  return p;
}

TEST_F(LibraryTest, PatternNumbersAreRecordNumbers) {
  coretest::WritePatternLibrary(dir.file("p.pat"), TenPatterns());
  PatternLibrary lib(dir.file("p.pat"), cookie);
  EXPECT_EQ(lib.record_count(), 10);
  for (int n : {0, 9, 4}) {
    lib.read(n, cookie);
    EXPECT_EQ(lib.current().tile_width, 100 + n);
    EXPECT_EQ(lib.current().tile_height, 200 + n);
    ASSERT_EQ(lib.current().used_strokes().size(), 1u);
    EXPECT_EQ(lib.current().used_strokes()[0].x1, n);
  }
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(LibraryTest, PatternBeyondTheLibraryShows1037AndKeepsTheBuffer) {
  coretest::WritePatternLibrary(dir.file("p.pat"), TenPatterns());
  PatternLibrary lib(dir.file("p.pat"), cookie);
  lib.read(7, cookie);
  lib.read(10, cookie);
  lib.read(10, cookie);  // once per number and page
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"E1037:  Pattern = 10"});
  EXPECT_EQ(lib.current().tile_width, 107);
  log.clear();
  lib.read(1234, cookie);
  lib.read(10, cookie);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"E1037:  Pattern = 1,234"});
  log.clear();
  lib.begin_page();
  lib.read(10, cookie);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"E1037:  Pattern = 10"});
}

TEST_F(LibraryTest, NegativePatternIsAnIoFailure) {
  coretest::WritePatternLibrary(dir.file("p.pat"), TenPatterns());
  PatternLibrary lib(dir.file("p.pat"), cookie);
  EXPECT_THROW(lib.read(-1, cookie), FileError);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(LibraryTest, MissingPatternLibraryShows1034AndLookupsFail) {
  const std::string path = dir.file("none.pat");
  PatternLibrary lib(path, cookie);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"E1034:  File Name = " + path});
  EXPECT_FALSE(lib.is_open());
  try {
    lib.read(0, cookie);
    FAIL() << "lookup in an unopened library succeeded";
  } catch (const FileError& e) {
    EXPECT_EQ(e.code(), FileError::kNotOpen);
    // The failure that ends the page names the missing file.
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
}

TEST_F(LibraryTest, ADirectoryIsNotALibraryFile) {
  std::filesystem::create_directory(dir.file("dir.sym"));
  SymbolLibrary lib(dir.file("dir.sym"), cookie);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"E1035:  File Name = " + dir.file("dir.sym")});
  EXPECT_FALSE(lib.is_open());
}

TEST_F(LibraryTest, SymbolsOutsideOneTo325LoadNothingAndRaiseNothing) {
  std::vector<SymbolData> syms(300);
  for (int i = 0; i < 300; ++i) syms[i] = Symbol({{int8_t(i % 100), 0, 0, 0}});
  coretest::WriteSymbolLibrary(dir.file("s.sym"), syms);
  SymbolLibrary lib(dir.file("s.sym"), cookie);
  lib.read(42, cookie);
  for (int n : {0, 326, 1000, -5}) {
    lib.read(n, cookie);
    EXPECT_EQ(lib.current().strokes[0].x1, 42) << n;
  }
  EXPECT_TRUE(BoxTexts().empty());
  lib.read(299, cookie);
  EXPECT_EQ(lib.current().strokes[0].x1, 99);
  lib.read(310, cookie);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"E1037:  Symbol = 310"});
  EXPECT_EQ(lib.current().strokes[0].x1, 99);
}

TEST_F(LibraryTest, UnopenedSymbolLibraryFailsOnlyForNumbersInRange) {
  SymbolLibrary lib(dir.file("none.sym"), cookie);
  log.clear();
  EXPECT_NO_THROW(lib.read(0, cookie));
  try {
    lib.read(65, cookie);
    FAIL() << "lookup in an unopened library succeeded";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(dir.file("none.sym")), std::string::npos) << e.what();
  }
}

TEST_F(LibraryTest, TrailingPartialRecordAndHostileStrokeCounts) {
  // Two whole records and half of a third; the second claims 999 strokes.
  std::vector<SymbolData> syms(3);
  syms[1] = Symbol({{1, 2, 3, 4}});
  syms[1].stroke_count = 999;
  coretest::WriteSymbolLibrary(dir.file("s.sym"), syms);
  std::filesystem::resize_file(dir.file("s.sym"), 2 * 202 + 101);
  SymbolLibrary lib(dir.file("s.sym"), cookie);
  EXPECT_EQ(lib.record_count(), 2);
  lib.read(1, cookie);
  EXPECT_EQ(lib.current().used_strokes().size(), 50u);
  lib.read(2, cookie);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"E1037:  Symbol = 2"});
}

}  // namespace
