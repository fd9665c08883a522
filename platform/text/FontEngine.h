// The process-wide font cache: one FreeType library, the faces opened so far
// (by file, size and style) and the fonts resolved from logical-font requests.
// Callers hold Lock() while they use a Font or its glyphs.
#pragma once
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/text/Font.h"

namespace qv {

class FontEngine {
 public:
  static FontEngine& Instance();

  std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock(mutex_); }
  // Null only when no font at all can be opened (no fonts installed).
  Font* Get(const FontRequest& request);

 private:
  FontEngine();
  ~FontEngine();
  FontFace* Face(const FaceKey& key);
  std::unique_ptr<Font> Create(const FontRequest& request);

  struct RequestHash {
    std::size_t operator()(const FontRequest& r) const;
  };

  std::recursive_mutex mutex_;
  void* library_ = nullptr;  // FT_Library
  std::vector<std::unique_ptr<FontFace>> faces_;
  std::unordered_map<FontRequest, std::unique_ptr<Font>, RequestHash> fonts_;
  Font* last_ = nullptr;  // the common case: the same font again
};

}  // namespace qv
