// TIcon: a small 32-bit image with alpha (or a mask turned into alpha),
// drawn by blending. The pixels are the master copy; the icon handle is made
// from them when first asked for and dropped whenever they change.
#pragma once
#include <string_view>

#include "classlib/graphics/Graphic.h"
#include "platform/Surface.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

class TBitmap;

class TIcon : public TGraphic {
 public:
  TIcon() = default;
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  // The icon handle (owned by this object); null while the icon is empty.
  HICON Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Takes ownership of Value and reads its pixels.
  void SetHandle(HICON Value);
  // Hands the handle over to the caller: the icon keeps its pixels but no longer owns it.
  HICON ReleaseHandle();

  void Draw(TCanvas* ACanvas, const RECT& Rect) override;
  int Width() const override { return pixels_.Width; }
  int Height() const override { return pixels_.Height; }
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  bool Empty() const override { return pixels_.Width == 0 || pixels_.Height == 0; }
  bool Transparent() const override { return true; }

  // PNG or BMP data (a 24-bit image becomes opaque; a .ico file is not read).
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;  // PNG with alpha
  void LoadFromResourceName(HINSTANCE Instance, std::string_view ResName);
  void Assign(TPersistent* Source) override;  // an icon, or a bitmap (its transparent colour clear)

  // Straight (not premultiplied) 0xAARRGGBB pixels.
  const Surface& Pixels() const { return pixels_; }
  void SetPixels(const Surface& Value);
  // An opaque-only copy on a background colour.
  void AssignToBitmap(TBitmap* Dest, TColor Background);

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  void FreeHandle();
  Surface pixels_;
  HICON handle_ = nullptr;
};

}  // namespace qv
