// The JPEG codec, through libjpeg (the 6b interface). libjpeg's fatal errors
// become a thrown EJPEGError, never an exit; damaged entropy data decodes as
// far as it goes, as libjpeg itself allows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Exception.h"
#include "platform/Surface.h"

namespace qv {

class EJPEGError : public Exception {
 public:
  using Exception::Exception;
};

struct JpegDecodeOptions {
  int ScaleDenominator = 1;  // 1, 2, 4 or 8: decode at that fraction of the size
  bool Grayscale = false;    // decode colour images as grey
  bool FastDct = false;      // faster, slightly rougher
};

// Greyscale and YCbCr/RGB images decode to opaque pixels; CMYK images are
// refused. Throws EJPEGError for bad data and for images too large for the data.
Surface DecodeJpeg(const uint8_t* data, size_t size, const JpegDecodeOptions& options = {});
Surface LoadJpegFile(const std::string& path, const JpegDecodeOptions& options = {});

// Baseline JPEG of the surface (alpha dropped); quality 1..100. Throws EJPEGError.
std::string EncodeJpeg(const Surface& surface, int quality = 90);

}  // namespace qv
