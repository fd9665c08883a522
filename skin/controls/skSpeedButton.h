// TSkSpeedButton: the flat tool button with skin data, image-list glyphs, a
// drop-down menu part, separator and divider styles and caption/glyph
// alignment; unskinned it paints exactly as the class library's speed
// button. TSkTimerSpeedButton is the plain variant the calendars use.
#pragma once
#include <functional>
#include <memory>

#include "classlib/comctrls/ToolBar.h"  // TToolButtonStyle: the tool bar's button styles
#include "classlib/stdctrls/SpeedButton.h"
#include "skin/controls/skButtonFace.h"
#include "skin/controls/skSkinnedControl.h"
#include "skin/skCommonData.h"
#include "skin/skFade.h"

namespace qv {

class TPopupMenu;
class TCustomImageList;

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

class TSkSpeedButton : public TSkSkinned<TSpeedButton>, public TSkButtonFace {
 public:
  explicit TSkSpeedButton(TComponent* AOwner);
  ~TSkSpeedButton() override;

  TSkCommonData* SkinData() const { return skinData_.get(); }
  TToolButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(TToolButtonStyle Value);
  TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(TPopupMenu* Value);
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
  bool UpdateFinished(TMessage& Message) override;
  bool CacheFrozen(TMessage& Message) override;
  bool PreparingQuery(TMessage& Message) override;
  bool SectionRedrawn(TMessage& Message) override;
  bool RepaintNow(TMessage& Message) override;
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
  void FaceChanged() override { Changed(); }
  void FaceImageChanged() override { GlyphFromImages(); }
  void FaceTextAlignmentChanged() override { SkinRepaint(); }

  int lastNumGlyphs_ = 0, lastSpacing_ = 0;
  bool lastDown_ = false;
  bool menuVisible_ = false;
  bool glyphFromList_ = false;
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
