#include "core/PatternLibrary.h"

#include "core/FileError.h"
#include "core/PlotCookie.h"
#include "support/ErrorTable.h"

PatternLibrary::PatternLibrary(const std::string& path, PlotCookie& cookie) : path_(path) {
  if (!LibraryFileExists(path)) {
    cookie.notice({Notice::Error, 1034, "File Name = " + path});
    return;
  }
  file_.open(path, kRecordSize);
}

void PatternLibrary::read(int32_t n, PlotCookie& cookie) {
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
  if (reported_.insert(n).second)
    cookie.notice({Notice::Error, 1037, "Pattern = " + FormatThousands(n)});
}
