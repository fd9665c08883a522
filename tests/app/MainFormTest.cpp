// The main window as built: its texts, actions, menus, tool bars and hint
// look; the gauge, the caption and the status bar; the settings it keeps;
// and a program that cannot find its schema ending with one clear box.
#include <algorithm>

#include "MainTestSupport.h"
#include "app/forms/MainTexts.h"
#include "app/frames/Console.h"
#include "app/frames/DiscTree.h"
#include "classlib/comctrls/ToolBar.h"
#include "platform/window/SizeMove.h"
#include "skin/controls/skSplitter.h"
#include "skin/skHintManager.h"

namespace qv::test {
namespace {

using MainFormTest = MainTest;

std::vector<std::string> Captions(TMenuItem* menu) {
  std::vector<std::string> out;
  for (int i = 0; i < menu->Count(); ++i) out.push_back(menu->Items(i)->Caption());
  return out;
}

TEST_F(MainFormTest, ActionsCarryTheirTextsShortcutsAndImages) {
  AnswerCancel();
  Start();
  TMainForm* f = MainForm;
  EXPECT_EQ(f->ActionManager->ActionCount(), 26);
  struct Want {
    TAction* a;
    const char *caption, *shortcut, *hint;
  };
  for (Want w : std::initializer_list<Want>{
           {f->actScan, "&Add disc ...", "F9", " Add disc to the database "},
           {f->actOpen, "&Open ...", "Ctrl+O", " Load existing database "},
           {f->actSearch, "&Search", "F7", " Search for files and/or folders in the database "},
           {f->actHelp, "&Help ...", "F1", " Show appliation help "},
           {f->actCatDel, "&Delete Category ", "", " Deletes selected category that must be empty! "},
           {f->actRCopy, "&Copy", "Ctrl+C", " Copy report to the clipboard "},
           {f->actTutor, "&How to ...", "", ""},
           {f->actFileBEOpen, "Open in &Explorer", "", " Open selected file in the Windows Explorer "}}) {
    EXPECT_EQ(w.a->Caption(), w.caption);
    EXPECT_EQ(w.a->Hint(), w.hint);
    EXPECT_EQ(w.a->ShortCut(), *w.shortcut ? TextToShortCut(w.shortcut) : scNone) << w.caption;
  }
  // Every action has its own picture.
  std::vector<int> images;
  for (int i = 0; i < f->ActionManager->ActionCount(); ++i)
    images.push_back(static_cast<TAction*>(f->ActionManager->Actions(i))->ImageIndex());
  std::sort(images.begin(), images.end());
  EXPECT_EQ(std::unique(images.begin(), images.end()), images.end());
  EXPECT_GE(images.front(), 0);
}

TEST_F(MainFormTest, MenusPopupsAndToolBarsAreMadeOfTheActions) {
  AnswerCancel();
  Start();
  TMainForm* f = MainForm;
  ASSERT_EQ(f->MainMenu->Items()->Count(), 6);
  EXPECT_EQ(Captions(f->MainMenu->Items()),
            (std::vector<std::string>{"Data&base", "&Categories", "&Discs", "&File", "&Reports", "&Help"}));
  EXPECT_EQ(Captions(f->MenuTitles[0]),
            (std::vector<std::string>{"&New ...", "&Open ...", "Clear", "-", "&Settings ...", "-", "E&xit"}));
  EXPECT_EQ(Captions(f->MenuTitles[5]),
            (std::vector<std::string>{"&Help ...", "&Contents ...", "&How to ...", "-", "&About ..."}));
  EXPECT_EQ(Captions(f->DiscPopup->Items()),
            (std::vector<std::string>{"&Add disc ...", "&Browse", "-", "&Delete", "-", "&Properties ..."}));
  EXPECT_EQ(Console->View->PopupMenu(), f->ConsPopup);
  EXPECT_EQ(DiscTree->CatTree->PopupMenu(), f->CatPopup);
  EXPECT_EQ(DiscTree->Tree->PopupMenu(), f->DiscPopup);
  EXPECT_EQ(f->Editor->PopupMenu(), f->ReportPopup);

  // Tool bar buttons follow the actions, separators between groups.
  ASSERT_EQ(f->SearchTools->ButtonCount(), 7);
  EXPECT_EQ(f->SearchTools->Buttons(0)->Action(), f->actSearch);
  EXPECT_EQ(f->SearchTools->Buttons(2)->Action(), f->actAbort);
  EXPECT_EQ(f->SearchTools->Buttons(3)->Style(), tbsSeparator);
  EXPECT_EQ(f->DiscTools->ButtonCount(), 11);
  ASSERT_EQ(f->CoolBar->Bands()->Count(), 1);
  EXPECT_EQ(f->CoolBar->Bands()->Items(0)->Control(), f->DiscTools);
  EXPECT_EQ(f->RepTools->Buttons(0)->Action(), f->actRSave);

  // A click on a menu title brings up the page its commands work on.
  f->PageControl->SetActivePageIndex(2);
  f->MenuTitles[3]->Click();
  EXPECT_EQ(f->PageControl->ActivePageIndex(), 1);
  f->MenuTitles[4]->Click();
  EXPECT_EQ(f->PageControl->ActivePageIndex(), 3);
  f->MenuTitles[5]->Click();
  EXPECT_EQ(f->PageControl->ActivePageIndex(), 3);
  f->MenuTitles[1]->Click();
  EXPECT_EQ(f->PageControl->ActivePageIndex(), 0);
}

TEST_F(MainFormTest, LayoutHintsAndMinimumSize) {
  AnswerCancel();
  Start();
  TMainForm* f = MainForm;
  EXPECT_EQ(f->Caption(), " Velmora Quirvane ");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(f->PageControl->Pages(i)->Caption(), texts::mainform::Pages[i]);
  // The designed 888 x 622 at (201, 108) is larger than the 800 x 600 screen:
  // the window comes up filling it.
  EXPECT_EQ(f->BoundsRect(), (RECT{0, 0, 800, 600}));
  EXPECT_EQ(f->ConsPanel->Height(), 105);
  EXPECT_EQ(f->Gauge->Height(), 14);
  EXPECT_EQ(f->Gauge->Max(), 100);
  EXPECT_EQ(f->StatusBar->Panels()->Items(0)->Width(), 256);
  EXPECT_EQ(f->skSplitter->Cursor(), crVSplit);
  EXPECT_EQ(f->Editor->Font()->Height(), -13);
  EXPECT_EQ(f->ActiveControl(), DiscTree->CatTree);
  // The pages stack above the console, the gauge above the status bar.
  EXPECT_LT(f->PageControl->Top(), f->ConsPanel->Top());
  EXPECT_GT(f->PageControl->Height(), 3 * f->ConsPanel->Height());
  EXPECT_EQ(f->skSplitter->Height(), 3);
  EXPECT_EQ(f->skSplitter->Top() + 3, f->ConsPanel->Top());
  EXPECT_EQ(f->Gauge->Top() + f->Gauge->Height(), f->StatusBar->Top());
  // Inside the client area below the menu bar, from the first showing on.
  EXPECT_EQ(f->StatusBar->Top() + f->StatusBar->Height(), f->ClientHeight());

  TSkHintKind* k = f->skHintManager->HintKind();
  EXPECT_EQ(k->Style(), hsComics);
  EXPECT_EQ(k->Radius, 25);
  EXPECT_EQ(k->Color, TColor(12778748));
  EXPECT_EQ(k->ColorBorderBottom, clNavy);
  EXPECT_EQ(k->MaxWidth, 180);
  EXPECT_EQ(k->ShadowOffset, 7);
  EXPECT_EQ(Application->HintPause, 500);
  EXPECT_EQ(Application->HintShortPause, 200);

  f->SetBounds(f->Left(), f->Top(), 300, 200);
  EXPECT_EQ(f->Width(), 640);
  EXPECT_EQ(f->Height(), 350);

  Application->Hint = " Stop current process ";
  f->AppHint();
  EXPECT_EQ(f->StatusBar->Panels()->Items(0)->Text(), "  Stop current process ");
}

// The least size holds on every path a size comes by: the limits the
// desktop's window manager reads, and a size the desktop forces anyway,
// which the window takes back and reports to the desktop. On a denser
// screen the least size grows with the rest of the window.
TEST_F(MainFormTest, TheLeastSizeHoldsWhereverASizeComesFrom) {
  for (int dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    backend.Dpi = dpi;
    AnswerCancel();
    Start();
    TMainForm* f = MainForm;
    // At 144 dpi the least width would be 960, wider than the 800 x 600 screen.
    const int least = dpi == 96 ? 640 : 800, lowest = dpi * 350 / 96;
    MINMAXINFO mm = GetMinMaxInfo(f->Handle());
    EXPECT_EQ(mm.ptMinTrackSize.x, least);
    EXPECT_EQ(mm.ptMinTrackSize.y, lowest);

    // Scaled once, the gauge stays above the status bar at the bottom.
    EXPECT_EQ(f->Gauge->Top() + f->Gauge->Height(), f->StatusBar->Top());
    EXPECT_EQ(f->StatusBar->Top() + f->StatusBar->Height(), f->ClientHeight());
    backend.Moved.clear();
    InjectTopLevelMoved(f->Handle(), RECT{30, 40, 350, 280});
    Pump();
    RECT r{};
    GetWindowRect(f->Handle(), &r);
    EXPECT_EQ(r, (RECT{30, 40, 30 + least, 40 + lowest}));
    EXPECT_EQ(f->Width(), least);
    EXPECT_EQ(f->Height(), lowest);
    ASSERT_FALSE(backend.Moved.empty()) << "the desktop keeps the forced size";
    EXPECT_EQ(backend.Moved.back().rect, r);
    EXPECT_EQ(f->StatusBar->Top() + f->StatusBar->Height(), f->ClientHeight());

    f->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(f->Width(), least);
    EXPECT_EQ(f->Height(), lowest);
    Stop();
  }
}

TEST_F(MainFormTest, GaugeShowsTheValueModuloItsMaximum) {
  AnswerCancel();
  Start();
  TMainForm* f = MainForm;
  f->EngineProgress(100);
  EXPECT_EQ(f->Gauge->Position(), 100);
  f->EngineProgress(105);
  EXPECT_EQ(f->Gauge->Position(), 5);
  f->EngineProgress(250);
  EXPECT_EQ(f->Gauge->Position(), 50);
  f->EngineProgress(0);
  EXPECT_EQ(f->Gauge->Position(), 0);
}

TEST_F(MainFormTest, ReportPageSavesCopiesAndClears) {
  AnswerCancel();
  Start();
  TMainForm* f = MainForm;
  EXPECT_FALSE(Enabled(f->actRSave));
  EXPECT_FALSE(Enabled(f->actRCopy));
  f->AddReportLine("/media/disc/one.txt");
  f->AddReportLine("/media/disc/two.txt");
  EXPECT_TRUE(Enabled(f->actRSave));
  EXPECT_TRUE(Enabled(f->actRClear));

  // No selection: the whole text goes, and the caret stays where it was.
  f->Editor->SetSelStart(3);
  f->actRCopy->Execute();
  EXPECT_EQ(Utf16ToUtf8(backend.Clipboard), "/media/disc/one.txt\r\n/media/disc/two.txt\r\n");
  EXPECT_EQ(f->Editor->SelStart(), 3);
  EXPECT_EQ(f->Editor->SelLength(), 0);
  f->Editor->SetSelStart(7);
  f->Editor->SetSelLength(4);
  f->actRCopy->Execute();
  EXPECT_EQ(Utf16ToUtf8(backend.Clipboard), "disc");

  // Saved as plain text in the folder chosen, which the next save starts in.
  f->SaveDialog->InitialDir = files.Path();
  f->SaveDialog->FileName = "report";
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_RETURN); });
  f->actRSave->Execute();
  std::ifstream in(files.Path() + "report.txt");
  std::string first, second;
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_EQ(first, "/media/disc/one.txt");
  EXPECT_EQ(second, "/media/disc/two.txt");
  EXPECT_EQ(f->SaveDialog->InitialDir, files.Path());

  f->actRClear->Execute();
  EXPECT_TRUE(f->Editor->Text().empty());
  EXPECT_FALSE(Enabled(f->actRCopy));

  // A name with a line break or a tab in it stays on its one line.
  f->AddReportLine("/media/disc/two\nlines\t.txt");
  f->AddReportLine(std::string("/media/disc/bell\x07.txt"));
  ASSERT_EQ(f->Editor->Lines()->Count(), 2);
  EXPECT_EQ(f->Editor->Lines()->Strings(0), "/media/disc/two\\nlines\\t.txt");
  EXPECT_EQ(f->Editor->Lines()->Strings(1), "/media/disc/bell\\x07.txt");
}

TEST_F(MainFormTest, HelpOpensThePageOfTheActivePage) {
  AnswerCancel();
  Start();
  TMainForm* f = MainForm;
  const char* topics[4] = {"a2_05_00.htm", "a2_06_00.htm", "a2_09_00.htm", "a2_10_00.htm"};
  for (int page = 0; page < 4; ++page) {
    f->PageControl->SetActivePageIndex(page);
    backend.Opened.clear();
    f->actHelp->Execute();
    ASSERT_EQ(backend.Opened.size(), 1u);
    EXPECT_EQ(backend.Opened.back(), AppPath() + "help/" + topics[page]);
  }
  backend.Opened.clear();
  f->actTutor->Execute();
  f->actHelpCont->Execute();
  EXPECT_EQ(backend.Opened,
            (std::vector<std::string>{AppPath() + "help/a3_00_00.htm", AppPath() + "help/index.htm"}));
}

TEST_F(MainFormTest, BoundsAndConsoleHeightComeBackAndTheConsoleKeepsAtLeastOneLine) {
  AnswerCancel();
  Start();
  MainForm->SetBounds(40, 50, 700, 450);
  MainForm->ConsPanel->SetHeight(0);
  Stop();
  std::string ini = SettingsText();
  EXPECT_NE(ini.find("[MAINFORM]"), std::string::npos);
  EXPECT_NE(ini.find("CH=1\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("W=700\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Pass=1\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Base=\n"), std::string::npos) << ini;

  AnswerCancel();
  Start(false);
  EXPECT_EQ(MainForm->Left(), 40);
  EXPECT_EQ(MainForm->Top(), 50);
  EXPECT_EQ(MainForm->Width(), 700);
  EXPECT_EQ(MainForm->Height(), 450);
  EXPECT_EQ(MainForm->ConsPanel->Height(), 1);
}

TEST_F(MainFormTest, OnADenseScreenTheWindowScalesOnceAndKeepsItsSizeAcrossStarts) {
  backend.Dpi = 144;
  AnswerCancel();
  Start(false);
  TMainForm* f = MainForm;
  EXPECT_EQ(f->PixelsPerInch, 144);
  EXPECT_NEAR(f->ConsPanel->Height(), 158, 1);
  EXPECT_EQ(f->Editor->Font()->Height(), -20);
  EXPECT_EQ(f->Gauge->Height(), 21);
  int w = f->Width(), h = f->Height();
  f->ConsPanel->SetHeight(150);
  Stop();
  // Kept sizes are screen pixels: they come back as they were.
  AnswerCancel();
  Start(false);
  EXPECT_EQ(MainForm->Width(), w);
  EXPECT_EQ(MainForm->Height(), h);
  EXPECT_EQ(MainForm->ConsPanel->Height(), 150);
}

TEST_F(MainFormTest, WithoutItsSchemaTheProgramSaysSoOnceAndEnds) {
  TMainForm::SchemaFolder = files.Path();  // no Quirvane.ctx there
  StartProgram();
  CreateForms();
  EXPECT_FALSE(MainForm->EngineUsable());
  EXPECT_EQ(RunForms(), 1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].Text.find("Quirvane.ctx"), std::string::npos) << boxes[0].Text;
  EXPECT_FALSE(MainForm->Visible());
  // Nothing is offered on a catalogue that cannot work.
  MainForm->UpdateActions();
  EXPECT_FALSE(MainForm->actScan->Enabled());
  DestroyForms();
  StopProgram();
}

}  // namespace
}  // namespace qv::test
