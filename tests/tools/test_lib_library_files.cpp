// The built pattern and symbol libraries: sizes, record limits, the stroke
// font's cell and the point symbols.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "test_lib_records.h"

using namespace libtest;

namespace {

class LibraryFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    patternBytes_ = testfiles::ReadAll(BinFile("Zelmorth.Pat"));
    symbolBytes_ = testfiles::ReadAll(BinFile("Zelmorth.Sym"));
    patterns_ = ReadPatterns(patternBytes_);
    symbols_ = ReadSymbols(symbolBytes_);
  }
  static std::vector<unsigned char> patternBytes_, symbolBytes_;
  static std::vector<Pattern> patterns_;
  static std::vector<Symbol> symbols_;
};
std::vector<unsigned char> LibraryFiles::patternBytes_, LibraryFiles::symbolBytes_;
std::vector<Pattern> LibraryFiles::patterns_;
std::vector<Symbol> LibraryFiles::symbols_;

struct Box {
  int xLow = 1000, xHigh = -1000, yLow = 1000, yHigh = -1000;
};

Box BoxOf(const std::vector<Stroke>& strokes) {
  Box b;
  for (const Stroke& s : strokes) {
    b.xLow = std::min({b.xLow, s.x1, s.x2});
    b.xHigh = std::max({b.xHigh, s.x1, s.x2});
    b.yLow = std::min({b.yLow, s.y1, s.y2});
    b.yHigh = std::max({b.yHigh, s.y1, s.y2});
  }
  return b;
}

std::string Char(int c) { return "character " + std::to_string(c) + " '" + char(c) + "'"; }

// The characters that the font draws, as the program looks them up.
std::vector<int> FontCodes() {
  std::vector<int> codes;
  for (int c = 33; c <= 126; ++c) codes.push_back(c);
  for (int c : {176, 177, 178, 179, 181, 185}) codes.push_back(c);
  return codes;
}

}  // namespace

TEST_F(LibraryFiles, FilesHoldExactlyTheirRecords) {
  EXPECT_EQ(patternBytes_.size(), 251u * 206u) << "patterns 0 to 250 of 206 bytes";
  EXPECT_EQ(symbolBytes_.size(), 326u * 202u) << "record 0 and symbols 1 to 325 of 202 bytes";
  ASSERT_EQ(patterns_.size(), 251u);
  ASSERT_EQ(symbols_.size(), 326u);
}

TEST_F(LibraryFiles, EveryPatternIsReadableAndTileable) {
  ASSERT_EQ(patterns_.size(), 251u);
  for (size_t n = 0; n < patterns_.size(); ++n) {
    const Pattern& p = patterns_[n];
    SCOPED_TRACE("pattern " + std::to_string(n));
    EXPECT_LE(p.strokeCount, 50);
    // A zero tile side would leave the tiling without progress.
    EXPECT_GE(p.tileWidth, 1);
    EXPECT_GE(p.tileHeight, 1);
    for (const Stroke& s : p.strokes) {
      EXPECT_TRUE(s.x1 >= 0 && s.x2 >= 0 && s.x1 <= p.tileWidth && s.x2 <= p.tileWidth);
      EXPECT_TRUE(s.y1 >= 0 && s.y2 >= 0 && s.y1 <= p.tileHeight && s.y2 <= p.tileHeight);
    }
  }
}

TEST_F(LibraryFiles, UnusedStrokeSlotsAreZero) {
  // Bytes beyond the stroke count are not read by the program, but stale
  // bytes there would mean the compiler wrote records over each other.
  for (size_t n = 0; n < patterns_.size(); ++n) {
    const unsigned char* r = patternBytes_.data() + n * kPatternRecordSize;
    for (size_t i = 6 + 4 * patterns_[n].strokeCount; i < kPatternRecordSize; ++i)
      ASSERT_EQ(r[i], 0) << "pattern " << n << " byte " << i;
  }
  for (size_t n = 0; n < symbols_.size(); ++n) {
    const unsigned char* r = symbolBytes_.data() + n * kSymbolRecordSize;
    for (size_t i = 2 + 4 * symbols_[n].strokeCount; i < kSymbolRecordSize; ++i)
      ASSERT_EQ(r[i], 0) << "symbol " << n << " byte " << i;
  }
}

TEST_F(LibraryFiles, AtLeastFortyDesignedLithologies) {
  ASSERT_EQ(patterns_.size(), 251u);
  int designed = 0;
  for (int n = 1; n < 200; ++n) designed += patterns_[n].strokeCount > 0 ? 1 : 0;
  EXPECT_GE(designed, 40);
  EXPECT_EQ(patterns_[0].strokeCount, 0) << "pattern 0 is the blank fill";
}

TEST_F(LibraryFiles, SymbolRecordsRespectLimits) {
  ASSERT_EQ(symbols_.size(), 326u);
  EXPECT_EQ(symbols_[0].strokeCount, 0) << "record 0 is unused";
  for (size_t n = 0; n < symbols_.size(); ++n) EXPECT_LE(symbols_[n].strokeCount, 50) << n;
}

TEST_F(LibraryFiles, EveryPrintableCharacterHasAGlyphInsideTheCell) {
  ASSERT_EQ(symbols_.size(), 326u);
  EXPECT_EQ(symbols_[32].strokeCount, 0) << "space draws nothing";
  for (int c : FontCodes()) {
    const Symbol& g = symbols_[c];
    SCOPED_TRACE(Char(c));
    ASSERT_GT(g.strokeCount, 0);
    Box b = BoxOf(g.strokes);
    EXPECT_GE(b.xLow, 0);
    EXPECT_LE(b.xHigh, 5);
    EXPECT_GE(b.yLow, -4) << "descenders end 4 units below the baseline";
    EXPECT_LE(b.yHigh, 13) << "nothing rises above the capital height";
    // A zero-length stroke becomes a line with no pixels on the canvas:
    // dots must be drawn as tiny squares.
    for (const Stroke& s : g.strokes) EXPECT_FALSE(s.IsDot());
  }
}

TEST_F(LibraryFiles, CapitalsAndDigitsFillTheCharacterHeight) {
  ASSERT_EQ(symbols_.size(), 326u);
  std::string tall = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  for (char c : tall) {
    Box b = BoxOf(symbols_[static_cast<unsigned char>(c)].strokes);
    EXPECT_EQ(b.yHigh, 13) << Char(c);
    EXPECT_LE(b.yLow, 0) << Char(c);
    EXPECT_GE(b.yLow, c == 'Q' ? -1 : 0) << Char(c) << " sits on the baseline";
  }
}

TEST_F(LibraryFiles, LowerCaseHasDescendersAndXHeight) {
  ASSERT_EQ(symbols_.size(), 326u);
  for (char c : std::string("gjpqy")) EXPECT_LT(BoxOf(symbols_[int(c)].strokes).yLow, -2) << Char(c);
  for (char c : std::string("acemnorsuvwxz")) {
    Box b = BoxOf(symbols_[int(c)].strokes);
    EXPECT_EQ(b.yHigh, 9) << Char(c);
    EXPECT_EQ(b.yLow, 0) << Char(c);
  }
  for (char c : std::string("bdhklt")) EXPECT_GE(BoxOf(symbols_[int(c)].strokes).yHigh, 12) << Char(c);
}

TEST_F(LibraryFiles, DistinctCharactersHaveDistinctGlyphs) {
  ASSERT_EQ(symbols_.size(), 326u);
  auto key = [&](int c) {
    std::vector<std::tuple<int, int, int, int>> v;
    for (const Stroke& s : symbols_[c].strokes) v.emplace_back(s.x1, s.y1, s.x2, s.y2);
    std::sort(v.begin(), v.end());
    return v;
  };
  auto codes = FontCodes();
  for (size_t i = 0; i < codes.size(); ++i)
    for (size_t j = i + 1; j < codes.size(); ++j)
      EXPECT_NE(key(codes[i]), key(codes[j])) << Char(codes[i]) << " and " << Char(codes[j]);
}

TEST_F(LibraryFiles, PointSymbolsFitTheirSizeAndAvoidFontCodes) {
  ASSERT_EQ(symbols_.size(), 326u);
  int count = 0;
  for (int n = 1; n <= 325; ++n) {
    bool font = (n >= 32 && n <= 126) || (n >= 160 && n <= 255);
    if (font || symbols_[n].strokeCount == 0) continue;
    ++count;
    Box b = BoxOf(symbols_[n].strokes);
    EXPECT_TRUE(b.xLow >= -5 && b.xHigh <= 5 && b.yLow >= -5 && b.yHigh <= 5)
        << "symbol " << n << " leaves its square";
    EXPECT_GE(n, 256) << "symbol " << n << " sits where a control character could ask for it";
  }
  EXPECT_GE(count, 30);
}

TEST_F(LibraryFiles, ReadmeTableNamesEverySymbolAndNoEmptyOne) {
  ASSERT_EQ(symbols_.size(), 326u);
  std::ifstream in(testfiles::SourceDir() + "/data/README.md");
  ASSERT_TRUE(in) << "data/README.md";
  std::stringstream text;
  text << in.rdbuf();
  std::set<int> documented;
  std::regex row(R"(^\|\s*(\d+)\s*\|)");
  std::string line;
  while (std::getline(text, line)) {
    std::smatch m;
    if (std::regex_search(line, m, row)) documented.insert(std::stoi(m[1]));
  }
  for (int n = 256; n <= 325; ++n) {
    bool drawn = symbols_[n].strokeCount > 0;
    EXPECT_EQ(documented.count(n) == 1, drawn) << "symbol " << n;
  }
}
