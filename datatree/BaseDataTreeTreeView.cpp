// Answers to the tree-view messages. Node arguments come from other code and
// are only used once they are known to be live nodes of this tree; text
// buffers are filled only with a positive size.
#include <cstring>

#include "datatree/BaseDataTree.h"
#include "datatree/DataStringTree.h"
#include "datatree/TreeViewMessages.h"
#include "platform/Utf.h"

namespace qv {

using namespace treeview;

bool TBaseDataTree::IsNodeOfThisTree(const void* Node) const {
  return store_.Owns(Node);
}

bool TBaseDataTree::HandleTreeViewMessage(TMessage& Message) {
  switch (Message.Msg) {
    case TVM_GETITEMRECT: {
      auto* rect = reinterpret_cast<RECT*>(Message.LParam);
      Message.Result = 0;
      if (!rect) return true;
      // The node arrives in the rectangle's first pointer-sized field.
      void* candidate;
      std::memcpy(&candidate, rect, sizeof(candidate));
      auto* node = static_cast<PDataNode>(candidate);
      if (!IsNodeOfThisTree(node) || !IsNodeVisible(node)) return true;
      *rect = GetDisplayRect(node, NoColumn, Message.WParam != 0);
      Message.Result = 1;
      return true;
    }
    case TVM_GETNEXTITEM: {
      auto* node = reinterpret_cast<PDataNode>(Message.LParam);
      UINT code = UINT(Message.WParam);
      bool needsNode = code == TVGN_NEXT || code == TVGN_PREVIOUS || code == TVGN_PARENT ||
                       code == TVGN_CHILD || code == TVGN_NEXTVISIBLE || code == TVGN_PREVIOUSVISIBLE;
      Message.Result = 0;
      if (needsNode && !IsNodeOfThisTree(node)) return true;
      PDataNode r = nullptr;
      switch (code) {
        case TVGN_ROOT:
          r = GetFirst();
          break;
        case TVGN_NEXT:
          r = node->NextSibling;
          break;
        case TVGN_PREVIOUS:
          r = node->PrevSibling;
          break;
        case TVGN_PARENT:
          r = node->Parent == root_ ? nullptr : node->Parent;
          break;
        case TVGN_CHILD:
          r = GetFirstChild(node);
          break;
        case TVGN_FIRSTVISIBLE:
          r = GetFirstVisible();
          break;
        case TVGN_NEXTVISIBLE:
          r = GetNextVisible(node);
          break;
        case TVGN_PREVIOUSVISIBLE:
          r = GetPreviousVisible(node);
          break;
        case TVGN_DROPHILITE:
          r = dropTargetNode_;
          break;
        case TVGN_CARET:
          r = focus_.Node();
          break;
        case TVGN_LASTVISIBLE:
          r = GetLastVisible();
          break;
        default:
          break;
      }
      Message.Result = reinterpret_cast<LRESULT>(r);
      return true;
    }
    case TVM_GETITEMA: {
      auto* item = reinterpret_cast<TVITEMA*>(Message.LParam);
      Message.Result = 0;
      if (!item || !(item->mask & TVIF_HANDLE) || !IsNodeOfThisTree(item->hItem)) return true;
      auto* node = static_cast<PDataNode>(item->hItem);
      InitIfNeeded(node);
      TColumnIndex main = header_->MainColumn();
      bool ghosted;
      if (item->mask & TVIF_CHILDREN) item->cChildren = int(node->ChildCount);
      if (item->mask & TVIF_IMAGE) item->iImage = DoGetImageIndex(node, ikNormal, main, ghosted);
      if (item->mask & TVIF_SELECTEDIMAGE)
        item->iSelectedImage = DoGetImageIndex(node, ikSelected, main, ghosted);
      if (item->mask & TVIF_STATE) {
        item->stateMask = 0xFF2F;
        item->state = (node == focus_.Node() ? TVIS_FOCUSED : 0) |
                      (node->Has(vsSelected) ? TVIS_SELECTED : 0) | (node->Has(vsCutOrCopy) ? TVIS_CUT : 0) |
                      (node == dropTargetNode_ ? TVIS_DROPHILITED : 0) |
                      (node->Has(vsExpanded) ? TVIS_EXPANDED : 0);
        int stateImage = DoGetImageIndex(node, ikState, main, ghosted);
        int overlay = DoGetImageIndex(node, ikOverlay, main, ghosted);
        if (stateImage >= 0) item->state |= UINT(stateImage & 0xF) << 12;
        if (overlay >= 0) item->state |= UINT(overlay & 0xF) << 8;
      }
      if (item->mask & TVIF_TEXT) {
        // Only a real buffer with room for at least the terminating zero.
        if (!item->pszText || item->cchTextMax < 1) return true;
        std::string text;
        if (auto* strings = dynamic_cast<TCustomDataStringTree*>(this))
          text = Utf16ToUtf8(strings->GetText(node, main));
        size_t n = std::min(text.size(), size_t(item->cchTextMax - 1));
        std::memcpy(item->pszText, text.data(), n);
        item->pszText[n] = '\0';
      }
      Message.Result = 1;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace qv
