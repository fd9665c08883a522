// TSkBitBtn: the bit button with skin data. Without a skin it is the class
// library's bit button in every message; under a skin it paints its section
// and border mask into a cache, cuts its window region from the mask, lays
// out glyph and caption by Alignment, and fades between its states.
#pragma once
#include <functional>
#include <memory>

#include "classlib/stdctrls/BitBtn.h"
#include "skin/controls/skButtonFace.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"
#include "skin/skConst.h"

namespace qv {

class TCustomImageList;
class TSkFadeTimer;

// Where the glyph's top-left corner and the caption's box go in a client
// area of Client (origin 0, 0); the button's own values feed it.
struct TSkBtnLayoutInput {
  SIZE Client{0, 0};
  SIZE Glyph{0, 0};  // 0 x 0 = no glyph
  SIZE Text{0, 0};   // 0 x 0 = no caption
  TButtonLayout Layout = blGlyphLeft;
  TAlignment Alignment = taCenter;
  int Margin = -1, Spacing = 4;
  bool Down = false;
};
struct TSkBtnLayout {
  POINT Glyph{0, 0};
  RECT Text{0, 0, 0, 0};
  int Margin = 0, Spacing = 0;  // as the rules resolved them
};
TSkBtnLayout CalcBtnLayout(const TSkBtnLayoutInput& In);

class TSkBitBtn : public TSkSkinned<TBitBtn>, public TSkButtonFace {
 public:
  explicit TSkBitBtn(TComponent* AOwner);
  ~TSkBitBtn() override;

  std::unique_ptr<TSkCommonData> SkinData;
  int FocusMargin = 1;
  bool ShowFocus() const { return showFocus_; }
  void SetShowFocus(bool Value);
  // True also while held down by the mouse or Space.
  bool Down() const { return down_ || held_; }
  void SetDown(bool Value);
  TNotifyEvent OnMouseEnter, OnMouseLeave;

  // 2 while down, 1 while active (mouse over, focused) or shown as default, else 0.
  virtual int CurrentState();
  // The layout of the current glyph and caption.
  TSkBtnLayout Layout();
  bool ShownAsDefault() const { return shownAsDefault_; }

 protected:
  void WndProc(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  bool Skinned();
  TSkCommonData* SkinSetUpData() const override { return SkinData.get(); }
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool OtherSkinRemoved(TMessage& Message) override;
  bool RepaintNow(TMessage& Message) override;
  bool FadeStart(TMessage& Message) override;
  bool UpdateFinished(TMessage& Message) override;
  bool CacheFrozen(TMessage& Message) override;
  void Changed();
  void FaceChanged() override { Changed(); }
  void Fade(TSkAnimatEvent Event, int Direction);
  void StopFade();
  void PrepareCache();
  void PaintCaption(TBitmap* Cache, const TSkBtnLayout& L);
  void PaintGlyph(TBitmap* Cache, const TSkBtnLayout& L);
  void SkinPaint(HDC DC);
  SIZE GlyphSize();
  SIZE TextSize(int GlyphWidth);
  void ApplyRegion(HRGN Rgn);
  void RemoveRegion();

  int lastSpacing_ = -2;
  bool pressed_ = false, held_ = false, regionChanged_ = true, hintsSaved_ = false, savedShowHint_ = true;
  bool showFocus_ = true, down_ = false;
  TSkFadeTimer* fade_ = nullptr;
  HRGN region_ = nullptr;
  bool shownAsDefault_ = false;
  POINT lastPos_{-1, -1};
};

}  // namespace qv
