// The about box: its texts, the version of the version block, and the two
// links (hand cursor, underline under the mouse, opened through the desktop).
#include "../common/TempDir.h"
#include "AppTestSupport.h"
#include "app/dialogs/AboutForm.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/ProgramIcon.h"
#include "catalogue/Info.h"
#include "catalogue/Settings.h"
#include "platform/gdi/Icons.h"
#include "platform/image/Resources.h"

namespace qv::test {
namespace {

using AboutFormTest = AppTest;

TEST_F(AboutFormTest, TextsAndVersion) {
  auto* about = new TAboutForm(nullptr);
  EXPECT_EQ(about->Caption(), " About Quirvane");
  EXPECT_EQ(about->BorderStyle(), bsDialog);
  EXPECT_EQ(about->Position, poScreenCenter);
  EXPECT_EQ(about->VersionLbl->Caption(), "Version");
  EXPECT_EQ(about->DeveloperLbl->Caption(), "Developer");
  EXPECT_EQ(about->SupportLbl->Caption(), "Support");
  EXPECT_EQ(about->CloseBtn->Caption(), "Close");
  EXPECT_TRUE(about->CloseBtn->Default());
  EXPECT_EQ(about->CloseBtn->ModalResult, mrOk);
  EXPECT_EQ(about->CompanyTxt->Caption(), texts::aboutform::Company);
  EXPECT_EQ(about->SupportTxt->Caption(), texts::aboutform::SupportAddress);
  // The version block of this very program: "1.0.0 comments" style, never
  // the "not available" text.
  TInfo info;
  EXPECT_EQ(about->VersionTxt->Caption(), info.VersionText());
  EXPECT_EQ(about->VersionTxt->Caption().find(TInfo::kNotAvailable), std::string::npos);
}

TEST_F(AboutFormTest, VersionComesFromTheSettingsStore) {
  TempDir dir;
  Storage = std::make_unique<TStorage>(dir / "Quirvane.ini", true);
  Storage->VersionText = "9.8.7 from the store";
  auto* about = new TAboutForm(nullptr);
  EXPECT_EQ(about->VersionTxt->Caption(), "9.8.7 from the store");
  delete about;
  Storage.reset();
}

TEST_F(AboutFormTest, LinksUnderlineUnderTheMouseAndOpenThroughTheDesktop) {
  auto* about = new TAboutForm(nullptr);
  about->SetBounds(100, 100, about->Width(), about->Height());
  about->Show();
  Pump();
  for (TLabel* link : {about->CompanyTxt, about->SupportTxt}) {
    EXPECT_EQ(link->Cursor(), crHandPoint);
    EXPECT_FALSE(link->Font()->Style().Contains(fsUnderline));
    POINT p = At(link);
    backend.MouseMove(p.x, p.y);
    Pump();
    EXPECT_TRUE(link->Font()->Style().Contains(fsUnderline));
    POINT away = At(about->CloseBtn);
    backend.MouseMove(away.x, away.y);
    Pump();
    EXPECT_FALSE(link->Font()->Style().Contains(fsUnderline));
  }
  // The plain labels are no links.
  EXPECT_EQ(about->VersionTxt->Cursor(), crDefault);
  EXPECT_FALSE(about->OpenLink(about->VersionTxt));

  ClickOn(about->CompanyTxt);
  ClickOn(about->SupportTxt);
  EXPECT_EQ(backend.Opened, (std::vector<std::string>{"https://quirvane.example.org/",
                                                      "mailto:support@quirvane.example.org"}));
  ClickOn(about->VersionTxt);
  EXPECT_EQ(backend.Opened.size(), 2u);
}

TEST_F(AboutFormTest, WindowClassCarriesTheProgramIcon) {
  auto* about = new TAboutForm(nullptr);
  about->HandleNeeded();
  WNDCLASSEXW wc;
  ASSERT_TRUE(GetClassInfoExW(nullptr, u"TAboutForm", &wc));
  ASSERT_NE(wc.hIcon, nullptr);
  EXPECT_EQ(wc.hIcon, ProgramIcon());
  Surface icon, drawing;
  ASSERT_TRUE(IconPixels(wc.hIcon, icon));
  ASSERT_TRUE(LoadResourceSurface(kProgramIconResource, drawing));
  EXPECT_EQ(icon.Width, 48);
  EXPECT_EQ(icon.Pixels, drawing.Pixels);
}

TEST_F(AboutFormTest, EnterOrEscCloses) {
  auto* about = new TAboutForm(nullptr);
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_RETURN); });
  EXPECT_EQ(about->ShowModal(), mrOk);
  backend.ModalAnswers.push_back([&](HWND) { backend.KeyPress(VK_ESCAPE); });
  EXPECT_NE(about->ShowModal(), mrNone);
  EXPECT_FALSE(about->Visible());
}

}  // namespace
}  // namespace qv::test
