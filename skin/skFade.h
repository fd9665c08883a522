// Fade and animation timers: a control cross-fades from its old look to its
// new one in 10 ms steps, each step blending the saved image with the new
// cache at a falling alpha.
#pragma once
#include <memory>

#include "classlib/controls/Timer.h"
#include "classlib/graphics/Bitmap.h"
#include "skin/skCommonData.h"

namespace qv {

extern bool FadingForbidden;
extern TSkAnimatEvents DefaultAnimatEvents;

bool EventEnabled(TSkAnimatEvent Event, TSkAnimatEvents Events);

class TSkFadeTimer : public TTimer {
 public:
  explicit TSkFadeTimer(TComponent* AOwner);
  int Direction() const { return direction_; }
  void SetDirection(int Value);
  void Bind(TSkCommonData* SkinData);
  TSkCommonData* SkinData = nullptr;
  int Iterations = 0;
  int Step = 1;
  TBitmap* StartImage() { return &start_; }
  // The alpha of a step: 255 - step * 256 / iterations, held to 0..255.
  static int AlphaOf(int Step, int Iterations);

 protected:
  void Timer() override;

 private:
  int direction_ = 0;
  TBitmap start_{0, 0, pf24bit};
};

class TSkAnimTimer : public TTimer {
 public:
  explicit TSkAnimTimer(TComponent* AOwner);
  void Bind(TSkCommonData* SkinData);
  TSkCommonData* SkinData = nullptr;
  int Iterations = 0;
  int Step = 0;
  bool Busy = false;
  TBitmap* Work(int i) { return i == 0 ? &work1_ : &work2_; }

 protected:
  void Timer() override;

 private:
  TBitmap work1_{0, 0, pf24bit}, work2_{0, 0, pf24bit};
};

void FadeOrRepaint(TSkFadeTimer*& Timer, TSkCommonData* SkinData, bool HalfSpeed, int Direction,
                   bool Allowed);
void StartFade(TSkFadeTimer*& Timer, TSkCommonData* SkinData, bool HalfSpeed, int Direction);
void StopFadeTimer(TSkFadeTimer*& Timer);

}  // namespace qv
