// Start-up binding of the skin engine's seams to the form skinning units.
#include "skin/controls/skPanel.h"
#include "skin/forms/skDialogs.h"
#include "skin/forms/skinMenus.h"
#include "skin/forms/skinProvider.h"
#include "skin/skControlTree.h"
#include "skin/skUtils.h"

namespace qv {

void UseSkinnedForms() {
  ShowErrorSink = [](const std::string& Text) { skMessageDlg(Text, mtError, TMsgDlgButtons{mbOK}, 0); };
  SendToProviderHook = [](TCustomForm* Form, TMessage& Message) {
    if (TSkinProvider* p = TSkinProvider::ProviderOf(Form)) p->SkinProviderWndProc(Message);
  };
  SkinMenuPainterFactory = [](TSkinManager* Manager) -> std::unique_ptr<ISkinMenuPainter> {
    return std::make_unique<TSkinableMenus>(Manager);
  };
}

}  // namespace qv
