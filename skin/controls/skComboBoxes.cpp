// The skinned combo boxes: the list-control base, the combo core with its
// subclassed children, the string combo box with auto-complete and owner
// drawing, and the skinned painting of the closed control.
#include "skin/controls/skComboBoxes.h"

#include "classlib/controls/Forms.h"
#include "classlib/graphics/Brush.h"
#include "classlib/graphics/Font.h"
#include "classlib/stdctrls/ListBox.h"
#include "classlib/stdctrls/OwnerDrawState.h"
#include "classlib/stdctrls/ReflectedMessages.h"
#include "classlib/stdctrls/SubClass.h"
#include "platform/Utf.h"
#include "platform/controls/ComboBox.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/window/Input.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "skin/controls/skCtrlHelpers.h"
#include "skin/skControlTree.h"
#include "skin/skItemPaint.h"
#include "skin/skMaskPaint.h"
#include "skin/skMessages.h"
#include "skin/skinManager.h"

namespace qv {

namespace {
constexpr int kListControlClassCode = 1;
const char16_t kComboProp[] = u"QvSkComboOwner";
}  // namespace

// ---- TSkCustomListControl ----

TSkCustomListControl::TSkCustomListControl(TComponent* AOwner) : TSkSkinned(AOwner) {
  skinData_ = std::make_unique<TSkCommonData>(this, true);
  skinData_->ClassCode = kListControlClassCode;
  if (skinData_->SkinSection().empty()) skinData_->SetSkinSection("COMBOBOX");
  boundLabel_ = std::make_unique<TSkBoundLabel>(skinData_.get());
}

TSkCustomListControl::~TSkCustomListControl() {
  boundLabel_.reset();
  skinData_.reset();
}

// A list loaded from a stream takes the skin's section colours.
void TSkCustomListControl::SkinSetUpDone(bool FromStream) {
  if (FromStream && skinData_->Skinned()) skinData_->ApplySectionColors();
}

bool TSkCustomListControl::SkinLoaded(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  return true;
}

bool TSkCustomListControl::SkinRemoved(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  if (!skinData_->CustomColor()) SetColor(clWindow);
  if (!skinData_->CustomFont()) Font()->SetColor(clWindowText);
  Invalidate();
  return true;
}

bool TSkCustomListControl::SkinApplied(TMessage& M) {
  SkinWndProc(M, skinData_.get());
  if (skinData_->Skinned()) skinData_->ApplySectionColors();
  Invalidate();
  return true;
}

bool TSkCustomListControl::CtrlHandled(TMessage& M) {
  M.LParam = 1;
  M.Result = 1;
  return true;
}

bool TSkCustomListControl::UpdateFinished(TMessage&) {
  skinData_->Updating = false;
  Invalidate();
  return true;
}

void TSkCustomListControl::WndProc(TMessage& M) {
  if (DispatchSkinCommand(M, skinData_.get(), *this)) return;
  if (!ControlIsReady(this)) return TWinControl::WndProc(M);
  auto alive = AliveToken();
  if (skinData_->Skinned()) {
    switch (M.Msg) {
      case CM_VISIBLECHANGED:
      case CM_ENABLEDCHANGED:
        skinData_->BGChanged = true;
        Invalidate();
        break;
      case CM_MOUSEENTER:
      case CM_MOUSELEAVE:
        if (!Focused() && !ComponentState().Contains(csDesigning)) {
          skinData_->MouseAbove = M.Msg == CM_MOUSEENTER;
          skinData_->BGChanged = true;
          Invalidate();
        }
        break;
      default:
        break;
    }
  }
  if (!SkinWndProc(M, skinData_.get())) TWinControl::WndProc(M);
  if (!alive.expired()) BoundLabelUpkeep(boundLabel_.get(), this, M);
}

// ---- strings ----

HWND TSkCustomComboBoxStrings::Wnd() const {
  return combo_->Handle();
}

int TSkCustomComboBoxStrings::Count() const {
  return int(SendMessageW(Wnd(), CB_GETCOUNT, 0, 0));
}

std::string TSkCustomComboBoxStrings::Strings(int Index) const {
  const int n = int(SendMessageW(Wnd(), CB_GETLBTEXTLEN, WPARAM(Index), 0));
  if (n == CB_ERR) return {};
  return ListItemText(Wnd(), CB_GETLBTEXTLEN, CB_GETLBTEXT, Index);
}

TObject* TSkCustomComboBoxStrings::Objects(int Index) const {
  const LRESULT r = SendMessageW(Wnd(), CB_GETITEMDATA, WPARAM(Index), 0);
  if (r == CB_ERR && (Index < 0 || Index >= Count())) throw ListIndexError(Index);
  return reinterpret_cast<TObject*>(r);
}

void TSkCustomComboBoxStrings::SetObjects(int Index, TObject* AObject) {
  SendMessageW(Wnd(), CB_SETITEMDATA, WPARAM(Index), reinterpret_cast<LPARAM>(AObject));
}

int TSkCustomComboBoxStrings::Add(const std::string& S) {
  const std::u16string text = Utf8ToUtf16(S);
  const LRESULT i = SendMessageW(Wnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (i < 0) throw NoStorageError();
  return int(i);
}

int TSkCustomComboBoxStrings::AddObject(const std::string& S, TObject* AObject) {
  const int i = Add(S);
  SetObjects(i, AObject);
  return i;
}

void TSkCustomComboBoxStrings::Insert(int Index, const std::string& S) {
  const std::u16string text = Utf8ToUtf16(S);
  if (SendMessageW(Wnd(), CB_INSERTSTRING, WPARAM(Index), reinterpret_cast<LPARAM>(text.c_str())) < 0)
    throw NoStorageError();
}

void TSkCustomComboBoxStrings::Delete(int Index) {
  SendMessageW(Wnd(), CB_DELETESTRING, WPARAM(Index), 0);
}

void TSkCustomComboBoxStrings::Clear() {
  // The control's text stays.
  const std::string text = combo_->Text();
  SendMessageW(Wnd(), CB_RESETCONTENT, 0, 0);
  combo_->SetText(text);
}

int TSkCustomComboBoxStrings::IndexOf(const std::string& S) const {
  const std::u16string text = Utf8ToUtf16(S);
  const LRESULT i =
      SendMessageW(Wnd(), CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text.c_str()));
  return i < 0 ? -1 : int(i);
}

void TSkCustomComboBoxStrings::SetUpdateState(bool Updating) {
  SendMessageW(Wnd(), WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
  if (!Updating) combo_->Refresh();
}

// ---- TSkCommonCombo ----

TSkCommonCombo::TSkCommonCombo(TComponent* AOwner)
    : TSkCustomListControl(AOwner), canvas_(std::make_unique<TControlCanvas>()) {
  canvas_->SetControl(this);
  ControlStyle() = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight};
  SetBounds(0, 0, 145, 22);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

TSkCommonCombo::~TSkCommonCombo() {
  Destroying();
  if (HandleAllocated()) DestroyHandle();
}

void TSkCommonCombo::Subclass(HWND Child, WNDPROC& Old) {
  SetPropW(Child, kComboProp, this);
  Old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TSkCommonCombo::ChildProc)));
}

void TSkCommonCombo::Unsubclass(HWND& Child, WNDPROC& Old) {
  if (Child && IsWindow(Child)) {
    if (GetWindowLongPtrW(Child, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TSkCommonCombo::ChildProc))
      SetWindowLongPtrW(Child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Old));
    RemovePropW(Child, kComboProp);
  }
  Child = nullptr;
  Old = nullptr;
}

void TSkCommonCombo::CreateWnd() {
  edit_ = list_ = nullptr;
  TSkCustomListControl::CreateWnd();
  SendMessageW(WindowHandle(), CB_LIMITTEXT, WPARAM(maxLength_), 0);
  if (IsOwnerDrawn()) SendMessageW(WindowHandle(), CB_SETITEMHEIGHT, 0, itemHeight_);
  COMBOBOXINFO info;
  if (GetComboBoxInfo(WindowHandle(), &info)) {
    if (info.hwndItem && info.hwndItem != info.hwndCombo) Subclass(edit_ = info.hwndItem, editOld_);
    if (info.hwndList) Subclass(list_ = info.hwndList, listOld_);
  }
  if (itemIndex_ >= 0) SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(itemIndex_), 0);
}

void TSkCommonCombo::DestroyWnd() {
  if (HandleAllocated()) itemIndex_ = int(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
  Unsubclass(edit_, editOld_);
  Unsubclass(list_, listOld_);
  TSkCustomListControl::DestroyWnd();
}

LRESULT TSkCommonCombo::ChildProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  auto* self = static_cast<TSkCommonCombo*>(GetPropW(Wnd, kComboProp));
  if (!self) return DefWindowProcW(Wnd, Msg, W, L);
  const bool isEdit = Wnd == self->edit_;
  WNDPROC old = isEdit ? self->editOld_ : self->listOld_;
  if (!old) return DefWindowProcW(Wnd, Msg, W, L);
  TMessage m{Msg, W, L, 0};
  if (Msg == WM_NCDESTROY) {
    // The child goes: give it its own procedure back first.
    m.Result = CallWindowProcW(old, Wnd, Msg, W, L);
    if (isEdit)
      self->Unsubclass(self->edit_, self->editOld_);
    else if (Wnd == self->list_)
      self->Unsubclass(self->list_, self->listOld_);
    return m.Result;
  }
  if (isEdit)
    self->EditMessage(m);
  else
    self->ChildMessage(m, Wnd, old);
  return m.Result;
}

void TSkCommonCombo::ChildMessage(TMessage& M, HWND Child, WNDPROC Old) {
  auto alive = AliveToken();
  switch (M.Msg) {
    // Keys reach the form first when it previews them, then the control.
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if ((M.WParam == VK_RETURN || M.WParam == VK_ESCAPE) && DroppedDown()) {
        SetDroppedDown(false);
        return;
      }
      if (DoKeyDown(M) || alive.expired()) return;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(M) || alive.expired()) return;
      break;
    case WM_CHAR:
      if (DoKeyPress(M) || alive.expired()) return;
      break;
    case WM_MOUSEMOVE: {
      POINT p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
      ::qv::ClientToScreen(Child, &p);
      const POINT c = ScreenToClient(p);
      MouseMove(KeysToShiftState(M.WParam), c.x, c.y);
      if (alive.expired()) return;
      break;
    }
    case WM_LBUTTONDBLCLK:
      DblClick();
      if (alive.expired()) return;
      break;
    default:
      break;
  }
  M.Result = CallWindowProcW(Old, Child, M.Msg, M.WParam, M.LParam);
}

void TSkCommonCombo::EditMessage(TMessage& M) {
  if (M.Msg == WM_SYSCOMMAND) {
    WndProc(M);
    return;
  }
  ChildMessage(M, edit_, editOld_);
  // A new font would leave the edit's margins to the font; the field keeps its own.
  if (M.Msg == WM_SETFONT && edit_) UpdateMargins();
}

void TSkCommonCombo::UpdateMargins() {
  SendMessageW(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
}

void TSkCommonCombo::SetMaxLength(int Value) {
  maxLength_ = std::max(0, Value);
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_LIMITTEXT, WPARAM(maxLength_), 0);
}

int TSkCommonCombo::ItemIndex() {
  if (!HandleAllocated() || ComponentState().Contains(csLoading)) return itemIndex_;
  return int(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
}

void TSkCommonCombo::SetItemIndex(int Value) {
  if (ComponentState().Contains(csLoading) || !HandleAllocated()) {
    itemIndex_ = Value;
    return;
  }
  if (ItemIndex() == Value) return;
  SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(Value), 0);
  itemIndex_ = Value;
  if (skinData_->Skinned()) Invalidate();
}

int TSkCommonCombo::ItemHeight() {
  if (IsOwnerDrawn() || !HandleAllocated()) return itemHeight_;
  return int(SendMessageW(WindowHandle(), CB_GETITEMHEIGHT, 0, 0));
}

void TSkCommonCombo::SetItemHeight(int Value) {
  if (Value < 1) return;
  itemHeight_ = Value;
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETITEMHEIGHT, 0, Value);
}

bool TSkCommonCombo::DroppedDown() {
  return HandleAllocated() && SendMessageW(WindowHandle(), CB_GETDROPPEDSTATE, 0, 0);
}

void TSkCommonCombo::SetDroppedDown(bool Value) {
  SendMessageW(Handle(), CB_SHOWDROPDOWN, Value, 0);
  if (HandleAllocated()) InvalidateRect(WindowHandle(), nullptr, FALSE);
}

void TSkCommonCombo::SelectAll() {
  if (HandleAllocated()) SendMessageW(WindowHandle(), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

bool TSkCommonCombo::FocusedInside() const {
  const HWND f = GetFocus();
  return f && (f == edit_ || f == list_);
}

RECT TSkCommonCombo::ButtonRect() {
  TSkinManager* m = skinData_->SkinManager();
  if (!skinData_->Skinned() || !m) return RECT{};
  const int glyph = m->GetMaskIndex(skinData_->SkinIndex, skinData_->SkinSection(), "GLYPHMASK");
  if (!m->IsValidImgIndex(glyph)) return RECT{};
  const SIZE s = m->GetMaskSize(glyph);  // one state: a third of the image's width
  const int w = s.cx, h = s.cy;
  const int top = (Height() - h) / 2;
  if (UseRightToLeftAlignment()) return RECT{0, top, w, top + h};
  return RECT{Width() - w, top, Width(), top + h};
}

void TSkCommonCombo::AdjustDropDown() {
  const int count = std::clamp(Items()->Count(), 1, std::max(1, dropDownCount_));
  SetWindowPos(WindowHandle(), nullptr, 0, 0, Width(), ItemHeight() * count + Height() + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void TSkCommonCombo::Change() {
  if (OnChange) OnChange(this);
}

void TSkCommonCombo::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TSkCommonCombo::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TSkCommonCombo::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TSkCommonCombo::PaintSkinned(HDC DC) {
  TSkinManager* m = skinData_->SkinManager();
  skinData_->InitCacheBmp();
  TBitmap* cache = skinData_->CacheBmp.get();
  TCacheInfo ci;
  GetParentCache(skinData_.get(), ci);
  if (ci.Ready) ci.X += Left(), ci.Y += Top();
  const bool hot = FocusedInside() || Focused() || skinData_->MouseAbove;
  PaintItem(skinData_.get(), ci, true, hot ? 1 : 0, cache, POINT{0, 0}, RECT{0, 0, Width(), Height()}, hot);
  PaintControlBorder(skinData_.get(), hot ? 1 : 0);
  COMBOBOXINFO info;
  const bool known = GetComboBoxInfo(WindowHandle(), &info);
  RECT button = ButtonRect();
  if (IsRectEmpty(&button) && known) button = info.rcButton;
  // The closed field: the selected item, drawn the owner-draw way.
  if (!Editable()) {
    RECT field{3, 3, button.left - 3, Height() - 3};
    if (UseRightToLeftAlignment()) field = RECT{button.right + 3, 3, Width() - 3, Height() - 3};
    if (field.right > field.left) DrawSelectedInField(cache->Canvas(), field);
  }
  const int glyph = m ? m->GetMaskIndex(skinData_->SkinIndex, skinData_->SkinSection(), "GLYPHMASK") : -1;
  const int state = DroppedDown() ? 2 : hot ? 1 : 0;
  if (m && m->IsValidImgIndex(glyph)) {
    const SIZE s = m->GetMaskSize(glyph);
    DrawSkinGlyph(cache,
                  POINT{button.left + (button.right - button.left - s.cx) / 2,
                        button.top + (button.bottom - button.top - s.cy) / 2},
                  state, 1, m->ma[size_t(glyph)]);
  } else {
    // No arrow image: a plain triangle in the skin's font colour.
    TCanvas* c = cache->Canvas();
    const int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
    c->Brush()->SetColor(Font()->Color());
    c->Pen()->SetColor(Font()->Color());
    c->Polygon({POINT{cx - 4, cy - 2}, POINT{cx + 4, cy - 2}, POINT{cx, cy + 2}});
  }
  if (!Enabled()) {
    TCacheInfo pc;
    GetParentCache(skinData_.get(), pc);
    if (pc.Ready) pc.X += Left(), pc.Y += Top();
    ApplyDisabledKind(cache, PaintDisabledKind(), Parent(), pc, POINT{0, 0});
  }
  const int saved = SaveDC(DC);
  if (edit_ && IsWindowVisible(edit_)) {
    // The edit child paints its own text.
    RECT er;
    GetWindowRect(edit_, &er);
    POINT tl{er.left, er.top}, br{er.right, er.bottom};
    ::qv::ScreenToClient(WindowHandle(), &tl);
    ::qv::ScreenToClient(WindowHandle(), &br);
    ExcludeClipRect(DC, tl.x, tl.y, br.x, br.y);
  }
  BitBlt(DC, 0, 0, Width(), Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
  RestoreDC(DC, saved);
  skinData_->BGChanged = false;
}

void TSkCommonCombo::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_PAINT:
      if (skinData_->Skinned() && ControlIsReady(this)) {
        // The platform paints its parts, the skin paints over them.
        TSkCustomListControl::WndProc(M);
        HDC dc = GetDC(WindowHandle());
        PaintSkinned(dc);
        ReleaseDC(WindowHandle(), dc);
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (!skinData_->Skinned()) {
        RECT r;
        ::qv::GetClientRect(WindowHandle(), &r);
        HBRUSH b = CreateSolidBrush(COLORREF(ColorToRGB(Color())));
        FillRect(reinterpret_cast<HDC>(M.WParam), &r, b);
        DeleteObject(b);
      }
      M.Result = 1;
      return;
    case WM_GETDLGCODE:
      TSkCustomListControl::WndProc(M);
      if (DroppedDown()) M.Result |= DLGC_WANTALLKEYS;
      return;
    case CM_CTL3DCHANGED:
      // The frame's look changed: paint it anew.
      TSkCustomListControl::WndProc(M);
      if (HandleAllocated())
        RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
      return;
    case CM_CANCELMODE:
      if (reinterpret_cast<TControl*>(M.LParam) != this && DroppedDown())
        SendMessageW(WindowHandle(), CB_SHOWDROPDOWN, FALSE, 0);
      break;
    default:
      break;
  }
  TSkCustomListControl::WndProc(M);
}

// ---- TSkCommonComboBox ----

TSkCommonComboBox::TSkCommonComboBox(TComponent* AOwner)
    : TSkCommonCombo(AOwner), items_(std::make_unique<TSkComboBoxStrings>(this)) {}

TSkCommonComboBox::~TSkCommonComboBox() = default;

void TSkCommonComboBox::CreateWnd() {
  const std::string text = Text();
  TSkCommonCombo::CreateWnd();
  if (!saved_) return;
  const int index = itemIndex_;
  for (int i = 0; i < saved_->Count(); ++i) items_->AddObject(saved_->Strings(i), saved_->Objects(i));
  saved_.reset();
  if (index >= 0 && index < items_->Count())
    SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(index), 0);
  else if (Editable() && !text.empty())
    SetText(text);
}

void TSkCommonComboBox::DestroyWnd() {
  if (HandleAllocated() && !ComponentState().Contains(csDestroying)) {
    saved_ = std::make_unique<TStringList>();
    for (int i = 0; i < items_->Count(); ++i) saved_->AddObject(items_->Strings(i), items_->Objects(i));
  }
  TSkCommonCombo::DestroyWnd();
}

void TSkCommonComboBox::CreateParams(TCreateParams& Params) {
  TSkCommonCombo::CreateParams(Params);
  CreateSubClass(Params, u"COMBOBOX");
  static const DWORD kStyles[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST, 0x13, 0x23};
  Params.Style |= WS_VSCROLL | CBS_HASSTRINGS | CBS_AUTOHSCROLL | kStyles[style_] | WS_TABSTOP;
  if (sorted_) Params.Style |= CBS_SORT;
  if (charCase_ == ecUpperCase) Params.Style |= CBS_UPPERCASE;
  if (charCase_ == ecLowerCase) Params.Style |= CBS_LOWERCASE;
  if (style_ != csSimple) Params.Height = ItemHeight() * dropDownCount_ + Height() + 2;
}

void TSkCommonComboBox::SetStyle(TComboBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  RecreateWnd();
}

void TSkCommonComboBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  RecreateWnd();
}

void TSkCommonComboBox::SetCharCase(TEditCharCase Value) {
  if (charCase_ == Value) return;
  charCase_ = Value;
  RecreateWnd();
}

void TSkCommonComboBox::AutoCompleteTyped() {
  const HWND editWnd = EditHandle(), listWnd = ListHandle();
  if (!editWnd) return;
  const int n = GetWindowTextLengthW(editWnd);
  std::u16string typed(size_t(n) + 1, u'\0');
  GetWindowTextW(editWnd, typed.data(), n + 1);
  typed.resize(size_t(n));
  DWORD start = 0, end = 0;
  SendMessageW(editWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (typed.empty() || end != DWORD(n)) return;  // only while typing at the end
  const LRESULT found =
      SendMessageW(WindowHandle(), CB_FINDSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(typed.c_str()));
  if (found >= 0) {
    SendMessageW(WindowHandle(), CB_SETCURSEL, WPARAM(found), 0);
    itemIndex_ = int(found);
    const std::string item = Items()->Strings(int(found));
    SetWindowTextW(editWnd, Utf8ToUtf16(item).c_str());
    SendMessageW(WindowHandle(), CB_SETEDITSEL, 0, MAKELPARAM(n, -1));
  } else if (listWnd) {
    // Nothing begins so: no item is selected, the typed text stays.
    SendMessageW(listWnd, LB_SETCURSEL, WPARAM(-1), 0);
    itemIndex_ = -1;
  }
}

void TSkCommonComboBox::EditMessage(TMessage& M) {
  const bool typed = M.Msg == WM_CHAR && M.WParam >= 32;
  TSkCommonCombo::EditMessage(M);
  // A character the form or the control took (cleared) typed nothing.
  if (typed && M.WParam != 0 && AutoComplete && Editable() && HandleAllocated()) AutoCompleteTyped();
}

void TSkCommonComboBox::HandleCommand(TMessage& M) {
  auto alive = AliveToken();
  switch (HIWORD(M.WParam)) {
    case CBN_SELCHANGE: {
      const int i = int(SendMessageW(WindowHandle(), CB_GETCURSEL, 0, 0));
      itemIndex_ = i;
      if (i >= 0) SetText(Items()->Strings(i));
      Click();
      if (!alive.expired()) Select();
      break;
    }
    case CBN_EDITCHANGE:
      if (ComponentState().Contains(csLoading)) break;
      if (skinData_->Skinned()) {
        RECT inner{3, 3, Width() - 3, Height() - 3};
        InvalidateRect(WindowHandle(), &inner, FALSE);
      }
      Change();
      break;
    case CBN_DROPDOWN:
      DropDown();
      if (!alive.expired() && HandleAllocated()) AdjustDropDown();
      break;
    case CBN_CLOSEUP:
      CloseUp();
      if (!alive.expired() && skinData_->Skinned()) Invalidate();
      break;
    case CBN_SETFOCUS:
      if (Editable())
        if (auto* form = GetParentForm(this)) form->SetFocusedControl(this);
      break;
    default:
      break;
  }
}

void TSkCommonComboBox::DrawItem(int Index, const RECT& Rect, TOwnerDrawState State) {
  if (OnDrawItem) return OnDrawItem(this, Index, Rect, State);
  DrawItemText(*canvas_, Rect, Items(), Index);
}

void TSkCommonComboBox::DrawSelectedInField(TCanvas* C, const RECT& R) {
  const int i = ItemIndex();
  C->Font()->Assign(Font());
  C->Brush()->SetStyle(bsClear);
  if (i < 0) return;
  RECT r = R;
  std::string text = Items()->Strings(i);
  C->TextRect(r, text, TTextFormat{tfLeft, tfVerticalCenter, tfSingleLine, tfEndEllipsis});
}

void TSkCommonComboBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      return HandleCommand(M);
    case CN_DRAWITEM:
      return DrawOwnerItem(this, *canvas_, M,
                           [this](int i, const RECT& r, TOwnerDrawState s) { DrawItem(i, r, s); });
    case CN_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
      int height = itemHeight_;
      if (Style() == csOwnerDrawVariable && int(mis->itemID) >= 0) {
        MeasureItem(int(mis->itemID), height);
        if (OnMeasureItem) OnMeasureItem(this, int(mis->itemID), height);
      }
      mis->itemHeight = UINT(std::max(1, height));
      M.Result = TRUE;
      return;
    }
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLOREDIT:
      return AnswerControlColours(this, M);
    default:
      break;
  }
  TSkCommonCombo::Dispatch(M);
}

}  // namespace qv
