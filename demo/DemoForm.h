// The demo, written on the class library: a form holding a board (a custom
// control with standard scroll bars over a larger content, a fixed status
// band showing the last key, click and timer tick), a timer, and a topmost
// hint popup above the form. Built the same way headless and on the desktop.
#pragma once
#include <string>

#include "classlib/controls/Forms.h"
#include "classlib/controls/HintWindow.h"
#include "classlib/controls/Timer.h"
#include "classlib/graphics/Bitmap.h"

namespace qv::demo {

class TDemoBoard : public TCustomControl {
 public:
  explicit TDemoBoard(TComponent* AOwner);

  int ScrollX() const { return scrollX_; }
  int ScrollY() const { return scrollY_; }
  int Ticks() const { return ticks_; }
  const std::string& LastKey() const { return lastKey_; }
  const std::string& LastClick() const { return lastClick_; }

  // Moves the content (clamped): painted pixels are scrolled, only the
  // uncovered strip is painted again.
  void ScrollTo(int X, int Y);
  // Scrolls for a navigation key; false for any other key.
  bool ScrollByKey(WORD Key);
  void SetLastKey(const std::string& Text);
  void SetLastClick(const std::string& Text);
  void Tick();

  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;

 private:
  SIZE View();  // the scrolled area's size
  void InvalidateStatus();
  void UpdateScrollBars();
  void HandleScroll(TMessage& Message);
  void PaintStatus(const RECT& Band);
  void PaintContent();

  int scrollX_ = 0, scrollY_ = 0, ticks_ = 0;
  std::string lastKey_ = "none", lastClick_ = "none";
  TBitmap picture_;
};

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* AOwner);
  TDemoBoard* Board = nullptr;
  TTimer* Ticker = nullptr;
  THintWindow* Popup = nullptr;
  // Shows the popup over the board (the form must be showing).
  void ShowPopup();

 private:
  void BoardKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void BoardKeyPress(TObject* Sender, char16_t& Key);
  void BoardMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void BoardMouseWheel(TObject* Sender, TShiftState Shift, int WheelDelta, POINT MousePos, bool& Handled);
};

// Makes the form through the application (the main form when it is the
// first), shows it with the focus on the board, and shows the popup.
TDemoForm* CreateDemo();

}  // namespace qv::demo
