// TFileTree: the search page. The criteria panel on top (masks, category,
// disc, file type, size and date limits) and the result tree: one group per
// matching name, under it one entry per place the name occurs.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/frames/TextArena.h"
#include "catalogue/NodeData.h"
#include "catalogue/ScanOptions.h"
#include "classlib/controls/BasicAction.h"
#include "classlib/controls/Forms.h"
#include "classlib/stdctrls/CheckBox.h"
#include "classlib/stdctrls/ComboBox.h"
#include "classlib/stdctrls/Label.h"
#include "classlib/stdctrls/LabeledEdit.h"
#include "classlib/stdctrls/Panel.h"
#include "datatree/DataStringTree.h"
#include "skin/controls/skSpinEdit.h"
#include "skin/controls/skTooledit.h"

namespace qv {

class TRowBatch;

// Asks where a disc is available: shows prompt, true with the chosen folder
// on OK. The main window answers it with its folder-choice dialog.
using TChooseFolderEvent = std::function<bool(const std::string& Prompt, std::string& Folder)>;

class TFileTree : public TFrame {
 public:
  // A result row as the view keeps it: a group's name or an entry's folder
  // path as stored (UTF-8) in the view's text arena, the disc's label and
  // location as a slot of its disc table; nothing of its own to free.
  struct TResultRow {
    int64_t ID;
    int64_t Size;
    TDateTime Date;
    TTextArena::Ref Text;
    uint32_t Disc;
    uint8_t Kind;
  };

  explicit TFileTree(TComponent* AOwner);
  ~TFileTree() override;

  // Engine operations. An entry (file or folder row) needs a group as parent.
  PDataNode AddNode(const TNodeData& Data, PDataNode Parent);
  void Expand(PDataNode Node);
  void Clear();
  void Sort();
  // A Sort follows the rows to come: each group is sorted once complete.
  void SortFollows() { sortEarly_ = true; }
  void FillCombos(bool Full);
  void FillDiscCombo();
  // The file-type list again from the engine's table (after Settings).
  void FillFileCombo();

  // Criteria.
  void GetSearchOpts(TSearchOpts& Opts);
  bool CanSearch();
  // Why a checked limit cannot be used: its text is no byte count, or no
  // day. Empty when every checked limit reads.
  std::string LimitRefusal();
  int SelectedCategory();
  int SelectedDisc();
  int SelectedFileType();
  void SelectCategory(int Index);
  void SelectDisc(int Index);
  void SelectFileType(int Index);

  // Results.
  bool EntrySelected();
  // The first selected entry and the name of its group; false when the first
  // selected row is no entry. The name is the stored one, byte for byte.
  bool SelectedEntry(TNodeData& Entry, std::string& Name);
  // A row as the engine gave it; false for no row.
  bool RowData(PDataNode Node, TNodeData& Data);
  void OpenInExplorer();

  // The main window's actions run by Enter in a mask and by a double click.
  TBasicAction* SearchAction = nullptr;
  TBasicAction* FileBOpenAction = nullptr;
  TChooseFolderEvent OnChooseFolder;

  TPanel* SearchPanel;
  TLabeledEdit* FileEdit;
  TLabeledEdit* FolderEdit;
  TLabel* CatsLabel;
  TComboBox* CatsCombo;
  TLabel* DiscLabel;
  TComboBox* DiscCombo;
  TLabel* FileLabel;
  TComboBox* FileCombo;
  TLabel* SearchInLabel;
  TCheckBox* chkSMin;
  TSkSpinEdit* SMinEdit;
  TCheckBox* chkSMax;
  TSkSpinEdit* SMaxEdit;
  TCheckBox* chkDMin;
  TSkDateEdit* MinDate;
  TCheckBox* chkDMax;
  TSkDateEdit* MaxDate;
  TDataStringTree* Tree;

  // Event handlers.
  void LimitClick(TObject* Sender);
  void CatsComboChange(TObject* Sender);
  void MaskKeyPress(TObject* Sender, char16_t& Key);
  void TreeGetText(TBaseDataTree* Sender, PDataNode Node, TColumnIndex Column, TVSTTextType TextType,
                   std::u16string& CellText);
  void TreeBeforeItemErase(TBaseDataTree* Sender, TCanvas* Canvas, PDataNode Node, RECT ItemRect,
                           TColor& ItemColor, TItemEraseAction& EraseAction);
  void TreePaintText(TBaseDataTree* Sender, TCanvas* TargetCanvas, PDataNode Node, TColumnIndex Column,
                     TVSTTextType TextType);
  void TreeCompareNodes(TBaseDataTree* Sender, PDataNode Node1, PDataNode Node2, TColumnIndex Column,
                        int& Result);
  void TreeHeaderClick(TDTHeader* Sender, TColumnIndex Column, TMouseButton Button, TShiftState Shift, int X,
                       int Y);
  void TreeDblClick(TObject* Sender);
  void TreeRenderOLEData(TBaseDataTree* Sender, const FORMATETC& FormatEtcIn, STGMEDIUM& Medium,
                         bool ForClipboard, HRESULT& Result);

  // Scaling to the screen moves the criteria with the rest.
  void ChangeScale(int M, int D) override;

 private:
  struct TDiscText {
    std::u16string Label, Location;
  };
  void BuildPanel();
  // The limit boxes' hints say when their text is refused.
  struct TLimit {
    TCheckBox* box;
    TWinControl* edit;
    const char* hint;
  };
  std::vector<TLimit> Limits() const;
  void ShowLimitHints();
  // Places the criteria for the panel's width: the design places when they
  // fit, else narrower columns, else the combos and limits below the masks.
  void ArrangePanel();
  int Scaled(int v) const { return MulDiv(v, scaleM_, scaleD_); }
  void BuildTree();
  const TResultRow* Row(PDataNode Node);
  std::string_view TextOf(const TResultRow& Row) const { return arena_.Get(Row.Text); }
  uint32_t DiscSlot(const TNodeData& Data);
  TTextArena::Ref PathText(std::string_view Path);
  void ForgetRows();
  bool EntriesInOrder(PDataNode Group, TColumnIndex Column, TSortDirection Direction);
  // The rows copied (or dragged) as text: a line each under the header line.
  std::u16string RowsText(bool ForClipboard);

  std::unique_ptr<TRowBatch> batch_;
  TTextArena arena_;
  // Each entry path text in the arena, by its text.
  std::unordered_map<std::string_view, TTextArena::Ref> paths_;
  std::vector<TDiscText> discs_;
  uint32_t lastDisc_ = 0;
  // Groups are sorted as the engine completes them when a sort follows: the
  // group that gets entries now, whether some group may be out of order, and
  // the order the groups were sorted for.
  bool sortEarly_ = false;
  PDataNode openGroup_ = nullptr;
  bool sortAll_ = false;
  TColumnIndex sortedColumn_ = -1;
  TSortDirection sortedDirection_ = sdAscending;
  int scaleM_ = 1, scaleD_ = 1;  // the screen's scale of the design sizes
  bool arranging_ = false;
};

extern TFileTree* FileTree;

}  // namespace qv
