// Walks a form's controls in screen coordinates (graphic controls have no
// window of their own, so the window manager's rectangles alone miss them).
#include "LayoutCheck.h"

#include <algorithm>

namespace qv::test {
namespace {

std::string Show(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}

std::string OwnName(TControl* c) {
  if (!c->Name().empty()) return c->Name();
  std::string text = c->Caption();
  return c->ClassName() + (text.empty() ? "" : " \"" + text + "\"");
}

RECT ScreenBounds(TControl* c) {
  if (!c->Parent()) {
    RECT r = c->BoundsRect();
    return r;
  }
  const POINT o = c->Parent()->ClientToScreen(POINT{c->Left(), c->Top()});
  return RECT{o.x, o.y, o.x + c->Width(), o.y + c->Height()};
}

RECT ScreenClient(TControl* c) {
  const POINT o = c->ClientToScreen(POINT{0, 0});
  return RECT{o.x, o.y, o.x + c->ClientWidth(), o.y + c->ClientHeight()};
}

bool Inside(const RECT& r, const RECT& room) {
  return r.left >= room.left && r.top >= room.top && r.right <= room.right && r.bottom <= room.bottom;
}

void Walk(TWinControl* parent, const RECT& room, std::vector<std::string>& cut) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (!c->Visible()) continue;
    const RECT r = ScreenBounds(c);
    if (!Inside(r, room)) cut.push_back(ControlPath(c) + " at " + Show(r) + " outside " + Show(room));
    auto* w = dynamic_cast<TWinControl*>(c);
    if (!w) continue;
    const RECT client = ScreenClient(w);
    const RECT inner{std::max(room.left, client.left), std::max(room.top, client.top),
                     std::min(room.right, client.right), std::min(room.bottom, client.bottom)};
    Walk(w, inner, cut);
  }
}

}  // namespace

std::string ControlPath(TControl* c) {
  std::string path = OwnName(c);
  for (TControl* p = c->Parent(); p && p->Parent(); p = p->Parent()) path = OwnName(p) + "/" + path;
  return path;
}

std::vector<std::string> CutControls(TCustomForm* form) {
  std::vector<std::string> cut;
  Walk(form, ScreenClient(form), cut);
  return cut;
}

}  // namespace qv::test
