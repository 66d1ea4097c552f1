#include "core/SymbolLibrary.h"

#include "core/FileError.h"
#include "core/PlotCookie.h"
#include "support/ErrorTable.h"

SymbolLibrary::SymbolLibrary(const std::string& path, PlotCookie& cookie) : path_(path) {
  if (!LibraryFileExists(path)) {
    cookie.notice({Notice::Error, 1035, "File Name = " + path});
    return;
  }
  file_.open(path, kRecordSize);
}

void SymbolLibrary::read(int32_t n, PlotCookie& cookie) {
  if (!InNumberRange(n)) return;
  if (!file_.is_open())
    throw FileError(FileError::kNotOpen, "Symbol library not found: " + path_);
  if (n < record_count()) {
    file_.copy_record(n, &current_);
    return;
  }
  if (reported_.insert(n).second)
    cookie.notice({Notice::Error, 1037, "Symbol = " + FormatThousands(n)});
}
