// TCustomImageList: the component around an image list handle, with change
// links and the drawing styles of the class library.
#include "classlib/graphics/ImageList.h"

#include <algorithm>

#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/Canvas.h"
#include "classlib/graphics/Icon.h"

namespace qv {

namespace {
COLORREF ToColorRef(TColor c) {
  if (c == clNone) return CLR_NONE;
  if (c == clDefault) return CLR_DEFAULT;
  return COLORREF(ColorToRGB(c));
}
}  // namespace

// ---- TChangeLink ---------------------------------------------------------

TChangeLink::~TChangeLink() {
  if (Sender) Sender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(Sender);
}

// ---- TCustomImageList ----------------------------------------------------

TCustomImageList::TCustomImageList(TComponent* AOwner) : TCustomImageList(AOwner, 16, 16) {}

TCustomImageList::TCustomImageList(TComponent* AOwner, int AWidth, int AHeight)
    : TComponent(AOwner), width_(std::max(AWidth, 1)), height_(std::max(AHeight, 1)) {
  Recreate();
}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : links_) link->Sender = nullptr;
  links_.clear();
  ReleaseHandle();
}

void TCustomImageList::ReleaseHandle() {
  if (handle_ && owned_) ImageList_Destroy(handle_);
  handle_ = nullptr;
  owned_ = true;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
  if (Value == handle_) return;
  ReleaseHandle();
  if (!Value) return Recreate();
  handle_ = Value;
  owned_ = !ShareImages;
  int cx = 0, cy = 0;
  if (ImageList_GetIconSize(handle_, &cx, &cy)) width_ = cx, height_ = cy;
  bkColor_ = clNone;
  Change();
}

void TCustomImageList::Recreate() {
  // A borrowed list is left to its owner; the new one is our own.
  ReleaseHandle();
  handle_ = ImageList_Create(width_, height_, ILC_COLOR32 | ILC_MASK, AllocBy, AllocBy);
  ImageList_SetBkColor(handle_, ToColorRef(bkColor_));
}

int TCustomImageList::Count() const {
  return ImageList_GetImageCount(handle_);
}

void TCustomImageList::SetWidth(int Value) {
  SetSize(Value, height_);
}
void TCustomImageList::SetHeight(int Value) {
  SetSize(width_, Value);
}

void TCustomImageList::SetSize(int AWidth, int AHeight) {
  if (AWidth <= 0 || AHeight <= 0 || (AWidth == width_ && AHeight == height_)) return;
  width_ = AWidth;
  height_ = AHeight;
  if (owned_)
    ImageList_SetIconSize(handle_, width_, height_);
  else
    Recreate();  // a borrowed list keeps its images and size for its owner
  Change();
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  int index = ImageList_Add(handle_, Image->Handle(), Mask && !Mask->Empty() ? Mask->Handle() : nullptr);
  if (index < 0) throw EInvalidOperation("Failed to add image");
  Change();
  return index;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) return -1;
  if (MaskColor == clDefault) MaskColor = Image->TransparentColor();
  int index = ImageList_AddMasked(handle_, Image->Handle(), COLORREF(ColorToRGB(MaskColor)));
  if (index < 0) throw EInvalidOperation("Failed to add image");
  Change();
  return index;
}

int TCustomImageList::AddIcon(TIcon* Image) {
  if (!Image || Image->Empty()) return -1;
  int index = ImageList_AddIcon(handle_, Image->Handle());
  if (index < 0) throw EInvalidOperation("Failed to add image");
  Change();
  return index;
}

void TCustomImageList::AddImages(TCustomImageList* Value) {
  if (!Value || Value == this) return;
  BeginUpdate();
  for (int i = 0; i < Value->Count(); ++i) {
    Surface s;
    ImageList_GetSurface(Value->handle_, i, s);
    // Different cell sizes: keep the source image whole, cropped or padded.
    Surface cell(width_, height_, 0);
    for (int y = 0; y < std::min(height_, s.Height); ++y)
      for (int x = 0; x < std::min(width_, s.Width); ++x) cell.Set(x, y, s.At(x, y));
    ImageList_AddSurface(handle_, cell);
  }
  Change();
  EndUpdate();
}

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask) {
  if (!Image || !ImageList_Replace(handle_, Index, Image->Handle(), Mask ? Mask->Handle() : nullptr))
    throw EInvalidOperation("Failed to replace image");
  Change();
}

void TCustomImageList::Delete(int Index) {
  if (Index < -1 || Index >= Count()) throw EInvalidOperation("Image list index out of bounds");
  ImageList_Remove(handle_, Index);
  Change();
}

void TCustomImageList::Clear() {
  Delete(-1);
}

void TCustomImageList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  int n = Count();
  if (CurIndex < 0 || CurIndex >= n || NewIndex < 0 || NewIndex >= n)
    throw EInvalidOperation("Image list index out of bounds");
  std::vector<Surface> all(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) ImageList_GetSurface(handle_, i, all[size_t(i)]);
  Surface moved = all[size_t(CurIndex)];
  all.erase(all.begin() + CurIndex);
  all.insert(all.begin() + NewIndex, moved);
  ImageList_Remove(handle_, -1);
  for (auto& s : all) ImageList_AddSurface(handle_, s);
  Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  Draw(Canvas, X, Y, Index, DrawingStyle, ImageType, Enabled);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle,
                            TImageType AImageType, bool Enabled) {
  static constexpr UINT styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT style = styles[int(ADrawingStyle)];
  if (AImageType == itMask) style |= ILD_MASK;
  DoDraw(Index, Canvas, X, Y, style, Enabled);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, TOverlay Overlay,
                                   bool Enabled) {
  if (Overlay < 0 || Overlay > 14) return;
  static constexpr UINT styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  DoDraw(ImageIndex, Canvas, X, Y, styles[int(DrawingStyle)] | INDEXTOOVERLAYMASK(Overlay + 1), Enabled);
}

void TCustomImageList::DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT Style, bool Enabled) {
  if (!Canvas || Index < 0 || Index >= Count()) return;
  if (!Enabled) Style = (Style & ILD_OVERLAYMASK) | ILD_DISABLED;
  ImageList_DrawEx(handle_, Index, Canvas->Handle(), X, Y, 0, 0, ToColorRef(bkColor_), ToColorRef(BlendColor),
                   Style);
}

bool TCustomImageList::Overlay(int ImageIndex, TOverlay Overlay) {
  if (Overlay < 0 || Overlay > 14) return false;
  return ImageList_SetOverlayImage(handle_, ImageIndex, Overlay + 1) != FALSE;
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image) {
  if (!Image || Index < 0 || Index >= Count()) return false;
  Image->Assign(nullptr);
  Image->SetPixelFormat(pf24bit);
  Image->SetSize(width_, height_);  // a new bitmap is white: the clear pixels stay white
  ImageList_DrawEx(handle_, Index, Image->Canvas()->Handle(), 0, 0, 0, 0, ToColorRef(bkColor_), CLR_NONE,
                   ILD_NORMAL);
  return true;
}

bool TCustomImageList::GetIcon(int Index, TIcon* Image) {
  if (!Image) return false;
  HICON icon = ImageList_GetIcon(handle_, Index, ILD_NORMAL);
  if (!icon) return false;
  Image->SetHandle(icon);
  return true;
}

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == bkColor_) return;
  bkColor_ = Value;
  ImageList_SetBkColor(handle_, ToColorRef(Value));
  Change();
}

void TCustomImageList::BeginUpdate() {
  ++updateCount_;
}

void TCustomImageList::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0 && changed_) {
    changed_ = false;
    Change();
  }
}

void TCustomImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value) return;
  if (Value->Sender && Value->Sender != this) Value->Sender->UnRegisterChanges(Value);
  Value->Sender = this;
  if (std::find(links_.begin(), links_.end(), Value) == links_.end()) links_.push_back(Value);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* Value) {
  auto it = std::find(links_.begin(), links_.end(), Value);
  if (it == links_.end()) return;
  links_.erase(it);
  Value->Sender = nullptr;
}

void TCustomImageList::Change() {
  if (updateCount_ > 0) {
    changed_ = true;
    return;
  }
  // A link may unregister itself while told.
  auto links = links_;
  for (TChangeLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
  if (OnChange) OnChange(this);
}

void TCustomImageList::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCustomImageList*>(Source);
  if (!src) return TComponent::Assign(Source);
  if (src == this) return;
  BeginUpdate();
  width_ = src->width_;
  height_ = src->height_;
  bkColor_ = src->bkColor_;
  BlendColor = src->BlendColor;
  DrawingStyle = src->DrawingStyle;
  ImageType = src->ImageType;
  Masked = src->Masked;
  Recreate();
  AddImages(src);
  Change();
  EndUpdate();
}

}  // namespace qv
