// TBitBtn: an owner-drawn push button with a glyph and a caption laid out by
// Layout, Margin and Spacing; Kind gives the standard captions, modal
// results and default/cancel roles.
#pragma once
#include <memory>

#include "classlib/graphics/Bitmap.h"
#include "classlib/stdctrls/Button.h"
#include "classlib/stdctrls/ButtonLayout.h"
#include "platform/window/OwnerDraw.h"

namespace qv {

enum TBitBtnKind : int {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};

class TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;

  TBitBtnKind Kind() const { return kind_; }
  void SetKind(TBitBtnKind Value);
  // Several images side by side: up, disabled, down, exclusive. The
  // bottom-left pixel is the transparent colour.
  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  int Margin() const { return margin_; }  // -1 centres glyph and caption together
  void SetMargin(int Value);
  int Spacing() const { return spacing_; }  // -1 centres the caption in what remains
  void SetSpacing(int Value);
  // What the button shows: its Glyph, or the kind's picture when it has none.
  TBitmap* ShownGlyph() const;
  int ShownNumGlyphs() const;

  void Dispatch(TMessage& Message) override;
  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void SetButtonStyle(bool ADefault) override;
  // Paints the whole button into the owner-draw record's DC.
  virtual void DrawItem(const DRAWITEMSTRUCT& Item);

 private:
  void DrawGlyph(HDC dc, TBitmap* glyph, int num, int x, int y, TButtonState state);

  TBitBtnKind kind_ = bkCustom;
  std::unique_ptr<TBitmap> glyph_;
  int numGlyphs_ = 1;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1, spacing_ = 4;
  bool showDefault_ = false;
};

}  // namespace qv
