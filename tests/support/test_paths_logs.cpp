// Program paths and the two logs.
#include <QCoreApplication>

#include <filesystem>

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "platform/MessageBox.h"
#include "support/IoError.h"
#include "support/Paths.h"

namespace {

std::string Text(const std::string& path) {
  auto bytes = testfiles::ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

class Logs : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTempDirectoryOverride(temp.path());
    SetProgramPath(program.path() + "/korvale");
    CloseLogForTests();
    platform::ClearShownBoxes();
  }
  void TearDown() override {
    CloseLogForTests();
    SetTempDirectoryOverride("");
    SetProgramPaths();
  }
  testfiles::TempDir temp, program;
};

TEST(ProgramPaths, FolderAndBaseNameOfTheExecutable) {
  SetProgramPath("/opt/korvale/bin/korvale.exe");
  EXPECT_EQ(ProgramDirectory(), "/opt/korvale/bin/");
  EXPECT_EQ(UserDirectory(), "/opt/korvale/bin/");
  EXPECT_EQ(ProgramBaseName(), "korvale");
  SetProgramPath("/opt/a.b/viewer.v2.bin");
  EXPECT_EQ(ProgramDirectory(), "/opt/a.b/");
  EXPECT_EQ(ProgramBaseName(), "viewer.v2");
  SetProgramPath("/opt/a.b/viewer");
  EXPECT_EQ(ProgramBaseName(), "viewer");
  SetProgramPath("bare");
  EXPECT_EQ(ProgramDirectory(), "./");
  EXPECT_EQ(ProgramBaseName(), "bare");
  SetProgramPaths();
  // The running test program itself.
  EXPECT_EQ(ProgramBaseName(), QCoreApplication::applicationName().toStdString());
  EXPECT_EQ(ProgramDirectory(), QCoreApplication::applicationDirPath().toStdString() + "/");
  EXPECT_EQ(ProgramDirectory().back(), '/');
}

TEST(ProgramPaths, TempDirectoryEndsWithASlash) {
  SetTempDirectoryOverride("");
  EXPECT_EQ(TempDirectory().back(), '/');
  SetTempDirectoryOverride("/some/where");
  EXPECT_EQ(TempDirectory(), "/some/where/");
  SetTempDirectoryOverride("");
}

TEST_F(Logs, NothingIsWrittenBeforeALogIsOpened) {
  EXPECT_NO_THROW(WriteLog("lost"));
  EXPECT_EQ(LogFileName(), "");
}

TEST_F(Logs, StartupThenProgramLogEachCompleteAfterEveryLine) {
  ASSERT_TRUE(OpenStartupLog());
  const std::string startup = temp.path() + "/startup.log";
  EXPECT_EQ(LogFileName(), startup);
  EXPECT_EQ(Text(startup), "Startup Log for korvale\r\n");
  WriteLog("Paths set");
  EXPECT_EQ(Text(startup), "Startup Log for korvale\r\nPaths set\r\n");

  ASSERT_TRUE(OpenProgramLog());
  const std::string program_log = program.path() + "/korvale.LOG";
  EXPECT_EQ(Text(program_log), "Execution Log for korvale\r\n");
  WriteLog("Creating status window...");
  EXPECT_EQ(Text(program_log), "Execution Log for korvale\r\nCreating status window...\r\n");
  WriteLog("");
  EXPECT_EQ(Text(program_log), "Execution Log for korvale\r\nCreating status window...\r\n\r\n");
  // The start-up log is left as it was.
  EXPECT_EQ(Text(startup), "Startup Log for korvale\r\nPaths set\r\n");
}

TEST_F(Logs, LogsAreRecreatedEmptyAtEveryStart) {
  testfiles::WriteAll(temp.path() + "/startup.log", {'o', 'l', 'd', '\n'});
  testfiles::WriteAll(program.path() + "/korvale.LOG", {'o', 'l', 'd', '\n'});
  ASSERT_TRUE(OpenStartupLog());
  ASSERT_TRUE(OpenProgramLog());
  EXPECT_EQ(Text(temp.path() + "/startup.log"), "Startup Log for korvale\r\n");
  EXPECT_EQ(Text(program.path() + "/korvale.LOG"), "Execution Log for korvale\r\n");
}

TEST_F(Logs, ProgramLogFollowsTheExecutablesName) {
  SetProgramPath(program.path() + "/renamed.exe");
  ASSERT_TRUE(OpenProgramLog());
  EXPECT_EQ(Text(program.path() + "/renamed.LOG"), "Execution Log for renamed\r\n");
}

TEST_F(Logs, StartupLogFailureShowsTheErrorAndReportsIt) {
  SetTempDirectoryOverride(temp.path() + "/missing");
  EXPECT_FALSE(OpenStartupLog());
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  const auto& box = platform::ShownBoxes()[0];
  EXPECT_EQ(box.kind, platform::BoxKind::Error);
  EXPECT_EQ(box.buttons, platform::BoxButtons::Ok);
  EXPECT_EQ(box.text, "IO Error 2\r\rUnable to create the initial start up log: " + temp.path() +
                          "/missing/startup.log");
  EXPECT_EQ(LogFileName(), "");
}

TEST_F(Logs, ProgramLogFailureShowsTheErrorAndKeepsTheStartupLog) {
  ASSERT_TRUE(OpenStartupLog());
  SetProgramPath(program.path() + "/missing/korvale");
  EXPECT_FALSE(OpenProgramLog());
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].text, "IO Error 2\r\rUnable to create the korvale log file.");
  EXPECT_EQ(LogFileName(), temp.path() + "/startup.log");
}

TEST_F(Logs, FailedWriteRaisesAnIoError) {
  ASSERT_TRUE(OpenProgramLog());
  std::filesystem::remove_all(program.path());
  EXPECT_THROW(WriteLog("after the folder went away"), InOutError);
}

}  // namespace
