// PNG through libpng's simplified interface, which keeps libpng's longjmp-based
// error handling inside libpng: every failure comes back as a false result.
#include "platform/image/Png.h"

#include <png.h>

#include <bit>
#include <cstring>
#include <vector>

#include "platform/Files.h"
#include "platform/image/ImageLimits.h"

namespace qv {
namespace {

// PNG_FORMAT_BGRA lays out bytes B, G, R, A: our 0xAARRGGBB words on a little-endian machine.
static_assert(std::endian::native == std::endian::little, "pixel byte order assumes little-endian");

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

png_image NewImage() {
  png_image img;
  std::memset(&img, 0, sizeof img);
  img.version = PNG_IMAGE_VERSION;
  return img;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, Surface& out, std::string* error, bool* hasAlpha) {
  if (!data || size == 0) return Fail(error, "no PNG data");
  png_image img = NewImage();
  if (!png_image_begin_read_from_memory(&img, data, size)) {
    std::string message = img.message;
    png_image_free(&img);
    return Fail(error, message);
  }
  if (!ImageSizeAcceptable(img.width, img.height)) {
    png_image_free(&img);
    return Fail(error, "image size out of range");
  }
  const bool alpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  img.format = PNG_FORMAT_BGRA;
  Surface s(int(img.width), int(img.height), 0);
  int ok = png_image_finish_read(&img, nullptr, s.Pixels.data(), int(img.width) * 4, nullptr);
  std::string message = img.message;
  png_image_free(&img);
  if (!ok) return Fail(error, message);
  out = std::move(s);
  if (hasAlpha) *hasAlpha = alpha;
  return true;
}

bool LoadPngFile(const std::string& path, Surface& out, std::string* error, bool* hasAlpha) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return Fail(error, "cannot read the file");
  return DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, error, hasAlpha);
}

bool EncodePng(const Surface& surface, std::string& out, bool withAlpha) {
  if (surface.Width <= 0 || surface.Height <= 0 ||
      surface.Pixels.size() < size_t(surface.Width) * surface.Height)
    return false;
  std::vector<uint8_t> rgb;
  const void* buffer = surface.Pixels.data();
  int stride = surface.Width * 4;
  if (!withAlpha) {
    rgb.resize(surface.Pixels.size() * 3);
    for (size_t i = 0; i < surface.Pixels.size(); ++i) {
      uint32_t p = surface.Pixels[i];
      rgb[3 * i] = PixelB(p), rgb[3 * i + 1] = PixelG(p), rgb[3 * i + 2] = PixelR(p);
    }
    buffer = rgb.data();
    stride = surface.Width * 3;
  }
  png_image img = NewImage();
  img.width = png_uint_32(surface.Width);
  img.height = png_uint_32(surface.Height);
  img.format = withAlpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  png_alloc_size_t size = 0;
  // The first pass measures, the second writes.
  if (!png_image_write_to_memory(&img, nullptr, &size, 0, buffer, stride, nullptr)) {
    png_image_free(&img);
    return false;
  }
  std::string bytes(size, '\0');
  int ok = png_image_write_to_memory(&img, bytes.data(), &size, 0, buffer, stride, nullptr);
  png_image_free(&img);
  if (!ok) return false;
  bytes.resize(size);
  out = std::move(bytes);
  return true;
}

bool WritePngFile(const std::string& path, const Surface& surface, bool withAlpha) {
  std::string bytes;
  return EncodePng(surface, bytes, withAlpha) && WriteFileAtomic(path, bytes);
}

}  // namespace qv
