// The BMP codec: reads every common form of the format (core, info, V4 and V5
// headers; 1/4/8 bpp with palettes, 16 bpp 555/565 and bit fields, 24 and 32
// bpp; bottom-up and top-down; RLE8 and RLE4) and writes 24 and 32 bpp files.
// Bad or hostile data gives a false result with an error text, never a crash.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Surface.h"

namespace qv {

// What the decoder found besides the pixels.
struct BmpInfo {
  int BitCount = 0;  // bits per pixel in the file
  bool TopDown = false;
  // The pixels' alpha bytes are meaningful: the file has an alpha channel (32 bpp,
  // or an alpha mask) and not every alpha value in it is zero. Otherwise every
  // decoded pixel is opaque.
  bool HasAlpha = false;
  std::vector<uint32_t> Palette;  // 0xFFRRGGBB entries of a 1/4/8 bpp image
  std::vector<uint8_t> Indices;   // palette index of every pixel (1/4/8 bpp only), rows top-down
};

// A 1 bpp image as a mask: Bits[y * Width + x] is the pixel's palette index (0 or 1).
struct MonoBitmap {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Bits;
  uint32_t Colors[2] = {0xFF000000u, 0xFFFFFFFFu};  // palette entries 0 and 1
};

// A whole .bmp file (BITMAPFILEHEADER first). Pixels the file leaves out (RLE
// skips) become palette entry 0. `error` and `info` may be null.
bool DecodeBmp(const uint8_t* data, size_t size, Surface& out, std::string* error = nullptr,
               BmpInfo* info = nullptr);
// A packed DIB: the info header, the colour table and the pixels, no file header
// (the clipboard's and the resource section's form).
bool DecodeDib(const uint8_t* data, size_t size, Surface& out, std::string* error = nullptr,
               BmpInfo* info = nullptr);
// A 1 bpp .bmp file as a mask; false for any other depth.
bool DecodeBmpMono(const uint8_t* data, size_t size, MonoBitmap& out, std::string* error = nullptr);

// A .bmp file of the surface, bottom-up, BITMAPINFOHEADER, no compression.
// bitCount 24 drops alpha; 32 keeps it in the fourth byte. Empty for any other
// depth or an empty surface.
std::string EncodeBmp(const Surface& surface, int bitCount);

bool LoadBmpFile(const std::string& path, Surface& out, std::string* error = nullptr,
                 BmpInfo* info = nullptr);
bool SaveBmpFile(const std::string& path, const Surface& surface, int bitCount);

}  // namespace qv
