#pragma once
// Version information of program files.
//
// A Korvale executable carries its version in an ELF section named
// ".note.korvale" (see VersionStamp.h): an ELF note whose owner is "Korvale"
// and whose descriptor holds four little-endian 16-bit numbers, major, minor,
// release and build. The functions below read that section back from the
// file on disk, in the three steps that programs use for version resources:
// the size of the block, the block itself, and the fixed version numbers.
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct FixedFileVersion {
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t release = 0;
  uint16_t build = 0;
};

// Error codes (errno values) left by the functions below when they fail.
//  - the file cannot be opened or read: the errno of the failing call;
//  - the file is no 64-bit little-endian ELF file or its tables are damaged:
//    ENOEXEC;
//  - the file has no version section: ENODATA.

// The size in bytes of the file's version block; 0 when it has none, with
// the reason in lastError.
uint32_t GetFileVersionInfoSize(const std::string& path, int& lastError);
// Reads the version block (at most size bytes) into block. False with the
// reason in lastError when it cannot be read.
bool GetFileVersionInfo(const std::string& path, uint32_t size, std::vector<unsigned char>& block,
                        int& lastError);
// The version numbers of a block read by GetFileVersionInfo; false when the
// block is no version note.
bool QueryFixedFileVersion(const std::vector<unsigned char>& block, FixedFileVersion& version);

// The bytes of a version note as the build stores them (tests, tools).
std::vector<unsigned char> MakeVersionNote(const FixedFileVersion& version);

}  // namespace platform
