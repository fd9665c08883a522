// TGraphic: the abstract image that a canvas can draw and a picture can hold
// (bitmap, JPEG image, icon), with loading and saving through streams and files.
#pragma once
#include <string>

#include "classlib/Object.h"
#include "classlib/Streams.h"
#include "platform/WinTypes.h"

namespace qv {

class TCanvas;

class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
 public:
  using Exception::Exception;
};

class TGraphic : public TPersistent {
 public:
  // Draws the image scaled to Rect on the canvas's DC.
  virtual void Draw(TCanvas* ACanvas, const RECT& Rect) = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual void SetHeight(int Value) = 0;
  virtual bool Empty() const = 0;
  // A transparent graphic leaves the pixels of its transparent colour (or its
  // clear alpha) undrawn.
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool Value);

  virtual void LoadFromStream(TStream& Stream) = 0;
  virtual void SaveToStream(TStream& Stream) = 0;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);

  bool Modified() const { return modified_; }
  void SetModified(bool Value) { modified_ = Value; }
  TNotifyEvent OnChange;

 protected:
  virtual void Changed(TObject* Sender);

 private:
  bool transparent_ = false;
  bool modified_ = false;
};

}  // namespace qv
