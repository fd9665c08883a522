// The program as a user meets it, end to end on a headless screen: the first
// start creates a catalogue, a restart reopens it (through the Open dialog
// when it has a password), a folder is added through the wizard, searched,
// compared with a folder on disk and browsed; categories are edited; and a
// long add can be stopped, or the window closed under it, without harm.
#include <algorithm>
#include <filesystem>

#include "MainTestSupport.h"
#include "app/dialogs/DiscDlg.h"
#include "app/frames/Browser.h"
#include "app/frames/Console.h"
#include "app/frames/DiscTree.h"
#include "app/frames/FileTree.h"
#include "catalogue/Info.h"

namespace qv::test {

std::vector<std::string> ConsoleLinesNow() {
  std::vector<std::string> lines;
  if (Console)
    for (int i = 0; i < Console->Lines().Count(); ++i) lines.push_back(Console->Lines().Strings(i));
  return lines;
}

namespace {

class Scenario : public MainTest {
 protected:
  // The group rows of the search view, by their names.
  std::vector<std::string> ResultGroups() {
    std::vector<std::string> names;
    TDataStringTree* t = FileTree->Tree;
    for (PDataNode n = t->GetFirstChild(nullptr); n; n = t->GetNextSibling(n))
      names.push_back(Utf16ToUtf8(t->GetText(n, 0)));
    std::sort(names.begin(), names.end());
    return names;
  }
  // The labels of the disc list's rows, as shown.
  std::vector<std::string> DiscLabels() {
    std::vector<std::string> labels;
    TDataStringTree* t = DiscTree->Tree;
    for (PDataNode n = t->GetFirstChild(nullptr); n; n = t->GetNextSibling(n))
      labels.push_back(Utf16ToUtf8(t->GetText(n, 0)));
    return labels;
  }
  // Whether a category row shows this disc count.
  bool CategoryCounts(const std::string& count) {
    for (const std::string& text : CategoryTexts())
      if (text.find("  (" + count + ") ") != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> CategoryTexts() {
    std::vector<std::string> texts;
    for (TTreeNode* n = DiscTree->CatTree->Items()->GetFirstNode(); n; n = n->GetNext())
      texts.push_back(n->Text());
    return texts;
  }
  void Search(const std::string& fileMask, const std::string& folderMask = "*") {
    FileTree->FileEdit->SetText(fileMask);
    FileTree->FolderEdit->SetText(folderMask);
    ASSERT_TRUE(Enabled(MainForm->actSearch));
    MainForm->actSearch->Execute();
    Idle();
  }
};

TEST_F(Scenario, FirstStartCreatesACatalogueAndKeepsItForTheNextStart) {
  AnswerNew("Test");
  Start();
  ASSERT_EQ(dialogCaptions, (std::vector<std::string>{" New database"}));
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_EQ(MainForm->Caption(), " Velmora Quirvane  - [ Test ]");
  EXPECT_TRUE(ConsoleHas(" New database \"Test\" has been created"));
  std::vector<std::string> cats = CategoryTexts();
  ASSERT_EQ(cats.size(), 11u);
  EXPECT_EQ(cats[0], " All Categories ");
  for (size_t i = 1; i < cats.size(); ++i) {
    EXPECT_NE(cats[i].find("  (0) "), std::string::npos) << cats[i];
    if (i > 1) {
      EXPECT_LT(cats[i - 1], cats[i]);
    }
  }
  EXPECT_TRUE(Enabled(MainForm->actScan));
  EXPECT_FALSE(Enabled(MainForm->actDel)) << "no disc selected";
  std::string base = MainForm->Base;
  EXPECT_EQ(base, DatabaseFolder() + "Test/");
  Stop();

  std::string ini = SettingsText();
  for (std::string want :
       std::vector<std::string>{"[MAINFORM]", "Base=" + base + "\n", "Pass=0\n", "CH=105\n", "X=0\n",
                                "H=600\n", "[GENERAL]", "First=0\n", "[FILETYPES]", "Count=10\n"})
    EXPECT_NE(ini.find(want), std::string::npos) << want << "\n" << ini;

  // Without a password the catalogue reopens at once, no dialog asked.
  backend.ModalHook = [this](HWND) {
    ADD_FAILURE() << "a dialog opened";
    if (TCustomForm* f = Screen->ActiveForm()) f->SetModalResult(mrCancel);
  };
  Start();
  backend.ModalHook = nullptr;
  EXPECT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_TRUE(ConsoleHas(" Database \"Test\" has been loaded"));
  EXPECT_EQ(MainForm->Caption(), " Velmora Quirvane  - [ Test ]");
}

TEST_F(Scenario, APasswordCatalogueReopensThroughTheOpenDialogAndAWrongPasswordKeepsIt) {
  StartWithCatalogue("secret");
  std::string base = MainForm->Base;
  EXPECT_TRUE(MainForm->Pass);
  Stop();

  AnswerOpen("wrong");
  Start();
  ASSERT_EQ(dialogCaptions.back(), " Open database");
  EXPECT_EQ(shownName, "Test");
  EXPECT_FALSE(MainForm->Engine->IsOpen());
  ASSERT_EQ(boxes.size(), 1u);
  // The folder as the dialog shows it, without the trailing "/".
  std::string shown = base.substr(0, base.size() - 1);
  EXPECT_EQ(boxes[0].Text.rfind("Failed to open database from \"" + shown + "\"\nError \"", 0), 0u)
      << boxes[0].Text;
  EXPECT_EQ(MainForm->Base, base);
  // The password typed is not left in the dialog.
  EXPECT_EQ(BaseDlg->PassEdit->Text(), "");

  AnswerOpen("secret");
  MainForm->actOpen->Execute();
  EXPECT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_EQ(MainForm->Caption(), " Velmora Quirvane  - [ Test ]");
}

TEST_F(Scenario, AFolderAddedThroughTheWizardIsFoundBySearch) {
  StartWithCatalogue();
  AddFixtureDisc("Shelf disc");
  EXPECT_TRUE(ConsoleHas("Found 7 file(s) and 3 folders(s)")) << testing::PrintToString(ConsoleLines());
  ASSERT_EQ(MainForm->Engine->Discs->Count(), 1);
  TDiscData disc = MainForm->Engine->Discs->GetDisc(0);
  EXPECT_EQ(disc.Files, 7);
  EXPECT_EQ(disc.Folders, 3);
  EXPECT_EQ(DiscTree->Tree->RootNodeCount(), 1u);
  // Stop is offered only while the add runs.
  EXPECT_FALSE(MainForm->actAbort->Enabled());
  EXPECT_TRUE(Enabled(MainForm->actScan));

  Search("*.txt");
  EXPECT_EQ(MainForm->PageControl->ActivePageIndex(), 1);
  EXPECT_EQ(ResultGroups(), (std::vector<std::string>{"deep.txt", "manual.txt", "notes.txt", "readme.txt"}));
  EXPECT_TRUE(ConsoleHas("4 file(s) and 0 folder(s) found")) << testing::PrintToString(ConsoleLines());
  EXPECT_FALSE(MainForm->actAbort->Enabled());

  // Open in the browser: only on the search page, only with an entry selected.
  EXPECT_FALSE(Enabled(MainForm->actFileBOpen));
  TDataStringTree* t = FileTree->Tree;
  PDataNode group = t->GetFirstChild(nullptr);
  ASSERT_NE(group, nullptr);
  PDataNode entry = t->GetFirstChild(group);
  ASSERT_NE(entry, nullptr);
  t->SetSelected(entry, true);
  t->SetFocusedNode(entry);
  EXPECT_TRUE(Enabled(MainForm->actFileBOpen));
  MainForm->PageControl->SetActivePageIndex(0);
  EXPECT_FALSE(Enabled(MainForm->actFileBOpen));
  EXPECT_FALSE(Enabled(MainForm->actFileEOpen));
  MainForm->PageControl->SetActivePageIndex(1);
  MainForm->actFileBOpen->Execute();
  Idle();
  EXPECT_EQ(MainForm->PageControl->ActivePageIndex(), 2);
  ASSERT_NE(Browser->ShownFolder(), nullptr);
  EXPECT_TRUE(Enabled(MainForm->actFileBEOpen));

  // On screen: group rows on blue, entries on green, in the result view.
  MainForm->SetBounds(0, 0, 800, 600);
  Search("*.txt");
  Idle();
  backend.AdvanceClock(100);
  Pump();
  Surface shot = backend.Screenshot();
  int groups = 0, entries = 0;
  for (uint32_t px : shot.Pixels) {
    groups += (px & 0xFFFFFF) == (PixelRGB(210, 230, 255) & 0xFFFFFF);
    entries += (px & 0xFFFFFF) == (PixelRGB(230, 255, 210) & 0xFFFFFF);
  }
  EXPECT_GT(groups, 4 * 400);
  EXPECT_GT(entries, 4 * 400);
  // The window with its search result, for the README.
  if (const char* out = std::getenv("QV_MAIN_WINDOW_SHOT")) backend.SaveScreenshot(out);
}

TEST_F(Scenario, FolderCompareListsTheFilesNotStoredAndStopWorksDuringIt) {
  StartWithCatalogue();
  AddFixtureDisc();
  std::string other = files.Path() + "other/";
  // Two stored files as they are, one new, one stored name of another size.
  MakeFile(other + "readme.txt", 1024);
  MakeFile(other + "notes.txt", 10);
  MakeFile(other + "new.txt", 77);
  MakeFile(other + "photo.jpg", 5);
  // The gauge fills as the files are compared and is empty once the compare
  // ends, as after a search.
  int fullest = 0;
  MainForm->Engine->SetProgressHandler([&](int32_t v) {
    MainForm->EngineProgress(v);
    fullest = std::max(fullest, MainForm->Gauge->Position());
  });
  AnswerPath(other);
  MainForm->actCompare->Execute();
  Idle();
  EXPECT_EQ(fullest, 100);
  EXPECT_EQ(MainForm->Gauge->Position(), 0);
  std::string report = MainForm->Editor->Text();
  EXPECT_NE(report.find(other + "new.txt"), std::string::npos) << report;
  EXPECT_NE(report.find(other + "photo.jpg"), std::string::npos) << report;
  EXPECT_EQ(report.find("readme.txt"), std::string::npos) << report;
  EXPECT_TRUE(ConsoleHas("Done. 2 files that are NOT stored in the database are listed in REPORTS!"))
      << testing::PrintToString(ConsoleLines());
  EXPECT_TRUE(Enabled(MainForm->actRCopy));

  // Stop is offered during a compare too, and stops it.
  for (int i = 0; i < 1500; ++i) MakeFile(other + "many/f" + std::to_string(i) + ".dat", 1);
  MainForm->Engine->MessageIntervalMs = 0;
  bool offered = false;
  MainForm->Engine->SetProgressHandler([&](int32_t v) {
    if (!offered && MainForm->Engine->Busy) {
      offered = MainForm->actAbort->Enabled();
      MainForm->actAbort->Execute();
    }
    MainForm->EngineProgress(v);
  });
  AnswerPath(other);
  MainForm->actCompare->Execute();
  EXPECT_TRUE(offered);
  EXPECT_TRUE(ConsoleHas(" WARNING : Scanning process interrupted"))
      << testing::PrintToString(ConsoleLines());
  EXPECT_FALSE(MainForm->actAbort->Enabled());
  EXPECT_TRUE(Enabled(MainForm->actCompare));
}

// Names that hold a line break, a tab, a backslash followed by "n" and a
// backslash of their own: each is listed by a folder compare on one line of
// the saved report, and every line reads back as exactly the path it lists.
TEST_F(Scenario, EveryReportLineReadsBackAsTheOneNameItLists) {
  StartWithCatalogue();
  const std::string other = files.Path() + "odd/";
  const std::vector<std::string> names = {"two\nlines.txt", "two\\nlines.txt", "back\\slash.txt",
                                          "tab\t.txt",      "end.\\",          "plain.txt"};
  for (const std::string& name : names) MakeFile(other + name, 3);
  AnswerPath(other);
  MainForm->actCompare->Execute();
  Idle();
  MainForm->SaveDialog->InitialDir = files.Path();
  MainForm->SaveDialog->FileName = "report";
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_RETURN); });
  MainForm->actRSave->Execute();

  // A line as a reader takes it back: \\, \n, \r, \t and \xHH.
  auto readBack = [](const std::string& line) {
    std::string name;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] != '\\') {
        name += line[i];
        continue;
      }
      const char e = i + 1 < line.size() ? line[++i] : '?';
      if (e == 'x' && i + 2 < line.size()) {
        name += char(std::stoi(line.substr(i + 1, 2), nullptr, 16));
        i += 2;
      } else {
        name += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e == '\\' ? '\\' : '?';
      }
    }
    return name;
  };
  std::ifstream saved(files.Path() + "report.txt");
  std::vector<std::string> listed;
  for (std::string line; std::getline(saved, line);) listed.push_back(readBack(line));
  std::vector<std::string> expected;
  for (const std::string& name : names) expected.push_back(other + name);
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected);
}

TEST_F(Scenario, CategoriesAreAddedRenamedAndDeletedWithTheirRules) {
  StartWithCatalogue();
  TDiscKinds& kinds = MainForm->Engine->Discs->Categories;
  int before = kinds.Count();
  backend.ModalAnswers.push_back([&](HWND) {
    backend.TypeText(u"Ebooks");
    backend.KeyPress(VK_RETURN);
  });
  MainForm->actCatAdd->Execute();
  ASSERT_EQ(kinds.Count(), before + 1);
  int ebooks = kinds.IndexOf("Ebooks");
  ASSERT_GE(ebooks, 0);

  // Select a category node by its index.
  auto select = [&](int index) {
    for (TTreeNode* n = DiscTree->CatTree->Items()->GetFirstNode(); n; n = n->GetNext())
      if (int(reinterpret_cast<intptr_t>(n->Data())) == index && (index >= 0 || !n->Parent())) {
        DiscTree->CatTree->SetSelected(n);
        return;
      }
    FAIL() << "no node of category " << index;
  };
  select(-1);
  EXPECT_FALSE(Enabled(MainForm->actCatDel)) << "the root";
  EXPECT_FALSE(Enabled(MainForm->actCatEdit)) << "the root";
  select(ebooks);
  EXPECT_TRUE(Enabled(MainForm->actCatEdit));
  EXPECT_TRUE(Enabled(MainForm->actCatDel));

  // Another letter case of its own name changes nothing.
  backend.ModalAnswers.push_back([&](HWND) {
    backend.TypeText(u"ebooks");
    backend.KeyPress(VK_RETURN);
  });
  MainForm->actCatEdit->Execute();
  EXPECT_EQ(kinds.GetName(ebooks), "Ebooks");
  // The name of another category is refused on the console.
  select(kinds.IndexOf("Ebooks"));
  backend.ModalAnswers.push_back([&](HWND) {
    backend.TypeText(u"Video");
    backend.KeyPress(VK_RETURN);
  });
  MainForm->actCatEdit->Execute();
  EXPECT_EQ(kinds.IndexOf("Ebooks") >= 0, true);
  EXPECT_TRUE(ConsoleHas(" ERROR : Category with name \"Video\" already exists"));

  // Deleting asks first; No keeps it, Yes removes it.
  select(kinds.IndexOf("Ebooks"));
  boxAnswers = {IDNO};
  MainForm->actCatDel->Execute();
  EXPECT_GE(kinds.IndexOf("Ebooks"), 0);
  EXPECT_EQ(boxes.back().Text,
            "It is not recommended to delete categories!\r\nDo you still want to proceed?");
  select(kinds.IndexOf("Ebooks"));
  boxAnswers = {IDYES};
  MainForm->actCatDel->Execute();
  EXPECT_LT(kinds.IndexOf("Ebooks"), 0);
  EXPECT_EQ(kinds.Count(), before);

  // A category that holds a disc cannot go, nor can any with no catalogue open.
  AddFixtureDisc();
  int used = MainForm->Engine->Discs->GetDisc(0).Category;
  select(used);
  EXPECT_FALSE(Enabled(MainForm->actCatDel));
  MainForm->Engine->CloseDatabase();
  select(kinds.Count() > 0 ? 0 : -1);
  EXPECT_FALSE(Enabled(MainForm->actCatDel));
  EXPECT_FALSE(Enabled(MainForm->actCatAdd));
}

TEST_F(Scenario, WhileAnAddRunsNothingChangesTheCatalogueAndStopEndsIt) {
  StartWithCatalogue();
  std::string big = files.Path() + "big/";
  for (int i = 0; i < 3000; ++i)
    MakeFile(big + "d" + std::to_string(i / 300) + "/f" + std::to_string(i) + ".dat", 1);
  MainForm->Engine->MessageIntervalMs = 0;
  std::map<std::string, bool> during;
  MainForm->Engine->SetProgressHandler([&](int32_t v) {
    // Stopped once the scan is under way (it reports every 500 entries).
    if (during.empty() && MainForm->Engine->Busy && v > 0) {
      MainForm->UpdateActions();
      for (auto [name, a] :
           std::initializer_list<std::pair<const char*, TAction*>>{{"Abort", MainForm->actAbort},
                                                                   {"New", MainForm->actNew},
                                                                   {"Open", MainForm->actOpen},
                                                                   {"Del", MainForm->actDel},
                                                                   {"Clear", MainForm->actClear},
                                                                   {"Scan", MainForm->actScan},
                                                                   {"Settings", MainForm->actSettings},
                                                                   {"CatAdd", MainForm->actCatAdd},
                                                                   {"Search", MainForm->actSearch}})
        during[name] = a->Enabled();
      MainForm->actAbort->Execute();
    }
    MainForm->EngineProgress(v);
  });
  QueueWizardAnswer(backend, "Big", big);
  MainForm->actScan->Execute();
  ASSERT_FALSE(during.empty()) << "no progress during the add";
  EXPECT_TRUE(during["Abort"]);
  for (const char* name : {"New", "Open", "Del", "Clear", "Scan", "Settings", "CatAdd", "Search"})
    EXPECT_FALSE(during[name]) << name;
  EXPECT_TRUE(ConsoleHas(" WARNING : Scanning process interrupted"))
      << testing::PrintToString(ConsoleLines());
  EXPECT_TRUE(Enabled(MainForm->actScan));
  EXPECT_FALSE(MainForm->actAbort->Enabled());
  EXPECT_TRUE(Enabled(MainForm->actNew));
  EXPECT_EQ(MainForm->Gauge->Position(), 0);
  // The stopped add keeps its disc, empty, and the views show it at once.
  EXPECT_EQ(DiscLabels(), std::vector<std::string>{"Big"});
  EXPECT_TRUE(CategoryCounts("1")) << testing::PrintToString(CategoryTexts());
}

TEST_F(Scenario, ClosingTheWindowDuringAnAddStopsItAndClosesAfterwards) {
  StartWithCatalogue();
  std::string big = files.Path() + "big/";
  for (int i = 0; i < 3000; ++i)
    MakeFile(big + "d" + std::to_string(i / 300) + "/f" + std::to_string(i) + ".dat", 1);
  MainForm->Engine->MessageIntervalMs = 0;
  bool asked = false, stillShown = false, closed = false;
  // The close is seen, and kept from ending the test program.
  MainForm->OnClose = [&](TObject*, TCloseAction& Action) {
    closed = true;
    Action = caNone;
  };
  MainForm->Engine->SetProgressHandler([&](int32_t v) {
    if (!asked && MainForm->Engine->Busy && v > 0) {
      asked = true;
      MainForm->Close();
      // Refused for now: the window is still there, the add winds down.
      stillShown = MainForm->Visible() && !closed;
    }
    MainForm->EngineProgress(v);
  });
  QueueWizardAnswer(backend, "Big", big);
  MainForm->actScan->Execute();
  ASSERT_TRUE(asked);
  EXPECT_TRUE(stillShown);
  EXPECT_TRUE(ConsoleHas(" WARNING : Scanning process interrupted"));
  EXPECT_EQ(DiscLabels(), std::vector<std::string>{"Big"});
  EXPECT_TRUE(CategoryCounts("1")) << testing::PrintToString(CategoryTexts());
  // Once the add returned, the window closed.
  EXPECT_TRUE(closed);
  EXPECT_FALSE(MainForm->CloseWhenIdle);
  // The catalogue is whole: it closes and reopens.
  std::string base = MainForm->Base;
  Stop();
  Start();
  EXPECT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_EQ(MainForm->Base, base);
}

TEST_F(Scenario, DiscPropertiesChangeTheRowTheCategoryCountsAndTheCatalogue) {
  StartWithCatalogue();
  AddFixtureDisc("Shelf disc");
  TDataStringTree* t = DiscTree->Tree;
  EXPECT_FALSE(Enabled(MainForm->actEdit));
  PDataNode row = t->GetFirst();
  t->SetSelected(row, true);
  EXPECT_TRUE(Enabled(MainForm->actEdit));
  EXPECT_TRUE(Enabled(MainForm->actBrowse));
  TDiscKinds& kinds = MainForm->Engine->Discs->Categories;
  int from = MainForm->Engine->Discs->GetDisc(0).Category;
  int to = kinds.IndexOf("Music");
  ASSERT_NE(from, to);
  backend.ModalAnswers.push_back([&](HWND) {
    EXPECT_EQ(DiscDlg->LabelEdit->Text(), "Shelf disc");
    EXPECT_TRUE(DiscDlg->LabelEdit->ReadOnly());
    DiscDlg->StoreEdit->SetText("Shelf 3");
    DiscDlg->TypeCombo->SetItemIndex(DiscDlg->TypeCombo->Items()->IndexOf(" Music "));
    DiscDlg->Info->SetText("first line\r\nsecond line");
    DiscDlg->SetModalResult(mrOk);
  });
  MainForm->actEdit->Execute();
  Idle();
  TDiscData stored = MainForm->Engine->Discs->GetDisc(0);
  EXPECT_EQ(stored.Location, u"Shelf 3");
  EXPECT_EQ(stored.Category, to);
  EXPECT_EQ(kinds.GetDiscCount(to), 1);
  EXPECT_EQ(kinds.GetDiscCount(from), 0);
  // The row shows the description on one line.
  PDataNode shown = t->GetFirst();
  ASSERT_NE(shown, nullptr);
  std::string description = Utf16ToUtf8(t->GetText(shown, 7));
  EXPECT_EQ(description.find('\n'), std::string::npos) << description;
  EXPECT_NE(description.find("first line"), std::string::npos) << description;
  EXPECT_NE(description.find("second line"), std::string::npos) << description;
  bool counted = false;
  for (const std::string& c : CategoryTexts()) counted |= c.find("Music  (1)") != std::string::npos;
  EXPECT_TRUE(counted) << testing::PrintToString(CategoryTexts());

  // Browse: the browser page shows the disc's root.
  t->SetSelected(t->GetFirst(), true);
  MainForm->actBrowse->Execute();
  Idle();
  EXPECT_EQ(MainForm->PageControl->ActivePageIndex(), 2);
  ASSERT_NE(Browser->ShownFolder(), nullptr);
  EXPECT_GT(Browser->FileView->RootNodeCount(), 0u);
}

TEST_F(Scenario, DeletingADiscAsksAndItsFilesAreNoLongerFound) {
  StartWithCatalogue();
  AddFixtureDisc("Shelf disc");
  TDataStringTree* t = DiscTree->Tree;
  t->SetSelected(t->GetFirst(), true);
  boxAnswers = {IDNO};
  MainForm->actDel->Execute();
  ASSERT_FALSE(boxes.empty());
  EXPECT_NE(boxes.back().Text.find("Shelf disc"), std::string::npos) << boxes.back().Text;
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 1);
  t->SetSelected(t->GetFirst(), true);
  boxAnswers = {IDYES};
  MainForm->actDel->Execute();
  Idle();
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 0);
  EXPECT_EQ(t->RootNodeCount(), 0u);
  EXPECT_TRUE(Enabled(MainForm->actScan));
  FileTree->FileEdit->SetText("*.txt");
  if (Enabled(MainForm->actSearch)) {
    MainForm->actSearch->Execute();
    Idle();
  }
  EXPECT_TRUE(ResultGroups().empty());
}

// Discs, Delete on a disc with files, its question answered by keys on the
// real box: Enter keeps the disc, a chosen Yes deletes it.
TEST_F(Scenario, DeletingADiscTakesAChosenYesNotEnter) {
  StartWithCatalogue();
  AddFixtureDisc("Shelf disc");
  TDataStringTree* t = DiscTree->Tree;
  auto deleteAnswering = [&](UINT key) {
    TMessageBoxHook hook = SetMessageBoxHook(nullptr);
    bool asked = false;
    backend.ModalAnswers.push_back([&, key](HWND) {
      asked = true;
      backend.KeyPress(key);
    });
    MainForm->PageControl->SetActivePageIndex(0);
    MainForm->SetActiveControl(t);
    t->SetSelected(t->GetFirst(), true);
    Pump();
    MainForm->actDel->Execute();
    Idle();
    SetMessageBoxHook(hook);
    EXPECT_TRUE(asked) << "no box came up";
  };
  deleteAnswering(VK_RETURN);
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 1);
  deleteAnswering('Y');
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 0);
}

TEST_F(Scenario, ACatalogueThatCannotBeClosedAtTheEndIsReportedAndTheEndGoesOn) {
  StartWithCatalogue();
  // The engine refuses to close while it counts itself busy.
  MainForm->Engine->Busy = true;
  Stop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Failed to close the \"Test\" database");
  EXPECT_EQ(boxes[0].Caption, "ERROR");
  EXPECT_EQ(boxes[0].Flags & 0xF, UINT(MB_OK));
  EXPECT_EQ(MainForm, nullptr);
  EXPECT_NE(SettingsText().find("[MAINFORM]"), std::string::npos);
}

// Database, Clear from the keyboard, its warning answered by keys on the
// real box (no answering hook): Enter keeps every disc, also in the
// catalogue opened again; only a chosen Yes deletes them.
TEST_F(Scenario, ClearingTheCatalogueTakesAChosenYesNotEnter) {
  StartWithCatalogue();
  AddFixtureDisc();
  AddFixtureDisc("Second disc");
  ASSERT_EQ(MainForm->Engine->Discs->Count(), 2);
  auto clearAnswering = [&](UINT key) {
    TMessageBoxHook hook = SetMessageBoxHook(nullptr);
    std::vector<std::string> shown;  // the box's caption and texts
    backend.ModalAnswers.push_back([&, key](HWND box) {
      for (HWND h = box; h; h = h == box ? GetWindow(box, GW_CHILD) : GetWindow(h, GW_HWNDNEXT)) {
        std::u16string text(size_t(GetWindowTextLengthW(h)) + 1, u'\0');
        text.resize(size_t(GetWindowTextW(h, text.data(), int(text.size()))));
        shown.push_back(Utf16ToUtf8(text));
      }
      backend.KeyPress(key);
    });
    MainForm->PageControl->SetActivePageIndex(0);
    MainForm->SetActiveControl(DiscTree->Tree);
    Pump();
    backend.WhenIdle([&] { backend.KeyPress(VK_HOME); });
    for (int i = 0; i < 2; ++i) backend.WhenIdle([&] { backend.KeyPress(VK_DOWN); });
    backend.WhenIdle([&] {
      EXPECT_EQ(Application->Hint, MainForm->actClear->Hint());
      backend.KeyPress(VK_RETURN);
    });
    backend.KeyDown(VK_MENU);
    backend.KeyPress('B');
    backend.KeyUp(VK_MENU);
    Pump();
    Idle();
    SetMessageBoxHook(hook);
    ASSERT_FALSE(shown.empty()) << "no box came up";
    EXPECT_EQ(shown[0], "Warning");
    EXPECT_NE(std::find(shown.begin(), shown.end(),
                        "All discs in the database will be deleted!\r\nDo you still want to proceed?"),
              shown.end())
        << testing::PrintToString(shown);
  };

  clearAnswering(VK_RETURN);
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 2);
  EXPECT_EQ(DiscTree->Tree->RootNodeCount(), 2u);
  EXPECT_FALSE(ConsoleHas("The database has been cleared")) << testing::PrintToString(ConsoleLines());
  Restart();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 2);

  clearAnswering('Y');
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 0);
  EXPECT_EQ(DiscTree->Tree->RootNodeCount(), 0u);
  EXPECT_TRUE(ConsoleHas("The database has been cleared: 2 disc(s) deleted"))
      << testing::PrintToString(ConsoleLines());
  Restart();
  ASSERT_TRUE(MainForm->Engine->IsOpen());
  EXPECT_EQ(MainForm->Engine->Discs->Count(), 0);
}

TEST_F(Scenario, NewCatalogueOverAnOpenOneAsksAndAFailureSaysWhere) {
  StartWithCatalogue();
  std::string base = MainForm->Base;
  // No keeps the open catalogue.
  boxAnswers = {IDNO};
  MainForm->actNew->Execute();
  EXPECT_EQ(boxes.back().Text, "You have an opened database. Are you sure want to close it?");
  EXPECT_TRUE(MainForm->Engine->IsOpen());
  // Yes, then a folder that turns into a file before the catalogue is made
  // there: the engine cannot create it.
  boxAnswers = {IDYES};
  std::string gone = DatabaseFolder() + "Gone";
  MakeFolder(gone);
  backend.ModalAnswers.push_back([&](HWND) {
    SelectFolder(BaseDlg->PathTree, gone);
    BaseDlg->NameEdit->SetText("Again");
    backend.WhenIdle([&] {
      ASSERT_TRUE(BaseDlg->actOK->Enabled());
      std::filesystem::remove(gone);
      MakeFile(gone);
      BaseDlg->SetModalResult(mrOk);
    });
  });
  MainForm->actNew->Execute();
  EXPECT_FALSE(MainForm->Engine->IsOpen());
  EXPECT_EQ(boxes.back().Text.rfind("Failed to create new database in \"" + gone + "\"\nError \"", 0), 0u)
      << boxes.back().Text;
  EXPECT_EQ(MainForm->Base, base);
  EXPECT_EQ(MainForm->Caption(), " Velmora Quirvane ");
  // The views forgot the closed catalogue.
  EXPECT_EQ(CategoryTexts().size(), 1u);
}

}  // namespace
}  // namespace qv::test
