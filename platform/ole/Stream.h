// Byte streams between components: the minimal IStream that data-object
// media of type TYMED_ISTREAM use, and a stream over a global memory block.
#pragma once
#include "platform/ole/Com.h"
#include "platform/ole/GlobalMemory.h"

namespace qv {

inline constexpr IID IID_ISequentialStream{
    0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
inline constexpr IID IID_IStream{0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

constexpr DWORD STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2;
constexpr DWORD STATFLAG_NONAME = 1;
constexpr DWORD STGTY_STREAM = 2;

struct STATSTG {
  char16_t* pwcsName = nullptr;  // always nullptr here
  DWORD type = STGTY_STREAM;
  uint64_t cbSize = 0;
};

struct ISequentialStream : IUnknown {
  static const IID& Iid() { return IID_ISequentialStream; }
  // S_OK; *read < count at the end of the stream.
  virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;
  virtual HRESULT Write(const void* buffer, ULONG count, ULONG* written) = 0;
};

struct IStream : ISequentialStream {
  static const IID& Iid() { return IID_IStream; }
  virtual HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) = 0;
  virtual HRESULT SetSize(uint64_t size) = 0;
  virtual HRESULT CopyTo(IStream* target, uint64_t count, uint64_t* read, uint64_t* written) = 0;
  virtual HRESULT Commit(DWORD flags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
  virtual HRESULT Clone(IStream** stream) = 0;
};

// A stream over `mem` (a new empty block when nullptr), positioned at 0. The
// stream's size starts as the block's size and the block grows with writes;
// with deleteOnRelease the block is freed with the stream.
HRESULT CreateStreamOnHGlobal(HGLOBAL mem, BOOL deleteOnRelease, IStream** stream);
// The block under a stream made by CreateStreamOnHGlobal.
HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* mem);

}  // namespace qv
