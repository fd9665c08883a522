// TConsole: the log strip under the main window's pages. The engine and the
// views write one line each (info, warning, error, fatal), newest at the
// bottom and focused; the lines can be copied to the clipboard.
#pragma once
#include <memory>
#include <string>

#include "classlib/Strings.h"
#include "classlib/controls/Forms.h"
#include "classlib/graphics/ImageList.h"
#include "datatree/DataStringTree.h"

namespace qv {

class TConsole : public TFrame {
 public:
  // A console line: its level's image (-1 for none) and its whole text.
  struct TLine {
    int32_t ImageIndex;
    std::u16string Text;
  };

  explicit TConsole(TComponent* AOwner);
  ~TConsole() override;

  // Level 0 info, 1 warning, 2 error, 3 fatal, 4 a plain line without image.
  void Add(const std::string& Text, int Level);
  void AddInfo(const std::string& Text) { Add(Text, 0); }
  void AddWarning(const std::string& Text) { Add(Text, 1); }
  void AddError(const std::string& Text) { Add(Text, 2); }
  void AddFatal(const std::string& Text) { Add(Text, 3); }
  void Clear();
  // Every line followed by CR LF, as text on the clipboard.
  void CopyToClipboard();
  // The lines as written (prefix and message), in order.
  const TStringList& Lines() const { return *lines_; }

  void ViewGetText(TBaseDataTree* Sender, PDataNode Node, TColumnIndex Column, TVSTTextType TextType,
                   std::u16string& CellText);
  void ViewGetImageIndex(TBaseDataTree* Sender, PDataNode Node, TDTImageKind Kind, TColumnIndex Column,
                         bool& Ghosted, int& ImageIndex);

  TDataStringTree* View;
  TImageList* ViewImages;

 private:
  std::unique_ptr<TStringList> lines_;
};

extern TConsole* Console;

}  // namespace qv
