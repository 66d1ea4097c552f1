#pragma once
// Private folders of the running user inside folders that other users share
// (the system's temporary folder) or that the session provides
// (XDG_RUNTIME_DIR). A private folder is a real directory, not a symbolic
// link, owned by the running user, with mode 0700: the user may use it and
// nobody else may read, write or enter it. Nothing here follows a link: a name
// that someone else holds, or that is a link, is left alone and avoided.
#include <string>

namespace platform {

// Whether path (looked at with lstat) is a private folder of the running user.
bool IsPrivateDirectory(const std::string& path);

// A private folder of the running user in parent: parent/name when it is
// created now (mode 0700) or already is a private folder of ours; when the
// name is taken by anything else (a file, a link, a folder of another user or
// with a wider mode), a fresh folder parent/name-XXXXXX (mkdtemp). Returns
// the folder without a trailing "/", or "" when none can be made.
std::string MakePrivateDirectory(const std::string& parent, const std::string& name);

}  // namespace platform
