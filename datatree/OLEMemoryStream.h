// A read-only stream over bytes the caller keeps (a locked clipboard block):
// the tree reads pasted and dropped nodes from it without copying them.
#pragma once
#include <cstdint>

#include "classlib/Streams.h"

namespace qv {

class TOLEMemoryStream : public TStream {
 public:
  TOLEMemoryStream(const void* Data, int64_t Size) : data_(static_cast<const uint8_t*>(Data)), size_(Size) {}
  int64_t Read(void* buffer, int64_t count) override;
  // Raises EStreamError: the bytes belong to someone else.
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  void SetSize(int64_t size) override;

 private:
  const uint8_t* data_;
  int64_t size_;
  int64_t pos_ = 0;
};

}  // namespace qv
