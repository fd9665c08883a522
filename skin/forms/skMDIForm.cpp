// The MDI frame's skinned client: the subclassed client window, its skinned
// scroll bars and grip, and the child-icon item of a maximised child.
#include "skin/forms/skMDIForm.h"

#include <algorithm>
#include <map>

#include "classlib/controls/Application.h"
#include "classlib/menus/Menus.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skScrollBar.h"
#include "skin/forms/skinMenus.h"
#include "skin/forms/skinProvider.h"
#include "skin/skControlTree.h"
#include "skin/skinManager.h"

namespace qv {

bool MDISkinPaint = true;
bool MDISkinScrolls = true;

namespace {
std::map<HWND, TSkMDIForm*>& Clients() {
  static std::map<HWND, TSkMDIForm*> map;
  return map;
}
// Clients whose skinning went while another subclass sat on top of it: the
// chain still passes through here, and goes on to the client's own procedure.
std::map<HWND, WNDPROC>& Orphans() {
  static std::map<HWND, WNDPROC> map;
  return map;
}
}  // namespace

TSkMDIScrollAxis RebaseScrollInfo(const SCROLLINFO& Raw, bool Horizontal) {
  TSkMDIScrollAxis a;
  a.Info = Raw;
  if (int(Raw.nPage) == 0) a.Info.nPage = 80;
  if (Raw.nMax - Raw.nMin < int(Raw.nPage)) return a;
  a.Offset = Raw.nMin;
  a.Info.nMax = Raw.nMax - int(Raw.nPage) - a.Offset + 1;
  a.Info.nPos = Raw.nPos - a.Offset;
  a.Info.nMin = 0;
  a.Needed = true;
  if (Horizontal && a.Info.nMax == a.Offset) {
    a.Info.nMax += 1;
    a.Needed = false;
  }
  if (int(a.Info.nPage) == 0) a.Info.nPage = 80;
  return a;
}

TSkMDIForm::TSkMDIForm(TSkinProvider* AProvider) : provider_(AProvider), form_(AProvider->Form()) {
  if (!form_) return;
  form_->HandleNeeded();
  if (!childIconItem_) MakeChildIconItem();
  ConnectToClient();
}

TSkMDIForm::~TSkMDIForm() {
  if (!FormGoing) delete childIconItem_;  // leaves the main menu when it is in it
  childIconItem_ = nullptr;
  if (!FormGoing) {
    delete scrollV_;
    delete scrollH_;
    delete grip_;
  }
  // The client gets its procedure back only from the object that replaced
  // it, and only while it still carries that replacement.
  auto it = client_ ? Clients().find(client_) : Clients().end();
  if (it != Clients().end() && it->second == this) {
    Clients().erase(it);
    if (IsWindow(client_) && oldClientProc_) {
      if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(client_, GWLP_WNDPROC)) == &ClientProc)
        SetWindowLongPtrW(client_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldClientProc_));
      else
        Orphans()[client_] = oldClientProc_;
    }
  }
}

void TSkMDIForm::MakeChildIconItem() {
  // Owned by the provider, so the provider hears when a menu frees it.
  childIconItem_ = new TMenuItem(provider_);
  childIconItem_->SetName("skMDICII");
  childIconItem_->SetGroupIndex(0);
  auto add = [&](const std::string& Name, const std::string& Caption, WPARAM Cmd) {
    auto* item = new TMenuItem(provider_);
    if (!Name.empty()) item->SetName(Name);
    item->SetCaption(Caption);
    if (Cmd) item->OnClick = [this, Cmd](TObject*) { SendToActiveChild(Cmd); };
    childIconItem_->Add(item);
    return item;
  };
  add("ItemMDIRestore", "Restore", SC_RESTORE);
  add("ItemMDIMinimize", "Minimize", SC_MINIMIZE);
  add("", "-", 0);
  add("ItemMDIClose", "Close", SC_CLOSE)->SetShortCut(TShortCut(16499));  // Ctrl+F4
  if (TSkinManager* m = provider_->SkinData()->SkinManager())
    if (auto* menus = dynamic_cast<TSkinableMenus*>(m->MenuPainter())) menus->InitItem(childIconItem_, true);
}

// Made outside the menu, the item first took a popup item's handlers; in the
// bar it is a title, measured 8 pixels wide and not painted.
void TSkMDIForm::HookIconItemAsTitle() {
  TSkinManager* m = provider_->SkinData()->SkinManager();
  auto* menus = m ? dynamic_cast<TSkinableMenus*>(m->MenuPainter()) : nullptr;
  if (!menus) return;
  if (menus->HasOwnDraw(childIconItem_)) childIconItem_->OnAdvancedDrawItem = nullptr;
  if (menus->HasOwnMeasure(childIconItem_)) childIconItem_->OnMeasureItem = nullptr;
  menus->InitItem(childIconItem_, true);
}

void TSkMDIForm::SendToActiveChild(WPARAM Command) {
  TCustomForm* child = form_ ? form_->ActiveMDIChild() : nullptr;
  if (child && child->HandleAllocated()) SendMessage(child->WindowHandle(), WM_SYSCOMMAND, Command, 0);
}

void TSkMDIForm::ConnectToClient() {
  if (!form_ || connected_) return;
  HWND client = form_->ClientHandle();
  if (!client) return;
  SendSkinCommandToHandle(client, AC_CTRLHANDLED);
  if (connected_) return;
  WNDPROC current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(client, GWLP_WNDPROC));
  if (!current) return;
  if (current == &ClientProc && Clients().count(client)) return;  // another object serves it
  client_ = client;
  oldClientProc_ = current;
  Clients()[client] = this;
  SetWindowLongPtrW(client, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClientProc));
}

LRESULT TSkMDIForm::ClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = Clients().find(hwnd);
  if (it == Clients().end()) {
    auto o = Orphans().find(hwnd);
    if (o == Orphans().end()) return DefWindowProcW(hwnd, msg, wParam, lParam);
    WNDPROC next = o->second;
    if (msg == WM_NCDESTROY) Orphans().erase(o);
    return CallWindowProcW(next, hwnd, msg, wParam, lParam);
  }
  TSkMDIForm* self = it->second;
  if (msg == WM_NCDESTROY) {
    WNDPROC old = self->oldClientProc_;
    Clients().erase(it);
    self->client_ = nullptr, self->oldClientProc_ = nullptr, self->connected_ = false;
    return old ? CallWindowProcW(old, hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return self->HandleClient(hwnd, msg, wParam, lParam);
}

// The provider's skin going: the client paints itself again.
bool TSkMDIForm::SkinRemoved(TMessage& M) {
  connected_ = false;
  if (client_)
    RedrawWindow(client_, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME);
  M.Result = 0;
  return true;
}

// Asked by the provider when it connects: the client is served already.
bool TSkMDIForm::CtrlHandled(TMessage& M) {
  connected_ = true;
  M.Result = 1;
  return true;
}

LRESULT TSkMDIForm::CallOld(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return oldClientProc_ ? CallWindowProcW(oldClientProc_, hwnd, msg, wParam, lParam)
                        : DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool TSkMDIForm::PaintsSkinned() const {
  if (!provider_->Skinned() || !MDISkinPaint || !MDISkinScrolls) return false;
  TCustomForm* child = form_->ActiveMDIChild();
  return !child || child->WindowState() != wsMaximized;
}

LRESULT TSkMDIForm::HandleClient(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage command{msg, wParam, lParam, 0};
  if (DispatchSkinCommand(command, provider_->SkinData(), *this)) return command.Result;
  switch (msg) {
    case WM_SIZE:
    case WM_HSCROLL:
    case WM_VSCROLL: {
      LRESULT r = CallOld(hwnd, msg, wParam, lParam);
      if (provider_->Skinned()) InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_ERASEBKGND:
      if (PaintsSkinned()) return 1;
      break;
    case WM_PAINT:
      if (PaintsSkinned()) {
        PaintClient(hwnd);
        return 0;
      }
      break;
    case WM_NCPAINT:
      if (provider_->Skinned() && MDISkinPaint && MDISkinScrolls) {
        if (PaintsSkinned()) PaintClientFrame(hwnd);
        return 0;
      }
      break;
    default:
      break;
  }
  return CallOld(hwnd, msg, wParam, lParam);
}

POINT TSkMDIForm::ClientOffset() const {
  // The client window's place inside the frame's window.
  RECT cw, fw;
  GetWindowRect(client_, &cw);
  GetWindowRect(form_->WindowHandle(), &fw);
  return POINT{cw.left - fw.left, cw.top - fw.top};
}

void TSkMDIForm::PaintClient(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  TBitmap* cache = provider_->SkinData()->CacheBmp.get();
  if (dc && cache) {
    const POINT o = ClientOffset();
    RECT cr;
    GetClientRect(hwnd, &cr);
    // Children paint themselves: they are clipped out of this DC.
    BitBlt(dc, 0, 0, cr.right, cr.bottom, cache->Canvas()->Handle(), o.x + 2, o.y + 2, SRCCOPY);
  }
  EndPaint(hwnd, &ps);
}

void TSkMDIForm::PaintClientFrame(HWND hwnd) {
  TBitmap* cache = provider_->SkinData()->CacheBmp.get();
  if (!cache) return;
  HDC dc = GetWindowDC(hwnd);
  if (!dc) return;
  RECT wr;
  GetWindowRect(hwnd, &wr);
  const int w = wr.Width(), h = wr.Height();
  const POINT o = ClientOffset();
  HDC src = cache->Canvas()->Handle();
  BitBlt(dc, 0, 0, w, 2, src, o.x, o.y, SRCCOPY);
  BitBlt(dc, 0, 0, 2, h, src, o.x, o.y, SRCCOPY);
  BitBlt(dc, 0, h - 2, w, 2, src, o.x, o.y + h - 2, SRCCOPY);
  BitBlt(dc, w - 2, 0, 2, h, src, o.x + w - 2, o.y, SRCCOPY);
  ReleaseDC(hwnd, dc);
}

void TSkMDIForm::UpdateMDIIconItem() {
  if (!form_) return;
  auto* menu = form_->Menu();
  TCustomForm* child = form_->ActiveMDIChild();
  if (menu && childIconItem_) {
    TMenuItem* root = menu->Items();
    const bool first = root->Count() > 0 && root->Items(0) == childIconItem_;
    if (child && child->WindowState() == wsMaximized) {
      if (!first) {
        provider_->SkinData()->BeginUpdate();
        if (Application) Application->ProcessMessages();
        if (childIconItem_) {
          root->Insert(0, childIconItem_);
          HookIconItemAsTitle();
        }
        provider_->SkinData()->EndUpdate();
        provider_->SkinData()->BGChanged = false;
        provider_->RepaintMenuLine();
      }
    } else if (first) {
      root->Remove(childIconItem_);
      provider_->RepaintMenuLine();
    }
  }
  if (!busy_) UpdateScrollBars();
}

TSkScrollBar* TSkMDIForm::MakeBar(bool Vertical) {
  auto* bar = new TSkScrollBar(form_);
  bar->SkinData->SetSkinManager(provider_->SkinData()->OwnSkinManager());
  bar->SetVisible(false);
  bar->MouseBusy = true;
  bar->LinkedControl = form_;
  bar->OnScrollChanged = [this](TSkScrollBar* b, int) { OnBarChanged(b); };
  bar->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { OnBarMouseUp(); };
  bar->SmallChange = 8;
  bar->SetTabStop(false);
  bar->SetKind(Vertical ? sbVertical : sbHorizontal);
  bar->SetParent(form_);
  bar->MouseBusy = false;
  return bar;
}

void TSkMDIForm::UpdateScrollBars() {
  if (!form_ || !MDISkinScrolls || busy_ || form_->ComponentState().Contains(csDestroying)) return;
  HWND client = form_->ClientHandle();
  TCustomForm* child = form_->ActiveMDIChild();
  const bool wanted = client && provider_->Skinned() && child && child->WindowState() != wsMaximized;
  TSkMDIScrollAxis axes[2];
  if (wanted) {
    for (int i = 0; i < 2; ++i) {
      SCROLLINFO si;
      si.fMask = SIF_ALL;
      GetScrollInfo(client, i == 0 ? SB_VERT : SB_HORZ, &si);
      axes[i] = RebaseScrollInfo(si, i == 1);
    }
  }
  offsetV_ = axes[0].Offset, offsetH_ = axes[1].Offset;
  RECT cr{0, 0, 0, 0};
  if (client) {
    GetWindowRect(client, &cr);
    POINT tl{cr.left, cr.top};
    ScreenToClient(form_->WindowHandle(), &tl);
    cr = RECT{tl.x, tl.y, tl.x + cr.Width(), tl.y + cr.Height()};
  }
  TSkScrollBar** bars[2] = {&scrollV_, &scrollH_};
  const int vw = GetSystemMetrics(SM_CXVSCROLL), hh = GetSystemMetrics(SM_CYHSCROLL);
  for (int i = 0; i < 2; ++i) {
    TSkScrollBar*& bar = *bars[i];
    if (!axes[i].Needed) {
      if (bar) bar->SetVisible(false);
      continue;
    }
    if (!bar) bar = MakeBar(i == 0);
    busy_ = true;
    bar->MouseBusy = true;
    const SCROLLINFO& si = axes[i].Info;
    bar->SetMin(0);
    bar->SetMax(si.nMax);
    bar->SetPageSize(int(si.nPage));
    bar->LargeChange = std::max(1, int(si.nPage));
    bar->SetPosition(si.nPos);
    bar->MouseBusy = false;
    busy_ = false;
    bar->SkinData->EndUpdate();
    bar->SkinData->BGChanged = true;
  }
  const bool vVisible = axes[0].Needed, hVisible = axes[1].Needed;
  if (vVisible) scrollV_->SetBounds(cr.right - vw, cr.top, vw, cr.Height() - (hVisible ? hh : 0));
  if (hVisible) scrollH_->SetBounds(cr.left, cr.bottom - hh, cr.Width() - (vVisible ? vw : 0), hh);
  for (TSkScrollBar* bar : {scrollV_, scrollH_})
    if (bar && ((bar == scrollV_ && vVisible) || (bar == scrollH_ && hVisible))) {
      bar->SetVisible(true);
      bar->BringToFront();
    }
  if (vVisible && hVisible) {
    if (!grip_) {
      grip_ = new TSkGrip(form_);
      grip_->SkinData()->SetSkinManager(provider_->SkinData()->OwnSkinManager());
      grip_->SetVisible(false);
      grip_->LinkedControl = form_;
      grip_->SetParent(form_);
    }
    grip_->SetBounds(cr.right - vw, cr.bottom - hh, vw, hh);
    grip_->SetVisible(true);
    grip_->BringToFront();
  } else if (grip_) {
    grip_->SetVisible(false);
  }
}

void TSkMDIForm::OnBarChanged(TSkScrollBar* Bar) {
  if (busy_ || !form_ || !form_->ClientHandle()) return;
  busy_ = true;
  Bar->MouseBusy = true;
  const bool horizontal = Bar == scrollH_;
  const int pos = (horizontal ? offsetH_ : offsetV_) + Bar->Position();
  SendMessage(form_->ClientHandle(), horizontal ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos),
              0);
  Bar->MouseBusy = false;
  busy_ = false;
}

void TSkMDIForm::OnBarMouseUp() {
  if (!form_ || !form_->ClientHandle()) return;
  SendMessage(form_->ClientHandle(), WM_SIZE, 0, 0);
  if (Application) Application->ProcessMessages();
  UpdateScrollBars();
}

}  // namespace qv
