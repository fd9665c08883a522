// The console log: one row per line in a plain data tree, the same texts in a
// string list for the clipboard.
#include "app/frames/Console.h"

#include "app/frames/FrameSupport.h"
#include "app/frames/FrameTexts.h"
#include "classlib/controls/Application.h"
#include "classlib/controls/Clipbrd.h"
#include "platform/Utf.h"

namespace qv {

TConsole* Console = nullptr;

TConsole::TConsole(TComponent* AOwner) : TFrame(AOwner), lines_(std::make_unique<TStringList>()) {
  SetName("Console");
  DoubleBuffered = true;
  ViewImages = LoadImageStrip(this, "ViewImages", "console", 4);
  View = new TDataStringTree(this);
  View->SetName("View");
  ScaleWithWindow(View);
  View->SetAlign(alClient);
  View->SetParent(this);
  View->SetTabStop(false);
  View->SetImages(ViewImages);
  View->Header()->SetOptions(TDTHeaderOptions{hoColumnResize, hoDrag});
  auto* options = View->TreeOptions();
  options->SetPaintOptions(
      TDTPaintOptions{toHideFocusRect, toHideSelection, toShowDropmark, toThemeAware, toUseBlendedImages});
  options->SetSelectionOptions(TDTSelectionOptions{toFullRowSelect});
  OwnRows<TLine>(View);
  View->OnGetText = [this](TBaseDataTree* s, PDataNode n, TColumnIndex c, TVSTTextType t,
                           std::u16string& text) { ViewGetText(s, n, c, t, text); };
  View->OnGetImageIndex = [this](TBaseDataTree* s, PDataNode n, TDTImageKind k, TColumnIndex c, bool& g,
                                 int& index) { ViewGetImageIndex(s, n, k, c, g, index); };
}

TConsole::~TConsole() {
  // Its view goes while it is whole: a copy of its rows still on the
  // clipboard is rendered through its events as it goes.
  Destroying();
  DestroyComponents();
  if (Console == this) Console = nullptr;
}

void TConsole::Add(const std::string& Text, int Level) {
  if (Level < 0 || Level > 4) Level = 4;
  PDataNode node = View->AddChild(nullptr);
  if (!node) return;
  TLine* line = MakeRow<TLine>(View, node, Level == 4 ? -1 : Level,
                               Utf8ToUtf16(std::string(texts::console::Prefixes[Level]) + Text));
  lines_->Add(Utf16ToUtf8(line->Text));
  View->SetFocusedNode(node);
  Application->ProcessMessages();
}

void TConsole::Clear() {
  lines_->Clear();
  View->Clear();
}

void TConsole::CopyToClipboard() {
  std::string text;
  for (int i = 0; i < lines_->Count(); ++i) text += lines_->Strings(i) + "\r\n";
  Clipboard()->SetAsText(text);
}

void TConsole::ViewGetText(TBaseDataTree* Sender, PDataNode Node, TColumnIndex, TVSTTextType,
                           std::u16string& CellText) {
  if (TLine* line = RowOf<TLine>(Sender, Node))
    CellText = line->Text;
  else
    CellText.clear();
}

void TConsole::ViewGetImageIndex(TBaseDataTree* Sender, PDataNode Node, TDTImageKind, TColumnIndex, bool&,
                                 int& ImageIndex) {
  if (TLine* line = RowOf<TLine>(Sender, Node)) ImageIndex = line->ImageIndex;
}

}  // namespace qv
