// A skin folder read into masks, patterns and section records: every value
// form, the case rules of file names, the size rule of pictures, inheritance
// with its missing markers, and the chains that must end (cycles, self).
#include <random>

#include "SkinTestSupport.h"
#include "TestSkins.h"
#include "platform/backend/HeadlessBackend.h"
#include "skin/skInheritedValues.h"
#include "skin/skUtils.h"
#include "skin/skinManager.h"

namespace qv::test {
namespace {

class SkinLoader : public ::testing::Test {
 protected:
  void SetUp() override {
    root = MakeTestSkins(dir);
    manager = std::make_unique<TSkinManager>(nullptr);
    manager->AfterConstruction();
    manager->SetSkinDirectory(root);
    manager->SetSkinName("TestSkin");
  }
  const TSkMaskData* Mask(const std::string& section, const std::string& key) {
    int i = manager->FindMaskIndex(section, key);
    return i < 0 ? nullptr : &manager->ma[size_t(i)];
  }
  const TSkGeneralData& Section(const std::string& name) {
    int i = manager->GetSkinIndex(name);
    EXPECT_GE(i, 0) << name;
    return manager->gd[size_t(std::max(i, 0))];
  }
  HeadlessBackend backend{SIZE{320, 240}};
  TempDir dir;
  std::string root;
  std::unique_ptr<TSkinManager> manager;
};

TEST_F(SkinLoader, GlobalInfoAndMasterBitmap) {
  ASSERT_TRUE(manager->SkinData()->Active);
  EXPECT_DOUBLE_EQ(manager->SkinData()->Version, 1.5);
  EXPECT_EQ(manager->SkinInfo(), "1.5");
  EXPECT_EQ(manager->SkinData()->Author, "test");
  EXPECT_EQ(manager->SkinData()->Shadow1Color, 0);
  EXPECT_EQ(manager->SkinData()->Shadow1Blur, 4);
  ASSERT_TRUE(manager->MasterBitmap);
  EXPECT_EQ(manager->MasterBitmap->Width(), 256);
  EXPECT_EQ(manager->MasterBitmap->PixelFormat(), pf24bit);
}

TEST_F(SkinLoader, FixedColumnForms) {
  const TSkMaskData* glyph = Mask("GLOBALINFO", "BICONCLOSE");
  ASSERT_TRUE(glyph);
  EXPECT_EQ(glyph->R, (RECT{0, 0, 63, 42}));
  EXPECT_EQ(glyph->ImageCount, 3);
  EXPECT_EQ(glyph->MaskType, 1);
  EXPECT_EQ(glyph->ImgType, itisaGlyph);
  EXPECT_EQ(glyph->Bmp, nullptr);
  const TSkMaskData* border = Mask("FORM", "BORDERSMASK");
  ASSERT_TRUE(border);
  EXPECT_EQ(border->R, (RECT{64, 0, 112, 48}));
  EXPECT_EQ(border->WL, 8);
  EXPECT_EQ(border->WB, 8);
  EXPECT_EQ(border->ImageCount, 2);
  EXPECT_EQ(border->StretchMode, 0);
  EXPECT_EQ(border->BorderWidth, 4);
  EXPECT_EQ(border->ImgType, itisaBorder);
  const TSkMaskData* tex = Mask("BUTTON", "HOTPATTERN");
  ASSERT_TRUE(tex);
  EXPECT_EQ(tex->R, (RECT{200, 200, 232, 232}));
  EXPECT_EQ(tex->ImgType, itisaTexture);
  EXPECT_EQ(tex->ImageCount, 1);
}

TEST_F(SkinLoader, FreeFormAndFileForms) {
  const TSkMaskData* title = Mask("FORMTITLE", "BORDERSMASK");
  ASSERT_TRUE(title);
  EXPECT_EQ(title->R, (RECT{112, 0, 160, 48}));
  EXPECT_EQ(title->BorderWidth, 4);
  EXPECT_EQ(title->StretchMode, 1);  // no fourth number
  const TSkMaskData* bar = Mask("FORMTITLE", "TITLEBAR");
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->MaskType, 0);
  EXPECT_EQ(bar->StretchMode, 0);
  EXPECT_EQ(Mask("HASH", "X"), nullptr);  // exactly "#" is no image
  const TSkMaskData* clamped = Mask("HASH", "Y");
  ASSERT_TRUE(clamped);
  EXPECT_EQ(clamped->ImageCount, 1);
  EXPECT_EQ(clamped->MaskType, 0);
  const TSkMaskData* own = Mask("EDIT", "BORDERSMASK");
  ASSERT_TRUE(own && own->Bmp);
  EXPECT_EQ(own->ImageCount, 3);
  EXPECT_EQ(own->MaskType, 1);
  EXPECT_EQ(own->R, (RECT{0, 0, 180, 120}));
  const TSkMaskData* bang = Mask("BUTTON", "BORDERSMASK");
  ASSERT_TRUE(bang && bang->Bmp);
  EXPECT_EQ(bang->ImageCount, 3);
  // "!" tests ".BMP" as written: the lower-case name is skipped; the plain form accepts it.
  EXPECT_EQ(Mask("LOWER", "BANG"), nullptr);
  const TSkMaskData* plain = Mask("LOWER", "PLAIN");
  ASSERT_TRUE(plain && plain->Bmp);
  EXPECT_EQ(plain->Bmp->Width(), 9);
}

TEST_F(SkinLoader, PicturesBelow90000PixelsBecomeTextures) {
  const TSkMaskData* small = Mask("BUTTON", "PATTERN");
  ASSERT_TRUE(small && small->Bmp);
  EXPECT_EQ(small->ImgType, itisaTexture);
  EXPECT_EQ(small->Bmp->Width(), 64);
  ASSERT_TRUE(Mask("BIG", "HOTPATTERN"));  // 299 x 300
  EXPECT_EQ(Mask("BIG", "PATTERN"), nullptr);
  int big = manager->GetPatternIndex(manager->GetSkinIndex("BIG"), "BIG", "PATTERN");
  ASSERT_GE(big, 0);
  EXPECT_EQ(manager->pa[size_t(big)].Img->Width(), 300);
  EXPECT_GE(manager->GetTextureIndex(manager->GetSkinIndex("BUTTON"), "BUTTON", "PATTERN"), 0);
}

TEST_F(SkinLoader, InheritanceAndMissingMarkers) {
  EXPECT_EQ(Section("CHILD").TCLeft, 255);  // an explicit -1 takes the parent's value
  EXPECT_EQ(Section("CHILD").Color, 12632256);
  EXPECT_EQ(Section("GRANDCHILD").TCLeft, 255);
  EXPECT_EQ(Section("GRANDCHILD").GradientPercent, 60);
  EXPECT_EQ(Section("SELF").Color, 0xFFFFFF);
  EXPECT_EQ(Section("LOOPA").Color, 0xFFFFFF);  // a cycle ends as missing
  EXPECT_EQ(Section("LOOPB").TCLeft, -1);
  EXPECT_FALSE(Section("BAD").ShadowEnabled);
  EXPECT_TRUE(Section("LOWERTRUE").ShadowEnabled);
  EXPECT_EQ(Section("SYSCOLOR").Color, ColorToRGB(clBtnFace));
  EXPECT_EQ(Section("SYSCOLOR").HotColor, clBtnFace);  // stored as read
  EXPECT_EQ(Section("SELF").GradientData, " ");
  EXPECT_TRUE(Section("SELF").GradientArray.empty());
  ASSERT_EQ(Section("FORMTITLE").GradientArray.size(), 1u);
  EXPECT_EQ(Section("FORMTITLE").GradientArray[0].Color1, 16753188);
  EXPECT_EQ(Section("FORMTITLE").FontColor, 0xFFFFFF);
  EXPECT_EQ(Section("FORMTITLE").ShadowBlur, 6);
  EXPECT_TRUE(Section("FORMTITLE").ReservedBoolean);  // from FORM
  EXPECT_EQ(Section("FORMTITLE").ParentClass, "FORM");
}

// A value as the chain is defined: the section's own, else its parent's and
// so on, stopping at a parent "?", empty or naming the section itself, or
// after as many steps as there are sections; Missing marks no value.
std::string WalkValues(const TSkIniText& Ini, std::string Section, const std::string& Key,
                       const std::string& Missing, const std::string& Default) {
  for (size_t depth = 0; depth <= Ini.SectionCount(); ++depth) {
    const std::string v = Ini.ReadString(Section, Key, "?");
    if (v != "?" && (Missing != "-1" || TSkIniText::IntegerValue(v, -1) != -1))
      return Missing == "-1" ? std::to_string(TSkIniText::IntegerValue(v, -1)) : v;
    const std::string p = Ini.ReadString(Section, "PARENTCLASS", "?");
    if (p.empty() || p == "?" || p == Section) break;
    Section = p;
  }
  return Default;
}

// The values resolved once per load agree with following each chain step by
// step, for random parent links: chains, cycles, self and case-variant names,
// parents of no section, duplicate sections, "-1" and "?" markers.
TEST_F(SkinLoader, ResolvedInheritanceMatchesWalkingEachChain) {
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    const int n = 1 + int(rng() % 30);
    std::string text;
    for (int i = 0; i < n; ++i) {
      text += "[S" + std::to_string(rng() % 4 == 0 ? rng() % n : i) + "]\n";
      const unsigned link = rng() % 8;
      if (link < 5) text += "PARENTCLASS=S" + std::to_string(rng() % (n + 2)) + "\n";
      if (link == 5) text += "PARENTCLASS=s" + std::to_string(rng() % n) + "\n";
      if (link == 6) text += "PARENTCLASS=?\n";
      for (const char* k : {"COLOR", "TCLEFT", "SHOWFOCUS", "GRADIENTDATA"}) {
        const unsigned v = rng() % 5;
        if (v == 0) text += std::string(k) + "=-1\n";
        if (v == 1) text += std::string(k) + "=?\n";
        if (v == 2) text += std::string(k) + "=" + std::to_string(rng() % 1000) + "\n";
      }
    }
    TSkIniText ini(text);
    WriteText(root + "TestSkin/Options.dat", text);
    manager->SetSkinName("TestSkin");
    TSkInheritedValues resolved(ini);
    for (const std::string& s : ini.Sections()) {
      SCOPED_TRACE(text + "section " + s);
      for (const char* k : {"COLOR", "TCLEFT", "SHOWFOCUS", "GRADIENTDATA", "BEVEL"}) {
        const std::string number = WalkValues(ini, s, k, "-1", "42"), value = WalkValues(ini, s, k, "?", "d");
        EXPECT_EQ(std::to_string(resolved.Integer(s, k, 42)), number) << k;
        EXPECT_EQ(resolved.Text(s, k, "d"), value) << k;
        EXPECT_EQ(std::to_string(manager->ReadInheritedInteger(s, k, 42)), number) << k;
        EXPECT_EQ(manager->ReadInheritedString(s, k, "d"), value) << k;
      }
    }
  }
}

TEST_F(SkinLoader, LongParentChainsLoadWhole) {
  std::string text = "[GLOBALINFO]\n[SCROLLBTNTOP]\nPARENTCLASS=S0\n";
  const int n = 3000;
  for (int i = 0; i < n; ++i) {
    text += "[S" + std::to_string(i) + "]\n";
    if (i + 1 < n) text += "PARENTCLASS=S" + std::to_string(i + 1) + "\n";
    for (int k = 0; k < 10; ++k) text += "K" + std::to_string(k) + "=" + std::to_string(i) + "\n";
  }
  // In the last section only.
  text += "COLOR=255\nTCTOP=7\nSHADOWENABLED=true\nBORDERSMASK=# (0,0,30,30) (1,0)\n";
  WriteText(root + "TestSkin/Options.dat", text);
  manager->SetSkinName("TestSkin");
  ASSERT_EQ(manager->gd.size(), size_t(n + 2));
  const int mask = manager->FindMaskIndex("S" + std::to_string(n - 1), "BORDERSMASK");
  ASSERT_GE(mask, 0);
  EXPECT_EQ(manager->ConstData.MaskScrollBtn[0], mask);  // found at the far end of the chain
  EXPECT_EQ(manager->GetMaskIndex(manager->GetSkinIndex("S0"), "S0", "BORDERSMASK"), mask);
  for (int i : {0, 1, n / 2, n - 1}) {
    const TSkGeneralData& g = Section("S" + std::to_string(i));
    EXPECT_EQ(g.Color, 255);
    EXPECT_EQ(g.TCTop, 7);
    EXPECT_TRUE(g.ShadowEnabled);
    EXPECT_EQ(g.TCLeft, -1);
  }
}

TEST_F(SkinLoader, LookupsFollowParentsAndStop) {
  const int child = manager->GetSkinIndex("CHILD");
  const int button = manager->FindMaskIndex("BUTTON", "BORDERSMASK");
  EXPECT_EQ(manager->GetMaskIndex(child, "CHILD", "BORDERSMASK"), button);
  EXPECT_EQ(manager->GetMaskIndex(manager->GetSkinIndex("SELF"), "SELF", "BORDERSMASK"), -1);
  EXPECT_EQ(manager->GetMaskIndex(manager->GetSkinIndex("LOOPA"), "LOOPA", "BORDERSMASK"), -1);
  EXPECT_EQ(manager->GetMaskIndex(child, "", "BORDERSMASK"), -1);
  EXPECT_EQ(manager->GetSkinIndex("child"), -1);  // names are exact
  const SIZE glyph = manager->GetMaskSize(manager->FindMaskIndex("GLOBALINFO", "BICONCLOSE"));
  EXPECT_EQ(glyph.cx, 21);
  EXPECT_EQ(glyph.cy, 21);
  const SIZE own = manager->GetMaskSize(manager->FindMaskIndex("EDIT", "BORDERSMASK"));
  EXPECT_EQ(own.cx, 60);
  EXPECT_EQ(own.cy, 60);
  EXPECT_EQ(manager->GetGlobalColor(), 0xC0C0C0);
  EXPECT_EQ(manager->ConstData.IndexGlobalInfo, manager->GetSkinIndex("GLOBALINFO"));
}

// The lookups as the chain is defined: the entry of the named section, else
// step by step to the first section of each parent's name, stopping at an
// empty parent, a section naming itself, a name of no section, or after as
// many steps as there are sections.
int WalkChain(const TSkinManager& m, int SkinIndex, std::string Section, const std::string& Property,
              int Kind) {
  auto own = [&](const std::string& s) {
    if (Kind == 2) {
      for (size_t i = 0; i < m.pa.size(); ++i)
        if (m.pa[i].SectionName == s && m.pa[i].PropertyName == Property) return int(i);
      return -1;
    }
    for (size_t i = 0; i < m.ma.size(); ++i)
      if (m.ma[i].SectionName == s && m.ma[i].PropertyName == Property &&
          (Kind == 0 || m.ma[i].ImgType == itisaTexture))
        return int(i);
    return -1;
  };
  if (Section.empty() || (Kind == 1 && (SkinIndex < 0 || m.ma.empty())) ||
      (Kind == 2 && (SkinIndex < 0 || m.pa.empty())))
    return -1;
  for (size_t steps = 0; steps <= m.gd.size(); ++steps) {
    if (int found = own(Section); found >= 0) return found;
    if (SkinIndex < 0 || size_t(SkinIndex) >= m.gd.size()) return -1;
    const std::string p = m.gd[size_t(SkinIndex)].ParentClass;
    if (p.empty() || p == Section) return -1;
    SkinIndex = -1;
    for (size_t i = 0; i < m.gd.size() && SkinIndex < 0; ++i)
      if (m.gd[i].SectionName == p) SkinIndex = int(i);
    if (SkinIndex < 0) return -1;
    Section = p;
  }
  return -1;
}

// Every lookup of a loaded skin gives the index walking its chain gives, for
// random skins of chains, cycles, self parents, duplicate and case-variant
// names and parents of no section; so does each reload, and a failed reload
// answers for the skin it keeps.
TEST_F(SkinLoader, LookupsAnswerAsWalkingTheChain) {
  std::mt19937 rng(11);
  const char* keys[] = {"BORDERSMASK", "GLYPHMASK", "PATTERN", "HOTPATTERN"};
  const char* values[] = {"# (0,0,30,30) (1,0)", "# (0,0,12,12) (3,1)", "TEX.JPG", "P300.JPG"};
  std::string text;
  auto check = [&] {
    const TSkinManager& m = *manager;
    const int n = int(m.gd.size());
    for (int i = -1; i <= n; ++i) {
      const int other = n ? int(rng() % unsigned(n)) : 0;
      std::vector<std::string> names = {"", "NOSUCH"};
      if (i >= 0 && i < n) names.push_back(m.gd[size_t(i)].SectionName);
      if (n) names.push_back(m.gd[size_t(other)].SectionName);
      for (const std::string& s : names)
        for (const char* k : {"BORDERSMASK", "GLYPHMASK", "PATTERN", "HOTPATTERN", "NONE"}) {
          SCOPED_TRACE(text + "\nlookup " + std::to_string(i) + " " + s + " " + k);
          ASSERT_EQ(m.GetMaskIndex(i, s, k), WalkChain(m, i, s, k, 0));
          ASSERT_EQ(m.GetTextureIndex(i, s, k), WalkChain(m, i, s, k, 1));
          ASSERT_EQ(m.GetPatternIndex(i, s, k), WalkChain(m, i, s, k, 2));
          int first = -1;
          for (size_t j = 0; j < m.ma.size() && first < 0 && !s.empty(); ++j)
            if (m.ma[j].SectionName == s && m.ma[j].PropertyName == k) first = int(j);
          ASSERT_EQ(m.FindMaskIndex(s, k), first);
        }
      if (i >= 0 && i < n) {
        ASSERT_LE(m.GetSkinIndex(m.gd[size_t(i)].SectionName), i);
        ASSERT_EQ(m.gd[size_t(m.GetSkinIndex(m.gd[size_t(i)].SectionName))].SectionName,
                  m.gd[size_t(i)].SectionName);
      }
    }
  };
  for (int round = 0; round < 30; ++round) {
    const int n = 1 + int(rng() % 25);
    text.clear();
    for (int i = 0; i < n; ++i) {
      text += "[S" + std::to_string(rng() % 4 == 0 ? rng() % n : i) + "]\n";
      const unsigned link = rng() % 8;
      if (link < 5) text += "PARENTCLASS=S" + std::to_string(rng() % (n + 2)) + "\n";
      if (link == 5) text += "PARENTCLASS=s" + std::to_string(rng() % n) + "\n";
      for (int k = 0; k < 4; ++k)
        if (rng() % 4 == 0) text += std::string(keys[k]) + "=" + values[rng() % (k < 2 ? 2 : 4)] + "\n";
    }
    WriteText(root + "TestSkin/Options.dat", text);
    manager->SetSkinName("TestSkin");
    check();
    if (HasFatalFailure()) return;
  }
  WriteText(root + "TestSkin/Options.dat", "[ODD]\nBORDERSMASK=# (30,0,10,20) (1,0)\n");
  EXPECT_THROW(manager->SetSkinName("TestSkin"), ESkinError);
  check();
}

TEST_F(SkinLoader, CommonSectionsAddSectionsAndImages) {
  manager->SetCommonSections({"[EXTRA]", "PARENTCLASS = form", "TCTOP=7", "BORDERSMASK=# (0,0,30,30) (1,0)",
                              "; comment", "[EXTRA2]", "PARENTCLASS=EXTRA"});
  const TSkGeneralData& extra = Section("EXTRA");
  EXPECT_EQ(extra.ParentClass, "FORM");
  EXPECT_EQ(extra.Color, 12632256);  // from the parent record
  EXPECT_EQ(extra.TCTop, 7);
  EXPECT_EQ(Section("EXTRA2").TCTop, 7);
  EXPECT_TRUE(Mask("EXTRA", "BORDERSMASK"));
}

TEST_F(SkinLoader, ListsSkinFoldersAndResolvesDirectories) {
  std::vector<std::string> names;
  manager->ListSkinNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Broken", "Second", "TestSkin"}));
  const std::string app = GetAppPath();
  TSkinManager m(nullptr);
  m.SetSkinDirectory("./Skins");
  EXPECT_EQ(m.ResolveSkinDirectory(), app + "Skins/");
  m.SetSkinDirectory("Skins/");
  EXPECT_EQ(m.ResolveSkinDirectory(), app + "Skins/");
  m.SetSkinDirectory("/opt/skins");
  EXPECT_EQ(m.ResolveSkinDirectory(), "/opt/skins/");
  m.SetSkinDirectory("..\\Skins");
  std::string parent = app.substr(0, app.size() - 1);
  parent = parent.substr(0, parent.find_last_of('/') + 1);
  EXPECT_EQ(m.ResolveSkinDirectory(), parent + "Skins/");
}

TEST_F(SkinLoader, NamesResolveCaseInsensitively) {
  manager->SetSkinName("testskin");
  EXPECT_TRUE(manager->SkinData()->Active);
  EXPECT_TRUE(Mask("EDIT", "BORDERSMASK"));
}

}  // namespace
}  // namespace qv::test
