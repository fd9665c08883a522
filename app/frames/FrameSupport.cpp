// The views' shared helpers: sort toggling, column widths in the settings,
// comparisons, the stored-path join, the explorer prompt and row batches.
#include "app/frames/FrameSupport.h"

#include <algorithm>

#include "app/frames/Console.h"
#include "app/frames/FrameTexts.h"
#include "catalogue/Settings.h"
#include "classlib/SysUtils.h"
#include "classlib/actions/ActnList.h"
#include "classlib/controls/Screen.h"
#include "classlib/controls/UtilWindow.h"
#include "classlib/graphics/Bitmap.h"
#include "classlib/graphics/ImageList.h"
#include "platform/DateTime.h"
#include "platform/Names.h"
#include "platform/gdi/ImageListApi.h"
#include "platform/image/Resources.h"
#include "platform/image/SurfaceScale.h"
#include "platform/shell/ShellApi.h"
#include "platform/window/MessageQueue.h"

namespace qv {

int ScreenPpi() {
  return Screen ? Screen->PixelsPerInch() : kDesignPpi;
}

int ForScreen(int design) {
  return MulDiv(design, ScreenPpi(), kDesignPpi);
}

namespace {
constexpr char kDensityKey[] = "PPI";
constexpr int32_t kNotKept = INT32_MIN;
}  // namespace

void NoteKeptDensity(TStorage& storage) {
  storage.WriteInteger(kDensityKey, ScreenPpi());
}

int ReadKeptLength(TStorage& storage, const std::string& key, int def, int ppi) {
  const int32_t kept = storage.ReadInteger(key, kNotKept);
  if (kept == kNotKept) return def;
  int32_t written = storage.ReadInteger(kDensityKey, kDesignPpi);
  // Densities outside what a screen has are a broken file: taken as the default.
  if (written < 24 || written > 960) written = kDesignPpi;
  return MulDiv(kept, ppi, written);
}

int ImageCellSize() {
  return ForScreen(16);
}

Surface StripForScreen(const Surface& strip) {
  const int cell = ImageCellSize();
  if (cell == 16 || strip.Height != 16) return strip;
  return ScaleSurface(strip, strip.Width / 16 * cell, cell);
}

void ScaleWithWindow(TDataStringTree* tree) {
  TDTAutoOptions options = tree->TreeOptions()->AutoOptions();
  options.Include(toAutoChangeScale);
  tree->TreeOptions()->SetAutoOptions(options);
  // The indent is not the form's to scale: it is made so from the start.
  tree->SetIndent(uint32_t(ForScreen(int(tree->Indent()))));
}

TImageList* LoadImageStrip(TComponent* owner, const char* name, const char* resource, int cells) {
  const int cell = ImageCellSize();
  auto* list = new TImageList(owner, cell, cell);
  list->SetName(name);
  Surface strip;
  if (!LoadResourceSurface(resource, strip) || strip.Height != 16 || strip.Width != 16 * cells)
    strip = Surface(16 * cells, 16, 0);
  ImageList_AddSurface(list->Handle(), StripForScreen(strip));
  return list;
}

void SetUpListColumns(TDataStringTree* tree, const char16_t* const* texts, const int* widths, int count,
                      uint32_t rightAligned, TColumnIndex sortColumn, TSortDirection direction) {
  TDTHeader* header = tree->Header();
  // Design sizes, made as large as the screen's text: the widths kept in the
  // settings, read later, are the screen's pixels already.
  header->SetHeight(ForScreen(19));
  header->SetStyle(hsFlatButtons);
  for (int i = 0; i < count; ++i) {
    TDataTreeColumn* c = header->Columns()->Add();
    c->SetText(texts[i]);
    c->SetWidth(ForScreen(widths[i]));
    if (rightAligned & (1u << i)) c->SetAlignment(taRightJustify);
  }
  header->SetOptions(TDTHeaderOptions{hoColumnResize, hoDrag, hoHotTrack, hoShowSortGlyphs, hoVisible});
  header->SetSortColumn(sortColumn);
  header->SetSortDirection(direction);
  tree->TreeOptions()->SetSelectionOptions(TDTSelectionOptions{toFullRowSelect});
}

void FitColumn(TDataStringTree* tree, TColumnIndex column, const std::vector<std::string>& texts) {
  TDataTreeColumns* columns = tree->Header()->Columns();
  if (column < 0 || column >= TColumnIndex(columns->Count())) return;
  TBitmap measure;
  TCanvas* canvas = measure.Canvas();
  canvas->Font()->Assign(tree->Font());
  int width = 0;
  for (const std::string& text : texts) width = std::max(width, canvas->TextWidth(text));
  // The cell's margin on the left, the text margin on both sides, and room
  // for the column's divider.
  width += tree->Margin() + 2 * tree->TextMargin() + 4;
  TDataTreeColumn* c = columns->Items(column);
  if (c->Width() < width) c->SetWidth(width);
}

void FitDateColumns(TDataStringTree* tree, TColumnIndex dateColumn, TColumnIndex timeColumn) {
  // Digits may differ in width: the widest of a few dates and times.
  std::vector<std::string> dates, times;
  for (int d : {0, 8}) {
    TDateTime t = EncodeDate(2000 + 11 * d, 12, 20 + d) + EncodeTime(20 + d / 4, 48 + d, 48 + d, 0);
    dates.push_back(FormatDate(t));
    times.push_back(FormatTime(t));
  }
  FitColumn(tree, dateColumn, dates);
  FitColumn(tree, timeColumn, times);
}

void ToggleSortColumn(TDTHeader* header, TColumnIndex column) {
  if (column != header->SortColumn()) {
    header->SetSortColumn(column);
    header->SetSortDirection(sdDescending);
  } else {
    header->SetSortDirection(header->SortDirection() == sdDescending ? sdAscending : sdDescending);
  }
}

std::string ColumnKey(int index) {
  std::string key = "C";
  return key.append(IntToHex(uint64_t(index), 2));
}

void ReadColumnWidths(TStorage& storage, TDTHeader* header) {
  TDataTreeColumns* columns = header->Columns();
  for (int i = 0; i < columns->Count(); ++i)
    columns->Items(i)->SetWidth(
        ReadKeptLength(storage, ColumnKey(i), columns->Items(i)->Width(), ScreenPpi()));
}

void WriteColumnWidths(TStorage& storage, TDTHeader* header) {
  TDataTreeColumns* columns = header->Columns();
  NoteKeptDensity(storage);
  for (int i = 0; i < columns->Count(); ++i) storage.WriteInteger(ColumnKey(i), columns->Items(i)->Width());
}

std::string Blanked(const std::string& text) {
  std::string s;
  s.reserve(text.size() + 2);
  s.append(1, ' ').append(text).append(1, ' ');
  return s;
}

namespace {

// The next code point of a UTF-16 text; a lone surrogate stands for itself.
char32_t NextPoint(const std::u16string& s, std::size_t& i) {
  char32_t c = s[i++];
  if (c >= 0xD800 && c < 0xDC00 && i < s.size() && s[i] >= 0xDC00 && s[i] < 0xE000)
    c = 0x10000 + ((c - 0xD800) << 10) + (s[i++] - 0xDC00);
  return c;
}

}  // namespace

int CompareTextNoCase(const std::u16string& a, const std::u16string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t x = a[i], y = b[j];
    if (x < 0x80 && y < 0x80) {
      // The common case: plain letters and digits, folded in place.
      ++i, ++j;
      if (x >= 'A' && x <= 'Z') x += 32;
      if (y >= 'A' && y <= 'Z') y += 32;
    } else {
      x = FoldCodePoint(NextPoint(a, i));
      y = FoldCodePoint(NextPoint(b, j));
    }
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

std::string JoinStoredPath(const std::string& chosen, const std::string& storedPath) {
  std::string folder = chosen;
  while (!folder.empty() && folder.back() == '/') folder.pop_back();
  if (storedPath.empty() || storedPath.front() != '/') folder += '/';
  return folder + storedPath;
}

std::string ExplorePrompt(const std::string& label, const std::string& location, bool blankBeforeLocation) {
  std::string prompt = texts::explore::PromptStart + label + "\"";
  if (!location.empty()) prompt += (blankBeforeLocation ? " [" : "[") + location + "]";
  return prompt + texts::explore::PromptEnd;
}

namespace {

std::string Fill(const char* pattern, const std::string& value) {
  std::string s = pattern;
  s.replace(s.find("<>"), 2, value);
  return s;
}

}  // namespace

std::string NotFoundText(bool folder, const std::string& path) {
  return Fill(folder ? texts::explore::FolderNotFound : texts::explore::FileNotFound, path);
}

void ExploreFolder(const std::string& folder) {
  HINSTANCE r = ShellExecuteUtf8(nullptr, texts::explore::Verb, folder, std::string(), SW_SHOWNORMAL);
  if (reinterpret_cast<intptr_t>(r) < 33 && Console)
    Console->AddError(Fill(texts::explore::OpenFailed, folder));
}

bool ActionEnabled(TBasicAction* action) {
  if (!action) return false;
  action->Update();
  auto* a = dynamic_cast<TCustomAction*>(action);
  return !a || a->Enabled();
}

bool RunAction(TBasicAction* action) {
  return ActionEnabled(action) && action->Execute();
}

// --- Row batches

namespace {
constexpr uintptr_t kBatchTimer = 1;
}

TRowBatch::TRowBatch(TBaseDataTree* tree)
    : TRowBatch([tree] { tree->BeginUpdate(); }, [tree] { tree->EndUpdate(); }) {}

TRowBatch::TRowBatch(std::function<void()> begin, std::function<void()> end)
    : begin_(std::move(begin)), end_(std::move(end)) {
  wnd_ = AllocateHWnd([this](TMessage& msg) { Message(msg); });
}

TRowBatch::~TRowBatch() {
  Flush();
  if (wnd_) DeallocateHWnd(wnd_);
}

void TRowBatch::Adding() {
  if (open_ || !wnd_) return;
  open_ = true;
  begin_();
  SetTimer(wnd_, kBatchTimer, kBatchMs, nullptr);
}

void TRowBatch::Flush() {
  if (!open_) return;
  open_ = false;
  KillTimer(wnd_, kBatchTimer);
  end_();
}

void TRowBatch::Message(TMessage& msg) {
  if (msg.Msg == WM_TIMER && msg.WParam == kBatchTimer) {
    Flush();
    msg.Result = 0;
  } else {
    msg.Result = DefWindowProcW(wnd_, msg.Msg, msg.WParam, msg.LParam);
  }
}

}  // namespace qv
