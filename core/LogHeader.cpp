#include "core/LogHeader.h"

#include "core/file_object.h"

namespace {

constexpr const char* kOldVersionMessage =
    "Tarnfel 2001 can't read TFL files created by older versions of Tarnfel.\r\r"
    "Please recompile your log in Tarnfel 2001";

// The header block is never read beyond its 105 bytes; longer header records
// have their excess skipped.
constexpr uint16_t kHeaderBlockSize = sizeof(tfl::Header);

}  // namespace

HeaderCheck ReadLogHeader(file_object& file, tfl::Header& header) {
  uint16_t version = 0, length = 0;
  try {
    version = static_cast<uint16_t>(file.read_int());
    length = static_cast<uint16_t>(file.read_int());
    if (version == tfl::kCurrentVersion) {
      // Read whole before it replaces the header: a cut block changes nothing.
      tfl::Header block;
      file.read_bytes(&block, kHeaderBlockSize);
      if (length > kHeaderBlockSize) file.skip_bytes(static_cast<uint16_t>(length - kHeaderBlockSize));
      header = block;
      return HeaderCheck::Ok;
    }
  } catch (...) {
    // A file too short to hold its header record is refused like any other
    // header that fails the check: closed.
    file.close();
    throw;
  }
  file.close();
  return version == tfl::kOldVersion ? HeaderCheck::OldVersion : HeaderCheck::NotACompiledLog;
}

Notice RefusalNotice(HeaderCheck check) {
  if (check == HeaderCheck::OldVersion) return {Notice::Error, 0, kOldVersionMessage};
  return {Notice::Error, 1033, ""};
}
