// Window classes: registration, lookup by name or atom, class data.
#include <cstring>

#include "platform/window/WindowImpl.h"

namespace qv {
namespace wm {
namespace {

bool IsAtomName(LPCWSTR name) {
  return uintptr_t(name) <= 0xFFFF;
}

bool SameName(const std::u16string& a, LPCWSTR b) {
  std::size_t i = 0;
  for (; b[i]; ++i) {
    if (i >= a.size()) return false;
    char16_t x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = char16_t(x - 32);
    if (y >= 'a' && y <= 'z') y = char16_t(y - 32);
    if (x != y) return false;
  }
  return i == a.size();
}

}  // namespace

std::shared_ptr<WindowClass> FindClass(LPCWSTR name) {
  if (!name) return nullptr;
  Lock l(S().lock);
  for (auto& c : S().classes) {
    if (IsAtomName(name) ? c->atom == ATOM(uintptr_t(name)) : SameName(c->name, name)) return c;
  }
  return nullptr;
}

}  // namespace wm

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  using namespace wm;
  if (!wc || !wc->lpszClassName || IsAtomName(wc->lpszClassName) || !wc->lpfnWndProc || wc->cbWndExtra < 0)
    return 0;
  Lock l(S().lock);
  if (FindClass(wc->lpszClassName)) return 0;
  auto c = std::make_shared<WindowClass>();
  c->name = wc->lpszClassName;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc;
  c->cbWndExtra = wc->cbWndExtra;
  c->cbClsExtra = wc->cbClsExtra;
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->iconSm = wc->hIconSm;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  c->atom = S().nextAtom++;
  S().classes.push_back(c);
  return c->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE) {
  using namespace wm;
  Lock l(S().lock);
  auto c = FindClass(className);
  if (!c) return FALSE;
  // A class with live windows stays registered, as the platform refuses it too.
  for (auto& w : AllWindows())
    if (w->cls == c) return FALSE;
  c->registered = false;
  std::erase(S().classes, c);
  return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR className, WNDCLASSEXW* out) {
  auto c = wm::FindClass(className);
  if (!c || !out) return FALSE;
  out->style = c->style;
  out->lpfnWndProc = c->proc;
  out->cbClsExtra = c->cbClsExtra;
  out->cbWndExtra = c->cbWndExtra;
  out->hInstance = c->instance;
  out->hIcon = c->icon;
  out->hIconSm = c->iconSm;
  out->hCursor = c->cursor;
  out->hbrBackground = c->background;
  out->lpszClassName = c->name.c_str();
  return c->atom;
}

int GetClassNameW(HWND hwnd, LPWSTR buffer, int maxCount) {
  auto w = wm::Get(hwnd);
  if (!w || !buffer || maxCount <= 0) return 0;
  int n = std::min<int>(int(w->cls->name.size()), maxCount - 1);
  std::memcpy(buffer, w->cls->name.data(), std::size_t(n) * sizeof(char16_t));
  buffer[n] = 0;
  return n;
}

uintptr_t GetClassLongPtrW(HWND hwnd, int index) {
  auto w = wm::Get(hwnd);
  if (!w) return 0;
  switch (index) {
    case GCLP_HBRBACKGROUND:
      return uintptr_t(w->cls->background);
    case GCLP_HCURSOR:
      return uintptr_t(w->cls->cursor);
    case GCLP_HICON:
      return uintptr_t(w->cls->icon);
    case GCLP_HICONSM:
      return uintptr_t(w->cls->iconSm);
    case GCL_STYLE:
      return w->cls->style;
    case GCLP_WNDPROC:
      return uintptr_t(w->cls->proc);
    case GCL_CBWNDEXTRA:
      return uintptr_t(w->cls->cbWndExtra);
  }
  return 0;
}

uintptr_t SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  auto w = wm::Get(hwnd);
  if (!w) return 0;
  uintptr_t old = GetClassLongPtrW(hwnd, index);
  switch (index) {
    case GCLP_HBRBACKGROUND:
      w->cls->background = reinterpret_cast<HBRUSH>(value);
      break;
    case GCLP_HCURSOR:
      w->cls->cursor = reinterpret_cast<HCURSOR>(value);
      break;
    case GCL_STYLE:
      w->cls->style = UINT(value);
      break;
    case GCLP_WNDPROC:
      w->cls->proc = reinterpret_cast<WNDPROC>(value);
      break;
    default:
      return 0;
  }
  return old;
}

}  // namespace qv
