// Another program's desktop clipboard as a data object (what OleGetClipboard
// gives while another program holds it): its formats are what that program
// said it offers, and its text is read only when a text format is asked
// for. A paste that takes none of those formats reads nothing, and never
// waits for a program that is slow to give its text.
#include "platform/ole/ClipboardStore.h"
#include "platform/ole/ForeignDataObject.h"

namespace qv::clip {
namespace {

class DesktopData final : public ForeignDataObject {
 public:
  DesktopData() : ForeignDataObject({CF_UNICODETEXT, CF_TEXT}) {}

 private:
  bool Offers(CLIPFORMAT) override { return OffersText(); }

  // Asked of that program once, waiting for its answer at most as long as
  // a read of its text would. Our own copy, taken meanwhile, is read from the store.
  bool OffersText() {
    if (!text_) {
      Backend* backend = CurrentBackend();
      ClipboardOffer offer = backend ? backend->AwaitClipboardOffer() : ClipboardOffer::Read;
      text_ = offer == ClipboardOffer::Text || offer == ClipboardOffer::Read;
    }
    return *text_;
  }
  // The text, read once (it comes into the store, as every read of the desktop's does).
  MemoryDataObject* Fetched(CLIPFORMAT) override {
    if (fetched_) return fetched_.Get();
    SyncFromDesktop(true);
    fetched_ = MemoryDataObject::Create();
    std::optional<std::u16string> text;
    {
      std::lock_guard<std::recursive_mutex> l(S().lock);
      text = StoredText();
    }
    if (text) fetched_->SetText(*text);
    return fetched_.Get();
  }

  std::optional<bool> text_;
  ComPtr<MemoryDataObject> fetched_;
};

}  // namespace

ComPtr<IDataObject> DesktopDataObject() {
  return ComPtr<IDataObject>::Adopt(new DesktopData);
}

}  // namespace qv::clip
