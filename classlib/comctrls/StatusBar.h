// TStatusBar over the status bar window class: a collection of panels
// (text, width, bevel, alignment, owner drawn), a simple text shown
// instead of the panels, a size grip, and OnDrawPanel for owner-drawn ones.
#pragma once
#include <functional>
#include <memory>

#include "classlib/Collection.h"
#include "classlib/controls/WinControl.h"

namespace qv {

class TStatusBar;
class TStatusPanels;
class TCanvas;

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusPanel : public TCollectionItem {
 public:
  explicit TStatusPanel(TCollection* Collection);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& Value);
  int Width() const { return width_; }
  void SetWidth(int Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TStatusPanelBevel Bevel() const { return bevel_; }
  void SetBevel(TStatusPanelBevel Value);
  TStatusPanelStyle Style() const { return style_; }
  void SetStyle(TStatusPanelStyle Value);
  void Assign(TPersistent* Source) override;

 private:
  std::string text_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  TStatusPanelBevel bevel_ = pbLowered;
  TStatusPanelStyle style_ = psText;
};

class TStatusPanels : public TCollection {
 public:
  explicit TStatusPanels(TStatusBar* StatusBar);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
  TStatusPanel* operator[](int Index) const { return Items(Index); }

 protected:
  void Update(TCollectionItem* Item) override;
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

 private:
  friend class TStatusPanel;
  TStatusBar* bar_;
  bool constructing_ = false;  // a panel is joining and is not built yet
};

using TDrawPanelEvent = std::function<void(TStatusBar* StatusBar, TStatusPanel* Panel, const RECT& Rect)>;

class TStatusBar : public TWinControl {
 public:
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;
  TStatusPanels* Panels() const { return panels_.get(); }
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool Value);
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& Value);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool Value);
  TCanvas* Canvas() const { return canvas_.get(); }
  TDrawPanelEvent OnDrawPanel;
  void Dispatch(TMessage& Message) override;

  // Sends the panels (all of them, or one whose text changed) to the window.
  void UpdatePanels(TStatusPanel* Panel);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  virtual void DrawPanel(TStatusPanel* Panel, const RECT& Rect);

 private:
  void SendPanelText(int Index);
  std::unique_ptr<TStatusPanels> panels_;
  std::unique_ptr<TCanvas> canvas_;
  bool simplePanel_ = false, sizeGrip_ = true;
  std::string simpleText_;
};

}  // namespace qv
