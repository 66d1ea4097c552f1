// Program paths and the two logs.
#include <QCoreApplication>

#include <sys/stat.h>
#include <unistd.h>

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

// The mode and owner of path, looked at without following a link.
bool IsPrivateFolder(const std::string& path) {
  struct stat st {};
  std::string p = path;
  if (p.size() > 1 && p.back() == '/') p.pop_back();
  return lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
         (st.st_mode & 0777) == 0700;
}

TEST(ProgramLayout, PortableOnlyWhereTheFolderHoldsTheLibrariesAndIsWritable) {
  EXPECT_EQ(DetectProgramLayout(testfiles::BinDir() + "/korvale"), ProgramLayout::Portable);
  testfiles::TempDir tree;
  const std::string bin = tree.file("bin");
  std::filesystem::create_directories(bin);
  EXPECT_EQ(DetectProgramLayout(bin + "/korvale"), ProgramLayout::Installed);
  testfiles::WriteAll(bin + "/Zelmorth.Pat", {0});
  EXPECT_EQ(DetectProgramLayout(bin + "/korvale"), ProgramLayout::Portable);
  chmod(bin.c_str(), 0555);
  if (access(bin.c_str(), W_OK) != 0) {  // root writes anyway
    EXPECT_EQ(DetectProgramLayout(bin + "/korvale"), ProgramLayout::Installed);
  }
  chmod(bin.c_str(), 0755);
}

TEST(ProgramLayout, InstalledFoldersComeFromThePrefixAndTheXdgVariables) {
  testfiles::TempDir tree;
  const std::string exe = tree.file("usr/bin/korvale");
  testfiles::ScopedEnv home("HOME", tree.file("home").c_str());
  {
    testfiles::ScopedEnv config("XDG_CONFIG_HOME", tree.file("cfg").c_str());
    testfiles::ScopedEnv state("XDG_STATE_HOME", (tree.file("state") + "/").c_str());
    SetProgramPath(exe, ProgramLayout::Installed);
    EXPECT_EQ(ProgramDirectory(), tree.file("usr/bin/"));
    EXPECT_EQ(DataDirectory(), tree.file("usr/share/korvale/"));
    EXPECT_EQ(ProgramFilePath(".hlp"), tree.file("usr/share/korvale/korvale.hlp"));
    EXPECT_EQ(UserDirectory(), tree.file("cfg/korvale/"));
    EXPECT_EQ(StateDirectory(), tree.file("state/korvale/"));
  }
  {
    // Unset or relative variables mean the defaults below the home folder.
    testfiles::ScopedEnv config("XDG_CONFIG_HOME", "relative/cfg");
    testfiles::ScopedEnv state("XDG_STATE_HOME", nullptr);
    SetProgramPath(exe, ProgramLayout::Installed);
    EXPECT_EQ(UserDirectory(), tree.file("home/.config/korvale/"));
    EXPECT_EQ(StateDirectory(), tree.file("home/.local/state/korvale/"));
  }
  // A program folder that holds the libraries keeps serving them.
  std::filesystem::create_directories(tree.file("usr/bin"));
  testfiles::WriteAll(tree.file("usr/bin/Zelmorth.Pat"), {0});
  SetProgramPath(exe, ProgramLayout::Installed);
  EXPECT_EQ(DataDirectory(), tree.file("usr/bin/"));
  SetProgramPaths();
}

// The private temporary folder in a shared temporary folder: made with mode
// 0700, reused while it stays ours and private, and avoided (never followed
// or used) when its name is a link or a folder that is not private.
TEST(ProgramPaths, TempDirectoryIsAPrivateFolderNeverALinkOrAnotherUsersFolder) {
  testfiles::TempDir shared, elsewhere;
  testfiles::ScopedEnv tmpdir("TMPDIR", shared.path().c_str());
  testfiles::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  const std::string wanted = shared.file("korvale-" + std::to_string(getuid()));
  auto fresh = [] {
    SetTempDirectoryOverride("");  // asks afresh
    return TempDirectory();
  };
  EXPECT_EQ(fresh(), wanted + "/");
  EXPECT_TRUE(IsPrivateFolder(wanted));
  EXPECT_EQ(fresh(), wanted + "/");

  auto expectAvoided = [&](const char* what) {
    SCOPED_TRACE(what);
    const std::string dir = fresh();
    EXPECT_EQ(dir.rfind(wanted + "-", 0), 0u) << dir;
    EXPECT_TRUE(IsPrivateFolder(dir)) << dir;
  };
  std::filesystem::remove(wanted);
  chmod(elsewhere.path().c_str(), 0700);  // private, but reached through a link
  std::filesystem::create_directory_symlink(elsewhere.path(), wanted);
  expectAvoided("a link");
  EXPECT_TRUE(std::filesystem::is_symlink(wanted));
  std::filesystem::remove(wanted);
  std::filesystem::create_directory(wanted);
  chmod(wanted.c_str(), 0755);
  expectAvoided("a folder others may enter");
  if (getuid() == 0) {
    chmod(wanted.c_str(), 0700);
    ASSERT_EQ(chown(wanted.c_str(), 65534, 65534), 0);
    expectAvoided("another user's folder");
  }
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));

  // Inside its own folder the start-up log does not follow a link either.
  std::filesystem::remove_all(wanted);
  ASSERT_EQ(fresh(), wanted + "/");
  std::filesystem::create_symlink(elsewhere.file("victim"), wanted + "/startup.log");
  platform::ClearShownBoxes();
  EXPECT_FALSE(OpenStartupLog());
  EXPECT_FALSE(std::filesystem::exists(elsewhere.file("victim")));
  // When no private folder can be made there is none: nothing is created and
  // the start-up log is refused, naming the folder it needed.
  // A temporary folder whose path leaves no room for another name makes
  // every folder in it fail, also for root.
  std::string crowded = elsewhere.path();
  while (crowded.size() < 4090)
    crowded += "/" + std::string(std::min<size_t>(200, 4089 - crowded.size()), 'd');
  ASSERT_TRUE(std::filesystem::create_directories(crowded));
  {
    testfiles::ScopedEnv full("TMPDIR", crowded.c_str());
    EXPECT_EQ(fresh(), "");
    EXPECT_FALSE(OpenStartupLog());
  }
  ASSERT_EQ(platform::ShownBoxes().size(), 2u);
  EXPECT_NE(platform::ShownBoxes()[1].text.find("Unable to create the initial start up log: " +
                                                crowded + "/korvale-"),
            std::string::npos)
      << platform::ShownBoxes()[1].text.substr(0, 80);
  platform::ClearShownBoxes();
  std::filesystem::remove_all(wanted);  // taken again by a folder others may enter
  std::filesystem::create_directory(wanted);
  chmod(wanted.c_str(), 0755);

  // A private runtime folder of the session holds it; one others may enter
  // does not.
  testfiles::TempDir session;
  chmod(session.path().c_str(), 0700);
  {
    testfiles::ScopedEnv set("XDG_RUNTIME_DIR", session.path().c_str());
    EXPECT_EQ(fresh(), session.file("korvale/"));
    EXPECT_TRUE(IsPrivateFolder(session.file("korvale")));
    chmod(session.path().c_str(), 0755);
    EXPECT_EQ(fresh().rfind(wanted + "-", 0), 0u);
  }
  SetTempDirectoryOverride("");
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
  const std::string log = program.path() + "/korvale.LOG";
  // A link planted at the program log while it runs is not written through,
  // and a FIFO there does not block the writer.
  const std::string victim = temp.path() + "/victim";
  testfiles::WriteAll(victim, {'k', 'e', 'p', 't'});
  std::filesystem::remove(log);
  std::filesystem::create_symlink(victim, log);
  EXPECT_THROW(WriteLog("through the link"), InOutError);
  EXPECT_EQ(Text(victim), "kept");
  std::filesystem::remove(log);
  ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);
  EXPECT_THROW(WriteLog("into the FIFO"), InOutError);
  std::filesystem::remove(log);
  WriteLog("again");  // the log made afresh
  EXPECT_EQ(Text(log), "again\r\n");

  std::filesystem::remove_all(program.path());
  EXPECT_THROW(WriteLog("after the folder went away"), InOutError);
}

}  // namespace
