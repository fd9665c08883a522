// TGraphicsObject: the base of fonts, pens and brushes. Every change of a
// property ends in Changed, which fires OnChange (canvases listen to it to
// select the object again).
#pragma once
#include "classlib/Object.h"
#include "platform/gdi/SystemColors.h"

namespace qv {

class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

}  // namespace qv
