// The pieces of behaviour the tree view and the list view share (see ItemControl.h).
#include "platform/comctl/ItemControl.h"

#include <cstdlib>

#include "platform/controls/SystemControls.h"
#include "platform/gdi/SystemMetrics.h"

namespace qv::comctl {

void SelectMeasureFont(ItemControl& s) {
  if (!s.measureDC) s.measureDC = CreateCompatibleDC(nullptr);
  SelectObject(s.measureDC, s.font ? s.font : ctl::ControlFont(s.hwnd));
  TEXTMETRICW tm;
  GetTextMetricsW(s.measureDC, &tm);
  s.textHeight = tm.tmHeight;
}

namespace {

constexpr const char16_t* kOwnerProp = u"QvLabelEditorOwner";

LRESULT EditorProc(HWND edit, UINT msg, WPARAM w, LPARAM l) {
  auto* s = static_cast<ItemControl*>(GetPropW(edit, kOwnerProp));
  if (!s) return DefWindowProcW(edit, msg, w, l);
  auto old = reinterpret_cast<WNDPROC>(s->editProc);
  switch (msg) {
    case WM_GETDLGCODE:
      return CallWindowProcW(old, edit, msg, w, l) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (w == VK_RETURN || w == VK_ESCAPE) {
        s->endEdit(*s, w == VK_RETURN);
        return 0;
      }
      break;
    case WM_CHAR:
      if (w == u'\r' || w == 27) return 0;
      break;
    case WM_KILLFOCUS: {
      HWND owner = s->hwnd;
      UINT endMessage = s->endEditMessage;
      LRESULT r = CallWindowProcW(old, edit, msg, w, l);
      PostMessageW(owner, endMessage, 0, 0);
      return r;
    }
  }
  return CallWindowProcW(old, edit, msg, w, l);
}

}  // namespace

HWND CreateLabelEditor(ItemControl& s, const std::u16string& text, int x, int y, int width, int height) {
  RegisterSystemControls();
  HWND edit = CreateWindowExW(0, u"EDIT", text.c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, x, y, width,
                              height, s.hwnd, reinterpret_cast<HMENU>(intptr_t(1)), nullptr, nullptr);
  if (!edit) return nullptr;
  SendMessageW(edit, WM_SETFONT, WPARAM(GetCurrentObject(s.measureDC, OBJ_FONT)), 0);
  SetPropW(edit, kOwnerProp, &s);
  s.editProc = SetWindowLongPtrW(edit, GWLP_WNDPROC, LONG_PTR(EditorProc));
  s.edit = edit;
  return edit;
}

void ShowLabelEditor(HWND edit) {
  ShowWindow(edit, SW_SHOW);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

std::u16string CloseLabelEditor(ItemControl& s) {
  s.ending = true;
  HWND edit = s.edit;
  std::u16string text(size_t(GetWindowTextLengthW(edit)) + 1, u'\0');
  text.resize(size_t(GetWindowTextW(edit, text.data(), int(text.size()))));
  s.edit = nullptr;
  SetWindowLongPtrW(edit, GWLP_WNDPROC, s.editProc);
  RemovePropW(edit, kOwnerProp);
  if (GetFocus() == edit) SetFocus(s.hwnd);
  DestroyWindow(edit);
  return text;
}

void TypeAhead(ItemControl& s, char16_t c) {
  DWORD now = GetTickCount();
  if (now - s.searchTime > 1000) s.search.clear();
  s.searchTime = now;
  s.search += c;
}

bool BeyondDragDistance(POINT down, POINT p) {
  return std::abs(p.x - down.x) > GetSystemMetrics(SM_CXDRAG) ||
         std::abs(p.y - down.y) > GetSystemMetrics(SM_CYDRAG);
}

void ReleaseOwnCapture(HWND hwnd) {
  if (GetCapture() == hwnd) ReleaseCapture();
}

void TrackMouseLeave(ItemControl& s) {
  if (s.tracking) return;
  TRACKMOUSEEVENT tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = s.hwnd;
  s.tracking = TrackMouseEvent(&tme);
}

void RightClick(HWND hwnd, POINT p) {
  if (SimpleNotify(hwnd, NM_RCLICK) != 0 || !IsWindow(hwnd)) return;
  POINT screen = p;
  ClientToScreen(hwnd, &screen);
  SendMessageW(hwnd, WM_CONTEXTMENU, WPARAM(hwnd), MAKELPARAM(screen.x, screen.y));
}

LRESULT CustomDrawPrePaint(ItemControl& s, HDC dc, const RECT& client, NMCUSTOMDRAW& nmcd) {
  SelectObject(dc, GetCurrentObject(s.measureDC, OBJ_FONT));
  nmcd.dwDrawStage = CDDS_PREPAINT;
  nmcd.hdc = dc;
  nmcd.rc = client;
  return Notify(s.hwnd, nmcd.hdr, NM_CUSTOMDRAW);
}

void CustomDrawPostPaint(ItemControl& s, LRESULT answer, NMCUSTOMDRAW& nmcd) {
  if (!(answer & CDRF_NOTIFYPOSTPAINT)) return;
  nmcd.dwDrawStage = CDDS_POSTPAINT;
  Notify(s.hwnd, nmcd.hdr, NM_CUSTOMDRAW);
}

std::optional<int> ScrollTarget(int code, int thumb, int pos, int line, int page, int end) {
  switch (code) {
    case SB_LINEUP:
      return pos - line;
    case SB_LINEDOWN:
      return pos + line;
    case SB_PAGEUP:
      return pos - page;
    case SB_PAGEDOWN:
      return pos + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      return thumb;
    case SB_TOP:
      return 0;
    case SB_BOTTOM:
      return end;
  }
  return std::nullopt;
}

}  // namespace qv::comctl
