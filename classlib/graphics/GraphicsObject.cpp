// TGraphicsObject and TGraphic: the change notification both share.
#include "classlib/graphics/GraphicsObject.h"

#include "classlib/Streams.h"
#include "classlib/graphics/Graphic.h"

namespace qv {

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

void TGraphic::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  Changed(this);
}

void TGraphic::Changed(TObject*) {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(stream);
}

}  // namespace qv
