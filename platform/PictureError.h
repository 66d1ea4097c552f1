#pragma once
// The failure of reading a picture: a bitmap file, a JPEG image, a metafile
// or the picture file itself. The message says what is wrong with the data,
// in words fit for an error box ("Error plotting page - " + message).
#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

class PictureError : public std::runtime_error {
 public:
  explicit PictureError(const std::string& message) : std::runtime_error(message) {}
};

// No decoded picture may need more than this many bytes of pixels (32 bits
// each): a file that claims more is refused before anything is allocated.
inline constexpr std::uint64_t kMaxPicturePixelBytes = 256ull << 20;

// True when a picture of width x height (both positive) fits the limit.
inline bool PictureSizeAllowed(std::uint64_t width, std::uint64_t height) {
  if (width == 0 || height == 0) return false;
  if (width > kMaxPicturePixelBytes || height > kMaxPicturePixelBytes) return false;
  return width * height * 4 <= kMaxPicturePixelBytes;
}

}  // namespace platform
