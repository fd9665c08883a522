// Every window of the program on a real X server under openbox, with the
// desktop's Xft.dpi at 96, 120, 144 and 192, on a laptop's 1366x768 screen
// and on a 4K one: the main window (its size kept at another density),
// the database dialog in both modes, the add-disc wizard on each page, the
// disc properties, the settings and file type dialogs, the folder dialog and
// About. Each shows every control whole inside its client area, its X window
// is as large as that client area, and the window lies inside the work area
// openbox announces. The forms run in this process on the X11 backend, so
// the controls without windows of their own are seen too.
// gtest first: Xlib's macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include "EnvScope.h"
#include "LayoutCheck.h"
#include "app/dialogs/AboutForm.h"
#include "app/dialogs/BaseDlg.h"
#include "app/dialogs/DiscDlg.h"
#include "app/dialogs/DiscWiz.h"
#include "app/dialogs/FTypeDlg.h"
#include "app/dialogs/PathDlg.h"
#include "app/dialogs/SettsForm.h"
#include "app/forms/MainForm.h"
#include "app/forms/Program.h"
#include "app/frames/DiscTree.h"
#include "catalogue/Engine.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Screen.h"
#include "classlib/graphics/Bitmap.h"
#include "datatree/DataStringTree.h"
#include "platform/backend/X11Backend.h"
#include "platform/gdi/SystemMetrics.h"
#include "tests/common/TempDir.h"
#include "tests/common/XvfbSupport.h"
// clang-format off
#include <X11/Xatom.h>
// clang-format on
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace qv::test {
namespace {

constexpr std::chrono::milliseconds kPatience = 30000ms;

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

// An Xvfb screen with openbox managing it, and a connection of our own that
// reads what the server shows and sets the desktop's resources.
class Desk {
 public:
  explicit Desk(const std::string& screen) : server_(screen + "x24") {}
  ~Desk() {
    if (d_) XCloseDisplay(d_);
    if (wm_ > 0) {
      kill(wm_, SIGTERM);
      Reap(wm_, 10000ms);
    }
  }
  bool Start(std::string& why) {
    for (const char* tool : {"Xvfb", "openbox"})
      if (!OnPath(tool)) return why = std::string(tool) + " is not installed", false;
    if (server_.Display().empty()) return why = "Xvfb did not start", false;
    d_ = XOpenDisplay(server_.Display().c_str());
    if (!d_) return why = "the display cannot be opened", false;
    wm_ = StartProgram("openbox", server_.Display().c_str());
    if (!WaitFor([&] { return WorkArea().right > 0; }, kPatience))
      return why = "openbox did not start", false;
    return true;
  }
  const std::string& Name() const { return server_.Display(); }
  // The density a desktop sets: Xft.dpi in the root window's resources, read
  // by a program when it opens the display.
  void SetDpi(int dpi) {
    const std::string text = "Xft.antialias:\t1\nXft.dpi:\t" + std::to_string(dpi) + "\n";
    XChangeProperty(d_, DefaultRootWindow(d_), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
    XSync(d_, False);
  }
  RECT WorkArea() {
    std::vector<long> a = Cardinals(DefaultRootWindow(d_), "_NET_WORKAREA");
    return a.size() < 4 ? RECT{} : RECT{int(a[0]), int(a[1]), int(a[0] + a[2]), int(a[1] + a[3])};
  }
  Window Find(const std::string& title) {
    ServerHeld held(d_);
    return FindNamed(d_, DefaultRootWindow(d_), title.c_str(), 3);
  }
  // The X window (our client area) on the screen, and with the frame
  // openbox draws around it; false while the window manager has not framed it.
  bool Placed(Window w, RECT& client, RECT& outer) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(d_, w, &a) || a.map_state != IsViewable) return false;
    Window child;
    int x = 0, y = 0;
    XTranslateCoordinates(d_, w, DefaultRootWindow(d_), 0, 0, &x, &y, &child);
    client = RECT{x, y, x + a.width, y + a.height};
    std::vector<long> f = Cardinals(w, "_NET_FRAME_EXTENTS");  // left, right, top, bottom
    if (f.size() < 4) return false;
    outer = RECT{int(x - f[0]), int(y - f[2]), int(x + a.width + f[1]), int(y + a.height + f[3])};
    return true;
  }

 private:
  std::vector<long> Cardinals(Window w, const char* property) { return WindowLongs(d_, w, property); }

  Xvfb server_;
  Display* d_ = nullptr;
  pid_t wm_ = -1;
};

// The lengths a session keeps, as written at a density.
struct Kept {
  int ppi;  // 0: a file from before densities were noted (96)
  int width, height;
  std::vector<int> columns;  // the disc list's
};

// The program body on the display, as the program starts it, with the
// settings of a session at another density.
class Program {
 public:
  Program(const std::string& display, const std::string& config, const std::string& data)
      : display_("DISPLAY", display), config_("XDG_CONFIG_HOME", config), data_("XDG_DATA_HOME", data) {
    TMainForm::SchemaFolder = std::string(QV_BINARY_DIR) + "/app/";
    ::qv::StartProgram();
    std::string error;
    backend_ = OpenX11Backend(&error);
    EXPECT_TRUE(backend_) << error;
    CreateForms();
  }
  ~Program() {
    DestroyForms();
    backend_.reset();
    ::qv::StopProgram();
    TMainForm::SchemaFolder.clear();
  }
  bool Running() const { return backend_ != nullptr; }

 private:
  EnvScope display_, config_, data_;
  std::unique_ptr<Backend> backend_;
};

void WriteKept(const std::string& configFolder, const Kept& k) {
  std::filesystem::create_directories(configFolder + "/Quirvane");
  std::ofstream ini(configFolder + "/Quirvane/Quirvane.ini");
  const std::string ppi = k.ppi ? "PPI=" + std::to_string(k.ppi) + "\n" : "";
  ini << "[MAINFORM]\nX=40\nY=30\nW=" << k.width << "\nH=" << k.height << "\nCH=" << k.height / 6 << "\n"
      << ppi << "[DISCFORM]\n"
      << ppi;
  for (size_t i = 0; i < k.columns.size(); ++i) ini << "C0" << i << "=" << k.columns[i] << "\n";
}

// What is wrong with the form as the screen shows it (nothing: whole).
std::vector<std::string> Faults(Desk& desk, TCustomForm* form) {
  std::vector<std::string> faults;
  const std::string title = form->Caption();
  Window w = 0;
  RECT client{}, outer{};
  RECT ours{};
  // Shown once openbox has framed the window and the X window holds the
  // form's client area where the form has it (the menu bar above it is in
  // the X window too; openbox answers our requests in turn).
  const bool shown = WaitFor(
      [&] {
        Application->ProcessMessages();
        const POINT o = form->ClientToScreen(POINT{0, 0});
        ours = RECT{o.x, o.y, o.x + form->ClientWidth(), o.y + form->ClientHeight()};
        w = w ? w : desk.Find(title);
        return w && desk.Placed(w, client, outer) && client.left == ours.left && client.right == ours.right &&
               client.top <= ours.top && client.bottom == ours.bottom;
      },
      kPatience);
  if (!shown)
    return {"\"" + title + "\" did not show whole: client " + Show(ours) + ", X window " +
            (w ? Show(client) : "not found")};
  const RECT area = desk.WorkArea();
  // Whole on the area: the client area, and the title bar with its buttons
  // (openbox's frame may be a pixel thicker than ours at the bottom edge).
  const bool onArea = client.left >= area.left && client.top >= area.top && client.right <= area.right &&
                      client.bottom <= area.bottom && outer.left >= area.left && outer.top >= area.top &&
                      outer.right <= area.right;
  if (!onArea)
    faults.push_back("\"" + title + "\" at " + Show(outer) + " outside the work area " + Show(area));
  for (const std::string& cut : CutControls(form)) faults.push_back("\"" + title + "\": " + cut);
  return faults;
}

// A list view whose first column is narrower than a name in it.
std::vector<std::string> CutNames(const std::string& where, TListView* list) {
  if (list->Items()->Count() == 0) return {where + ": the list of file types is empty"};
  std::vector<std::string> cut;
  TBitmap measure;
  measure.Canvas()->Font()->Assign(list->Font());
  const int room = list->Columns()->Items(0)->Width();
  for (int i = 0; i < list->Items()->Count(); ++i) {
    const std::string name = list->Items()->Item(i)->Caption();
    // The check box, the text's margins and the ellipsis' room.
    if (measure.Canvas()->TextWidth(name) + 2 * GetSystemMetrics(SM_CXMENUCHECK) > room)
      cut.push_back(where + ": \"" + name + "\" in a column " + std::to_string(room) + " wide");
  }
  return cut;
}

// Each dialog's client size at 96 dpi, by caption.
using Sizes = std::map<std::string, SIZE>;

// A dialog opens at its 96 dpi size scaled to the screen's density (a
// pixel either way for rounding), unless the work area cannot hold that.
std::vector<std::string> Unscaled(Desk& desk, TCustomForm* form, int dpi, Sizes& at96) {
  const SIZE now{form->ClientWidth(), form->ClientHeight()};
  const auto [it, first] = at96.emplace(form->Caption(), now);
  if (dpi == 96 || first) return {};
  const SIZE want{MulDiv(it->second.cx, dpi, 96), MulDiv(it->second.cy, dpi, 96)};
  const RECT area = desk.WorkArea();
  if (want.cx + 40 > area.right - area.left || want.cy + 80 > area.bottom - area.top) return {};
  if (std::abs(now.cx - want.cx) <= 1 && std::abs(now.cy - want.cy) <= 1) return {};
  return {"\"" + form->Caption() + "\" opens " + std::to_string(now.cx) + "x" + std::to_string(now.cy) +
          ", not " + std::to_string(want.cx) + "x" + std::to_string(want.cy)};
}

// One start at a density: every window of the program in turn.
std::vector<std::string> EveryWindow(Desk& desk, int dpi, const Kept& kept, Sizes& at96) {
  TempDir config, data;
  WriteKept(config.Path(), kept);
  desk.SetDpi(dpi);
  Program program(desk.Name(), config.Path(), data.Path());
  if (!program.Running()) return {"the program did not start"};
  EXPECT_EQ(qv::Screen->PixelsPerInch(), dpi);
  std::vector<std::string> faults;
  auto add = [&](std::vector<std::string> more) { faults.insert(faults.end(), more.begin(), more.end()); };

  // The main window, without the first start's dialog (it is opened below).
  MainForm->FirstActivation = false;
  MainForm->Show();
  add(Faults(desk, MainForm));
  // The disc list's columns as wide on this screen as they were on the one that kept them.
  const int written = kept.ppi ? kept.ppi : 96;
  TDataTreeColumns* columns = DiscTree->Tree->Header()->Columns();
  for (size_t i = 0; i < kept.columns.size(); ++i) {
    const int want = MulDiv(kept.columns[i], dpi, written), got = columns->Items(int(i))->Width();
    if (std::abs(got - want) > 1)
      faults.push_back("disc list column " + std::to_string(i) + " is " + std::to_string(got) +
                       " wide, not " + std::to_string(want));
  }

  auto open = [&](TCustomForm* form, const std::function<void()>& each = nullptr) {
    form->Show();
    add(Faults(desk, form));
    add(Unscaled(desk, form, dpi, at96));
    if (each) each();
    form->Hide();
    Application->ProcessMessages();
  };
  BaseDlg->SetMode(true);
  open(BaseDlg);
  BaseDlg->SetMode(false);
  open(BaseDlg);
  DiscWiz->Engine = MainForm->Engine.get();
  DiscWiz->FillFileList();
  add(CutNames("wizard", DiscWiz->FileList));
  open(DiscWiz, [&] {
    for (int page = 1; page < DiscWiz->Pages->PageCount(); ++page) {
      DiscWiz->SetPage(page);
      add(Faults(desk, DiscWiz));
    }
  });
  open(DiscDlg);
  open(SettsForm, [&] {
    SettsForm->SetFileKinds(*MainForm->Engine->FileKinds);
    add(CutNames("settings", SettsForm->FileList));
  });
  open(FTypeDlg);
  open(PathDlg);
  open(AboutForm);
  for (std::string& f : faults) f = std::to_string(dpi) + " dpi: " + f;
  return faults;
}

// The lengths a session at 96 dpi keeps, and the same at 192.
const Kept kAt96{0, 888, 622, {128, 70, 91, 70, 64}};
const Kept kAt192{192, 1776, 1244, {256, 140, 182, 140, 128}};

void EveryDensity(const std::string& screen) {
  Desk desk(screen);
  std::string why;
  if (!desk.Start(why)) GTEST_SKIP() << why;
  Sizes at96;
  for (int dpi : {96, 120, 144, 192}) {
    // Kept at another density: 192 at 96, an old file (96) elsewhere.
    const std::vector<std::string> faults = EveryWindow(desk, dpi, dpi == 96 ? kAt192 : kAt96, at96);
    std::ostringstream all;
    for (const std::string& f : faults) all << f << "\n";
    EXPECT_TRUE(faults.empty()) << all.str();
  }
}

TEST(DensityX11, OnALaptopScreenEveryWindowShowsAllItsControls) {
  EveryDensity("1366x768");
}

TEST(DensityX11, OnA4kScreenEveryWindowShowsAllItsControls) {
  EveryDensity("3840x2160");
}

}  // namespace
}  // namespace qv::test
