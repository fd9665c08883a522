// The status bar class: parts given by their right edges, a text per part
// (plain, without borders, popped out or owner drawn through WM_DRAWITEM),
// a simple mode showing one text across the bar, and a size grip that
// resizes the top-level window.
#include <algorithm>
#include <vector>

#include "platform/comctl/BarState.h"
#include "platform/window/OwnerDraw.h"

namespace qv {
namespace {

constexpr int kGrip = 14;  // the size grip's square

struct StatusPart {
  int right = -1;  // -1: to the end of the bar
  std::u16string text;
  WPARAM kind = 0;  // SBT_* flags
  LPARAM data = 0;  // an owner-drawn part's value
};

struct Status {
  static constexpr const char16_t* kProp = u"QvStatus";
  HWND hwnd = nullptr;
  std::vector<StatusPart> parts = std::vector<StatusPart>(1);
  StatusPart simpleText;
  bool simple = false;
  int minHeight = 0;
  COLORREF back = 0xFF000000;

  DWORD Style() const { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
  bool HasGrip() const { return (Style() & SBARS_SIZEGRIP) != 0; }
  RECT Client() const {
    RECT r;
    GetClientRect(hwnd, &r);
    return r;
  }
  RECT GripRect() const {
    RECT r = Client();
    return RECT{r.right - kGrip, r.bottom - kGrip, r.right, r.bottom};
  }

  // The rectangle of a part (the simple text when index is SB_SIMPLEID).
  RECT PartRect(size_t index) const {
    RECT c = Client();
    int end = c.right - (HasGrip() ? kGrip : 0);
    RECT r{c.left, c.top + 2, end, c.bottom};
    if (simple || index == SB_SIMPLEID) return r;
    int left = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
      int right = parts[i].right < 0 ? end : std::min(parts[i].right, end);
      if (i == index) return RECT{left, r.top, std::max(left, right), r.bottom};
      left = right + 2;
    }
    return RECT{0, 0, 0, 0};
  }

  void DrawPart(HDC dc, const StatusPart& p, size_t index, RECT r) {
    if (!(p.kind & SBT_NOBORDERS))
      DrawEdge(dc, &r, (p.kind & SBT_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    RECT inner = r;
    InflateRect(&inner, -2, -1);
    if (p.kind & SBT_OWNERDRAW) {
      DRAWITEMSTRUCT di;
      di.CtlID = UINT(GetWindowLongPtrW(hwnd, GWLP_ID));
      di.itemID = UINT(index);
      di.itemAction = ODA_DRAWENTIRE;
      di.hwndItem = hwnd;
      di.hDC = dc;
      di.rcItem = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
      di.itemData = uintptr_t(p.data);
      int saved = SaveDC(dc);
      SendMessageW(GetParent(hwnd), WM_DRAWITEM, di.CtlID, LPARAM(&di));
      RestoreDC(dc, saved);
      return;
    }
    // A tab in the text centres what follows it; a second tab right-aligns it.
    std::u16string text = p.text;
    UINT align = DT_LEFT;
    size_t tabs = 0;
    while (tabs < text.size() && text[tabs] == u'\t') ++tabs;
    if (tabs == 1) align = DT_CENTER;
    if (tabs >= 2) align = DT_RIGHT;
    text.erase(0, tabs);
    ctl::DrawControlText(dc, text, inner, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS,
                         true);
  }

  void DrawGrip(HDC dc) {
    RECT g = GripRect();
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ old = SelectObject(dc, dark);
    // Three diagonal ridges, each a highlight line above two shadow lines.
    for (int k = 0; k < 3; ++k) {
      int off = 4 * k + 2;
      for (int j = 0; j < 3; ++j) {
        SelectObject(dc, j == 0 ? light : dark);
        int d = off + j;
        MoveToEx(dc, g.right - 1, g.bottom - 1 - d, nullptr);
        LineTo(dc, g.right - 2 - d, g.bottom);
      }
    }
    SelectObject(dc, old);
    DeleteObject(light);
    DeleteObject(dark);
  }

  void Paint(HDC dc) {
    RECT c = Client();
    HFONT oldFont = HFONT(SelectObject(dc, ctl::ControlFont(hwnd)));
    bars::FillSolid(dc, c, back == 0xFF000000 ? GetSysColor(COLOR_BTNFACE) : back);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    if (simple) {
      DrawPart(dc, simpleText, SB_SIMPLEID, PartRect(SB_SIMPLEID));
    } else {
      for (size_t i = 0; i < parts.size(); ++i) {
        RECT r = PartRect(i);
        if (r.right > r.left) DrawPart(dc, parts[i], i, r);
      }
    }
    if (HasGrip()) DrawGrip(dc);
    SelectObject(dc, oldFont);
  }

  StatusPart* Part(WPARAM index) {
    if ((index & 0xFF) == SB_SIMPLEID) return &simpleText;
    return (index & 0xFF) < parts.size() ? &parts[index & 0xFF] : nullptr;
  }

  LRESULT SetParts(int count, const int* edges) {
    if (count <= 0 || count > kMaxStatusParts || !edges) return FALSE;
    parts.resize(size_t(count));
    for (int i = 0; i < count; ++i) parts[size_t(i)].right = edges[i];
    InvalidateRect(hwnd, nullptr, FALSE);
    return TRUE;
  }

  LRESULT GetText(WPARAM index, char16_t* buffer) {
    StatusPart* p = Part(index);
    if (!p) return 0;
    if (p->kind & SBT_OWNERDRAW) return p->data;
    if (buffer) {
      std::copy(p->text.begin(), p->text.end(), buffer);
      buffer[p->text.size()] = 0;
    }
    return MAKELRESULT(int(p->text.size()), int(p->kind));
  }

  LRESULT Message(UINT msg, WPARAM w, LPARAM l) {
    LRESULT common = bars::CommonMessage(*this, msg, w, l);
    if (common != -1) return common;
    switch (msg) {
      case SB_SETTEXTW: {
        StatusPart* p = Part(w);
        if (!p) return FALSE;
        p->kind = w & 0xFF00;
        p->data = l;
        p->text = (p->kind & SBT_OWNERDRAW) || !l ? std::u16string()
                                                  : std::u16string(reinterpret_cast<const char16_t*>(l));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
      }
      case SB_GETTEXTW:
        return GetText(w, reinterpret_cast<char16_t*>(l));
      case SB_GETTEXTLENGTHW: {
        StatusPart* p = Part(w);
        return p ? MAKELRESULT(int(p->text.size()), int(p->kind)) : 0;
      }
      case SB_SETPARTS:
        return SetParts(int(w), reinterpret_cast<const int*>(l));
      case SB_GETPARTS: {
        auto* out = reinterpret_cast<int*>(l);
        for (size_t i = 0; out && i < parts.size() && i < w; ++i) out[i] = parts[i].right;
        return LRESULT(parts.size());
      }
      case SB_GETBORDERS: {
        if (auto* out = reinterpret_cast<int*>(l)) {
          out[0] = 0;
          out[1] = 2;
          out[2] = 2;
        }
        return TRUE;
      }
      case SB_SETMINHEIGHT:
        minHeight = int(w);
        return 0;
      case SB_SIMPLE:
        if (simple != (w != 0)) {
          simple = w != 0;
          InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
      case SB_ISSIMPLE:
        return simple;
      case SB_GETRECT: {
        if (!simple && w >= parts.size()) return FALSE;
        if (auto* out = reinterpret_cast<RECT*>(l)) *out = PartRect(simple ? SB_SIMPLEID : w);
        return TRUE;
      }
      case SB_SETBKCOLOR: {
        COLORREF old = back;
        back = COLORREF(l);
        InvalidateRect(hwnd, nullptr, FALSE);
        return LRESULT(old);
      }
      case WM_SIZE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case WM_NCHITTEST: {
        POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        ScreenToClient(hwnd, &p);
        RECT g = GripRect();
        if (HasGrip() && PtInRect(&g, p)) return HTBOTTOMRIGHT;
        break;
      }
      case WM_NCLBUTTONDOWN:
        // The grip sizes the window the bar sits in.
        if (w == WPARAM(HTBOTTOMRIGHT)) {
          HWND top = GetAncestor(hwnd, GA_ROOT);
          if (top && top != hwnd) return SendMessageW(top, WM_NCLBUTTONDOWN, w, l);
        }
        break;
      case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, w, l);
        if (!parts.empty()) Message(SB_SETTEXTW, 0, l);
        return r;
      }
    }
    return DefWindowProcW(hwnd, msg, w, l);
  }
};

}  // namespace

LRESULT StatusBarProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return bars::StateProc<Status>(h, m, w, l);
}

}  // namespace qv
