// The add-disc wizard over a real catalogue: the page flow with and without
// scanning, the label rules, what it hands back and what the engine then
// stores, the file types it checks, the categories chosen by index, fields
// kept between showings, and Esc, which never adds.
#include <cmath>
#include <filesystem>
#include <fstream>

#include "../common/RecordingHost.h"
#include "../common/TempDir.h"
#include "AppTestSupport.h"
#include "app/dialogs/DialogParts.h"
#include "app/dialogs/DiscWiz.h"
#include "catalogue/Engine.h"
#include "catalogue/Info.h"
#include "platform/DateTime.h"
#include "platform/Utf.h"
#include "platform/comctl/ListView.h"
#include "platform/window/ScrollBar.h"

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class DiscWizTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    host.folder = dir / "db";
    engine = std::make_unique<TEngine>(host, std::string(QV_BINARY_DIR) + "/app/");
    ASSERT_TRUE(engine->NewDatabase("", "Test"));
    for (const char* f : {"disc/a.txt", "disc/b.tmp", "disc/sub/c.txt", "disc/sub/d.jpg"}) {
      fs::create_directories(fs::path(dir / f).parent_path());
      std::ofstream(dir / f) << "data";
    }
    wiz = new TDiscWiz(nullptr);
    wiz->Engine = engine.get();
  }
  void TearDown() override {
    AppTest::TearDown();
    if (engine->IsOpen()) {
      EXPECT_TRUE(engine->CloseDatabase());
    }
  }
  bool NextOffered() {
    wiz->actNext->Update();
    return wiz->actNext->Enabled();
  }
  // Adds a disc without scanning, as the engine does for the wizard's result.
  void StoreDisc(const std::string& label) {
    TScanOpts scan;
    scan.IncludeFiles = false;
    TDiscData d;
    d.Label = Utf8ToUtf16(label);
    engine->AddDisc(scan, d);
  }
  // Runs the wizard; script drives it once it is up.
  TModalResult Run(std::function<void()> script) {
    backend.ModalAnswers.push_back([script](HWND) { script(); });
    return wiz->ShowModal();
  }
  TListItem* TypeItem(const std::string& name) {
    for (int i = 0; i < wiz->FileList->Items()->Count(); ++i)
      if (wiz->FileList->Items()->Item(i)->Caption() == name) return wiz->FileList->Items()->Item(i);
    return nullptr;
  }

  TempDir dir;
  RecordingHost host;
  std::unique_ptr<TEngine> engine;
  TDiscWiz* wiz = nullptr;
};

TEST_F(DiscWizTest, WithoutScanningTwoStepsEndingInAdd) {
  EXPECT_EQ(wiz->Caption(), "Adding disc");
  EXPECT_FALSE(wiz->PathTree->Visible());
  EXPECT_TRUE(wiz->PathTree->ReadOnly());
  // Our own picture, compiled in.
  EXPECT_GT(wiz->Picture->Picture()->Width(), 0);
  EXPECT_GT(wiz->Picture->Picture()->Height(), wiz->Picture->Picture()->Width());

  const TModalResult result = Run([&] {
    EXPECT_EQ(wiz->PageIndex(), 0);
    EXPECT_EQ(wiz->ActiveControl(), wiz->LabelEdit);
    EXPECT_EQ(wiz->TitleTxt->Caption(), "Disc information");
    EXPECT_EQ(wiz->InfoTxt->Caption(),
              "Enter unique disc label, location, description and select its category");
    EXPECT_EQ(wiz->StepTxt->Caption(), "Step 1 out of 2");
    EXPECT_EQ(wiz->NextBtn->Caption(), "Next  >");
    EXPECT_FALSE(wiz->BackBtn->Visible());
    EXPECT_FALSE(NextOffered());  // no label yet
    backend.TypeText(u"Holidays");
    wiz->StoreEdit->SetText("Shelf 3");
    wiz->Info->SetText("Summer");
    wiz->SelectCategory(9);
    backend.WhenIdle([&] { backend.KeyPress(VK_RETURN); });  // Next is the default button
    backend.WhenIdle([&] {
      EXPECT_EQ(wiz->PageIndex(), 1);
      EXPECT_EQ(wiz->TitleTxt->Caption(), "Disc path");
      EXPECT_EQ(wiz->InfoTxt->Caption(), "Select disc or folder to add to the database");
      EXPECT_EQ(wiz->StepTxt->Caption(), "Step 2 out of 2");
      EXPECT_EQ(wiz->NextBtn->Caption(), "Add");
      EXPECT_TRUE(wiz->BackBtn->Visible());
      backend.WhenIdle([&] { backend.KeyPress(VK_RETURN); });
    });
  });
  ASSERT_EQ(result, mrOk);

  TDiscData d;
  const double before = Now();
  wiz->GetDiscData(d);
  EXPECT_EQ(d.ID, -1);
  EXPECT_EQ(d.Label, u"Holidays");
  EXPECT_EQ(d.Location, u"Shelf 3");
  EXPECT_EQ(d.Description, u"Summer");
  EXPECT_EQ(d.Category, 9);
  EXPECT_EQ(d.Files, 0);
  EXPECT_EQ(d.Folders, 0);
  EXPECT_LT(std::fabs(d.Added - before), 2.0 / 86400);
  TScanOpts scan;
  wiz->GetScanOpts(scan);
  EXPECT_FALSE(scan.IncludeFiles);

  engine->AddDisc(scan, d);
  ASSERT_EQ(engine->Discs->Count(), 1);
  EXPECT_EQ(engine->Discs->GetDisc(0).Files, 0);
  EXPECT_EQ(engine->Discs->GetDisc(0).Category, 9);
}

TEST_F(DiscWizTest, ScanningAddsAnOptionsPageAndNeedsAnExistingFolder) {
  wiz->LabelEdit->SetText("Backup");
  const TModalResult result = Run([&] {
    wiz->actNext->Execute();
    EXPECT_EQ(wiz->PageIndex(), 1);
    wiz->chkScan->SetChecked(true);
    EXPECT_TRUE(wiz->PathTree->Visible());
    EXPECT_TRUE(wiz->chkFolders->Visible());
    EXPECT_EQ(wiz->StepTxt->Caption(), "Step 2 out of 3");
    EXPECT_EQ(wiz->NextBtn->Caption(), "Next  >");
    // The computer is no folder; a folder that went away is none either.
    wiz->PathTree->SetSelected(wiz->PathTree->Items()->GetFirstNode());
    EXPECT_FALSE(NextOffered());
    fs::create_directories(dir / "gone");
    SelectFolder(wiz->PathTree, dir / "gone");
    fs::remove(dir / "gone");
    EXPECT_FALSE(NextOffered());
    wiz->actNext->Execute();
    EXPECT_EQ(wiz->PageIndex(), 1);
    SelectFolder(wiz->PathTree, dir / "disc");
    EXPECT_TRUE(NextOffered());
    wiz->actNext->Execute();
    EXPECT_EQ(wiz->PageIndex(), 2);
    EXPECT_EQ(wiz->TitleTxt->Caption(), "Scanning options");
    EXPECT_EQ(wiz->InfoTxt->Caption(), "Choose what will be added to the database");
    EXPECT_EQ(wiz->StepTxt->Caption(), "Step 3 out of 3");
    EXPECT_EQ(wiz->NextBtn->Caption(), "Start");
    // Back goes one page at a time.
    wiz->actBack->Execute();
    EXPECT_EQ(wiz->PageIndex(), 1);
    wiz->actNext->Execute();
    // Only the selected types: temporary files stay out, pictures too.
    EXPECT_TRUE(wiz->chkAllFiles->Checked());
    EXPECT_FALSE(wiz->FileList->Visible());
    wiz->chkAllFiles->SetChecked(false);
    EXPECT_TRUE(wiz->FileList->Visible());
    EXPECT_TRUE(wiz->FileList->Enabled());
    TypeItem("Picture")->SetChecked(false);
    backend.WhenIdle([&] { backend.KeyPress(VK_RETURN); });
  });
  ASSERT_EQ(result, mrOk);

  TScanOpts scan;
  wiz->GetScanOpts(scan);
  EXPECT_TRUE(scan.IncludeFiles);
  EXPECT_EQ(scan.Path, dir / "disc");
  EXPECT_FALSE(scan.AllFiles);
  EXPECT_FALSE(scan.FoldersOnly);
  TDiscData d;
  wiz->GetDiscData(d);
  engine->AddDisc(scan, d);
  ASSERT_EQ(engine->Discs->Count(), 1);
  // a.txt and sub/c.txt; not b.tmp (Temporary is off) nor d.jpg (unchecked).
  EXPECT_EQ(engine->Discs->GetDisc(0).Files, 2);
  EXPECT_EQ(engine->Discs->GetDisc(0).Folders, 1);
  EXPECT_FALSE(engine->FileKinds->GetItem(engine->FileKinds->IndexOf("jpg")).Selected);
}

// The type list shown on the options page: every row either shows whole in
// it or can be scrolled to, with the scroll bar in view from the start.
TEST_F(DiscWizTest, TheTypeListShowsItsScrollBarWhenItsTypesDoNotFit) {
  wiz->LabelEdit->SetText("Types");
  wiz->chkScan->SetChecked(true);
  SelectFolder(wiz->PathTree, dir / "disc");
  Run([&] {
    backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });
    wiz->actNext->Execute();
    wiz->actNext->Execute();
    wiz->chkAllFiles->SetChecked(false);
    Pump();
    HWND list = wiz->FileList->Handle();
    const int rows = wiz->FileList->Items()->Count();
    ASSERT_GE(rows, 10);
    RECT client{}, last{};
    GetClientRect(list, &client);
    last.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, WPARAM(rows - 1), LPARAM(&last));
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(list, SB_VERT, &si);
    const bool bar = (GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL) != 0;
    if (last.bottom > client.bottom) {
      EXPECT_TRUE(bar) << "the last type lies below the list, with no scroll bar";
      EXPECT_GT(si.nMax + 1, int(si.nPage)) << "the scroll bar cannot reach it";
    }
    EXPECT_EQ(bar, last.bottom > client.bottom);
  });
}

TEST_F(DiscWizTest, FoldersOnlyHidesTheTypesAndKeepsNoFiles) {
  wiz->chkScan->SetChecked(true);
  wiz->chkAllFiles->SetChecked(false);
  EXPECT_TRUE(wiz->FileList->Visible());
  wiz->chkFolders->SetChecked(true);
  EXPECT_FALSE(wiz->chkAllFiles->Enabled());
  EXPECT_FALSE(wiz->FileList->Visible());
  wiz->chkFolders->SetChecked(false);
  EXPECT_TRUE(wiz->chkAllFiles->Enabled());
  EXPECT_TRUE(wiz->FileList->Visible());
  wiz->chkFolders->SetChecked(true);

  SelectFolder(wiz->PathTree, dir / "disc");
  wiz->LabelEdit->SetText("Tree only");
  TScanOpts scan;
  wiz->GetScanOpts(scan);
  EXPECT_TRUE(scan.FoldersOnly);
  TDiscData d;
  wiz->GetDiscData(d);
  engine->AddDisc(scan, d);
  ASSERT_EQ(engine->Discs->Count(), 1);
  EXPECT_EQ(engine->Discs->GetDisc(0).Files, 0);
  EXPECT_EQ(engine->Discs->GetDisc(0).Folders, 1);
  // Unchecking the scan box hides the tree and the box again: two steps.
  wiz->chkScan->SetChecked(false);
  EXPECT_FALSE(wiz->PathTree->Visible());
  EXPECT_FALSE(wiz->chkFolders->Visible());
  EXPECT_EQ(wiz->StepCount(), 2);
}

TEST_F(DiscWizTest, LabelMustBeNewNonEmptyAndStorable) {
  StoreDisc("Holidays");
  wiz->Show();
  Pump();
  auto valid = [&](const std::string& label) {
    wiz->LabelEdit->SetText(label);
    const bool ok = wiz->IsLabelValid();
    EXPECT_EQ(wiz->LabelEdit->Color(), ok ? clWindow : kInvalidLabelColor) << label;
    EXPECT_EQ(NextOffered(), ok) << label;
    return ok;
  };
  EXPECT_FALSE(valid(""));
  EXPECT_FALSE(valid("Holidays"));
  EXPECT_FALSE(valid("HOLIDAYS"));
  EXPECT_FALSE(valid("hOlIdAyS"));
  EXPECT_TRUE(valid("Holidays 2"));
  EXPECT_TRUE(valid(std::string(255, 'x')));
  EXPECT_FALSE(valid(std::string(256, 'x')));  // the catalogue would refuse it
  EXPECT_EQ(kInvalidLabelColor, TColor(210 << 16 | 230 << 8 | 255));
  // A location the catalogue cannot store keeps Next off too.
  valid("Holidays 2");
  wiz->StoreEdit->SetText(std::string(256, 'y'));
  EXPECT_FALSE(NextOffered());
  wiz->StoreEdit->SetText("");
  // Without an engine no label is valid.
  wiz->Engine = nullptr;
  EXPECT_FALSE(valid("Anything"));
}

TEST_F(DiscWizTest, EscCancelsOnEveryPageAndNeverAdds) {
  wiz->LabelEdit->SetText("Never");
  wiz->chkScan->SetChecked(true);
  SelectFolder(wiz->PathTree, dir / "disc");
  for (int page = 0; page < 3; ++page) {
    const TModalResult result = Run([&, page] {
      for (int i = 0; i < page; ++i) wiz->actNext->Execute();
      EXPECT_EQ(wiz->PageIndex(), page);
      // The keyboard in the page's main control, which takes keys of its own.
      if (page == 1) wiz->PathTree->SetFocus();
      if (page == 2) {
        wiz->chkAllFiles->SetChecked(false);
        wiz->FileList->SetFocus();
      }
      backend.WhenIdle([&] { backend.KeyPress(VK_ESCAPE); });
    });
    EXPECT_EQ(result, mrCancel) << "page " << page;
  }
  // The Cancel button as well, on the last step where Next would add.
  EXPECT_EQ(Run([&] {
              wiz->actNext->Execute();
              wiz->actNext->Execute();
              backend.WhenIdle([&] { ClickOn(wiz->CancelBtn); });
            }),
            mrCancel);
  EXPECT_EQ(engine->Discs->Count(), 0);
}

// Every step starts with the focus on a control of its own, where it shows:
// after Next by Enter the scan box has it (its focus mark drawn, Space ticks
// it); after Back, which hides itself on the first step, the label has it.
TEST_F(DiscWizTest, EveryStepStartsWithAVisibleFocus) {
  const TModalResult result = Run([&] {
    backend.TypeText(u"Keys");
    backend.WhenIdle([&] {
      backend.KeyPress(VK_RETURN);
      backend.WhenIdle([&] {
        ASSERT_EQ(wiz->PageIndex(), 1);
        EXPECT_EQ(GetFocus(), wiz->chkScan->Handle());
        EXPECT_TRUE(IsWindowVisible(GetFocus()));
        const std::vector<uint32_t> focused = Look(wiz->chkScan);
        wiz->NextBtn->SetFocus();
        EXPECT_NE(Look(wiz->chkScan), focused) << "no focus mark on the scan box";
        wiz->chkScan->SetFocus();
        backend.KeyPress(VK_SPACE);
        Pump();
        EXPECT_TRUE(wiz->chkScan->Checked());
        wiz->BackBtn->SetFocus();
        backend.KeyPress(VK_SPACE);
        backend.WhenIdle([&] {
          ASSERT_EQ(wiz->PageIndex(), 0);
          EXPECT_EQ(GetFocus(), wiz->LabelEdit->Handle());
          EXPECT_TRUE(IsWindowVisible(GetFocus()));
          backend.KeyPress(VK_ESCAPE);
        });
      });
    });
  });
  EXPECT_EQ(result, mrCancel);
}

TEST_F(DiscWizTest, FileTypeChecksGoToTheEngineOnlyWhileShown) {
  TFileKinds& kinds = *engine->FileKinds;
  const int32_t temporary = kinds.IndexOf("tmp");
  ASSERT_GE(temporary, 0);
  ASSERT_FALSE(kinds.GetItem(temporary).Selected);
  Run([&] {
    ASSERT_EQ(wiz->FileList->Items()->Count(), kinds.Count());
    for (int i = 0; i < kinds.Count(); ++i) {
      TListItem* item = wiz->FileList->Items()->Item(i);
      const intptr_t index = reinterpret_cast<intptr_t>(item->Data());
      EXPECT_EQ(item->Caption(), kinds.GetItem(int32_t(index)).Name);
      EXPECT_EQ(item->SubItems()->Strings(0), kinds.GetItem(int32_t(index)).Exts);
      EXPECT_EQ(item->Checked(), kinds.GetItem(int32_t(index)).Selected);
      if (i > 0) {
        EXPECT_LE(wiz->FileList->Items()->Item(i - 1)->Caption(), item->Caption());
      }
    }
    TypeItem("Temporary")->SetChecked(true);
    TypeItem("Audio")->SetChecked(false);
    // A refill reads the table back without writing it.
    wiz->FillFileList();
    EXPECT_TRUE(TypeItem("Temporary")->Checked());
    EXPECT_FALSE(TypeItem("Audio")->Checked());
    backend.KeyPress(VK_ESCAPE);
  });
  EXPECT_TRUE(kinds.GetItem(temporary).Selected);
  EXPECT_FALSE(kinds.GetItem(kinds.IndexOf("mp3")).Selected);
  // Hidden, the list changes nothing.
  TypeItem("Temporary")->SetChecked(false);
  EXPECT_TRUE(kinds.GetItem(temporary).Selected);
}

TEST_F(DiscWizTest, CategoryComesFromTheDiscViewByIndex) {
  engine->Discs->Categories.Add("0 sorts first");
  const int32_t added = engine->Discs->Categories.Count() - 1;
  engine->Discs->Categories.Selected = added;
  Run([&] {
    TStrings* items = wiz->TypeCombo->Items();
    ASSERT_EQ(items->Count(), engine->Discs->Categories.Count());
    EXPECT_EQ(items->Strings(0), " 0 sorts first ");
    EXPECT_EQ(wiz->SelectedCategory(), added);
    backend.KeyPress(VK_ESCAPE);
  });
  // "All categories" in the disc view: the first category, wherever it sorts.
  engine->Discs->Categories.Selected = -1;
  Run([&] {
    EXPECT_EQ(wiz->SelectedCategory(), 0);
    EXPECT_EQ(wiz->TypeCombo->Text(), " Other ");
    backend.KeyPress(VK_ESCAPE);
  });
}

TEST_F(DiscWizTest, FieldsStayForTheNextShowingWhichStartsAtTheFirstPage) {
  wiz->chkScan->SetChecked(true);
  SelectFolder(wiz->PathTree, dir / "disc");
  ASSERT_EQ(Run([&] {
              wiz->LabelEdit->SetText("Photos");
              wiz->StoreEdit->SetText("Box 1");
              wiz->Info->SetText("Old pictures");
              wiz->actNext->Execute();
              wiz->actNext->Execute();
              wiz->actNext->Execute();
            }),
            mrOk);
  TScanOpts scan;
  TDiscData d;
  wiz->GetScanOpts(scan);
  wiz->GetDiscData(d);
  engine->AddDisc(scan, d);
  ASSERT_EQ(engine->Discs->Count(), 1);

  Run([&] {
    EXPECT_EQ(wiz->PageIndex(), 0);
    EXPECT_EQ(wiz->StepTxt->Caption(), "Step 1 out of 3");
    EXPECT_EQ(wiz->LabelEdit->Text(), "Photos");
    EXPECT_EQ(wiz->StoreEdit->Text(), "Box 1");
    EXPECT_EQ(wiz->Info->Text(), "Old pictures");
    EXPECT_TRUE(wiz->chkScan->Checked());
    EXPECT_EQ(wiz->PathTree->GetPath(), dir / "disc");
    // The label is taken now.
    EXPECT_EQ(wiz->LabelEdit->Color(), kInvalidLabelColor);
    EXPECT_FALSE(NextOffered());
    backend.KeyPress(VK_ESCAPE);
  });
}

TEST_F(DiscWizTest, F1OpensTheWizardsHelpPage) {
  Run([&] {
    backend.KeyPress(VK_F1);
    backend.KeyPress(VK_ESCAPE);
  });
  ASSERT_EQ(backend.Opened.size(), 1u);
  EXPECT_EQ(backend.Opened[0], AppPath() + "help/a2_04_00.htm");
}

}  // namespace
}  // namespace qv::test
