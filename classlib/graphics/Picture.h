// TPicture: holds one graphic of any class, chosen by file extension on
// loading (.bmp a bitmap, .jpg/.jpeg a JPEG image, .png a bitmap with alpha,
// .ico an icon), and hands it out as a bitmap when asked.
#pragma once
#include <memory>
#include <string>

#include "classlib/graphics/Graphic.h"

namespace qv {

class TBitmap;

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;

  TGraphic* Graphic() const { return graphic_.get(); }
  // Keeps a copy of Value (null empties the picture).
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap: an empty bitmap replaces any other graphic.
  TBitmap* Bitmap();
  int Width() const;
  int Height() const;

  // EInvalidGraphic "Unknown picture file extension (.xyz)" for other extensions.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

 protected:
  void AssignTo(TPersistent* Dest) override;
  virtual void Changed(TObject* Sender);

 private:
  void Adopt(std::unique_ptr<TGraphic> g);
  std::unique_ptr<TGraphic> graphic_;
};

}  // namespace qv
