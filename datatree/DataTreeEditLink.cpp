// The string tree's edit link and its edit control.
#include "datatree/DataTreeEditLink.h"

#include "datatree/DataStringTree.h"
#include "datatree/DataTreeTransfer.h"
#include "platform/Utf.h"
#include "platform/controls/SystemControls.h"
#include "platform/gdi/Gdi.h"
#include "platform/text/Text.h"
#include "platform/window/Input.h"

namespace qv {

ComPtr<TStringEditLink> TStringEditLink::Create() {
  return ComPtr<TStringEditLink>::Adopt(new TStringEditLink);
}

TStringEditLink::TStringEditLink() {
  edit_ = new TDTEdit(this);
  editAlive_ = edit_->AliveToken();
  edit_->SetVisible(false);
  edit_->SetBorderStyle(bsSingle);
  edit_->SetAutoSize(false);
}

TStringEditLink::~TStringEditLink() {
  TDTEdit* edit = Edit();
  if (!edit) return;
  edit->link_ = nullptr;
  if (tree_ && !treeAlive_.expired())
    tree_->ReleaseEditor(edit);  // freed outside the current message
  else if (!edit->Parent())
    delete edit;
}

bool TStringEditLink::PrepareEdit(TBaseDataTree* Tree, PDataNode Node, TColumnIndex Column) {
  auto* tree = dynamic_cast<TCustomDataStringTree*>(Tree);
  TDTEdit* edit = Edit();
  if (!tree || !edit) return false;
  tree_ = tree;
  treeAlive_ = tree->AliveToken();
  node_ = Node;
  column_ = Column;
  std::u16string text;
  edit->multiline_ = Node->Has(vsMultiline);
  tree->GetTextInfo(Node, Column, edit->Font(), textBounds_, text);
  edit->Font()->SetColor(clWindowText);
  edit->SetParent(tree);
  edit->HandleNeeded();
  edit->SetWideText(text);
  auto* columns = tree->Header()->Columns();
  if (columns->IsValidColumn(Column)) {
    alignment_ = columns->Items(Column)->Alignment();
    if (columns->Items(Column)->BiDiMode() != bdLeftToRight && alignment_ != taCenter)
      alignment_ = alignment_ == taLeftJustify ? taRightJustify : taLeftJustify;
  } else {
    alignment_ = tree->Alignment();
  }
  return true;
}

bool TStringEditLink::BeginEdit() {
  TDTEdit* edit = Edit();
  if (stopping_ || !edit) return false;
  edit->Show();
  edit->SelectAll();
  edit->SetFocus();
  return true;
}

bool TStringEditLink::EndEdit() {
  if (stopping_) return false;
  stopping_ = true;
  ComPtr<IDTEditLink> keep(this);
  if (TDTEdit* edit = Edit()) {
    if (edit->Modified() && tree_ && !treeAlive_.expired()) tree_->SetText(node_, column_, edit->WideText());
    edit->Hide();
    edit->ClearLink();
  }
  return true;
}

bool TStringEditLink::CancelEdit() {
  if (stopping_) return false;
  stopping_ = true;
  ComPtr<IDTEditLink> keep(this);
  if (TDTEdit* edit = Edit()) edit->Hide();
  if (tree_ && !treeAlive_.expired()) tree_->CancelEditNode();
  if (TDTEdit* edit = Edit()) edit->ClearLink();
  return true;
}

RECT TStringEditLink::GetBounds() {
  TDTEdit* edit = Edit();
  return edit ? edit->BoundsRect() : RECT{};
}

void TStringEditLink::ProcessMessage(TMessage& Message) {
  if (TDTEdit* edit = Edit()) edit->WindowProc(Message);
}

void TStringEditLink::SetBounds(RECT R) {
  TDTEdit* edit = Edit();
  if (stopping_ || !edit || !tree_) return;
  R.left = std::max<LONG>(R.left, 0);
  if (R.right - R.left < 30) {
    if (alignment_ == taRightJustify)
      R.left = R.right - 30;
    else
      R.right = R.left + 30;
  }
  R.right = std::min<LONG>(R.right, tree_->ClientWidth());
  edit->SetBoundsRect(R);
  if (!edit->HandleAllocated()) return;
  RECT f;
  GetClientRect(edit->Handle(), &f);
  int m = 2;
  InflateRect(&f, m - tree_->TextMargin(), m);
  if (!edit->multiline_) OffsetRect(&f, 0, textBounds_.top - edit->Top());
  SendMessageW(edit->Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&f));
}

TDTEdit::TDTEdit(TStringEditLink* Link) : TCustomEdit(nullptr), refLink_(Link), link_(Link) {
  SetShowHint(false);
  SetParentShowHint(false);
}

TDTEdit::~TDTEdit() {
  // The link may outlive the editor (the tree went first); it finds the
  // editor gone through its liveness token.
  if (link_) link_->edit_ = nullptr;
  link_ = nullptr;
  ComPtr<IDTEditLink> last = std::move(refLink_);
  if (auto* s = dynamic_cast<TStringEditLink*>(last.Get())) s->edit_ = nullptr;
}

void TDTEdit::ClearLink() {
  link_ = nullptr;
  ComPtr<IDTEditLink> drop = std::move(refLink_);
}

void TDTEdit::Release() {
  if (link_ && link_->tree_ && !link_->treeAlive_.expired()) link_->tree_->ReleaseEditor(this);
}

std::u16string TDTEdit::WideText() {
  if (!HandleAllocated()) return Utf8ToUtf16(Text());
  int n = GetWindowTextLengthW(Handle());
  std::u16string s(size_t(std::max(n, 0)) + 1, u'\0');
  int got = GetWindowTextW(Handle(), s.data(), n + 1);
  s.resize(size_t(std::max(got, 0)));
  return s;
}

void TDTEdit::SetWideText(const std::u16string& Text) {
  HandleNeeded();
  SetWindowTextW(Handle(), Text.c_str());
  SetModified(false);
}

void TDTEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE;
  if (multiline_) {
    Params.Style &= ~(WS_HSCROLL | ES_AUTOHSCROLL);
    Params.Style |= WS_VSCROLL | ES_AUTOVSCROLL;
  }
  Params.Style |= WS_BORDER;
  Params.ExStyle &= ~WS_EX_CLIENTEDGE;
}

void TDTEdit::DoExit() {
  TCustomEdit::DoExit();
  if (!link_ || link_->stopping_ || !link_->tree_ || link_->treeAlive_.expired()) return;
  TCustomDataStringTree* tree = link_->tree_;
  if (tree->StringTreeOptions()->StringOptions().Contains(toAutoAcceptEditChange))
    tree->EndNodeEdit();
  else
    tree->CancelNodeEdit();
}

void TDTEdit::AutoAdjustSize() {
  if (!link_ || !link_->tree_ || multiline_ || !HandleAllocated()) return;
  TCustomDataStringTree* tree = link_->tree_;
  SendMessageW(Handle(), WM_SETREDRAW, 0, 0);
  std::u16string text = WideText();
  HDC dc = GetDC(Handle());
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  SIZE s{};
  GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &s);
  SelectObject(dc, old);
  ReleaseDC(Handle(), dc);
  int width = s.cx + 2 * tree->TextMargin();
  RECT r = BoundsRect();
  if (r.right - r.left > width) tree->InvalidateNode(link_->node_);
  if (link_->alignment_ == taRightJustify)
    r.left = r.right - width;
  else
    r.right = r.left + width;
  SendMessageW(Handle(), WM_SETREDRAW, 1, 0);
  link_->SetBounds(r);
}

void TDTEdit::WndProc(TMessage& Message) {
  auto tree = [this]() -> TCustomDataStringTree* {
    return link_ && link_->tree_ && !link_->treeAlive_.expired() ? link_->tree_ : nullptr;
  };
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      TCustomEdit::WndProc(Message);
      Message.Result |= DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
      return;
    case WM_KEYDOWN: {
      bool ctrl = GetKeyState(VK_CONTROL) < 0;
      if (Message.WParam == VK_RETURN && (!multiline_ || ctrl)) {
        if (TCustomDataStringTree* t = tree()) {
          t->InvalidateNode(link_->node_);
          t->EndNodeEdit();
          t->SetFocus();
        }
        return;
      }
      if (Message.WParam == VK_ESCAPE) {
        if (TCustomDataStringTree* t = tree()) {
          t->CancelNodeEdit();
          t->SetFocus();
        }
        return;
      }
      if (!multiline_ && Message.WParam == VK_UP) Message.WParam = VK_LEFT;
      if (!multiline_ && Message.WParam == VK_DOWN) Message.WParam = VK_RIGHT;
      break;
    }
    case WM_CHAR:
      if (Message.WParam == 9 || Message.WParam == 27 || (Message.WParam == 13 && !multiline_)) return;
      break;
    case WM_DESTROY:
      if (TCustomDataStringTree* t = tree(); t && !link_->stopping_) {
        if (t->StringTreeOptions()->StringOptions().Contains(toAutoAcceptEditChange) && Modified())
          t->SetText(link_->node_, link_->column_, WideText());
      }
      ClearLink();
      break;
    case CN_COMMAND:
      if (HIWORD(Message.WParam) == EN_UPDATE && tree() &&
          !tree()->TreeOptions()->MiscOptions().Contains(toGridExtensions)) {
        TCustomEdit::WndProc(Message);
        AutoAdjustSize();
        return;
      }
      break;
    case CM_AUTOADJUST:
      AutoAdjustSize();
      return;
  }
  TCustomEdit::WndProc(Message);
}

}  // namespace qv
