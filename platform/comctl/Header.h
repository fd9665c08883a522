// The header window class ("SysHeader32"): column captions with images and
// sort arrows, resized by dragging their dividers and reordered by dragging
// the captions; its styles, HDM_* messages, HDN_* notifications and records.
#pragma once
#include "platform/comctl/CommCtrl.h"

namespace qv {

constexpr DWORD HDS_HORZ = 0x0, HDS_BUTTONS = 0x2, HDS_HOTTRACK = 0x4, HDS_HIDDEN = 0x8, HDS_DRAGDROP = 0x40,
                HDS_FULLDRAG = 0x80;

constexpr UINT HDM_FIRST = 0x1200;
constexpr UINT HDM_GETITEMCOUNT = HDM_FIRST + 0, HDM_DELETEITEM = HDM_FIRST + 2, HDM_LAYOUT = HDM_FIRST + 5,
               HDM_HITTEST = HDM_FIRST + 6, HDM_GETITEMRECT = HDM_FIRST + 7, HDM_SETIMAGELIST = HDM_FIRST + 8,
               HDM_GETIMAGELIST = HDM_FIRST + 9, HDM_INSERTITEMW = HDM_FIRST + 10,
               HDM_GETITEMW = HDM_FIRST + 11, HDM_SETITEMW = HDM_FIRST + 12,
               HDM_ORDERTOINDEX = HDM_FIRST + 15, HDM_GETORDERARRAY = HDM_FIRST + 17,
               HDM_SETORDERARRAY = HDM_FIRST + 18;
constexpr UINT HDM_GETITEM = HDM_GETITEMW, HDM_SETITEM = HDM_SETITEMW;

constexpr UINT HDN_FIRST = UINT(-300);
constexpr UINT HDN_ITEMCHANGINGW = HDN_FIRST - 20, HDN_ITEMCHANGEDW = HDN_FIRST - 21,
               HDN_ITEMCLICKW = HDN_FIRST - 22, HDN_ITEMDBLCLICKW = HDN_FIRST - 23,
               HDN_DIVIDERDBLCLICKW = HDN_FIRST - 25, HDN_BEGINTRACKW = HDN_FIRST - 26,
               HDN_ENDTRACKW = HDN_FIRST - 27, HDN_TRACKW = HDN_FIRST - 28, HDN_BEGINDRAG = HDN_FIRST - 10,
               HDN_ENDDRAG = HDN_FIRST - 11;
constexpr UINT HDN_ITEMCHANGING = HDN_ITEMCHANGINGW, HDN_ITEMCHANGED = HDN_ITEMCHANGEDW,
               HDN_DIVIDERDBLCLICK = HDN_DIVIDERDBLCLICKW, HDN_ENDTRACK = HDN_ENDTRACKW,
               HDN_TRACK = HDN_TRACKW;

constexpr UINT HDI_WIDTH = 0x1, HDI_HEIGHT = 0x1, HDI_TEXT = 0x2, HDI_FORMAT = 0x4, HDI_LPARAM = 0x8,
               HDI_IMAGE = 0x20, HDI_DI_SETITEM = 0x40, HDI_ORDER = 0x80;
constexpr int HDF_LEFT = 0x0, HDF_RIGHT = 0x1, HDF_CENTER = 0x2, HDF_JUSTIFYMASK = 0x3, HDF_RTLREADING = 0x4,
              HDF_SORTDOWN = 0x200, HDF_SORTUP = 0x400, HDF_IMAGE = 0x800, HDF_BITMAP_ON_RIGHT = 0x1000,
              HDF_STRING = 0x4000, HDF_OWNERDRAW = 0x8000;
constexpr UINT HHT_NOWHERE = 0x1, HHT_ONHEADER = 0x2, HHT_ONDIVIDER = 0x4, HHT_ONDIVOPEN = 0x8,
               HHT_ABOVE = 0x100, HHT_BELOW = 0x200, HHT_TORIGHT = 0x400, HHT_TOLEFT = 0x800;

struct HDITEMW {
  UINT mask = 0;
  int cxy = 0;
  char16_t* pszText = nullptr;
  HBITMAP hbm = nullptr;
  int cchTextMax = 0;
  int fmt = 0;
  LPARAM lParam = 0;
  int iImage = 0;
  int iOrder = 0;
};
using HDITEM = HDITEMW;

struct NMHEADERW {
  NMHDR hdr;
  int iItem = -1;
  int iButton = 0;
  HDITEMW* pitem = nullptr;
};
using NMHEADER = NMHEADERW;

struct HDHITTESTINFO {
  POINT pt;
  UINT flags = 0;
  int iItem = -1;
};

struct HDLAYOUT {
  RECT* prc = nullptr;
  WINDOWPOS* pwpos = nullptr;
};

}  // namespace qv
