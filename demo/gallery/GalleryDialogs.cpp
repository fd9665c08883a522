// The gallery's dialog buttons: a message box with three answers, an input
// query that renames the labelled edit's disc, and the open and save dialogs;
// each answer is written to the log.
#include "demo/gallery/GalleryForm.h"

namespace qv::gallery {

void TGalleryForm::BuildDialogButtons() {
  auto button = [this](const RECT& r, const std::string& caption, std::function<void()> run) {
    auto* b = new TButton(this);
    b->SetBounds(r.left, r.top, r.Width(), r.Height());
    b->SetParent(StandardPage);
    b->SetCaption(caption);
    b->OnClick = [run = std::move(run)](TObject*) { run(); };
    return b;
  };
  MessageButton = button(RECT{424, 262, 524, 286}, "Me&ssage...", [this] { AskQuestion(); });
  InputButton = button(RECT{528, 262, 628, 286}, "Input &query...", [this] { AskDiscLabel(); });
  OpenButton = button(RECT{424, 290, 524, 314}, "Open...", [this] { OpenFile(); });
  SaveButton = button(RECT{528, 290, 628, 314}, "Save as...", [this] { SaveFile(); });

  const char* filter = "Text files (*.txt)|*.txt|All files (*)|*";
  OpenDialog = new TOpenDialog(this);
  OpenDialog->Filter = filter;
  OpenDialog->Options.Include(ofFileMustExist);
  SaveDialog = new TSaveDialog(this);
  SaveDialog->Filter = filter;
  SaveDialog->DefaultExt = "txt";
  SaveDialog->Options.Include(ofOverwritePrompt);
}

void TGalleryForm::AskQuestion() {
  int answer = MessageDlg("Do you like the gallery?", mtConfirmation, mbYesNoCancel, 0);
  Log(std::string("Message box: ") + (answer == mrYes ? "Yes" : answer == mrNo ? "No" : "Cancel"));
}

void TGalleryForm::AskDiscLabel() {
  std::string label = DiscEdit->Text();
  if (!InputQuery("Gallery", "Disc label:", label)) return Log("Input cancelled");
  DiscEdit->SetText(label);
  Log("Input: " + label);
}

void TGalleryForm::OpenFile() {
  Log(OpenDialog->Execute() ? "Open: " + OpenDialog->FileName : "Open cancelled");
}

void TGalleryForm::SaveFile() {
  Log(SaveDialog->Execute() ? "Save: " + SaveDialog->FileName : "Save cancelled");
}

}  // namespace qv::gallery
