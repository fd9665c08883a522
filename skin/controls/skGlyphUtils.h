// Button glyphs: the built-in glyphs of the edit buttons (three state cells
// side by side over their alpha rows), the masked copy that lays a cell over
// a button's face, and TSkGlyphMode, the glyph settings an edit with a
// button publishes.
#pragma once
#include <memory>
#include <string>

#include "classlib/Object.h"
#include "classlib/graphics/Bitmap.h"
#include "skin/skCommonData.h"
#include "skin/skMessages.h"

namespace qv {

class TControl;
class TSkSpeedButton;

// The built-in glyph of a name ("BTN_OPENFILE", "BTN_OPENFOLDER", "BTN_DATE",
// "BTN_ELLIPSIS", "BTN_CALC"); null for any other name. Drawn once, shared.
TBitmap* BuiltInGlyph(const std::string& Name);
// The glyph chosen by the last glyph selection (shared; set just before each use).
extern TBitmap* CurrentGlyph;

// Dst := Src + (Dst - Src) * M / 256 over SrcRect of Src placed at DstPos, M
// from the alpha row Src height div 2 below; a 0xFF00FF source pixel takes the
// parent cache's pixel when the cache is ready, else leaves Dst's.
void CopyByMask(TBitmap* Dst, POINT DstPos, TBitmap* Src, RECT SrcRect, const TCacheInfo& CacheInfo);
// One cell of a glyph in grey, over its alpha row, for CopyByMask at (0, 0,
// cell width, cell height): the disabled look of a glyph. The 0xFF00FF key
// colour stays the key.
std::unique_ptr<TBitmap> GreyGlyphCell(TBitmap* Glyph, RECT Cell);

// The drop-down button of a combo-style owner: no width for the simple
// style, else a scroll bar's width; GlyphHeight is the section's "GLYPHMASK"
// height (16 when it has none); at the right (left with right-to-left
// reading) inside Margin, centred vertically.
RECT SkComboButtonRect(int OwnerWidth, int OwnerHeight, bool SimpleStyle, bool RightToLeft, int Margin,
                       int GlyphHeight);
// The section's "GLYPHMASK" arrow centred in R of Bmp (nothing unskinned).
void PaintComboButtonGlyph(TBitmap* Bmp, const RECT& R, TSkCommonData* SkinData, int State);

// What a glyph's owner tells its glyph settings.
class ISkGlyphOwner {
 public:
  virtual ~ISkGlyphOwner() = default;
  virtual TSkSpeedButton* GlyphButton() = 0;
  virtual std::string DefaultGlyphName() = 0;
  virtual void GlyphChanged() = 0;
};

class TSkGlyphMode : public TPersistent {
 public:
  explicit TSkGlyphMode(TControl* AOwner);
  ~TSkGlyphMode() override;

  int Blend() const { return blend_; }
  void SetBlend(int Value);
  bool Grayed() const { return grayed_; }
  void SetGrayed(bool Value);
  bool UseDefaultGlyph() const { return useDefaultGlyph_; }
  void SetUseDefaultGlyph(bool Value);
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value);
  std::string Hint() const;
  void SetHint(const std::string& Value);

  // Chooses the current glyph; true when it has a width.
  bool SelectGlyph();
  int GlyphWidth();
  int GlyphHeight();
  void Changed();

 private:
  void Announce();
  TControl* owner_;
  int blend_ = 0;
  bool grayed_ = false, useDefaultGlyph_ = true;
  std::unique_ptr<TBitmap> glyph_;
};

}  // namespace qv
