// The read-only stream over a caller's bytes.
#include "datatree/OLEMemoryStream.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace qv {

int64_t TOLEMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || pos_ >= size_) return 0;
  int64_t n = std::min(count, size_ - pos_);
  std::memcpy(buffer, data_ + pos_, size_t(n));
  pos_ += n;
  return n;
}

int64_t TOLEMemoryStream::Write(const void*, int64_t) {
  throw EStreamError("Can't write to a read-only resource stream");
}

void TOLEMemoryStream::SetSize(int64_t) {
  throw EStreamError("Can't write to a read-only resource stream");
}

int64_t TOLEMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? pos_ : size_;
  // A position past the end reads nothing; before the start is the start.
  int64_t to;
  if (__builtin_add_overflow(base, offset, &to)) to = offset < 0 ? 0 : INT64_MAX;
  pos_ = std::max<int64_t>(0, to);
  return pos_;
}

}  // namespace qv
