// The skin manager's state machine: what each switch announces to the forms
// and in which order, the default-manager rules, stored skins, recolouring,
// and damaged skins that fail with a clear error and leave the previous one.
#include <algorithm>
#include <filesystem>

#include "SkinTestSupport.h"
#include "TestSkins.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/CustomEdit.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/window/MessageQueue.h"
#include "skin/skBorderRegion.h"
#include "skin/skControlTree.h"
#include "skin/skGdiHelpers.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

class SkinManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = MakeTestSkins(dir);
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 200, 100);
    probe = new SkinnedProbe(form, 3);
    probe->SetParent(form);
    probe->SetBounds(5, 5, 50, 20);
    probe->SkinData->SetSkinSection("EDIT");
    probe->HandleNeeded();
    probe->Commands.clear();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  std::unique_ptr<TSkinManager> NewManager() {
    auto m = std::make_unique<TSkinManager>(nullptr);
    m->AfterConstruction();
    m->SetSkinDirectory(root);
    return m;
  }
  std::vector<WORD> Announced() {
    std::vector<WORD> v;
    for (WORD c : probe->Commands)
      if (c == AC_SKINLOADED || c == AC_SKINREMOVED || c == AC_SKINAPPLIED || c == AC_REPAINTNOW)
        v.push_back(c);
    probe->Commands.clear();
    return v;
  }
  HeadlessBackend backend{SIZE{320, 240}};
  TempDir dir;
  std::string root;
  TForm* form = nullptr;
  SkinnedProbe* probe = nullptr;
};

TEST_F(SkinManagerTest, LoadAnnouncesLoadedRepaintAppliedAndControlsResolve) {
  auto m = NewManager();
  ASSERT_EQ(DefaultManager, m.get());
  m->SetSkinName("TestSkin");
  EXPECT_EQ(Announced(), (std::vector<WORD>{AC_SKINLOADED, AC_REPAINTNOW, AC_SKINAPPLIED}));
  EXPECT_TRUE(probe->SkinData->Skinned(true));
  EXPECT_EQ(probe->SkinData->SkinIndex, m->GetSkinIndex("EDIT"));
  EXPECT_EQ(probe->SkinData->BorderIndex, m->FindMaskIndex("EDIT", "BORDERSMASK"));
  EXPECT_FALSE(probe->SkinData->Updating);
  EXPECT_FALSE(SkinLoading);
  // The control answers the colour query from its section now.
  EXPECT_EQ(QueryBgColor(probe), 16777215);

  m->SetActive(false);
  EXPECT_EQ(Announced(), (std::vector<WORD>{AC_SKINREMOVED}));
  EXPECT_TRUE(m->gd.empty());
  EXPECT_TRUE(m->ma.empty());
  EXPECT_EQ(m->ConstData.IndexGlobalInfo, -1);
  EXPECT_FALSE(probe->SkinData->Skinned());
  EXPECT_EQ(m->SkinInfo(), "N/A");

  m->SetSkinName("Second");  // inactive: only stored
  EXPECT_TRUE(Announced().empty());
  EXPECT_EQ(m->SkinName(), "Second");
  m->SetActive(true);
  EXPECT_EQ(m->gd[size_t(m->GetSkinIndex("EDIT"))].Color, 255);
}

// An edit of the class library with skin data, as the skinned edit has.
class SkinnedEdit : public TEdit {
 public:
  explicit SkinnedEdit(TComponent* owner) : TEdit(owner), SkinData(this, true) { SkinData.ClassCode = 3; }
  TSkCommonData SkinData;
  void WndProc(TMessage& M) override {
    if (SkinWndProc(M, &SkinData)) return;
    TEdit::WndProc(M);
  }
};

TEST_F(SkinManagerTest, EditColoursFollowTheSectionUnlessCustom) {
  auto* edit = new SkinnedEdit(form);
  edit->SetParent(form);
  edit->SkinData.SetSkinSection("FORM");  // COLOR 12632256, FONTCOLOR 0
  edit->HandleNeeded();
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  EXPECT_EQ(edit->Color(), 12632256);
  m->SetActive(false);
  EXPECT_EQ(edit->Color(), clWindow);
  EXPECT_EQ(edit->Font()->Color(), clWindowText);
  edit->SkinData.SetCustomColor(true);
  edit->SetColor(0x0000FF);
  m->SetActive(true);
  EXPECT_EQ(edit->Color(), 0x0000FF);  // a custom colour stays
}

TEST_F(SkinManagerTest, DefaultManagerRules) {
  auto first = NewManager();
  auto second = NewManager();
  EXPECT_TRUE(first->IsDefault());
  EXPECT_FALSE(second->IsDefault());
  second->SetIsDefault(false);  // changes nothing
  EXPECT_TRUE(first->IsDefault());
  second->SetIsDefault(true);
  EXPECT_TRUE(second->IsDefault());
  second.reset();
  EXPECT_EQ(DefaultManager, nullptr);  // nobody takes the slot
  first.reset();
  EXPECT_EQ(DefaultManager, nullptr);
}

TEST_F(SkinManagerTest, DestroyedManagerLeavesNoHookOrForm) {
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  probe->SkinData->SetSkinManager(m.get());
  probe->Commands.clear();
  m.reset();
  EXPECT_EQ(probe->SkinData->OwnSkinManager(), nullptr);  // forgotten, not left dangling
  EXPECT_EQ(Announced(), (std::vector<WORD>{AC_SKINREMOVED}));
  EXPECT_EQ(probe->SkinData->SkinManager(), nullptr);
  // A message to the application window after the manager is gone reaches no hook.
  TMessage msg{0xBCB3, 0, 0, 0};
  SendMessage(Application->Handle(), msg.Msg, 0, 0);
}

TEST_F(SkinManagerTest, DamagedSkinFailsClearlyAndThePreviousStays) {
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  const size_t masks = m->ma.size(), sections = m->gd.size();
  probe->Commands.clear();
  try {
    m->SetSkinName("Broken");
    FAIL() << "a short fixed-column value must fail";
  } catch (const ESkinError& e) {
    EXPECT_NE(e.Message.find("Broken"), std::string::npos);
  }
  EXPECT_FALSE(SkinLoading);
  EXPECT_EQ(m->SkinName(), "TestSkin");
  EXPECT_EQ(m->ma.size(), masks);
  EXPECT_EQ(m->gd.size(), sections);
  EXPECT_TRUE(m->SkinData()->Active);
  EXPECT_TRUE(Announced().empty());
  EXPECT_TRUE(probe->SkinData->Skinned(true));
}

TEST_F(SkinManagerTest, HostileImagesFailWithoutCrashOrHugeAllocation) {
  namespace fs = std::filesystem;
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  const std::string t = root + "TestSkin/";
  // A header that claims 60000 x 60000 pixels.
  std::string bmp = EncodeBmp(Surface(4, 4), 24);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + size_t(i)] = char(v >> (8 * i));
  };
  put32(18, 60000), put32(22, 60000);
  WriteText(t + "MASTER.BMP", bmp);
  EXPECT_THROW(m->SetSkinName("TestSkin"), ESkinError);
  // A truncated image.
  std::string whole = EncodeBmp(MasterSurface(), 24);
  WriteText(t + "MASTER.BMP", whole.substr(0, 100));
  EXPECT_THROW(m->SetSkinName("TestSkin"), ESkinError);
  EXPECT_TRUE(m->MasterBitmap && m->MasterBitmap->Width() == 256);  // the previous load stays
  // Files that are no bitmap say so, not that they are too large.
  auto refusal = [&](const std::string& content) {
    WriteText(t + "MASTER.BMP", content);
    try {
      m->SetSkinName("TestSkin");
    } catch (const ESkinError& e) {
      return e.Message;
    }
    return std::string("loaded");
  };
  std::string text;
  while (text.size() < 200) text += "[GLOBALINFO] this is a text file, not a picture\n";
  EXPECT_NE(refusal(text).find("MASTER.BMP\" is not a bitmap image"), std::string::npos) << refusal(text);
  std::string header = whole.substr(0, 200);
  put32(14, 0x41414141), header.replace(14, 4, bmp.substr(14, 4));
  EXPECT_NE(refusal(header).find("is not a valid bitmap"), std::string::npos) << refusal(header);
  EXPECT_TRUE(m->MasterBitmap && m->MasterBitmap->Width() == 256);
  // A missing image is no error: the entry is skipped.
  fs::remove(t + "MASTER.BMP");
  fs::remove(t + "BORDER9.BMP");
  m->SetSkinName("TestSkin");
  EXPECT_FALSE(m->MasterBitmap);
  EXPECT_EQ(m->FindMaskIndex("EDIT", "BORDERSMASK"), -1);
  // A description far larger than any skin's.
  const std::string options = std::string(kTestSkinOptions);
  WriteText(t + "Options.dat", std::string(5u << 20, ';'));
  EXPECT_THROW(m->SetSkinName("TestSkin"), ESkinError);
  WriteText(t + "Options.dat", options);
  // A damaged picture.
  WriteText(t + "TEX.JPG", std::string("\xFF\xD8\xFF\xC0\x00\x11\x08\x00\x40\x00\x40", 11));
  EXPECT_THROW(m->SetSkinName("TestSkin"), ESkinError);
}

TEST_F(SkinManagerTest, AbsurdNumbersLoadAndPaintNothingOutside) {
  WriteText(root + "TestSkin/Options.dat",
            "[GLOBALINFO]\nMASTERBITMAP=MASTER.BMP\n[HUGE]\nBORDERSMASK=# (0,0,2147483647,999999) "
            "(32767,32767,-5)\n"
            "GLYPH=@9999,9999,9999,9999,9,9\nCOLOR=99999999999\nFADINGITERATIONS=-7\n");
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  ASSERT_TRUE(m->SkinData()->Active);
  auto b = Bmp24(50, 30, 0x123456);
  for (const TSkMaskData& mask : m->ma) {
    PaintNinePartMask(b.get(), RECT{0, 0, 50, 30}, true, EmptyCacheInfo, mask, 5);
    DrawSkinGlyph(b.get(), POINT{0, 0}, 3, 1, mask);
  }
  const TSkGeneralData& g = m->gd[size_t(m->GetSkinIndex("HUGE"))];
  EXPECT_EQ(g.Color, 0xFFFFFF);  // a number past 32 bits is no number: the default
}

// Image rectangles that are back to front or reach before the image's origin
// refuse the skin with its error text, in every form that gives one; the
// previous skin stays.
// A number that is no number refuses the skin with the conversion's text,
// the skin, the section and the key it stood in; the previous skin stays.
TEST_F(SkinManagerTest, AMalformedNumberNamesTheSkinSectionAndKey) {
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  const size_t masks = m->ma.size();
  const std::string options = std::string(kTestSkinOptions);
  struct Bad {
    const char* line;
    const char* text;
    const char* key;
  };
  for (Bad bad :
       {Bad{"GLYPH=@0001", "'' is not a valid integer value", "key GLYPH"},
        Bad{"BORDERSMASK=# (0,0,1x,10) (1,0)", "'1x' is not a valid integer value", "key BORDERSMASK"}}) {
    SCOPED_TRACE(bad.line);
    WriteText(root + "TestSkin/Options.dat", options + "\n[ODD]\n" + bad.line + "\n");
    try {
      m->SetSkinName("TestSkin");
      ADD_FAILURE() << "loaded";
    } catch (const ESkinError& e) {
      EXPECT_EQ(e.Message.find(std::string("Skin \"TestSkin\" could not be loaded: ") + bad.text), 0u)
          << e.Message;
      EXPECT_NE(e.Message.find("section [ODD]"), std::string::npos) << e.Message;
      EXPECT_NE(e.Message.find(bad.key), std::string::npos) << e.Message;
    }
    EXPECT_TRUE(m->SkinData()->Active);
    EXPECT_EQ(m->ma.size(), masks);
  }
}

TEST_F(SkinManagerTest, BackToFrontOrNegativeImageRectanglesRefuseTheSkin) {
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  const size_t masks = m->ma.size();
  const std::string options = std::string(kTestSkinOptions);
  for (const char* bad :
       {"BORDERSMASK=# (30,0,10,20) (1,0)", "BORDERSMASK=# (0,30,10,20) (1,0)",
        "BORDERSMASK=# (-5,0,10,20) (1,0)", "PATTERN=~0010,0030,0020,0010,00",
        "GLYPH=@-001,0000,0010,0010,1,0", "FRAME=^0030,0000,0010,0010,0002,0002,0002,0002,1,0,1,2"}) {
    SCOPED_TRACE(bad);
    WriteText(root + "TestSkin/Options.dat", options + "\n[ODD]\n" + bad + "\n");
    try {
      m->SetSkinName("TestSkin");
      ADD_FAILURE() << "loaded";
    } catch (const ESkinError& e) {
      EXPECT_NE(e.Message.find("Skin \"TestSkin\" could not be loaded"), std::string::npos) << e.Message;
      EXPECT_NE(e.Message.find("ODD/"), std::string::npos) << e.Message;
      EXPECT_NE(e.Message.find("back to front or negative"), std::string::npos) << e.Message;
    }
    EXPECT_TRUE(m->SkinData()->Active);
    EXPECT_EQ(m->ma.size(), masks);
  }
  // The same from the common sections and from a stored skin.
  WriteText(root + "TestSkin/Options.dat", options);
  EXPECT_THROW(m->SetCommonSections({"[EXTRA]", "BORDERSMASK=# (20,20,10,10) (1,0)"}), ESkinError);
  EXPECT_EQ(m->ma.size(), masks);
  EXPECT_TRUE(m->CommonSections().empty());  // the lines go with the refused load
  TSkStoredSkin* st = m->InternalSkins().Add();
  st->SetName("Stored");
  st->MasterBitmap.SetSize(40, 40);
  TSkinImage* part = st->Images.Add();
  part->SectionName = "EDIT", part->PropertyName = "GLYPH", part->Left = 30, part->Right = 10,
  part->Bottom = 10;
  part->ImageCount = 1;
  EXPECT_THROW(m->SetSkinName("Stored"), ESkinError);
  EXPECT_EQ(m->SkinName(), "TestSkin");
  // An empty rectangle is no error.
  WriteText(root + "TestSkin/Options.dat", options + "\n[ODD]\nBORDERSMASK=# (10,10,10,10) (1,0)\n");
  m->SetSkinName("TestSkin");
  const int odd = m->FindMaskIndex("ODD", "BORDERSMASK");
  ASSERT_GE(odd, 0);
  EXPECT_EQ(m->GetMaskSize(odd).cx, 0);
}

// Every painter given such a rectangle anyway (set by hand, past the loader)
// paints nothing outside its target, reads nothing outside the image and
// reports no negative size.
TEST_F(SkinManagerTest, PaintersTakeBackToFrontAndNegativeRectanglesSafely) {
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  ASSERT_TRUE(m->MasterBitmap);
  const int base = m->FindMaskIndex("BUTTON", "BORDERSMASK");
  ASSERT_GE(base, 0);
  const RECT odd[] = {{30, 0, 10, 20},        {0, 30, 10, 20},
                      {-40, -40, 10, 10},     {INT32_MIN, 0, INT32_MAX, 10},
                      {300, 300, -300, -300}, {-10, 5, -1, 2}};
  for (const RECT& r : odd) {
    SCOPED_TRACE(std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
                 std::to_string(r.bottom));
    for (int imageCount : {1, 3}) {
      TSkMaskData& mask = m->ma[size_t(base)];
      mask.R = r, mask.ImageCount = int16_t(imageCount), mask.MaskType = 1, mask.BorderWidth = 2;
      const SIZE size = m->GetMaskSize(base);
      EXPECT_GE(size.cx, 0);
      EXPECT_GE(size.cy, 0);
      auto big = Bmp24(60, 40, 0x123456);
      auto target = Bmp24(20, 10, 0x123456);
      PaintNinePartMask(big.get(), RECT{20, 15, 40, 25}, true, EmptyCacheInfo, mask, 2);
      DrawSkinGlyph(target.get(), POINT{2, 1}, 2, 1, mask);  // a glyph is as big as it is, clipped
      DrawSkinGlyph(target.get(), POINT{-3, -3}, 0, 0, mask);
      RECT place{20, 15, 40, 25};
      PaintImageByMode(big.get(), place, m->MasterBitmap.get(), 0, &mask);
      std::vector<RECT> rects;
      AddTransparentRects(rects, 0, mask, 1, 0);
      AddBottomTransparentRects(rects, 0, mask, 1, 10);
      for (const RECT& t : rects) {
        EXPECT_LE(t.left, t.right);
        EXPECT_LE(t.top, t.bottom);
      }
      HRGN rgn = CreateRectRgn(0, 0, 20, 10);
      PaintBorderRgn(target.get(), rgn, true, mask, 1);
      DeleteObject(rgn);
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
          if (x >= 20 && x < 40 && y >= 15 && y < 25) continue;
          ASSERT_EQ(Px(big.get(), x, y), 0x123456) << x << "," << y;
        }
    }
  }
}

TEST_F(SkinManagerTest, StoredSkinsLoadLikeFolders) {
  auto m = NewManager();
  TSkStoredSkin* s = m->InternalSkins().Add();
  s->SetName("Stored");
  s->MasterBitmap.SetSize(40, 40);
  TSkinGeneral* g = s->GeneralData.Add();
  g->SectionName = "EDIT", g->Color = 0x112233, g->FontColor = "255 0 0 0 0", g->GradientData = "1;2;3;0;0";
  TSkinGeneral* four = s->GeneralData.Add();
  four->SectionName = "FOUR", four->FontColor = "1 2 3 4";
  TSkinImage* own = s->Images.Add();
  own->Name = "own", own->SectionName = "edit", own->PropertyName = "bordersmask", own->ImageCount = 0;
  own->Image()->SetSize(18, 12);
  TSkinImage* part = s->Images.Add();
  part->SectionName = "EDIT", part->PropertyName = "GLYPH", part->Left = 1, part->Top = 2, part->Right = 31;
  part->Bottom = 12, part->ImageCount = 3, part->MaskType = -1;
  TSkStoredSkin* dup = m->InternalSkins().Add();
  dup->SetName("Stored");
  dup->GeneralData.Add()->SectionName = "OTHER";

  m->SetSkinName("Stored");
  ASSERT_TRUE(m->SkinData()->Active);
  const TSkGeneralData& e = m->gd[size_t(m->GetSkinIndex("EDIT"))];
  EXPECT_EQ(e.Color, 0x112233);
  EXPECT_EQ(e.FontColor, 255);
  EXPECT_EQ(e.TCLeft, 0);
  EXPECT_EQ(e.TCBottom, 0);
  EXPECT_EQ(e.GradientArray.size(), 1u);
  const TSkGeneralData& f = m->gd[size_t(m->GetSkinIndex("FOUR"))];
  EXPECT_EQ(f.FontColor, 0);
  EXPECT_EQ(f.TCLeft, -1);
  EXPECT_EQ(m->GetSkinIndex("OTHER"), -1);  // the first of two equal names
  const int ownIdx = m->FindMaskIndex("EDIT", "BORDERSMASK");
  ASSERT_GE(ownIdx, 0);
  EXPECT_TRUE(m->ma[size_t(ownIdx)].Bmp);
  EXPECT_EQ(m->ma[size_t(ownIdx)].ImageCount, 3);
  EXPECT_EQ(m->ma[size_t(ownIdx)].MaskType, 1);
  const int partIdx = m->FindMaskIndex("EDIT", "GLYPH");
  ASSERT_GE(partIdx, 0);
  EXPECT_FALSE(m->ma[size_t(partIdx)].Bmp);
  EXPECT_EQ(m->ma[size_t(partIdx)].R, (RECT{1, 2, 31, 12}));
  EXPECT_EQ(m->ma[size_t(partIdx)].MaskType, 0);  // held at 0
  EXPECT_TRUE(m->MasterBitmap);

  // A folder-less name falls back to the first stored skin.
  m->SetSkinName("Nowhere");
  EXPECT_EQ(m->SkinName(), "Stored");
  std::vector<std::string> names;
  EXPECT_EQ(m->ListSkinNames(names), "Stored");
}

TEST_F(SkinManagerTest, NothingToLoadTurnsInactive) {
  auto m = NewManager();
  m->SetSkinName("Nowhere");
  EXPECT_FALSE(m->Active());
  EXPECT_FALSE(SkinLoading);
  // With a skin loaded, a folder-less name only turns the manager inactive:
  // the loaded masks, patterns and sections stay for the controls.
  m->SetSkinName("TestSkin");  // inactive: stored
  m->SetActive(true);
  ASSERT_TRUE(m->SkinData()->Active);
  const size_t masks = m->ma.size(), patterns = m->pa.size(), sections = m->gd.size();
  ASSERT_GT(masks, 0u);
  ASSERT_GT(sections, 0u);
  m->SetSkinName("Nowhere");
  EXPECT_FALSE(m->Active());
  EXPECT_FALSE(m->SkinData()->Active);
  EXPECT_FALSE(SkinLoading);
  EXPECT_EQ(m->SkinName(), "Nowhere");
  EXPECT_EQ(m->SkinData()->IniFile, nullptr);  // the description is closed all the same
  EXPECT_EQ(m->SkinData()->SkinPath, "");
  EXPECT_EQ(m->ma.size(), masks);
  EXPECT_EQ(m->pa.size(), patterns);
  EXPECT_EQ(m->gd.size(), sections);
  EXPECT_GE(m->GetSkinIndex("FORMTITLE"), 0);
  EXPECT_TRUE(m->MasterBitmap);
}

TEST_F(SkinManagerTest, HueAndSaturationSpareGreysAndTheKey) {
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  TBitmap* master = m->MasterBitmap.get();
  const TColor key = Px(master, 64, 0), grey = Px(master, 100, 100), coloured = Px(master, 150, 200);
  ASSERT_EQ(key, clSkinTransparent);
  const TColor edit = m->gd[size_t(m->GetSkinIndex("FORMTITLE"))].GradientArray[0].Color1;
  m->SetHueOffset(0);
  EXPECT_EQ(Px(m->MasterBitmap.get(), 150, 200), coloured);
  m->SetHueOffset(120);
  master = m->MasterBitmap.get();
  EXPECT_EQ(Px(master, 64, 0), clSkinTransparent);
  EXPECT_EQ(Px(master, 100, 100), grey);
  EXPECT_NE(Px(master, 150, 200), coloured);
  EXPECT_NE(m->gd[size_t(m->GetSkinIndex("FORMTITLE"))].GradientArray[0].Color1, edit);
  m->SetHueOffset(0);
  m->SetSaturation(100);  // +100 maps to -100: away from grey
  master = m->MasterBitmap.get();
  EXPECT_EQ(Px(master, 100, 100), grey);
  EXPECT_EQ(Px(master, 64, 0), clSkinTransparent);
  EXPECT_FALSE(SkinLoading);
}

TEST_F(SkinManagerTest, FailedRecolouringKeepsThePreviousValueAndSkin) {
  auto m = NewManager();
  m->SetSkinName("TestSkin");
  m->SetHueOffset(40);
  const TColor before = Px(m->MasterBitmap.get(), 150, 200);
  const size_t masks = m->ma.size(), sections = m->gd.size();
  const TColor title = m->gd[size_t(m->GetSkinIndex("FORMTITLE"))].GradientArray[0].Color1;
  // The images are read again for a new hue or saturation: damage one.
  WriteText(root + "TestSkin/MASTER.BMP", EncodeBmp(MasterSurface(), 24).substr(0, 100));
  auto check = [&](const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(m->HueOffset(), 40);
    EXPECT_EQ(m->Saturation(), 0);
    EXPECT_FALSE(SkinLoading);
    EXPECT_TRUE(m->SkinData()->Active);
    ASSERT_TRUE(m->MasterBitmap);
    EXPECT_EQ(Px(m->MasterBitmap.get(), 150, 200), before);
    EXPECT_EQ(m->ma.size(), masks);
    EXPECT_EQ(m->gd.size(), sections);
    EXPECT_EQ(m->gd[size_t(m->GetSkinIndex("FORMTITLE"))].GradientArray[0].Color1, title);
    EXPECT_TRUE(probe->SkinData->Skinned(true));
  };
  probe->Commands.clear();
  try {
    m->SetHueOffset(200);
    ADD_FAILURE() << "the damaged master bitmap must fail the reload";
  } catch (const ESkinError& e) {
    EXPECT_NE(e.Message.find("TestSkin"), std::string::npos);
  }
  check("hue");
  EXPECT_THROW(m->SetSaturation(30), ESkinError);
  check("saturation");
  EXPECT_TRUE(Announced().empty());
  // Repaired, the same values apply.
  WriteText(root + "TestSkin/MASTER.BMP", EncodeBmp(MasterSurface(), 24));
  m->SetSaturation(30);
  EXPECT_EQ(m->Saturation(), 30);
  EXPECT_NE(Px(m->MasterBitmap.get(), 150, 200), before);
}

}  // namespace
}  // namespace qv::test
