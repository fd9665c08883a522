// The skinned message box: its tables (captions, icons, buttons), the layout
// from the average character size, the default and cancel buttons, and the
// width cache of the button captions.
#include "skin/forms/skDialogs.h"

#include <algorithm>

#include "classlib/controls/Application.h"
#include "classlib/controls/Screen.h"
#include "classlib/graphics/Icon.h"
#include "classlib/stdctrls/Image.h"
#include "platform/Utf.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/SystemMetrics.h"
#include "platform/text/Text.h"
#include "platform/window/Paint.h"
#include "platform/window/StandardIcons.h"
#include "skin/controls/skBitBtn.h"
#include "skin/controls/skLabel.h"
#include "skin/forms/skinProvider.h"

namespace qv {

namespace {
struct ButtonInfo {
  const char* Name;
  const char* Caption;
  TModalResult Result;
};
const ButtonInfo kButtons[11] = {{"Yes", "&Yes", mrYes},
                                 {"No", "&No", mrNo},
                                 {"OK", "OK", mrOk},
                                 {"Cancel", "Cancel", mrCancel},
                                 {"Abort", "&Abort", mrAbort},
                                 {"Retry", "&Retry", mrRetry},
                                 {"Ignore", "&Ignore", mrIgnore},
                                 {"All", "&All", mrAll},
                                 {"NoToAll", "N&o to All", mrNoToAll},
                                 {"YesToAll", "Yes to &All", mrYesToAll},
                                 {"Help", "&Help", mrNone}};
const char* kCaptions[4] = {"Warning", "Error", "Information", "Confirm"};
int widthCache[11] = {};

LPCWSTR_ID IconOf(TMsgDlgType T) {
  switch (T) {
    case mtWarning:
      return IDI_EXCLAMATION;
    case mtError:
      return IDI_HAND;
    case mtInformation:
      return IDI_ASTERISK;
    case mtConfirmation:
      return IDI_QUESTION;
    default:
      return nullptr;
  }
}
}  // namespace

int& MessageButtonWidth(TMsgDlgBtn Button) {
  return widthCache[int(Button)];
}

TSkMessageForm::TSkMessageForm(TComponent* AOwner) : TForm(AOwner) {
  NONCLIENTMETRICSW m;
  m.cbSize = 340;
  if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, m.cbSize, &m, 0))
    if (HFONT f = CreateFontIndirectW(&m.lfMessageFont)) Font()->SetHandle(f);
  SkinProvider = new TSkinProvider(this);
  SkinProvider->SkinData()->SetSkinSection("DIALOG");
  SkinProvider->MakeSkinMenu = false;
  SkinProvider->PrepareForm();
  SetAutoScroll(false);
}

void TSkMessageForm::HelpButtonClick(TObject*) {
  if (Application) Application->HelpContext(HelpContext);
}

SIZE GetAveCharSize(TCanvas* Canvas) {
  std::string letters;
  for (char c = 'A'; c <= 'Z'; ++c) letters += c;
  for (char c = 'a'; c <= 'z'; ++c) letters += c;
  const SIZE s = Canvas->TextExtent(letters);
  return SIZE{s.cx / 52, s.cy};
}

TSkMessageForm* skCreateMessageDialog(const std::string& Caption, const std::string& Msg, TMsgDlgType DlgType,
                                      TMsgDlgButtons Buttons) {
  auto* form = new TSkMessageForm(Application);
  form->SetBorderStyle(bsDialog);
  TCanvas* canvas = form->Canvas();
  HDC measure = CreateCompatibleDC(nullptr);  // measures only: no copy of the screen
  canvas->SetHandle(measure);
  canvas->SetFont(form->Font());
  const SIZE ave = GetAveCharSize(canvas);
  const int horzMargin = MulDiv(16, ave.cx, 4), vertMargin = MulDiv(12, ave.cy, 8);
  const int horzSpacing = MulDiv(10, ave.cx, 4), vertSpacing = MulDiv(10, ave.cy, 8);
  int buttonWidth = MulDiv(50, ave.cx, 4);
  const int buttonHeight = MulDiv(14, ave.cy, 8), buttonSpacing = MulDiv(4, ave.cx, 4);
  int count = 0;
  for (int b = 0; b < 11; ++b) {
    if (!Buttons.Contains(TMsgDlgBtn(b))) continue;
    ++count;
    if (widthCache[b] == 0) {
      RECT r{0, 0, 0, 0};
      std::u16string text = Utf8ToUtf16(kButtons[b].Caption);
      DrawTextW(canvas->Handle(), text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
      widthCache[b] = r.Width() + 8;
    }
    buttonWidth = std::max(buttonWidth, widthCache[b]);
  }
  // Half the screen wide, as high as the wrapped text needs (the length excludes the terminator).
  RECT text{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
  std::u16string msg = Utf8ToUtf16(Msg);
  DrawTextW(canvas->Handle(), msg.c_str(), int(msg.size()), &text,
            DT_EXPANDTABS | DT_CALCRECT | DT_WORDBREAK);
  canvas->SetHandle(nullptr);
  DeleteDC(measure);
  const LPCWSTR_ID iconId = IconOf(DlgType);
  const int textW = text.Width(), textH = text.Height();
  int iconTextWidth = textW, iconTextHeight = textH;
  if (iconId) {
    iconTextWidth += horzSpacing + 32;
    iconTextHeight = std::max(iconTextHeight, 32);
  }
  const int groupWidth = count ? buttonWidth * count + buttonSpacing * (count - 1) : 0;
  form->SetClientWidth(std::max(iconTextWidth, groupWidth) + 2 * horzMargin);
  form->SetClientHeight(iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin);
  form->SetLeft(GetSystemMetrics(SM_CXSCREEN) / 2 - form->Width() / 2);
  form->SetTop(GetSystemMetrics(SM_CYSCREEN) / 2 - form->Height() / 2);
  if (!Caption.empty())
    form->SetCaption(Caption);
  else if (DlgType != mtCustom)
    form->SetCaption(kCaptions[DlgType]);
  else
    form->SetCaption(Application ? Application->Title : std::string());
  if (iconId) {
    auto* image = new TImage(form);
    image->SetName("Image");
    TIcon icon;
    icon.SetHandle(LoadIcon(nullptr, iconId));
    image->Picture()->SetGraphic(&icon);
    image->SetBounds(horzMargin, vertMargin, 32, 32);
    image->SetParent(form);
  }
  auto* label = new TSkLabel(form);
  label->SetName("Message");
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetCaption(Msg);
  const int x = iconTextWidth - textW + horzMargin;
  label->SetBounds(x, vertMargin, textW, textH);
  label->SetParent(form);
  const TMsgDlgBtn defaultButton = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : mbRetry;
  const TMsgDlgBtn cancelButton = Buttons.Contains(mbCancel) ? mbCancel
                                  : Buttons.Contains(mbNo)   ? mbNo
                                                             : mbOK;
  int bx = (form->ClientWidth() - groupWidth) / 2;
  for (int b = 0; b < 11; ++b) {
    if (!Buttons.Contains(TMsgDlgBtn(b))) continue;
    auto* button = new TSkBitBtn(form);
    button->SetName(kButtons[b].Name);
    button->SetCaption(kButtons[b].Caption);
    button->ModalResult = kButtons[b].Result;
    button->SetDefault(TMsgDlgBtn(b) == defaultButton);
    button->SetCancel(TMsgDlgBtn(b) == cancelButton);
    button->SetBounds(bx, iconTextHeight + vertMargin + vertSpacing, buttonWidth, buttonHeight);
    button->SetParent(form);
    if (b == mbHelp) button->OnClick = [form](TObject* S) { form->HelpButtonClick(S); };
    bx += buttonWidth + buttonSpacing;
  }
  return form;
}

int skMessageDlgPosHelp(const std::string& Caption, const std::string& Msg, TMsgDlgType DlgType,
                        TMsgDlgButtons Buttons, int HelpCtx, int X, int Y, const std::string& HelpFileName) {
  std::unique_ptr<TSkMessageForm> form(skCreateMessageDialog(Caption, Msg, DlgType, Buttons));
  form->HelpContext = HelpCtx;
  form->HelpFile = HelpFileName;
  if (X >= 0) form->SetLeft(X);
  if (Y >= 0) form->SetTop(Y);
  if (X < 0 && Y < 0) form->Position = poScreenCenter;
  return form->ShowModal();
}

int skMessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return skMessageDlgPosHelp("", Msg, DlgType, Buttons, HelpCtx, -1, -1, "");
}

}  // namespace qv
