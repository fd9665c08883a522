// The main window's life: bounds from "MAINFORM" before any frame reads its
// own section, the layout, the frames and the engine, the caption, the gauge,
// the status bar, the first activation and the shutdown that writes the
// settings back. A close asked for during a long operation stops it first.
#include "app/forms/MainForm.h"

#include <algorithm>

#include "app/dialogs/ProgramIcon.h"
#include "app/forms/Images.h"
#include "app/forms/MainHost.h"
#include "app/forms/MainTexts.h"
#include "app/frames/FileTree.h"
#include "app/frames/FrameSupport.h"
#include "catalogue/Engine.h"
#include "catalogue/Settings.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Clipbrd.h"
#include "classlib/controls/MessageBox.h"
#include "classlib/controls/Screen.h"
#include "classlib/stdctrls/CustomEdit.h"
#include "datatree/DataStringTree.h"
#include "platform/Utf.h"
#include "platform/ole/Clipboard.h"
#include "platform/ole/DataTransfer.h"
#include "platform/ole/GlobalMemory.h"
#include "platform/window/MessageQueue.h"
#include "skin/controls/skSplitter.h"
#include "skin/skHintManager.h"

namespace qv {

TMainForm* MainForm = nullptr;

namespace T = texts::mainform;

namespace {

// Runs the first activation once the window is shown and the activation
// message has been handled, so the dialogs it opens sit over a live window.
constexpr UINT WM_FIRSTACTIVATION = WM_APP + 0x101;
constexpr UINT WM_FITCONSOLE = WM_APP + 0x102;

constexpr int kDesignLeft = 201, kDesignTop = 108, kDesignWidth = 888, kDesignHeight = 622;
constexpr int kConsoleHeight = 105;
constexpr int kMinWidth = 640, kMinHeight = 350;
// The search results keep room for this many rows at any window size.
constexpr int kResultRows = 3;

// A report line is one path, but a Linux name may hold a line break or other
// control characters: those are written as C escapes (\n, \t, \xHH) so that
// the line stays one line on the page, in the copy and in the saved file. The
// backslash itself is escaped too, or a name holding a backslash and "n"
// would read back as one holding a line break.
std::string OnePathLine(const std::string& path) {
  static const char hex[] = "0123456789abcdef";
  std::string line;
  line.reserve(path.size());
  for (unsigned char c : path) {
    if (c == '\\') {
      line += "\\\\";
    } else if (c >= 0x20 && c != 0x7F) {
      line += char(c);
    } else if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else if (c == '\t') {
      line += "\\t";
    } else {
      line += "\\x";
      line += hex[c >> 4];
      line += hex[c & 15];
    }
  }
  return line;
}

// The selected rows of a list as its own copy and drag paths give them: a
// view that renders its rows itself (the search view writes each entry's
// whole path) is copied with its text, any other with the tree's.
std::string SelectedRowsText(TCustomDataStringTree* tree) {
  if (!tree->OnRenderOLEData) return tree->RenderPlainText(txSelected, '\t');
  FORMATETC format{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (tree->RenderOLEData(format, medium, false) != S_OK) return tree->RenderPlainText(txSelected, '\t');
  std::string text;
  if (const auto* units = static_cast<const char16_t*>(GlobalLock(medium.hGlobal))) {
    text = Utf16ToUtf8(units);
    GlobalUnlock(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  return text;
}

}  // namespace

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {
  MainForm = this;
  SetName("MainForm");
  // X, Y, W and H come first: the frames made below open their own sections.
  ReadBounds();
  // The least size is a design size: on a denser screen it grows as the
  // rest of the window does, but not past the work area.
  OnCanResize = [this](TObject*, int& NewWidth, int& NewHeight, bool&) {
    const RECT area = Screen->WorkAreaRect();
    auto least = [&](int design, int room) {
      return std::max(design, std::min(MulDiv(design, PixelsPerInch, kDesignPpi), room));
    };
    NewWidth = std::max(NewWidth, least(kMinWidth, area.Width()));
    NewHeight = std::max(NewHeight, least(kMinHeight, area.Height()));
  };
  BuildLayout();
  BuildHintManager();
  BuildActions();
  BuildMenus();
  BuildToolBars();

  // FormCreate.
  FirstActivation = true;
  for (TWinControl* c : std::initializer_list<TWinControl*>{Panel, ConsPanel, PageControl, Gauge})
    c->DoubleBuffered = true;
  Host = std::make_unique<TMainHost>(*this);
  Host->CreateFrames();
  FileTree->OnResize = [this](TObject*) { FitConsoleSoon(); };
  Engine = std::make_unique<TEngine>(*Host, SchemaFolder);
  Engine->SetProgressHandler([this](int32_t v) { EngineProgress(v); });
  if (Engine->Usable()) Engine->RefreshViews(true);
  ReadSettings();
  UpdateCaption();
  Application->OnHint = [this](TObject*) { AppHint(); };
  PageControl->SetActivePageIndex(0);
  Host->FocusCategories();
  OnCloseQuery = [this](TObject*, bool& CanClose) {
    if (!Busy()) return;
    // The operation polls the abort flag; the window closes once it returns.
    CanClose = false;
    CloseWhenIdle = true;
    if (Engine) Engine->Abort();
  };
}

TMainForm::~TMainForm() {
  closing_ = true;
  if (Application && Application->OnHint) Application->OnHint = nullptr;
  // FormDestroy.
  WriteSettings();
  if (Engine) {
    Engine->SetProgressHandler(nullptr);
    if (Engine->IsOpen()) {
      if (Engine->CloseDatabase())
        FollowMovedBase(true);
      else
        MessageBox(Handle(), T::CloseFailed + Engine->Base->Name + T::CloseFailedEnd, T::CloseFailedCaption,
                   MB_OK);
    }
  }
  Host->FreeFrames(Engine);
  if (MainForm == this) MainForm = nullptr;
}

bool TMainForm::EngineUsable() const {
  return Engine && Engine->Usable();
}

void TMainForm::ReadBounds() {
  SetBounds(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
  if (!Storage || Storage->IsOpen()) return;
  Storage->Open("MAINFORM", false);
  int x = Storage->ReadInteger("X", kDesignLeft), y = Storage->ReadInteger("Y", kDesignTop);
  // The size as large on this screen as it was on the one that kept it.
  const int ppi = ScreenPpi();
  int w = ReadKeptLength(*Storage, "W", -1, ppi), h = ReadKeptLength(*Storage, "H", -1, ppi);
  Storage->Close();
  keptBounds_ = w > 0 && h > 0;
  if (keptBounds_) {
    kept_ = RECT{x, y, x + std::max(w, kMinWidth), y + std::max(h, kMinHeight)};
    // The frames made next lay out in the size the window will have, at the
    // design's density the window is built in.
    SetBounds(kept_.left, kept_.top, MulDiv(kept_.Width(), kDesignPpi, ppi),
              MulDiv(kept_.Height(), kDesignPpi, ppi));
  }
}

void TMainForm::AfterConstruction() {
  TForm::AfterConstruction();
  if (keptBounds_) SetBounds(kept_.left, kept_.top, kept_.Width(), kept_.Height());
  if (keptConsole_ >= 0) ConsPanel->SetHeight(keptConsole_);
  FitConsole();
}

int TMainForm::ConsoleRoom() {
  TDataStringTree* results = FileTree ? FileTree->Tree : nullptr;
  // The search page is laid out only while it shows.
  if (!results || !TabSheet2->Visible() || FileTree->Height() <= 0) return consoleWanted_;
  const int need = kResultRows * int(results->DefaultNodeHeight());
  return std::max(0, ConsPanel->Height() + results->ClientHeight() - need);
}

void TMainForm::FitConsole() {
  if (fitting_) return;
  fitting_ = true;
  // A list squeezed below its header shows no rows whatever it lacks, so
  // the room found is the most the console may keep, not yet the height:
  // a few passes settle it (and a scroll bar of the list that comes or goes).
  for (int pass = 0; pass < 8; ++pass) {
    const int height = std::min(consoleWanted_, ConsoleRoom());
    if (height == ConsPanel->Height()) break;
    ConsPanel->SetHeight(height);
  }
  fitting_ = false;
}

void TMainForm::FitConsoleSoon() {
  // Asked while the panel lays out its pages, which takes no new layout
  // until it is done: fitted once the layout is whole.
  if (fitPosted_ || !HandleAllocated()) return;
  fitPosted_ = PostMessage(Handle(), WM_FITCONSOLE, 0, 0);
}

void TMainForm::BuildLayout() {
  SetCaption(T::Title);
  SetShowHint(true);

  StatusBar = new TStatusBar(this);
  StatusBar->SetParent(this);
  StatusBar->SetAlign(alBottom);
  // A design width: made as wide as the screen's text (the form scales
  // controls, not the panels of a status bar).
  StatusBar->Panels()->Add()->SetWidth(MulDiv(256, Screen->PixelsPerInch(), kDesignPpi));

  Gauge = new TProgressBar(this);
  Gauge->SetParent(this);
  Gauge->SetBounds(0, 0, ClientWidth(), 14);
  Gauge->SetAlign(alBottom);
  Gauge->SetMin(0);
  Gauge->SetMax(100);

  Panel = new TPanel(this);
  Panel->SetParent(this);
  Panel->SetAlign(alClient);
  Panel->SetBevelOuter(bvLowered);

  ConsPanel = new TPanel(this);
  // A change of the console's height other than the fitting below is a
  // choice of its height (the design's, the kept one, a scaled one).
  ConsPanel->OnResize = [this](TObject*) {
    const int height = ConsPanel->Height();
    if (!fitting_ && height != consoleShown_) consoleWanted_ = height;
    consoleShown_ = height;
  };
  ConsPanel->SetParent(Panel);
  ConsPanel->SetBevelOuter(bvNone);
  ConsPanel->SetBounds(0, Panel->ClientHeight() - kConsoleHeight, Panel->ClientWidth(), kConsoleHeight);
  ConsPanel->SetAlign(alBottom);

  skSplitter = new TSkSplitter(this);
  skSplitter->SetParent(Panel);
  skSplitter->SetAlign(alBottom);
  skSplitter->SetBounds(0, ConsPanel->Top() - 3, Panel->ClientWidth(), 3);
  skSplitter->SetCursor(crVSplit);
  // The console gives way to the results: it grows back to the height the
  // user chose (or the settings kept) when the window has room again. A
  // drag stops where the results would lose their rows. The height dragged
  // to is the user's choice all the same, shown once there is room.
  skSplitter->OnCanResize = [this](TObject*, int& NewSize, bool&) {
    draggedTo_ = NewSize;
    NewSize = std::min(NewSize, ConsoleRoom());
  };
  skSplitter->OnMoved = [this](TObject*) {
    if (draggedTo_ >= 0) consoleWanted_ = draggedTo_;
    draggedTo_ = -1;
  };
  Panel->OnResize = [this](TObject*) { FitConsoleSoon(); };

  PageControl = new TPageControl(this);
  PageControl->SetParent(Panel);
  PageControl->SetAlign(alClient);
  // The tabs take no focus: Tab goes round the page's own controls, and
  // Ctrl+Tab changes the page.
  PageControl->SetTabStop(false);
  PageControl->SetImages(Images ? Images->PageImages : nullptr);
  TTabSheet** sheets[] = {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4};
  for (int i = 0; i < 4; ++i) {
    auto* sheet = new TTabSheet(this);
    sheet->SetCaption(T::Pages[i]);
    sheet->SetPageControl(PageControl);
    sheet->SetImageIndex(i);
    *sheets[i] = sheet;
  }

  Editor = new TRichEdit(this);
  Editor->SetParent(TabSheet4);
  Editor->SetAlign(alClient);
  Editor->PlainText = true;
  Editor->Font()->SetName("Courier New");
  Editor->Font()->SetHeight(-13);
  Editor->SetScrollBars(ssBoth);
  Editor->SetWordWrap(false);

  SaveDialog = new TSaveDialog(this);
  SaveDialog->DefaultExt = T::ReportExt;
  SaveDialog->Filter = T::ReportFilter;
  SaveDialog->Options = TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofEnableSizing};
}

void TMainForm::BuildHintManager() {
  skHintManager = new TSkHintManager(this);
  TSkHintKind* k = skHintManager->HintKind();
  // The look's lengths are the design's at 96 dpi: a hint's text and shape
  // grow with the rest of the window on a denser screen (which the form
  // scales to once it is made, after this).
  auto scaled = [](int design) { return MulDiv(design, Screen->PixelsPerInch(), kDesignPpi); };
  k->SetStyle(hsComics);
  k->Radius = scaled(25);
  k->Blur = 0;
  k->ExOffset = scaled(24);
  k->GradientData = "16753188;16777215;99;0;0;16777215;16777215;0;0;0";
  k->GradientPercent = 100;
  k->Bevel = 1;
  k->Color = TColor(12778748);
  k->ColorBorderTop = clWhite;
  k->ColorBorderBottom = clNavy;
  k->Transparency = 0;
  k->ShadowBlur = scaled(10);
  k->ShadowColor = clBlack;
  k->ShadowEnabled = true;
  k->ShadowOffset = scaled(7);
  k->ShadowTransparency = 28;
  k->MarginH = scaled(18);
  k->MarginV = scaled(12);
  k->MaxWidth = scaled(180);
  k->Font()->SetName("MS Sans Serif");
  k->Font()->SetHeight(-scaled(11));
  k->Font()->SetColor(clBlack);
  skHintManager->SetPredefinitions(shCustom);
  skHintManager->AfterConstruction();
}

void TMainForm::ReadSettings() {
  if (!Storage || Storage->IsOpen()) return;
  Storage->Open("MAINFORM", false);
  // Set again once the window is scaled to the screen.
  keptConsole_ = ReadKeptLength(*Storage, "CH", -1, ScreenPpi());
  if (keptConsole_ >= 0) ConsPanel->SetHeight(MulDiv(keptConsole_, kDesignPpi, ScreenPpi()));
  Base = Storage->ReadString("Base", "");
  Pass = Storage->ReadBool("Pass", true);
  ReadMovedNote();
  Storage->Close();
}

void TMainForm::WriteSettings() {
  if (!Storage || Storage->IsOpen()) return;
  Storage->Open("MAINFORM", true);
  Storage->WriteInteger("X", Left());
  Storage->WriteInteger("Y", Top());
  Storage->WriteInteger("W", Width());
  Storage->WriteInteger("H", Height());
  NoteKeptDensity(*Storage);
  // The height chosen, not the one a small window leaves it.
  Storage->WriteInteger("CH", std::max(consoleWanted_, 1));
  Storage->WriteString("Base", Base);
  Storage->WriteBool("Pass", Pass);
  Storage->Close();
}

void TMainForm::KeepBase() {
  Base = Engine->Base->ShownPath();
  Pass = Engine->Base->Pass;
  ownsBase_ = true;
  if (!Storage) return;
  Storage->KeepFile = false;  // a catalogue of its own: its settings count again
  if (Storage->IsOpen()) return;
  Storage->Open("MAINFORM", false);
  Storage->WriteString("Base", Base);
  Storage->WriteBool("Pass", Pass);
  Storage->Close();
}

bool TMainForm::NoteRefusal() {
  // The storage's word for a data file locked by another process.
  if (Engine->Base->LastError != "Database is in use") return false;
  // Turned away and owning no catalogue: the instance that holds it keeps
  // its settings (the catalogue to reopen, bounds, widths, file types).
  if (!ownsBase_ && Storage) Storage->KeepFile = true;
  return true;
}

void TMainForm::UpdateCaption() {
  std::string caption = T::Title;
  if (Engine && Engine->IsOpen() && !Engine->Base->Name.empty())
    caption += T::NameOpen + Engine->Base->Name + T::NameClose;
  SetCaption(caption);
}

void TMainForm::EngineProgress(int Value) {
  int max = Gauge->Max();
  int position = (Value == max || max == 0) ? Value : Value % max;
  if (position == Gauge->Position()) return;
  Gauge->SetPosition(position);
  Application->ProcessMessages();
}

void TMainForm::AppHint() {
  // With no hint to show, a read-only catalogue says why it is read-only,
  // else a size limit that cannot be read says why Search is off.
  const std::string& reason = readOnlyReason_.empty() ? searchRefusal_ : readOnlyReason_;
  const std::string& text = Application->Hint.empty() ? reason : Application->Hint;
  StatusBar->Panels()->Items(0)->SetText(" " + text);
}

void TMainForm::AddReportLine(const std::string& S) {
  Editor->Lines()->Add(OnePathLine(S));
}

void TMainForm::ClearReport() {
  Editor->Lines()->Clear();
}

bool TMainForm::ReportHasText() {
  return !Editor->Text().empty();
}

void TMainForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.WindowClass.hIcon = ProgramIcon();
}

void TMainForm::Activate() {
  TForm::Activate();
  if (FirstActivation) PostMessage(Handle(), WM_FIRSTACTIVATION, 0, 0);
}

void TMainForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_FIRSTACTIVATION) {
    FirstActivate();
    return;
  }
  if (Message.Msg == WM_FITCONSOLE) {
    fitPosted_ = false;
    FitConsole();
    return;
  }
  // Ctrl+Tab belongs to the pages wherever the focus is in the window: seen
  // before the focused control (a list or the report may take Tab itself),
  // and from the console strip, which lies outside the pages.
  if (Message.Msg == CM_CHILDKEY && Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 &&
      GetKeyState(VK_MENU) >= 0) {
    StepPage(GetKeyState(VK_SHIFT) >= 0);
    Message.Result = 1;
    return;
  }
  TForm::Dispatch(Message);
}

void TMainForm::StepPage(bool forward) {
  PageControl->SelectNextPage(forward);
  TTabSheet* page = PageControl->ActivePage();
  for (TControl* c = ActiveControl(); c; c = c->Parent())
    if (c == page) return;
  // The focus was outside the new page: it moves to the page's first control.
  if (TWinControl* first = page ? page->FindNextControl(nullptr, true, true, false) : nullptr)
    if (first->CanFocus()) first->SetFocus();
}

void TMainForm::FirstActivate() {
  if (!FirstActivation) return;
  FirstActivation = false;
  if (!EngineUsable()) return;
  // A moved or missing folder is said before the dialog comes; the dialog
  // makes no folder where the missing one was.
  SayStartNotes();
  // An empty Base names no database (not "/xbase.vlm").
  if (Base.empty() || !TEngine::DatabaseExists(Base)) {
    actNew->Execute();
  } else if (Pass) {
    actOpen->Execute();
  } else {
    Host->SelectDatabaseFolder(Base);
    if (Engine->OpenDatabase("")) {
      KeepBase();
      UpdateCaption();
    } else if (!NoteRefusal()) {
      // A catalogue in use stays the one to reopen; a broken one does not.
      Base.clear();
      Pass = true;
    }
  }
}

void TMainForm::UpdateActions() {
  TForm::UpdateActions();
  ShowWritable();
  ShowSearchRefusal();
  // Not while a modal dialog is up: it disables this window.
  if (CloseWhenIdle && HandleAllocated() && IsWindowEnabled(Handle())) CloseIfAsked();
}

bool TMainForm::IsShortCut(WORD Key, TShiftState Shift) {
  if (Key == 'C' && Shift == TShiftState{ssCtrl}) {
    bool passOn = false;
    if (CopyFromFocus(passOn)) return !passOn;
  }
  return TForm::IsShortCut(Key, Shift);
}

bool TMainForm::CopyFromFocus(bool& passOn) {
  TWinControl* focused = TWinControl::FindControl(GetFocus());
  if (!focused || GetParentForm(focused) != this) return false;
  // The report editor is the report's own: its Copy copies the selection,
  // or all of it without one.
  if (auto* edit = dynamic_cast<TCustomEdit*>(focused)) {
    passOn = edit != Editor;
    return passOn;
  }
  if (auto* tree = dynamic_cast<TCustomDataStringTree*>(focused)) {
    if (tree->SelectionCount() < 1) return false;
    Clipboard()->SetAsText(SelectedRowsText(tree));
    return true;
  }
  return false;
}

void TMainForm::CloseIfAsked() {
  if (!CloseWhenIdle || Busy()) return;
  CloseWhenIdle = false;
  Close();
}

}  // namespace qv
