#pragma once
// Writing an adjusted page size back into a compiled log: the 105-byte header
// block at byte offset 4 (after the header record's opcode and length words)
// is replaced and nothing else in the file is touched.
#include <string>

#include "core/TflFormat.h"

namespace viewer {

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

}  // namespace viewer
