// The PNG codec, through libpng: our own resources and screenshots. Pixels
// come and go as 8-bit 0xAARRGGBB; libpng's error handling stays inside the codec.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Surface.h"

namespace qv {

// Decodes any PNG (palette, grey, 16-bit, interlaced ...) into 8-bit pixels.
// `hasAlpha` (may be null) tells whether the file has an alpha channel or a
// transparent colour; without one every pixel is opaque. False with an error
// text for bad data.
bool DecodePng(const uint8_t* data, size_t size, Surface& out, std::string* error = nullptr,
               bool* hasAlpha = nullptr);
bool LoadPngFile(const std::string& path, Surface& out, std::string* error = nullptr,
                 bool* hasAlpha = nullptr);

// Encodes the surface as an 8-bit RGBA PNG, or RGB when withAlpha is false.
bool EncodePng(const Surface& surface, std::string& out, bool withAlpha = true);
// Writes a PNG file (replacing any old one). Screenshots: the screen's alpha
// bytes mean nothing, so alpha is dropped unless asked for.
bool WritePngFile(const std::string& path, const Surface& surface, bool withAlpha = false);

}  // namespace qv
