#include "support/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/MessageBox.h"
#include "platform/PrivateDir.h"
#include "platform/XdgFolders.h"
#include "support/IoError.h"

namespace {

constexpr const char* kPatternLibraryName = "Zelmorth.Pat";

struct ProgramPaths {
  std::string exePath;
  std::string directory;
  std::string dataDirectory;
  std::string userDirectory;
  std::string stateDirectory;
  std::string baseName;
  ProgramLayout layout = ProgramLayout::Portable;
};

ProgramPaths g_paths;
bool g_pathsSet = false;
std::string g_tempOverride;
std::string g_tempDirectory;
std::string g_logFile;

std::string RunningExecutable() {
  if (QCoreApplication::instance()) {
    QString path = QCoreApplication::applicationFilePath();
    if (!path.isEmpty()) return path.toStdString();
  }
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("./korvale") : exe.string();
}

// The executable's folder: the path cut after its last "/". A bare file name
// (no folder at all) means the current folder.
std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "./";
  return path.substr(0, slash + 1);
}

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

const ProgramPaths& Paths() {
  if (!g_pathsSet) SetProgramPaths();
  return g_paths;
}

bool HoldsPatternLibrary(const std::string& dir) {
  struct stat st {};
  return ::stat((dir + kPatternLibraryName).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Creates dir and its missing parents with mode 0700. 0 or the errno.
int MakeDirectories(const std::string& dir) {
  std::string path;
  std::size_t from = 0;
  while (from <= dir.size()) {
    std::size_t slash = dir.find('/', from);
    if (slash == std::string::npos) slash = dir.size();
    path = dir.substr(0, slash);
    from = slash + 1;
    if (path.empty()) continue;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return errno ? errno : ENOENT;
  return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

std::string SystemTempDirectory() {
  std::string dir = QDir::tempPath().toStdString();
  if (dir.empty()) dir = "/tmp";
  return WithSlash(dir);
}

// The name the private temporary folder has in the system's temporary folder.
std::string SharedTempName() { return "korvale-" + std::to_string(::getuid()); }

// The user's private temporary folder (see Paths.h); empty when none can be
// made. Never a folder that is not private: a fixed name there could be
// another user's file or link.
std::string PrivateTempDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/' && platform::IsPrivateDirectory(runtime)) {
    const std::string dir = platform::MakePrivateDirectory(runtime, "korvale");
    if (!dir.empty()) return WithSlash(dir);
  }
  const std::string dir = platform::MakePrivateDirectory(SystemTempDirectory(), SharedTempName());
  return dir.empty() ? std::string() : WithSlash(dir);
}

// Creates (empties) path and writes its first line; the errno on failure. A
// link at path is not followed.
int CreateLog(const std::string& path, const std::string& firstLine) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return errno ? errno : EIO;
  std::FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    const int code = errno ? errno : EIO;
    ::close(fd);
    return code;
  }
  std::string line = firstLine + "\r\n";
  bool ok = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  int code = ok ? 0 : (errno ? errno : EIO);
  if (std::fclose(file) != 0 && ok) code = errno ? errno : EIO;
  return code;
}

}  // namespace

std::string FileBaseName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

ProgramLayout DetectProgramLayout(const std::string& exePath) {
  const std::string dir = DirectoryOf(exePath);
  const bool portable = HoldsPatternLibrary(dir) && ::access(dir.c_str(), W_OK) == 0;
  return portable ? ProgramLayout::Portable : ProgramLayout::Installed;
}

void SetProgramPaths() {
  const std::string exe = RunningExecutable();
  SetProgramPath(exe, DetectProgramLayout(exe));
}

void SetProgramPath(const std::string& exePath, ProgramLayout layout) {
  ProgramPaths paths;
  paths.exePath = exePath;
  paths.directory = DirectoryOf(exePath);
  paths.baseName = FileBaseName(exePath);
  paths.layout = layout;
  if (layout == ProgramLayout::Portable) {
    paths.dataDirectory = paths.userDirectory = paths.stateDirectory = paths.directory;
  } else {
    // A read-only program folder that holds the libraries keeps serving them.
    paths.dataDirectory =
        HoldsPatternLibrary(paths.directory)
            ? paths.directory
            : WithSlash((std::filesystem::path(paths.directory) / ".." / "share" / "korvale")
                            .lexically_normal()
                            .string());
    paths.userDirectory = platform::XdgFolder("XDG_CONFIG_HOME", ".config/") + "korvale/";
    paths.stateDirectory = platform::XdgFolder("XDG_STATE_HOME", ".local/state/") + "korvale/";
  }
  g_paths = std::move(paths);
  g_pathsSet = true;
}

const std::string& ProgramPath() { return Paths().exePath; }
const std::string& ProgramDirectory() { return Paths().directory; }
const std::string& UserDirectory() { return Paths().userDirectory; }
const std::string& DataDirectory() { return Paths().dataDirectory; }
const std::string& StateDirectory() { return Paths().stateDirectory; }
const std::string& ProgramBaseName() { return Paths().baseName; }
ProgramLayout CurrentProgramLayout() { return Paths().layout; }

std::string ProgramFilePath(const std::string& extension) {
  return DataDirectory() + ProgramBaseName() + extension;
}

int MakeUserDirectory() {
  return CurrentProgramLayout() == ProgramLayout::Installed ? MakeDirectories(UserDirectory()) : 0;
}

int MakeStateDirectory() {
  return CurrentProgramLayout() == ProgramLayout::Installed ? MakeDirectories(StateDirectory())
                                                            : 0;
}

void SetTempDirectoryOverride(const std::string& dir) {
  g_tempOverride = dir;
  if (!g_tempOverride.empty() && g_tempOverride.back() != '/') g_tempOverride += '/';
  g_tempDirectory.clear();
}

const std::string& TempDirectory() {
  if (!g_tempOverride.empty()) return g_tempOverride;
  if (g_tempDirectory.empty()) g_tempDirectory = PrivateTempDirectory();
  return g_tempDirectory;
}

bool OpenStartupLog() {
  g_tempDirectory.clear();  // asks the system afresh
  const std::string& dir = TempDirectory();
  // Without a private folder the message names the one that could not be made.
  const std::string path = (dir.empty() ? SystemTempDirectory() + SharedTempName() + "/" : dir) +
                           "startup.log";
  const int code = dir.empty() ? EACCES
                               : CreateLog(path, "Startup Log for " + FileBaseName(Paths().exePath));
  if (code != 0) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             "IO Error " + std::to_string(code) + "\r\r" +
                                 "Unable to create the initial start up log: " + path);
    return false;
  }
  g_logFile = path;
  return true;
}

bool OpenProgramLog() {
  std::string path = StateDirectory() + ProgramBaseName() + ".LOG";
  int code = MakeStateDirectory();
  if (code == 0) code = CreateLog(path, "Execution Log for " + ProgramBaseName());
  if (code != 0) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             "IO Error " + std::to_string(code) + "\r\r" + "Unable to create the " +
                                 ProgramBaseName() + " log file.");
    return false;
  }
  g_logFile = path;
  return true;
}

namespace {

// Opens path for appending: a link planted at it is not followed, and
// anything but a regular file (a FIFO would block the caller) is refused.
// The descriptor, or -1 with errno set.
int OpenLogForAppend(const std::string& path) {
  const int fd = ::open(path.c_str(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int code = S_ISREG(st.st_mode) ? errno : EINVAL;
    ::close(fd);
    errno = code;
    return -1;
  }
  return fd;
}

}  // namespace

void WriteLog(const std::string& text) {
  if (g_logFile.empty()) return;
  const int fd = OpenLogForAppend(g_logFile);
  std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "ab");
  if (!file) {
    int code = errno ? errno : EIO;
    if (fd >= 0) ::close(fd);
    throw InOutError(code, DescribeIoFailure("Cannot open log", g_logFile, code));
  }
  std::string line = text + "\r\n";
  bool ok = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  int code = ok ? 0 : (errno ? errno : EIO);
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    code = errno ? errno : EIO;
  }
  if (!ok) throw InOutError(code, DescribeIoFailure("Cannot write log", g_logFile, code));
}

const std::string& LogFileName() { return g_logFile; }

void CloseLogForTests() { g_logFile.clear(); }
