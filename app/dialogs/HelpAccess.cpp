// The help pages as the windows open them, and the box that explains a page
// that could not be shown: a missing page, or no viewer (xdg-open) on PATH.
#include "app/dialogs/HelpAccess.h"

#include "app/dialogs/DialogTexts.h"
#include "catalogue/Help.h"
#include "classlib/controls/ShortCuts.h"
#include "classlib/dialogs/Dialogs.h"
#include "platform/Files.h"
#include "platform/window/Input.h"

namespace qv {

namespace T = texts::help;

bool ShowHelpTopic(const std::string& Topic) {
  if (ShowHelp(Topic)) return true;
  const std::string page = HelpPagePath(Topic);
  const std::string text =
      FileExists(page) ? T::NoViewer + page + T::NoViewerEnd : T::NoPage + page + T::NoPageEnd;
  MessageDlg(text, mtWarning, TMsgDlgButtons{mbOK}, 0);
  return false;
}

TAction* NewHelpAction(TActionList* List, TComponent* Owner, std::function<std::string()> Topic) {
  auto* a = new TAction(Owner);
  a->SetCaption(T::Caption);
  a->SetShortCut(VK_F1);
  a->SetActionList(List);
  a->OnExecute = [Topic = std::move(Topic)](TObject*) { ShowHelpTopic(Topic()); };
  return a;
}

}  // namespace qv
