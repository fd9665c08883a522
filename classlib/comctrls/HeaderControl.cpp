// THeaderControl and its sections.
#include "classlib/comctrls/HeaderControl.h"

#include <algorithm>
#include <vector>

#include "platform/Utf.h"
#include "platform/window/MessageQueue.h"

namespace qv {

THeaderSection::THeaderSection(TCollection* Collection) : TCollectionItem(nullptr) {
  SetCollection(Collection);
}

THeaderControl* THeaderSection::Header() const {
  auto* c = static_cast<THeaderSections*>(Collection());
  return c ? c->Owner() : nullptr;
}

void THeaderSection::Send() const {
  THeaderControl* h = Header();
  if (!h || !h->HandleAllocated()) return;
  std::u16string text = Utf8ToUtf16(text_);
  HDITEMW it;
  it.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT | HDI_IMAGE;
  it.pszText = text.data();
  it.cxy = width_;
  it.fmt = HDF_STRING |
           (alignment_ == taRightJustify ? HDF_RIGHT
            : alignment_ == taCenter     ? HDF_CENTER
                                         : HDF_LEFT) |
           (imageIndex_ >= 0 ? HDF_IMAGE : 0);
  it.iImage = imageIndex_;
  bool was = h->sending_;
  h->sending_ = true;
  SendMessageW(h->WindowHandle(), HDM_SETITEMW, WPARAM(Index()), LPARAM(&it));
  h->sending_ = was;
}

void THeaderSection::SetText(const std::string& Value) {
  text_ = Value;
  Send();
}

int THeaderSection::Width() const {
  THeaderControl* h = Header();
  if (!h || !h->HandleAllocated()) return width_;
  HDITEMW it;
  it.mask = HDI_WIDTH;
  SendMessageW(h->WindowHandle(), HDM_GETITEMW, WPARAM(Index()), LPARAM(&it));
  return it.cxy;
}

void THeaderSection::SetWidth(int Value) {
  width_ = std::clamp(Value, MinWidth, MaxWidth);
  Send();
}

int THeaderSection::Left() const {
  THeaderControl* h = Header();
  if (!h || !h->HandleAllocated()) {
    int x = 0;
    for (int i = 0; i < Index(); ++i) x += static_cast<THeaderSections*>(Collection())->Items(i)->width_;
    return x;
  }
  RECT r;
  SendMessageW(h->WindowHandle(), HDM_GETITEMRECT, WPARAM(Index()), LPARAM(&r));
  return r.left;
}

void THeaderSection::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Send();
}

void THeaderSection::SetImageIndex(int Value) {
  imageIndex_ = Value;
  Send();
}

THeaderSections::THeaderSections(THeaderControl* AOwner)
    : TCollection(TCollection::ItemClass<THeaderSection>(), AOwner), owner_(AOwner) {}

void THeaderSections::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  TCollection::Notify(Item, Action);
  if (!owner_->HandleAllocated()) return;
  HWND h = owner_->WindowHandle();
  if (Action == cnAdded) {
    HDITEMW it;
    it.mask = HDI_WIDTH;
    it.cxy = static_cast<THeaderSection*>(Item)->width_;
    SendMessageW(h, HDM_INSERTITEMW, WPARAM(Item->Index()), LPARAM(&it));
    static_cast<THeaderSection*>(Item)->Send();
  } else {
    SendMessageW(h, HDM_DELETEITEM, WPARAM(Item->Index()), 0);
  }
}

THeaderControl::THeaderControl(TComponent* AOwner)
    : TWinControl(AOwner), sections_(std::make_unique<THeaderSections>(this)), images_([this](HIMAGELIST h) {
        if (HandleAllocated()) SendMessageW(WindowHandle(), HDM_SETIMAGELIST, 0, LPARAM(h));
      }) {
  SetBounds(Left(), Top(), 250, 17);
  SetAlign(alTop);
  SetColor(clBtnFace);
}

void THeaderControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateCommonSubClass(Params, WC_HEADER);
  Params.Style |= HDS_BUTTONS | HDS_FULLDRAG | HDS_DRAGDROP | (hotTrack_ ? HDS_HOTTRACK : 0);
}

void THeaderControl::CreateWnd() {
  TWinControl::CreateWnd();
  HWND h = WindowHandle();
  for (int i = 0; i < sections_->Count(); ++i) {
    HDITEMW it;
    it.mask = HDI_WIDTH;
    SendMessageW(h, HDM_INSERTITEMW, WPARAM(i), LPARAM(&it));
    sections_->Items(i)->Send();
  }
  images_.Resend();
}

void THeaderControl::SetHotTrack(bool Value) {
  hotTrack_ = Value;
  if (!HandleAllocated()) return;
  LONG_PTR s = GetWindowLongPtrW(WindowHandle(), GWL_STYLE);
  SetWindowLongPtrW(WindowHandle(), GWL_STYLE, Value ? s | HDS_HOTTRACK : s & ~LONG_PTR(HDS_HOTTRACK));
}

void THeaderControl::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove) images_.Forget(AComponent);
}

void THeaderControl::Notify(TMessage& M) {
  auto* nm = reinterpret_cast<NMHEADERW*>(M.LParam);
  M.Result = 0;
  if (sending_) return;
  THeaderSection* section =
      nm->iItem >= 0 && nm->iItem < sections_->Count() ? sections_->Items(nm->iItem) : nullptr;
  switch (nm->hdr.code) {
    case HDN_ITEMCLICKW:
      if (section && section->AllowClick && OnSectionClick) OnSectionClick(this, section);
      return;
    case HDN_BEGINTRACKW:
    case HDN_TRACKW:
    case HDN_ENDTRACKW: {
      if (!section || !nm->pitem) return;
      // The section's limits hold while it is dragged.
      nm->pitem->cxy = std::clamp(nm->pitem->cxy, section->MinWidth, section->MaxWidth);
      TSectionTrackState state = nm->hdr.code == HDN_BEGINTRACKW ? tsTrackBegin
                                 : nm->hdr.code == HDN_TRACKW    ? tsTrackMove
                                                                 : tsTrackEnd;
      if (OnSectionTrack) OnSectionTrack(this, section, nm->pitem->cxy, state);
      return;
    }
    case HDN_ITEMCHANGINGW:
      if (section && nm->pitem && (nm->pitem->mask & HDI_WIDTH))
        nm->pitem->cxy = std::clamp(nm->pitem->cxy, section->MinWidth, section->MaxWidth);
      return;
    case HDN_ITEMCHANGEDW:
      if (section && nm->pitem && (nm->pitem->mask & HDI_WIDTH)) {
        section->width_ = nm->pitem->cxy;
        if (OnSectionResize) OnSectionResize(this, section);
      }
      return;
    case HDN_BEGINDRAG:
      M.Result = DragReorder ? 0 : 1;
      return;
    case HDN_ENDDRAG: {
      if (!section || !nm->pitem) return;
      int to = nm->pitem->iOrder;
      bool allow = true;
      THeaderSection* target = to >= 0 && to < sections_->Count() ? sections_->Items(to) : nullptr;
      if (OnSectionDrag) OnSectionDrag(this, section, target, allow);
      if (!allow) {
        M.Result = 1;
        return;
      }
      // The sections move in the collection; the window keeps the identity order.
      M.Result = 1;
      section->SetIndex(to);
      std::vector<int> identity(size_t(sections_->Count()));
      for (size_t i = 0; i < identity.size(); ++i) identity[i] = int(i);
      for (int i = 0; i < sections_->Count(); ++i) sections_->Items(i)->Send();
      SendMessageW(WindowHandle(), HDM_SETORDERARRAY, identity.size(), LPARAM(identity.data()));
      if (OnSectionEndDrag) OnSectionEndDrag(this, section);
      return;
    }
  }
}

void THeaderControl::Dispatch(TMessage& M) {
  if (M.Msg == CN_NOTIFY) return Notify(M);
  TWinControl::Dispatch(M);
}

}  // namespace qv
