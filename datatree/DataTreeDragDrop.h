// Drag and drop of the tree: the drag manager (drop source and drop target
// of one tree) and the alpha-blended drag image painted straight onto the
// screen, which keeps a copy of what lies under it.
#pragma once
#include "datatree/DataTreeTransferTypes.h"
#include "platform/gdi/Gdi.h"

namespace qv {

class TBaseDataTree;

class TDTDragManager final : public ComObject<IDTDragManager, IDropSource, IDropTarget> {
 public:
  static ComPtr<TDTDragManager> Create(TBaseDataTree* AOwner);
  ComPtr<IDataObject> GetDataObject() override;
  TBaseDataTree* GetDragSource() override { return dragSource_; }
  bool GetIsDropTarget() override { return isDropTarget_; }
  bool GetHelperAvailable() override { return false; }
  void LeaveHelperDrag() override {}
  TBaseDataTree* DragSource() const { return dragSource_; }
  bool IsDropTarget() const { return isDropTarget_; }
  void Detach() { owner_ = nullptr; }
  // The data object of the drag this tree started.
  void SetSourceDataObject(ComPtr<IDataObject> Data) { sourceData_ = std::move(Data); }

  HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT GiveFeedback(DWORD effect) override;
  HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

 private:
  explicit TDTDragManager(TBaseDataTree* AOwner) : owner_(AOwner) {}
  TBaseDataTree* owner_;
  TBaseDataTree* dragSource_ = nullptr;
  bool isDropTarget_ = false;
  ComPtr<IDataObject> dataObject_;
  ComPtr<IDataObject> sourceData_;
};

enum TDTDragImageAxisLock { dlNone, dlHorizontalOnly, dlVerticalOnly };

class TDTDragImage {
 public:
  explicit TDTDragImage(HWND Owner = nullptr) : owner_(Owner) {}
  ~TDTDragImage();
  TDTDragImage(const TDTDragImage&) = delete;
  TDTDragImage& operator=(const TDTDragImage&) = delete;

  // Source: a 32-bit bitmap, Origin: screen point of its top-left corner.
  void BeginImageDrag(HBITMAP Source, POINT Origin, POINT HotSpot);
  void EndImageDrag();
  void ShowImage();
  void HideImage();
  bool MoveImageTo(POINT P, bool ForceRepaint);
  bool ImageWouldMove(POINT P) const;
  RECT ImageScreenRect() const;
  bool Visible() const { return (flags_ & 15) == 6; }
  bool Active() const { return (flags_ & 6) == 6; }
  // Paints the tree's area R (client coordinates) into the saved copy under the
  // image, clipped by VisibleRegion (screen coordinates), while the image stays.
  void RefreshSavedScreen(TBaseDataTree* Tree, RECT R, HRGN VisibleRegion, bool CaptureNonClient,
                          bool ReshowImage);
  // The image's alpha at a pixel (after BeginImageDrag), for checks.
  uint8_t AlphaAt(int X, int Y) const;
  SIZE Size() const { return size_; }
  POINT Origin() const { return origin_; }

  uint8_t ImageAlpha = 128;
  int8_t BiasBefore = 0, BiasAfter = 0;
  bool FadeEdges = false;
  TDTDragImageAxisLock AxisLock = dlNone;
  TColor TransparentColor = clNone;

 private:
  void PaintImage(HDC Screen);
  HDC ScreenDC();
  // The part (X, Y, W, H) of the image's area taken from the screen, and given back.
  void Capture(HDC Fresh, int X, int Y, int W, int H);
  void Restore(int X, int Y, int W, int H);
  HDC FreshScreen() const;
  HDC screen_ = nullptr;
  void MakeAlphaChannel(HDC SourceDC);
  void FreeBitmaps();
  struct Buffer {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
  };
  void MakeBuffer(Buffer& b);
  void FreeBuffer(Buffer& b);
  HWND owner_;
  // saved_: the screen under the image as it is now (the blend's background);
  // base_: what the image's screen DC had there (given back where it leaves).
  Buffer saved_, base_, blend_, image_;
  SIZE size_{};
  POINT origin_{}, lastMouse_{};
  uint8_t flags_ = 0;
};

}  // namespace qv
