#pragma once
// Where a picture file named in a log is read from. Logs are written on
// Windows and name their pictures relative to the log, or with a Windows
// path; the program does not depend on the folder it was started from.
#include <string>

namespace platform {

// The path to read for the picture `name` of a log in `logFolder`:
//   1. `\` is read as `/`;
//   2. a relative name is tried in the log's folder, then in the working
//      directory; a name with a root (or a drive letter) as it stands;
//   3. then the name's last part alone in the log's folder.
// At each step an exact match is taken first; when there is none, a file
// whose name differs only in case (folders are matched exactly). When
// nothing matches, the name with `/` separators is returned, so that the
// reader reports the name the log gives. An empty logFolder skips the steps
// in the log's folder.
std::string FindPictureFile(const std::string& name, const std::string& logFolder);

}  // namespace platform
