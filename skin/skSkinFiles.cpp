// Case-insensitive skin paths and bounded image reading.
#include "skin/skSkinFiles.h"

#include <filesystem>
#include <fstream>

#include "classlib/Streams.h"
#include "classlib/SysUtils.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/JpegImage.h"
#include "platform/image/Bmp.h"
#include "skin/skinManager.h"

namespace fs = std::filesystem;

namespace qv {

std::string ResolveSkinPath(const std::string& Path) {
  std::string p = Path;
  for (char& c : p)
    if (c == '\\') c = '/';
  std::error_code ec;
  if (p.empty() || fs::exists(p, ec)) return p;
  fs::path in(p), out = in.root_path();
  for (const fs::path& part : in.relative_path()) {
    fs::path next = out / part;
    if (part == "." || part == ".." || fs::exists(next, ec)) {
      out = next;
      continue;
    }
    fs::path match;
    const fs::path dir = out.empty() ? fs::path(".") : out;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      if (SameText(it->path().filename().string(), part.string())) {
        match = it->path().filename();
        break;
      }
    }
    if (match.empty()) return p;
    out /= match;
  }
  return out.string();
}

bool SkinFileExists(const std::string& Path) {
  std::error_code ec;
  return fs::is_regular_file(ResolveSkinPath(Path), ec);
}

namespace {

std::string ReadBounded(const std::string& path, const std::string& what) {
  std::string real = ResolveSkinPath(path);
  std::ifstream f(real, std::ios::binary);
  if (!f) throw ESkinError("Cannot open " + what + " \"" + path + "\"");
  f.seekg(0, std::ios::end);
  std::streamoff size = f.tellg();
  if (size < 0 || uint64_t(size) > kSkinMaxImageFile) throw ESkinError("Image \"" + path + "\" is too large");
  f.seekg(0);
  std::string data(size_t(size), '\0');
  if (!f.read(data.data(), size)) throw ESkinError("Cannot read image \"" + path + "\"");
  return data;
}

void Charge(uint64_t w, uint64_t h, uint64_t& budget, const std::string& path) {
  if (w > uint64_t(kSkinMaxImageSide) || h > uint64_t(kSkinMaxImageSide) || w * h > budget)
    throw ESkinError("Image \"" + path + "\" is too large");
  budget -= w * h;
}

uint32_t Le32(const std::string& d, size_t at) {
  return uint32_t(uint8_t(d[at])) | uint32_t(uint8_t(d[at + 1])) << 8 | uint32_t(uint8_t(d[at + 2])) << 16 |
         uint32_t(uint8_t(d[at + 3])) << 24;
}

// The size a JPEG's frame header announces, or false when there is none.
bool JpegSize(const std::string& d, uint32_t& w, uint32_t& h) {
  size_t i = 2;
  if (d.size() < 4 || uint8_t(d[0]) != 0xFF || uint8_t(d[1]) != 0xD8) return false;
  while (i + 4 <= d.size()) {
    if (uint8_t(d[i]) != 0xFF) return false;
    uint8_t m = uint8_t(d[i + 1]);
    if (m == 0xFF) {
      ++i;
      continue;
    }
    size_t len = size_t(uint8_t(d[i + 2])) << 8 | uint8_t(d[i + 3]);
    bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
    if (sof) {
      if (i + 9 > d.size()) return false;
      h = uint32_t(uint8_t(d[i + 5])) << 8 | uint8_t(d[i + 6]);
      w = uint32_t(uint8_t(d[i + 7])) << 8 | uint8_t(d[i + 8]);
      return true;
    }
    i += 2 + len;
  }
  return false;
}

}  // namespace

std::unique_ptr<TBitmap> LoadSkinBitmap(const std::string& Path, uint64_t& Budget) {
  std::string data = ReadBounded(Path, "image");
  // Check the announced size before the decoder allocates anything, and what
  // is announced only in a bitmap file's own header: a file of another kind
  // is no bitmap, whatever its bytes would say read as sizes.
  if (data.size() < 2 || data[0] != 'B' || data[1] != 'M')
    throw ESkinError("Image \"" + Path + "\" is not a bitmap image");
  if (data.size() < 26) throw ESkinError("Image \"" + Path + "\" is not a valid bitmap");
  uint32_t hdr = Le32(data, 14);
  if (hdr != 12 && (hdr < 40 || hdr > data.size() - 14))
    throw ESkinError("Image \"" + Path + "\" is not a valid bitmap");
  int64_t w, h;
  if (hdr == 12) {
    w = uint8_t(data[18]) | uint8_t(data[19]) << 8, h = uint8_t(data[20]) | uint8_t(data[21]) << 8;
  } else {
    w = int32_t(Le32(data, 18)), h = int32_t(Le32(data, 22));
  }
  if (h < 0) h = -h;
  if (w <= 0 || h <= 0) throw ESkinError("Image \"" + Path + "\" is not a valid bitmap");
  Charge(uint64_t(w), uint64_t(h), Budget, Path);
  Surface s;
  std::string err;
  if (!DecodeBmp(reinterpret_cast<const uint8_t*>(data.data()), data.size(), s, &err))
    throw ESkinError("Image \"" + Path + "\" is not a valid bitmap" + (err.empty() ? "" : ": " + err));
  auto bmp = std::make_unique<TBitmap>();
  bmp->FromSurface(s, false);
  bmp->SetPixelFormat(pf24bit);
  return bmp;
}

std::unique_ptr<TJPEGImage> LoadSkinJpeg(const std::string& Path, uint64_t& Budget) {
  std::string data = ReadBounded(Path, "picture");
  uint32_t w = 0, h = 0;
  if (!JpegSize(data, w, h) || w == 0 || h == 0)
    throw ESkinError("Picture \"" + Path + "\" is not a valid JPEG image");
  Charge(w, h, Budget, Path);
  auto img = std::make_unique<TJPEGImage>();
  TMemoryStream ms;
  ms.Write(data.data(), int64_t(data.size()));
  ms.SetPosition(0);
  try {
    img->LoadFromStream(ms);
    img->DIBNeeded();
  } catch (const Exception& e) {
    throw ESkinError("Picture \"" + Path + "\" is not a valid JPEG image: " + e.Message);
  }
  return img;
}

}  // namespace qv
