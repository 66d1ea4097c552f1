#pragma once
// The header record of a compiled log: reading and checking it, the notice a
// refused header gives, and writing an adjusted header block back.
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

// What the user is told about a refused header: the old-version message, or
// error 1033 without context.
Notice RefusalNotice(HeaderCheck check);
