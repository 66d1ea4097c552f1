#pragma once
// The start-up sequence of the korvale program, in pieces that can run (and
// be tested) without the event loop. main() calls, in this order:
//
//   FixNumberFormats();            after the QApplication exists
//   CheckSingleInstance(exe name);
//   ReadDesignerVisible();         (Settings.h)
//   RunStartupSequence();          false: end the program, no window
//   SetApplicationTitle();
//   ... create the main window, run the event loop.
//
// KORVALE_EXIT_AFTER_STARTUP=1 in the environment makes the program answer
// every message box with its "change nothing" answer (printed on stderr) and
// end right after the main window is created, without showing it. The exit
// code is 0 after a complete start-up and 1 when start-up stopped. Scripts and
// tests use it to look at the logs and settings files a start writes.
#include <optional>
#include <string>
#include <vector>

#include "support/Paths.h"  // kOwnProgramName

namespace platform {
struct PlatformVersion;
}

// The program's title: the caption of message boxes that bring none of their
// own. Windows show their own captions only.
inline constexpr const char* kApplicationTitle = "Quelmark Korvale";

// Numbers are written and read with "." as decimal separator and "," as
// thousands separator whatever the user's regional settings: the C library's
// LC_NUMERIC (which QApplication sets from the environment), the C++ global
// locale and Qt's default QLocale all get the C conventions. Month and day
// names keep following the user (QLocale::system()).
void FixNumberFormats();

// Whether fileName (without directory) is the program's own name.
bool IsOwnProgramName(const std::string& fileName);

// Under any other name, looks for a running design program and offers to
// switch to it ("Tarnfel 2001 is already running.\rSwitch to running
// program?"). Start-up continues whatever the answer.
void CheckSingleInstance(const std::string& exeFileName);

// Steps of the start-up sequence from the start-up log to the hint settings.
// exePath "" means the running executable. False when a log could not be
// created (the box was shown): the program ends without a window. Failures
// writing the settings files travel up as InOutError.
bool RunStartupSequence(const std::string& exePath = {});

// Sets the application's title to kApplicationTitle.
void SetApplicationTitle();
// The application's current title (the executable's name until
// SetApplicationTitle runs).
std::string ApplicationTitle();

// The version stored in fileName. All numbers 0 and text "" when the file is
// missing or carries no version; a file without version information also
// shows "WIN ERROR <code>: failure getting version size for <file>.".
void GetFileVersion(const std::string& fileName, int& major, int& minor, int& release,
                    int& build, std::string& versionText);

// "Windows 98: 1.4.10"-style text of the running system: "<name>: <family>.
// <major>.<minor>". On Linux the name is the kernel's ("Linux: 3.6.1").
std::string WindowsVersionText();
std::string WindowsVersionTextFor(const platform::PlatformVersion& version);
// The system directory with a trailing separator ("/etc/" on Linux).
std::string WindowsDirectoryText();

// Whether KORVALE_EXIT_AFTER_STARTUP asks for a start without event loop.
bool ExitAfterStartupRequested();

// KORVALE_START_COMMANDS="help revisions close" answers every message box as
// KORVALE_EXIT_AFTER_STARTUP does and, once the event loop runs, carries out
// these commands of the main window in order: "help" (the Help button),
// "revisions" (the About box's revision notes in a text viewer), "status"
// (the status window left showing, as after a failure) and "close" (the
// window's close box). An empty value runs none and leaves the program
// running. Tests use it to drive the real program. Nothing when unset;
// words are separated by blanks or commas.
std::optional<std::vector<std::string>> StartCommandsRequested();
