// The byte reader's two modes: in place over a memory stream's buffer, or
// through any other stream.
#include "storage/ByteCodec.h"

#include <algorithm>

#include "storage/StreamStrings.h"

namespace qv {

TByteReader::TByteReader(TStream& stream) {
  if (auto* m = dynamic_cast<TMemoryStream*>(&stream)) {
    memory_ = m;
    int64_t size = m->Size();
    start_ = std::min(m->Position(), size);
    if (size > 0) {
      begin_ = p_ = m->Memory() + start_;
      end_ = m->Memory() + size;
    }
    return;
  }
  stream_ = &stream;
  left_ = StreamRemaining(stream);
}

bool TByteReader::Bytes(void* dst, std::size_t n) {
  if (n == 0) return true;
  if (stream_) {
    if (uint64_t(left_) < n) return false;
    int64_t got = stream_->Read(dst, int64_t(n));
    left_ = got == int64_t(n) ? left_ - got : 0;
    return got == int64_t(n);
  }
  if (std::size_t(end_ - p_) < n) return false;
  std::memcpy(dst, p_, n);
  p_ += n;
  return true;
}

bool TByteReader::Skip(std::size_t n) {
  if (Remaining() < n) return false;
  if (stream_) {
    stream_->Seek(int64_t(n), TSeekOrigin::soCurrent);
    left_ -= int64_t(n);
  } else {
    p_ += n;
  }
  return true;
}

void TByteReader::Finish() {
  if (memory_) memory_->SetPosition(start_ + (p_ - begin_));
}

}  // namespace qv
