#pragma once
// Whole-file writes that never leave a short file behind: the bytes go to a
// new file in the same folder, are flushed to the disk, and the new file is
// renamed over the old one. A full disk, a failed write or a crash leaves the
// old file as it was (at worst a stray "<name>.<pid>-<n>.part" beside it).
#include <cstddef>
#include <string>

namespace platform {

// Writes size bytes at data as the new content of path. A path that is a
// symbolic link has its target replaced (the link stays); an existing file
// keeps its permission bits, a new one gets 0666 less the umask. Returns 0,
// or the errno of the failing step (nothing is changed then).
int ReplaceFileContents(const std::string& path, const void* data, std::size_t size);

}  // namespace platform
