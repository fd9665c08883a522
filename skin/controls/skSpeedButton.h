// TSkSpeedButton: the flat tool button with skin data, image-list glyphs, a
// drop-down menu part, separator and divider styles and caption/glyph
// alignment; unskinned it paints exactly as the class library's speed
// button. TSkTimerSpeedButton is the plain variant the calendars use.
#pragma once
#include <functional>
#include <memory>

#include "classlib/comctrls/ToolBar.h"  // TToolButtonStyle: the tool bar's button styles
#include "classlib/stdctrls/SpeedButton.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"
#include "skin/skFade.h"

namespace qv {

class TPopupMenu;
class TCustomImageList;

using TBmpPaintEvent = std::function<void(TObject* Sender, TBitmap* Bmp)>;

// The drop-down arrow part's width.
constexpr int SkArrowWidth = 16;

// Where caption and glyph go (all divisions truncate). Pure, so that every
// layout and alignment can be checked alone.
struct TSkButtonGeometry {
  int Width = 0, Height = 0, ArrowWidth = 0;
  int GlyphW = 0, GlyphH = 0, TextW = 0, TextH = 0;
  int Margin = -1, Spacing = 4, TextOffset = 0;
  bool ShowCaption = true, HasCaption = false, Pressed = false;
  TButtonLayout Layout = blGlyphLeft;
  TAlignment Alignment = taCenter;
};
RECT SkCaptionRect(const TSkButtonGeometry& G);
RECT SkGlyphRect(const TSkButtonGeometry& G);

class TSkSpeedButton : public TSkSkinned<TSpeedButton> {
 public:
  explicit TSkSpeedButton(TComponent* AOwner);
  ~TSkSpeedButton() override;

  TSkCommonData* SkinData() const { return skinData_.get(); }
  TSkDisabledKind DisabledKind() const { return disabledKind_; }
  void SetDisabledKind(TSkDisabledKind Value);
  TSkDisabledGlyphKind DisabledGlyphKind() const { return disabledGlyphKind_; }
  void SetDisabledGlyphKind(TSkDisabledGlyphKind Value);
  bool Grayed() const { return grayed_; }
  void SetGrayed(bool Value);
  int Blend() const { return blend_; }
  void SetBlend(int Value);
  int TextOffset() const { return textOffset_; }
  void SetTextOffset(int Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TToolButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TToolButtonStyle Value);
  TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(TPopupMenu* Value);
  bool DrawOverBorder() const { return drawOverBorder_; }
  void SetDrawOverBorder(bool Value);
  TAlignment TextAlignment() const { return textAlignment_; }
  void SetTextAlignment(TAlignment Value);
  TSkAnimatEvents AnimatEvents{aeGlobalDef};
  TBmpPaintEvent OnPaint;
  bool MenuVisible() const { return menuVisible_; }
  // The button whose drop-down menu is open, library-wide (null when none).
  static TSkSpeedButton* OpenMenuButton();

  virtual int CurrentState();
  virtual int GlyphWidth();
  virtual int GlyphHeight();
  virtual RECT CaptionRect();
  virtual RECT GlyphRect();
  void WndProc(TMessage& Message) override;

 protected:
  TSkCommonData* SkinSetUpData() const override { return skinData_.get(); }
  void SkinSetUpDone(bool FromStream) override;
  bool SkinLoaded(TMessage& Message) override;
  bool SkinRemoved(TMessage& Message) override;
  bool SkinApplied(TMessage& Message) override;
  bool SkinCommand(TMessage& Message) override;
  virtual void DrawCaption();
  virtual void DrawGlyph();
  virtual void PrepareCache();
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The skinned repaint, announced to the parent (command 15).
  void SkinRepaint();
  int ArrowWidth() const { return buttonStyle_ == tbsDropDown ? SkArrowWidth : 0; }
  TSkButtonGeometry Geometry();
  std::unique_ptr<TSkCommonData> skinData_;
  TSkFadeTimer* fade_ = nullptr;

 private:
  void DropDown(int X);
  void GlyphFromImages();
  void Changed();

  int lastNumGlyphs_ = 0, lastSpacing_ = 0;
  bool lastDown_ = false;
  TSkDisabledKind disabledKind_{dkBlended};
  TSkDisabledGlyphKind disabledGlyphKind_{dgBlended};
  bool grayed_ = false;
  int blend_ = 0, textOffset_ = 0, imageIndex_ = -1;
  TCustomImageList* images_ = nullptr;
  bool showCaption_ = true, drawOverBorder_ = true, menuVisible_ = false;
  bool glyphFromList_ = false;
  TAlignment alignment_ = taCenter, textAlignment_ = taCenter;
  TToolButtonStyle buttonStyle_ = tbsButton;
  TPopupMenu* dropdownMenu_ = nullptr;
};

// The plain tool button of the calendars: no repeat of its own.
class TSkTimerSpeedButton : public TSkSpeedButton {
 public:
  explicit TSkTimerSpeedButton(TComponent* AOwner);
  bool AllowTimer = true;
};

}  // namespace qv
