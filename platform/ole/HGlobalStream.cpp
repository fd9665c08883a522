// A stream over a global memory block. The stream's logical size may be
// smaller than the block (the block only grows, in steps, as writes need).
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "platform/ole/Stream.h"

namespace qv {
namespace {

// The block and its logical size, shared by a stream and its clones.
struct SharedBlock {
  HGLOBAL mem = nullptr;
  uint64_t size = 0;
  bool owned = false;
  ~SharedBlock() {
    if (owned) GlobalFree(mem);
  }
};

// Distinguishes our streams for GetHGlobalFromStream.
inline constexpr IID kIidHGlobalStream{
    0x6A1B2C3D, 0x4E5F, 0x4A6B, {0x9C, 0x8D, 0x7E, 0x6F, 0x50, 0x41, 0x32, 0x23}};

class HGlobalStream final : public ComObject<IStream> {
 public:
  HGlobalStream(std::shared_ptr<SharedBlock> block, uint64_t pos) : block_(std::move(block)), pos_(pos) {}

  HGLOBAL Block() const { return block_->mem; }

  HRESULT Read(void* buffer, ULONG count, ULONG* read) override {
    if (!buffer && count) return STG_E_INVALIDPOINTER;
    uint64_t n = pos_ < block_->size ? std::min<uint64_t>(count, block_->size - pos_) : 0;
    if (n) {
      auto* p = static_cast<uint8_t*>(GlobalLock(block_->mem));
      if (!p) return E_UNEXPECTED;
      std::memcpy(buffer, p + pos_, n);
      GlobalUnlock(block_->mem);
    }
    pos_ += n;
    if (read) *read = ULONG(n);
    return S_OK;
  }

  HRESULT Write(const void* buffer, ULONG count, ULONG* written) override {
    if (!buffer && count) return STG_E_INVALIDPOINTER;
    if (written) *written = 0;
    if (!count) return S_OK;
    if (pos_ + count > block_->size) {
      HRESULT hr = SetSize(pos_ + count);
      if (FAILED(hr)) return hr;
    }
    auto* p = static_cast<uint8_t*>(GlobalLock(block_->mem));
    if (!p) return E_UNEXPECTED;
    std::memcpy(p + pos_, buffer, count);
    GlobalUnlock(block_->mem);
    pos_ += count;
    if (written) *written = count;
    return S_OK;
  }

  HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) override {
    int64_t base = origin == STREAM_SEEK_SET   ? 0
                   : origin == STREAM_SEEK_CUR ? int64_t(pos_)
                   : origin == STREAM_SEEK_END ? int64_t(block_->size)
                                               : -1;
    if (base < 0) return STG_E_INVALIDFUNCTION;
    if (base + move < 0) return STG_E_INVALIDFUNCTION;
    pos_ = uint64_t(base + move);
    if (newPosition) *newPosition = pos_;
    return S_OK;
  }

  HRESULT SetSize(uint64_t size) override {
    if (size > GlobalSize(block_->mem)) {
      // Grow geometrically so that many small writes stay linear.
      uint64_t capacity = std::max<uint64_t>(size, GlobalSize(block_->mem) * 2);
      if (!GlobalReAlloc(block_->mem, SIZE_T(capacity), GMEM_MOVEABLE | GMEM_ZEROINIT))
        return STG_E_MEDIUMFULL;
    }
    block_->size = size;
    return S_OK;
  }

  HRESULT CopyTo(IStream* target, uint64_t count, uint64_t* read, uint64_t* written) override {
    if (!target) return STG_E_INVALIDPOINTER;
    uint64_t n = pos_ < block_->size ? std::min<uint64_t>(count, block_->size - pos_) : 0;
    ULONG done = 0;
    HRESULT hr = S_OK;
    if (n) {
      auto* p = static_cast<uint8_t*>(GlobalLock(block_->mem));
      hr = target->Write(p + pos_, ULONG(n), &done);
      GlobalUnlock(block_->mem);
    }
    pos_ += n;
    if (read) *read = n;
    if (written) *written = done;
    return hr;
  }

  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }

  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPOINTER;
    *stat = STATSTG{};
    stat->cbSize = block_->size;
    return S_OK;
  }

  HRESULT Clone(IStream** stream) override {
    if (!stream) return STG_E_INVALIDPOINTER;
    *stream = new (std::nothrow) HGlobalStream(block_, pos_);
    return *stream ? S_OK : E_OUTOFMEMORY;
  }

 protected:
  void* QueryExtra(REFIID iid) override {
    if (iid == IID_ISequentialStream) return static_cast<ISequentialStream*>(this);
    if (iid == kIidHGlobalStream) return static_cast<IStream*>(this);
    return nullptr;
  }

 private:
  std::shared_ptr<SharedBlock> block_;
  uint64_t pos_;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL mem, BOOL deleteOnRelease, IStream** stream) {
  if (!stream) return E_INVALIDARG;
  *stream = nullptr;
  try {
    auto block = std::make_shared<SharedBlock>();
    if (mem) {
      if (!GlobalLock(mem)) return E_INVALIDARG;
      GlobalUnlock(mem);
      block->mem = mem;
      block->size = GlobalSize(mem);
    } else {
      block->mem = GlobalAlloc(GMEM_MOVEABLE, 0);
      if (!block->mem) return E_OUTOFMEMORY;
    }
    block->owned = deleteOnRelease != FALSE;
    *stream = new HGlobalStream(std::move(block), 0);
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* mem) {
  if (!stream || !mem) return E_INVALIDARG;
  *mem = nullptr;
  void* own = nullptr;
  if (FAILED(stream->QueryInterface(kIidHGlobalStream, &own))) return E_INVALIDARG;
  auto* s = static_cast<HGlobalStream*>(static_cast<IStream*>(own));
  *mem = s->Block();
  s->Release();
  return S_OK;
}

}  // namespace qv
