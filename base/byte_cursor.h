// Little-endian byte cursors for the stored form data. The reader never reads outside its
// range: a read that does not fit sets a sticky failure flag, returns zero or empty, and every
// later read on the same cursor fails too, so a parser can read a whole structure and check
// once at the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace rc::forms {

using Bytes = std::vector<uint8_t>;

inline uint32_t LoadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void StoreU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool failed() const { return failed_; }
  size_t pos() const { return pos_; }
  size_t remaining() const { return failed_ ? 0 : size_ - pos_; }
  void Fail() { failed_ = true; }

  // Returns the start of the next n bytes and moves past them, or null on failure.
  const uint8_t* Take(size_t n) {
    if (failed_ || n > size_ - pos_) {
      failed_ = true;
      return nullptr;
    }
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  bool Skip(size_t n) {
    Take(n);
    return !failed_;
  }

  uint32_t U32() {
    const uint8_t* p = Take(4);
    return p ? LoadU32(p) : 0;
  }
  int32_t I32() { return int32_t(U32()); }
  uint16_t U16() {
    const uint8_t* p = Take(2);
    return p ? uint16_t(p[0] | p[1] << 8) : 0;
  }

  // A count of elements of elem_size bytes each that must all still fit; a count that cannot
  // fit fails here, before anyone sizes a buffer by it.
  uint32_t Count(size_t elem_size) {
    uint32_t n = U32();
    if (!failed_ && elem_size != 0 && n > remaining() / elem_size) failed_ = true;
    return failed_ ? 0 : n;
  }

  // GBK text followed by one NUL; the NUL must lie inside the range.
  std::string ZeroText() {
    size_t start = pos_;
    size_t n = SkipZeroText();
    return failed_ ? std::string() : std::string(reinterpret_cast<const char*>(data_ + start), n);
  }

  // Moves past a zero-ended text and returns its length without the NUL.
  size_t SkipZeroText() {
    if (failed_ || pos_ == size_) {
      failed_ = true;
      return 0;
    }
    const void* nul = std::memchr(data_ + pos_, 0, size_ - pos_);
    if (!nul) {
      failed_ = true;
      return 0;
    }
    size_t n = static_cast<const uint8_t*>(nul) - (data_ + pos_);
    pos_ += n + 1;
    return n;
  }

  // Counted bytes, unchanged.
  Bytes CountedBytes() {
    uint32_t n = Count(1);
    const uint8_t* p = Take(n);
    return p ? Bytes(p, p + n) : Bytes();
  }
  // Counted text with all n bytes kept (for fields that are round-tripped as stored).
  std::string CountedRaw() {
    uint32_t n = Count(1);
    const uint8_t* p = Take(n);
    return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
  }
  // Counted text as a text: it ends at the first NUL inside the n bytes.
  std::string CountedText() {
    std::string raw = CountedRaw();
    size_t nul = raw.find('\0');
    if (nul != std::string::npos) raw.resize(nul);
    return raw;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool failed_ = false;
};

class ByteWriter {
 public:
  explicit ByteWriter(Bytes* out) : out_(out) {}

  size_t pos() const { return out_->size(); }
  void U32(uint32_t v) {
    uint8_t b[4];
    StoreU32(b, v);
    out_->insert(out_->end(), b, b + 4);
  }
  void I32(int32_t v) { U32(uint32_t(v)); }
  void U16(uint16_t v) {
    out_->push_back(uint8_t(v));
    out_->push_back(uint8_t(v >> 8));
  }
  void Raw(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    out_->insert(out_->end(), b, b + n);
  }
  void Raw(const Bytes& b) { Raw(b.data(), b.size()); }
  // Zero-ended text: the text is cut at an embedded NUL, which it cannot hold.
  void ZeroText(const std::string& s) {
    Raw(s.c_str(), std::strlen(s.c_str()));
    out_->push_back(0);
  }
  void Counted(const void* p, size_t n) {
    U32(uint32_t(n));
    Raw(p, n);
  }
  void CountedText(const std::string& s) { Counted(s.data(), s.size()); }
  void CountedBytes(const Bytes& b) { Counted(b.data(), b.size()); }
  void PatchU32(size_t at, uint32_t v) { StoreU32(out_->data() + at, v); }

 private:
  Bytes* out_;
};

}  // namespace rc::forms
