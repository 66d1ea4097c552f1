#pragma once
// In-memory data handed from the interpreter to a device: the movable memory
// block of an embedded picture and the memory stream of an embedded bitmap.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

// A zero-initialised block of bytes owned by whoever holds it.
class MemoryBlock {
 public:
  MemoryBlock() = default;
  explicit MemoryBlock(size_t size) : data_(new uint8_t[size ? size : 1]()), size_(size) {}
  uint8_t* data() { return data_.get(); }
  const uint8_t* data() const { return data_.get(); }
  size_t size() const { return size_; }

 private:
  std::unique_ptr<uint8_t[]> data_;
  size_t size_ = 0;
};

// A memory stream: a block of bytes and a read position.
class MemoryStream {
 public:
  explicit MemoryStream(size_t size) : block_(size) {}
  uint8_t* data() { return block_.data(); }
  const uint8_t* data() const { return block_.data(); }
  size_t size() const { return block_.size(); }
  size_t position() const { return position_; }
  void seek(size_t position) { position_ = position < size() ? position : size(); }
  // Copies up to count bytes from the current position; returns how many.
  size_t read(void* out, size_t count) {
    size_t n = count < size() - position_ ? count : size() - position_;
    std::memcpy(out, data() + position_, n);
    position_ += n;
    return n;
  }

 private:
  MemoryBlock block_;
  size_t position_ = 0;
};
