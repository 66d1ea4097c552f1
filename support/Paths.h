#pragma once
// Process-wide paths and the two plain-text logs.
//
// Directories always end with "/". The program directory is the folder of the
// executable; the user directory is the same folder. Until SetProgramPaths or
// SetProgramPath runs, the paths follow the running executable.
//
// Logs: WriteLog appends one line (CR LF) to the current log, opening and
// closing the file for every line so that the log is complete on disk even if
// the program is killed. The current log is the start-up log (temporary
// directory + "startup.log") after OpenStartupLog and the program log (user
// directory + base name + ".LOG") after OpenProgramLog. Before either was
// opened (command-line tools, tests) WriteLog writes nothing.
#include <string>

const std::string& ProgramDirectory();
const std::string& UserDirectory();
const std::string& ProgramBaseName();
const std::string& TempDirectory();

// Fixes the paths from the running executable.
void SetProgramPaths();
// Fixes the paths as if the executable were exePath (tests, tools).
void SetProgramPath(const std::string& exePath);
// The executable path the paths are derived from.
const std::string& ProgramPath();
// Replaces the system's temporary directory ("" restores the system's).
void SetTempDirectoryOverride(const std::string& dir);

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
