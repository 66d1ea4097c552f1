#pragma once
// Stores a program's version in its executable, where GetFileVersionInfo*
// (VersionInfo.h) finds it: an ELF note in the section ".note.korvale".
//
// Use once in the program's main source file:
//   KORVALE_VERSION_STAMP(1, 0, 0, 1)
// The numbers normally come from CMake's project(VERSION ...).
#include <cstdint>

namespace platform {

struct VersionNoteImage {
  uint32_t nameSize;         // 8: "Korvale" and its zero
  uint32_t descriptorSize;   // 8: four 16-bit numbers
  uint32_t type;             // 1
  char name[8];              // "Korvale"
  uint16_t numbers[4];       // major, minor, release, build
};
static_assert(sizeof(VersionNoteImage) == 28);

}  // namespace platform

#define KORVALE_VERSION_STAMP(major, minor, release, build)                     \
  [[gnu::used, gnu::section(".note.korvale"), gnu::aligned(4)]]                 \
  static const platform::VersionNoteImage korvale_version_note = {              \
      8, 8, 1, {'K', 'o', 'r', 'v', 'a', 'l', 'e', '\0'}, {major, minor, release, build}};
