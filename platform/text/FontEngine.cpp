// Resolving requests to faces: fontconfig is asked once per (family, style),
// FreeType opens each (file, size, style) once, and every later use of a
// logical font is a hash look-up.
#include "platform/text/FontEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <functional>

#include "platform/Utf.h"

namespace qv {

std::size_t FontEngine::RequestHash::operator()(const FontRequest& r) const {
  std::size_t h = std::hash<std::u16string>()(r.FaceName);
  auto mix = [&](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
  mix(std::size_t(uint32_t(r.Height)));
  mix(std::size_t(uint32_t(r.Escapement)));
  mix(std::size_t(uint32_t(r.Weight)));
  mix(std::size_t(r.Italic) | std::size_t(r.Underline) << 1 | std::size_t(r.StrikeOut) << 2);
  return h;
}

FontEngine& FontEngine::Instance() {
  static FontEngine* engine =
      new FontEngine;  // lives for the process: fonts outlive static destruction order
  return *engine;
}

FontEngine::FontEngine() {
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib) == 0) library_ = lib;
}

FontEngine::~FontEngine() {
  fonts_.clear();
  faces_.clear();
  if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

FontFace* FontEngine::Face(const FaceKey& key) {
  for (auto& face : faces_)
    if (face->Key() == key) return face.get();
  auto face = FontFace::Open(static_cast<FT_Library>(library_), key);
  if (!face) return nullptr;
  faces_.push_back(std::move(face));
  return faces_.back().get();
}

std::unique_ptr<Font> FontEngine::Create(const FontRequest& request) {
  const bool bold = request.Weight >= 600, italic = request.Italic;
  auto keyFor = [&](const FontFile& file, int em) {
    return FaceKey{file, em, bold && !file.Bold, italic && !file.Italic, request.Escapement % 3600};
  };
  FontFile file = MatchFontFile(Utf16ToUtf8(request.FaceName), bold, italic);
  FontFile fallbackFile = MatchFontFile(kFallbackFamily, bold, italic);
  if (file.Path.empty()) file = fallbackFile;
  // The em size depends on the face's design cell, so open at a probe size first.
  FontFace* probe = Face(keyFor(file, 11));
  if (!probe && file != fallbackFile) probe = Face(keyFor(file = fallbackFile, 11));
  if (!probe) return nullptr;
  int em = EmPixelsFor(request.Height, probe->Design());
  FontFace* primary = Face(keyFor(file, em));
  if (!primary) return nullptr;
  FontFace* fallback = file == fallbackFile ? nullptr : Face(keyFor(fallbackFile, em));
  // Glyphs are resolved while the caller holds the engine's lock, so the
  // covering face can be opened here on first use.
  auto covering = [this, em, bold, italic, turn = request.Escapement % 3600](char32_t cp) -> FontFace* {
    FontFile cover = MatchFontCovering(cp, bold, italic);
    if (cover.Path.empty()) return nullptr;
    return Face(FaceKey{cover, em, bold && !cover.Bold, italic && !cover.Italic, turn});
  };
  return std::make_unique<Font>(request, primary, fallback, covering);
}

Font* FontEngine::Get(const FontRequest& request) {
  std::lock_guard lock(mutex_);
  if (last_ && last_->Request() == request) return last_;
  auto it = fonts_.find(request);
  if (it == fonts_.end()) {
    auto font = Create(request);
    if (!font) return nullptr;
    it = fonts_.emplace(request, std::move(font)).first;
  }
  return last_ = it->second.get();
}

}  // namespace qv
