#include "windows/Startup.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/SystemInfo.h"
#include "platform/VersionInfo.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "windows/HintSettings.h"
#include "windows/StatusWin.h"
#include "windows/TopWindow.h"

namespace {

// The Windows directory query fills a buffer of this many characters.
constexpr std::size_t kSystemDirectoryBuffer = 144;

// Set by SetApplicationTitle; until then the title is the executable's name.
std::string g_applicationTitle;

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string Printf(const char* format, int code, const std::string& name) {
  std::vector<char> buffer(96 + name.size());
  std::snprintf(buffer.data(), buffer.size(), format, code, name.c_str());
  return buffer.data();
}

}  // namespace

void FixNumberFormats() {
  // C++ streams format with the classic locale. Making it global also sets
  // every C category to "C", so the user's other categories (month names,
  // character types) are put back afterwards, all but the numeric one.
  const char* current = std::setlocale(LC_ALL, nullptr);
  const std::string userCategories = current ? current : "C";
  std::locale::global(std::locale::classic());
  std::setlocale(LC_ALL, userCategories.c_str());
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
}

bool IsOwnProgramName(const std::string& fileName) { return Lower(fileName) == kOwnProgramName; }

void CheckSingleInstance(const std::string& exeFileName) {
  if (IsOwnProgramName(exeFileName)) return;
  const std::optional<platform::TopLevelWindow> designer = platform::FindTopLevelWindow("TTarnfel");
  if (!designer) return;
  const platform::BoxAnswer answer = platform::ShowMessageBox(
      platform::BoxKind::Confirmation,
      "Tarnfel 2001 is already running.\rSwitch to running program?",
      platform::BoxButtons::YesNo);
  if (answer != platform::BoxAnswer::No) platform::RestoreTopLevelWindow(*designer);
}

bool RunStartupSequence(const std::string& exePath) {
  // Paths follow the executable even before the program log exists, so the
  // start-up log is named after the right program.
  if (!exePath.empty()) SetProgramPath(exePath);
  if (!OpenStartupLog()) return false;

  // The window manager gives every top-level window its title bar and
  // border; there is no hidden application window whose style needs them.
  WriteLog("Setting Window Style");

  WriteLog("Determine Program Directory");
  if (exePath.empty())
    SetProgramPaths();
  else
    SetProgramPath(exePath);
  WriteLog("Program Directory = " + ProgramDirectory());
  WriteLog("Create ZU2001.LOG - End of Start Log");

  if (!OpenProgramLog()) return false;
  WriteLog(ApplicationTitle());
  int major = 0, minor = 0, release = 0, build = 0;
  std::string version;
  GetFileVersion(ProgramPath(), major, minor, release, build, version);
  WriteLog("Version=" + version);
  WriteLog(WindowsVersionText());
  WriteLog("Windows Directory = " + WindowsDirectoryText());
  WriteLog("Program Directory = " + ProgramDirectory());
  WriteLog("User Directory = " + UserDirectory());
  WriteLog("Windows\\Temp = " + TempDirectory());

  LoadGeneralSettings();
  LoadSystemSettings();
  CreateStatusWindow();
  WriteLog("  Hiding Status window...");
  HideStatus();
  WriteLog("  Updating hints...");
  ApplyHintSettings();
  return true;
}

void SetApplicationTitle() {
  // Not Qt's application display name: the window system would add it to the
  // title bar of every window ("About — Quelmark Korvale"), where each window
  // shows only its own caption.
  g_applicationTitle = kApplicationTitle;
  platform::SetDefaultBoxCaption(g_applicationTitle);
}

std::string ApplicationTitle() {
  if (!g_applicationTitle.empty()) return g_applicationTitle;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return QCoreApplication::applicationName().toStdString();
  // Without an application object the title is the executable's name.
  return FileBaseName(ProgramPath());
}

void GetFileVersion(const std::string& fileName, int& major, int& minor, int& release, int& build,
                    std::string& versionText) {
  major = minor = release = build = 0;
  versionText.clear();
  std::error_code ec;
  if (fileName.empty() || !std::filesystem::exists(fileName, ec)) return;

  int lastError = 0;
  const uint32_t size = platform::GetFileVersionInfoSize(fileName, lastError);
  if (size == 0) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             Printf("WIN ERROR %d: failure getting version size for %s.",
                                    lastError, fileName));
    return;
  }
  std::vector<unsigned char> block;
  if (!platform::GetFileVersionInfo(fileName, size, block, lastError)) {
    platform::ShowMessageBox(platform::BoxKind::Error,
                             Printf("WIN ERROR %d: failure getting version info for %s.",
                                    lastError, fileName));
    return;
  }
  platform::FixedFileVersion fixed;
  if (!platform::QueryFixedFileVersion(block, fixed)) return;
  major = fixed.major;
  minor = fixed.minor;
  release = fixed.release;
  build = fixed.build;
  versionText = std::to_string(major) + "." + std::to_string(minor) + "." +
                std::to_string(release) + "." + std::to_string(build);
}

std::string WindowsVersionTextFor(const platform::PlatformVersion& version) {
  std::string name = "Windows ";
  if (version.family == platform::kPlatformWindows95) {
    const bool is98 = version.major > 4 || (version.major == 4 && version.minor > 0);
    name += is98 ? "98" : "95";
  } else if (version.family == platform::kPlatformWindowsNT) {
    name += version.major > 4 ? "2000" : "NT";
  } else {
    // Not Windows: the system's own name where it gives one.
    name = version.name.empty() ? "Unknown" : version.name;
  }
  return name + ": " + std::to_string(version.family) + "." + std::to_string(version.major) +
         "." + std::to_string(version.minor);
}

std::string WindowsVersionText() { return WindowsVersionTextFor(platform::GetPlatformVersion()); }

std::string WindowsDirectoryText() {
  std::string directory = platform::GetSystemDirectory();
  if (directory.size() >= kSystemDirectoryBuffer) directory.resize(kSystemDirectoryBuffer - 1);
  return directory + "/";
}

bool ExitAfterStartupRequested() {
  const char* value = std::getenv("KORVALE_EXIT_AFTER_STARTUP");
  return value && *value && std::string(value) != "0";
}

std::optional<std::vector<std::string>> StartCommandsRequested() {
  const char* value = std::getenv("KORVALE_START_COMMANDS");
  if (!value) return std::nullopt;
  std::vector<std::string> commands;
  std::string word;
  for (const char* c = value;; ++c) {
    if (*c && *c != ' ' && *c != ',') {
      word += *c;
      continue;
    }
    if (!word.empty()) commands.push_back(word);
    word.clear();
    if (!*c) break;
  }
  return commands;
}
