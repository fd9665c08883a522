// TRichEdit in plain-text mode: a multi-line edit (over the EDIT window
// class, whose line index keeps the cost linear in the text) with its own
// font, both scroll bars if asked, read-only use, and FindText.
#pragma once
#include "classlib/stdctrls/Memo.h"
#include "platform/Set.h"

namespace qv {

enum TSearchType { stWholeWord, stMatchCase };
using TSearchTypes = Set<TSearchType>;

class TRichEdit : public TCustomMemo {
 public:
  explicit TRichEdit(TComponent* AOwner);
  // Only plain text is kept; the flag is remembered for callers that set it.
  bool PlainText = true;
  // The position (in characters) of the first match of SearchStr that lies
  // wholly within StartPos .. StartPos + Length (a negative Length searches
  // to the end), or -1.
  int FindText(const std::string& SearchStr, int StartPos, int Length, TSearchTypes Options);
};

}  // namespace qv
