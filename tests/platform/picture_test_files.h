#pragma once
// Helpers for the picture tests: the shared sample pictures and little
// builders of bitmap files.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace picturetest {

// Folder of the shared sample pictures, or "" when the shared data is absent.
inline std::string PicturesDir() {
  const std::string shared = testfiles::SharedDir();
  return shared.empty() ? std::string() : shared + "/testdata/pictures";
}

// Every file in one sample folder, sorted by name.
inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

inline std::string BaseName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

inline std::vector<std::uint8_t> Read(const std::string& path) {
  const std::vector<unsigned char> bytes = testfiles::ReadAll(path);
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

inline void Put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}
inline void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// A 40-byte BITMAPINFOHEADER.
inline std::vector<std::uint8_t> InfoHeader(std::int32_t width, std::int32_t height, int bits,
                                            std::uint32_t compression = 0,
                                            std::uint32_t colorsUsed = 0) {
  std::vector<std::uint8_t> b;
  Put32(b, 40);
  Put32(b, std::uint32_t(width));
  Put32(b, std::uint32_t(height));
  Put16(b, 1);
  Put16(b, unsigned(bits));
  Put32(b, compression);
  Put32(b, 0);  // size of image
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, colorsUsed);
  Put32(b, 0);
  return b;
}

// A bitmap file: file header, then `info` (info header, masks, colours),
// then the pixels right after it.
inline std::vector<std::uint8_t> BitmapFile(const std::vector<std::uint8_t>& info,
                                            const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> b{'B', 'M'};
  Put32(b, std::uint32_t(14 + info.size() + pixels.size()));
  Put32(b, 0);
  Put32(b, std::uint32_t(14 + info.size()));
  b.insert(b.end(), info.begin(), info.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

}  // namespace picturetest
