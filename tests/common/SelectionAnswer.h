// The answer of a selection's owner to another program's request, as the X
// selection convention has it: a SelectionNotify naming the property that
// now holds the data, or None for a refusal. Shared by the tests' own X
// clients that own a selection: the slow clipboard owner, the clipboard
// manager, and the owners and drag sources inside the tests.
#pragma once
// clang-format off
#include <X11/Xlib.h>
// clang-format on

namespace qv::test {

inline void AnswerRequest(Display* d, const XSelectionRequestEvent& r, Atom property) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = r.requestor;
  reply.xselection.selection = r.selection;
  reply.xselection.target = r.target;
  reply.xselection.property = property;
  reply.xselection.time = r.time;
  XSendEvent(d, r.requestor, False, 0, &reply);
  XFlush(d);
}

}  // namespace qv::test
