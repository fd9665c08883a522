// The string tree's in-place editor: the edit link that binds an editor to a
// cell and hands the new text back, and the edit control it owns. The text
// stays UTF-16 from the cell to the editor and back.
#pragma once
#include <memory>

#include "classlib/stdctrls/CustomEdit.h"
#include "datatree/DataTreeTransferTypes.h"

namespace qv {

class TCustomDataStringTree;
class TStringEditLink;

// Private messages of the editor.
constexpr UINT CM_AUTOADJUST = 0xB000 + 2005;

class TDTEdit : public TCustomEdit {
 public:
  TDTEdit(TStringEditLink* Link);
  ~TDTEdit() override;
  // Frees the editor outside the current message.
  void Release();
  std::u16string WideText();
  void SetWideText(const std::u16string& Text);
  void AutoAdjustSize();
  TStringEditLink* Link() const { return link_; }
  void ClearLink();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void DoExit() override;

 private:
  ComPtr<IDTEditLink> refLink_;
  TStringEditLink* link_;
  bool multiline_ = false;
  friend class TStringEditLink;
};

class TStringEditLink : public ComObject<IDTEditLink> {
 public:
  static ComPtr<TStringEditLink> Create();
  bool BeginEdit() override;
  bool CancelEdit() override;
  bool EndEdit() override;
  bool PrepareEdit(TBaseDataTree* Tree, PDataNode Node, TColumnIndex Column) override;
  RECT GetBounds() override;
  void ProcessMessage(TMessage& Message) override;
  void SetBounds(RECT R) override;

  // The editor while it exists.
  TDTEdit* Edit() const { return editAlive_.expired() ? nullptr : edit_; }
  TCustomDataStringTree* Tree() const { return tree_; }
  PDataNode Node() const { return node_; }
  TColumnIndex Column() const { return column_; }
  bool Stopping() const { return stopping_; }
  TAlignment Alignment() const { return alignment_; }

 protected:
  TStringEditLink();
  ~TStringEditLink() override;

 private:
  friend class TDTEdit;
  TDTEdit* edit_ = nullptr;
  std::weak_ptr<void> editAlive_;  // the editor may go first, with its tree
  TCustomDataStringTree* tree_ = nullptr;
  std::weak_ptr<void> treeAlive_;
  PDataNode node_ = nullptr;
  TColumnIndex column_ = NoColumn;
  TAlignment alignment_ = taLeftJustify;
  RECT textBounds_{};
  bool stopping_ = false;
};

}  // namespace qv
