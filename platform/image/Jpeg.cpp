// libjpeg behind an error manager that longjmps back into the function that
// started the work; that function cleans up libjpeg and reports the failure, so
// no C++ exception ever crosses libjpeg's C frames. The functions holding a
// setjmp keep only objects declared before it, as longjmp requires.
#include "platform/image/Jpeg.h"

#include <csetjmp>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>

#include "platform/Files.h"
#include "platform/image/ImageLimits.h"

namespace qv {
namespace {

// Libjpeg needs a few bits per 8x8 block even for a flat image; a claimed size
// far beyond that density is a hostile header, refused before any allocation.
constexpr uint64_t kMaxPixelsPerByte = 4096;
constexpr uint64_t kAlwaysAllowedPixels = 65536;
constexpr long kMaxLibjpegMemory = 256L << 20;

struct ErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX] = {};
};

void ExitToCaller(j_common_ptr cinfo) {
  auto* em = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, em->Message);
  std::longjmp(em->Jump, 1);
}

// Warnings (damaged data that still decodes) are not printed.
void Silence(j_common_ptr) {}

void InstallErrorManager(ErrorManager& em) {
  jpeg_std_error(&em.Base);
  em.Base.error_exit = ExitToCaller;
  em.Base.output_message = Silence;
}

// The source: one memory block; past its end, an end-of-image marker, as
// libjpeg's own sources do, so a truncated file ends cleanly.
const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
void SourceNothing(j_decompress_ptr) {}
boolean SourceFill(j_decompress_ptr cinfo) {
  WARNMS(cinfo, JWRN_JPEG_EOF);
  cinfo->src->next_input_byte = kEndOfImage;
  cinfo->src->bytes_in_buffer = sizeof kEndOfImage;
  return TRUE;
}
void SourceSkip(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  if (size_t(count) > cinfo->src->bytes_in_buffer) {
    SourceFill(cinfo);
    return;
  }
  cinfo->src->next_input_byte += count;
  cinfo->src->bytes_in_buffer -= size_t(count);
}

void UseMemorySource(j_decompress_ptr cinfo, jpeg_source_mgr& src, const uint8_t* data, size_t size) {
  src.next_input_byte = data;
  src.bytes_in_buffer = size;
  src.init_source = SourceNothing;
  src.fill_input_buffer = SourceFill;
  src.skip_input_data = SourceSkip;
  src.resync_to_restart = jpeg_resync_to_restart;
  src.term_source = SourceNothing;
  cinfo->src = &src;
}

// The destination: a fixed block flushed into a string.
struct StringDestination {
  jpeg_destination_mgr Base;
  std::string* Out = nullptr;
  JOCTET Buffer[16384];
};
void DestinationStart(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<StringDestination*>(cinfo->dest);
  d->Base.next_output_byte = d->Buffer;
  d->Base.free_in_buffer = sizeof d->Buffer;
}
boolean DestinationFlush(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<StringDestination*>(cinfo->dest);
  d->Out->append(reinterpret_cast<const char*>(d->Buffer), sizeof d->Buffer);
  DestinationStart(cinfo);
  return TRUE;
}
void DestinationEnd(j_compress_ptr cinfo) {
  auto* d = reinterpret_cast<StringDestination*>(cinfo->dest);
  d->Out->append(reinterpret_cast<const char*>(d->Buffer), sizeof d->Buffer - d->Base.free_in_buffer);
}

void ConfigureDecoder(jpeg_decompress_struct& cinfo, const JpegDecodeOptions& options) {
  int denom = options.ScaleDenominator;
  cinfo.scale_num = 1;
  cinfo.scale_denom = (denom == 2 || denom == 4 || denom == 8) ? unsigned(denom) : 1u;
  cinfo.out_color_space =
      options.Grayscale || cinfo.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
  cinfo.dct_method = options.FastDct ? JDCT_IFAST : JDCT_ISLOW;
  if (options.FastDct) cinfo.do_fancy_upsampling = FALSE;
}

// A failure reason, or null when the header is acceptable.
const char* CheckHeader(const jpeg_decompress_struct& cinfo, size_t size) {
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
    return "CMYK JPEG images are not supported";
  uint64_t pixels = uint64_t(cinfo.image_width) * cinfo.image_height;
  if (!ImageSizeAcceptable(cinfo.image_width, cinfo.image_height) ||
      pixels > uint64_t(size) * kMaxPixelsPerByte + kAlwaysAllowedPixels)
    return "JPEG image size out of range";
  return nullptr;
}

void StoreRow(const JSAMPLE* row, int components, Surface& out, int y) {
  uint32_t* dst = out.Row(y);
  for (int x = 0; x < out.Width; ++x) {
    const JSAMPLE* p = row + x * components;
    dst[x] = components == 1 ? PixelRGB(p[0], p[0], p[0]) : PixelRGB(p[0], p[1], p[2]);
  }
}

// Decodes into `out`; false with `failure` set when libjpeg gives up.
bool RunDecoder(const uint8_t* data, size_t size, const JpegDecodeOptions& options, Surface& out,
                std::string& failure) {
  jpeg_decompress_struct cinfo;
  ErrorManager em;
  jpeg_source_mgr src;
  const char* refusal = nullptr;
  InstallErrorManager(em);
  cinfo.err = &em.Base;
  if (setjmp(em.Jump)) {
    failure = em.Message;
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxLibjpegMemory;
  UseMemorySource(&cinfo, src, data, size);
  jpeg_read_header(&cinfo, TRUE);
  refusal = CheckHeader(cinfo, size);
  if (refusal) {
    failure = refusal;
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  ConfigureDecoder(cinfo, options);
  jpeg_start_decompress(&cinfo);
  out = Surface(int(cinfo.output_width), int(cinfo.output_height), 0);
  JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                              cinfo.output_width * cinfo.output_components, 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    JDIMENSION y = cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break;
    StoreRow(row[0], cinfo.output_components, out, int(y));
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

bool RunEncoder(const Surface& surface, int quality, std::string& out, std::string& failure) {
  jpeg_compress_struct cinfo;
  ErrorManager em;
  StringDestination dest;
  std::vector<JSAMPLE> row(size_t(surface.Width) * 3);
  InstallErrorManager(em);
  cinfo.err = &em.Base;
  if (setjmp(em.Jump)) {
    failure = em.Message;
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  dest.Out = &out;
  dest.Base.init_destination = DestinationStart;
  dest.Base.empty_output_buffer = DestinationFlush;
  dest.Base.term_destination = DestinationEnd;
  cinfo.dest = &dest.Base;
  cinfo.image_width = JDIMENSION(surface.Width);
  cinfo.image_height = JDIMENSION(surface.Height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const uint32_t* src = surface.Row(int(cinfo.next_scanline));
    for (int x = 0; x < surface.Width; ++x)
      row[3 * x] = PixelR(src[x]), row[3 * x + 1] = PixelG(src[x]), row[3 * x + 2] = PixelB(src[x]);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

Surface DecodeJpeg(const uint8_t* data, size_t size, const JpegDecodeOptions& options) {
  if (!data || size == 0) throw EJPEGError("JPEG data is empty");
  Surface out;
  std::string failure;
  if (!RunDecoder(data, size, options, out, failure)) throw EJPEGError(failure);
  return out;
}

Surface LoadJpegFile(const std::string& path, const JpegDecodeOptions& options) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) throw EJPEGError("Cannot read " + path);
  return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), options);
}

std::string EncodeJpeg(const Surface& surface, int quality) {
  if (surface.Width <= 0 || surface.Height <= 0 || surface.Width > 65500 || surface.Height > 65500)
    throw EJPEGError("Cannot write a JPEG image of that size");
  std::string out;
  std::string failure;
  if (!RunEncoder(surface, quality, out, failure)) throw EJPEGError(failure);
  return out;
}

}  // namespace qv
