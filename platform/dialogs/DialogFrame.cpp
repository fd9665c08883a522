// The dialog frame: the dialog window classes, children in the message
// font, and the modal loop with the dialog keyboard (Tab and Shift+Tab
// through the tab stops, Enter and Esc, arrows between buttons, the
// underlined letters of buttons).
#include "platform/dialogs/DialogFrame.h"

#include <cwctype>
#include <map>
#include <mutex>

#include "platform/backend/Backend.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/SystemColors.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"

namespace qv::dlg {
namespace {

constexpr const char16_t* kClass = u"QvDialog";
constexpr const char16_t* kNoCloseClass = u"QvDialogNoClose";

}  // namespace

HWND Item(HWND dialog, int id) {
  if (!id) return nullptr;
  for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (GetWindowLongPtrW(h, GWLP_ID) == id) return h;
  return nullptr;
}

namespace {

Dialog* DialogOf(HWND hwnd) {
  return reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Dialog* d = DialogOf(hwnd);
  switch (msg) {
    case WM_COMMAND:
      if (d) {
        int id = LOWORD(wParam);
        WORD code = HIWORD(wParam);
        if (d->OnCommand && d->OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return 0;
        if (code == BN_CLICKED && id > 0 && !d->ended) End(*d, id);
      }
      return 0;
    case WM_CLOSE:
      if (d && d->cancelId) PressButton(*d, d->cancelId);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = DialogProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
    wc.style = CS_NOCLOSE;
    wc.lpszClassName = kNoCloseClass;
    RegisterClassExW(&wc);
  });
}

std::u16string ClassOf(HWND h) {
  char16_t buf[64] = {};
  int n = GetClassNameW(h, buf, 64);
  std::u16string s(buf, std::size_t(std::max(n, 0)));
  for (auto& c : s) c = c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
  return s;
}

bool IsPushButton(HWND h) {
  if (ClassOf(h) != u"BUTTON") return false;
  DWORD type = DWORD(GetWindowLongPtrW(h, GWL_STYLE)) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// The dialog's children that take the focus by Tab, in creation order.
std::vector<HWND> TabStops(HWND dialog) {
  std::vector<HWND> out;
  for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    DWORD style = DWORD(GetWindowLongPtrW(h, GWL_STYLE));
    if ((style & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h)) out.push_back(h);
  }
  // Children are kept top of the z-order first; the newest is on top.
  std::reverse(out.begin(), out.end());
  return out;
}

// The push button under the focus shows as the default; away from the
// buttons the dialog's own default button does.
void ShowDefault(Dialog& d, HWND focus) {
  HWND def = IsPushButton(focus) ? focus : Item(d.hwnd, d.defaultId);
  for (HWND h = GetWindow(d.hwnd, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (IsPushButton(h)) {
      DWORD want = h == def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      if ((DWORD(GetWindowLongPtrW(h, GWL_STYLE)) & BS_TYPEMASK) != want)
        SendMessageW(h, BM_SETSTYLE, want, TRUE);
    }
}

void Focus(Dialog& d, HWND h) {
  SetFocus(h);
  // An edit's whole text is selected when Tab brings the focus to it.
  if (ClassOf(h) == u"EDIT") SendMessageW(h, EM_SETSEL, 0, -1);
  ShowDefault(d, h);
}

char16_t Mnemonic(HWND h) {
  char16_t buf[128] = {};
  int n = GetWindowTextW(h, buf, 128);
  for (int i = 0; i + 1 < n; ++i)
    if (buf[i] == u'&') {
      if (buf[i + 1] == u'&') {
        ++i;
        continue;
      }
      return char16_t(std::towupper(buf[i + 1]));
    }
  return 0;
}

// The dialog keys; true when the message was used.
bool DialogKey(Dialog& d, const MSG& m) {
  if (!IsChild(d.hwnd, m.hwnd) && m.hwnd != d.hwnd) return false;
  HWND focus = GetFocus();
  if (m.message == WM_SYSCHAR || (m.message == WM_CHAR && IsPushButton(focus))) {
    char16_t key = char16_t(std::towupper(wchar_t(m.wParam)));
    for (HWND h = GetWindow(d.hwnd, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
      if (IsPushButton(h) && IsWindowEnabled(h) && Mnemonic(h) == key) {
        PressButton(d, int(GetWindowLongPtrW(h, GWLP_ID)));
        return true;
      }
    return m.message == WM_SYSCHAR;
  }
  if (m.message != WM_KEYDOWN) return false;
  LRESULT code = focus ? SendMessageW(focus, WM_GETDLGCODE, m.wParam, LPARAM(&m)) : 0;
  if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
  switch (m.wParam) {
    case VK_TAB: {
      if (code & DLGC_WANTTAB) return false;
      auto stops = TabStops(d.hwnd);
      if (stops.empty()) return true;
      auto it = std::find(stops.begin(), stops.end(), focus);
      bool back = GetKeyState(VK_SHIFT) & 0x8000;
      std::size_t i = it == stops.end() ? 0 : std::size_t(it - stops.begin());
      i = back ? (i + stops.size() - 1) % stops.size() : (it == stops.end() ? 0 : (i + 1) % stops.size());
      Focus(d, stops[i]);
      return true;
    }
    case VK_RETURN: {
      int id = IsPushButton(focus) ? int(GetWindowLongPtrW(focus, GWLP_ID)) : d.defaultId;
      if (id) PressButton(d, id);
      return true;
    }
    case VK_ESCAPE:
      if (d.cancelId) PressButton(d, d.cancelId);
      return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
      if ((code & DLGC_WANTARROWS) || !IsPushButton(focus)) return false;
      std::vector<HWND> buttons;
      for (HWND h : TabStops(d.hwnd))
        if (IsPushButton(h)) buttons.push_back(h);
      auto it = std::find(buttons.begin(), buttons.end(), focus);
      if (it == buttons.end()) return false;
      std::size_t i = std::size_t(it - buttons.begin()), n = buttons.size();
      bool back = m.wParam == VK_LEFT || m.wParam == VK_UP;
      Focus(d, buttons[back ? (i + n - 1) % n : (i + 1) % n]);
      return true;
    }
  }
  return false;
}

// Where the dialog goes: centred over its owner, inside the work area.
void Centre(HWND dialog, HWND owner) {
  RECT area, r, around;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  GetWindowRect(dialog, &r);
  around = area;
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  int x = around.left + (around.Width() - r.Width()) / 2, y = around.top + (around.Height() - r.Height()) / 2;
  x = std::max<int>(area.left, std::min<int>(x, area.right - r.Width()));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - r.Height()));
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

HFONT DialogFont() {
  // One font per size the system's message font has had (the screen's
  // density decides it); made on the UI thread, kept for the process.
  static auto* fonts = new std::map<LONG, HFONT>;  // never destroyed, as the fonts are not
  NONCLIENTMETRICSW m;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0);
  HFONT& font = (*fonts)[m.lfMessageFont.lfHeight];
  if (!font) font = CreateFontIndirectW(&m.lfMessageFont);
  return font;
}

SIZE MeasureText(const std::u16string& text, int maxWidth, bool prefix) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, DialogFont());
  RECT r{0, 0, maxWidth > 0 ? maxWidth : 100000, 0};
  UINT flags = DT_CALCRECT | DT_EXPANDTABS | (maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  if (!prefix) flags |= DT_NOPREFIX;
  DrawTextW(dc, text.c_str(), int(text.size()), &r, flags);
  SelectObject(dc, old);
  DeleteDC(dc);
  return SIZE{r.Width(), r.Height()};
}

HWND CreateDialogWindow(Dialog& d, HWND owner, const std::u16string& caption, SIZE client, bool canClose) {
  RegisterClasses();
  RegisterSystemControls();
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, ex = WS_EX_DLGMODALFRAME;
  RECT r{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  d.hwnd = CreateWindowExW(ex, canClose ? kClass : kNoCloseClass, caption.c_str(), style, 0, 0, r.Width(),
                           r.Height(), owner, nullptr, nullptr, nullptr);
  if (d.hwnd) SetWindowLongPtrW(d.hwnd, GWLP_USERDATA, LONG_PTR(&d));
  return d.hwnd;
}

HWND AddControl(Dialog& d, LPCWSTR className, const std::u16string& text, DWORD style, const RECT& r, int id,
                DWORD exStyle) {
  HWND h =
      CreateWindowExW(exStyle, className, text.c_str(), style | WS_CHILD | WS_VISIBLE, r.left, r.top,
                      r.Width(), r.Height(), d.hwnd, reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
  if (h) SendMessageW(h, WM_SETFONT, WPARAM(DialogFont()), FALSE);
  return h;
}

void End(Dialog& d, int result) {
  if (d.ended) return;
  d.ended = true;
  d.result = result;
}

void PressButton(Dialog& d, int id) {
  HWND button = Item(d.hwnd, id);
  if (button && !IsWindowEnabled(button)) return;
  SendMessageW(d.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(button));
}

int RunModal(Dialog& d) {
  if (!d.hwnd) return 0;
  HWND owner = GetWindow(d.hwnd, GW_OWNER);
  HWND root = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  bool disabled = root && IsWindowEnabled(root);
  if (disabled) EnableWindow(root, FALSE);
  Centre(d.hwnd, root);
  ShowWindow(d.hwnd, SW_SHOW);
  HWND first = d.initialFocus;
  if (!first) {
    auto stops = TabStops(d.hwnd);
    HWND def = Item(d.hwnd, d.defaultId);
    first = def ? def : stops.empty() ? d.hwnd : stops.front();
  }
  Focus(d, first);
  if (Backend* b = CurrentBackend()) b->ModalStarted(d.hwnd);
  MSG m;
  while (!d.ended && IsWindow(d.hwnd)) {
    if (GetMessageW(&m, nullptr, 0, 0) <= 0) {
      PostQuitMessage(int(m.wParam));  // the outer loop ends too
      if (!d.ended) d.result = d.cancelId;
      break;
    }
    if (DialogKey(d, m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  // The owner takes the activation back before the dialog goes.
  if (disabled && IsWindow(root)) EnableWindow(root, TRUE);
  if (IsWindow(d.hwnd)) {
    SetWindowLongPtrW(d.hwnd, GWLP_USERDATA, 0);
    if (root && IsWindow(root) && GetActiveWindow() == d.hwnd) SetActiveWindow(root);
    DestroyWindow(d.hwnd);
  }
  d.hwnd = nullptr;
  return d.result;
}

}  // namespace qv::dlg
