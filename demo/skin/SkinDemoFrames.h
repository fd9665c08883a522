// The skin demo's skinned windows: an MDI frame whose whole frame, title
// buttons, main menu, popup menu, grip and client come from the skin, with
// skinned child windows, buttons switching between the skins Harbour and
// Dusk and no skin, and a button whose skin error shows the skinned message
// box.
#pragma once
#include <string>
#include <vector>

#include "classlib/controls/Forms.h"
#include "classlib/menus/Menus.h"
#include "skin/forms/skinProvider.h"
#include "skin/skinManager.h"

namespace qv {
class TSkBitBtn;
class TSkPanel;
}  // namespace qv

namespace qv::demo {

class TSkinDemoFrames : public TForm {
 public:
  // The folder holding the skins; set before the window is made.
  static std::string SkinDirectory;
  explicit TSkinDemoFrames(TComponent* AOwner);
  ~TSkinDemoFrames() override;

  TSkinManager* Skins = nullptr;  // the default manager (made here when there is none)
  TSkinProvider* Provider = nullptr;
  TMainMenu* MainMenu = nullptr;
  TPopupMenu* Popup = nullptr;
  TSkPanel* Bar = nullptr;
  TSkBitBtn *HarbourButton = nullptr, *DuskButton = nullptr, *NoSkinButton = nullptr, *ErrorButton = nullptr;
  std::vector<TForm*> Children;

  // "" = no skin.
  void UseSkin(const std::string& Name);
  // Asks the manager for a skin that does not exist: its error reaches the user.
  void RaiseSkinError();
  // Two more skinned child windows.
  void OpenChildren();

 private:
  TMenuItem* AddItem(TMenuItem* Parent, const std::string& Caption, TNotifyEvent Click = nullptr);
  bool ownsSkins_ = false;
};

}  // namespace qv::demo
