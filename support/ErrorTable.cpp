#include "support/ErrorTable.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Cursor.h"
#include "platform/MessageBox.h"
#include "support/IoError.h"
#include "support/Paths.h"

namespace {

// Reads the table one line at a time; CR LF and bare LF both end a line.
class TableReader {
 public:
  explicit TableReader(const std::string& path) : path_(path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) Fail(errno);
  }
  ~TableReader() {
    if (file_) std::fclose(file_);
    std::free(buffer_);
  }
  TableReader(const TableReader&) = delete;
  TableReader& operator=(const TableReader&) = delete;

  // False at the end of the file; throws when the file cannot be read.
  bool Next(std::string& line) {
    errno = 0;
    ssize_t length = ::getline(&buffer_, &capacity_, file_);
    if (length < 0) {
      if (std::ferror(file_)) Fail(errno);
      return false;
    }
    line.assign(buffer_, static_cast<std::size_t>(length));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }

 private:
  [[noreturn]] void Fail(int code) {
    if (code == 0) code = EIO;
    throw InOutError(code, DescribeIoFailure("Cannot read error table", path_, code));
  }

  std::string path_;
  std::FILE* file_ = nullptr;
  char* buffer_ = nullptr;
  std::size_t capacity_ = 0;
};

// Appends the entry for key: title + ":" + body lines, up to the "="
// terminator or the end of the file. False when no line holds the key.
bool ReadEntry(TableReader& table, const std::string& key, std::string& text) {
  std::string line;
  while (table.Next(line)) {
    if (line.find(key) == std::string::npos) continue;
    text += line.substr(line.find(' ') + 1) + ":";
    while (text.size() <= kMaxErrorMessageLength && table.Next(line)) {
      if (!line.empty() && line[0] == '=') break;
      text += " " + line;
    }
    return true;
  }
  return false;
}

std::string MissingTableText(const std::string& tablePath, const std::string& context) {
  return "Normally, this screen is used to display an extended error description with"
         " suggestions about how to solve the associated problem.  Unfortunately, the"
         " file that contains these error messages cannot be properly accessed."
         " The error message file (" +
         tablePath +
         ") is either;"
         " (1) not installed,"
         " (2) not installed within the same subdirectory as the program, or"
         " (3) currently being edited/examined by another user on your network." +
         context;
}

}  // namespace

std::string FormatThousands(int32_t n) {
  std::string digits = std::to_string(n);
  if (n < 0) return digits;
  for (long at = static_cast<long>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), ",");
  }
  return digits;
}

std::string ErrorTablePath() { return DataDirectory() + "VESK.ERR"; }

std::string ComposeErrorMessage(int32_t number, const std::string& context,
                                const std::string& tablePath) {
  if (number < 1) return {};
  std::string text;
  std::error_code ec;
  if (std::filesystem::exists(tablePath, ec)) {
    TableReader table(tablePath);
    if (ReadEntry(table, "#" + std::to_string(number) + " ", text)) {
      text += "  " + context;
    } else {
      text += "Error # " + FormatThousands(number) +
              " not defined within error table file (VESK.ERR). Please contact Quelmark.";
    }
  } else {
    text = MissingTableText(tablePath, context);
  }
  if (text.size() > kMaxErrorMessageLength) text.resize(kMaxErrorMessageLength);
  return text;
}

std::string ComposeErrorMessage(int32_t number, const std::string& context) {
  return ComposeErrorMessage(number, context, ErrorTablePath());
}

void ShowErrorMessage(int32_t number, const std::string& context) {
  platform::RestoreDefaultCursor();
  if (number < 1) return;
  std::string text = ComposeErrorMessage(number, context);
  platform::ShowMessageBox(platform::BoxKind::Plain, text, platform::BoxButtons::Ok, "Error");
}
