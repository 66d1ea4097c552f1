#include "core/PatternLibrary.h"

#include "core/FileError.h"
#include "support/ErrorTable.h"

PatternLibrary::PatternLibrary(const std::string& path) : path_(path) {
  if (!LibraryFileExists(path)) {
    ShowErrorMessage(1034, "File Name = " + path);
    return;
  }
  file_.open(path, kRecordSize);
}

void PatternLibrary::read(int32_t n) {
  // The missing file was reported when the library was opened; drawing with
  // it ends here, saying which file it was.
  if (!file_.is_open())
    throw FileError(FileError::kNotOpen, "Pattern library not found: " + path_);
  // A negative number is passed on to the file, which refuses it: the plot
  // ends with that failure, as a bad positioning would end it.
  if (n < record_count()) {
    file_.copy_record(n, &current_);
    return;
  }
  if (reported_.insert(n).second) ShowErrorMessage(1037, "Pattern = " + FormatThousands(n));
}
