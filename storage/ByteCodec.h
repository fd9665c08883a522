// Little-endian byte writer and reader used by the value encoders. Values are
// encoded into a byte vector and decoded from a contiguous buffer (or, when the
// source is not a memory stream, through the stream), so a record costs a
// handful of memory copies instead of one stream call per byte.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "classlib/Streams.h"

namespace qv {

class TByteWriter {
 public:
  explicit TByteWriter(std::vector<uint8_t>& out) : out_(out) {}

  void Bytes(const void* data, std::size_t n) {
    if (n == 0) return;
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + n);
  }
  void U8(uint8_t v) { out_.push_back(v); }
  void U16(uint16_t v) { Le(v, 2); }
  void U32(uint32_t v) { Le(v, 4); }
  void U64(uint64_t v) { Le(v, 8); }
  std::size_t Size() const { return out_.size(); }

 private:
  void Le(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out_.push_back(uint8_t(v >> (8 * i)));
  }
  std::vector<uint8_t>& out_;
};

// Reads from a buffer, or through a stream. Every length read from the data is
// checked against Remaining() before anything is allocated for it.
class TByteReader {
 public:
  TByteReader(const uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  // A memory stream is read in place from its position (Finish moves the
  // position past what was consumed); any other stream is read through.
  explicit TByteReader(TStream& stream);
  TByteReader(const TByteReader&) = delete;
  TByteReader& operator=(const TByteReader&) = delete;

  uint64_t Remaining() const { return stream_ ? uint64_t(left_) : uint64_t(end_ - p_); }
  bool Bytes(void* dst, std::size_t n);
  bool Skip(std::size_t n);
  bool U8(uint8_t& v) { return Bytes(&v, 1); }
  bool U16(uint16_t& v) { return Le(v); }
  bool U32(uint32_t& v) { return Le(v); }
  bool U64(uint64_t& v) { return Le(v); }
  // Syncs a memory stream's position with what was consumed.
  void Finish();

 private:
  template <class T>
  bool Le(T& v) {
    uint8_t b[sizeof(T)];
    if (!Bytes(b, sizeof(T))) return false;
    T r = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) r |= T(b[i]) << (8 * i);
    v = r;
    return true;
  }

  const uint8_t* p_ = nullptr;
  const uint8_t* end_ = nullptr;
  const uint8_t* begin_ = nullptr;
  TStream* stream_ = nullptr;        // read-through mode
  TMemoryStream* memory_ = nullptr;  // in-place mode, synced by Finish
  int64_t start_ = 0;
  int64_t left_ = 0;
};

}  // namespace qv
