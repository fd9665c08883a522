// The PRIMARY selection: the text the user selected last, pasted by a middle
// click. We claim it with the time of the input that made the selection, so
// that a claim handled late never overrides a newer one of another program.
// The text is kept as it was selected and made UTF-8 only as requestors
// read it: a large selection costs one copy when it is made. Our own is
// read back from memory, without asking the server for it.
#include <X11/Xatom.h>

#include <algorithm>

#include "platform/Utf.h"
#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

// UTF-16 text as UTF-8, a piece at a time; a surrogate pair never splits.
class Utf8OfWide : public TextReader {
 public:
  explicit Utf8OfWide(std::shared_ptr<const std::u16string> text) : text_(std::move(text)) {}
  bool Next(std::string& out, size_t bytes) override {
    const std::u16string& t = *text_;
    if (at_ >= t.size()) return false;
    size_t n = std::min(std::max<size_t>(bytes, 1), t.size() - at_);
    if (at_ + n < t.size() && t[at_ + n - 1] >= 0xD800 && t[at_ + n - 1] < 0xDC00) ++n;
    out += Utf16ToUtf8(std::u16string_view(t).substr(at_, n));
    at_ += n;
    return true;
  }

 private:
  std::shared_ptr<const std::u16string> text_;
  size_t at_ = 0;
};

}  // namespace

void OwnPrimary(Connection& c, const std::u16string& text) {
  // Transfers still going keep the text they serve.
  auto kept = std::make_shared<const std::u16string>(text);
  c.primary.text = kept;
  c.primary.served = std::make_shared<SharedText>(std::make_unique<Utf8OfWide>(kept));
  XSetSelectionOwner(c.dpy, XA_PRIMARY, c.utility, c.lastTime);
  c.primary.owned = XGetSelectionOwner(c.dpy, XA_PRIMARY) == c.utility;
  if (!c.primary.owned) c.primary = PrimarySelection();
}

void PrimaryTaken(Connection& c) {
  // A notice of the loss read after we claimed it again is about the claim before.
  if (XGetSelectionOwner(c.dpy, XA_PRIMARY) == c.utility) return;
  c.primary = PrimarySelection();
}

std::u16string ReadPrimary(Connection& c) {
  if (c.primary.owned) return *c.primary.text;
  return ReadSelectionText(c, XA_PRIMARY);
}

}  // namespace qv::x11
