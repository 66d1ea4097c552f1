#include "ErrorTableSource.h"

#include <cctype>
#include <map>
#include <sstream>

namespace libgen {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// "#1034 Title" -> 1034; 0 when the line is not an entry header.
int HeaderNumber(const std::string& line) {
  if (line.size() < 3 || line[0] != '#' || !std::isdigit(static_cast<unsigned char>(line[1])))
    return 0;
  size_t i = 1;
  long value = 0;
  while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i]))) {
    value = value * 10 + (line[i] - '0');
    if (value > 2147483647L) return 0;
    ++i;
  }
  if (i >= line.size() || line[i] != ' ' || line[1] == '0') return 0;
  return static_cast<int>(value);
}

size_t MessageLength(const ErrorEntry& e) {
  size_t n = e.title.size() + 1;
  for (const std::string& b : e.body) n += 1 + b.size();
  return n;
}

}  // namespace

std::vector<ErrorEntry> CheckErrorTable(const std::string& text, const std::string& origin) {
  auto fail = [&](size_t index, const std::string& what) {
    throw SourceError(origin + ":" + std::to_string(index + 1) + ": " + what);
  };
  const auto lines = Lines(text);
  std::vector<ErrorEntry> entries;
  std::map<int, size_t> headerLine;

  for (size_t i = 0; i < lines.size(); ++i) {
    for (unsigned char c : lines[i])
      if (c < 32 || c > 126) fail(i, "only printable ASCII characters belong in the table");
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    int number = HeaderNumber(lines[i]);
    if (number == 0) continue;
    if (headerLine.count(number)) fail(i, "entry #" + std::to_string(number) + " appears twice");
    headerLine[number] = i;
    ErrorEntry e;
    e.number = number;
    e.title = lines[i].substr(lines[i].find(' ') + 1);
    if (e.title.find_first_not_of(' ') == std::string::npos) fail(i, "entry has no title");
    size_t j = i + 1;
    for (; j < lines.size() && (lines[j].empty() || lines[j][0] != '='); ++j) {
      if (HeaderNumber(lines[j]) != 0) fail(j, "entry header inside the body of the one above");
      e.body.push_back(lines[j]);
    }
    if (j == lines.size()) fail(i, "entry has no terminator line starting with '='");
    if (MessageLength(e) > kMaxEntryMessage)
      fail(i, "message of " + std::to_string(MessageLength(e)) + " characters leaves no room " +
                  "for the context (at most " + std::to_string(kMaxEntryMessage) + ")");
    entries.push_back(std::move(e));
    i = j;
  }
  // The program takes the first line containing the key, wherever it is.
  for (const auto& [number, at] : headerLine) {
    std::string key = "#" + std::to_string(number) + " ";
    for (size_t i = 0; i < at; ++i)
      if (lines[i].find(key) != std::string::npos)
        fail(i, "line mentions '" + key + "' before that entry, so the program would stop here");
  }
  if (entries.empty()) fail(0, "the table holds no entries");
  return entries;
}

std::vector<std::uint8_t> ErrorTableBytes(const std::string& text) {
  std::vector<std::uint8_t> out;
  for (const std::string& line : Lines(text)) {
    out.insert(out.end(), line.begin(), line.end());
    out.push_back('\r');
    out.push_back('\n');
  }
  return out;
}

}  // namespace libgen
