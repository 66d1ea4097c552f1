// korvale-libgen on small sources: the bytes it writes, and the source
// faults it must refuse (without leaving an output file behind).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "test_lib_records.h"

using namespace libtest;

namespace {

struct LibgenRun {
  int status = -1;
  std::string errors;
  bool wroteOutput = false;
  std::vector<unsigned char> output;
};

LibgenRun Libgen(const std::string& mode, const std::string& source) {
  testfiles::TempDir dir;
  {
    std::ofstream(dir.file("src.txt"), std::ios::binary) << source;
  }
  std::string command = "'" + BinFile("korvale-libgen") + "' " + mode + " '" + dir.file("src.txt") +
                        "' '" + dir.file("out.bin") + "' 2>'" + dir.file("err.txt") + "'";
  LibgenRun r;
  int raw = std::system(command.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  auto err = testfiles::ReadAll(dir.file("err.txt"));
  r.errors.assign(err.begin(), err.end());
  r.wroteOutput = std::filesystem::exists(dir.file("out.bin"));
  if (r.wroteOutput) r.output = testfiles::ReadAll(dir.file("out.bin"));
  return r;
}

}  // namespace

TEST(Libgen, WritesPatternRecordsLittleEndianWithSignedBytes) {
  LibgenRun r = Libgen("patterns",
                 "# test\n"
                 "pattern 3 Test\n"
                 "  tile 100 12\n"
                 "  poly 0,0 100,0 100,12\n"
                 "  dots 5,6\n");
  ASSERT_EQ(r.status, 0) << r.errors;
  auto patterns = ReadPatterns(r.output);
  ASSERT_EQ(patterns.size(), 251u);
  const unsigned char* rec = r.output.data() + 3 * kPatternRecordSize;
  EXPECT_EQ(rec[0], 3);
  EXPECT_EQ(rec[1], 0);
  EXPECT_EQ(rec[2], 100);
  EXPECT_EQ(rec[4], 12);
  EXPECT_EQ(patterns[3].strokes[1].x1, 100);
  EXPECT_EQ(patterns[3].strokes[1].y2, 12);
  EXPECT_TRUE(patterns[3].strokes[2].IsDot());
  // Left-out numbers are blank but still tileable.
  EXPECT_EQ(patterns[4].strokeCount, 0);
  EXPECT_EQ(patterns[4].tileWidth, 10);
  EXPECT_EQ(patterns[250].tileHeight, 10);
}

TEST(Libgen, WritesSymbolRecordsWithNegativeCoordinates) {
  LibgenRun r = Libgen("symbols", "symbol 325 last\n  loop -5,-5 5,-5 0,5\nsymbol 1 first\n  ring 0,0 5\n");
  ASSERT_EQ(r.status, 0) << r.errors;
  ASSERT_EQ(r.output.size(), 326u * kSymbolRecordSize);
  auto symbols = ReadSymbols(r.output);
  ASSERT_EQ(symbols[325].strokeCount, 3);
  EXPECT_EQ(r.output[325 * kSymbolRecordSize + 2], 0xFB) << "-5 as a signed byte";
  EXPECT_EQ(symbols[325].strokes[2].x1, 0);
  EXPECT_EQ(symbols[325].strokes[2].y2, -5);
  // A ring of radius 5 has its 12 corners exactly on the circle.
  ASSERT_EQ(symbols[1].strokeCount, 12);
  for (const Stroke& s : symbols[1].strokes) EXPECT_EQ(s.x1 * s.x1 + s.y1 * s.y1, 25);
  EXPECT_EQ(symbols[2].strokeCount, 0);
}

TEST(Libgen, RefusesFaultySourcesNamingTheLine) {
  std::string fiftyOne = "symbol 5 x\n  poly";
  for (int i = 0; i <= 51; ++i) fiftyOne += " " + std::to_string(i % 2) + ",0";
  struct Case {
    const char* mode;
    std::string source;
    const char* where;
  } cases[] = {
      {"symbols", fiftyOne + "\n", ":1:"},
      {"symbols", "symbol 7 a\n  poly 0,0 1,1\nsymbol 7 b\n", ":3:"},
      {"symbols", "symbol 326 beyond\n", ":1:"},
      {"symbols", "symbol 0 unused record\n", ":1:"},
      {"symbols", "symbol 9 x\n  poly 0,0 200,0\n", ":1:"},
      {"symbols", "symbol 9 x\n  poly 0,0\n", ":2:"},
      {"symbols", "symbol 9 x\n  poly 0,0 1;1\n", ":2:"},
      {"symbols", "symbol 9 x\n  tile 4 4\n", ":2:"},
      {"symbols", "  poly 0,0 1,1\n", ":1:"},
      {"patterns", "pattern 251 beyond\n  tile 4 4\n", ":1:"},
      {"patterns", "pattern 2 no tile\n  poly 0,0 1,1\n", ":1:"},
      {"patterns", "pattern 2 x\n  tile 0 4\n", ":2:"},
      {"patterns", "pattern 2 x\n  tile 8 8\n  poly 0,0 9,0\n", ":1:"},
      {"patterns", "pattern 2 x\n  tile 8 8\n  dots 3,-1\n", ":1:"},
      {"patterns", "pattern 2 x\n  tile 8 8\n  wiggle 1,1\n", ":3:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    LibgenRun r = Libgen(c.mode, c.source);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.wroteOutput);
    EXPECT_NE(r.errors.find(std::string("src.txt") + c.where), std::string::npos) << r.errors;
  }
}

TEST(Libgen, ErrorTableBecomesCrLfText) {
  LibgenRun r = Libgen("errors", "note\n#12 Title\nbody\n=====\n");
  ASSERT_EQ(r.status, 0) << r.errors;
  std::string text(r.output.begin(), r.output.end());
  EXPECT_EQ(text, "note\r\n#12 Title\r\nbody\r\n=====\r\n");
}

TEST(Libgen, RefusesErrorTablesTheProgramWouldMisread) {
  struct Case {
    std::string source;
    const char* where;
  } cases[] = {
      // A comment mentioning the key would be taken for the header.
      {"see #12 below\n#12 Title\nbody\n=\n", ":1:"},
      // No terminator: the body would swallow the rest of the file.
      {"#12 Title\nbody\n", ":1:"},
      // Another entry inside a body.
      {"#12 Title\nbody\n#13 Other\n=\n", ":3:"},
      {"#12 Title\n=\n#12 Again\n=\n", ":3:"},
      {"#12 \n=\n", ":1:"},
      {"#12 Title\nbad\tcharacter\n=\n", ":2:"},
      {"#12 Title\n" + std::string(800, 'x') + "\n=\n", ":1:"},
      {"only prose\n", ":1:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source.substr(0, 60));
    LibgenRun r = Libgen("errors", c.source);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.wroteOutput);
    EXPECT_NE(r.errors.find(std::string("src.txt") + c.where), std::string::npos) << r.errors;
  }
}
