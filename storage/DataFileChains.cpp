// TXFile: what an open learns of a chain from its tags alone, without
// reading or deciphering its bytes: a check of the tags that tells a chain
// from whatever another copy of the file holds there, and the stretches a
// chain takes (to find the space no live chain uses).
#include <cstring>

#include "storage/Crc32.h"
#include "storage/DataFile.h"

namespace qv {

namespace {
// Old files may continue a chain through jump tags; a sound chain has far
// fewer pieces than this, a damaged one may loop.
constexpr int kMaxPieces = 4096;
}  // namespace

bool TXFile::ChainCheck(int64_t position, uint32_t& check) {
  uint8_t tags[2 * XTagSize];
  if (!IsOpen() || position < int64_t(XFileHeaderSize) || position + int64_t(2 * XTagSize) > size_ ||
      ReadRaw(position, tags, XTagSize) != int64_t(XTagSize))
    return false;
  const TXTag data = TXTag::FromBytes(tags);
  if (data.Type != ttData || data.Length() < 0 || data.Length() > size_ - position - int64_t(2 * XTagSize))
    return false;
  const int64_t end = position + int64_t(XTagSize) + data.Length();
  if (ReadRaw(end, tags + XTagSize, XTagSize) != int64_t(XTagSize) || tags[XTagSize] != ttEnd) return false;
  check = CalcCRC32(tags, sizeof tags);
  return true;
}

bool TXFile::ChainPieces(int64_t position, std::vector<std::pair<int64_t, int64_t>>& pieces) {
  if (!IsOpen()) return false;
  int64_t at = position;
  for (int n = 0; n < kMaxPieces; ++n) {
    uint8_t bytes[XTagSize];
    if (at < int64_t(XFileHeaderSize) || at + int64_t(XTagSize) > size_ ||
        ReadRaw(at, bytes, XTagSize) != int64_t(XTagSize))
      return false;
    const TXTag tag = TXTag::FromBytes(bytes);
    switch (tag.Type) {
      case ttData:
        if (tag.Length() < 0 || tag.Length() > size_ - at - int64_t(XTagSize)) return false;
        pieces.emplace_back(at, int64_t(XTagSize) + tag.Length());
        at += int64_t(XTagSize) + tag.Length();
        break;
      case ttJump:
        pieces.emplace_back(at, int64_t(XTagSize));
        at = tag.Target();
        break;
      case ttEnd:
        pieces.emplace_back(at, int64_t(XTagSize));
        return true;
      default:
        return false;
    }
  }
  return false;
}

}  // namespace qv
