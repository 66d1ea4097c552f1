#include "platform/VersionInfo.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace platform {
namespace {

constexpr char kSectionName[] = ".note.korvale";
constexpr char kNoteOwner[8] = {'K', 'o', 'r', 'v', 'a', 'l', 'e', '\0'};
constexpr uint32_t kNoteHeaderSize = 12;
constexpr uint32_t kNoteSize = kNoteHeaderSize + 8 + 8;
// A version block is a few dozen bytes; anything much larger is not ours.
constexpr uint64_t kMaxBlockSize = 4096;
// Section name tables of real programs are a few kilobytes.
constexpr uint64_t kMaxNameTableSize = 1 << 20;
constexpr uint64_t kMaxSections = 65535;

uint16_t Get16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Get64(const unsigned char* p) {
  return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

struct Section {
  uint64_t offset = 0;
  uint64_t size = 0;
};

// Reads size bytes at offset; false when the file is shorter.
bool ReadAt(std::ifstream& file, uint64_t offset, uint64_t size, std::vector<unsigned char>& out) {
  out.resize(size);
  file.clear();
  file.seekg(static_cast<std::streamoff>(offset));
  if (!file) return false;
  file.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size));
  return static_cast<uint64_t>(file.gcount()) == size;
}

// Finds the version section; every offset and size is checked against the
// file's length before anything is allocated or read.
bool FindVersionSection(const std::string& path, Section& found, int& lastError) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    lastError = errno ? errno : ENOENT;
    return false;
  }
  file.seekg(0, std::ios::end);
  const auto end = file.tellg();
  if (end < 0) {
    lastError = EIO;
    return false;
  }
  const uint64_t fileSize = static_cast<uint64_t>(end);

  std::vector<unsigned char> header;
  lastError = ENOEXEC;
  if (fileSize < 64 || !ReadAt(file, 0, 64, header)) return false;
  if (std::memcmp(header.data(), "\x7f" "ELF", 4) != 0 || header[4] != 2 || header[5] != 1)
    return false;
  const uint64_t tableOffset = Get64(&header[0x28]);
  const uint64_t entrySize = Get16(&header[0x3A]);
  const uint64_t count = Get16(&header[0x3C]);
  const uint64_t namesIndex = Get16(&header[0x3E]);
  if (entrySize < 64 || count == 0 || count > kMaxSections || namesIndex >= count) return false;
  if (tableOffset > fileSize || count * entrySize > fileSize - tableOffset) return false;

  std::vector<unsigned char> table;
  if (!ReadAt(file, tableOffset, count * entrySize, table)) return false;
  auto sectionAt = [&](uint64_t index) {
    const unsigned char* entry = &table[index * entrySize];
    return Section{Get64(entry + 0x18), Get64(entry + 0x20)};
  };

  const Section names = sectionAt(namesIndex);
  if (names.size > kMaxNameTableSize || names.offset > fileSize ||
      names.size > fileSize - names.offset)
    return false;
  std::vector<unsigned char> nameTable;
  if (!ReadAt(file, names.offset, names.size, nameTable)) return false;

  for (uint64_t i = 0; i < count; ++i) {
    const uint32_t nameOffset = Get32(&table[i * entrySize]);
    if (nameOffset >= nameTable.size()) continue;
    const std::size_t room = nameTable.size() - nameOffset;
    if (room < sizeof kSectionName ||
        std::memcmp(&nameTable[nameOffset], kSectionName, sizeof kSectionName) != 0)
      continue;
    const Section section = sectionAt(i);
    if (section.offset > fileSize || section.size > fileSize - section.offset ||
        section.size > kMaxBlockSize)
      return false;
    found = section;
    lastError = 0;
    return true;
  }
  lastError = ENODATA;
  return false;
}

}  // namespace

uint32_t GetFileVersionInfoSize(const std::string& path, int& lastError) {
  Section section;
  if (!FindVersionSection(path, section, lastError)) return 0;
  if (section.size == 0) lastError = ENODATA;
  return static_cast<uint32_t>(section.size);
}

bool GetFileVersionInfo(const std::string& path, uint32_t size, std::vector<unsigned char>& block,
                        int& lastError) {
  Section section;
  if (!FindVersionSection(path, section, lastError)) return false;
  std::ifstream file(path, std::ios::binary);
  const uint64_t wanted = section.size < size ? section.size : size;
  if (!file || !ReadAt(file, section.offset, wanted, block)) {
    lastError = EIO;
    return false;
  }
  return true;
}

bool QueryFixedFileVersion(const std::vector<unsigned char>& block, FixedFileVersion& version) {
  if (block.size() < kNoteSize) return false;
  if (Get32(&block[0]) != sizeof kNoteOwner || Get32(&block[4]) < 8) return false;
  if (std::memcmp(&block[kNoteHeaderSize], kNoteOwner, sizeof kNoteOwner) != 0) return false;
  const unsigned char* numbers = &block[kNoteHeaderSize + sizeof kNoteOwner];
  version.major = Get16(numbers);
  version.minor = Get16(numbers + 2);
  version.release = Get16(numbers + 4);
  version.build = Get16(numbers + 6);
  return true;
}

std::vector<unsigned char> MakeVersionNote(const FixedFileVersion& version) {
  std::vector<unsigned char> note;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) note.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  auto put16 = [&](uint16_t v) {
    note.push_back(static_cast<unsigned char>(v));
    note.push_back(static_cast<unsigned char>(v >> 8));
  };
  put32(sizeof kNoteOwner);
  put32(8);
  put32(1);
  note.insert(note.end(), kNoteOwner, kNoteOwner + sizeof kNoteOwner);
  put16(version.major);
  put16(version.minor);
  put16(version.release);
  put16(version.build);
  return note;
}

}  // namespace platform
