// What the views share: row records constructed in a node's data and
// destroyed with the node, the header-click sort rule, column widths kept in
// the settings, the text and number comparisons of the compare handlers, the
// joining of a chosen folder with a stored path, and batches of added rows
// that repaint once per message-loop pass instead of once per row.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "classlib/controls/BasicAction.h"
#include "datatree/DataStringTree.h"
#include "platform/Surface.h"

namespace qv {

class TStorage;
class TImageList;

// The density the windows are designed at.
inline constexpr int kDesignPpi = 96;
// A length of the design on this screen.
int ForScreen(int design);

// The side of the program's square images on this screen: 16 pixels at
// 96 dpi, larger on a denser screen, as its text is.
int ImageCellSize();
// A strip of 16x16 drawings at that size.
Surface StripForScreen(const Surface& strip);

// The view's rows, header and indent grow with the window on a denser screen.
void ScaleWithWindow(TDataStringTree* tree);

// An image list of the view's own drawing (a compiled-in strip of `cells`
// 16x16 images) at the screen's image size; transparent cells when the
// drawing is missing.
TImageList* LoadImageStrip(TComponent* owner, const char* name, const char* resource, int cells);

// Row records: constructed in place right after AddChild and marked, so the
// tree's free event (installed by OwnRows) destroys exactly the records that
// were made, also for nodes that were never painted.
template <class T, class... Args>
T* MakeRow(TBaseDataTree* tree, PDataNode node, Args&&... args) {
  T* row = new (tree->GetNodeData(node)) T(std::forward<Args>(args)...);
  node->Include(vsInitialUserData);
  return row;
}
// Rows with nothing to destroy need no free event, so that emptying the
// view drops all its nodes at once.
template <class T>
void OwnRows(TBaseDataTree* tree) {
  tree->SetNodeDataSize(int32_t(sizeof(T)));
  if constexpr (std::is_trivially_destructible_v<T>) {
    tree->OnFreeNode = nullptr;
  } else {
    tree->OnFreeNode = [](TBaseDataTree* t, PDataNode node) {
      if (node->Has(vsInitialUserData)) std::destroy_at(t->GetNodeData<T>(node));
    };
  }
}
// The row of a node, or null for a node without one (or no node).
template <class T>
T* RowOf(TBaseDataTree* tree, PDataNode node) {
  if (!node || !node->Has(vsInitialUserData)) return nullptr;
  return tree->GetNodeData<T>(node);
}

// The columns of a list view as every view shows them: a flat 19-pixel
// header with the given texts and widths (columns whose bit is set in
// rightAligned are right-justified), resizing, dragging, hot tracking and
// sort glyphs, the given sort, and whole rows selected.
void SetUpListColumns(TDataStringTree* tree, const char16_t* const* texts, const int* widths, int count,
                      uint32_t rightAligned, TColumnIndex sortColumn, TSortDirection direction);

// Widens a column where the widest of texts would not fit at the tree's
// font. Call before the kept widths are read: a width the user set stays his.
void FitColumn(TDataStringTree* tree, TColumnIndex column, const std::vector<std::string>& texts);
// The same for the date and time columns (NoColumn: none), with the widest
// date and time the views show.
void FitDateColumns(TDataStringTree* tree, TColumnIndex dateColumn, TColumnIndex timeColumn);
// The widest size a size column is made to show: about 100 GB.
inline constexpr char kWideSize[] = "99 999 999 999";

// A header click: a new column sorts descending (the handlers compare in
// reverse, so that is natural ascending order), the sort column toggles.
void ToggleSortColumn(TDTHeader* header, TColumnIndex column);

// Lengths kept in the settings are pixels of the screen that wrote them: the
// section notes that screen's density under "PPI" (one written before it was
// noted was written at 96), and a length is read back at another density.
void NoteKeptDensity(TStorage& storage);
// The length kept under key in pixels at `ppi` (the design's 96 for one the
// window scales as it is made, the screen's for one shown as read); def
// when none is kept.
int ReadKeptLength(TStorage& storage, const std::string& key, int def, int ppi);
// This screen's density.
int ScreenPpi();

// Column widths under "C00", "C01" ... of the open settings section, in the
// screen's pixels (the section's density is noted with them).
std::string ColumnKey(int index);
void ReadColumnWidths(TStorage& storage, TDTHeader* header);
void WriteColumnWidths(TStorage& storage, TDTHeader* header);

// Text between one blank on each side, as the lists show names.
std::string Blanked(const std::string& text);

// The comparisons of the compare handlers: -1, 0 or 1.
int CompareTextNoCase(const std::u16string& a, const std::u16string& b);
template <class N>
int SignOf(N value) {
  return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// The folder where a stored folder path ("/" or "/a/b/") lies once the disc
// is found at chosen: the chosen folder without its trailing "/", then the
// stored path; the root "/" as the chosen folder adds nothing.
std::string JoinStoredPath(const std::string& chosen, const std::string& storedPath);

// The question shown before opening a stored folder in the file manager. The
// browser puts a blank before the location's bracket, the search view does not.
std::string ExplorePrompt(const std::string& label, const std::string& location, bool blankBeforeLocation);
// Opens folder in the file manager; a console error when the desktop refuses.
void ExploreFolder(const std::string& folder);
// The console error for a missing file or folder.
std::string NotFoundText(bool folder, const std::string& path);

// Runs an action of the main window through its own enabled rule; false
// when there is none or it is disabled.
bool RunAction(TBasicAction* action);
// The action's enabled rule, evaluated now.
bool ActionEnabled(TBasicAction* action);

// Many rows added one by one (the engine adds search results as it finds
// them, pumping messages between rows): the view stays in an update from the
// first row (or from being emptied) for at least a fifth of a second, so a
// long search repaints a few times a second and a short one once, when it is
// sorted. Sorting or reading the view ends the batch at once.
class TRowBatch {
 public:
  explicit TRowBatch(TBaseDataTree* tree);
  // Any view with an update bracket of its own.
  TRowBatch(std::function<void()> begin, std::function<void()> end);
  ~TRowBatch();
  TRowBatch(const TRowBatch&) = delete;
  TRowBatch& operator=(const TRowBatch&) = delete;

  // Called before each added row (and when the view is emptied).
  void Adding();
  // Ends a running batch now.
  void Flush();
  bool Open() const { return open_; }

  static constexpr unsigned kBatchMs = 200;

 private:
  void Message(TMessage& msg);

  std::function<void()> begin_, end_;
  HWND wnd_ = nullptr;
  bool open_ = false;
};

}  // namespace qv
