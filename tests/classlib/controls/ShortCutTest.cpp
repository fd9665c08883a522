// Shortcut values and their text, and the order in which a key press is
// offered as a shortcut: the focused control's form, the application, the
// main form, before it becomes a dialog key or reaches the control.
#include "ControlsTestSupport.h"
#include "classlib/controls/ShortCuts.h"

namespace qv::test {
namespace {

TEST(ShortCuts, TextRoundTrips) {
  struct Case {
    WORD key;
    TShiftState shift;
    const char* text;
  } cases[] = {{'F', {ssCtrl}, "Ctrl+F"},
               {VK_DELETE, {}, "Del"},
               {VK_F1, {}, "F1"},
               {VK_F12, {ssAlt}, "Alt+F12"},
               {VK_INSERT, {ssShift}, "Shift+Ins"},
               {'1', {ssShift, ssCtrl}, "Shift+Ctrl+1"},
               {VK_RETURN, {ssCtrl, ssAlt}, "Ctrl+Alt+Enter"},
               {VK_ADD, {}, "Num +"}};
  for (const Case& c : cases) {
    TShortCut sc = ShortCut(c.key, c.shift);
    EXPECT_EQ(ShortCutToText(sc), c.text);
    EXPECT_EQ(TextToShortCut(c.text), sc) << c.text;
    WORD key;
    TShiftState shift;
    ShortCutToKey(sc, key, shift);
    EXPECT_EQ(key, c.key);
    EXPECT_EQ(shift, c.shift);
  }
  EXPECT_EQ(ShortCut('F', {ssCtrl}), 0x4046);
  EXPECT_EQ(ShortCut(VK_INSERT, {ssShift}), scShift | VK_INSERT);
  EXPECT_EQ(TextToShortCut("ctrl + f"), ShortCut('F', {ssCtrl}));
  for (const char* bad : {"", "Ctrl+", "Ctrl+Foo", "F25", "Hyper+A"})
    EXPECT_EQ(TextToShortCut(bad), scNone) << bad;
  EXPECT_EQ(ShortCutToText(scNone), "");
}

class ShortCutChain : public ControlsTest {};

TEST_F(ShortCutChain, FormThenApplicationThenMainForm) {
  std::vector<std::string> log;
  TForm* main = nullptr;
  if (!Application->MainForm()) Application->CreateForm(main);
  ASSERT_NE(main, nullptr);
  main->SetBorderStyle(bsNone);
  main->SetBounds(0, 0, 200, 200);
  TForm* form = NewForm({300, 100, 600, 300});
  auto* field = new Probe(form);
  field->SetParent(form);
  field->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { log.push_back("field " + std::to_string(k)); };
  auto record = [&](const std::string& who, TShortCut take) {
    return [&, who, take](WORD& k, TShiftState s, bool& handled) {
      log.push_back(who + " " + ShortCutToText(ShortCut(k, s)));
      handled = ShortCut(k, s) == take;
    };
  };
  form->OnShortCut = record("form", ShortCut('F', {ssCtrl}));
  Application->OnShortCut = record("app", ShortCut(VK_F1, {}));
  main->OnShortCut = record("main", ShortCut(VK_DELETE, {}));
  main->Show();
  form->Show();
  field->SetFocus();
  Pump();
  log.clear();
  backend.KeyDown(VK_CONTROL);
  backend.KeyPress('F');
  backend.KeyUp(VK_CONTROL);
  backend.KeyPress(VK_F1);
  backend.KeyPress(VK_DELETE);
  backend.KeyPress('Q');
  Pump();
  // The Ctrl key alone is no shortcut and reaches the control.
  EXPECT_EQ(log, (std::vector<std::string>{"field 17", "form Ctrl+F", "form F1", "app F1", "form Del",
                                           "app Del", "main Del", "form Q", "app Q", "main Q", "field 81"}));
  Application->OnShortCut = nullptr;
}

}  // namespace
}  // namespace qv::test
