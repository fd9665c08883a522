// Painting and input: a custom control's and a graphic control's Paint land
// clipped on the screen; clicks, double clicks, enter/leave; keys to the
// focused control with the form's key preview; Tab order; Enter and Esc as
// dialog keys; a control freed by its own click.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "platform/gdi/SystemMetrics.h"

namespace qv::test {
namespace {

using PaintInput = ControlsTest;

class Swatch : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  TColor Fill = clBlue;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Fill);
    Canvas()->FillRect(RECT{-100, -100, 1000, 1000});  // the clip keeps it inside
  }
};

TEST_F(PaintInput, PaintIsClippedToTheControlOnTheScreen) {
  TForm* form = NewForm({100, 100, 400, 300});
  auto* box = new Probe(form);
  box->SetBounds(10, 10, 50, 40);
  box->OnPaintProbe = [](TCanvas* c) {
    c->Brush()->SetColor(clRed);
    c->FillRect(RECT{-100, -100, 1000, 1000});
  };
  box->SetParent(form);
  auto* swatch = new Swatch(form);
  swatch->SetBounds(100, 50, 30, 20);
  swatch->SetParent(form);
  auto* over = new Swatch(form);  // a later sibling paints over the earlier one
  over->Fill = clLime;
  over->SetBounds(120, 60, 30, 20);
  over->SetParent(form);
  form->Show();
  Pump();
  uint32_t face = Rgb(212, 208, 200);
  EXPECT_EQ(PixelAt(110, 110), Rgb(255, 0, 0));
  EXPECT_EQ(PixelAt(159, 149), Rgb(255, 0, 0));
  EXPECT_EQ(PixelAt(160, 130), face);
  EXPECT_EQ(PixelAt(130, 150), face);
  EXPECT_EQ(PixelAt(200, 150), Rgb(0, 0, 255));
  EXPECT_EQ(PixelAt(225, 165), Rgb(0, 255, 0));
  EXPECT_EQ(PixelAt(251, 165), face);
  EXPECT_EQ(PixelAt(199, 150), face);
  // Changing a graphic control repaints just it through the parent.
  swatch->Fill = clYellow;
  swatch->Invalidate();
  Pump();
  EXPECT_EQ(PixelAt(200, 150), Rgb(255, 255, 0));
  EXPECT_EQ(PixelAt(225, 165), Rgb(0, 255, 0));
}

TEST_F(PaintInput, MouseClicksDoubleClicksAndEnterLeave) {
  std::vector<std::string> log;
  TForm* form = NewForm({100, 100, 400, 300});
  auto* box = new Probe(form);
  box->SetBounds(10, 10, 50, 40);
  box->SetParent(form);
  auto* swatch = new Swatch(form);
  swatch->SetBounds(100, 50, 30, 20);
  swatch->SetParent(form);
  for (TControl* c : std::initializer_list<TControl*>{box, swatch}) {
    std::string n = c == box ? "box" : "swatch";
    c->OnMouseDown = [&, n](TObject*, TMouseButton, TShiftState s, int x, int y) {
      log.push_back(n + (s.Contains(ssDouble) ? " dbl-down " : " down ") + std::to_string(x) + "," +
                    std::to_string(y));
    };
    c->OnMouseUp = [&, n](TObject*, TMouseButton, TShiftState, int, int) { log.push_back(n + " up"); };
    c->OnClick = [&, n](TObject*) { log.push_back(n + " click"); };
    c->OnDblClick = [&, n](TObject*) { log.push_back(n + " dblclick"); };
    c->OnMouseEnter = [&, n](TObject*) { log.push_back(n + " enter"); };
    c->OnMouseLeave = [&, n](TObject*) { log.push_back(n + " leave"); };
  }
  form->Show();
  Pump();
  backend.Click(115, 120);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"box enter", "box down 5,10", "box click", "box up"}));
  log.clear();
  backend.Click(115, 120);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"box dblclick", "box dbl-down 5,10", "box click", "box up"}));
  log.clear();
  backend.Click(205, 155);  // the graphic control gets its own coordinates
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"box leave", "swatch enter", "swatch down 5,5", "swatch click",
                                           "swatch up"}));
  log.clear();
  // Pressed inside, released outside: no click; leaving shows once the capture ends.
  backend.AdvanceClock(GetDoubleClickTime() + 1);
  backend.MouseMove(205, 155);
  backend.MouseDown();
  backend.MouseMove(300, 250);
  backend.MouseUp();
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"swatch down 5,5", "swatch up"}));
  backend.MouseMove(301, 250);
  Pump();
  EXPECT_EQ(log.back(), "swatch leave");
}

TEST_F(PaintInput, AControlFreedByItsOwnClickIsGoneCleanly) {
  TForm* form = NewForm({100, 100, 400, 300});
  auto* graphic = new Swatch(form);
  graphic->SetBounds(100, 50, 30, 20);
  graphic->SetParent(form);
  auto* windowed = new Probe(form);
  windowed->SetBounds(10, 10, 50, 40);
  windowed->SetParent(form);
  bool upAfterFree = false;
  graphic->OnClick = [&](TObject* s) { delete static_cast<TControl*>(s); };
  windowed->OnClick = [&](TObject* s) { delete static_cast<TControl*>(s); };
  windowed->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { upAfterFree = true; };
  form->Show();
  backend.Click(205, 155);
  backend.Click(115, 120);
  Pump();
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_FALSE(upAfterFree);
  EXPECT_EQ(GetCapture(), nullptr);
  backend.Click(115, 120);  // clicking where they were reaches the form
  Pump();
}

TEST_F(PaintInput, KeysGoToTheFocusedControlAfterTheFormsPreview) {
  std::vector<std::string> log;
  TForm* form = NewForm({100, 100, 400, 300});
  std::vector<Probe*> fields;
  for (int i = 0; i < 3; ++i) {
    auto* p = new Probe(form);
    p->SetName("f" + std::to_string(i));
    p->SetBounds(10, 10 + 50 * i, 80, 30);
    p->SetParent(form);
    p->OnEnter = [&, p](TObject*) { log.push_back("enter " + p->Name()); };
    p->OnExit = [&, p](TObject*) { log.push_back("exit " + p->Name()); };
    p->OnKeyDown = [&, p](TObject*, WORD& k, TShiftState) {
      log.push_back(p->Name() + " key " + std::to_string(k));
    };
    p->OnKeyPress = [&, p](TObject*, char16_t& ch) {
      log.push_back(p->Name() + " char " + std::string(1, char(ch)));
    };
    fields.push_back(p);
  }
  fields[0]->SetTabOrder(2);  // tab order: f1, f2, f0
  form->OnKeyDown = [&](TObject*, WORD& k, TShiftState) {
    log.push_back("form key " + std::to_string(k));
    if (k == 'X') k = 0;  // the preview swallows X
  };
  form->Show();
  Pump();
  EXPECT_EQ(form->ActiveControl(), fields[1]);  // the first in tab order
  EXPECT_TRUE(fields[1]->Focused());
  log.clear();
  backend.KeyPress('A');
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"f1 key 65", "f1 char a"}));
  form->KeyPreview = true;
  log.clear();
  backend.KeyPress('A');
  backend.KeyPress('X');
  Pump();
  // A swallowed key still makes its character (it was translated before).
  EXPECT_EQ(log,
            (std::vector<std::string>{"form key 65", "f1 key 65", "f1 char a", "form key 88", "f1 char x"}));
  form->KeyPreview = false;
  log.clear();
  backend.KeyPress(VK_TAB);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"exit f1", "enter f2"}));
  EXPECT_EQ(Screen->ActiveControl(), fields[2]);
  log.clear();
  backend.KeyPress(VK_TAB);
  backend.KeyDown(VK_SHIFT);
  backend.KeyPress(VK_TAB);
  backend.KeyUp(VK_SHIFT);
  Pump();
  std::erase_if(log, [](const std::string& e) { return e.find("key") != std::string::npos; });
  EXPECT_EQ(log, (std::vector<std::string>{"exit f2", "enter f0", "exit f0", "enter f2"}));
  // A control that cannot take the focus is skipped.
  fields[0]->SetEnabled(false);
  log.clear();
  backend.KeyPress(VK_TAB);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"exit f2", "enter f1"}));
}

TEST_F(PaintInput, EnterAndEscapePressTheDefaultAndCancelButtons) {
  std::vector<std::string> log;
  TForm* form = NewForm({100, 100, 400, 300});
  auto* field = new Probe(form);
  field->SetParent(form);
  auto* ok = new TButtonControl(form);
  ok->SetDefault(true);
  ok->SetBounds(10, 100, 75, 25);
  ok->SetParent(form);
  auto* cancel = new TButtonControl(form);
  cancel->SetCancel(true);
  cancel->SetBounds(100, 100, 75, 25);
  cancel->SetParent(form);
  ok->OnClick = [&](TObject*) { log.push_back("ok"); };
  cancel->OnClick = [&](TObject*) { log.push_back("cancel"); };
  field->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { log.push_back("field " + std::to_string(k)); };
  form->Show();
  field->SetFocus();
  Pump();
  backend.KeyPress(VK_RETURN);
  backend.KeyPress(VK_ESCAPE);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel"}));
  // With the cancel button focused, Enter presses it rather than the default one.
  cancel->SetFocus();
  log.clear();
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"cancel"}));
  // A control that wants all keys keeps Enter.
  field->WindowProc = [&, old = field->WindowProc](TMessage& m) {
    if (m.Msg == WM_GETDLGCODE) return void(m.Result = DLGC_WANTALLKEYS);
    old(m);
  };
  field->SetFocus();
  log.clear();
  backend.KeyPress(VK_RETURN);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"field 13"}));
}

}  // namespace
}  // namespace qv::test
