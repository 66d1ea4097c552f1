// The korvale program's start-up, run as a separate process with
// KORVALE_EXIT_AFTER_STARTUP=1 from a copy of the executable in a scratch
// folder (so the logs and settings files land there).
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "TestFiles.h"
#include "platform/MessageBox.h"
#include "platform/WindowRequests.h"
#include "support/Startup.h"

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
  int exitCode = -1;
  std::string errors;
};

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream text(ReadText(path));
  std::string line;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class StartupProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    korvale_ = testfiles::BinDir() + "/korvale";
    if (!fs::exists(korvale_)) GTEST_SKIP() << "build the korvale target first";
    fs::create_directories(tmp_);
  }
  // Copies the program as name into the scratch folder and starts it there,
  // by default to end after start-up (`how`: the environment that drives it;
  // `args`: its command line). A program still running after a minute is
  // ended (exit code 124).
  ProgramRun Start(const std::string& name, const std::string& locale = "C.UTF-8",
                   const std::string& how = "KORVALE_EXIT_AFTER_STARTUP=1",
                   const std::string& args = "") {
    const std::string program = dir_.file(name);
    if (!fs::exists(program)) fs::copy_file(korvale_, program);
    const std::string command = "cd '" + dir_.path() + "' && env TMPDIR='" + tmp_ +
                                "' LC_ALL=" + locale +
                                " QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR='" + tmp_ + "' " +
                                how + " timeout 60 './" + name + "' " + args + " 2> '" +
                                dir_.file("errors.txt") + "'";
    ProgramRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = ReadText(dir_.file("errors.txt"));
    return run;
  }
  testfiles::TempDir dir_;
  std::string tmp_ = dir_.file("tmp");
  std::string korvale_;
};

}  // namespace

TEST_F(StartupProgram, NormalStartWritesBothLogsAndSettings) {
  const ProgramRun run = Start("korvale");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const std::string folder = dir_.path() + "/";
  EXPECT_EQ(Lines(tmp_ + "/startup.log"),
            (std::vector<std::string>{"Startup Log for korvale", "Setting Window Style",
                                      "Determine Program Directory",
                                      "Program Directory = " + folder,
                                      "Create ZU2001.LOG - End of Start Log"}));
  const std::vector<std::string> log = Lines(folder + "korvale.LOG");
  ASSERT_GE(log.size(), 11u);
  EXPECT_EQ(log[0], "Execution Log for korvale");
  EXPECT_EQ(log[1], "korvale") << "the title before the program sets its own";
  EXPECT_EQ(log[2], "Version=1.0.0.1");
  EXPECT_EQ(log[3].rfind("Linux: 3.", 0), 0u) << log[3];
  EXPECT_EQ(log[4], "Windows Directory = /etc/");
  EXPECT_EQ(log[7], "Windows\\Temp = " + tmp_ + "/");
  EXPECT_EQ(log[8], "Creating status window...");
  EXPECT_EQ(log[10], "  Updating hints...");
  EXPECT_TRUE(fs::exists(folder + "korvale.Cn2"));
  EXPECT_TRUE(fs::exists(folder + "korvale.CN1"));
  EXPECT_EQ(run.errors.find("Tarnfel 2001 is already running"), std::string::npos);
}

TEST_F(StartupProgram, RenamedProgramRenamesLogsAndSettings) {
  const ProgramRun run = Start("Vesk", "de_DE.UTF-8");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(Lines(tmp_ + "/startup.log").at(0), "Startup Log for Vesk");
  EXPECT_EQ(Lines(dir_.file("Vesk.LOG")).at(0), "Execution Log for Vesk");
  EXPECT_EQ(Lines(dir_.file("Vesk.LOG")).at(2), "Version=1.0.0.1");
  EXPECT_EQ(fs::file_size(dir_.file("Vesk.Cn2")), 3488u);
  EXPECT_EQ(fs::file_size(dir_.file("Vesk.CN1")), 10104u);
  EXPECT_FALSE(fs::exists(dir_.file("korvale.LOG")));
  EXPECT_FALSE(fs::exists(dir_.file("korvale.Cn2")));
}

TEST_F(StartupProgram, RenamedProgramAsksWhenTarnfelRuns) {
  const std::string designer = dir_.file("Tarnfel2001");
  fs::copy_file("/bin/sleep", designer);
  pid_t pid = 0;
  char arg0[] = "Tarnfel2001";
  char arg1[] = "30";
  char* argv[] = {arg0, arg1, nullptr};
  ASSERT_EQ(posix_spawn(&pid, designer.c_str(), nullptr, nullptr, argv, environ), 0);
  usleep(100000);
  const ProgramRun renamed = Start("Vesk");
  const ProgramRun own = Start("korvale");
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(renamed.exitCode, 0) << "start-up continues whatever the answer";
  EXPECT_NE(renamed.errors.find("Tarnfel 2001 is already running. Switch to running program?"),
            std::string::npos)
      << renamed.errors;
  EXPECT_EQ(own.errors.find("Tarnfel 2001 is already running"), std::string::npos);
}

// Two real programs: a viewer running under the design program's name, and
// a start under another name whose user answers "Switch to running program?".
TEST_F(StartupProgram, SwitchingToTheRunningTarnfelBringsItsWindowToTheFront) {
  const std::string running = dir_.file("TarnfelViewer");
  fs::copy_file(korvale_, running);
  // It runs with its event loop and answers its own boxes; both programs use
  // this process's runtime folder.
  setenv("KORVALE_START_COMMANDS", "", 1);
  const std::string tmpdir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  setenv("TMPDIR", tmp_.c_str(), 1);
  char arg0[] = "TarnfelViewer";
  char* argv[] = {arg0, nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, running.c_str(), nullptr, nullptr, argv, environ);
  unsetenv("KORVALE_START_COMMANDS");
  tmpdir.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", tmpdir.c_str(), 1);
  ASSERT_EQ(spawned, 0);
  const std::optional<std::string> socket = platform::WindowSocketPath(pid);
  bool published = false;
  for (int i = 0; i < 600 && socket && !published; ++i) {  // until its window is up
    published = fs::exists(*socket);
    if (!published) usleep(50000);
  }
  const std::string log = dir_.file("TarnfelViewer.LOG");
  const std::string note = "Brought to the front at the request of another program.";
  auto notes = [&] {
    const std::vector<std::string> lines = Lines(log);
    return std::count(lines.begin(), lines.end(), note);
  };
  long afterNo = -1, afterYes = -1;
  if (published) {
    platform::ClearShownBoxes();
    platform::QueueBoxAnswer(platform::BoxAnswer::No);
    CheckSingleInstance("Vesk");
    afterNo = notes();
    platform::QueueBoxAnswer(platform::BoxAnswer::Yes);
    CheckSingleInstance("Vesk");
    afterYes = notes();
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  ASSERT_TRUE(socket) << "no private runtime folder";
  ASSERT_TRUE(published) << "the running viewer published no window";
  ASSERT_EQ(platform::ShownBoxes().size(), 2u);
  EXPECT_EQ(platform::ShownBoxes()[1].text,
            "Tarnfel 2001 is already running.\rSwitch to running program?");
  EXPECT_EQ(afterNo, 0) << "No leaves the running program alone";
  EXPECT_EQ(afterYes, 1) << "Yes brings its window to the front";
  platform::ClearShownBoxes();
}

TEST_F(StartupProgram, ClosingTheMainWindowEndsTheProgramWhileOtherWindowsShow) {
  for (const char* name : {"korvale.hlp", "korvale.INF", "sample.tfl"})
    if (!fs::exists(testfiles::BinDir() + "/" + name)) GTEST_SKIP() << "no " << name << " built";
  fs::copy_file(testfiles::BinDir() + "/korvale.hlp", dir_.file("korvale.hlp"));
  fs::copy_file(testfiles::BinDir() + "/korvale.INF", dir_.file("korvale.INF"));
  const std::string log = dir_.file("Log~TF1.tfl");  // a temporary log
  fs::copy_file(testfiles::BinDir() + "/sample.tfl", log);

  const ProgramRun run = Start("korvale", "C.UTF-8",
                               "KORVALE_START_COMMANDS='help revisions status close'",
                               "'" + log + "'");
  ASSERT_NE(run.exitCode, 124) << "the program still ran a minute after its window closed";
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(run.errors.find("start command"), std::string::npos) << run.errors;
  EXPECT_FALSE(fs::exists(log)) << "the temporary log goes with the window";
}

TEST_F(StartupProgram, UnwritableProgramLogEndsStartup) {
  fs::create_directory(dir_.file("Vesk.LOG"));  // the log's name is taken by a folder
  const ProgramRun run = Start("Vesk");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("Unable to create the Vesk log file."), std::string::npos)
      << run.errors;
  EXPECT_FALSE(fs::exists(dir_.file("Vesk.Cn2"))) << "start-up went on past the program log";
}

TEST_F(StartupProgram, ReadOnlyProgramFolderEndsStartup) {
  fs::copy_file(korvale_, dir_.file("Vesk"));
  const std::string folder = dir_.file("readonly");
  fs::create_directory(folder);
  fs::copy_file(korvale_, folder + "/Vesk");
  chmod(folder.c_str(), 0555);
  const bool writable = access(folder.c_str(), W_OK) == 0;
  ProgramRun run;
  if (!writable) {
    const std::string command = "cd '" + folder + "' && env TMPDIR='" + tmp_ +
                                "' QT_QPA_PLATFORM=offscreen KORVALE_EXIT_AFTER_STARTUP=1 ./Vesk 2> '" +
                                dir_.file("errors.txt") + "'";
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = ReadText(dir_.file("errors.txt"));
  }
  chmod(folder.c_str(), 0755);
  if (writable) GTEST_SKIP() << "this user writes into read-only folders (root)";
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.errors.find("Unable to create the Vesk log file."), std::string::npos);
}
