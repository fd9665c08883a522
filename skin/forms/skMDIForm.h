// TSkMDIForm: the skinning of an MDI frame's client area. It subclasses the
// client window to paint its background and frame from the provider's cache,
// replaces the client's scroll bars by skinned ones with a grip, and puts a
// child-icon item (restore, minimise, close) at the front of the main menu
// while a child is maximised.
#pragma once
#include "classlib/controls/Forms.h"
#include "platform/window/ScrollBar.h"
#include "platform/window/Window.h"
#include "skin/controls/skSkinCommands.h"

namespace qv {

class TSkinProvider;
class TSkScrollBar;
class TSkGrip;
class TMenuItem;

// One axis of the client's scroll information rebased to start at 0.
struct TSkMDIScrollAxis {
  bool Needed = false;
  int Offset = 0;  // the client's own minimum
  SCROLLINFO Info;
};
TSkMDIScrollAxis RebaseScrollInfo(const SCROLLINFO& Raw, bool Horizontal);

// Both must be on for the client to be painted from the skin; the second
// also enables the skinned scroll bars.
extern bool MDISkinPaint;
extern bool MDISkinScrolls;

class TSkMDIForm : private TSkCommandHooks {
 public:
  explicit TSkMDIForm(TSkinProvider* AProvider);
  ~TSkMDIForm() override;

  void ConnectToClient();
  void UpdateMDIIconItem();
  void UpdateScrollBars();
  bool Connected() const { return connected_; }
  bool Subclassed() const { return oldClientProc_ != nullptr; }
  TMenuItem* ChildIconItem() const { return childIconItem_; }
  TSkScrollBar* ScrollV() const { return scrollV_; }
  TSkScrollBar* ScrollH() const { return scrollH_; }
  TSkGrip* Grip() const { return grip_; }
  // The client area's offset inside the frame's window.
  POINT ClientOffset() const;
  // Set when the frame is being freed: its parts go with it.
  bool FormGoing = false;
  // A menu freed the child-icon item.
  void ItemGone(const void* Item) {
    if (Item == childIconItem_) childIconItem_ = nullptr;
  }

 private:
  bool SkinRemoved(TMessage& Message) override;
  bool CtrlHandled(TMessage& Message) override;
  static LRESULT ClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleClient(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT CallOld(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void MakeChildIconItem();
  void HookIconItemAsTitle();
  void SendToActiveChild(WPARAM Command);
  void PaintClient(HWND hwnd);
  void PaintClientFrame(HWND hwnd);
  bool PaintsSkinned() const;
  TSkScrollBar* MakeBar(bool Vertical);
  void OnBarChanged(TSkScrollBar* Bar);
  void OnBarMouseUp();

  TSkinProvider* provider_;
  TCustomForm* form_;
  HWND client_ = nullptr;
  WNDPROC oldClientProc_ = nullptr;
  TSkScrollBar *scrollV_ = nullptr, *scrollH_ = nullptr;
  TSkGrip* grip_ = nullptr;
  bool connected_ = false;
  TMenuItem* childIconItem_ = nullptr;
  int offsetH_ = 0, offsetV_ = 0;
  bool busy_ = false;
};

}  // namespace qv
