// The error table reader: entries, titles, terminators, unknown numbers,
// missing and unreadable tables, the length limit, and the box.
#include <filesystem>

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "platform/MessageBox.h"
#include "support/ErrorTable.h"
#include "support/IoError.h"
#include "support/Paths.h"

namespace {

// Writes lines with CR LF ends.
void WriteTable(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  testfiles::WriteAll(path, std::vector<unsigned char>(text.begin(), text.end()));
}

class ErrorTableFile : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramPath(dir.path() + "/korvale");
    table = dir.file("VESK.ERR");
    platform::ClearShownBoxes();
  }
  void TearDown() override { SetProgramPaths(); }
  testfiles::TempDir dir;
  std::string table;
};

const std::string kNotDefined12345 =
    "Error # 12,345 not defined within error table file (VESK.ERR). Please contact Quelmark.";

TEST(FormatThousandsText, GroupsOfThreeAndNoCommasForNegatives) {
  EXPECT_EQ(FormatThousands(0), "0");
  EXPECT_EQ(FormatThousands(999), "999");
  EXPECT_EQ(FormatThousands(1000), "1,000");
  EXPECT_EQ(FormatThousands(1234), "1,234");
  EXPECT_EQ(FormatThousands(999999), "999,999");
  EXPECT_EQ(FormatThousands(1000000), "1,000,000");
  EXPECT_EQ(FormatThousands(12345678), "12,345,678");
  EXPECT_EQ(FormatThousands(2147483647), "2,147,483,647");
  EXPECT_EQ(FormatThousands(-1234), "-1234");
  EXPECT_EQ(FormatThousands(-2147483647 - 1), "-2147483648");
}

TEST_F(ErrorTableFile, ExampleEntryGivesItsMessage) {
  WriteTable(table, {"Library errors", "#1034 Pattern file not found",
                     "The pattern library could not be opened.", "Check the System Files settings.",
                     "=====", "#1035 Symbol file not found", "Other text.", "====="});
  EXPECT_EQ(ComposeErrorMessage(1034, "File Name = C:\\L\\x.pat"),
            "Pattern file not found: The pattern library could not be opened. Check the System "
            "Files settings.  File Name = C:\\L\\x.pat");
  EXPECT_EQ(ComposeErrorMessage(1035, ""), "Symbol file not found: Other text.  ");
}

TEST_F(ErrorTableFile, OnlyTheTextUpToTheFirstBlankIsRemoved) {
  WriteTable(table, {"Error #1034 Pattern file not found", "=", ""});
  EXPECT_EQ(ComposeErrorMessage(1034, "x"), "#1034 Pattern file not found:  x");
}

TEST_F(ErrorTableFile, KeyDoesNotMatchALongerNumber) {
  WriteTable(table, {"#11 Eleven", "body eleven", "=", "#1 One", "body one", "="});
  EXPECT_EQ(ComposeErrorMessage(1, "c"), "One: body one  c");
  EXPECT_EQ(ComposeErrorMessage(11, "c"), "Eleven: body eleven  c");
}

TEST_F(ErrorTableFile, FirstLineHoldingTheKeyWinsEvenInsideABody) {
  WriteTable(table, {"#5 Five", "see also #12 here", "=", "#12 Twelve", "real body", "="});
  EXPECT_EQ(ComposeErrorMessage(12, ""), "also #12 here:  ");
}

TEST_F(ErrorTableFile, MissingTerminatorRunsToTheEndOfTheFile) {
  WriteTable(table, {"#7 Seven", "line one", "#8 Eight", "line two"});
  EXPECT_EQ(ComposeErrorMessage(7, "ctx"), "Seven: line one #8 Eight line two  ctx");
}

TEST_F(ErrorTableFile, HeaderOnTheLastLineGivesItsTitleAlone) {
  WriteTable(table, {"junk", "#9 Last"});
  EXPECT_EQ(ComposeErrorMessage(9, "ctx"), "Last:  ctx");
  // Without a final line end as well.
  testfiles::WriteAll(table, {'#', '9', ' ', 'L', 'a', 's', 't'});
  EXPECT_EQ(ComposeErrorMessage(9, "ctx"), "Last:  ctx");
}

TEST_F(ErrorTableFile, EmptyBodyLineAddsOneBlank) {
  WriteTable(table, {"#3 Three", "a", "", "b", "="});
  EXPECT_EQ(ComposeErrorMessage(3, ""), "Three: a  b  ");
}

TEST_F(ErrorTableFile, UnknownNumberAndEmptyTableGiveTheNotDefinedText) {
  WriteTable(table, {"#1234 Something", "=", "#123456 Else", "="});
  EXPECT_EQ(ComposeErrorMessage(12345, "ignored context"), kNotDefined12345);
  testfiles::WriteAll(table, {});
  EXPECT_EQ(ComposeErrorMessage(12345, "ignored context"), kNotDefined12345);
}

TEST_F(ErrorTableFile, KeyNeedsItsTrailingBlank) {
  WriteTable(table, {"#42", "body", "="});
  EXPECT_EQ(ComposeErrorMessage(42, ""),
            "Error # 42 not defined within error table file (VESK.ERR). Please contact Quelmark.");
}

TEST_F(ErrorTableFile, MissingTableGivesTheFixedExplanationAndContext) {
  std::string text = ComposeErrorMessage(1034, "File Name = p.pat");
  EXPECT_EQ(text,
            "Normally, this screen is used to display an extended error description with"
            " suggestions about how to solve the associated problem.  Unfortunately, the"
            " file that contains these error messages cannot be properly accessed."
            " The error message file (" +
                dir.path() +
                "/VESK.ERR) is either; (1) not installed, (2) not installed within the same "
                "subdirectory as the program, or (3) currently being edited/examined by another "
                "user on your network.File Name = p.pat");
}

TEST_F(ErrorTableFile, NumbersBelowOneShowNothing) {
  WriteTable(table, {"#0 Zero", "="});
  EXPECT_EQ(ComposeErrorMessage(0, "c"), "");
  EXPECT_EQ(ComposeErrorMessage(-5, "c"), "");
  ShowErrorMessage(0, "c");
  ShowErrorMessage(-1, "c");
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(ErrorTableFile, MessageIsCutAtOneThousandCharacters) {
  std::vector<std::string> lines{"#77 Long"};
  for (int i = 0; i < 40; ++i) lines.push_back(std::string(60, 'a' + i % 26));
  lines.push_back("=");
  WriteTable(table, lines);
  std::string text = ComposeErrorMessage(77, "context");
  EXPECT_EQ(text.size(), kMaxErrorMessageLength);
  EXPECT_EQ(text.substr(0, 12), "Long: aaaaaa");
  // The explanation for a missing table is also held to the limit.
  std::filesystem::remove(table);
  EXPECT_EQ(ComposeErrorMessage(77, std::string(2000, 'c')).size(), kMaxErrorMessageLength);
}

TEST_F(ErrorTableFile, UnreadableTableRaisesAnIoError) {
  std::filesystem::create_directory(table);  // exists, but is no readable file
  EXPECT_THROW(ComposeErrorMessage(1034, ""), InOutError);
}

TEST_F(ErrorTableFile, BoxIsTitledErrorWithOkAndNoIcon) {
  WriteTable(table, {"#1033 Not a compiled log", "The file is something else.", "="});
  ShowErrorMessage(1033, "");
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  const auto& box = platform::ShownBoxes()[0];
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.kind, platform::BoxKind::Plain);
  EXPECT_EQ(box.buttons, platform::BoxButtons::Ok);
  EXPECT_EQ(box.text, "Not a compiled log: The file is something else.  ");
}

}  // namespace

namespace {

// The table installed beside the programs defines every number they raise,
// and each message fits the limit.
TEST(InstalledErrorTable, DefinesTheProgramsNumbers) {
  // The built table, or else its source text (same lines, LF ends).
  std::string table = testfiles::BinDir() + "/VESK.ERR";
  if (!std::filesystem::exists(table)) table = testfiles::SourceDir() + "/data/VESK.ERR.txt";
  if (!std::filesystem::exists(table)) GTEST_SKIP() << "no error table built or in data/";
  for (int number : {1033, 1034, 1035, 1037}) {
    SCOPED_TRACE(number);
    std::string text = ComposeErrorMessage(number, "ctx", table);
    EXPECT_NE(text.rfind("Error # ", 0), 0u) << text;
    EXPECT_LE(text.size(), kMaxErrorMessageLength);
    EXPECT_EQ(text.substr(text.size() - 5), "  ctx") << "entry too long for its context";
  }
}

}  // namespace
