// Skin engine benchmark on the headless backend. Prints, as key=value lines:
// hint_show_ms (median, from the hint request to the painted comics hint of
// the catalogue's configuration, with its shadow, for three lines of text at
// 180 pixels), blend_mpix_per_s (a blend by mask over 1920x1080),
// gradient_mpix_per_s (a two-step vertical gradient over 1920x1080),
// ninepart_us (median nine-part border of a 200x24 control, three states) and
// skin_load_ms (median load of the skin Harbour announced to a form with 100
// skinned controls), skin_chain_load_ms (median load of a description whose
// 500 sections, of 20 keys each, each name the next as parent),
// skin_chain_paint_ms (median full repaint of a skinned form with a button,
// an edit and a list in a skin of that chain), and the skinned form figures
// of SkinFormsBench.cpp.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "classlib/controls/Application.h"
#include "demo/skin/SkinDemoForm.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/window/Input.h"
#include "platform/window/Window.h"
#include "skin/skBlend.h"
#include "skin/skGradient.h"
#include "skin/skHintManager.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

double SkinChainPaintMs(const std::string& SkinFolder);

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
template <class F>
double TimeMs(F&& f) {
  auto t0 = Clock::now();
  f();
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

std::unique_ptr<TBitmap> Filled(int w, int h, int seed) {
  auto b = std::make_unique<TBitmap>(w, h, pf24bit);
  for (int y = 0; y < h; ++y) {
    uint8_t* p = b->ScanLine(y);
    for (int x = 0; x < 3 * w; ++x) p[x] = uint8_t(x * 7 + y * 3 + seed);
  }
  return b;
}

double HintShowMs(int runs = 101) {
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 1024, 768);
  form->Show();
  Application->ProcessMessages();
  auto* hints = new TSkHintManager(form);
  hints->AfterConstruction();
  demo::ConfigureCatalogueHints(hints);
  const std::string text =
      "Adds a disc or a folder to the catalogue: its files and folders are read and stored";
  auto window = std::make_unique<TSkComicsHintWindow>(nullptr);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    SetCursorPos(200 + i % 31, 200);
    times.push_back(TimeMs([&] {
      RECT r = window->CalcHintRect(0, text);
      window->ActivateHint(r, text);
    }));
    ShowWindow(window->Handle(), SW_HIDE);
    Application->ProcessMessages();
  }
  window.reset();
  delete form;
  return Median(times);
}

double BlendMpix() {
  auto back = Filled(1920, 1080, 1), body = Filled(1920, 1080, 2), mask = Filled(1920, 1080, 3);
  std::vector<double> times;
  for (int i = 0; i < 11; ++i)
    times.push_back(TimeMs([&] { BlendByMask(back.get(), body.get(), mask.get(), RECT{0, 0, 1920, 1080}); }));
  return 1920.0 * 1080.0 / 1e6 / (Median(times) / 1000);
}

double GradientMpix() {
  auto b = Filled(1920, 1080, 0);
  TSkGradArray a;
  PrepareGradArray("16753188;16777215;50;0;0;16777215;8421504;50;0;0", a);
  std::vector<double> times;
  for (int i = 0; i < 11; ++i)
    times.push_back(TimeMs([&] { PaintGrad(b.get(), RECT{0, 0, 1920, 1080}, a); }));
  return 1920.0 * 1080.0 / 1e6 / (Median(times) / 1000);
}

double NinePartUs(TSkinManager* m) {
  const int i = m->FindMaskIndex("BUTTON", "BORDERSMASK");
  if (i < 0) return -1;
  auto cache = Filled(200, 24, 5);
  std::vector<double> times;
  for (int n = 0; n < 300; ++n)
    times.push_back(
        1000 * TimeMs([&] {
          PaintNinePartMask(cache.get(), RECT{0, 0, 200, 24}, false, EmptyCacheInfo, m->ma[size_t(i)], n % 3);
        }));
  return Median(times);
}

double SkinLoadMs(demo::TSkinDemoForm* form) {
  // A hundred more skinned controls on the form.
  for (int i = 0; i < 100 - 15; ++i) {
    auto* b = new demo::TSkDemoButton(form);
    b->SetParent(form->Background);
    b->SetBounds(10 + (i % 10) * 50, 200 + (i / 10) * 20, 48, 18);
    b->HandleNeeded();
  }
  Application->ProcessMessages();
  std::vector<double> times;
  for (int i = 0; i < 11; ++i) {
    form->Skins->SetActive(false);
    times.push_back(TimeMs([&] { form->Skins->SetActive(true); }));
    Application->ProcessMessages();
  }
  return Median(times);
}

// A description of 500 sections, of 20 keys each, each naming the next as
// parent: every section inherits most values from the far end of the chain.
// Painted: the sections of a form, a button and an edit (a list's too) at the
// start of the chain, and a border image of the master bitmap at its far end.
void WriteChainSkin(const std::filesystem::path& Folder, bool Painted) {
  std::filesystem::create_directories(Folder);
  std::ofstream f(Folder / "Options.dat");
  f << "[GLOBALINFO]\nVERSION=1\n";
  if (Painted) {
    f << "MASTERBITMAP=MASTER.BMP\nPARENTCLASS=S0\n";
    for (const char* s : {"FORM", "FORMTITLE", "BUTTON", "EDIT", "MAINMENU", "MENUITEM"})
      f << "[" << s << "]\nPARENTCLASS=S0\n";
  }
  for (int i = 0; i < 500; ++i) {
    f << "[S" << i << "]\n";
    if (i + 1 < 500) f << "PARENTCLASS=S" << i + 1 << "\n";
    for (int k = 0; k < 19; ++k) f << "K" << k << "=" << i * 19 + k << "\n";
    if (i == 499) f << "COLOR=255\nFONTCOLOR=65280\nGRADIENTDATA=255;65280;100;0;0\nSHOWFOCUS=TRUE\n";
    if (i == 499 && Painted) f << "BORDERSMASK=# (0,0,60,40) (3,1)\n";
  }
  if (Painted) {
    auto master = Filled(60, 40, 9);
    master->SaveToFile((Folder / "MASTER.BMP").string());
  }
}

double SkinChainLoadMs() {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("qv_bench_chain_" + std::to_string(::getpid()));
  WriteChainSkin(dir / "Chain", false);
  std::vector<double> times;
  for (int i = 0; i < 7; ++i) {
    TSkinManager m(nullptr);
    m.AfterConstruction();
    m.SetSkinDirectory(dir.string());
    times.push_back(TimeMs([&] { m.SetSkinName("Chain"); }));
    if (m.gd.size() != 501 || m.gd[1].Color != 255) times.back() = 1e9;  // not loaded as it should be
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  return Median(times);
}

// The chain skin's median full repaint of a skinned form with a button, an
// edit and a list; -1 when the form did not take the skin.
double ChainSkinPaintMs() {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("qv_bench_chain_paint_" + std::to_string(::getpid()));
  WriteChainSkin(dir / "ChainPaint", true);
  const double ms = SkinChainPaintMs(dir.string());
  std::error_code ec;
  fs::remove_all(dir, ec);
  return ms;
}

}  // namespace

bool PrintSkinFormFigures(HeadlessBackend& backend, const std::string& SkinDirectory);

}  // namespace qv

int main() {
  using namespace qv;
  HeadlessBackend backend(SIZE{1024, 768});
  auto* form = new demo::TSkinDemoForm(nullptr, QV_BENCH_SKINS_DIR);
  form->Show();
  Application->ProcessMessages();
  if (!form->Skins->SkinData()->Active) {
    std::fprintf(stderr, "qv_bench_skin: the skin Harbour is missing from %s\n", QV_BENCH_SKINS_DIR);
    return 1;
  }
  // For profiling: QV_BENCH_HINT_RUNS=n shows the hint n times and prints its figure alone.
  if (const char* runs = std::getenv("QV_BENCH_HINT_RUNS"); runs && std::atoi(runs) > 0) {
    delete form;
    Application->ProcessMessages();
    std::printf("hint_show_ms=%.3f\n", HintShowMs(std::atoi(runs)));
    return 0;
  }
  const double ninepart = NinePartUs(form->Skins);
  const double load = SkinLoadMs(form);
  delete form;
  Application->ProcessMessages();
  std::printf("hint_show_ms=%.3f\n", HintShowMs());
  std::printf("blend_mpix_per_s=%.1f\n", BlendMpix());
  std::printf("gradient_mpix_per_s=%.1f\n", GradientMpix());
  std::printf("ninepart_us=%.2f\n", ninepart);
  std::printf("skin_load_ms=%.3f\n", load);
  std::printf("skin_chain_load_ms=%.3f\n", SkinChainLoadMs());
  std::printf("skin_chain_paint_ms=%.3f\n", ChainSkinPaintMs());
  if (!PrintSkinFormFigures(backend, QV_BENCH_SKINS_DIR)) {
    std::fprintf(stderr, "qv_bench_skin: the skin Dusk is missing from %s\n", QV_BENCH_SKINS_DIR);
    return 1;
  }
  return 0;
}
