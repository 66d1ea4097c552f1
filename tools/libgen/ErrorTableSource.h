#pragma once
// Checks the error table source (data/VESK.ERR.txt) and turns it into the
// table file the program reads: 8-bit text with CR LF line ends.
//
// The program finds entry N by the first line that contains "#N " anywhere,
// takes the text after that line's first blank as the title, and the lines
// up to one starting with "=" as the body. So besides the layout, the check
// makes sure no earlier line (a comment or another entry's body) mentions
// "#N " first, and that each message leaves room for the caller's context.
#include <cstdint>
#include <string>
#include <vector>

#include "RecordSource.h"

namespace libgen {

// Longest message (title, colon and body) we allow, so that the 1000
// characters the program shows still hold a context line of 300.
inline constexpr size_t kMaxEntryMessage = 700;

struct ErrorEntry {
  int number = 0;
  std::string title;
  std::vector<std::string> body;
};

// Throws SourceError naming origin:line for any problem.
std::vector<ErrorEntry> CheckErrorTable(const std::string& text, const std::string& origin);

// The same text with every line ended by CR LF.
std::vector<std::uint8_t> ErrorTableBytes(const std::string& text);

}  // namespace libgen
