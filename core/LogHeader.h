#pragma once
// The header record of a compiled log: reading and checking it, the notice a
// refused header gives, and writing an adjusted header block back (the one
// place that writes into a compiled log).
#include <string>

#include "core/PlotCookie.h"
#include "core/TflFormat.h"

class file_object;

enum class HeaderCheck {
  Ok,
  OldVersion,       // version 9: written by an older log-design program
  NotACompiledLog,  // any other version word
};

// Reads the header record from the start of `file` (opened for reading):
// version word, length word and the 105-byte block, whose excess beyond 105
// bytes is skipped. Ok: `header` holds the block. A refusal closes the file
// and leaves `header` unchanged. A record cut short by the end of the file
// throws FileError (100) with the file closed.
HeaderCheck ReadLogHeader(file_object& file, tfl::Header& header);

// The same for the log at `path`, opened for this and closed again. Throws
// FileError when it cannot be opened or its header record is cut short.
HeaderCheck ReadLogHeader(const std::string& path, tfl::Header& header);

// What the user is told about a refused header: the old-version message, or
// error 1033 without context.
Notice RefusalNotice(HeaderCheck check);

// Writing an adjusted page size back: the 105-byte header block at byte
// offset 4 (after the header record's opcode and length words) is replaced
// and nothing else in the file is touched.
constexpr long kHeaderBlockOffset = 4;

struct HeaderRewriteResult {
  enum Status {
    Ok,
    OpenFailed,   // the file cannot be opened for writing (read-only, gone)
    WriteFailed,  // opened, but the block could not be written; file unchanged
  };
  Status status = Ok;
  std::string message;  // the system's reason when status is not Ok
};

// Replaces bytes 4..108 of the file with header. The file is opened for
// update without truncation; a file shorter than a whole header record is
// refused (WriteFailed) rather than extended. When the write fails part-way
// the original bytes are put back, so a failure leaves the file as it was.
HeaderRewriteResult RewriteHeaderBlock(const std::string& path, const tfl::Header& header);
