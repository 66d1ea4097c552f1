#include "core/PatternLibrary.h"

#include "support/ErrorTable.h"

PatternLibrary::PatternLibrary(const std::string& path) : path_(path) {
  if (!LibraryFileExists(path)) {
    ShowErrorMessage(1034, "File Name = " + path);
    return;
  }
  file_.open(path, kRecordSize);
}

void PatternLibrary::read(int32_t n) {
  // A negative number is passed on to the file, which refuses it: the plot
  // ends with that failure, as a bad positioning would end it.
  if (n < record_count()) {
    file_.copy_record(n, &current_);
    return;
  }
  ShowErrorMessage(1037, "Pattern = " + FormatThousands(n));
}
