// Image lists as handles: a list of equally sized images, each with its own
// transparency, drawn into any DC normally, blended, as a mask, greyed or with
// an overlay. HIMAGELIST values are checked on use: a stale handle is a
// failure result. TImageList wraps one of these.
#pragma once
#include "platform/Surface.h"
#include "platform/gdi/GdiTypes.h"

namespace qv {

// ImageList_Create flags.
constexpr UINT ILC_MASK = 0x0001, ILC_COLOR = 0x0000, ILC_COLORDDB = 0x00FE, ILC_COLOR4 = 0x0004,
               ILC_COLOR16 = 0x0010, ILC_COLOR24 = 0x0018, ILC_COLOR32 = 0x0020;
// Drawing styles.
constexpr UINT ILD_NORMAL = 0x0000, ILD_TRANSPARENT = 0x0001, ILD_BLEND25 = 0x0002, ILD_BLEND50 = 0x0004,
               ILD_MASK = 0x0010, ILD_IMAGE = 0x0020, ILD_ROP = 0x0040, ILD_OVERLAYMASK = 0x0F00,
               ILD_FOCUS = ILD_BLEND25, ILD_SELECTED = ILD_BLEND50, ILD_BLEND = ILD_BLEND50;
constexpr UINT INDEXTOOVERLAYMASK(int i) {
  return UINT(i) << 8;
}
constexpr COLORREF CLR_NONE = 0xFFFFFFFF, CLR_DEFAULT = 0xFF000000;
// Drawing styles of our own: the disabled (greyed, embossed) look.
constexpr UINT ILD_DISABLED = 0x00010000;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST himl);
// Adds the image cells of a strip (its width divided by cx). mask: a 1-bit
// bitmap, 1 = transparent; null = every pixel opaque (a 32-bit image keeps its
// alpha). The index of the first image added, -1 on failure.
int ImageList_Add(HIMAGELIST himl, HBITMAP image, HBITMAP mask);
// Pixels of colour `mask` become transparent.
int ImageList_AddMasked(HIMAGELIST himl, HBITMAP image, COLORREF mask);
// Straight 0xAARRGGBB pixels of one or more cells; alpha 0 = transparent.
int ImageList_AddSurface(HIMAGELIST himl, const Surface& strip);
BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP image, HBITMAP mask);
// Icons go in and out as copies. i = -1 appends; the index, or -1 on failure.
int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON icon);
inline int ImageList_AddIcon(HIMAGELIST himl, HICON icon) {
  return ImageList_ReplaceIcon(himl, -1, icon);
}
// A new icon of image i (the caller destroys it); null on failure.
HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
BOOL ImageList_Remove(HIMAGELIST himl, int i);  // -1 removes every image
int ImageList_GetImageCount(HIMAGELIST himl);
BOOL ImageList_SetImageCount(HIMAGELIST himl, UINT count);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy);  // removes every image
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
COLORREF ImageList_GetBkColor(HIMAGELIST himl);
// Makes image `image` overlay number `overlay` (1..15).
BOOL ImageList_SetOverlayImage(HIMAGELIST himl, int image, int overlay);
BOOL ImageList_Copy(HIMAGELIST dest, int iDst, HIMAGELIST src, int iSrc, UINT flags);
// A copy of one image's straight pixels.
BOOL ImageList_GetSurface(HIMAGELIST himl, int i, Surface& out);

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdc, int x, int y, UINT fStyle);
// rgbBk: the background for a non-transparent draw (CLR_DEFAULT = the list's
// background colour, CLR_NONE = transparent). rgbFg: the blend colour
// (CLR_DEFAULT = the highlight colour). dx/dy: 0 = the image size (drawn
// cropped, not stretched).
BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdc, int x, int y, int dx, int dy, COLORREF rgbBk,
                      COLORREF rgbFg, UINT fStyle);

}  // namespace qv
