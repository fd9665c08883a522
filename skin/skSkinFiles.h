// Files of a skin folder: names resolved case-insensitively on this
// case-sensitive file system, and images read within fixed bounds so that a
// damaged or hostile skin can neither crash the loader nor exhaust memory.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace qv {

class TBitmap;
class TJPEGImage;

// Bounds of one skin: the largest image file, image side, and the pixels of
// all images of one load together.
constexpr uint64_t kSkinMaxImageFile = 64u << 20;
constexpr int kSkinMaxImageSide = 8192;
constexpr uint64_t kSkinMaxTotalPixels = 48u << 20;
constexpr size_t kSkinMaxDescription = 4u << 20;

// Backslashes become slashes; each missing component is looked up with its
// case folded. Returns the existing path, or the converted path when none.
std::string ResolveSkinPath(const std::string& Path);
bool SkinFileExists(const std::string& Path);

// A BMP image as a 24-bit bitmap. ESkinError for an unreadable, damaged or
// oversized file, or when Budget (pixels left for this load) is exceeded.
std::unique_ptr<TBitmap> LoadSkinBitmap(const std::string& Path, uint64_t& Budget);
// A JPEG picture, checked the same way before it is decoded.
std::unique_ptr<TJPEGImage> LoadSkinJpeg(const std::string& Path, uint64_t& Budget);

}  // namespace qv

namespace qv {
// A name relative to the skin folder gets its path; an absolute one stays.
std::string SkinImagePath(const std::string& SkinPath, const std::string& Name);
}  // namespace qv
