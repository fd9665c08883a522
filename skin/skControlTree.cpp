// Skin commands across a tree of controls, and broadcasts to all forms.
#include "skin/skControlTree.h"

#include <memory>
#include <set>

#include "classlib/controls/Application.h"
#include "classlib/controls/CustomControl.h"
#include "classlib/controls/Forms.h"
#include "classlib/controls/Screen.h"
#include "classlib/controls/WinControl.h"
#include "classlib/graphics/Bitmap.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"

namespace qv {

TSendToProvider SendToProviderHook;

std::vector<TCustomForm*>& ExtraForms() {
  static std::vector<TCustomForm*> forms;
  return forms;
}

namespace {
bool Destroying(TComponent* c) {
  return c->ComponentState().Contains(csDestroying);
}
void Deliver(TControl* c, TMessage& M) {
  if (c->WindowProc)
    c->WindowProc(M);
  else
    c->WndProc(M);
}
}  // namespace

bool HasScrollBar(HWND Wnd, int Kind) {
  LONG_PTR s = GetWindowLongPtr(Wnd, GWL_STYLE);
  switch (Kind) {
    case 0:
      return (s & WS_HSCROLL) != 0;
    case 1:
      return (s & WS_VSCROLL) != 0;
    case 3:
      return (s & WS_HSCROLL) && (s & WS_VSCROLL);
    default:
      return false;
  }
}

void RepaintChildren(TWinControl* Control) {
  for (int i = 0; i < Control->ControlCount(); ++i) {
    TControl* c = Control->Controls(i);
    if (dynamic_cast<TGraphicControl*>(c) || Destroying(c)) continue;
    c->Perform(SM_SKINCMD, MakeSkinWParam(AC_ENDUPDATE), 0);
  }
}

TColor QueryBgColor(TControl* Control) {
  SharedBgColor = clSkinTransparent;
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && w->HandleAllocated())
    SendMessage(w->WindowHandle(), SM_SKINCMD, MakeSkinWParam(AC_GETBG), 0);
  else if (Control)
    Control->Perform(SM_SKINCMD, MakeSkinWParam(AC_GETBG), 0);
  if (SharedBgColor == clSkinTransparent && Control) SharedBgColor = Control->Color();
  SharedBgColor = ColorToRGB(SharedBgColor);
  return SharedBgColor;
}

TColor BgColorOf(TControl* Control) {
  const TColor c = QueryBgColor(Control);
  SharedBgColor = clSkinTransparent;
  return c;
}

void GetWorkArea(RECT& R) {
  SystemParametersInfo(SPI_GETWORKAREA, 0, &R, 0);
}

void ClearCacheFrozen(TControl* Control) {
  if (!Control) return;
  if (auto* w = dynamic_cast<TWinControl*>(Control)) {
    if (w->HandleAllocated())
      SendMessage(w->WindowHandle(), SM_SKINCMD, MakeSkinWParam(AC_SETCACHEFROZEN), 0);
    for (int i = 0; i < w->ControlCount(); ++i) ClearCacheFrozen(w->Controls(i));
  } else {
    Control->Perform(SM_SKINCMD, MakeSkinWParam(AC_SETCACHEFROZEN), 0);
  }
}

bool GraphicChildPaints(TControl* Child, HDC DC) {
  if (!dynamic_cast<TGraphicControl*>(Child) || Destroying(Child)) return false;
  if (!Child->Visible() && !Child->ComponentState().Contains(csDesigning)) return false;
  if (Child->Width() + Child->Height() < 1) return false;
  RECT r = Child->BoundsRect();
  return RectVisible(DC, &r) != 0;
}

void PaintGraphicChildren(HDC DC, TWinControl* Control, POINT Offset) {
  if (!Control || (!Control->Visible() && !Control->ComponentState().Contains(csDesigning))) return;
  if (Control->ControlCount() == 0) return;
  RECT clip;
  GetClipBox(DC, &clip);
  if (clip.right - clip.left <= 0 || clip.bottom - clip.top <= 0) {
    SendSkinCommand(Control, AC_SETHIDDEN);
    return;
  }
  SharedCacheInfo.Ready = false;
  SendSkinCommand(Control, AC_GETCACHE);
  if (!SharedCacheInfo.Ready || !SharedCacheInfo.Bmp) return;
  TCacheInfo cache = SharedCacheInfo;
  HDC mem = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  std::vector<TControl*> painted;
  for (int i = 0; i < Control->ControlCount(); ++i) {
    TControl* c = Control->Controls(i);
    if (!GraphicChildPaints(c, DC)) continue;
    if (!mem) {
      mem = CreateCompatibleDC(nullptr);
      bmp = CreateBitmap(Control->Width(), Control->Height(), 1, 32, nullptr);
      old = SelectObject(mem, bmp);
    }
    RECT r = c->BoundsRect();
    if (c->ControlStyle().Contains(csOpaque)) {
      FillDCRect(mem, r, COLORREF(ColorToRGB(c->Color())));
    } else {
      BitBlt(mem, r.left, r.top, r.right - r.left, r.bottom - r.top, cache.Bmp->Canvas()->Handle(),
             cache.X + r.left, cache.Y + r.top, SRCCOPY);
    }
    int saved = SaveDC(mem);
    if (!RectVisible(DC, &r)) SendSkinCommand(c, AC_SETHIDDEN);
    SetWindowOrgEx(mem, -r.left, -r.top, nullptr);
    IntersectClipRect(mem, 0, 0, r.right - r.left, r.bottom - r.top);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
    RestoreDC(mem, saved);
    painted.push_back(c);
  }
  for (TControl* c : painted) {
    RECT r = c->BoundsRect();
    if (GetPixel(mem, r.left, r.top) == COLORREF(clSkinTransparent)) continue;
    BitBlt(DC, r.left + Offset.x, r.top + Offset.y, r.right - r.left, r.bottom - r.top, mem, r.left, r.top,
           SRCCOPY);
  }
  SharedCacheInfo.Ready = false;
  if (mem) {
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
  }
}

void RefreshWindowPos(TWinControl* Control) {
  SetWindowPos(Control->Handle(), nullptr, 0, 0, 0, 0, 0x53);
}

LRESULT SendSkinCommandToHandle(HWND Wnd, WORD Command) {
  return SendMessage(Wnd, SM_SKINCMD, MakeSkinWParam(Command), 0);
}

LRESULT SendSkinCommand(TControl* Control, WORD Command, WORD Sub, LPARAM LParam) {
  if (!Control) return 0;
  auto* w = dynamic_cast<TWinControl*>(Control);
  if (!w) return Control->Perform(SM_SKINCMD, MakeSkinWParam(Command, Sub), LParam);
  if (!Destroying(w) && w->HandleAllocated())
    return SendMessage(w->WindowHandle(), SM_SKINCMD, MakeSkinWParam(Command, Sub), LParam);
  return 0;
}

bool QuerySkinCommand(TControl* Control, WORD Command) {
  if (!Control) return false;
  TMessage m{SM_SKINCMD, MakeSkinWParam(Command), 0, 0};
  Deliver(Control, m);
  return m.LParam == 1;
}

bool ControlIsReady(TControl* Control) {
  if (!Control) return false;
  if (Control->ControlState().Contains(csCreating) || Control->ControlState().Contains(csReadingState))
    return false;
  const TComponentState& s = Control->ComponentState();
  if (s.Contains(csLoading) || s.Contains(csDestroying)) return false;
  return Control->Parent() != nullptr;
}

TCustomForm* GetOwnerForm(TComponent* Component) {
  for (TComponent* c = Component; c; c = c->Owner())
    if (auto* f = dynamic_cast<TCustomForm*>(c)) return f;
  return nullptr;
}

UINT GetTextFlags(TControl* Control, TAlignment Alignment) {
  static const UINT flags[3] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  (void)Control;  // reading order is always left to right here
  return flags[int(Alignment) < 0 || int(Alignment) > 2 ? 0 : int(Alignment)] | DT_EXPANDTABS | DT_VCENTER;
}

void SkinBroadcast(TWinControl* Control, TMessage& Message) {
  for (int i = 0; i < Control->ControlCount(); ++i) {
    TControl* c = Control->Controls(i);
    if (Destroying(c)) break;
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w) {
      c->Perform(Message.Msg, Message.WParam, Message.LParam);
    } else if (QuerySkinCommand(w, AC_CTRLHANDLED)) {
      Deliver(w, Message);
    } else {
      SkinBroadcast(w, Message);
    }
  }
}

void SendToProvider(TCustomForm* Form, TMessage& Message) {
  if (SendToProviderHook && Form) SendToProviderHook(Form, Message);
}

namespace {
void BroadcastToForm(TCustomForm* f, TMessage& Message) {
  auto alive = f->AliveToken();
  if (f->HandleAllocated())
    SendMessage(f->WindowHandle(), Message.Msg, Message.WParam, Message.LParam);
  else
    f->Perform(Message.Msg, Message.WParam, Message.LParam);
  if (alive.expired()) return;
  SkinBroadcast(f, Message);
  // An MDI frame's client window is no control of the form; whoever skins
  // it (the MDI support subclasses it) hears the announcement there.
  if (alive.expired() || f->FormStyle() != fsMDIForm) return;
  if (HWND client = f->ClientHandle()) SendMessage(client, Message.Msg, Message.WParam, Message.LParam);
}
}  // namespace

void BroadcastToForms(TMessage& Message) {
  std::set<TCustomForm*> done;
  if (Application) {
    for (int i = Application->ComponentCount() - 1; i >= 0; --i) {
      if (i >= Application->ComponentCount()) continue;
      auto* f = dynamic_cast<TCustomForm*>(Application->Components(i));
      if (!f || Destroying(f)) continue;
      done.insert(f);
      BroadcastToForm(f, Message);
    }
  }
  // Forms not owned by the application (made by other forms or by code) are
  // reached through the screen's list, like the extra forms.
  if (Screen) {
    for (int i = Screen->FormCount() - 1; i >= 0; --i) {
      if (i >= Screen->FormCount()) continue;
      TCustomForm* f = Screen->Forms(i);
      if (done.count(f) || Destroying(f)) continue;
      done.insert(f);
      BroadcastToForm(f, Message);
    }
  }
  for (TCustomForm* f : ExtraForms())
    if (!done.count(f) && !Destroying(f)) BroadcastToForm(f, Message);
}

}  // namespace qv
