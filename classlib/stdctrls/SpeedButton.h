// TSpeedButton: a tool button painted on its parent. Buttons that share a
// GroupIndex stay down one at a time; a glyph holds up to four images side
// by side (up, disabled, down, stuck down); Flat shows the frame only under
// the mouse; a drop-down menu opens below the button from its arrow part.
#pragma once
#include <memory>

#include "classlib/controls/CustomControl.h"
#include "classlib/stdctrls/ButtonLayout.h"

namespace qv {

class TBitmap;
class TPopupMenu;

using TNumGlyphs = int;

class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* Value);
  TNumGlyphs NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(TNumGlyphs Value);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout Value);
  int Margin() const { return margin_; }
  void SetMargin(int Value);
  int Spacing() const { return spacing_; }
  void SetSpacing(int Value);
  bool Down() const { return down_; }
  void SetDown(bool Value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int Value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool Value);
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  // How the button is drawn now; a descendant that opens a menu from the
  // button holds it down while the menu is open.
  TButtonState State() const { return state_; }
  void SetState(TButtonState Value);
  bool MouseInControl() const { return mouseInControl_; }

  // With a drop-down menu the button shows an arrow part at its right; a
  // press there (or anywhere on a button without OnClick) opens the menu
  // below the button, which stays pressed until the menu closes. One such
  // menu is open at a time.
  TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(TPopupMenu* Value);
  bool MenuOpen() const { return menuOpen_; }
  static constexpr int DropDownArrowWidth = 16;

  void Click() override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // The glyph and caption places in Client for the state's offset.
  void CalcLayout(const RECT& Client, POINT& GlyphPos, RECT& TextBounds);
  void DrawGlyph(HDC DC, POINT Pos, TButtonState State);
  void DrawCaption(HDC DC, const RECT& Bounds, TButtonState State);
  // The arrow part of a drop-down button, in Client's right edge.
  void DrawDropDownArrow(HDC DC, const RECT& Client, TButtonState State);
  // Opens the drop-down menu below the button; returns once it has closed.
  virtual void DropDown();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  std::unique_ptr<TControlActionLink> CreateActionLink() override;

 private:
  void UpdateExclusive();
  SIZE GlyphSize() const;
  SIZE TextSize(HDC DC);

  std::unique_ptr<TBitmap> glyph_;
  TNumGlyphs numGlyphs_ = 1;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1, spacing_ = 4;
  bool down_ = false, allowAllUp_ = false, flat_ = false, transparent_ = true;
  int groupIndex_ = 0;
  TButtonState state_ = bsUp;
  bool dragging_ = false, mouseInControl_ = false;
  TPopupMenu* dropdownMenu_ = nullptr;
  bool menuOpen_ = false;
};

}  // namespace qv
