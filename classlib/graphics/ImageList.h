// TImageList: a component holding a list of equally sized images (an image
// list handle), with masked and transparent adding, drawing in the normal,
// blended, mask and disabled looks, overlays, and change links that let
// controls repaint when the list changes.
#pragma once
#include <vector>

#include "classlib/Component.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

class TBitmap;
class TCanvas;
class TIcon;
class TCustomImageList;

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };
using TOverlay = int;

// A client's link to an image list: it hears of every change through OnChange.
class TChangeLink : public TObject {
 public:
  TChangeLink() = default;
  ~TChangeLink() override;  // unregisters from Sender
  TCustomImageList* Sender = nullptr;
  TNotifyEvent OnChange;
  void Change();
};

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* AOwner);
  TCustomImageList(TComponent* AOwner, int AWidth, int AHeight);
  ~TCustomImageList() override;

  HIMAGELIST Handle() const { return handle_; }
  // Takes Value as the list (its image size too). With ShareImages the list
  // is only borrowed (the shell's system image list): it is never destroyed
  // here, and a new size makes an own list again instead of clearing it.
  void SetHandle(HIMAGELIST Value);
  bool HandleAllocated() const { return handle_ != nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int Value);  // a new size clears the list
  void SetHeight(int Value);
  void SetSize(int AWidth, int AHeight);
  int Count() const;

  // Adds the cells of Image (a strip of Width-wide cells); Mask (may be null):
  // white = transparent. The index of the first one added.
  int Add(TBitmap* Image, TBitmap* Mask);
  // Pixels of MaskColor become transparent.
  int AddMasked(TBitmap* Image, TColor MaskColor);
  int AddIcon(TIcon* Image);
  // Adds every cell of the images, like Add, for each.
  void AddImages(TCustomImageList* Value);
  void Replace(int Index, TBitmap* Image, TBitmap* Mask);
  void Delete(int Index);
  void Clear();
  void Move(int CurIndex, int NewIndex);

  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
  void Draw(TCanvas* Canvas, int X, int Y, int Index, TDrawingStyle ADrawingStyle, TImageType AImageType,
            bool Enabled = true);
  void DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, TOverlay Overlay, bool Enabled = true);
  // Makes image ImageIndex overlay number Overlay (0..14).
  bool Overlay(int ImageIndex, TOverlay Overlay);
  // The image on a Width x Height bitmap, transparent pixels in BkColor (or
  // white with clNone).
  bool GetBitmap(int Index, TBitmap* Image);
  bool GetIcon(int Index, TIcon* Image);

  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor Value);
  TColor BlendColor = clNone;  // clNone draws focus and selection in the highlight colour
  TDrawingStyle DrawingStyle = dsNormal;
  TImageType ImageType = itImage;
  bool Masked = true;
  bool ShareImages = false;
  int AllocBy = 4;

  void BeginUpdate();
  void EndUpdate();  // the last one reports one change
  void RegisterChanges(TChangeLink* Value);
  void UnRegisterChanges(TChangeLink* Value);
  TNotifyEvent OnChange;
  void Assign(TPersistent* Source) override;

 protected:
  virtual void Change();
  virtual void DoDraw(int Index, TCanvas* Canvas, int X, int Y, UINT Style, bool Enabled);

 private:
  void Recreate();

  void ReleaseHandle();

  HIMAGELIST handle_ = nullptr;
  bool owned_ = true;  // false for a list taken by SetHandle with ShareImages
  int width_ = 16, height_ = 16;
  TColor bkColor_ = clNone;
  int updateCount_ = 0;
  bool changed_ = false;
  std::vector<TChangeLink*> links_;  // not owned
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
};

}  // namespace qv
