#include "support/Paths.h"

#include <QCoreApplication>
#include <QDir>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/MessageBox.h"
#include "support/IoError.h"

namespace {

struct ProgramPaths {
  std::string exePath;
  std::string directory;
  std::string baseName;
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

const ProgramPaths& Paths() {
  if (!g_pathsSet) SetProgramPath(RunningExecutable());
  return g_paths;
}

std::string SystemTempDirectory() {
  std::string dir = QDir::tempPath().toStdString();
  if (dir.empty()) dir = "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}

// Creates (empties) path and writes its first line; the errno on failure.
int CreateLog(const std::string& path, const std::string& firstLine) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return errno ? errno : EIO;
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

void SetProgramPaths() { SetProgramPath(RunningExecutable()); }

void SetProgramPath(const std::string& exePath) {
  g_paths.exePath = exePath;
  g_paths.directory = DirectoryOf(exePath);
  g_paths.baseName = FileBaseName(exePath);
  g_pathsSet = true;
}

const std::string& ProgramPath() { return Paths().exePath; }
const std::string& ProgramDirectory() { return Paths().directory; }
const std::string& UserDirectory() { return Paths().directory; }
const std::string& ProgramBaseName() { return Paths().baseName; }

void SetTempDirectoryOverride(const std::string& dir) {
  g_tempOverride = dir;
  if (!g_tempOverride.empty() && g_tempOverride.back() != '/') g_tempOverride += '/';
  g_tempDirectory.clear();
}

const std::string& TempDirectory() {
  if (!g_tempOverride.empty()) return g_tempOverride;
  if (g_tempDirectory.empty()) g_tempDirectory = SystemTempDirectory();
  return g_tempDirectory;
}

bool OpenStartupLog() {
  g_tempDirectory.clear();  // asks the system afresh
  std::string path = TempDirectory() + "startup.log";
  int code = CreateLog(path, "Startup Log for " + FileBaseName(Paths().exePath));
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
  std::string path = UserDirectory() + ProgramBaseName() + ".LOG";
  int code = CreateLog(path, "Execution Log for " + ProgramBaseName());
  if (code != 0) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             "IO Error " + std::to_string(code) + "\r\r" + "Unable to create the " +
                                 ProgramBaseName() + " log file.");
    return false;
  }
  g_logFile = path;
  return true;
}

void WriteLog(const std::string& text) {
  if (g_logFile.empty()) return;
  std::FILE* file = std::fopen(g_logFile.c_str(), "ab");
  if (!file) {
    int code = errno ? errno : EIO;
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
