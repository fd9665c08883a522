// TSkCustomComboEdit: a mask edit with an embedded button at its right edge
// (TSkEditButton) that opens a popup window beside the edit; its glyph
// settings, keyboard access and the read-only and direct-input rules. The
// text never runs under the button.
#pragma once
#include <memory>
#include <string>

#include "classlib/controls/ShortCuts.h"
#include "skin/controls/skGlyphUtils.h"
#include "skin/controls/skMaskEdit.h"
#include "skin/controls/skSpeedButton.h"

namespace qv {

class TCustomForm;
class TSkCustomComboEdit;

class TSkEditButton : public TSkSpeedButton {
 public:
  explicit TSkEditButton(TComponent* AOwner);
  int CurrentState() override;
  int GlyphWidth() override;
  int GlyphHeight() override;
  // The skinned picture again, from the edit's cache under the button.
  void RebuildCache() { PrepareCache(); }

 protected:
  void Paint() override;
  void PrepareCache() override;

 private:
  bool ShownDisabled();
  void DrawGlyphCell(TBitmap* Face, POINT At, RECT Cell, bool Fade);
  TSkCustomComboEdit* edit_;
};

// Where the popup goes: below the edit (above when there is no room), right
// or left edges aligned, kept inside the virtual screen [Origin, Origin + Size).
POINT PopupPlace(const RECT& EditScreen, SIZE Popup, TPopupWindowAlign Align, const RECT& VirtualScreen);

class TSkCustomComboEdit : public TSkMaskEdit, public ISkGlyphOwner {
 public:
  explicit TSkCustomComboEdit(TComponent* AOwner);
  ~TSkCustomComboEdit() override;
  void Loaded() override;

  TSkEditButton* Button() const { return button_; }
  TShortCut ClickKey = 32808;  // Alt+Down
  virtual bool GetReadOnly() { return readOnly_; }
  void SetReadOnly(bool Value);
  bool DirectInput() const { return directInput_; }
  void SetDirectInput(bool Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TPopupWindowAlign PopupAlign = pwaRight;
  TSkGlyphMode* GlyphMode() const { return glyphMode_.get(); }
  int PopupWidth = 197;
  bool ShowButton() const { return showButton_; }
  void SetShowButton(bool Value);
  TNotifyEvent OnButtonClick;
  // The popup window; a descendant makes it (none here).
  TCustomForm* Popup = nullptr;

  virtual void PopupDropDown();
  virtual void PopupCloseUp();
  virtual void SelectAllIfText();
  void EditButtonClick(TObject* Sender);
  void Invalidate() override;
  void WndProc(TMessage& Message) override;

  TSkSpeedButton* GlyphButton() override;
  std::string DefaultGlyphName() override { return defaultGlyph_; }
  void GlyphChanged() override;

 protected:
  void SkinChanged(TMessage& Message) override;
  void AfterCacheQuery(TMessage& Message) override;
  void AfterPreparingQuery(TMessage& Message) override;
  virtual void ButtonClick();
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void SetEditRect() override;
  void PaintFrame(HDC DC) override;
  void PaintCacheText() override;
  void PaintWhole(HDC DC) override;
  int HotState() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Change() override;
  bool PopupVisible() const;
  std::string defaultGlyph_;

 private:
  void ApplyReadOnly();
  TSkEditButton* button_ = nullptr;
  bool readOnly_ = false, directInput_ = true, showButton_ = true;
  TAlignment alignment_ = taLeftJustify;
  std::unique_ptr<TSkGlyphMode> glyphMode_;
};

}  // namespace qv
