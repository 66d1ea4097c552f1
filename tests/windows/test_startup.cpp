// Start-up pieces: number formats, platform texts, the single-instance
// question, file versions and the logged start-up sequence.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocale>
#include <QString>
#include <QWidget>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestFiles.h"
#include "platform/MessageBox.h"
#include "platform/SystemInfo.h"
#include "platform/VersionInfo.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "windows/Startup.h"
#include "windows/StatusWin.h"
#include "windows/TopWindow.h"
#include "windows/WindowRequests.h"
#include "test_startup_util.h"

namespace fs = std::filesystem;
using platform::BoxAnswer;

namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(file, line)) {
    EXPECT_FALSE(line.empty() || line.back() != '\r') << "no CR LF in " << path;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Format(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

}  // namespace

// --- Number formats ---------------------------------------------------------

TEST(StartupNumbers, DecimalPointWhateverTheUserLocale) {
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 not installed";
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  ASSERT_EQ(Format(2.5), "2,50") << "the German locale should use a decimal comma";

  FixNumberFormats();

  EXPECT_EQ(Format(2.5), "2.50");
  EXPECT_DOUBLE_EQ(std::strtod("1.25", nullptr), 1.25);
  std::ostringstream stream;
  stream << 1234.5;
  EXPECT_EQ(stream.str(), "1234.5");
  EXPECT_EQ(QLocale().decimalPoint(), QString("."));
  EXPECT_EQ(QLocale().groupSeparator(), QString(","));
  bool ok = false;
  EXPECT_DOUBLE_EQ(QLocale().toDouble("3.75", &ok), 3.75);
  EXPECT_TRUE(ok);
  // Month names still follow the user.
  EXPECT_EQ(std::string(std::setlocale(LC_TIME, nullptr)).rfind("de_DE", 0), 0u);

  std::setlocale(LC_ALL, "C");
  std::locale::global(std::locale::classic());
  QLocale::setDefault(QLocale::c());
}

// --- Platform texts ----------------------------------------------------------

TEST(StartupPlatformText, WindowsFamiliesAndVersions) {
  using platform::PlatformVersion;
  EXPECT_EQ(WindowsVersionTextFor(PlatformVersion{2, 5, 0, ""}), "Windows 2000: 2.5.0");
  EXPECT_EQ(WindowsVersionTextFor(PlatformVersion{2, 4, 0, ""}), "Windows NT: 2.4.0");
  EXPECT_EQ(WindowsVersionTextFor(PlatformVersion{1, 4, 10, ""}), "Windows 98: 1.4.10");
  EXPECT_EQ(WindowsVersionTextFor(PlatformVersion{1, 4, 0, ""}), "Windows 95: 1.4.0");
  EXPECT_EQ(WindowsVersionTextFor(PlatformVersion{1, 3, 95, ""}), "Windows 95: 1.3.95");
  EXPECT_EQ(WindowsVersionTextFor(PlatformVersion{1, 5, 0, ""}), "Windows 98: 1.5.0");
  EXPECT_EQ(WindowsVersionTextFor(PlatformVersion{0, 3, 1, ""}), "Unknown: 0.3.1");
  EXPECT_EQ(WindowsVersionTextFor(PlatformVersion{3, 6, 1, "Linux"}), "Linux: 3.6.1");
}

TEST(StartupPlatformText, RunningSystemFromUname) {
  const platform::PlatformVersion version = platform::GetPlatformVersion();
  EXPECT_EQ(version.family, platform::kPlatformLinux);
  EXPECT_EQ(version.name, "Linux");
  std::ifstream release("/proc/sys/kernel/osrelease");
  std::string kernel;
  if (release >> kernel) {
    EXPECT_EQ(kernel.rfind(std::to_string(version.major) + "." + std::to_string(version.minor) +
                               ".", 0),
              0u)
        << kernel;
  }
  EXPECT_EQ(WindowsVersionText(), WindowsVersionTextFor(version));
  const std::string directory = WindowsDirectoryText();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.back(), '/');
  EXPECT_TRUE(fs::is_directory(directory));
}

// --- Single instance ------------------------------------------------------------

namespace {
int g_finderCalls = 0;
std::optional<platform::TopLevelWindow> DesignerRunning(const std::string& className) {
  ++g_finderCalls;
  if (className != "TTarnfel") return std::nullopt;
  return platform::TopLevelWindow{4242, "Tarnfel2001"};
}
std::optional<platform::TopLevelWindow> NothingRunning(const std::string&) {
  ++g_finderCalls;
  return std::nullopt;
}
}  // namespace

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearShownBoxes();
    g_finderCalls = 0;
  }
  void TearDown() override { platform::SetTopLevelWindowFinderForTests(nullptr); }
};

TEST_F(SingleInstance, OwnNameIgnoringCaseAsksNothing) {
  platform::SetTopLevelWindowFinderForTests(DesignerRunning);
  EXPECT_TRUE(IsOwnProgramName("korvale"));
  EXPECT_TRUE(IsOwnProgramName("KorVale"));
  EXPECT_FALSE(IsOwnProgramName("korvale2"));
  EXPECT_FALSE(IsOwnProgramName("Vesk"));
  CheckSingleInstance("KORVALE");
  EXPECT_EQ(g_finderCalls, 0);
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(SingleInstance, OtherNameAsksWhenTheDesignerRuns) {
  platform::SetTopLevelWindowFinderForTests(DesignerRunning);
  platform::QueueBoxAnswer(BoxAnswer::No);
  CheckSingleInstance("Vesk");
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  const platform::ShownBox& box = platform::ShownBoxes()[0];
  EXPECT_EQ(box.text, "Tarnfel 2001 is already running.\rSwitch to running program?");
  EXPECT_EQ(box.kind, platform::BoxKind::Confirmation);
  EXPECT_EQ(box.buttons, platform::BoxButtons::YesNo);
}

TEST_F(SingleInstance, OtherNameWithoutDesignerAsksNothing) {
  platform::SetTopLevelWindowFinderForTests(NothingRunning);
  CheckSingleInstance("Vesk");
  EXPECT_EQ(g_finderCalls, 1);
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST(TopLevelWindowLookup, FindsARunningTarnfelProcessByName) {
  testfiles::TempDir dir;
  const std::string fake = dir.file("Tarnfel2001");
  fs::copy_file("/bin/sleep", fake);
  EXPECT_FALSE(platform::FindTopLevelWindow("TTarnfel") &&
               platform::FindTopLevelWindow("TTarnfel")->processName == "Tarnfel2001")
      << "a Tarnfel2001 process runs already";

  pid_t pid = 0;
  char arg0[] = "Tarnfel2001";
  char arg1[] = "30";
  char* argv[] = {arg0, arg1, nullptr};
  ASSERT_EQ(posix_spawn(&pid, fake.c_str(), nullptr, nullptr, argv, environ), 0);
  std::optional<platform::TopLevelWindow> found;
  for (int i = 0; i < 50 && !found; ++i) {  // until the new process has its name
    found = platform::FindTopLevelWindow("TTarnfel");
    if (!found) usleep(20000);
  }
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->processId, pid);
  EXPECT_FALSE(platform::FindTopLevelWindow("TNoSuchProgramHere"));
}

// A request for a window brings it back from the task bar, keeps it
// maximised; and nobody gets to answer through a socket that is not the user's.
TEST(WindowRequests, FrontWindowIsRestoredAndAForeignSocketIsRefused) {
  QWidget window;
  window.showMaximized();
  window.showMinimized();
  platform::BringWindowToFront(&window);
  EXPECT_FALSE(window.isMinimized());
  EXPECT_TRUE(window.isMaximized());
  EXPECT_TRUE(window.isVisible());

  if (geteuid() != 0) GTEST_SKIP() << "giving a socket to another user needs root";
  const long pid = 2147480000;  // no process has this number
  const std::optional<std::string> path = platform::WindowSocketPath(pid);
  ASSERT_TRUE(path);
  QLocalServer squatter;
  QLocalServer::removeServer(QString::fromStdString(*path));
  ASSERT_TRUE(squatter.listen(QString::fromStdString(*path)));
  ASSERT_EQ(chown(path->c_str(), 65534, 65534), 0);  // as if "nobody" had put it there
  EXPECT_FALSE(platform::RequestWindowToFront(pid));
  QCoreApplication::processEvents();
  EXPECT_FALSE(squatter.hasPendingConnections()) << "the request went to a foreign socket";
}

// --- File versions -------------------------------------------------------------

class FileVersion : public ::testing::Test {
 protected:
  void SetUp() override { platform::ClearShownBoxes(); }
  testfiles::TempDir dir_;
  int major_ = -1, minor_ = -1, release_ = -1, build_ = -1;
  std::string text_ = "stale";
  void Read(const std::string& path) { GetFileVersion(path, major_, minor_, release_, build_, text_); }
};

TEST_F(FileVersion, ReadsTheNoteOfAnExecutable) {
  const std::string program = startuptest::StampedProgram(dir_, "stamped", {3, 14, 2, 345});
  if (program.empty()) GTEST_SKIP() << "objcopy unavailable";
  Read(program);
  EXPECT_EQ(major_, 3);
  EXPECT_EQ(minor_, 14);
  EXPECT_EQ(release_, 2);
  EXPECT_EQ(build_, 345);
  EXPECT_EQ(text_, "3.14.2.345");
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(FileVersion, FullSixteenBitNumbers) {
  const std::string program = startuptest::StampedProgram(dir_, "big", {65535, 0, 1, 65534});
  if (program.empty()) GTEST_SKIP() << "objcopy unavailable";
  Read(program);
  EXPECT_EQ(text_, "65535.0.1.65534");
}

TEST_F(FileVersion, TheBuiltProgramCarriesTheProjectVersion) {
  const std::string korvale = testfiles::BinDir() + "/korvale";
  if (!fs::exists(korvale)) GTEST_SKIP() << "korvale not built";
  Read(korvale);
  EXPECT_EQ(text_, "1.0.0.1");
  EXPECT_EQ(build_, 1);
}

TEST_F(FileVersion, FileWithoutVersionShowsTheWinErrorBox) {
  const std::string plain = dir_.file("plain.txt");
  testfiles::WriteAll(plain, {'h', 'e', 'l', 'l', 'o'});
  Read(plain);
  EXPECT_EQ(major_ + minor_ + release_ + build_, 0);
  EXPECT_EQ(text_, "");
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_EQ(platform::ShownBoxes()[0].kind, platform::BoxKind::Error);
  EXPECT_EQ(platform::ShownBoxes()[0].text,
            "WIN ERROR " + std::to_string(ENOEXEC) + ": failure getting version size for " +
                plain + ".");

  platform::ClearShownBoxes();
  Read("/bin/true");  // an ELF program without our note
  EXPECT_EQ(text_, "");
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_NE(platform::ShownBoxes()[0].text.find("WIN ERROR " + std::to_string(ENODATA) + ":"),
            std::string::npos);
}

TEST_F(FileVersion, MissingOrUnnamedFileIsSilent) {
  Read(dir_.file("absent"));
  EXPECT_EQ(text_, "");
  EXPECT_EQ(build_, 0);
  Read("");
  EXPECT_EQ(text_, "");
  EXPECT_TRUE(platform::ShownBoxes().empty());
}

TEST_F(FileVersion, DamagedSectionTablesAreRefused) {
  const std::string program = startuptest::StampedProgram(dir_, "damaged", {1, 2, 3, 4});
  if (program.empty()) GTEST_SKIP() << "objcopy unavailable";
  std::vector<unsigned char> bytes = testfiles::ReadAll(program);
  ASSERT_GT(bytes.size(), 64u);
  int error = 0;
  // Section table far beyond the end of the file.
  std::vector<unsigned char> farTable = bytes;
  for (int i = 0; i < 8; ++i) farTable[0x28 + i] = 0x7f;
  testfiles::WriteAll(dir_.file("far"), farTable);
  EXPECT_EQ(platform::GetFileVersionInfoSize(dir_.file("far"), error), 0u);
  EXPECT_EQ(error, ENOEXEC);
  // Cut in the middle of the section table.
  std::vector<unsigned char> cut(bytes.begin(), bytes.end() - 40);
  testfiles::WriteAll(dir_.file("cut"), cut);
  EXPECT_EQ(platform::GetFileVersionInfoSize(dir_.file("cut"), error), 0u);
  // Only the ELF header.
  std::vector<unsigned char> head(bytes.begin(), bytes.begin() + 64);
  testfiles::WriteAll(dir_.file("head"), head);
  EXPECT_EQ(platform::GetFileVersionInfoSize(dir_.file("head"), error), 0u);
  // A note with another owner is no version.
  std::vector<unsigned char> note = platform::MakeVersionNote({1, 2, 3, 4});
  note[12] = 'X';
  platform::FixedFileVersion version;
  EXPECT_FALSE(platform::QueryFixedFileVersion(note, version));
  note.resize(20);
  EXPECT_FALSE(platform::QueryFixedFileVersion(note, version));
}

// --- The start-up sequence --------------------------------------------------------

class StartupSequence : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ClearShownBoxes();
    ResetStatusForTests();
    CloseLogForTests();
    fs::create_directory(temp_);
    SetTempDirectoryOverride(temp_);
  }
  void TearDown() override {
    CloseLogForTests();
    ResetStatusForTests();
    SetTempDirectoryOverride("");
  }
  testfiles::TempDir dir_;
  std::string temp_ = dir_.file("tmp");
  std::string folder_ = dir_.path() + "/";
};

TEST_F(StartupSequence, StartupLogAndProgramLogHoldTheSequence) {
  const std::string program = dir_.file("Vesk");
  fs::copy_file("/proc/self/exe", program);  // a program without version note
  const std::string title = ApplicationTitle();

  ASSERT_TRUE(RunStartupSequence(program));

  EXPECT_EQ(Lines(temp_ + "/startup.log"),
            (std::vector<std::string>{"Startup Log for Vesk", "Setting Window Style",
                                      "Determine Program Directory",
                                      "Program Directory = " + folder_,
                                      "Create ZU2001.LOG - End of Start Log"}));
  const std::vector<std::string> expected = {
      "Execution Log for Vesk",
      title,
      "Version=",
      WindowsVersionText(),
      "Windows Directory = " + WindowsDirectoryText(),
      "Program Directory = " + folder_,
      "User Directory = " + folder_,
      "Windows\\Temp = " + temp_ + "/",
      "Creating status window...",
      "  Hiding Status window...",
      "  Updating hints..."};
  std::vector<std::string> log = Lines(folder_ + "Vesk.LOG");
  ASSERT_GE(log.size(), expected.size());
  log.resize(expected.size());
  EXPECT_EQ(log, expected);

  // Settings follow the program's name; the version box told of the missing note.
  EXPECT_EQ(fs::file_size(folder_ + "Vesk.Cn2"), sizeof(TSystemSettings));
  EXPECT_EQ(fs::file_size(folder_ + "Vesk.CN1"), sizeof(TGeneralSettings));
  EXPECT_EQ(ProgramBaseName(), "Vesk");
  EXPECT_FALSE(StatusVisible());
  bool versionBox = false;
  for (const platform::ShownBox& box : platform::ShownBoxes())
    versionBox |= box.text.find("failure getting version size for " + program) != std::string::npos;
  EXPECT_TRUE(versionBox);
}

TEST_F(StartupSequence, UnwritableProgramLogStopsBeforeSettings) {
  fs::create_directory(folder_ + "Vesk.LOG");  // nothing can create the log file here
  EXPECT_FALSE(RunStartupSequence(folder_ + "Vesk"));
  ASSERT_FALSE(platform::ShownBoxes().empty());
  const std::string& text = platform::ShownBoxes().back().text;
  EXPECT_EQ(text.rfind("IO Error ", 0), 0u) << text;
  EXPECT_NE(text.find("\r\rUnable to create the Vesk log file."), std::string::npos) << text;
  EXPECT_FALSE(fs::exists(folder_ + "Vesk.Cn2"));
  EXPECT_EQ(StatusForm, nullptr);
  EXPECT_EQ(Lines(temp_ + "/startup.log").size(), 5u);
}

TEST_F(StartupSequence, MissingTemporaryFolderStopsAtTheStartupLog) {
  SetTempDirectoryOverride(dir_.file("no-such-folder"));
  EXPECT_FALSE(RunStartupSequence(folder_ + "Vesk"));
  ASSERT_EQ(platform::ShownBoxes().size(), 1u);
  EXPECT_NE(platform::ShownBoxes()[0].text.find("Unable to create the initial start up log: " +
                                                dir_.file("no-such-folder") + "/startup.log"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(folder_ + "Vesk.LOG"));
}
