// The demo form: it places the board, wires the board's key, click and
// wheel events to the status the board shows, runs the tick timer, and
// shows the hint popup over itself.
#include "demo/DemoForm.h"

#include "classlib/controls/Application.h"
#include "demo/DemoLayout.h"

namespace qv::demo {
namespace {

std::string ButtonName(TMouseButton b) {
  return b == mbLeft ? "left" : b == mbRight ? "right" : "middle";
}

}  // namespace

TDemoForm::TDemoForm(TComponent* AOwner) : TForm(AOwner) {
  SetCaption("Quirvane demo");
  SetBounds(kMainOrigin.x, kMainOrigin.y, kMainClient.cx, kMainClient.cy);
  SetClientWidth(kMainClient.cx);
  SetClientHeight(kMainClient.cy);

  Board = new TDemoBoard(this);
  Board->SetBounds(kCanvasMargin, kCanvasMargin, kMainClient.cx - 2 * kCanvasMargin,
                   kMainClient.cy - 2 * kCanvasMargin);
  Board->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  Board->SetParent(this);
  Board->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { BoardKeyDown(s, k, sh); };
  Board->OnKeyPress = [this](TObject* s, char16_t& k) { BoardKeyPress(s, k); };
  Board->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    BoardMouseDown(s, b, sh, x, y);
  };
  Board->OnMouseWheel = [this](TObject* s, TShiftState sh, int d, POINT p, bool& h) {
    BoardMouseWheel(s, sh, d, p, h);
  };
  SetActiveControl(Board);

  Ticker = new TTimer(this);
  Ticker->SetInterval(kTickMs);
  Ticker->OnTimer = [this](TObject*) { Board->Tick(); };

  Popup = new THintWindow(this);
  Popup->SetColor(TColor(kHintBack));
}

void TDemoForm::ShowPopup() {
  POINT at = Board->ClientToScreen(POINT{kHintInCanvas.left, kHintInCanvas.top});
  Popup->ActivateHint(RECT{at.x, at.y, at.x + kHintInCanvas.Width(), at.y + kHintInCanvas.Height()},
                      "A hint above the window");
}

void TDemoForm::BoardKeyDown(TObject*, WORD& Key, TShiftState) {
  Board->SetLastKey("VK " + std::to_string(Key));
  if (Board->ScrollByKey(Key)) Key = 0;
}

void TDemoForm::BoardKeyPress(TObject*, char16_t& Key) {
  if (Key < 0x20 || Key > 0x7E) return;  // the status band shows printable keys only
  Board->SetLastKey(std::string("char '") + char(Key) + "'");
}

void TDemoForm::BoardMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  Board->SetFocus();
  Board->SetLastClick(ButtonName(Button) + " at " + std::to_string(X) + "," + std::to_string(Y));
}

void TDemoForm::BoardMouseWheel(TObject*, TShiftState, int WheelDelta, POINT, bool& Handled) {
  Board->ScrollTo(Board->ScrollX(), Board->ScrollY() - WheelDelta / WHEEL_DELTA * 3 * kRowHeight);
  Handled = true;
}

TDemoForm* CreateDemo() {
  TDemoForm* form = nullptr;
  Application->CreateForm(form);
  form->Show();
  form->ShowPopup();
  return form;
}

}  // namespace qv::demo
