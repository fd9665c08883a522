// The demo's second tree, a basket: rows are copied, cut and pasted into it
// through the clipboard or dragged there, renamed in place, and either tree
// exports its rows as HTML, RTF, CSV, text or Unicode text from its menu.
#include <filesystem>
#include <fstream>

#include "classlib/Streams.h"
#include "classlib/menus/Menus.h"
#include "datatree/DataTreeClipboard.h"
#include "demo/tree/TreeDemoForm.h"
#include "platform/Utf.h"

namespace qv::treedemo {

namespace {

const char* const kFormats[] = {"Data Tree Data", "HTML Format", "Rich Text Format", "CSV",
                                "Unicode text",   "Plain text"};

// Each node's record travels with it through the stream, the clipboard and drags.
void CarryRecords(TDataStringTree* t) {
  for (const char* f : kFormats) t->ClipboardFormats()->Add(f);
  t->OnSaveNode = [](TBaseDataTree* tree, PDataNode n, TStream& s) {
    if (n) s.WriteBuffer(tree->GetNodeData(n), sizeof(TRowData));
  };
  t->OnLoadNode = [](TBaseDataTree* tree, PDataNode n, TStream& s) {
    if (n) s.Read(tree->GetNodeData(n), sizeof(TRowData));
  };
  t->OnDragAllowed = [](TBaseDataTree*, PDataNode, TColumnIndex, bool& allowed) { allowed = true; };
}

TMenuItem* Item(TComponent* owner, const std::string& caption, std::function<void()> action) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->OnClick = [action](TObject*) { action(); };
  return item;
}

}  // namespace

void TTreeDemoForm::CreateBasket() {
  Basket = new TDataStringTree(this);
  Basket->SetAlign(alBottom);
  Basket->SetHeight(140);
  Basket->SetParent(this);
  Basket->SetNodeDataSize(sizeof(TRowData));
  Basket->SetDefaultText(u"");
  auto* opts = Basket->TreeOptions();
  opts->SetMiscOptions(opts->MiscOptions() + toEditable);
  opts->SetSelectionOptions({toMultiSelect});
  Basket->OnGetText = [this](TBaseDataTree* t, PDataNode node, TColumnIndex column, TVSTTextType type,
                             std::u16string& text) {
    if (BroughtText(node, column, text)) return;
    auto it = Names.find(node);
    if (it != Names.end() && column <= 0)
      text = it->second;
    else
      Tree->OnGetText(t, node, std::max(column, 0), type, text);
  };
  Basket->OnNewText = [this](TBaseDataTree*, PDataNode node, TColumnIndex, const std::u16string& text) {
    Names[node] = text;
  };
  Basket->OnFreeNode = [this](TBaseDataTree*, PDataNode node) {
    Names.erase(node);
    Brought.erase(node);
  };
  CarryRecords(Tree);
  CarryRecords(Basket);
  // Either tree takes drops: copies from the other tree, moves within itself;
  // the basket also takes text and files from other programs.
  for (TDataStringTree* t : {Tree, Basket}) {
    t->OnDragOver = [this](TBaseDataTree* target, TObject* source, TShiftState, TDTDragState, POINT,
                           TDropMode, DWORD& effect, bool& accept) {
      accept = dynamic_cast<TBaseDataTree*>(source) != nullptr;
      if (!accept && target == Basket && !source) {
        ComPtr<IDataObject> data = target->GetDragManager()->GetDataObject();
        accept = OffersForeignRows(data.Get());
        effect &= DROPEFFECT_COPY;  // what comes from elsewhere is copied
      }
    };
    t->OnDragDrop = [this](TBaseDataTree* target, TObject* source, IDataObject* data,
                           const std::vector<WORD>&, TShiftState, POINT, DWORD& effect, TDropMode mode) {
      auto* from = dynamic_cast<TBaseDataTree*>(source);
      if (!from) {
        effect = target == Basket && AddForeignRows(data) > 0 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return;
      }
      TDTNodeAttachMode attach = mode == dmAbove   ? amInsertBefore
                                 : mode == dmBelow ? amInsertAfter
                                                   : amAddChildLast;
      bool within = from == target && effect == DROPEFFECT_MOVE;
      target->InsertFromDataObject(from, data, target->DropTargetNode(), attach, within);
      if (within) effect = DROPEFFECT_NONE;  // moved already: the source deletes nothing
    };
    auto* menu = new TPopupMenu(this);
    menu->Items()->Add(Item(this, "&Copy", [t] { t->CopyToClipboard(); }));
    menu->Items()->Add(Item(this, "Cu&t", [t] { t->CutToClipboard(); }));
    menu->Items()->Add(Item(this, "&Paste", [t] { t->PasteFromClipboard(); }));
    menu->Items()->Add(Item(this, "&Delete", [t] { t->DeleteSelectedNodes(); }));
    auto* exports = new TMenuItem(this);
    exports->SetCaption("&Export");
    for (int kind = 0; kind < 5; ++kind) {
      static const char* const names[] = {"HTML", "RTF", "CSV", "Text", "Unicode text"};
      exports->Add(
          Item(this, names[kind], [this, t, kind] { ExportRows(t, TExportKind(kind), ExportFolder); }));
    }
    menu->Items()->Add(exports);
    t->SetPopupMenu(menu);
  }
}

std::string TTreeDemoForm::ExportRows(TDataStringTree* From, TExportKind Kind, const std::string& Folder) {
  static const char* const files[] = {"rows.html", "rows.rtf", "rows.csv", "rows.txt", "rows-unicode.txt"};
  TDTTextSource source = From->SelectionCount() > 0 ? txSelected : txVisible;
  std::string folder = Folder.empty() ? std::filesystem::temp_directory_path().string() : Folder;
  std::string path = folder + "/" + files[Kind];
  std::ofstream out(path, std::ios::binary);
  switch (Kind) {
    case ekHtml:
      out << From->RenderHTML(source, u"Quirvane rows");
      break;
    case ekRtf:
      out << From->RenderRTF(source);
      break;
    case ekCsv:
      out << From->RenderPlainText(source, ',');
      break;
    case ekText:
      out << From->RenderPlainText(source, '\t');
      break;
    case ekUnicodeText: {
      std::u16string text = u"\uFEFF" + From->RenderUnicodeText(source, u'\t');
      out.write(reinterpret_cast<const char*>(text.data()), std::streamsize(text.size() * 2));
      break;
    }
  }
  return out ? path : std::string();
}

}  // namespace qv::treedemo
