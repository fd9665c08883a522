// The skin library's shared constants: the enumerated types the skinned
// controls publish, the skin command codes of SM_SKINCMD and the transparent
// key colour of skin images.
#pragma once
#include <cstdint>

#include "platform/Set.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

enum TSkAnimatEvent { aeMouseEnter, aeMouseLeave, aeMouseDown, aeMouseUp, aeGlobalDef };
using TSkAnimatEvents = Set<TSkAnimatEvent>;
enum TSkImgType : uint8_t { itisaBorder, itisaTexture, itisaGlyph };
enum TSkControlBevel : uint8_t { cbNone, cbRaisedSoft, cbLoweredSoft, cbRaisedHard, cbLoweredHard };
enum TSkHintStyle { hsSimply, hsComics, hsEllipse, hsBalloon, hsStandard, hsNone };
enum TSkHintsPredefinitions {
  shSimply,
  shGradient,
  shTransparent,
  shEllipse,
  shBalloon,
  shComicsGradient,
  shComicsTransparent,
  shStandard,
  shNone,
  shCustom
};
enum TSkDisabledGlyphKindItem { dgBlended, dgGrayed };
using TSkDisabledGlyphKind = Set<TSkDisabledGlyphKindItem>;
enum TSkDisabledKindItem { dkBlended, dkGrayed };
using TSkDisabledKind = Set<TSkDisabledKindItem>;
enum TSkCaptionLayout { sclLeft, sclTopLeft, sclTopCenter, sclTopRight };
enum TPopupWindowAlign { pwaRight, pwaLeft };
// Days of the calendars' weeks, Monday first; dowLocaleDefault: the locale's first day.
enum TCalDayOfWeek {
  dowMonday,
  dowTuesday,
  dowWednesday,
  dowThursday,
  dowFriday,
  dowSaturday,
  dowSunday,
  dowLocaleDefault
};
using TDaysOfWeek = Set<TCalDayOfWeek>;

// The transparent key colour of skin images, also "no colour" in colour variables.
constexpr TColor clSkinTransparent = 0xFF00FF;

// Skin command codes (high word of WParam of SM_SKINCMD).
enum SkinCommand : uint16_t {
  AC_SKINLOADED = 1,
  AC_SKINREMOVED = 2,
  AC_SKINAPPLIED = 3,
  AC_GETPROVIDER = 4,
  AC_GETCACHE = 5,
  AC_ENDUPDATE = 6,
  AC_CTRLHANDLED = 7,
  AC_SETUPDATING = 8,
  AC_SETCACHEFROZEN = 9,
  AC_PREPARING = 10,
  AC_PARTLYHIDDEN = 11,
  AC_BGCHANGEDIFTRANSP = 12,
  AC_SECTIONREDRAWN = 13,
  AC_CHILDREPAINTING = 15,
  AC_REPAINTNOW = 16,
  AC_BGCHANGED = 17,
  AC_BGNOTPLAIN = 19,
  AC_PARENTMOVED = 20,
  AC_GETBG = 21,
  AC_SETHIDDEN = 22,
  AC_FADESTART = 23,
  AC_FADEFRAME = 24,
};

}  // namespace qv
