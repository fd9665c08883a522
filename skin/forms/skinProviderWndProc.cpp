// The provider's window procedure: which messages the form still sees, the
// apply and remove paths of a skin, the skinned answers to skin commands,
// non-client mouse actions and system commands, the client paint, snapping
// to the work area and the outline frame drag.
#include <algorithm>
#include <cstdlib>

#include "classlib/controls/Application.h"
#include "classlib/menus/Menus.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Shapes.h"
#include "platform/menus/Menus.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/OwnerDraw.h"
#include "platform/window/Paint.h"
#include "platform/window/SizeMove.h"
#include "skin/controls/skPanel.h"
#include "skin/controls/skScrollBar.h"
#include "skin/forms/skMDIForm.h"
#include "skin/forms/skSystemMenu.h"
#include "skin/forms/skinMenus.h"
#include "skin/forms/skinProvider.h"
#include "skin/forms/skinProviderDrag.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skinManager.h"

namespace qv {

namespace {

TFrameDragState& drag = FrameDrag();

bool IsSizingCode(LRESULT Code) {
  return Code >= HTLEFT && Code <= HTBOTTOMRIGHT;
}

TSkinableMenus* MenusOf(TSkinManager* M) {
  return M ? dynamic_cast<TSkinableMenus*>(M->MenuPainter()) : nullptr;
}
}  // namespace

void TSkinProvider::OldWndProc(TMessage& Message) {
  if (oldWndProc_)
    oldWndProc_(Message);
  else if (form_)
    form_->WndProc(Message);
}

void TSkinProvider::SkinProviderWndProc(TMessage& M) {
  if (!form_ || ComponentState().Contains(csDesigning)) return OldWndProc(M);
  if (DispatchSkinCommand(M, skinData_.get(), *this)) return;
  if (!FormDestroying() && Skinned()) return SkinnedDispatch(M);
  OldWndProc(M);
  if (M.Msg == WM_NCDESTROY && form_->FormStyle() == fsMDIChild) {
    TSkinProvider* p = MDIFormProvider();
    if (p && p != this && p->mdiForm_ && !p->ComponentState().Contains(csDestroying) &&
        !p->FormDestroying() && p->Skinned()) {
      p->RefreshMDI();
      if (!p->form_->ActiveMDIChild() && p->form_->ClientHandle())
        SendMessage(p->form_->ClientHandle(), WM_SIZE, 0, 0);
    }
  }
}

// ---- apply and remove ----

void TSkinProvider::ApplyPath(bool SkinnedVariant) {
  TSkinManager* m = skinData_->SkinManager();
  HWND h = form_->HandleAllocated() ? form_->WindowHandle() : nullptr;
  if (Framed() && h) SetWindowRgn(h, nullptr, FALSE);
  if (TSkinableMenus* menus = MenusOf(m)) menus->FreeMenuBackground();
  skinData_->SkinIndex = m ? m->GetSkinIndex(skinData_->SkinSection()) : -1;
  skinData_->BorderIndex =
      m && skinData_->SkinIndex >= 0
          ? m->GetMaskIndex(skinData_->SkinIndex, skinData_->SkinSection(), "BORDERSMASK")
          : -1;
  if (m) {
    UpdateIconsIndexes();
    if (!form_->BorderIcons().Empty()) form_->SetBorderIcons(TBorderIcons{});
    if (SkinnedVariant) {
      if (TSkinableMenus* menus = MenusOf(m)) {
        menus->FreeMenuBackground();
        menus->UpdateMenus();
      }
    } else {
      InitMenuItems(true);
    }
  }
  TMessage copy{SM_SKINCMD, MakeSkinWParam(AC_SKINLOADED), reinterpret_cast<LPARAM>(m), 0};
  for (TSkScrollBar* bar : {scrollV_, scrollH_})
    if (bar) bar->Perform(copy.Msg, copy.WParam, copy.LParam);
  skinData_->BGChanged = true;
  rgnChanged_ = true;
  fullRepaint_ = true;
  menuRows_ = -1;
  SetOwnFrame(true);
  if (SkinnedVariant && h) SendMessage(h, WM_NCPAINT, 0, 0);
  if (form_->FormStyle() == fsMDIForm) {
    if (!mdiForm_) mdiForm_ = std::make_unique<TSkMDIForm>(this);
    RegisterMDIFormProvider(this);
    mdiForm_->ConnectToClient();
  }
  if (!SkinnedVariant && useGlobalColor_ && !skinData_->CustomColor() && m)
    form_->SetColor(m->GetGlobalColor());
}

void TSkinProvider::RemovePath(TMessage& M) {
  HWND h = form_->HandleAllocated() ? form_->WindowHandle() : nullptr;
  if (Framed() && h) SetWindowRgn(h, nullptr, FALSE);
  HandleSkinCommand(M, skinData_.get());
  menuRows_ = -1;
  SkinBroadcast(form_, M);
  if (useGlobalColor_ && !skinData_->CustomColor()) form_->SetColor(clBtnFace);
  EndFrameDrag(false);
  SetHotHT(0, false);
  if (TSkinManager* m = reinterpret_cast<TSkinManager*>(M.LParam)) {
    if (TSkinableMenus* menus = MenusOf(m)) menus->FreeMenuBackground();
    InitMenuItems(false);
    if (form_->BorderIcons() != savedBorderIcons_) form_->SetBorderIcons(savedBorderIcons_);
    mdiForm_.reset();
  }
  // Provider scroll bars go and the children come back to their places.
  UpdateScrolls();
  SetOwnFrame(false);
  transparentRects_.clear();
  if (h) {
    SetWindowRgn(h, nullptr, TRUE);
    RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    // The client's own frame and scroll bars were under the skinned ones.
    if (HWND client = form_->FormStyle() == fsMDIForm ? form_->ClientHandle() : nullptr) {
      RedrawWindow(client, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      for (int i = 0; i < form_->MDIChildCount(); ++i)
        if (TCustomForm* c = form_->MDIChildren(i); c && c->HandleAllocated())
          RedrawWindow(c->WindowHandle(), nullptr, nullptr,
                       RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
  }
}

// ---- menus ----

void TSkinProvider::InitMenuItems(bool Value) {
  TSkinManager* m = skinData_->SkinManager();
  TSkinableMenus* menus = MenusOf(m);
  if (!menus || ComponentState().Contains(csDesigning)) return;
  menus->InitMenus(Value && m->SkinData()->Active);
  std::function<void(TComponent*)> walk = [&](TComponent* c) {
    for (int i = 0; i < c->ComponentCount(); ++i) {
      TComponent* x = c->Components(i);
      if (auto* mm = dynamic_cast<TMainMenu*>(x)) {
        menus->InitMainMenu(mm, Value);
        for (int j = 0; j < mm->Items()->Count(); ++j) menus->InitItem(mm->Items()->Items(j), Value);
      } else if (auto* pm = dynamic_cast<TPopupMenu*>(x)) {
        if (m->SkinnedPopups() || !Value) menus->InitPopupMenu(pm, Value);
      } else if (auto* item = dynamic_cast<TMenuItem*>(x)) {
        TMenu* owner = item->GetParentMenu();
        if (!dynamic_cast<TMainMenu*>(owner) && (m->SkinnedPopups() || !Value)) menus->InitItem(item, Value);
      }
      walk(x);
    }
  };
  walk(form_);
}

void TSkinProvider::MenuFixUp() {
  auto* menu = form_->Menu();
  if (!menu || menu->Items()->Count() == 0) return;
  skinData_->BeginUpdate();
  TMenuItem* first = menu->Items()->Items(0);
  const std::string caption = first->Caption();
  first->SetCaption("");
  menu->SetOwnerDraw(skinData_->Skinned());
  first->SetCaption(caption);
  skinData_->EndUpdate();
}

void TSkinProvider::RepaintMenuLine() {
  fullRepaint_ = true;
  skinData_->BGChanged = true;
  menuRows_ = -1;
  if (form_ && form_->HandleAllocated()) SendMessage(form_->WindowHandle(), WM_NCPAINT, 0, 0);
}

void TSkinProvider::RefreshMDI() {
  if (mdiForm_) mdiForm_->UpdateScrollBars();
}

// ---- skinned dispatch ----

// Every skin command stops at the provider: a skinned form answers it here,
// an unskinned one passes it to the form (SkinnedNow tells which).
bool TSkinProvider::SkinnedNow() const {
  return !FormDestroying() && Skinned();
}

bool TSkinProvider::Unskinned(TMessage& M) {
  OldWndProc(M);
  return true;
}

bool TSkinProvider::SkinLoaded(TMessage& M) {
  if (!systemMenu_) PrepareForm();
  if (SkinnedNow()) {
    ApplyPath(true);
    SkinBroadcast(form_, M);
    return true;
  }
  if (!skinData_->SkinManager() || FormDestroying()) return Unskinned(M);
  ApplyPath(false);
  SkinBroadcast(form_, M);
  return true;
}

bool TSkinProvider::OtherSkinLoaded(TMessage& M) {
  if (!systemMenu_) PrepareForm();
  if (!SkinnedNow()) return Unskinned(M);
  SkinBroadcast(form_, M);
  return true;
}

bool TSkinProvider::SkinRemoved(TMessage& M) {
  if (!skinData_->SkinManager()) return SkinCommand(M);  // a provider without a manager ignores it
  RemovePath(M);
  return true;
}

bool TSkinProvider::CtrlHandled(TMessage& M) {
  M.LParam = 1;
  M.Result = 1;
  return true;
}

bool TSkinProvider::SkinApplied(TMessage& M) {
  if (!SkinnedNow()) return Unskinned(M);
  TSkinManager* own = skinData_->SkinManager();
  HWND h = form_->HandleAllocated() ? form_->WindowHandle() : nullptr;
  if (Framed() && h) SetWindowRgn(h, nullptr, FALSE);
  skinData_->BGChanged = true;
  skinData_->Updating = false;
  menuRows_ = -1;
  formBgCache_.reset();
  InitMenuItems(true);
  rgnChanged_ = Framed();
  fullRepaint_ = true;
  if (h) SendMessage(h, WM_NCPAINT, 0, 0);
  if (mdiForm_ && form_->ClientHandle()) {
    TCustomForm* child = form_->ActiveMDIChild();
    if (child && child->WindowState() == wsMaximized && child->HandleAllocated())
      SendMessage(child->WindowHandle(), WM_NCPAINT, 0, 0);
    else
      RedrawWindow(form_->ClientHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
  }
  if (useGlobalColor_ && !skinData_->CustomColor()) form_->SetColor(own->GetGlobalColor());
  SkinBroadcast(form_, M);
  if (h) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  UpdateScrolls();
  RefreshMDI();
  return true;
}

bool TSkinProvider::ProviderQuery(TMessage& M) {
  if (!SkinnedNow()) return Unskinned(M);
  M.Result = reinterpret_cast<LRESULT>(this);
  return true;
}

bool TSkinProvider::CacheQuery(TMessage& M) {
  if (!SkinnedNow()) return Unskinned(M);
  if (!Loading()) {
    const POINT o = ClientOffset();
    SharedCacheInfo = TCacheInfo{skinData_->CacheBmp.get(), o.x, o.y, true};
  }
  return true;
}

bool TSkinProvider::SetUpdating(TMessage& M) {
  if (!SkinnedNow()) return Unskinned(M);
  skinData_->Updating = M.WParamLo() == 1;
  if (skinData_->Updating) skinData_->BGChanged = true;
  return true;
}

bool TSkinProvider::CacheFrozen(TMessage& M) {
  if (!SkinnedNow()) return Unskinned(M);
  skinData_->CacheFrozen = (M.WParamLo() & 0xFF) != 0;
  if (skinData_->CacheFrozen) {
    skinData_->BGChanged = true;
    fullRepaint_ = true;
    PaintAll();
  }
  SkinWndProc(M, skinData_.get());
  return true;
}

bool TSkinProvider::PreparingQuery(TMessage& M) {
  if (!SkinnedNow()) return Unskinned(M);
  M.LParam = skinData_->BGChanged || skinData_->GetUpdating() ? 1 : 0;
  return true;
}

bool TSkinProvider::ChildRepainting(TMessage& M) {
  if (!SkinnedNow()) return Unskinned(M);
  skinData_->RepaintingChild = reinterpret_cast<TControl*>(M.LParam);
  return true;
}

bool TSkinProvider::BgNotPlainQuery(TMessage& M) {
  if (!SkinnedNow()) return Unskinned(M);
  const TSkGeneralData& gd = skinData_->SkinManager()->gd[size_t(skinData_->SkinIndex)];
  M.LParam = gd.GradientPercent + gd.ImagePercent > 0 ? 1 : 0;
  return true;
}

bool TSkinProvider::BgColorQuery(TMessage& M) {
  if (!SkinnedNow()) return Unskinned(M);
  // The hot colour, as the section records it for forms.
  SharedBgColor = skinData_->Skinned()
                      ? TColor(skinData_->SkinManager()->gd[size_t(skinData_->SkinIndex)].HotColor)
                      : ColorToRGB(form_->Color());
  return true;
}

// Any other command: a skinned form swallows it.
bool TSkinProvider::SkinCommand(TMessage& M) {
  return SkinnedNow() || Unskinned(M);
}

void TSkinProvider::CutCaptionBand() {
  if (!Framed() || !form_->HandleAllocated()) return;
  HWND h = form_->WindowHandle();
  HRGN rgn = CreateRectRgn(0, 0, FormWidth(), FormHeight());
  GetWindowRgn(h, rgn);
  const int bottom = CaptionHeight() + SysBorderHeight() + MenuRowCount() * MenuHeight();
  HRGN band = CreateRectRgn(0, 0, FormWidth(), bottom);
  CombineRgn(rgn, rgn, band, RGN_DIFF);
  DeleteObject(band);
  settingRgn_ = true;
  SetWindowRgn(h, rgn, FALSE);
  settingRgn_ = false;
  rgnChanged_ = true;
}

// Each message the skinned form takes care of has its handler below.
void TSkinProvider::SkinnedDispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_MOVE:
      return WMMove(M);
    case WM_SIZE:
      return WMSize(M);
    case WM_ACTIVATE:
      return WMActivate(M);
    case WM_SETTEXT:
      return WMSetText(M);
    case WM_PAINT:
      return WMPaint(M);
    case WM_ERASEBKGND:
      return WMEraseBkgnd(M);
    case WM_SYSCOLORCHANGE:
      return WMSysColorChange(M);
    case WM_CHILDACTIVATE:
      return WMChildActivate(M);
    case WM_GETMINMAXINFO:
      return WMGetMinMaxInfo(M);
    case WM_MEASUREITEM:
      return WMMeasureItem(M);
    case WM_WINDOWPOSCHANGING:
      return WMWindowPosChanging(M);
    case WM_WINDOWPOSCHANGED:
    case WM_EXITSIZEMOVE:
      return WMWindowPosChanged(M);
    case WM_NCHITTEST:
      return WMNCHitTest(M);
    case WM_NCPAINT:
    case WM_PRINT:
      return WMNCPaint(M);
    case WM_NCACTIVATE:
      return WMNCActivate(M);
    case WM_NCLBUTTONDOWN:
      return NCButtonDown(M);
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
      return NCButtonUp(M);
    case WM_NCLBUTTONDBLCLK:
      return NCButtonDblClk(M);
    case WM_NCRBUTTONDOWN:
      return WMNCRButtonDown(M);
    case WM_NCRBUTTONUP:
      return WMNCRButtonUp(M);
    case WM_MOUSEMOVE:
      return WMMouseMove(M);
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      return WMCaptureChanged(M);
    case WM_SYSCOMMAND:
      return SystemCommand(M);
    case WM_SIZING:
      return WMSizing(M);
    case WM_MDIDESTROY:
    case WM_MDIACTIVATE:
      return WMMDIActivate(M);
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
      return MouseLeft(M);
    case CM_COLORCHANGED:
      return CMColorChanged(M);
    case CM_MENUCHANGED:
      return CMMenuChanged(M);
    case WM_MENUSELECT:
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_EXITMENULOOP:
      OldWndProc(M);
      return MenuLoopNotice(M);
    default:
      return OldWndProc(M);
  }
}

void TSkinProvider::WMMove(TMessage& M) {
  OldWndProc(M);
  if (form_->FormStyle() == fsMDIChild && form_->WindowState() != wsMaximized && !Loading())
    if (TSkinProvider* p = MDIFormProvider(); p && p->mdiForm_) {
      skinData_->Updating = false;
      p->RefreshMDI();
    }
}

void TSkinProvider::WMSize(TMessage& M) {
  OldWndProc(M);
  if (!form_->Visible()) return;
  if (form_->FormStyle() == fsMDIForm) RefreshMDI();
  if (form_->FormStyle() == fsMDIChild && form_->WindowState() == wsMaximized)
    if (TSkinProvider* p = MDIFormProvider(); p && p != this) {
      p->skinData_->BGChanged = p->cacheSizeMismatch();
      if (p->form_->HandleAllocated()) SendMessage(p->form_->WindowHandle(), WM_NCPAINT, 0, 0);
    }
  UpdateScrolls();
  if (skinData_->Skinned() && skinData_->SkinManager()->gd[size_t(skinData_->SkinIndex)].GradientPercent > 0)
    for (int i = 0; i < form_->ControlCount(); ++i) {
      TControl* c = form_->Controls(i);
      if (!c->ComponentState().Contains(csDestroying)) SendSkinCommand(c, AC_PARENTMOVED, 1);
    }
}

void TSkinProvider::WMActivate(TMessage& M) {
  HWND h = FormWindow();
  const bool creating = form_->ControlState().Contains(csCreating);
  OldWndProc(M);
  if (creating) return;
  formActive_ = LOWORD(M.WParam) != WA_INACTIVE;
  if (!scrollsDone_) scrollsDone_ = true, UpdateScrolls();
  skinData_->BGChanged = true;
  menuRows_ = -1;
  if (h) SendMessage(h, WM_NCPAINT, 0, 0);
  InitMenuItems(true);
  if (mdiForm_) RefreshMDI();
  if (systemMenu_) systemMenu_->UpdateItems();
}

void TSkinProvider::WMSetText(TMessage& M) {
  HWND h = FormWindow();
  CutCaptionBand();
  OldWndProc(M);
  if (Framed()) {
    skinData_->BGChanged = true;
    rgnChanged_ = true;
    if (h) SendMessage(h, WM_NCPAINT, 0, 0);
  }
}

void TSkinProvider::WMPaint(TMessage& M) {
  const bool creating = form_->ControlState().Contains(csCreating);
  if (form_->Visible() && !creating) return ClientPaint(M);
  return OldWndProc(M);
}

void TSkinProvider::WMEraseBkgnd(TMessage& M) {
  M.Result = 1;
}

void TSkinProvider::WMSysColorChange(TMessage& M) {
  OldWndProc(M);
  MenuFixUp();
}

void TSkinProvider::WMChildActivate(TMessage& M) {
  OldWndProc(M);
  MenuFixUp();
  if (TSkinProvider* p = MDIFormProvider(); p && p->mdiForm_) p->mdiForm_->UpdateScrollBars();
}

void TSkinProvider::WMGetMinMaxInfo(TMessage& M) {
  auto* mmi = reinterpret_cast<MINMAXINFO*>(M.LParam);
  mmi->ptMaxPosition = POINT{-1, -1};
  mmi->ptMaxTrackSize = POINT{-1, -1};
  OldWndProc(M);
  RECT wa;
  GetWorkArea(wa);
  const int bw = Framed() ? SysBorderWidth() : 0, bh = Framed() ? SysBorderHeight() : 0;
  if (mmi->ptMaxTrackSize.x == -1) mmi->ptMaxTrackSize.x = wa.Width() + 2 * bw;
  if (mmi->ptMaxTrackSize.y == -1) mmi->ptMaxTrackSize.y = wa.Height() + 2 * bh;
  if (mmi->ptMaxPosition.x == -1) mmi->ptMaxPosition.x = wa.left - bw;
  if (mmi->ptMaxPosition.y == -1) mmi->ptMaxPosition.y = wa.top - bh;
}

void TSkinProvider::WMMeasureItem(TMessage& M) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
  if (form_->FormStyle() != fsMDIChild && form_->Menu() && mis && mis->CtlType == ODT_MENU)
    if (TSkinableMenus* menus = MenusOf(skinData_->SkinManager()))
      if (TMenuItem* item = form_->Menu()->FindItem(mis->itemID, fkCommand);
          item && item->IsTopLevelOfMainMenu())
        menus->InitItem(item, true);
  return OldWndProc(M);
}

void TSkinProvider::WMWindowPosChanging(TMessage& M) {
  auto* wp = reinterpret_cast<WINDOWPOS*>(M.LParam);
  if (!settingRgn_ && ScreenSnap && wp && form_->WindowState() != wsMaximized && !(wp->flags & SWP_NOMOVE))
    SnapPosition(wp->x, wp->y, (wp->flags & SWP_NOSIZE) ? FormWidth() : wp->cx,
                 (wp->flags & SWP_NOSIZE) ? FormHeight() : wp->cy);
  OldWndProc(M);
  ComputeExtents();
}

void TSkinProvider::WMWindowPosChanged(TMessage& M) {
  HWND h = FormWindow();
  const bool creating = form_->ControlState().Contains(csCreating);
  if (!settingRgn_) rgnChanged_ = true;
  OldWndProc(M);
  if (cacheSizeMismatch()) {
    if (!creating) skinData_->BGChanged = true;
    menuRows_ = -1;
    if (h) {
      SendMessage(h, WM_NCPAINT, 0, 0);
      InvalidateRect(h, nullptr, FALSE);
    }
  }
}

void TSkinProvider::WMNCHitTest(TMessage& M) {
  if (form_->BorderStyle() == bsNone) return OldWndProc(M);
  LRESULT r = HitTest(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
  if (r == HTNOWHERE || r == HTCAPTION) {
    OldWndProc(M);
    r = M.Result;
    SetHotHT(0);
  }
  if (ResizeMode == rmBorder && !drag.Pending && !drag.Active && (r == HTCAPTION || IsSizingCode(r)))
    drag.Kind = r;
  M.Result = r;
}

void TSkinProvider::WMNCPaint(TMessage& M) {
  PaintNonClient(M.Msg == WM_PRINT ? reinterpret_cast<HDC>(M.WParam) : nullptr);
  M.Result = 0;
}

void TSkinProvider::WMNCActivate(TMessage& M) {
  HWND h = FormWindow();
  if (Framed() && (M.WParam || form_->FormStyle() == fsMDIChild) && !Loading()) CutCaptionBand();
  inNCActivate_ = true;
  OldWndProc(M);
  inNCActivate_ = false;
  bool active = M.WParam != 0;
  if (mdiForm_) {
    TCustomForm* child = form_->ActiveMDIChild();
    if (child && child->WindowState() == wsMaximized && child->Active()) active = true;
  }
  if (active != formActive_) {
    formActive_ = active;
    skinData_->BGChanged = true;
    menuRows_ = -1;
  }
  if (h) SendMessage(h, WM_NCPAINT, 0, 0);
  M.Result = 1;
}

void TSkinProvider::WMNCRButtonDown(TMessage& M) {
  if (skinData_->SkinManager()->SkinnedPopups() && (M.WParam == HTCAPTION || M.WParam == HTSYSMENU)) return;
  return OldWndProc(M);
}

void TSkinProvider::WMNCRButtonUp(TMessage& M) {
  if (skinData_->SkinManager()->SkinnedPopups() && (M.WParam == HTCAPTION || M.WParam == HTSYSMENU)) {
    DropSysMenu(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
    return;
  }
  return OldWndProc(M);
}

void TSkinProvider::WMMouseMove(TMessage& M) {
  HWND h = FormWindow();
  OldWndProc(M);
  if (drag.Owner == this && (drag.Active || drag.Pending)) {
    POINT p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
    ClientToScreen(h, &p);
    MoveFrameDrag(p);
  }
}

void TSkinProvider::WMCaptureChanged(TMessage& M) {
  HWND h = FormWindow();
  // A drag whose capture went away ends without moving and leaves no outline behind.
  if (drag.Owner == this && (drag.Active || drag.Pending) &&
      !(M.Msg == WM_CAPTURECHANGED && HWND(M.LParam) == h))
    EndFrameDrag(false);
  return OldWndProc(M);
}

void TSkinProvider::WMSizing(TMessage& M) {
  OldWndProc(M);
  if (cacheSizeMismatch()) {
    skinData_->BGChanged = true;
    menuRows_ = -1;
    if (form_->FormStyle() == fsMDIForm) RefreshMDI();
  }
}

void TSkinProvider::WMMDIActivate(TMessage& M) {
  OldWndProc(M);
  if (form_->FormStyle() == fsMDIChild)
    if (TSkinProvider* p = MDIFormProvider(); p && p != this) p->RepaintMenuLine();
}

void TSkinProvider::MouseLeft(TMessage& M) {
  SetHotHT(0);
  return OldWndProc(M);
}

void TSkinProvider::CMColorChanged(TMessage& M) {
  const bool creating = form_->ControlState().Contains(csCreating);
  if (!skinData_->CustomColor()) return;
  if (!creating) skinData_->BGChanged = true;
  return OldWndProc(M);
}

void TSkinProvider::CMMenuChanged(TMessage& M) {
  const bool creating = form_->ControlState().Contains(csCreating);
  if (form_->Visible() && !creating) fullRepaint_ = true, menuRows_ = -1, skinData_->BGChanged = true;
  return OldWndProc(M);
}

HWND TSkinProvider::FormWindow() const {
  return form_->HandleAllocated() ? form_->WindowHandle() : nullptr;
}

bool TSkinProvider::cacheSizeMismatch() const {
  TBitmap* c = skinData_->CacheBmp.get();
  return !c || c->Width() != FormWidth() || c->Height() != FormHeight();
}

// ---- non-client mouse ----

void TSkinProvider::DropSysMenu(int X, int Y) {
  if (systemMenu_) systemMenu_->DropSysMenu(X, Y);
}

void TSkinProvider::NCButtonDown(TMessage& M) {
  HWND h = form_->WindowHandle();
  const LRESULT code = LRESULT(M.WParam);
  switch (code) {
    case HTSYSMENU:
      if (skinData_->SkinManager()->SkinnedPopups()) {
        RECT wr;
        GetWindowRect(h, &wr);
        const RECT ir = IconRect();
        SetHotHT(0);
        DropSysMenu(wr.left + ir.left, wr.top + CaptionHeight() + SysBorderHeight());
        return;
      }
      return OldWndProc(M);
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTCLOSE:
    case HTHELP:
    case HTMDICLOSE:
    case HTMDIRESTORE:
    case HTMDIMINIMIZE:
      SetPressedHT(code);
      return;
    default:
      break;
  }
  if (code >= HTTITLEBUTTON && code - HTTITLEBUTTON < titleButtons_->Count()) {
    SetPressedHT(code);
    titleButtons_->Items(int(code - HTTITLEBUTTON))
        ->DoMouseDown(mbLeft, TShiftState{}, GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
    return;
  }
  if (IsIconic(h)) {
    form_->Perform(WM_SYSCOMMAND, SC_DRAGMOVE, 0);
    return;
  }
  SetHotHT(0);
  if (form_->WindowState() == wsMaximized && code == HTCAPTION) {
    SetActiveWindow(h);
    return;
  }
  if (ResizeMode == rmBorder && code != HTMENU && (code == HTCAPTION || IsSizingCode(code))) {
    drag.Kind = code;
    form_->Perform(WM_SYSCOMMAND, code == HTCAPTION ? SC_MOVE : SC_SIZE, 0);
    StartFrameDrag(code, POINT{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
    return;
  }
  OldWndProc(M);
}

void TSkinProvider::ToggleMaximized() {
  HWND h = form_->WindowHandle();
  if (form_->WindowState() == wsMaximized || IsIconic(h)) {
    SendMessage(h, WM_SYSCOMMAND, SC_RESTORE, 0);
  } else {
    if (form_->FormStyle() != fsMDIChild) form_->SetWindowState(wsMaximized);
    SendMessage(h, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  }
}

void TSkinProvider::NCButtonUp(TMessage& M) {
  HWND h = form_->WindowHandle();
  if (drag.Owner == this && (drag.Active || drag.Pending)) {
    EndFrameDrag(true);
    M.WParam = 0;
    return;
  }
  const LRESULT code = M.Msg == WM_NCLBUTTONUP ? LRESULT(M.WParam) : currentHT_;
  TSkCaptionButton* pressed = ButtonOfHT(currentHT_);
  if (!pressed || pressed->State != 2 || code != currentHT_) {
    OldWndProc(M);
    M.WParam = 0;
    return;
  }
  auto keepAlive = form_->AliveToken();
  switch (code) {
    case HTHELP:
      SendMessage(h, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
      SetHotHT(0);
      if (systemMenu_) systemMenu_->UpdateItems();
      form_->Perform(WM_NCPAINT, 0, 0);
      break;
    case HTMINBUTTON:
      SetHotHT(0);
      if (Application && form_ == Application->MainForm())
        Application->Minimize();
      else
        SendMessage(h, WM_SYSCOMMAND, IsIconic(h) ? SC_RESTORE : SC_MINIMIZE, 0);
      break;
    case HTMAXBUTTON:
      SetHotHT(0);
      if (ButtonEnabled(HTMAXBUTTON)) ToggleMaximized();
      break;
    case HTCLOSE:
      buttonClose_.State = 0;
      currentHT_ = 0;
      SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case HTMDICLOSE:
    case HTMDIRESTORE:
    case HTMDIMINIMIZE:
      if (TCustomForm* child = form_->ActiveMDIChild(); child && child->HandleAllocated()) {
        if (code == HTMDIMINIMIZE) skinData_->BeginUpdate();
        SetHotHT(0, false);
        SendMessage(child->WindowHandle(), WM_SYSCOMMAND,
                    code == HTMDICLOSE     ? SC_CLOSE
                    : code == HTMDIRESTORE ? SC_RESTORE
                                           : SC_MINIMIZE,
                    0);
      }
      break;
    default:
      if (code >= HTTITLEBUTTON && code - HTTITLEBUTTON < titleButtons_->Count()) {
        TSkTitleButton* b = titleButtons_->Items(int(code - HTTITLEBUTTON));
        SetHotHT(0);
        POINT p;
        GetCursorPos(&p);
        b->DoMouseUp(mbLeft, TShiftState{}, p.x, p.y);
        if (b->OnClick) b->OnClick(b);
      }
      break;
  }
  if (!keepAlive.expired()) M.WParam = 0;
}

void TSkinProvider::NCButtonDblClk(TMessage& M) {
  if (drag.Owner == this) EndFrameDrag(false);
  HWND h = form_->WindowHandle();
  if (M.WParam == HTSYSMENU) {
    SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (M.WParam == HTCAPTION && systemMenu_ &&
             (systemMenu_->EnabledMax() || systemMenu_->EnabledRestore())) {
    ToggleMaximized();
    if (systemMenu_) systemMenu_->UpdateItems();
  } else {
    return OldWndProc(M);
  }
  M.WParam = 0;
}

// ---- system commands ----

void TSkinProvider::SystemCommand(TMessage& M) {
  HWND h = form_->WindowHandle();
  const WPARAM cmd = M.WParam;
  if ((cmd & 0xFFFF) == SC_DRAGMOVE) form_->Repaint();
  if (ResizeMode == rmBorder && !drag.Active && !drag.Pending) {
    if ((cmd & 0xFFF0) == SC_MOVE || (cmd & 0xFFF0) == SC_SIZE) {
      // The outline drag replaces the system's own move and size loop.
      SetCapture(h);
      drag.Owner = this;
      drag.Pending = true;
      drag.Moving = (cmd & 0xFFF0) == SC_MOVE;
      if (!drag.Moving && !IsSizingCode(drag.Kind)) drag.Kind = 0;
      return;
    }
  }
  auto keepAlive = form_->AliveToken();
  switch (form_->FormStyle()) {
    case fsMDIForm:
      OldWndProc(M);
      if (keepAlive.expired()) return;
      if (cmd == SC_MINIMIZE || cmd == SC_MAXIMIZE || cmd == SC_RESTORE) {
        RepaintMenuLine();
        RefreshMDI();
      }
      return;
    case fsMDIChild: {
      const bool frozen = form_->WindowState() == wsMaximized && cmd != SC_MAXIMIZE;
      if (frozen) skinData_->BeginUpdate();
      TSkinProvider* p = MDIFormProvider();
      auto refreshFrame = [&] {
        if (p && p->mdiForm_ && frozen) p->RepaintMenuLine();
        if (p && p->mdiForm_) p->mdiForm_->UpdateScrollBars();
      };
      if (cmd == SC_KEYMENU) {
        if (p) skinData_->EndUpdate();
        return;
      }
      OldWndProc(M);
      if (keepAlive.expired()) {
        if (p && p->mdiForm_) p->mdiForm_->UpdateScrollBars();
        return;
      }
      skinData_->EndUpdate();
      if (cmd == SC_CLOSE) {
        refreshFrame();
      } else if (cmd == SC_MINIMIZE || cmd == SC_RESTORE) {
        refreshFrame();
        if (systemMenu_) systemMenu_->UpdateItems();
        formBgCache_.reset();
        skinData_->BGChanged = true;
        SendMessage(h, WM_NCPAINT, 0, 0);
      } else if (cmd == SC_MAXIMIZE) {
        if (p) {
          p->menuRows_ = -1;
          if (p->mdiForm_) p->mdiForm_->UpdateMDIIconItem();
        }
        if (systemMenu_) systemMenu_->UpdateItems();
      }
      return;
    }
    default:
      OldWndProc(M);
      if (keepAlive.expired()) return;
      if ((cmd == SC_MAXIMIZE || cmd == SC_RESTORE) && systemMenu_ && systemMenu_->VisibleMax()) {
        currentHT_ = HTMAXBUTTON;
        SetHotHT(0);
      }
      if (systemMenu_) systemMenu_->UpdateItems();
      return;
  }
}

// ---- client paint ----

void TSkinProvider::ClientPaint(TMessage& M) {
  HWND h = form_->WindowHandle();
  PAINTSTRUCT ps;
  HDC dc = M.WParam ? reinterpret_cast<HDC>(M.WParam) : BeginPaint(h, &ps);
  if (dc && !skinData_->Updating && !skinData_->Painting) {
    skinData_->Painting = true;
    if (!skinData_->CacheFrozen) PaintAll();
    TBitmap* cache = skinData_->CacheBmp.get();
    if (cache && !cache->Empty()) {
      const POINT o = ClientOffset();
      BitBlt(dc, 0, 0, form_->ClientWidth(), form_->ClientHeight(), cache->Canvas()->Handle(), o.x, o.y,
             SRCCOPY);
    }
    RepaintChildren(form_);
    PaintGraphicChildren(dc, form_, POINT{0, 0});
    if (form_->OnPaint) {
      form_->Canvas()->Lock();
      form_->Canvas()->SetHandle(dc);
      form_->OnPaint(form_);
      form_->Canvas()->SetHandle(nullptr);
      form_->Canvas()->Unlock();
    }
    skinData_->Painting = false;
  }
  if (!M.WParam) EndPaint(h, &ps);
  if (skinData_->CacheFrozen) ClearCacheFrozen(form_);
  M.Result = 0;
}

}  // namespace qv
