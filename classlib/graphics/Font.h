// TFont: a font description (name, size or pixel height, style, colour,
// character set, pitch, orientation) and its GDI font, made lazily and made
// again after a change. Size is in points and Height in pixels (negative:
// the character height), kept consistent through PixelsPerInch (96).
#pragma once
#include <string>

#include "classlib/graphics/GraphicsObject.h"
#include "platform/Set.h"
#include "platform/gdi/GdiTypes.h"

namespace qv {

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = Set<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType };

class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;

  // The GDI font for the current description; owned by this object.
  HFONT Handle();
  // Takes the description of another font handle (the handle stays the caller's).
  void SetHandle(HFONT Value);
  bool HandleAllocated() const { return handle_ != nullptr; }

  const std::string& Name() const { return name_; }
  void SetName(const std::string& Value);
  int Size() const;
  void SetSize(int Value);  // points; a negative size sets a positive (cell) height
  int Height() const { return height_; }
  void SetHeight(int Value);
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int Value);  // keeps Size, recomputes Height
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles Value);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch Value);
  TFontQuality Quality() const { return quality_; }
  void SetQuality(TFontQuality Value);
  // Escapement and orientation of the text in tenths of a degree.
  int Orientation() const { return orientation_; }
  void SetOrientation(int Value);

  // The LOGFONTW the handle is made from.
  LOGFONTW GetLogFont() const;
  void Assign(TPersistent* Source) override;

 protected:
  void Changed() override;

 private:
  void FreeHandle();
  void FontChanged();  // the description changed: the handle is made again

  HFONT handle_ = nullptr;
  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  int pixelsPerInch_ = 96;
  TColor color_ = clWindowText;
  TFontStyles style_;
  TFontCharset charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
  TFontQuality quality_ = fqDefault;
  int orientation_ = 0;
};

}  // namespace qv
