// Per-control skin data and the skin command receiver.
#include "skin/skCommonData.h"

#include <algorithm>

#include "classlib/controls/CustomControl.h"
#include "classlib/controls/WinControl.h"
#include "classlib/stdctrls/CustomEdit.h"
#include "classlib/stdctrls/Label.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "platform/window/Window.h"
#include "skin/skControlTree.h"
#include "skin/skMaskPaint.h"
#include "skin/skinManager.h"

namespace qv {

bool SkipGraphicChildren = false;
TSkBoundLabel::TLabelFactory TSkBoundLabel::LabelFactory = nullptr;

bool ClassCodeHasNoHot(int Code) {
  // Codes 256 and above always show the hot look; none below is listed here.
  (void)Code;
  return false;
}

std::string DefaultSectionOfClass(int Code) {
  switch (Code) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 10:
    case 41:
    case 76:
    case 78:
    case 83:
    case 84:
    case 96:
    case 97:
    case 131:
    case 140:
    case 227:
      return "EDIT";
    case 11:
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 18:
    case 81:
    case 82:
      return "COMBOBOX";
    case 19:
      return "BAR";
    case 20:
      return "BARTITLE";
    case 32:
      return "CHECKBOX";
    case 33:
      return "RADIOBUTTON";
    case 51:
    case 59:
    case 68:
    case 73:
      return "PANEL";
    case 52:
    case 58:
      return "PANEL_LOW";
    case 54:
    case 60:
      return "TOOLBAR";
    case 56:
      return "DRAGBAR";
    case 57:
      return "TABSHEET";
    case 74:
    case 226:
      return "GROUPBOX";
    case 75:
      return "SPLITTER";
    case 92:
    case 95:
      return "SPEEDBUTTON";
    case 93:
    case 94:
      return "BUTTON";
    case 98:
      return "TOOLBUTTON";
    case 141:
      return "PAGECONTROL";
    case 143:
      return "TABCONTROL";
    case 151:
      return "STATUSBAR";
    case 161:
      return "GAUGE";
    case 165:
      return "TRACKBAR";
    default:
      return "";
  }
}

TSkCommonData::TSkCommonData(TPersistent* AOwner, bool CreateCacheBmp)
    : OwnerControl(dynamic_cast<TControl*>(AOwner)), OwnerObject(AOwner) {
  if (CreateCacheBmp) CacheBmp = std::make_unique<TBitmap>(0, 0, pf24bit);
}

TSkCommonData::~TSkCommonData() {
  SkinIndex = BorderIndex = -1;
  OwnerControl = nullptr, OwnerObject = nullptr, skinManager_ = nullptr;
}

TSkinManager* TSkCommonData::SkinManager() const {
  return skinManager_ ? skinManager_ : DefaultManager;
}

void TSkCommonData::ForgetManager(TSkinManager* Manager) {
  if (skinManager_ == Manager) skinManager_ = nullptr;
}

bool TSkCommonData::OwnerDestroying() const {
  auto* c = dynamic_cast<TComponent*>(OwnerObject);
  return c && c->ComponentState().Contains(csDestroying);
}

bool TSkCommonData::Skinned(bool CheckActive) const {
  // The manager first: without one (the usual case) no cast is needed.
  TSkinManager* m = SkinManager();
  if (!m || !OwnerObject || OwnerDestroying()) return false;
  if (m->ComponentState().Contains(csDestroying)) return false;
  if (CheckActive && !m->SkinData()->Active) return false;
  return m->IsValidSkinIndex(SkinIndex);
}

void TSkCommonData::UpdateIndexes() {
  BGChanged = true;
  TSkinManager* m = SkinManager();
  SkinIndex = m ? m->GetSkinIndex(skinSection_) : -1;
  if (SkinIndex >= 0) BorderIndex = m->GetMaskIndex(SkinIndex, skinSection_, "BORDERSMASK");
}

// Tells the control (or a provider owner) whether it is skinned now.
void TSkCommonData::Announce() {
  TSkinManager* m = SkinManager();
  const WORD cmd = m && m->IsValidSkinIndex(SkinIndex) ? AC_SKINAPPLIED : AC_SKINREMOVED;
  if (OwnerControl) {
    if (OwnerControl->Parent() && !OwnerDestroying())
      OwnerControl->Perform(SM_SKINCMD, MakeSkinWParam(cmd), reinterpret_cast<LPARAM>(m));
  } else if (OwnerObject && !OwnerDestroying()) {
    if (auto* form = GetOwnerForm(dynamic_cast<TComponent*>(OwnerObject))) {
      TMessage msg{SM_SKINCMD, MakeSkinWParam(cmd), reinterpret_cast<LPARAM>(m), 0};
      SendToProvider(form, msg);
    }
  }
}

void TSkCommonData::SetSkinSection(const std::string& Value) {
  if (Value == skinSection_ && !skinSection_.empty()) return;
  skinSection_ = Value.empty() ? "UNKNOWN" : Value;
  TSkinManager* m = SkinManager();
  if (m && !m->gd.empty())
    UpdateIndexes();
  else
    SkinIndex = -1;
  Announce();
}

void TSkCommonData::SetSkinManager(TSkinManager* Value) {
  if (Value == skinManager_) return;
  skinManager_ = Value;
  TSkinManager* m = SkinManager();
  if (m && !m->gd.empty())
    UpdateIndexes();
  else
    SkinIndex = -1;
  Announce();
}

void TSkCommonData::ApplySectionColors() {
  if (!OwnerControl || !Skinned()) return;
  const TSkGeneralData& g = SkinManager()->gd[size_t(SkinIndex)];
  if (!customColor_ && OwnerControl->Color() != g.Color) OwnerControl->SetColor(g.Color);
  if (!customFont_ && OwnerControl->Font()->Color() != g.FontColor)
    OwnerControl->Font()->SetColor(g.FontColor);
}

bool IsEditClassControl(TControl* c) {
  return dynamic_cast<TCustomEdit*>(c) || dynamic_cast<ISkEditClass*>(c);
}

namespace {
bool IsEditClass(const TSkCommonData* d) {
  return d->OwnerControl && (IsEditClassControl(d->OwnerControl) || d->ClassCode == 97);
}
bool Loading(const TPersistent* o) {
  auto* c = dynamic_cast<const TComponent*>(o);
  return c && c->ComponentState().Contains(csLoading);
}
}  // namespace

void TSkCommonData::SetCustomColor(bool Value) {
  if (Value == customColor_) return;
  customColor_ = Value;
  if (Skinned() && IsEditClass(this) && !Loading(OwnerObject)) ApplySectionColors();
  Invalidate();
}

void TSkCommonData::SetCustomFont(bool Value) {
  if (Value == customFont_) return;
  customFont_ = Value;
  Invalidate();
}

void TSkCommonData::Loaded() {
  if (skinSection_.empty()) {
    std::string s = DefaultSectionOfClass(ClassCode);
    if (s.empty() && OwnerObject) s = OwnerObject->ClassName();
    SetSkinSection(s);
  } else {
    UpdateIndexes();
  }
  if (Skinned() && OwnerControl && OwnerControl->Parent() && IsEditClass(this) && !Loading(OwnerObject))
    ApplySectionColors();
}

void TSkCommonData::Invalidate() {
  if (OwnerDestroying() || Loading(OwnerObject)) return;
  BGChanged = true;
  if (ControlIsReady(OwnerControl)) OwnerControl->Invalidate();
}

bool TSkCommonData::GetUpdating() const {
  TSkinManager* m = SkinManager();
  if (!m || !m->SkinData()->Active) return true;
  if (!OwnerControl || OwnerDestroying()) return Updating;
  if (Updating) return true;
  TWinControl* p = OwnerControl->Parent();
  if (!p) return true;
  TMessage q{SM_SKINCMD, MakeSkinWParam(AC_PREPARING), 0, 0};
  if (p->WindowProc) p->WindowProc(q);
  return q.LParam == 1;
}

void TSkCommonData::InitCacheBmp() {
  if (!CacheBmp) CacheBmp = std::make_unique<TBitmap>(0, 0, pf24bit);
  if (CacheBmp->PixelFormat() != pf24bit) CacheBmp->SetPixelFormat(pf24bit);
  if (OwnerControl) CacheBmp->SetSize(OwnerControl->Width(), OwnerControl->Height());
}

bool TSkCommonData::ControlIsActive() const {
  if (!OwnerControl || OwnerDestroying() || !OwnerControl->Visible()) return false;
  if (OwnerControl->ComponentState().Contains(csDesigning)) return false;
  if (Focused) return true;
  if (auto* w = dynamic_cast<TWinControl*>(OwnerControl); w && w->Focused()) return true;
  return MouseAbove && !ClassCodeHasNoHot(ClassCode);
}

bool TSkCommonData::IsTransparent() const {
  TSkinManager* m = SkinManager();
  return SkinIndex >= 0 && m && m->IsValidSkinIndex(SkinIndex) && m->gd[size_t(SkinIndex)].Transparency >= 1;
}

bool TSkCommonData::RepaintIfMoved() const {
  if (!Skinned() || CacheFrozen || !OwnerControl) return true;
  if (OwnerControl->ControlState().Contains(csCreating) || !OwnerControl->Visible()) return true;
  TSkinManager* m = SkinManager();
  if (!m->IsValidSkinIndex(SkinIndex)) return false;
  if (!IsTransparent()) return false;
  TWinControl* p = OwnerControl->Parent();
  if (!p || !p->HandleAllocated()) return true;
  return QuerySkinCommand(p, AC_BGNOTPLAIN);
}

void GetParentCache(TSkCommonData* SkinData, TCacheInfo& CacheInfo) {
  CacheInfo = TCacheInfo{};
  SharedCacheInfo.Ready = false;
  if (!SkinData || !SkinData->OwnerControl || !SkinData->OwnerControl->Parent()) return;
  SendSkinCommand(SkinData->OwnerControl->Parent(), AC_GETCACHE);
  CacheInfo = SharedCacheInfo;
}

void BlitCacheToDC(TControl* Control, TSkCommonData* SkinData, int SrcX, int SrcY, int ChildOffsetX,
                   int ChildOffsetY, bool RepaintBorder, HDC DC, const RECT& DestRect) {
  if (!SkinData || !SkinData->CacheBmp) return;
  if (RepaintBorder) PaintControlBorder(SkinData, 0);
  int saved = SaveDC(DC);
  IntersectClipRect(DC, DestRect.left, DestRect.top, DestRect.right, DestRect.bottom);
  if (auto* w = dynamic_cast<TWinControl*>(Control)) {
    for (int i = 0; i < w->ControlCount(); ++i) {
      TControl* c = w->Controls(i);
      if (!c->Visible()) continue;
      const bool graphic = dynamic_cast<TGraphicControl*>(c) != nullptr;
      if (graphic && SkipGraphicChildren) continue;
      if (!graphic && !c->ControlStyle().Contains(csOpaque) && !c->ComponentState().Contains(csDesigning) &&
          !dynamic_cast<TWinControl*>(c))
        continue;
      RECT r = c->BoundsRect();
      OffsetRect(&r, ChildOffsetX, ChildOffsetY);
      RECT over;
      if (IntersectRect(&over, &r, &DestRect)) ExcludeClipRect(DC, r.left, r.top, r.right, r.bottom);
    }
  }
  BitBlt(DC, DestRect.left, DestRect.top, DestRect.right - DestRect.left, DestRect.bottom - DestRect.top,
         SkinData->CacheBmp->Canvas()->Handle(), SrcX, SrcY, SRCCOPY);
  RestoreDC(DC, saved);
}

namespace {

bool ManagerMatches(TSkCommonData* d, LPARAM l) {
  return reinterpret_cast<LPARAM>(d->SkinManager()) == l;
}

// Command 21: this control's background colour into SharedBgColor.
void AnswerBgColor(TSkCommonData* d) {
  TControl* c = d->OwnerControl;
  if (!d->Skinned()) {
    SharedBgColor = c ? ColorToRGB(c->Color()) : clSkinTransparent;
    return;
  }
  const TSkGeneralData& g = d->SkinManager()->gd[size_t(d->SkinIndex)];
  const int t = g.Transparency;
  if (t == 0) {
    SharedBgColor = g.Color;
    return;
  }
  TColor parent;
  TWinControl* p = c ? c->Parent() : nullptr;
  if (p) {
    SharedBgColor = clSkinTransparent;
    if (p->HandleAllocated()) SendMessage(p->WindowHandle(), SM_SKINCMD, MakeSkinWParam(AC_GETBG), 0);
    parent = SharedBgColor == clSkinTransparent ? ColorToRGB(p->Color()) : SharedBgColor;
  } else {
    parent = c ? ColorToRGB(c->Color()) : ColorToRGB(g.Color);
  }
  if (t == 100) {
    SharedBgColor = parent;
    return;
  }
  uint32_t r = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int o = (g.Color >> shift) & 0xFF, pp = (parent >> shift) & 0xFF;
    r |= uint32_t(std::clamp((o * 256 + t * (pp - o)) >> 8, 0, 255)) << shift;
  }
  SharedBgColor = TColor(r);
}

void ParentMoved(TSkCommonData* d, WORD Sub) {
  SharedMovedFlag = d->RepaintIfMoved();
  d->BGChanged = d->BGChanged || SharedMovedFlag;
  auto* w = dynamic_cast<TWinControl*>(d->OwnerControl);
  if (!w) return;
  if (Sub == 1 && w->HandleAllocated()) RedrawWindow(w->WindowHandle(), nullptr, nullptr, 0xB1);
  if (!SharedMovedFlag) return;
  // The children may answer by re-entering here: the index stays local.
  for (int i = 0; i < w->ControlCount(); ++i) {
    TControl* c = w->Controls(i);
    if (!c->ComponentState().Contains(csDestroying)) SendSkinCommand(c, AC_PARENTMOVED, 0);
  }
}

}  // namespace

bool HandleSkinCommand(TMessage& Message, TSkCommonData* d) {
  if (!d || Message.Msg != SM_SKINCMD) return false;
  const WORD cmd = Message.WParamHi(), sub = Message.WParamLo();
  if (cmd > 22) return false;
  switch (cmd) {
    case AC_SKINLOADED:
      if (ManagerMatches(d, Message.LParam)) {
        d->Updating = true;
        d->UpdateIndexes();
      }
      return false;
    case AC_SKINREMOVED:
      if (ManagerMatches(d, Message.LParam)) {
        auto* m = reinterpret_cast<TSkinManager*>(Message.LParam);
        if (m && m->ComponentState().Contains(csDestroying)) d->ForgetManager(m);
        d->SkinIndex = d->BorderIndex = -1;
        d->Updating = true;
        if (d->CacheBmp) d->CacheBmp->SetSize(0, 0);
        if (d->OwnerControl && IsEditClassControl(d->OwnerControl)) {
          if (!d->CustomColor()) d->OwnerControl->SetColor(clWindow);
          if (!d->CustomFont()) d->OwnerControl->Font()->SetColor(clWindowText);
        }
      }
      return false;
    case AC_SKINAPPLIED:
      if (ManagerMatches(d, Message.LParam)) {
        d->BGChanged = true;
        d->Updating = false;
        if (d->Skinned() && d->OwnerControl && IsEditClassControl(d->OwnerControl)) d->ApplySectionColors();
      }
      return false;
    case AC_GETCACHE:
      SharedCacheInfo.Ready = false;
      if (d->CacheBmp) SharedCacheInfo = TCacheInfo{d->CacheBmp.get(), 0, 0, true};
      return false;
    case AC_CTRLHANDLED:
      Message.LParam = 1;
      return true;
    case AC_SETUPDATING:
      d->Updating = sub == 1;
      return false;
    case AC_SETCACHEFROZEN:
      d->CacheFrozen = sub == 1;
      return false;
    case AC_PREPARING:
      Message.LParam = (d->BGChanged || d->GetUpdating()) ? 1 : 0;
      return true;
    case AC_PARTLYHIDDEN:
      Message.LParam = d->PartlyHidden ? 1 : 0;
      return true;
    case AC_BGCHANGEDIFTRANSP:
      if (d->IsTransparent() && sub == 1) d->BGChanged = true;
      return false;
    case AC_SECTIONREDRAWN:
      return false;  // the shared section name is never set in this program
    case AC_CHILDREPAINTING:
      d->RepaintingChild = reinterpret_cast<TControl*>(Message.LParam);
      return false;
    case AC_BGCHANGED:
      d->BGChanged = true;
      return false;
    case AC_BGNOTPLAIN: {
      if (d->SkinIndex < 0) return false;
      TSkinManager* m = d->SkinManager();
      if (!m || !m->IsValidSkinIndex(d->SkinIndex)) return false;
      const TSkGeneralData& g = m->gd[size_t(d->SkinIndex)];
      Message.LParam = (g.GradientPercent + g.ImagePercent > 0) ? 1 : (d->RepaintIfMoved() ? 1 : 0);
      return true;
    }
    case AC_PARENTMOVED:
      ParentMoved(d, sub);
      return false;
    case AC_GETBG:
      AnswerBgColor(d);
      return true;
    case AC_SETHIDDEN:
      d->PartlyHidden = true;
      return false;
    default:
      return false;
  }
}

bool SkinWndProc(TMessage& Message, TSkCommonData* d) {
  if (!d) return false;
  if (Message.Msg == SM_SKINCMD) return HandleSkinCommand(Message, d);
  TControl* c = d->OwnerControl;
  // Cast only for the messages that use it: every message of every skinned
  // control passes here, and a tree filling itself sends many.
  auto win = [c] { return dynamic_cast<TWinControl*>(c); };
  switch (Message.Msg) {
    case WM_MOVE:
      if (c && d->RepaintIfMoved()) c->Perform(SM_SKINCMD, MakeSkinWParam(AC_PARENTMOVED, 1), 0);
      return false;
    case WM_SIZE:
      if (d->Skinned()) {
        d->BGChanged = true;
        TSkinManager* m = d->SkinManager();
        TWinControl* w = win();
        if (w && m->gd[size_t(d->SkinIndex)].GradientPercent >= 1) {
          for (int i = 0; i < w->ControlCount(); ++i) {
            TControl* ch = w->Controls(i);
            if (ch->ComponentState().Contains(csDestroying)) continue;
            if (ch->Anchors().Contains(akRight) || ch->Anchors().Contains(akBottom)) continue;
            SendSkinCommand(ch, AC_PARENTMOVED, 1);
          }
        }
      }
      return false;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (TWinControl* w = win(); w && w->CanFocus() && w->TabStop()) {
        d->BGChanged = true;
        d->Focused = Message.Msg == WM_SETFOCUS;
      }
      return false;
    case 0x001D:
    case CM_ENABLEDCHANGED:
      d->Focused = false, d->MouseAbove = false;
      return false;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      if (c && !c->ComponentState().Contains(csDesigning) && !ClassCodeHasNoHot(d->ClassCode))
        d->MouseAbove = Message.Msg == CM_MOUSEENTER;
      return false;
    case WM_UPDATEUISTATE:
      return d->Skinned();  // no focus cues over the skin; themes are never active here
    default:
      return false;
  }
}

TSkLabelPlace PlaceBoundLabel(TSkCaptionLayout Layout, int Indent, int MaxWidth, const RECT& Control,
                              SIZE Label) {
  const int L = Control.left, T = Control.top, W = Control.right - Control.left,
            H = Control.bottom - Control.top;
  TSkLabelPlace p;
  switch (Layout) {
    case sclLeft:
      p.Left = L - Label.cx - 4 - Indent, p.Top = T + (H - Label.cy) / 2 - 1;
      break;
    case sclTopLeft:
      p.Left = L, p.Top = T - Label.cy - Indent;
      break;
    case sclTopCenter:
      p.Left = L + (W - Label.cx) / 2, p.Top = T - Label.cy - Indent;
      break;
    case sclTopRight:
      p.Left = L + W - Label.cx, p.Top = T - Label.cy - Indent;
      break;
  }
  if (MaxWidth != 0) p.Width = MaxWidth, p.Height = std::max<int>(Label.cy, H);
  return p;
}

TSkBoundLabel::TSkBoundLabel(TSkCommonData* SkinData) : skinData_(SkinData) {}

TSkBoundLabel::~TSkBoundLabel() {
  SetActive(false);
}

void TSkBoundLabel::SetActive(bool Value) {
  if (Value == Active()) return;
  TControl* owner = skinData_ ? skinData_->OwnerControl : nullptr;
  if (!Value) {
    delete label_;
    label_ = nullptr;
    return;
  }
  if (!owner || !LabelFactory) return;
  label_ = LabelFactory(this, owner);
  if (!label_) return;
  label_->SetVisible(false);
  label_->SetParent(owner->Parent());
  label_->SetName(owner->Name() + "Label");
  if (caption_.empty()) caption_ = owner->Name();
  label_->SetCaption(caption_);
  label_->SetVisible(owner->Visible() || owner->ComponentState().Contains(csDesigning));
  label_->SetEnabled(owner->Enabled());
  ApplyLayoutAlignment();
  AlignLabel();
}

void TSkBoundLabel::SetCaption(const std::string& Value) {
  caption_ = Value;
  if (label_) label_->SetCaption(Value), AlignLabel();
}

void TSkBoundLabel::SetIndent(int Value) {
  indent_ = Value;
  if (label_) AlignLabel();
}

void TSkBoundLabel::SetMaxWidth(int Value) {
  maxWidth_ = Value;
  if (label_) AlignLabel();
}

void TSkBoundLabel::SetLayout(TSkCaptionLayout Value) {
  layout_ = Value;
  ApplyLayoutAlignment();
  if (label_) AlignLabel();
}

// The label's text lines up with the control: right-justified beside it,
// otherwise as it sits above it.
void TSkBoundLabel::ApplyLayoutAlignment() {
  static const TAlignment kByLayout[4] = {taRightJustify, taLeftJustify, taCenter, taRightJustify};
  if (auto* l = dynamic_cast<TCustomLabel*>(label_)) l->SetAlignment(kByLayout[int(layout_) & 3]);
}

TFont* TSkBoundLabel::Font() {
  return label_ ? label_->Font() : &font_;
}

// Without a label the font is kept and given to the label when it is made.
void TSkBoundLabel::SetFont(TFont* Value) {
  font_.Assign(Value);
  if (!label_) return;
  label_->Font()->Assign(Value);
  label_->SetParentFont(false);
  AlignLabel();
}

void TSkBoundLabel::AlignLabel() {
  TControl* owner = skinData_ ? skinData_->OwnerControl : nullptr;
  if (!label_ || !owner || !label_->Visible()) return;
  if (auto* l = dynamic_cast<TCustomLabel*>(label_)) l->SetAutoSize(true);
  TSkLabelPlace p = PlaceBoundLabel(layout_, indent_, maxWidth_, owner->BoundsRect(),
                                    SIZE{label_->Width(), label_->Height()});
  label_->SetBounds(p.Left, p.Top, p.Width < 0 ? label_->Width() : p.Width,
                    p.Height < 0 ? label_->Height() : p.Height);
}

}  // namespace qv
