// The spin edit: an integer edit with two small up/down buttons inside its
// right edge. Its value lives in the text and is clamped to a range; the
// arrow keys, the mouse wheel and the buttons (repeating while held) step it.
#pragma once
#include <cstdint>
#include <memory>

#include "classlib/controls/Timer.h"
#include "classlib/controls/WinControl.h"
#include "skin/controls/skEdit.h"
#include "skin/controls/skSpeedButton.h"

namespace qv {

namespace skSpinEdit {
// A speed button that repeats its click while held: the first at the press,
// the next after 400 ms, then every 100 ms while the mouse is captured.
class TSkTimerSpeedButton : public TSkSpeedButton {
 public:
  explicit TSkTimerSpeedButton(TComponent* AOwner);
  ~TSkTimerSpeedButton() override;
  bool AllowTimer = true;
  bool ShowFocusRect = false;
  TTimer* RepeatTimer() const { return timer_; }
  void Click() override;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;

 private:
  void TimerExpired();
  TTimer* timer_ = nullptr;
  bool pressClicked_ = false;  // the press already clicked; the release must not again
};
}  // namespace skSpinEdit

class TSkSpinButton : public TWinControl, protected TSkCommandHooks {
 public:
  explicit TSkSpinButton(TComponent* AOwner);
  skSpinEdit::TSkTimerSpeedButton* UpButton() const { return up_; }
  skSpinEdit::TSkTimerSpeedButton* DownButton() const { return down_; }
  TBitmap* UpGlyph() const;
  void SetUpGlyph(TBitmap* Value);
  TBitmap* DownGlyph() const;
  void SetDownGlyph(TBitmap* Value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* Value);
  TNotifyEvent OnUpClick, OnDownClick;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Loaded() override;
  void WndProc(TMessage& Message) override;
  // Both default triangles again (after a font or skin change).
  void DrawDefaultGlyphs();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void AfterPlainCacheQuery(TMessage& Message) override;
  void AfterPlainPreparingQuery(TMessage& Message) override;

 private:
  skSpinEdit::TSkTimerSpeedButton* MakeButton();
  void LayoutButtons(int& W, int H);
  void SetFocusBtn(skSpinEdit::TSkTimerSpeedButton* Btn);
  void BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void BtnClick(TObject* Sender);

  TControl* edit_;
  skSpinEdit::TSkTimerSpeedButton *up_ = nullptr, *down_ = nullptr, *focused_ = nullptr;
  TWinControl* focusControl_ = nullptr;
  static constexpr int kDesignWidth = 18;
  int glyphScale_ = 1;
  bool defaultGlyphs_ = true;  // no glyph of the user's: the arrows follow the size
};

class TSkBaseSpinEdit : public TSkEdit {
 public:
  explicit TSkBaseSpinEdit(TComponent* AOwner);
  ~TSkBaseSpinEdit() override;
  TSkSpinButton* Button() const { return button_; }
  bool EditorEnabled = true;
  // The smallest height that shows the font and the buttons.
  int MinHeight();
  void WndProc(TMessage& Message) override;

  virtual void UpClick(TObject* Sender) { (void)Sender; }
  virtual void DownClick(TObject* Sender) { (void)Sender; }

 protected:
  void SkinChanged(TMessage& Message) override;
  void AfterPreparingQuery(TMessage& Message) override;
  virtual bool IsValidChar(char16_t Key);
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void SetEditRect();

 private:
  TSkSpinButton* button_ = nullptr;
};

class TSkSpinEdit : public TSkBaseSpinEdit {
 public:
  explicit TSkSpinEdit(TComponent* AOwner);
  int32_t MinValue = 0, MaxValue = 0, Increment = 1;
  // The text's number; MinValue when it is empty or no number (never clamped).
  int32_t Value();
  // Writes the clamped value as the text.
  void SetValue(int64_t V);
  // Min = Max means no limits (the value is only held to 32 bits).
  int32_t ClampValue(int64_t V) const;
  void UpClick(TObject* Sender) override;
  void DownClick(TObject* Sender) override;
  void WndProc(TMessage& Message) override;

  // Values past 32 bits, such as byte counts of large files. Once a 64-bit
  // range is set, SetValue and the steps clamp to it, leaving the edit keeps
  // the text as typed (a number outside the range too), and the text is read
  // through TryValue64 or Value64; MinValue and MaxValue no longer apply, and
  // Value keeps reading 32 bits.
  void SetRange64(int64_t Min, int64_t Max);
  bool HasRange64() const { return range64_; }
  // The text as a decimal number, blanks around it allowed; false when it is
  // empty, holds anything else or lies outside 64 bits. Never clamped.
  bool TryValue64(int64_t& V);
  // The text's number; the range's minimum when TryValue64 fails.
  int64_t Value64();
  void SetValue64(int64_t V);
  int64_t ClampValue64(int64_t V) const;

 protected:
  bool IsValidChar(char16_t Key) override;

 private:
  void Step(int64_t Delta);
  bool range64_ = false;
  int64_t min64_ = 0, max64_ = 0;
};

}  // namespace qv
