// Utility windows: the method lives on the heap, its address in the window's
// user data, and goes away with the window.
#include "classlib/controls/UtilWindow.h"

#include "platform/window/Window.h"

namespace qv {

namespace {

constexpr const char16_t* kUtilClass = u"QvUtilWindow";

LRESULT UtilWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCDESTROY && method) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete method;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  if (!method || !*method) return DefWindowProcW(hwnd, msg, wParam, lParam);
  TMessage m{msg, wParam, lParam, 0};
  TWndMethod keep = *method;  // the method may deallocate the window
  keep(m);
  return m.Result;
}

void RegisterUtilClass() {
  WNDCLASSEXW existing;
  if (GetClassInfoExW(nullptr, kUtilClass, &existing)) return;
  WNDCLASSEXW wc;
  wc.lpfnWndProc = UtilWindowProc;
  wc.lpszClassName = kUtilClass;
  RegisterClassExW(&wc);
}

}  // namespace

HWND AllocateHWnd(TWndMethod Method) {
  RegisterUtilClass();
  HWND h = CreateWindowExW(WS_EX_TOOLWINDOW, kUtilClass, u"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                           nullptr);
  if (h) SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TWndMethod(std::move(Method))));
  return h;
}

void DeallocateHWnd(HWND Wnd) {
  if (Wnd && IsWindow(Wnd)) DestroyWindow(Wnd);
}

}  // namespace qv
