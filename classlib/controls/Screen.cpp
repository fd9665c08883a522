// TScreen and TMouse: the program-wide view of forms, cursors and the display.
#include "classlib/controls/Screen.h"

#include <algorithm>

#include "classlib/controls/Forms.h"
#include "classlib/graphics/Font.h"
#include "platform/backend/Backend.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/FontFamilies.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv {

TScreen* Screen = new TScreen(nullptr);
TMouse* Mouse = new TMouse();

namespace {

// The predefined cursor ids and the standard shapes that show them. The
// platform has no splitter shapes; the sizing arrows stand in for them.
HCURSOR StandardCursor(TCursor id) {
  LPCWSTR_ID shape = IDC_ARROW;
  switch (id) {
    case crCross:
      shape = IDC_CROSS;
      break;
    case crIBeam:
      shape = IDC_IBEAM;
      break;
    case crSizeNESW:
      shape = IDC_SIZENESW;
      break;
    case crSizeNS:
    case crVSplit:
      shape = IDC_SIZENS;
      break;
    case crSizeNWSE:
      shape = IDC_SIZENWSE;
      break;
    case crSizeWE:
    case crHSplit:
      shape = IDC_SIZEWE;
      break;
    case crUpArrow:
      shape = IDC_UPARROW;
      break;
    case crHourGlass:
    case crSQLWait:
      shape = IDC_WAIT;
      break;
    case crNoDrop:
    case crNo:
      shape = IDC_NO;
      break;
    case crAppStart:
      shape = IDC_APPSTARTING;
      break;
    case crHelp:
      shape = IDC_HELP;
      break;
    case crHandPoint:
      shape = IDC_HAND;
      break;
    case crSizeAll:
      shape = IDC_SIZEALL;
      break;
    default:
      break;
  }
  return LoadCursorW(nullptr, shape);
}

}  // namespace

TScreen::TScreen(TComponent* AOwner)
    : TComponent(AOwner),
      hintFont_(std::make_unique<TFont>()),
      iconFont_(std::make_unique<TFont>()),
      menuFont_(std::make_unique<TFont>()) {
  hintFont_->SetColor(clInfoText);
}

TScreen::~TScreen() = default;

// Asked each time: the density is the backend's, which a test may change.
// Only a height the system gave the font follows; one a program set stays.
TFont* TScreen::FollowDensity(TFont* font) const {
  int& given = systemHeights_[font];
  if (given == 0) given = -11;  // 8 pt at 96 dpi, the metrics' fonts
  const int scaled = -ScaleToScreen(11);
  if (font->Height() == given && scaled != given) font->SetHeight(given = scaled);
  return font;
}

void TScreen::SetCursor(TCursor Value) {
  if (cursor_ == Value) return;
  cursor_ = Value;
  if (Value != crDefault) {
    ::qv::SetCursor(Cursors(Value));
    return;
  }
  // Back to the per-window cursors: ask the window under the mouse again.
  POINT p;
  GetCursorPos(&p);
  HWND h = WindowFromPoint(p);
  if (h)
    SendMessageW(h, WM_SETCURSOR, WPARAM(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  else
    ::qv::SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

HCURSOR TScreen::Cursors(TCursor Index) const {
  auto it = cursors_.find(Index);
  if (it != cursors_.end() && it->second) return it->second;
  return StandardCursor(Index);
}

void TScreen::SetCursors(TCursor Index, HCURSOR Handle) {
  cursors_[Index] = Handle;
}

int TScreen::PixelsPerInch() const {
  Backend* b = CurrentBackend();
  int ppi = b ? b->ScreenDpi() : 96;
  return ppi > 0 ? ppi : 96;
}

int TScreen::Width() const {
  return GetSystemMetrics(SM_CXSCREEN);
}
int TScreen::Height() const {
  return GetSystemMetrics(SM_CYSCREEN);
}

RECT TScreen::WorkAreaRect() const {
  RECT r{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) r = RECT{0, 0, Width(), Height()};
  return r;
}

// The families every installation has through the platform's font mapping.
TStrings* TScreen::Fonts() {
  if (!fonts_) {
    // Read once: the installed fonts do not change while the program runs.
    fonts_ = std::make_unique<TStringList>();
    for (const std::string& name : FontFamilyNames()) fonts_->Add(name);
  }
  return fonts_.get();
}

void TScreen::AddForm(TCustomForm* Form) {
  forms_.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
  std::erase(forms_, Form);
  if (activeForm_ == Form) SetActiveForm(nullptr);
}

void TScreen::AddDataModule(TDataModule* Module) {
  dataModules_.push_back(Module);
}
void TScreen::RemoveDataModule(TDataModule* Module) {
  std::erase(dataModules_, Module);
}

void TScreen::SetActiveForm(TCustomForm* Form) {
  if (Form) {
    // The list runs from the most recently active form.
    std::erase(forms_, Form);
    forms_.insert(forms_.begin(), Form);
  }
  if (activeForm_ == Form) return;
  activeForm_ = Form;
  if (!Form) activeControl_ = nullptr;
  if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* Control) {
  if (activeControl_ == Control) return;
  activeControl_ = Control;
  if (OnActiveControlChange) OnActiveControlChange(this);
}

void TScreen::ControlDestroyed(TControl* Control) {
  if (activeControl_ == Control) activeControl_ = nullptr;
}

POINT TMouse::CursorPos() const {
  POINT p;
  GetCursorPos(&p);
  return p;
}

void TMouse::SetCursorPos(POINT Value) {
  ::qv::SetCursorPos(Value.x, Value.y);
}
HWND TMouse::Capture() const {
  return GetCapture();
}

void TMouse::SetCapture(HWND Value) {
  if (Value)
    ::qv::SetCapture(Value);
  else
    ReleaseCapture();
}

int TMouse::WheelScrollLines() const {
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  return int(lines);
}

}  // namespace qv
