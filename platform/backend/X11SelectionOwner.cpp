// Other programs' requests for the selections we hold. The CLIPBOARD's and
// PRIMARY's text is answered alike, in every type TARGETS names; MULTIPLE
// asks for several of those in one request (as clipboard managers do), each
// put in a property of its own and in pieces where it is large. A drag's
// data is answered by the drag (X11DragSource.cpp).
#include <X11/Xatom.h>

#include <climits>
#include <iterator>
#include <vector>

#include "platform/backend/X11Connection.h"

namespace qv::x11 {
namespace {

// The text we serve for a selection of ours; nullptr for one we do not hold.
std::shared_ptr<SharedText> HeldText(Connection& c, Atom selection) {
  if (selection == c.atoms.clipboard && c.ownsClipboard) return c.clipboardText;
  if (selection == XA_PRIMARY && c.primary.owned) return c.primary.served;
  return nullptr;
}

void PutTarget(Connection& c, SelectionAnswer& answer, Atom target, const std::shared_ptr<SharedText>& text) {
  if (target == c.atoms.targets) {
    Atom targets[] = {c.atoms.targets,     c.atoms.multiple, c.atoms.utf8String,
                      c.dnd.textPlainUtf8, c.atoms.text,     XA_STRING};
    answer.Put(XA_ATOM, 32, targets, std::size(targets));
  } else if (target == c.atoms.utf8String || target == c.atoms.text) {
    answer.Put(c.atoms.utf8String, text, false, {});
  } else if (target == c.dnd.textPlainUtf8) {
    answer.Put(c.dnd.textPlainUtf8, text, false, {});
  } else if (target == XA_STRING) {
    answer.Put(XA_STRING, text, false, {}, true);
  }
}

// The requestor's property lists (target, property) pairs. Each target we
// can give is put in its property; one we cannot becomes None in the list,
// which goes back as the answer.
void PutMultiple(Connection& c, SelectionAnswer& answer, const XSelectionRequestEvent& req,
                 const std::shared_ptr<SharedText>& text) {
  if (req.property == None) return;  // MULTIPLE is nothing without its list
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(c.dpy, req.requestor, req.property, 0, LONG_MAX / 4, False, AnyPropertyType, &type,
                         &format, &count, &after, &data) != Success)
    return;
  std::vector<long> pairs;
  if (data && format == 32) {
    const long* items = reinterpret_cast<const long*>(data);  // Xlib keeps 32-bit items as longs
    pairs.assign(items, items + count - count % 2);
  }
  if (data) XFree(data);
  if (pairs.empty()) return;
  for (size_t i = 0; i < pairs.size(); i += 2) {
    XSelectionRequestEvent one = req;
    one.target = Atom(pairs[i]);
    one.property = Atom(pairs[i + 1]);
    SelectionAnswer part(c, one);
    if (one.target != c.atoms.multiple && one.property != None) PutTarget(c, part, one.target, text);
    if (!part.Given()) pairs[i] = None;
  }
  answer.Put(type, 32, pairs.data(), pairs.size());
}

}  // namespace

void AnswerSelectionRequest(Connection& c, const XSelectionRequestEvent& req) {
  if (AnswerDragRequest(c, req)) return;
  SelectionAnswer answer(c, req);
  if (std::shared_ptr<SharedText> text = HeldText(c, req.selection)) {
    if (req.target == c.atoms.multiple)
      PutMultiple(c, answer, req, text);
    else
      PutTarget(c, answer, req.target, text);
  }
  answer.Send();
}

}  // namespace qv::x11
