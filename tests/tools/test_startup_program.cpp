// The korvale program's start-up, run as a separate process with
// KORVALE_EXIT_AFTER_STARTUP=1: from a copy of the program folder in a
// scratch folder (so the logs and settings files land there), and from an
// installed tree (prefix/bin, prefix/share/korvale) with the per-user folders
// of one or two users pointed at scratch folders.
#include <QPrinterInfo>

#include <gtest/gtest.h>

#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "TestFiles.h"
#include "platform/MessageBox.h"
#include "windows/Startup.h"
#include "windows/TopWindow.h"
#include "windows/WindowRequests.h"

namespace fs = std::filesystem;

namespace {

struct ProgramRun {
  int exitCode = -1;
  std::string errors;
  std::string output;
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

// What one user's session gives the program: a home folder and, when not
// empty, a private runtime folder.
struct Session {
  std::string home;
  std::string runtime;
};

// Every file and folder below root with its size and time: a run that
// writes nothing there leaves it equal.
std::map<std::string, std::string> TreeState(const std::string& root) {
  std::map<std::string, std::string> state;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    const auto time = fs::last_write_time(e.path()).time_since_epoch().count();
    const auto size = e.is_regular_file() ? e.file_size() : 0;
    state[e.path().string()] = std::to_string(size) + "@" + std::to_string(time);
  }
  return state;
}

// The path a settings record names at offset (a zero-terminated field).
std::string SettingsPath(const std::string& file, std::size_t offset) {
  const std::string bytes = ReadText(file);
  if (bytes.size() < offset) return {};
  return std::string(bytes.c_str() + offset);
}
constexpr std::size_t kPatternFileOffset = 1566;

// A second account on this machine, made for the test when it runs as root
// (useradd) and removed again at the end; none otherwise.
class SecondUser {
 public:
  SecondUser() {
    const std::string name = "korvale-t" + std::to_string(getpid());
    const std::string add = "useradd --system --no-create-home --home-dir /nonexistent "
                            "--shell /usr/sbin/nologin " + name + " >/dev/null 2>&1";
    if (geteuid() != 0 || std::system(add.c_str()) != 0) return;
    name_ = name;
    if (const passwd* account = getpwnam(name.c_str())) {
      uid_ = account->pw_uid;
      gid_ = account->pw_gid;
    }
  }
  ~SecondUser() {
    if (!name_.empty()) std::system(("userdel " + name_ + " >/dev/null 2>&1").c_str());
  }
  bool available() const { return !name_.empty() && uid_ != 0; }
  const std::string& name() const { return name_; }
  uid_t uid() const { return uid_; }
  // A home folder of theirs.
  void Own(const std::string& path) const { (void)chown(path.c_str(), uid_, gid_); }

 private:
  std::string name_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
};

class StartupProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    korvale_ = testfiles::BinDir() + "/korvale";
    if (!fs::exists(korvale_)) GTEST_SKIP() << "build the korvale target first";
    fs::create_directories(tmp_);
    session_ = NewSession("home");
  }
  // A home folder and a private runtime folder below the scratch folder.
  Session NewSession(const std::string& name) {
    Session s{dir_.file(name), dir_.file(name + "-run")};
    fs::create_directories(s.home);
    fs::create_directories(s.runtime);
    chmod(s.runtime.c_str(), 0700);
    return s;
  }
  // Copies the program folder's libraries into folder.
  void CopyLibraries(const std::string& folder) {
    for (const char* name : {"Zelmorth.Pat", "Zelmorth.Sym", "VESK.ERR"}) {
      const std::string to = folder + "/" + name;
      if (!fs::exists(to)) fs::copy_file(testfiles::BinDir() + "/" + name, to);
    }
  }
  // Runs program in its own folder for session s (as user when not empty),
  // by default to end after start-up (`how`: the environment that drives it;
  // `args`: its command line). A program still running after a minute is
  // ended (exit code 124).
  ProgramRun Run(const std::string& program, const Session& s, const std::string& user = {},
                 const std::string& locale = "C.UTF-8", const std::string& args = "",
                 const std::string& how = "KORVALE_EXIT_AFTER_STARTUP=1") {
    const std::string folder = fs::path(program).parent_path().string();
    const std::string command =
        "cd '" + folder + "' && " + (user.empty() ? "" : "runuser -u " + user + " -- ") +
        "env -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u XDG_RUNTIME_DIR HOME='" + s.home +
        "' TMPDIR='" + tmp_ + "' LC_ALL=" + locale + " QT_QPA_PLATFORM=offscreen " +
        (s.runtime.empty() ? "" : "XDG_RUNTIME_DIR='" + s.runtime + "' ") +
        how + " timeout 60 '" + program + "' " + args + " > '" +
        dir_.file("output.txt") + "' 2> '" + dir_.file("errors.txt") + "'";
    ProgramRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.errors = ReadText(dir_.file("errors.txt"));
    run.output = ReadText(dir_.file("output.txt"));
    fs::remove(dir_.file("output.txt"));
    fs::remove(dir_.file("errors.txt"));
    return run;
  }
  // Copies the program as name, with the libraries, into the scratch folder
  // and starts it there with the arguments args (quoted for the shell).
  ProgramRun Start(const std::string& name, const std::string& locale = "C.UTF-8",
                   const std::string& args = "",
                   const std::string& how = "KORVALE_EXIT_AFTER_STARTUP=1") {
    const std::string program = dir_.file(name);
    if (!fs::exists(program)) fs::copy_file(korvale_, program);
    CopyLibraries(dir_.path());
    return Run(program, session_, {}, locale, args, how);
  }
  // An installed tree: prefix/bin/korvale and its files in prefix/share/korvale.
  std::string Install() {
    const std::string prefix = dir_.file("prefix");
    fs::create_directories(prefix + "/bin");
    fs::create_directories(prefix + "/share/korvale");
    fs::copy_file(korvale_, prefix + "/bin/korvale");
    CopyLibraries(prefix + "/share/korvale");
    return prefix;
  }
  // The temporary folder the program log names, checked to be private to uid.
  std::string TempFolderOf(const std::string& programLog, uid_t uid) {
    const std::vector<std::string> log = Lines(programLog);
    const std::string prefix = "Windows\\Temp = ";
    for (const std::string& line : log) {
      if (line.rfind(prefix, 0) != 0) continue;
      const std::string folder = line.substr(prefix.size());
      struct stat st {};  // without the final "/", which would follow a link
      EXPECT_EQ(lstat(folder.substr(0, folder.size() - 1).c_str(), &st), 0) << folder;
      EXPECT_TRUE(S_ISDIR(st.st_mode)) << folder;
      EXPECT_EQ(st.st_uid, uid) << folder;
      EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
      return folder;
    }
    ADD_FAILURE() << "no temporary folder in " << programLog;
    return {};
  }
  testfiles::TempDir dir_;
  std::string tmp_ = dir_.file("tmp");
  std::string korvale_;
  Session session_;
};

}  // namespace

TEST_F(StartupProgram, NormalStartWritesBothLogsAndSettings) {
  const ProgramRun run = Start("korvale");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  const std::string folder = dir_.path() + "/";
  const std::string temp = session_.runtime + "/korvale/";
  EXPECT_EQ(Lines(temp + "startup.log"),
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
  EXPECT_EQ(log[7], "Windows\\Temp = " + temp);
  EXPECT_EQ(log[8], "Creating status window...");
  EXPECT_EQ(log[10], "  Updating hints...");
  EXPECT_TRUE(fs::exists(folder + "korvale.Cn2"));
  EXPECT_TRUE(fs::exists(folder + "korvale.CN1"));
  // The registry value lives in ~/.config/Quelmark/ in every layout.
  EXPECT_FALSE(fs::exists(session_.home + "/.config/korvale")) << "a portable run keeps to its folder";
  EXPECT_FALSE(fs::exists(session_.home + "/.local/state"));
  EXPECT_EQ(run.errors.find("Tarnfel 2001 is already running"), std::string::npos);
  // The fresh settings asked the system's printer list for the page.
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    EXPECT_NE(run.errors.find("korvale: warning: No default printer is selected or available."),
              std::string::npos)
        << run.errors;
  }
}

TEST_F(StartupProgram, RenamedProgramRenamesLogsAndSettings) {
  const ProgramRun run = Start("Vesk", "de_DE.UTF-8");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(Lines(session_.runtime + "/korvale/startup.log").at(0), "Startup Log for Vesk");
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
  for (int i = 0; i < 250 && !platform::FindTopLevelWindow("TTarnfel"); ++i)
    usleep(20000);  // until the new process carries its name
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
  CopyLibraries(dir_.path());  // a program folder: its log lands beside it
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
  const std::string log = dir_.file("~TFlog1.tfl");  // a temporary log
  fs::copy_file(testfiles::BinDir() + "/sample.tfl", log);

  const ProgramRun run = Start("korvale", "C.UTF-8", "'" + log + "'",
                               "KORVALE_START_COMMANDS='help revisions status close'");
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

// Two users, one after the other, on one machine, with an installed program:
// each start writes its settings and program log into that user's folders
// and its start-up log into that user's private temporary folder (inside the
// session's runtime folder, or made in the shared temporary folder when there
// is none). Nothing under the prefix changes, and a link planted at the
// start-up log's old fixed name in the shared temporary folder is left alone.
TEST_F(StartupProgram, InstalledProgramKeepsEachUsersFilesApart) {
  const std::string prefix = Install();
  // A link at the start-up log's old fixed name, to a file that must stay.
  testfiles::WriteAll(dir_.file("victim"), {'k', 'e', 'e', 'p'});
  fs::create_symlink(dir_.file("victim"), tmp_ + "/startup.log");
  const Session first = NewSession("first");
  Session second = NewSession("second");
  second.runtime.clear();  // no session runtime folder
  const auto before = TreeState(prefix);
  for (const Session& s : {first, second}) {
    SCOPED_TRACE(s.home);
    const ProgramRun run = Run(prefix + "/bin/korvale", s);
    ASSERT_EQ(run.exitCode, 0) << run.errors;
    const std::string programLog = s.home + "/.local/state/korvale/korvale.LOG";
    EXPECT_EQ(Lines(programLog).at(0), "Execution Log for korvale");
    const std::string temp = TempFolderOf(programLog, geteuid());
    if (!s.runtime.empty()) EXPECT_EQ(temp, s.runtime + "/korvale/");
    else EXPECT_EQ(temp.rfind(tmp_ + "/korvale-", 0), 0u) << temp;
    EXPECT_EQ(Lines(temp + "startup.log").at(0), "Startup Log for korvale");
    EXPECT_EQ(fs::file_size(s.home + "/.config/korvale/korvale.CN1"), 10104u);
    EXPECT_EQ(SettingsPath(s.home + "/.config/korvale/korvale.Cn2", kPatternFileOffset),
              prefix + "/share/korvale/Zelmorth.Pat");
    struct stat st {};
    ASSERT_EQ(stat((s.home + "/.config/korvale").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
  }
  EXPECT_EQ(TreeState(prefix), before);
  EXPECT_TRUE(fs::is_symlink(tmp_ + "/startup.log"));
  EXPECT_EQ(ReadText(dir_.file("victim")), "keep");
}

// The XDG rules make a relative folder variable invalid: every part of the
// program ignores it alike (the settings files, the program log, the
// viewer's own settings with the recent logs, the window socket), and
// nothing lands below the working folder.
TEST_F(StartupProgram, RelativeXdgFoldersAreIgnoredEverywhere) {
  if (!fs::exists(testfiles::BinDir() + "/sample.tfl")) GTEST_SKIP() << "no sample.tfl built";
  const std::string prefix = Install();
  const std::string log = dir_.file("well.tfl");
  fs::copy_file(testfiles::BinDir() + "/sample.tfl", log);
  const auto before = TreeState(prefix);
  const ProgramRun run =
      Run(prefix + "/bin/korvale", session_, {}, "C.UTF-8", "'" + log + "'",
          "XDG_CONFIG_HOME=config XDG_STATE_HOME=state XDG_CACHE_HOME=cache XDG_DATA_HOME=data "
          "XDG_RUNTIME_DIR=run KORVALE_START_COMMANDS=close");
  ASSERT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(TreeState(prefix), before) << "files landed below the working folder";
  const std::string home = session_.home;
  EXPECT_TRUE(fs::exists(home + "/.config/korvale/korvale.Cn2"));
  EXPECT_TRUE(fs::exists(home + "/.local/state/korvale/korvale.LOG"));
  EXPECT_NE(ReadText(home + "/.config/Quelmark/Tarnfel 2001.conf").find(log), std::string::npos)
      << "the recent logs are not in the user's settings";
}

// Root, then a second real user, start the program from one program folder,
// without a session runtime folder: each gets a start-up log of its own in
// the shared temporary folder (root's does not stand in the other's way). The
// folder is a program folder for root; the other user may not write into it,
// so their files go to their own folders while its libraries still serve.
TEST_F(StartupProgram, SecondRealUserStartsAfterRoot) {
  SecondUser other;
  if (!other.available()) GTEST_SKIP() << "a second user needs root and useradd";
  const std::string folder = dir_.file("program");
  fs::create_directory(folder);
  fs::copy_file(korvale_, folder + "/korvale");
  CopyLibraries(folder);
  chmod(dir_.path().c_str(), 0755);
  chmod(tmp_.c_str(), 01777);
  Session mine = NewSession("root"), theirs = NewSession("other");
  mine.runtime.clear();
  theirs.runtime.clear();
  other.Own(theirs.home);
  const ProgramRun first = Run(folder + "/korvale", mine);
  const auto before = TreeState(folder);
  const ProgramRun second = Run(folder + "/korvale", theirs, other.name());
  ASSERT_EQ(first.exitCode, 0) << first.errors;
  ASSERT_EQ(second.exitCode, 0) << second.errors;
  EXPECT_EQ(TreeState(folder), before);
  const std::string theirLog = theirs.home + "/.local/state/korvale/korvale.LOG";
  const std::string rootTemp = TempFolderOf(folder + "/korvale.LOG", 0);
  const std::string otherTemp = TempFolderOf(theirLog, other.uid());
  EXPECT_NE(rootTemp, otherTemp);
  EXPECT_EQ(Lines(rootTemp + "startup.log").at(0), "Startup Log for korvale");
  EXPECT_EQ(Lines(otherTemp + "startup.log").at(0), "Startup Log for korvale");
  EXPECT_EQ(SettingsPath(theirs.home + "/.config/korvale/korvale.Cn2", kPatternFileOffset),
            folder + "/Zelmorth.Pat");
}

TEST_F(StartupProgram, HelpVersionAndUnknownOptionsAnswerBeforeStartup) {
  const ProgramRun help = Start("korvale", "C.UTF-8", "--help");
  EXPECT_EQ(help.exitCode, 0) << help.errors;
  EXPECT_EQ(help.output.rfind("usage: korvale", 0), 0u) << help.output;

  const ProgramRun version = Start("korvale", "C.UTF-8", "--version");
  EXPECT_EQ(version.exitCode, 0) << version.errors;
  const std::string stored = testfiles::StoredVersion(korvale_);
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(version.output, "korvale " + stored + "\n") << "the version the About box shows";

  const ProgramRun unknown = Start("korvale", "C.UTF-8", "--bogus sample.tfl");
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.errors.find("unknown option --bogus"), std::string::npos) << unknown.errors;
  EXPECT_NE(unknown.errors.find("usage: korvale"), std::string::npos) << unknown.errors;
  EXPECT_EQ(Start("korvale", "C.UTF-8", "one.tfl two.tfl").exitCode, 2);

  // None of them started the program: no logs, no settings files anywhere.
  for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name != "startup.log" && entry.path().extension() != ".LOG" &&
                entry.path().extension() != ".Cn2" && entry.path().extension() != ".CN1")
        << entry.path();
  }

  // Qt's own options still reach Qt, and a start with them goes through.
  const ProgramRun qt = Start("korvale", "C.UTF-8", "-platform offscreen -style=fusion");
  EXPECT_EQ(qt.exitCode, 0) << qt.errors;
  EXPECT_TRUE(fs::exists(dir_.file("korvale.LOG")));
}
