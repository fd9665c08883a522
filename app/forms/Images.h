// TImages: the data module holding the program's image lists and pictures,
// all our own drawings compiled in from resources/app. The action lists hold
// 40 cells of 16x16: the drawn actions below, then free cells. The hot and
// disabled lists are made from the normal one when the module is created.
#pragma once
#include <memory>

#include "app/dialogs/ProgramIcon.h"
#include "classlib/controls/Forms.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "platform/Surface.h"

namespace qv {

// The image index of each action of the main window (SNorm, SHot and SDis).
enum TActionImage : int {
  iiScan = 0,         // actScan: add a disc
  iiNew = 1,          // actNew: new database
  iiOpen = 2,         // actOpen: open database
  iiAbort = 3,        // actAbort: stop
  iiSearch = 4,       // actSearch
  iiSettings = 5,     // actSettings
  iiHelp = 6,         // actHelp
  iiDel = 7,          // actDel: delete disc
  iiEdit = 8,         // actEdit: disc properties
  iiAbout = 9,        // actAbout
  iiTutor = 10,       // actTutor: how to
  iiConsCopy = 11,    // actConsCopy
  iiConsClear = 12,   // actConsClear
  iiClear = 13,       // actClear: clear database
  iiCatAdd = 14,      // actCatAdd
  iiCatEdit = 15,     // actCatEdit
  iiCatDel = 16,      // actCatDel
  iiBrowse = 17,      // actBrowse
  iiCompare = 18,     // actCompare
  iiRSave = 19,       // actRSave
  iiRCopy = 20,       // actRCopy
  iiRClear = 21,      // actRClear
  iiFileBOpen = 22,   // actFileBOpen: open in the browser
  iiFileEOpen = 23,   // actFileEOpen: open in the file manager
  iiFileBEOpen = 24,  // actFileBEOpen: open the browsed folder in the file manager
  iiHelpCont = 25,    // actHelpCont: help contents
};
inline constexpr int kDrawnActionImages = 26;
inline constexpr int kActionImageCount = 40;

// PageImages: the four pages of the main window.
enum TPageImage : int { piDiscs, piSearch, piBrowser, piReports };
// CatImages of the disc view: every category (plain, selected), a category (plain, selected).
enum TCategoryImage : int { ciAll, ciAllSelected, ciCategory, ciCategorySelected };
// ViewImages of the console: one per level.
enum TConsoleImage : int { viInfo, viWarning, viError, viFatal };
// The browser's images.
enum TBrowserImage : int {
  biCategory,
  biCategoryOpen,
  biDisc,
  biFolder,
  biFolderOpen,
  biFile,
  biEmptyDisc,
  biUp
};

// The resource names of the drawings.
namespace resname {
inline constexpr char Actions[] = "actions";
inline constexpr char Pages[] = "pages";
inline constexpr char Categories[] = "categories";
inline constexpr char Console[] = "console";
inline constexpr char Browser[] = "browser";
inline constexpr char Wizard[] = "wizard";
inline constexpr char Database[] = "database";
inline constexpr const char* Icon = kProgramIconResource;
}  // namespace resname

// The hot look of a strip: brighter. The disabled look: grey and paler.
// Transparent pixels stay transparent.
Surface HotLook(const Surface& normal);
Surface DisabledLook(const Surface& normal);

class TImages : public TDataModule {
 public:
  explicit TImages(TComponent* AOwner);

  TImageList* SNorm;
  TImageList* SHot;
  TImageList* SDis;
  TImageList* PageImages;
  TImageList* CatImages;
  TImageList* ViewImages;
  TImageList* BrowserImages;
  // The wizard's picture, the database dialog's symbol and the program icon.
  std::unique_ptr<TBitmap> WizardPicture;
  std::unique_ptr<TBitmap> BaseSymbol;
  std::unique_ptr<TBitmap> AppIcon;

 private:
  TImageList* NewList(const char* name);
};

extern TImages* Images;

}  // namespace qv
