#pragma once
// Whether a compiled log ends where a record ends: a log that another program
// is still writing usually ends inside one. The walk follows the records the
// way the interpreter reads them (opcode word, length word, the fixed payload
// of a known opcode or `length` bytes of an unknown one, the data block or
// text after records 26, 103 and 206, the point and vector groups after the
// group records) but only looks at the bytes that frame them.
#include <cstdint>
#include <span>
#include <string>

namespace tfl {

struct Framing {
  enum Status {
    Complete,      // the last record ends with the file
    EndsInRecord,  // the file ends inside a record, its data block or an open group
    NotFramed,     // not a current compiled log, or a count no appended bytes can
                   // satisfy; (opening the file says why)
  } status = Complete;
  // Where the last whole record ends (0 before the header record is whole).
  uint64_t boundary = 0;
};

// The framing of the bytes of a whole file.
Framing CheckFraming(std::span<const uint8_t> bytes);

// The same for the file at path; a file that cannot be read is NotFramed.
Framing CheckFileFraming(const std::string& path);

}  // namespace tfl
