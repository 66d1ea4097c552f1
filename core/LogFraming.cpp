#include "core/LogFraming.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "core/TflFormat.h"

namespace tfl {
namespace {

// A cursor over the file's bytes; every take fails (false) when the bytes
// run out, leaving the cursor where it was.
class Cursor {
 public:
  explicit Cursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool at_end() const { return pos_ == bytes_.size(); }
  uint64_t position() const { return pos_; }

  bool skip(uint64_t count) {
    if (count > bytes_.size() - pos_) return false;
    pos_ += count;
    return true;
  }
  bool word(uint16_t& value) { return take(&value, sizeof value); }
  bool dword(int32_t& value) { return take(&value, sizeof value); }

 private:
  bool take(void* out, size_t size) {
    if (size > bytes_.size() - pos_) return false;
    std::memcpy(out, bytes_.data() + pos_, size);
    pos_ += size;
    return true;
  }

  std::span<const uint8_t> bytes_;
  uint64_t pos_ = 0;
};

enum class Step { Whole, Cut, Broken };

// A group of member records: members, then the end record. As in the replay,
// any other opcode also ends the group, after its two words only. The end of
// the file ends the group in the replay too, but a writer leaves a group
// open at the end only while it is still writing it.
Step WalkGroup(Cursor& in, uint16_t member) {
  const int member_size = PayloadSize(member);
  for (;;) {
    uint16_t opcode = 0, length = 0;
    if (!in.word(opcode) || !in.word(length)) return Step::Cut;
    if (opcode == member) {
      if (!in.skip(member_size)) return Step::Cut;
    } else if (opcode == kEndGroup) {
      return in.skip(sizeof(EndGroupRecord)) ? Step::Whole : Step::Cut;
    } else {
      return Step::Whole;
    }
  }
}

// What follows a record's fixed payload.
Step WalkAttached(Cursor& in, uint16_t opcode) {
  switch (opcode) {
    case kParagraph: {  // a word (ignored), a word n, n bytes of text
      uint16_t ignored = 0, n = 0;
      if (!in.word(ignored) || !in.word(n)) return Step::Cut;
      return in.skip(n) ? Step::Whole : Step::Cut;
    }
    case kPicture:
    case kBitmap: {  // a tag word, a long n, n bytes
      uint16_t tag = 0;
      int32_t n = 0;
      if (!in.word(tag) || !in.dword(n)) return Step::Cut;
      if (n < 0) return Step::Broken;
      return in.skip(static_cast<uint64_t>(n)) ? Step::Whole : Step::Cut;
    }
    case kPolyfill:
    case kPolyline:
    case kColorPolygon:
      return WalkGroup(in, kPoint);
    case kFilledPolygon: {
      const Step a = WalkGroup(in, kPoint);
      return a == Step::Whole ? WalkGroup(in, kPoint) : a;
    }
    case kStyledPolyline:
      return WalkGroup(in, kVector);
    default:
      return Step::Whole;
  }
}

// One record after the header: its two words, its payload and what is
// attached to it.
Step WalkRecord(Cursor& in) {
  uint16_t opcode = 0, length = 0;
  if (!in.word(opcode) || !in.word(length)) return Step::Cut;
  const int size = PayloadSize(opcode);
  if (size < 0) return in.skip(length) ? Step::Whole : Step::Cut;
  if (!in.skip(static_cast<uint64_t>(size))) return Step::Cut;
  return WalkAttached(in, opcode);
}

}  // namespace

Framing CheckFraming(std::span<const uint8_t> bytes) {
  Cursor in(bytes);
  Framing result;
  // The header record: version, length, the header block and whatever a
  // longer length word adds.
  uint16_t version = 0, length = 0;
  if (!in.word(version) || !in.word(length)) {
    result.status = Framing::EndsInRecord;
    return result;
  }
  if (version != kCurrentVersion) {
    result.status = Framing::NotFramed;
    return result;
  }
  const uint64_t block = length > kHeaderLength ? length : kHeaderLength;
  if (!in.skip(block)) {
    result.status = Framing::EndsInRecord;
    return result;
  }
  result.boundary = in.position();
  while (!in.at_end()) {
    switch (WalkRecord(in)) {
      case Step::Whole:
        result.boundary = in.position();
        break;
      case Step::Cut:
        result.status = Framing::EndsInRecord;
        return result;
      case Step::Broken:
        result.status = Framing::NotFramed;
        return result;
    }
  }
  return result;
}

Framing CheckFileFraming(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {Framing::NotFramed, 0};
  // Read to the end as it is now: the file may still be growing.
  std::vector<uint8_t> bytes;
  std::vector<char> chunk(1 << 16);
  while (file.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || file.gcount() > 0)
    bytes.insert(bytes.end(), chunk.data(), chunk.data() + file.gcount());
  if (file.bad()) return {Framing::NotFramed, 0};
  return CheckFraming(bytes);
}

}  // namespace tfl
