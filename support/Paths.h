#pragma once
// Process-wide paths and the two plain-text logs.
//
// Directories always end with "/". Where they lead depends on how the program
// is laid out:
//
//   portable   the executable's folder holds the pattern library
//              "Zelmorth.Pat" and the user may write into it (the build's bin/
//              folder, or a copied program folder): the program, data, user
//              and state directories are all that folder.
//   installed  anything else (/usr/bin, /usr/local/bin, ~/.local/bin): the
//              read-only program files (libraries, error table, revisions,
//              help, demo log) come from <exe folder>/../share/korvale/ (or
//              from the executable's folder when it holds the libraries); the
//              settings files go to $XDG_CONFIG_HOME/korvale/ (default
//              ~/.config/korvale/) and the program log to
//              $XDG_STATE_HOME/korvale/ (default ~/.local/state/korvale/).
//              These two folders are created (mode 0700) when a file is first
//              written there. A relative XDG variable is ignored
//              (platform/XdgFolders.h).
//
// In both layouts TempDirectory is a private folder of the user (PrivateDir.h):
// $XDG_RUNTIME_DIR/korvale/ when the session provides a private runtime
// folder, else korvale-<uid> (or a fresh korvale-<uid>-XXXXXX when that name is
// taken by anything but a private folder of ours) in the system's temporary
// folder. The start-up log and every temporary file live there. When no
// private folder can be made TempDirectory is empty: the start-up log is
// then refused and no temporary picture is written.
//
// Until SetProgramPaths or SetProgramPath runs, the paths follow the running
// executable and its layout.
//
// Logs: WriteLog appends one line (CR LF) to the current log, opening and
// closing the file for every line so that the log is complete on disk even if
// the program is killed. The current log is the start-up log (temporary
// directory + "startup.log") after OpenStartupLog and the program log (state
// directory + base name + ".LOG") after OpenProgramLog. Before either was
// opened (command-line tools, tests) WriteLog writes nothing.
#include <string>

// The executable's own name, compared ignoring case; any other name means
// that the program was copied or renamed and runs beside the design program.
// The viewer's settings files are named after it.
inline constexpr const char* kOwnProgramName = "korvale";

enum class ProgramLayout { Portable, Installed };

// The executable's folder.
const std::string& ProgramDirectory();
// The folder of the settings files (and of the user's own keyword file).
const std::string& UserDirectory();
// The folder of the read-only program files.
const std::string& DataDirectory();
// The folder of the program log.
const std::string& StateDirectory();
const std::string& ProgramBaseName();
const std::string& TempDirectory();
ProgramLayout CurrentProgramLayout();

// The layout an executable at exePath runs in (see above).
ProgramLayout DetectProgramLayout(const std::string& exePath);

// Fixes the paths from the running executable, in the layout it runs in.
void SetProgramPaths();
// Fixes the paths as if the executable were exePath, in the given layout
// (tests, tools). The installed layout reads HOME and the XDG variables now.
void SetProgramPath(const std::string& exePath, ProgramLayout layout = ProgramLayout::Portable);
// The executable path the paths are derived from.
const std::string& ProgramPath();
// DataDirectory() + ProgramBaseName() + extension: the program's own
// read-only files (".hlp" help, ".INF" revisions).
std::string ProgramFilePath(const std::string& extension);
// Replaces the private temporary folder ("" restores the user's own).
void SetTempDirectoryOverride(const std::string& dir);

// Creates the user or state directory with its missing parents (mode 0700)
// in the installed layout; nothing in the portable one, whose folders are the
// program folder. 0, or the errno of the failure.
int MakeUserDirectory();
int MakeStateDirectory();

// Creates the start-up log with its first line and makes it the current log.
// On failure shows the "Unable to create the initial start up log" error box
// and returns false: the caller ends the program at once.
bool OpenStartupLog();
// Creates the program log with its first line and makes it the current log.
// On failure shows the "Unable to create the ... log file." error box and
// returns false: the caller ends the program at once.
bool OpenProgramLog();
// Appends text and a line end to the current log. Throws InOutError when the
// log cannot be written.
void WriteLog(const std::string& text);
// The file WriteLog appends to ("" before any log was opened).
const std::string& LogFileName();
// Forgets the current log (tests).
void CloseLogForTests();

// "name" from "/dir/name.ext"; the extension is the part from the last ".".
std::string FileBaseName(const std::string& path);
