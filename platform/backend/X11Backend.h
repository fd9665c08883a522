// The desktop backend on an X server (Xlib, with XShape for window regions):
// one X window per top-level window, the backing surface put on screen after
// painting, X input turned into the window manager's input, the CLIPBOARD
// and PRIMARY selections for text (the copy handed to the desktop's
// clipboard manager at the end). Normal windows are decorated by the
// desktop's window manager, which then draws the caption and frame in place
// of ours; popups (menus, hints, drop-downs) are override-redirect windows.
#pragma once
#include <atomic>
#include <memory>
#include <string>

#include "platform/backend/Backend.h"

namespace qv {

namespace x11 {
struct Connection;
}

class X11Backend : public Backend {
 public:
  // Use OpenX11Backend. Installs itself on the calling thread, which becomes the UI thread.
  explicit X11Backend(std::unique_ptr<x11::Connection> connection);
  ~X11Backend() override;

  SIZE ScreenSize() override;
  // From the X resource Xft.dpi, as desktops set it; 96 when it is not set.
  int ScreenDpi() override;
  DWORD Now() override;
  void WaitForEvents(DWORD timeoutMs) override;
  void Wake() override;
  void PollEvents() override;
  void WindowCreated(HWND top, const RECT& screenRect, bool popup) override;
  void WindowDestroyed(HWND top) override;
  void WindowShown(HWND top, bool visible) override;
  void WindowMoved(HWND top, const RECT& screenRect) override;
  void WindowRaised(HWND top) override;
  void Present(HWND top, const Surface& backing, const RECT& dirty) override;
  void SetCursorShape(int standardId, HCURSOR custom) override;
  bool SetCursorPos(POINT screen) override;
  std::u16string GetClipboardText() override;
  void SetClipboardText(const std::u16string& text) override;
  bool OfferClipboardText(std::unique_ptr<TextReader>& text) override;
  bool OwnsClipboard() override;
  unsigned ClipboardLosses() override;
  ClipboardOffer OfferedOnClipboard(HWND notify) override;
  ClipboardOffer AwaitClipboardOffer() override;
  std::u16string GetPrimaryText() override;
  void SetPrimaryText(const std::u16string& text) override;
  unsigned BeginTextRead(DesktopSelection from, HWND notify, UINT message) override;
  std::optional<std::u16string> TakeTextRead(unsigned id) override;
  void CancelTextRead(unsigned id) override;
  void Beep(UINT type) override;
  bool ReadDesktop(Surface& area, POINT origin) override;
  RECT DesktopFrame(HWND top) override;
  void ForeignDragBegin(DWORD okEffects, const ForeignDragOffer& offer) override;
  void ForeignDragEnd() override;
  bool ForeignWindowAt(POINT screen) override;
  bool ForeignDragOver(POINT screen, DWORD okEffects, DWORD keys, DWORD& effect) override;
  void ForeignDragLeave() override;
  bool ForeignDrop() override;
  bool ForeignDropResult(DWORD& effect) override;

  // For smoke tests and screenshots: whether the window's X window has been
  // mapped and exposed, and the screen's pixels where it is shown (false
  // when it is not mapped or not wholly on the screen).
  bool IsOnScreen(HWND top) const;
  bool CaptureWindow(HWND top, Surface& out);

 private:
  void Drain();

  std::unique_ptr<x11::Connection> x_;
  // Read once: the display's resources are fixed when it is opened, and
  // the metrics ask often, from any thread.
  std::atomic<int> dpi_{0};
};

// The Xft.dpi value of an X resource database text (as the root window's
// RESOURCE_MANAGER property holds it), rounded; 96 when absent or unreadable.
int DpiFromResources(const char* resources);

// Opens the display named by DISPLAY. Null with a message the user can act on
// when there is no display.
std::unique_ptr<Backend> OpenX11Backend(std::string* error);

}  // namespace qv
