#pragma once
// The user's base folders as the XDG base-directory rules give them. A
// variable that holds a relative path is invalid and ignored, as if it were
// not set; so is a relative HOME (the account's home folder stands in).
//
// Qt decides some of these folders itself (QSettings' user files,
// QStandardPaths) and takes a relative value as it is, below the working
// folder. The programs call DropRelativeXdgFolders before anything asks Qt,
// so that every part of the program lands in the same folders.
#include <string>

namespace platform {

// $HOME when it is an absolute path, else the account's home folder.
std::string HomeFolder();

// The folder the variable names when it holds an absolute path (ending in
// "/"), else HomeFolder() + "/" + defaultBelowHome.
std::string XdgFolder(const char* variable, const char* defaultBelowHome);

// Unsets XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_STATE_HOME, XDG_CACHE_HOME and
// XDG_RUNTIME_DIR where they hold a relative path, and takes the relative
// entries out of XDG_CONFIG_DIRS and XDG_DATA_DIRS (unset when none is left).
void DropRelativeXdgFolders();

}  // namespace platform
