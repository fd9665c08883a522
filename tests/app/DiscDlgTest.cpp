// The disc properties and file type dialogs: data in and out, the category
// chosen by its index whatever the sort order, texts the catalogue would
// refuse, the modal keys and the help page.
#include "../common/RecordingHost.h"
#include "AppTestSupport.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/DiscDlg.h"
#include "app/dialogs/FTypeDlg.h"
#include "catalogue/Info.h"
#include "platform/Utf.h"

namespace qv::test {
namespace {

class DiscDlgTest : public AppTest {
 protected:
  DiscDlgTest() : kinds(host) {
    kinds.LoadDefaults();
    dlg = new TDiscDlg(nullptr);
    dlg->Categories = &kinds;
  }
  static TDiscData Sample() {
    TDiscData d;
    d.ID = 77;
    d.Label = u"Holidays 2025";
    d.Category = 3;
    d.Location = u"Shelf 3";
    d.Files = 1234;
    d.Folders = 56;
    d.Added = 45000.5;
    d.Description = u"Photos";
    d.Root = 78;
    return d;
  }
  int32_t SelectedCategory() {
    int i = dlg->TypeCombo->ItemIndex();
    return i < 0 ? -100 : int32_t(reinterpret_cast<intptr_t>(dlg->TypeCombo->Items()->Objects(i)));
  }
  // The combo entry of a category, found by its text.
  void ChooseCategory(int32_t index) {
    dlg->TypeCombo->SetItemIndex(dlg->TypeCombo->Items()->IndexOf(" " + kinds.GetName(index) + " "));
  }
  bool OkOffered() {
    dlg->actOK->Update();
    return dlg->actOK->Enabled();
  }

  RecordingHost host;
  TDiscKinds kinds;
  TDiscDlg* dlg;
};

TEST_F(DiscDlgTest, LooksAsSpecifiedAndStartsInTheDescription) {
  EXPECT_EQ(dlg->Caption(), " Disc properties");
  EXPECT_EQ(dlg->BorderStyle(), bsDialog);
  EXPECT_EQ(dlg->Position, poScreenCenter);
  EXPECT_EQ(dlg->LabelEdit->EditLabel()->Caption(), "Label");
  EXPECT_EQ(dlg->TypeLabel->Caption(), "Category");
  EXPECT_EQ(dlg->StoreEdit->EditLabel()->Caption(), "Location");
  EXPECT_EQ(dlg->InfoLabel->Caption(), "Description");
  EXPECT_EQ(dlg->OKBtn->Caption(), "OK");
  EXPECT_EQ(dlg->CancelBtn->Caption(), "Cancel");
  EXPECT_EQ(dlg->HelpBtn->Caption(), "&Help");
  EXPECT_TRUE(dlg->OKBtn->Default());
  EXPECT_TRUE(dlg->CancelBtn->Cancel());
  EXPECT_TRUE(dlg->LabelEdit->ReadOnly());
  EXPECT_EQ(dlg->LabelEdit->Color(), clBtnFace);
  EXPECT_EQ(dlg->TypeCombo->Style(), csDropDownList);
  EXPECT_TRUE(dlg->TypeCombo->Sorted());
  EXPECT_EQ(dlg->ActiveControl(), dlg->Info);
}

TEST_F(DiscDlgTest, RoundTripChangesOnlyLocationCategoryAndDescription) {
  TDiscData in = Sample();
  dlg->SetData(in);
  ASSERT_EQ(dlg->TypeCombo->Items()->Count(), kinds.Count());
  for (int i = 0; i < kinds.Count(); ++i) {
    std::string entry = dlg->TypeCombo->Items()->Strings(i);
    int32_t index = int32_t(reinterpret_cast<intptr_t>(dlg->TypeCombo->Items()->Objects(i)));
    EXPECT_EQ(entry, " " + kinds.GetName(index) + " ");
    if (i > 0) {
      EXPECT_LE(dlg->TypeCombo->Items()->Strings(i - 1), entry) << "sorted";
    }
  }
  EXPECT_EQ(SelectedCategory(), 3);
  EXPECT_EQ(dlg->LabelEdit->Text(), "Holidays 2025");
  EXPECT_EQ(dlg->StoreEdit->Text(), "Shelf 3");
  EXPECT_EQ(dlg->Info->Text(), "Photos");

  // Unchanged, the data comes back as it went in.
  TDiscData same;
  dlg->GetData(same);
  EXPECT_EQ(same.Location, in.Location);
  EXPECT_EQ(same.Category, in.Category);
  EXPECT_EQ(same.Description, in.Description);

  dlg->StoreEdit->SetText("Box «B»");
  ChooseCategory(7);
  dlg->Info->SetText("first line\r\nsecond line");
  // Even a label typed over the read-only field never reaches the data.
  dlg->LabelEdit->SetText("Renamed");
  TDiscData out;
  dlg->GetData(out);
  EXPECT_EQ(out.Location, u"Box «B»");
  EXPECT_EQ(out.Category, 7);
  std::string description = Utf16ToUtf8(out.Description);
  EXPECT_NE(description.find("first line"), std::string::npos);
  EXPECT_NE(description.find("second line"), std::string::npos);
  EXPECT_EQ(out.Label, in.Label);
  EXPECT_EQ(out.ID, in.ID);
  EXPECT_EQ(out.Files, in.Files);
  EXPECT_EQ(out.Folders, in.Folders);
  EXPECT_EQ(out.Added, in.Added);
  EXPECT_EQ(out.Root, in.Root);
}

TEST_F(DiscDlgTest, CategoryIsChosenByIndexNotBySortPosition) {
  // Names that sort before the others, and a category refilled per disc.
  kinds.Add("0 first by sort");
  kinds.Add("zz last");
  TDiscData d = Sample();
  for (int32_t c : {0, kinds.Count() - 2, kinds.Count() - 1, 5}) {
    d.Category = c;
    dlg->SetData(d);
    EXPECT_EQ(SelectedCategory(), c);
    TDiscData out;
    dlg->GetData(out);
    EXPECT_EQ(out.Category, c);
  }
  // A category the list does not hold selects nothing, and is kept.
  d.Category = 99;
  dlg->SetData(d);
  EXPECT_EQ(dlg->TypeCombo->ItemIndex(), -1);
  TDiscData out;
  dlg->GetData(out);
  EXPECT_EQ(out.Category, 99);
}

TEST_F(DiscDlgTest, TextsTheCatalogueRefusesAreNotAccepted) {
  TDiscData d = Sample();
  dlg->SetData(d);
  EXPECT_TRUE(OkOffered());
  // 255 bytes fit; one more two-byte character does not.
  std::string fits(253, 'x');
  fits += "é";
  dlg->StoreEdit->SetText(fits);
  EXPECT_TRUE(OkOffered());
  dlg->StoreEdit->SetText(fits + "é");
  EXPECT_FALSE(OkOffered());
  dlg->actOK->Execute();
  EXPECT_EQ(dlg->ModalResult(), mrNone);

  // The dialog's judgement is the engine's.
  TDiscData out;
  dlg->GetData(out);
  EXPECT_FALSE(DiscTextsFit(out, host));
  dlg->StoreEdit->SetText(fits);
  dlg->GetData(out);
  EXPECT_TRUE(DiscTextsFit(out, host));

  d.Label = Utf8ToUtf16(std::string(256, 'L'));
  dlg->SetData(d);
  EXPECT_FALSE(OkOffered());
}

// A greyed OK has its reason in view: the field whose text cannot be stored
// says so in its label, which reads as before once the text fits.
TEST_F(DiscDlgTest, AFieldTooLongToStoreSaysSoBesideTheGreyedOk) {
  TDiscData d = Sample();
  dlg->SetData(d);
  EXPECT_TRUE(OkOffered());
  EXPECT_EQ(dlg->StoreEdit->EditLabel()->Caption(), "Location");
  dlg->StoreEdit->SetText(std::string(256, 'x'));
  EXPECT_FALSE(OkOffered());
  EXPECT_EQ(dlg->StoreEdit->EditLabel()->Caption(), "Location (too long: at most 255 bytes)");
  EXPECT_EQ(dlg->LabelEdit->EditLabel()->Caption(), "Label");
  dlg->StoreEdit->SetText(std::string(255, 'x'));
  EXPECT_TRUE(OkOffered());
  EXPECT_EQ(dlg->StoreEdit->EditLabel()->Caption(), "Location");
  d.Label = Utf8ToUtf16(std::string(256, 'L'));
  dlg->SetData(d);
  EXPECT_FALSE(OkOffered());
  EXPECT_EQ(dlg->LabelEdit->EditLabel()->Caption(), "Label (too long: at most 255 bytes)");
}

TEST_F(DiscDlgTest, EnterAcceptsEscCancelsAndHelpOpensItsPage) {
  dlg->SetData(Sample());
  // The description takes Enter as a new line; from the location it accepts.
  backend.ModalAnswers.push_back([&](HWND) {
    EXPECT_EQ(dlg->ActiveControl(), dlg->Info);
    dlg->StoreEdit->SetFocus();
    dlg->StoreEdit->SetText("Drawer");
    backend.KeyPress(VK_RETURN);
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_ESCAPE); });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  // Esc from the description, where the focus starts, which takes Enter for itself.
  bool fromMemo = true;
  backend.ModalAnswers.push_back([&](HWND) {
    dlg->Info->SetFocus();
    backend.KeyPress(VK_ESCAPE);
    backend.WhenIdle([&] {
      if (fromMemo && dlg->Visible()) dlg->SetModalResult(mrAbort);  // Esc was ignored
    });
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);
  fromMemo = false;

  // Enter with a location that does not fit leaves the dialog open.
  dlg->StoreEdit->SetText(std::string(300, 'x'));
  backend.ModalAnswers.push_back([&](HWND) {
    dlg->StoreEdit->SetFocus();
    backend.KeyPress(VK_RETURN);
    backend.WhenIdle([&] {
      EXPECT_TRUE(dlg->Visible());
      backend.KeyPress(VK_ESCAPE);
    });
  });
  EXPECT_EQ(dlg->ShowModal(), mrCancel);

  dlg->Show();
  Pump();
  ClickOn(dlg->HelpBtn);
  ASSERT_FALSE(backend.Opened.empty());
  EXPECT_EQ(backend.Opened.back(), AppPath() + "help/a2_08_00.htm");
}

class FTypeDlgTest : public AppTest {
 protected:
  FTypeDlgTest() { dlg = new TFTypeDlg(nullptr); }
  bool OkOffered() {
    dlg->actOK->Update();
    return dlg->actOK->Enabled();
  }
  TFTypeDlg* dlg;
};

TEST_F(FTypeDlgTest, NameAndExtensionsInAndOut) {
  EXPECT_EQ(dlg->Caption(), " File Type");
  EXPECT_EQ(dlg->NameEdit->EditLabel()->Caption(), "Name");
  EXPECT_EQ(dlg->ExtsEdit->EditLabel()->Caption(), "Extensions");
  EXPECT_EQ(dlg->OKBtn->Caption(), "OK");
  EXPECT_EQ(dlg->CancelBtn->Caption(), "Cancel");
  EXPECT_TRUE(dlg->OKBtn->Default());
  dlg->SetTypeName("Ebooks");
  dlg->SetExts("EPUB MOBI");
  EXPECT_EQ(dlg->TypeName(), "Ebooks");
  EXPECT_EQ(dlg->Exts(), "EPUB MOBI");
  EXPECT_EQ(dlg->NameEdit->Text(), "Ebooks");
}

TEST_F(FTypeDlgTest, EmptyNameOrExtensionsAreRefused) {
  for (auto [name, exts] : std::vector<std::pair<std::string, std::string>>{
           {"", ""}, {"Ebooks", ""}, {"", "epub"}, {"   ", "epub"}, {"Ebooks", " \t "}}) {
    dlg->SetTypeName(name);
    dlg->SetExts(exts);
    EXPECT_FALSE(OkOffered()) << "'" << name << "' '" << exts << "'";
  }
  dlg->SetTypeName("Ebooks");
  dlg->SetExts("epub");
  EXPECT_TRUE(OkOffered());

  // Typed by the user: Enter does nothing until both fields are filled.
  dlg->SetTypeName("");
  dlg->SetExts("");
  backend.ModalAnswers.push_back([&](HWND) {
    dlg->NameEdit->SetFocus();
    backend.TypeText(u"Ebooks");
    backend.KeyPress(VK_RETURN);
    backend.WhenIdle([&] {
      EXPECT_TRUE(dlg->Visible());
      dlg->ExtsEdit->SetFocus();
      backend.TypeText(u"epub mobi");
      // OK follows the fields when the program next idles, as between keystrokes.
      backend.WhenIdle([&] { backend.KeyPress(VK_RETURN); });
    });
  });
  EXPECT_EQ(dlg->ShowModal(), mrOk);
  EXPECT_EQ(dlg->TypeName(), "Ebooks");
  EXPECT_EQ(dlg->Exts(), "epub mobi");
}

}  // namespace
}  // namespace qv::test
