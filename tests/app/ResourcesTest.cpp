// The program's own images, help pages and desktop entry: every drawing is
// compiled in with the size and cell count its users expect, the action
// images are distinct drawings, the derived hot and disabled looks keep the
// shapes, and every help topic the windows open has its page.
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "AppTestSupport.h"
#include "app/forms/Images.h"
#include "catalogue/Info.h"
#include "platform/image/Png.h"
#include "platform/image/Resources.h"

namespace qv::test {
namespace {

using ResourcesTest = AppTest;

Surface Load(const char* name) {
  Surface s;
  EXPECT_TRUE(LoadResourceSurface(name, s)) << name;
  return s;
}

std::vector<uint32_t> CellPixels(const Surface& strip, int cell) {
  std::vector<uint32_t> px;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) px.push_back(strip.At(cell * 16 + x, y));
  return px;
}

int OpaqueCount(const std::vector<uint32_t>& px) {
  int n = 0;
  for (uint32_t p : px) n += PixelA(p) != 0;
  return n;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST_F(ResourcesTest, DrawingsHaveTheirSizes) {
  struct Want {
    const char* name;
    int w, h;
  };
  for (Want w :
       {Want{resname::Actions, 16 * kActionImageCount, 16}, Want{resname::Pages, 64, 16},
        Want{resname::Categories, 64, 16}, Want{resname::Console, 64, 16}, Want{resname::Browser, 128, 16},
        Want{resname::Wizard, 140, 260}, Want{resname::Database, 48, 48}, Want{resname::Icon, 48, 48}}) {
    Surface s = Load(w.name);
    EXPECT_EQ(s.Width, w.w) << w.name;
    EXPECT_EQ(s.Height, w.h) << w.name;
  }
}

TEST_F(ResourcesTest, EveryCellIsItsOwnDrawingAndTheSpareCellsAreEmpty) {
  auto check = [](const char* name, int drawn, int cells) {
    Surface s = Load(name);
    std::set<std::vector<uint32_t>> seen;
    for (int i = 0; i < cells; ++i) {
      std::vector<uint32_t> px = CellPixels(s, i);
      if (i < drawn) {
        EXPECT_GT(OpaqueCount(px), 20) << name << " cell " << i;
        EXPECT_LT(OpaqueCount(px), 256 + 1) << name << " cell " << i;
        EXPECT_TRUE(seen.insert(px).second) << name << " cell " << i << " repeats another";
      } else {
        EXPECT_EQ(OpaqueCount(px), 0) << name << " spare cell " << i;
      }
    }
  };
  check(resname::Actions, kDrawnActionImages, kActionImageCount);
  check(resname::Pages, 4, 4);
  check(resname::Categories, 4, 4);
  check(resname::Console, 4, 4);
  check(resname::Browser, 8, 8);
}

TEST_F(ResourcesTest, ImageModuleHoldsEveryList) {
  TImages* images = nullptr;
  Application->CreateForm(images);
  EXPECT_EQ(Application->MainForm(), nullptr) << "a data module is never the main form";
  for (TImageList* list : {images->SNorm, images->SHot, images->SDis}) {
    EXPECT_EQ(list->Count(), kActionImageCount) << list->Name();
    EXPECT_EQ(list->Width(), 16);
    EXPECT_EQ(list->Height(), 16);
  }
  EXPECT_EQ(images->PageImages->Count(), 4);
  EXPECT_EQ(images->CatImages->Count(), 4);
  EXPECT_EQ(images->ViewImages->Count(), 4);
  EXPECT_EQ(images->BrowserImages->Count(), 8);
  EXPECT_EQ(images->WizardPicture->Width(), 140);
  EXPECT_EQ(images->WizardPicture->Height(), 260);
  EXPECT_EQ(images->BaseSymbol->Width(), 48);
  EXPECT_EQ(images->AppIcon->Height(), 48);
  EXPECT_EQ(images->FindComponent("SNorm"), images->SNorm);
  delete images;
}

TEST_F(ResourcesTest, HotIsBrighterAndDisabledIsGreyWithTheSameShape) {
  Surface normal = Load(resname::Actions);
  Surface hot = HotLook(normal), dis = DisabledLook(normal);
  ASSERT_EQ(hot.Pixels.size(), normal.Pixels.size());
  ASSERT_EQ(dis.Pixels.size(), normal.Pixels.size());
  for (size_t i = 0; i < normal.Pixels.size(); ++i) {
    uint32_t n = normal.Pixels[i], h = hot.Pixels[i], d = dis.Pixels[i];
    ASSERT_EQ(PixelA(h), PixelA(n));
    ASSERT_EQ(PixelA(d), PixelA(n));
    if (PixelA(n) == 0) continue;
    EXPECT_GE(PixelR(h) + PixelG(h) + PixelB(h), PixelR(n) + PixelG(n) + PixelB(n));
    EXPECT_TRUE(PixelR(d) == PixelG(d) && PixelG(d) == PixelB(d));
    EXPECT_GE(PixelR(d), 128) << "disabled images are pale";
  }
}

TEST_F(ResourcesTest, EveryHelpTopicHasItsPageBesideTheProgram) {
  const std::vector<std::string> topics = {"a2_02_00.htm", "a2_03_00.htm", "a2_04_00.htm", "a2_05_00.htm",
                                           "a2_06_00.htm", "a2_07_00.htm", "a2_08_00.htm", "a2_09_00.htm",
                                           "a2_10_00.htm", "a2_11_00.htm", "a3_00_00.htm"};
  std::string contents = ReadText(HelpPagePath(""));
  EXPECT_EQ(HelpPagePath(""), AppPath() + "help/index.htm");
  ASSERT_FALSE(contents.empty());
  for (const std::string& t : topics) {
    std::string page = ReadText(HelpPagePath(t));
    ASSERT_FALSE(page.empty()) << t;
    EXPECT_NE(page.find("<title>"), std::string::npos) << t;
    EXPECT_NE(page.find("href=\"index.htm\""), std::string::npos) << t << " links back to the contents";
    EXPECT_NE(contents.find("href=\"" + t + "\""), std::string::npos) << "contents lists " << t;
  }
  // Every link between the pages leads to a page, and to a place on it
  // that the page names.
  for (const auto& entry : std::filesystem::directory_iterator(AppPath() + "help")) {
    std::string page = ReadText(entry.path());
    for (size_t at = page.find("href=\""); at != std::string::npos; at = page.find("href=\"", at + 1)) {
      size_t end = page.find('"', at + 6);
      std::string target = page.substr(at + 6, end - at - 6);
      const size_t hash = target.find('#');
      const std::string file = target.substr(0, hash);
      EXPECT_TRUE(std::filesystem::exists(AppPath() + "help/" + file)) << entry.path() << " -> " << target;
      if (hash != std::string::npos) {
        EXPECT_NE(ReadText(AppPath() + "help/" + file).find("id=\"" + target.substr(hash + 1) + "\""),
                  std::string::npos)
            << entry.path() << " -> " << target;
      }
    }
  }
  // Pages open through the desktop; a topic that has no page opens nothing.
  EXPECT_TRUE(ShowHelp("a3_00_00.htm"));
  EXPECT_TRUE(ShowHelp(""));
  EXPECT_FALSE(ShowHelp("a9_99_00.htm"));
  EXPECT_EQ(backend.Opened,
            (std::vector<std::string>{AppPath() + "help/a3_00_00.htm", AppPath() + "help/index.htm"}));
}

TEST_F(ResourcesTest, DesktopEntryMatchesTheWindowClassAndNamesTheBuiltProgram) {
  std::string app = std::string(QV_BINARY_DIR) + "/app/";
  std::string entry = ReadText(app + "quirvane.desktop");
  for (std::string line :
       {std::string("[Desktop Entry]\n"), std::string("\nType=Application\n"),
        std::string("\nName=Quirvane\n"), "\nExec=" + app + "quirvane\n", "\nIcon=" + app + "quirvane.png\n",
        std::string("\nStartupWMClass=Quirvane\n"), std::string("\nTerminal=false\n")})
    EXPECT_NE(entry.find(line), std::string::npos) << line;
  EXPECT_EQ(entry.find('@'), std::string::npos) << "every placeholder filled in";
  // The icon beside the program is the compiled-in drawing.
  Surface beside, compiled = Load(resname::Icon);
  ASSERT_TRUE(LoadPngFile(app + "quirvane.png", beside));
  EXPECT_EQ(beside.Pixels, compiled.Pixels);
}

}  // namespace
}  // namespace qv::test
