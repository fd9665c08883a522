// The skinned list view: skin commands, the header taken over and painted
// from the skin, the skinned frame, and skinned scroll bars kept in step with
// the list.
#include "skin/controls/skListView.h"

#include <cstdlib>

#include "classlib/controls/Application.h"
#include "classlib/graphics/ImageList.h"
#include "platform/Utf.h"
#include "platform/comctl/Header.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/TextLayout.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/ScrollBar.h"
#include "skin/controls/skCtrlHelpers.h"
#include "skin/controls/skLinkedBars.h"
#include "skin/skBlend.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skMessages.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
constexpr int kListClassCode = 10;
constexpr int kFrame = 2;
const char16_t kOwnerProp[] = u"QvSkListViewHeaderOwner";
// One scroll synchronisation at a time, process-wide: a bar moved by the list
// must not move the list again.
bool syncingBars = false;

class FlagScope {
 public:
  explicit FlagScope(bool& Flag) : flag_(Flag), old_(Flag) { flag_ = true; }
  ~FlagScope() { flag_ = old_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};
}  // namespace

TSkCustomListView::TSkCustomListView(TComponent* AOwner) : TSkSkinned(AOwner) {
  skinData_ = std::make_unique<TSkCommonData>(this, true);
  skinData_->ClassCode = kListClassCode;
  if (skinData_->SkinSection().empty()) skinData_->SetSkinSection("EDIT");
  boundLabel_ = std::make_unique<TSkBoundLabel>(skinData_.get());
  fontSize_ = Font()->Size();
}

TSkCustomListView::~TSkCustomListView() {
  Destroying();
  SetSmallImages(nullptr);
  SetLargeImages(nullptr);
  ReleaseHeader();
  FreeBars();
  boundLabel_.reset();
  skinData_.reset();
}

void TSkCustomListView::AfterConstruction() {
  loading_ = true;
  TSkSkinned::AfterConstruction();
  loading_ = false;
}

void TSkCustomListView::Loaded() {
  loading_ = true;
  TSkSkinned::Loaded();
  loading_ = false;
}

// A list view loaded from a stream takes the skin's colours and lays its
// items out again.
void TSkCustomListView::SkinSetUpDone(bool FromStream) {
  if (!FromStream || !skinData_->Skinned()) return;
  skinData_->ApplySectionColors();
  Rearrange();
  UpdateScrollBars();
}

void TSkCustomListView::CreateWnd() {
  TCustomListView::CreateWnd();
  UpdateScrollBars();
}

bool TSkCustomListView::Dying() const {
  return ComponentState().Contains(csDestroying) || ComponentState().Contains(csLoading);
}

void TSkCustomListView::Rearrange() {
  if (HandleAllocated()) SendMessageW(Handle(), LVM_ARRANGE, 0, 0);
}

int TSkCustomListView::AllColumnsWidth() {
  if (!HandleAllocated()) return 0;
  int sum = 0;
  for (int i = 0; i < Columns()->Count(); ++i) {
    const int w = int(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, WPARAM(i), 0));
    if (std::abs(w) > 999999) break;
    sum += w;
  }
  return sum;
}

// ---- the header ----

void TSkCustomListView::TakeOverHeader(HWND Header) {
  ReleaseHeader();
  header_ = Header;
  SetPropW(Header, kOwnerProp, this);
  headerOldProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Header, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HeaderProc)));
}

void TSkCustomListView::ReleaseHeader() {
  if (!header_) return;
  if (IsWindow(header_)) {
    if (GetWindowLongPtrW(header_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HeaderProc))
      SetWindowLongPtrW(header_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(headerOldProc_));
    RemovePropW(header_, kOwnerProp);
  }
  header_ = nullptr;
  headerOldProc_ = nullptr;
}

LRESULT TSkCustomListView::HeaderProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  auto* self = static_cast<TSkCustomListView*>(GetPropW(Wnd, kOwnerProp));
  if (!self || self->header_ != Wnd) return DefWindowProcW(Wnd, Msg, W, L);
  TMessage m{Msg, W, L, 0};
  self->HeaderWndProc(m);
  return m.Result;
}

LRESULT TSkCustomListView::CallHeader(UINT Msg, WPARAM W, LPARAM L) {
  if (!header_ || !headerOldProc_) return 0;
  return CallWindowProcW(headerOldProc_, header_, Msg, W, L);
}

int TSkCustomListView::SectionAt(POINT Client) {
  HDHITTESTINFO hit;
  hit.pt = Client;
  CallHeader(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) return -1;
  return (hit.flags & HHT_ONHEADER) ? hit.iItem : -1;
}

void TSkCustomListView::SetHot(int Section) {
  if (Section == hot_) return;
  hot_ = Section;
  if (header_) InvalidateRect(header_, nullptr, FALSE);
}

void TSkCustomListView::HeaderWndProc(TMessage& M) {
  const HWND wnd = header_;
  if (ViewStyle() != vsReport || !skinData_->Skinned()) {
    M.Result = CallHeader(M.Msg, M.WParam, M.LParam);
    if (M.Msg == WM_NCDESTROY && header_ == wnd) ReleaseHeader();
    return;
  }
  switch (M.Msg) {
    case WM_NCDESTROY:
      M.Result = CallHeader(M.Msg, M.WParam, M.LParam);
      if (header_ == wnd) ReleaseHeader();
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(header_, &ps);
      PaintHeader();
      EndPaint(header_, &ps);
      return;
    }
    case WM_ERASEBKGND:
      M.Result = 1;
      return;
    case WM_NCHITTEST:
      M.Result = CallHeader(M.Msg, M.WParam, M.LParam);
      if (ColumnClick() && HighlightHeaders) {
        POINT p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
        ::qv::ScreenToClient(header_, &p);
        const int s = SectionAt(p);
        SetHot(s < 0 ? -2 : s);
      }
      return;
    case WM_MOUSEMOVE:
      // The hot section follows the mouse (hit tests come with every move here).
      M.Result = CallHeader(M.Msg, M.WParam, M.LParam);
      if (ColumnClick() && HighlightHeaders && header_) {
        const int s = SectionAt(POINT{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
        SetHot(s < 0 ? -2 : s);
      }
      return;
    case WM_LBUTTONUP:
      if (ColumnClick()) {
        pressed_ = -1;
        UpdateScrollBars();
      }
      M.Result = CallHeader(M.Msg, M.WParam, M.LParam);
      if (header_) InvalidateRect(header_, nullptr, FALSE);
      return;
    case WM_LBUTTONDOWN:
      M.Result = CallHeader(M.Msg, M.WParam, M.LParam);
      if (ColumnClick() && header_) {
        pressed_ = SectionAt(POINT{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
        RedrawWindow(header_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      }
      return;
    default:
      M.Result = CallHeader(M.Msg, M.WParam, M.LParam);
  }
}

void TSkCustomListView::PaintSection(HDC DC, int Index, const RECT& R) {
  const int w = R.right - R.left, h = R.bottom - R.top;
  if (w <= 0 || h <= 0) return;
  TSkinManager* m = skinData_->SkinManager();
  std::string section = "COLHEADER";
  int skin = m->GetSkinIndex(section);
  if (skin < 0) section = "BUTTON", skin = m->GetSkinIndex(section);
  const int state = pressed_ >= 0 ? (Index == pressed_ ? 2 : 0) : (Index >= 0 && Index == hot_ ? 1 : 0);
  std::unique_ptr<TBitmap> bmp(CreateBmp24BySize(w, h));
  PaintItemBySection(skin, section, EmptyCacheInfo, m, bmp.get(), POINT{0, 0}, RECT{0, 0, w, h}, state, true);
  if (Index >= 0) {
    char16_t text[260] = {};
    HDITEMW item;
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    item.pszText = text;
    item.cchTextMax = 260;
    CallHeader(HDM_GETITEMW, WPARAM(Index), reinterpret_cast<LPARAM>(&item));
    const int shift = state == 2 ? 1 : 0;
    RECT tr{4 + shift, shift, w - 4 + shift, h + shift};
    TCanvas* c = bmp->Canvas();
    c->Font()->Assign(Font());
    if (SmallImages() && (item.fmt & HDF_IMAGE) && item.iImage >= 0) {
      SmallImages()->Draw(c, tr.left, (h - SmallImages()->Height()) / 2 + shift, item.iImage, true);
      tr.left += SmallImages()->Width() + 4;
    }
    const int just = item.fmt & HDF_JUSTIFYMASK;
    const UINT align = just == HDF_RIGHT ? DT_RIGHT : just == HDF_CENTER ? DT_CENTER : DT_LEFT;
    WriteTextEx(c, Utf16ToUtf8(text), Enabled(), m, state == 1, skin,
                align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, tr);
  }
  BitBlt(DC, R.left, R.top, w, h, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkCustomListView::PaintHeader() {
  if (!header_) return;
  HDC dc = GetDC(header_);
  RECT client;
  ::qv::GetClientRect(header_, &client);
  const int n = int(CallHeader(HDM_GETITEMCOUNT, 0, 0));
  int right = 0;
  for (int i = 0; i < n; ++i) {
    RECT r{};
    CallHeader(HDM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r));
    if (r.right <= r.left) continue;
    PaintSection(dc, i, r);
    right = std::max(right, int(r.right));
  }
  if (right < client.right) PaintSection(dc, -1, RECT{right, 0, client.right, client.bottom});
  ReleaseDC(header_, dc);
}

// ---- scroll bars ----

void TSkCustomListView::FreeBars() {
  FreeLinkedBars(vBar_, hBar_);
}

bool TSkCustomListView::UpdateBar(TSkScrollBar*& Bar, int Which) {
  // Feeding the bar is not a move of the user's.
  FlagScope guard(syncingBars);
  return UpdateLinkedBar(this, Bar, Which,
                         [this](bool Vertical, int Position) { BarMoved(Vertical, Position); });
}

void TSkCustomListView::PlaceBars() {
  PlaceLinkedBars(this, kFrame, vBar_, hBar_);
}

void TSkCustomListView::UpdateScrollBars() {
  if (!HandleAllocated() || Dying()) return;
  if (!skinData_->Skinned() || !Visible() || Width() < 16 || Height() < 16 || !Parent()) return FreeBars();
  try {
    UpdateBar(vBar_, SB_VERT);
    UpdateBar(hBar_, SB_HORZ);
    PlaceBars();
  } catch (std::exception& e) {
    Application->HandleException(this, e);
  }
}

void TSkCustomListView::BarMoved(bool Vertical, int Position) {
  if (syncingBars || !HandleAllocated()) return;
  FlagScope guard(syncingBars);
  const int current = GetScrollPos(Handle(), Vertical ? SB_VERT : SB_HORZ);
  int delta = Position - current;
  if (delta == 0) return;
  if (Vertical && ViewStyle() == vsReport) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    const int itemHeight =
        Items()->Count() > 0 && SendMessageW(Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))
            ? int(r.bottom - r.top)
            : 1;
    delta *= itemHeight;
  } else if (!Vertical && ViewStyle() == vsSmallIcon) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    const int width =
        Items()->Count() > 0 && SendMessageW(Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))
            ? int(r.right - r.left)
            : 1;
    delta = delta * width / 2;
  }
  SendMessageW(Handle(), LVM_SCROLL, Vertical ? 0 : WPARAM(delta), Vertical ? LPARAM(delta) : 0);
  InvalidateList(false);
}

void TSkCustomListView::InvalidateList(bool Forced) {
  if (!HandleAllocated()) return;
  if (!(Forced || ViewStyle() == vsSmallIcon || ViewStyle() == vsList)) return;
  if (!QuerySkinCommand(this, AC_BGNOTPLAIN) && !Forced) return;
  InvalidateRect(Handle(), nullptr, FALSE);
}

// ---- frame and items ----

void TSkCustomListView::PaintFrame() {
  if (!HandleAllocated() || Dying()) return;
  PaintLinkedFrame(this, skinData_.get(), kFrame, vBar_, hBar_);
}

void TSkCustomListView::PaintItemsBackground(HDC DC, const RECT& R) {
  if (skinData_->BGChanged) PrepareFrameCache(this, skinData_.get());
  // The client area lies inside the frame: the cache is offset by the frame.
  const int b = kFrame;
  const int saved = SaveDC(DC);
  for (TSkScrollBar* bar : {vBar_, hBar_})
    if (bar && bar->Visible()) {
      RECT br{bar->Left() - Left() - b, bar->Top() - Top() - b, bar->Left() - Left() - b + bar->Width(),
              bar->Top() - Top() - b + bar->Height()};
      ExcludeClipRect(DC, br.left, br.top, br.right, br.bottom);
    }
  BitBlt(DC, R.left, R.top, R.right - R.left, R.bottom - R.top, skinData_->CacheBmp->Canvas()->Handle(),
         R.left + b, R.top + b, SRCCOPY);
  RestoreDC(DC, saved);
}

LRESULT TSkCustomListView::CustomDrawWrapper(TMessage& M) {
  auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(M.LParam);
  if (cd->nmcd.dwDrawStage == CDDS_PREPAINT && skinData_->Skinned()) {
    SetBkMode(cd->nmcd.hdc, TRANSPARENT);
    if (QuerySkinCommand(this, AC_BGNOTPLAIN)) PaintItemsBackground(cd->nmcd.hdc, cd->nmcd.rc);
  }
  TCustomListView::WndProc(M);
  return M.Result;
}

// ---- window procedure ----

bool TSkCustomListView::SkinLoaded(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  return true;
}

bool TSkCustomListView::SkinRemoved(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  FreeBars();
  if (!skinData_->CustomColor()) SetColor(clWindow);
  if (!skinData_->CustomFont()) Font()->SetColor(clWindowText);
  Rearrange();
  if (HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return true;
}

bool TSkCustomListView::SkinApplied(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  if (skinData_->Skinned() && !loading_) {
    skinData_->ApplySectionColors();
    Rearrange();
    UpdateScrollBars();
  }
  if (HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  return true;
}

bool TSkCustomListView::CtrlHandled(TMessage& M) {
  M.LParam = 1;
  M.Result = 1;
  return true;
}

bool TSkCustomListView::UpdateFinished(TMessage&) {
  skinData_->Updating = false;
  if (HandleAllocated()) Perform(WM_NCPAINT, 0, 0);
  return true;
}

void TSkCustomListView::AfterMessage(const TMessage& M) {
  switch (M.Msg) {
    case WM_MOUSEWHEEL:
      if (LOWORD(M.WParam) == 0) {
        InvalidateList(false);
        UpdateScrollBars();
      }
      break;
    case CN_KEYDOWN:
    case CN_KEYUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (M.WParam >= 33 && M.WParam <= 40) {
        InvalidateList(false);
        UpdateScrollBars();
      }
      break;
    case WM_VSCROLL:
    case WM_HSCROLL:
      UpdateScrollBars();
      break;
    case WM_STYLECHANGED:
      if (ComponentState().Contains(csDestroying)) break;
      Application->ProcessMessages();
      Rearrange();
      UpdateScrollBars();
      break;
    case WM_SETREDRAW:
      if (ComponentState().Contains(csDestroying)) break;
      Rearrange();
      UpdateScrollBars();
      break;
    case WM_MOVE:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
      if (ComponentState().Contains(csDestroying)) break;
      skinData_->BGChanged = true;
      UpdateScrollBars();
      if (HandleAllocated()) Perform(WM_NCPAINT, 0, 0);
      InvalidateList(true);
      UpdateScrollBars();
      break;
    case LVM_SETITEMCOUNT:
    case LVM_INSERTITEMW:
    case LVM_DELETEITEM:
    case LVM_DELETEALLITEMS:
    case LVM_ENSUREVISIBLE:
    case LVM_SCROLL:
      if (!skinData_->Updating) UpdateScrollBars();
      break;
    default:
      break;
  }
}

void TSkCustomListView::WndProc(TMessage& M) {
  if (DispatchSkinCommand(M, skinData_.get(), *this)) return;
  if (M.Msg == WM_PARENTNOTIFY && LOWORD(M.WParam) == WM_CREATE) {
    char16_t name[96] = {};
    const HWND child = reinterpret_cast<HWND>(M.LParam);
    if (GetClassNameW(child, name, 96) > 0 && std::u16string_view(name) == u"SysHeader32")
      TakeOverHeader(child);
  }
  if (M.Msg == CM_MOUSELEAVE) SetHot(-2);
  if (!ControlIsReady(this)) return TCustomListView::WndProc(M);
  auto alive = AliveToken();
  const bool skinned = skinData_->Skinned();
  if (skinned) {
    switch (M.Msg) {
      case WM_ERASEBKGND:
        if (QuerySkinCommand(this, AC_BGNOTPLAIN)) {
          M.Result = 1;
          return;
        }
        if (!skinData_->CustomColor()) {
          const TColor bg = BgColorOf(this);
          if (bg != clFuchsia && bg != Color()) SetColor(bg);
        }
        break;
      case WM_PRINT:
        Perform(WM_PAINT, M.WParam, M.LParam);
        Perform(WM_NCPAINT, M.WParam, M.LParam);
        return;
      case LVM_SETCOLUMNW:
      case LVM_INSERTCOLUMNW: {
        auto* col = reinterpret_cast<LVCOLUMNW*>(M.LParam);
        if (col && (col->mask & LVCF_IMAGE) && col->iImage == -1) col->mask &= ~LVCF_IMAGE;
        break;
      }
      case WM_NCPAINT:
        PaintFrame();
        return;
      case WM_NCCALCSIZE:
        TCustomListView::WndProc(M);
        return;
      default:
        break;
    }
  }
  if (M.Msg == CN_NOTIFY && reinterpret_cast<const NMHDR*>(M.LParam)->code == NM_CUSTOMDRAW) {
    CustomDrawWrapper(M);
    return;
  }
  if (M.Msg == LVM_HITTEST) SetHot(-2);
  if (!SkinWndProc(M, skinData_.get())) {
    TCustomListView::WndProc(M);
    if (alive.expired()) return;
    if (skinData_->Skinned() && !Dying()) AfterMessage(M);
  }
  if (!alive.expired()) BoundLabelUpkeep(boundLabel_.get(), this, M);
}

}  // namespace qv
