// The frames the windows ask for: the main window may be minimised,
// maximised and sized; the dialogs offer neither minimise nor maximise, and
// only the folder dialogs can be sized.
#include "MainTestSupport.h"
#include "app/dialogs/AboutForm.h"
#include "app/dialogs/DiscDlg.h"
#include "app/dialogs/DiscWiz.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/dialogs/SettsForm.h"

namespace qv::test {
namespace {

using DialogFrames = MainTest;

TEST_F(DialogFrames, DialogsHaveTheBorderAndButtonsOfTheirStyle) {
  AnswerCancel();
  Start();
  auto style = [](TForm* f) { return DWORD(GetWindowLongPtrW(f->Handle(), GWL_STYLE)); };
  const DWORD main = style(MainForm);
  EXPECT_TRUE((main & WS_MINIMIZEBOX) && (main & WS_MAXIMIZEBOX) && (main & WS_THICKFRAME));
  struct Want {
    TForm* form;
    bool sizable;
  };
  for (Want w : std::initializer_list<Want>{{DiscWiz, false},
                                            {SettsForm, false},
                                            {FTypeDlg, false},
                                            {DiscDlg, false},
                                            {AboutForm, false},
                                            {BaseDlg, true},
                                            {PathDlg, true}}) {
    const DWORD s = style(w.form);
    EXPECT_EQ(s & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u) << w.form->Caption();
    EXPECT_EQ((s & WS_THICKFRAME) != 0, w.sizable) << w.form->Caption();
    EXPECT_EQ(s & WS_CAPTION, DWORD(WS_CAPTION)) << w.form->Caption();
    EXPECT_TRUE(s & WS_SYSMENU) << w.form->Caption();
    // Owned by the main window, so the desktop treats each as its dialog.
    EXPECT_EQ(GetWindow(w.form->Handle(), GW_OWNER), MainForm->Handle()) << w.form->Caption();
  }
}

}  // namespace
}  // namespace qv::test
