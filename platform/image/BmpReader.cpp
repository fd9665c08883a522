// Reading BMP files and packed DIBs into surfaces. Every offset and length read
// from the data is checked against the data's size before use, and the image
// size is bounded before anything is allocated.
#include <algorithm>
#include <bit>

#include "platform/Files.h"
#include "platform/image/Bmp.h"
#include "platform/image/ImageLimits.h"

namespace qv {
namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;

uint16_t U16(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool Fail(std::string* error, const char* text) {
  if (error) *error = text;
  return false;
}

struct Header {
  int64_t Width = 0;
  int64_t Height = 0;
  bool TopDown = false;
  int BitCount = 0;
  uint32_t Compression = kRgb;
  uint64_t ColorsUsed = 0;
  uint32_t Masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
  size_t PaletteOffset = 0;          // from the start of the info header
  size_t PaletteEntrySize = 4;
};

// One channel of a bit-field pixel: where its bits are and how to widen them to 8 bits.
struct Channel {
  uint32_t Mask = 0;
  int Shift = 0;
  int Bits = 0;

  explicit Channel(uint32_t mask) : Mask(mask) {
    if (!mask) return;
    Shift = std::countr_zero(mask);
    Bits = std::min(32 - Shift - std::countl_zero(mask), 32);
  }
  uint8_t Extract(uint32_t v) const {
    if (!Mask) return 0;
    uint32_t c = (v & Mask) >> Shift;
    if (Bits >= 8) return uint8_t(c >> (Bits - 8));
    return uint8_t(c * 255u / ((1u << Bits) - 1u));
  }
};

bool ReadCoreHeader(const uint8_t* h, Header& hd) {
  hd.Width = U16(h + 4);
  hd.Height = U16(h + 6);
  hd.BitCount = U16(h + 10);
  hd.PaletteOffset = kCoreHeaderSize;
  hd.PaletteEntrySize = 3;
  return true;
}

// The info header and its later extensions; bit-field masks live inside the
// header from 52 bytes on, and after a plain 40-byte header otherwise.
bool ReadInfoHeader(const uint8_t* h, size_t avail, size_t headerSize, Header& hd, std::string* error) {
  hd.Width = int32_t(U32(h + 4));
  int32_t height = int32_t(U32(h + 8));
  hd.TopDown = height < 0;
  hd.Height = height < 0 ? -int64_t(height) : height;
  hd.BitCount = U16(h + 14);
  hd.Compression = U32(h + 16);
  hd.ColorsUsed = U32(h + 32);
  hd.PaletteOffset = headerSize;
  bool fields = hd.Compression == kBitFields || hd.Compression == kAlphaBitFields;
  size_t maskCount = hd.Compression == kAlphaBitFields ? 4 : 3;
  if (headerSize >= 56) maskCount = 4;
  if (headerSize >= 52) {
    for (size_t i = 0; i < maskCount; ++i) hd.Masks[i] = U32(h + 40 + 4 * i);
  } else if (fields) {
    if (avail < headerSize + 4 * maskCount) return Fail(error, "bit-field masks overrun the data");
    for (size_t i = 0; i < maskCount; ++i) hd.Masks[i] = U32(h + headerSize + 4 * i);
    hd.PaletteOffset += 4 * maskCount;
  }
  return true;
}

bool ValidateHeader(Header& hd, std::string* error) {
  if (!ImageSizeAcceptable(uint64_t(std::max<int64_t>(hd.Width, 0)),
                           uint64_t(std::max<int64_t>(hd.Height, 0))))
    return Fail(error, "bitmap size out of range");
  switch (hd.BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return Fail(error, "unsupported bits per pixel");
  }
  switch (hd.Compression) {
    case kRgb:
      break;
    case kRle8:
      if (hd.BitCount != 8) return Fail(error, "RLE8 needs 8 bits per pixel");
      break;
    case kRle4:
      if (hd.BitCount != 4) return Fail(error, "RLE4 needs 4 bits per pixel");
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (hd.BitCount != 16 && hd.BitCount != 32)
        return Fail(error, "bit fields need 16 or 32 bits per pixel");
      break;
    default:
      return Fail(error, "unsupported compression");
  }
  if (hd.TopDown && (hd.Compression == kRle8 || hd.Compression == kRle4))
    return Fail(error, "compressed bitmaps cannot be top-down");
  if (hd.Compression == kRgb && hd.BitCount == 16) {
    hd.Masks[0] = 0x7C00, hd.Masks[1] = 0x03E0, hd.Masks[2] = 0x001F, hd.Masks[3] = 0;
  } else if (hd.Compression == kRgb && hd.BitCount == 32) {
    // The fourth byte is nominally unused; many writers keep alpha there.
    hd.Masks[0] = 0xFF0000, hd.Masks[1] = 0xFF00, hd.Masks[2] = 0xFF, hd.Masks[3] = 0xFF000000u;
  }
  return true;
}

// The header at `h` (the packed DIB's start); fills hd or gives an error.
bool ParseHeader(const uint8_t* h, size_t avail, Header& hd, std::string* error) {
  if (avail < 4) return Fail(error, "bitmap header truncated");
  uint32_t headerSize = U32(h);
  if (headerSize > avail) return Fail(error, "bitmap header truncated");
  if (headerSize == kCoreHeaderSize) {
    ReadCoreHeader(h, hd);
  } else if (headerSize >= kInfoHeaderSize) {
    if (!ReadInfoHeader(h, avail, headerSize, hd, error)) return false;
  } else {
    return Fail(error, "unknown bitmap header");
  }
  return ValidateHeader(hd, error);
}

bool ReadPalette(const uint8_t* h, size_t avail, const Header& hd, std::vector<uint32_t>& palette,
                 std::string* error) {
  if (hd.BitCount > 8) return true;
  uint64_t count = uint64_t(1) << hd.BitCount;
  if (hd.ColorsUsed) count = std::min<uint64_t>(hd.ColorsUsed, count);
  if (hd.PaletteOffset + count * hd.PaletteEntrySize > avail) return Fail(error, "palette overruns the data");
  palette.resize(count);
  for (uint64_t i = 0; i < count; ++i) {
    const uint8_t* e = h + hd.PaletteOffset + i * hd.PaletteEntrySize;
    palette[i] = PixelRGB(e[2], e[1], e[0]);
  }
  return true;
}

// Where a packed DIB's pixels start: after the whole colour table, whose
// declared length counts even where it is longer than the depth needs.
uint64_t DibPixelOffset(const Header& hd) {
  uint64_t entries = hd.ColorsUsed;
  if (!entries && hd.BitCount <= 8) entries = uint64_t(1) << hd.BitCount;
  return hd.PaletteOffset + entries * hd.PaletteEntrySize;
}

int DestRow(const Header& hd, int64_t fileRow) {
  return int(hd.TopDown ? fileRow : hd.Height - 1 - fileRow);
}

void UnpackIndexed(const uint8_t* src, const Header& hd, uint8_t* dst) {
  int bpp = hd.BitCount;
  int perByte = 8 / bpp;
  uint8_t mask = uint8_t((1 << bpp) - 1);
  for (int64_t x = 0; x < hd.Width; ++x) {
    int shift = 8 - bpp * int(x % perByte + 1);
    dst[x] = uint8_t(src[x / perByte] >> shift) & mask;
  }
}

void UnpackDirect(const uint8_t* src, const Header& hd, const Channel (&ch)[4], uint32_t* dst) {
  for (int64_t x = 0; x < hd.Width; ++x) {
    if (hd.BitCount == 24) {
      const uint8_t* p = src + 3 * x;
      dst[x] = PixelRGB(p[2], p[1], p[0]);
      continue;
    }
    uint32_t v = hd.BitCount == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
    dst[x] = PixelRGB(ch[0].Extract(v), ch[1].Extract(v), ch[2].Extract(v), ch[3].Extract(v));
  }
}

bool DecodeUncompressed(const uint8_t* pix, size_t avail, const Header& hd, Surface& out,
                        std::vector<uint8_t>& indices, std::string* error) {
  uint64_t rowBytes = (uint64_t(hd.Width) * hd.BitCount + 7) / 8;
  uint64_t stride = (rowBytes + 3) & ~uint64_t(3);
  // The last row's padding is often left out; everything before it must be there.
  if (stride * uint64_t(hd.Height - 1) + rowBytes > avail) return Fail(error, "pixel data truncated");
  out = Surface(int(hd.Width), int(hd.Height), 0);
  if (hd.BitCount <= 8) {
    indices.assign(size_t(hd.Width * hd.Height), 0);
    for (int64_t r = 0; r < hd.Height; ++r)
      UnpackIndexed(pix + r * stride, hd, indices.data() + size_t(DestRow(hd, r)) * size_t(hd.Width));
    return true;
  }
  const Channel ch[4] = {Channel(hd.Masks[0]), Channel(hd.Masks[1]), Channel(hd.Masks[2]),
                         Channel(hd.Masks[3])};
  for (int64_t r = 0; r < hd.Height; ++r) UnpackDirect(pix + r * stride, hd, ch, out.Row(DestRow(hd, r)));
  return true;
}

// Run-length pixels: pairs (count, index) or escapes (0, code): 0 ends a line,
// 1 ends the bitmap, 2 moves by (dx, dy), n >= 3 copies n literal pixels
// padded to a 16-bit boundary. Rows run bottom-up; writes outside are dropped.
void DecodeRle(const uint8_t* p, size_t n, const Header& hd, std::vector<uint8_t>& indices) {
  const bool four = hd.Compression == kRle4;
  const int64_t w = hd.Width, h = hd.Height;
  int64_t x = 0, y = 0;
  auto put = [&](uint8_t v) {
    if (x < w && y < h) indices[size_t((h - 1 - y) * w + x)] = v;
    ++x;
  };
  size_t i = 0;
  while (i + 1 < n && y < h) {
    uint8_t count = p[i], value = p[i + 1];
    i += 2;
    if (count) {
      for (int k = 0; k < count; ++k) put(four ? uint8_t(k & 1 ? value & 0xF : value >> 4) : value);
    } else if (value == 0) {
      x = 0, ++y;
    } else if (value == 1) {
      return;
    } else if (value == 2) {
      if (i + 1 >= n) return;
      x += p[i], y += p[i + 1];
      i += 2;
    } else {
      size_t bytes = four ? (size_t(value) + 1) / 2 : value;
      if (i + bytes > n) bytes = n - i;
      for (int k = 0; k < value && size_t(four ? k / 2 : k) < bytes; ++k) {
        uint8_t b = p[i + (four ? k / 2 : k)];
        put(four ? uint8_t(k & 1 ? b & 0xF : b >> 4) : b);
      }
      i += (bytes + 1) & ~size_t(1);
    }
  }
}

bool DecodeCompressed(const uint8_t* pix, size_t avail, const Header& hd, Surface& out,
                      std::vector<uint8_t>& indices, std::string* error) {
  // A run of 255 pixels takes two bytes; allowing twice that density bounds what
  // a tiny hostile file can make us allocate.
  if (uint64_t(hd.Width) * uint64_t(hd.Height) > uint64_t(avail) * 256 + 65536)
    return Fail(error, "bitmap size out of proportion to its data");
  out = Surface(int(hd.Width), int(hd.Height), 0);
  indices.assign(size_t(hd.Width * hd.Height), 0);
  DecodeRle(pix, avail, hd, indices);
  return true;
}

void ColourIndexed(const std::vector<uint8_t>& indices, const std::vector<uint32_t>& palette, Surface& out) {
  for (size_t i = 0; i < indices.size(); ++i)
    out.Pixels[i] = indices[i] < palette.size() ? palette[indices[i]] : 0xFF000000u;
}

// Alpha is kept only where the file can carry it and actually uses it.
bool SettleAlpha(const Header& hd, Surface& out) {
  if (hd.BitCount > 8 && hd.Masks[3]) {
    for (uint32_t p : out.Pixels)
      if (PixelA(p)) return true;
  }
  if (hd.BitCount > 8)
    for (uint32_t& p : out.Pixels) p |= 0xFF000000u;
  return false;
}

// Decodes the DIB at `h`; the pixels are at `pixelOffset` from h.
bool DecodeAt(const uint8_t* h, size_t avail, uint64_t pixelOffset, const Header& hd, Surface& out,
              std::string* error, BmpInfo* info) {
  std::vector<uint32_t> palette;
  if (!ReadPalette(h, avail, hd, palette, error)) return false;
  if (pixelOffset >= avail) return Fail(error, "pixel data offset beyond the data");
  const uint8_t* pix = h + pixelOffset;
  size_t pixAvail = avail - size_t(pixelOffset);
  std::vector<uint8_t> indices;
  Surface img;
  bool rle = hd.Compression == kRle8 || hd.Compression == kRle4;
  bool ok = rle ? DecodeCompressed(pix, pixAvail, hd, img, indices, error)
                : DecodeUncompressed(pix, pixAvail, hd, img, indices, error);
  if (!ok) return false;
  if (hd.BitCount <= 8) ColourIndexed(indices, palette, img);
  bool alpha = SettleAlpha(hd, img);
  out = std::move(img);
  if (info) {
    info->BitCount = hd.BitCount;
    info->TopDown = hd.TopDown;
    info->HasAlpha = alpha;
    info->Palette = std::move(palette);
    info->Indices = std::move(indices);
  }
  return true;
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Surface& out, std::string* error, BmpInfo* info) {
  if (!data || size < kFileHeaderSize + 4) return Fail(error, "not a bitmap file");
  if (data[0] != 'B' || data[1] != 'M') return Fail(error, "not a bitmap file");
  const uint8_t* h = data + kFileHeaderSize;
  size_t avail = size - kFileHeaderSize;
  Header hd;
  if (!ParseHeader(h, avail, hd, error)) return false;
  uint64_t offBits = U32(data + 10);
  // Some writers leave the offset zero; the pixels then follow the colour table.
  uint64_t pixelOffset =
      offBits ? offBits - std::min<uint64_t>(offBits, kFileHeaderSize) : DibPixelOffset(hd);
  if (offBits && offBits < kFileHeaderSize + U32(h))
    return Fail(error, "pixel data offset inside the header");
  return DecodeAt(h, avail, pixelOffset, hd, out, error, info);
}

bool DecodeDib(const uint8_t* data, size_t size, Surface& out, std::string* error, BmpInfo* info) {
  if (!data) return Fail(error, "no bitmap data");
  Header hd;
  if (!ParseHeader(data, size, hd, error)) return false;
  return DecodeAt(data, size, DibPixelOffset(hd), hd, out, error, info);
}

bool DecodeBmpMono(const uint8_t* data, size_t size, MonoBitmap& out, std::string* error) {
  Surface s;
  BmpInfo info;
  if (!DecodeBmp(data, size, s, error, &info)) return false;
  if (info.BitCount != 1) return Fail(error, "not a monochrome bitmap");
  out.Width = s.Width;
  out.Height = s.Height;
  out.Bits = std::move(info.Indices);
  out.Colors[0] = info.Palette.size() > 0 ? info.Palette[0] : 0xFF000000u;
  out.Colors[1] = info.Palette.size() > 1 ? info.Palette[1] : 0xFF000000u;
  return true;
}

bool LoadBmpFile(const std::string& path, Surface& out, std::string* error, BmpInfo* info) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return Fail(error, "cannot read the file");
  return DecodeBmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, error, info);
}

}  // namespace qv
