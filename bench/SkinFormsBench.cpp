// Skinned form figures of the skin benchmark, printed as key=value lines:
// form_paint_ms (median full non-client and client repaint of a skinned
// 1280x800 form with a menu line and 40 controls), menu_popup_ms (median from
// the click on the menu line to the painted skinned popup of 30 items) and
// skin_switch_ms (median switch between the skins Dusk and Harbour on that
// form, repaint included).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "classlib/controls/Application.h"
#include "classlib/menus/Menus.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/menus/Menus.h"
#include "platform/window/Input.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/controls/skBitBtn.h"
#include "skin/controls/skEdit.h"
#include "skin/controls/skListView.h"
#include "skin/controls/skPanel.h"
#include "skin/forms/skDialogs.h"
#include "skin/forms/skinProvider.h"
#include "skin/skinManager.h"

namespace qv {
namespace {

using Clock = std::chrono::steady_clock;

double MedianOf(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
double Since(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

}  // namespace

// The skin "ChainPaint" of SkinFolder on a form with a button, an edit and a
// list: the median full repaint, or -1 when the form did not take the skin.
double SkinChainPaintMs(const std::string& SkinFolder) {
  UseSkinnedForms();
  auto* manager = new TSkinManager(nullptr);
  manager->AfterConstruction();
  manager->SetSkinDirectory(SkinFolder);
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 400, 300);
  form->SetCaption("Chain");
  auto* button = new TSkBitBtn(form);
  button->SetParent(form);
  button->SetBounds(10, 10, 100, 30);
  button->SetCaption("Button");
  auto* edit = new TSkEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 50, 150, 22);
  edit->SetText("Edit");
  auto* list = new TSkListView(form);
  list->SetParent(form);
  list->SetBounds(10, 80, 200, 150);
  list->SetViewStyle(vsReport);
  for (const char* c : {"Name", "Size"}) {
    TListColumn* col = list->Columns()->Add();
    col->SetCaption(c);
    col->SetWidth(80);
  }
  for (int i = 0; i < 20; ++i) {
    TListItem* item = list->Items()->Add();
    item->SetCaption("File " + std::to_string(i));
    item->SubItems()->Add(std::to_string(i * 100));
  }
  auto* provider = new TSkinProvider(form);
  provider->AfterConstruction();
  form->Show();
  Application->ProcessMessages();
  double result = -1;
  try {
    manager->SetSkinName("ChainPaint");
    Application->ProcessMessages();
  } catch (const Exception&) {
  }
  if (provider->Skinned() && edit->SkinData()->SkinIndex >= 0 && list->SkinData()->SkinIndex >= 0) {
    std::vector<double> paint;
    for (int i = 0; i < 15; ++i) {
      provider->SkinData()->BGChanged = true;
      auto t0 = Clock::now();
      RedrawWindow(form->WindowHandle(), nullptr, nullptr,
                   RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      paint.push_back(Since(t0));
    }
    result = MedianOf(paint);
  }
  delete form;
  delete manager;
  Application->ProcessMessages();
  return result;
}

// Run on the benchmark's headless backend; false when the skins are missing.
bool PrintSkinFormFigures(HeadlessBackend& backend, const std::string& SkinDirectory) {
  UseSkinnedForms();
  auto* manager = new TSkinManager(nullptr);
  manager->AfterConstruction();
  manager->SetSkinDirectory(SkinDirectory);
  auto* form = new TForm(nullptr);
  form->SetBounds(0, 0, 1280, 800);
  form->SetCaption("Benchmark");
  auto* menu = new TMainMenu(form);
  TMenuItem* file = nullptr;
  for (const char* caption : {"&File", "&Edit", "&View", "&Window", "&Help"}) {
    auto* top = new TMenuItem(form);
    top->SetCaption(caption);
    menu->Items()->Add(top);
    if (!file) file = top;
  }
  for (int i = 0; i < 30; ++i) {
    auto* item = new TMenuItem(form);
    item->SetCaption(i % 10 == 9 ? "-" : "Command number " + std::to_string(i));
    file->Add(item);
  }
  form->SetMenu(menu);
  auto* panel = new TSkPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 1240, 700);
  for (int i = 0; i < 39; ++i) {
    auto* b = new TSkBitBtn(form);
    b->SetParent(panel);
    b->SetBounds(10 + (i % 8) * 150, 10 + (i / 8) * 40, 140, 30);
    b->SetCaption("Button " + std::to_string(i));
  }
  auto* provider = new TSkinProvider(form);
  provider->AfterConstruction();
  form->Show();
  Application->ProcessMessages();
  try {
    manager->SetSkinName("Dusk");
  } catch (const Exception&) {
  }
  Application->ProcessMessages();
  if (!provider->Skinned()) {
    delete form;
    delete manager;
    return false;
  }
  HWND h = form->WindowHandle();
  std::vector<double> paint;
  for (int i = 0; i < 15; ++i) {
    provider->SkinData()->BGChanged = true;
    auto t0 = Clock::now();
    RedrawWindow(h, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    paint.push_back(Since(t0));
  }
  std::vector<double> popup;
  RECT title;
  GetMenuItemRect(h, GetMenu(h), 0, &title);
  for (int i = 0; i < 11; ++i) {
    Clock::time_point t0;
    backend.WhenIdle([&] {
      popup.push_back(Since(t0));
      backend.KeyPress(VK_ESCAPE);
      backend.KeyPress(VK_ESCAPE);
    });
    backend.AdvanceClock(1000);  // no double click
    t0 = Clock::now();
    backend.Click((title.left + title.right) / 2, (title.top + title.bottom) / 2);
    backend.Pump();
  }
  std::vector<double> switches;
  for (int i = 0; i < 9; ++i) {
    auto t0 = Clock::now();
    manager->SetSkinName(i % 2 ? "Dusk" : "Harbour");
    Application->ProcessMessages();
    switches.push_back(Since(t0));
  }
  delete form;
  delete manager;
  Application->ProcessMessages();
  std::printf("form_paint_ms=%.3f\n", MedianOf(paint));
  std::printf("menu_popup_ms=%.3f\n", popup.empty() ? -1.0 : MedianOf(popup));
  std::printf("skin_switch_ms=%.3f\n", MedianOf(switches));
  return true;
}

}  // namespace qv
