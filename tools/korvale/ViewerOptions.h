#pragma once
// The command line of the korvale program, read before anything starts (no
// window, no logs): --help, --version, and the log to open.
//
//   korvale [--help | --version] [LOG.tfl]
//
// Qt's own options (-platform NAME, -style NAME, -display DISPLAY, -reverse
// ...) are left for QApplication, which takes them off the command line.
#include <string>
#include <vector>

struct ViewerOptions {
  enum class Action { Run, Help, Version, UsageError };
  Action action = Action::Run;
  std::string log;    // empty: the window starts empty
  std::string error;  // the reason of a usage error
};

// Reads the arguments after the program name.
ViewerOptions ParseViewerOptions(const std::vector<std::string>& args);

extern const char* const kViewerUsage;
