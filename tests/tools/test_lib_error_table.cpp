// The built error table VESK.ERR, looked up the way the program does: the
// first line containing "#N " is the header, its text after the first blank
// the title, then body lines up to one starting with "=".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_lib_records.h"

using namespace libtest;

namespace {

std::vector<std::string> CrLfLines(const std::vector<unsigned char>& bytes, bool* allCrLf) {
  std::vector<std::string> lines;
  std::string line;
  *allCrLf = true;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      if (line.empty() || line.back() != '\r') *allCrLf = false;
      else line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(bytes[i]);
    }
  }
  if (!line.empty()) {
    *allCrLf = false;
    lines.push_back(line);
  }
  return lines;
}

struct Lookup {
  bool found = false;
  bool terminated = false;
  std::string title;
  std::vector<std::string> body;
  std::string message;  // title + ":" + " " + body lines
};

Lookup Find(const std::vector<std::string>& lines, int number) {
  Lookup r;
  std::string key = "#" + std::to_string(number) + " ";
  size_t i = 0;
  while (i < lines.size() && lines[i].find(key) == std::string::npos) ++i;
  if (i == lines.size()) return r;
  r.found = true;
  r.title = lines[i].substr(lines[i].find(' ') + 1);
  r.message = r.title + ":";
  for (++i; i < lines.size(); ++i) {
    if (!lines[i].empty() && lines[i][0] == '=') {
      r.terminated = true;
      break;
    }
    r.body.push_back(lines[i]);
    r.message += " " + lines[i];
  }
  return r;
}

class ErrorTable : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = testfiles::ReadAll(BinFile("VESK.ERR"));
    lines_ = CrLfLines(bytes_, &crlf_);
  }
  std::vector<unsigned char> bytes_;
  std::vector<std::string> lines_;
  bool crlf_ = false;
};

}  // namespace

TEST_F(ErrorTable, IsPlainTextWithCrLfLines) {
  ASSERT_FALSE(bytes_.empty()) << "VESK.ERR missing from " << testfiles::BinDir();
  EXPECT_TRUE(crlf_);
  for (unsigned char c : bytes_)
    EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c <= 126)) << int(c);
}

TEST_F(ErrorTable, EachProgramErrorHasTitleAdviceAndTerminator) {
  for (int number : {1033, 1034, 1035, 1037}) {
    SCOPED_TRACE("error " + std::to_string(number));
    Lookup e = Find(lines_, number);
    ASSERT_TRUE(e.found);
    EXPECT_TRUE(e.terminated) << "the body would run to the end of the file";
    EXPECT_EQ(e.title.rfind("#", 0), std::string::npos) << "the key line is the header itself";
    EXPECT_GE(e.title.size(), 10u);
    EXPECT_GE(e.body.size(), 2u);
    EXPECT_NE(e.message.find("Korvale"), std::string::npos);
    // A context of a long path still fits the 1000 characters shown.
    std::string context = "File Name = " + std::string(240, 'p');
    EXPECT_LE(e.message.size() + 2 + context.size(), 1000u);
  }
}

TEST_F(ErrorTable, AdviceFitsEachError) {
  EXPECT_NE(Find(lines_, 1033).message.find("Tarnfel 2001"), std::string::npos);
  EXPECT_NE(Find(lines_, 1034).message.find("pattern library"), std::string::npos);
  EXPECT_NE(Find(lines_, 1035).message.find("symbol library"), std::string::npos);
  std::string m1037 = Find(lines_, 1037).message;
  EXPECT_NE(m1037.find("pattern"), std::string::npos);
  EXPECT_NE(m1037.find("symbol"), std::string::npos);
}

TEST_F(ErrorTable, UnknownNumbersAreNotFound) {
  // A key must not match inside a longer number or in prose.
  EXPECT_FALSE(Find(lines_, 103).found);
  EXPECT_FALSE(Find(lines_, 1036).found);
  EXPECT_FALSE(Find(lines_, 3).found);
}
