// The data tree demo: a form holding a string tree of a million lazily
// initialised rows (a 16-byte record each) with six columns, check boxes,
// images and a header that sorts by the clicked column.
#pragma once
#include <map>
#include <memory>
#include <string>

#include "classlib/controls/Forms.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/DataStringTree.h"

namespace qv::treedemo {

constexpr uint32_t kRows = 1000000;
constexpr SIZE kClient{900, 560};

// The record every row keeps in its node.
struct TRowData {
  uint32_t Id;
  uint32_t Size;
  double Modified;
};
static_assert(sizeof(TRowData) == 16);

// A basket row that came from another program: a line of text, or a file
// with its size.
struct TBroughtRow {
  bool File = false;
  uint64_t Size = 0;
};

enum TExportKind { ekHtml, ekRtf, ekCsv, ekText, ekUnicodeText };

class TTreeDemoForm : public TForm {
 public:
  explicit TTreeDemoForm(TComponent* AOwner);
  // The trees go first, while this form's members are whole: a copy still on
  // the clipboard is rendered from Names as they go.
  ~TTreeDemoForm() override {
    Destroying();
    DestroyComponents();
  }
  TDataStringTree* Tree = nullptr;
  // Rows copied, cut, pasted or dragged here; their names can be edited.
  TDataStringTree* Basket = nullptr;
  TCustomImageList* Images = nullptr;
  std::map<PDataNode, std::u16string> Names;  // the basket's names (edited or brought along)
  std::map<PDataNode, TBroughtRow> Brought;   // the basket's rows from other programs
  std::string ExportFolder;                   // empty: the system's temporary folder
  // Writes the selected (else the visible) rows of a tree to a file in Folder; its path, or "".
  std::string ExportRows(TDataStringTree* From, TExportKind Kind, const std::string& Folder);

 private:
  void HeaderClick(TColumnIndex Column);
  void CreateBasket();  // TreeDemoTransfer.cpp
  // TreeDemoDrops.cpp: what other programs drop into the basket.
  static bool OffersForeignRows(IDataObject* Data);
  // A row per file of a file list, else a row per line of text; the rows added.
  int AddForeignRows(IDataObject* Data);
  bool BroughtText(PDataNode Node, TColumnIndex Column, std::u16string& Text) const;
};

// Creates and shows the demo form (the application's main form).
TTreeDemoForm* CreateTreeDemo();

}  // namespace qv::treedemo
