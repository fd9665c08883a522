// Fade and animation timers.
#include "skin/skFade.h"

#include <memory>

#include "classlib/controls/Application.h"
#include "classlib/controls/WinControl.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Paint.h"
#include "skin/skBlend.h"
#include "skin/skUtils.h"
#include "skin/skinManager.h"

namespace qv {

bool FadingForbidden = false;
TSkAnimatEvents DefaultAnimatEvents{aeMouseEnter, aeMouseLeave};

bool EventEnabled(TSkAnimatEvent Event, TSkAnimatEvents Events) {
  return Events.Contains(Event) || (Events.Contains(aeGlobalDef) && DefaultAnimatEvents.Contains(Event));
}

namespace {
const TSkGeneralData* SectionOf(TSkCommonData* d) {
  TSkinManager* m = d ? d->SkinManager() : nullptr;
  return m && m->IsValidSkinIndex(d->SkinIndex) ? &m->gd[size_t(d->SkinIndex)] : nullptr;
}
bool Live(TSkCommonData* d) {
  return d && d->OwnerControl && !d->OwnerControl->ComponentState().Contains(csDestroying) &&
         !(Application && Application->Terminated());
}
}  // namespace

int TSkFadeTimer::AlphaOf(int Step, int Iterations) {
  return Iterations == 0 ? 0 : Limit255(255 - (Step * 256) / Iterations);
}

TSkFadeTimer::TSkFadeTimer(TComponent* AOwner) : TTimer(AOwner) {
  SetEnabled(false);
  OnTimer = [](TObject*) {};
}

void TSkFadeTimer::SetDirection(int Value) {
  direction_ = Value;
  if (Step < 0) Step = 1;
  SetEnabled(Value != 0);
}

void TSkFadeTimer::Bind(TSkCommonData* Data) {
  SkinData = Data;
  if (Data && Data->CacheBmp) {
    start_.SetSize(Data->CacheBmp->Width(), Data->CacheBmp->Height());
    CopyBitmapRect(Data->CacheBmp.get(), &start_, RECT{0, 0, start_.Width(), start_.Height()}, 0, 0);
  }
  SetInterval(10);
  const TSkGeneralData* g = SectionOf(Data);
  Iterations = g ? g->FadingIterations : 0;
  // A fade reversed half-way runs only the remaining distance.
  if (direction_ == 1)
    Iterations = Step;
  else if (direction_ == 2)
    Iterations -= Step;
}

void TSkFadeTimer::Timer() {
  if (ComponentState().Contains(csDestroying)) return;
  if (!Live(SkinData)) {
    SetDirection(0);
    return;
  }
  if (Step < 0 || Step > Iterations) {
    // Finished: one repaint, and the timer stops instead of repeating it.
    SkinData->OwnerControl->Perform(SM_SKINCMD, MakeSkinWParam(AC_REPAINTNOW), 0);
    SetDirection(0);
    return;
  }
  if (direction_ == 0 || Iterations == 0 || !SkinData->CacheBmp) return;
  const int alpha = AlphaOf(Step, Iterations);
  TBitmap frame(start_.Width(), start_.Height(), pf24bit);
  CopyBitmapRect(&start_, &frame, RECT{0, 0, start_.Width(), start_.Height()}, 0, 0);
  BlendBitmaps(&frame, SkinData->CacheBmp.get(), uint8_t(alpha));
  LRESULT handled = SkinData->OwnerControl->Perform(SM_SKINCMD, MakeSkinWParam(AC_FADEFRAME),
                                                    reinterpret_cast<LPARAM>(&frame));
  auto* w = dynamic_cast<TWinControl*>(SkinData->OwnerControl);
  if (handled == 0 && w && w->HandleAllocated()) {
    HDC dc = GetDC(w->WindowHandle());
    BitBlt(dc, 0, 0, frame.Width(), frame.Height(), frame.Canvas()->Handle(), 0, 0, SRCCOPY);
    ReleaseDC(w->WindowHandle(), dc);
  }
  ++Step;
}

TSkAnimTimer::TSkAnimTimer(TComponent* AOwner) : TTimer(AOwner) {
  SetEnabled(false);
  OnTimer = [](TObject*) {};
}

void TSkAnimTimer::Bind(TSkCommonData* Data) {
  SkinData = Data;
  const TSkGeneralData* g = SectionOf(Data);
  SetInterval(UINT(std::max(1, g ? g->FadingIntervalIn : 5)));
  Iterations = g ? g->FadingIterations : 0;
}

void TSkAnimTimer::Timer() {
  if (!Live(SkinData) || Step < 0 || Step > Iterations) {
    if (Live(SkinData)) SkinData->OwnerControl->Perform(SM_SKINCMD, MakeSkinWParam(AC_REPAINTNOW), 0);
    SetEnabled(false);
    return;
  }
  if (Busy || Iterations == 0 || !SkinData->CacheBmp) {
    ++Step;
    return;
  }
  Busy = true;
  const int alpha = TSkFadeTimer::AlphaOf(Step, Iterations);
  work2_.SetSize(work1_.Width(), work1_.Height());
  CopyBitmapRect(&work1_, &work2_, RECT{0, 0, work1_.Width(), work1_.Height()}, 0, 0);
  BlendBitmaps(&work2_, SkinData->CacheBmp.get(), uint8_t(alpha));
  TControl* c = SkinData->OwnerControl;
  TWinControl* p = c->Parent();
  if (p && p->HandleAllocated())
    SendMessage(p->WindowHandle(), SM_SKINCMD, MakeSkinWParam(AC_CHILDREPAINTING),
                reinterpret_cast<LPARAM>(c));
  c->Perform(SM_SKINCMD, MakeSkinWParam(AC_SETUPDATING, 0), 0);
  c->Repaint();
  if (p && p->HandleAllocated())
    SendMessage(p->WindowHandle(), SM_SKINCMD, MakeSkinWParam(AC_CHILDREPAINTING), 0);
  ++Step;
  Busy = false;
}

void StopFadeTimer(TSkFadeTimer*& Timer) {
  if (!Timer || Timer->ComponentState().Contains(csDestroying)) return;
  Timer->SetDirection(0);
  delete Timer;
  Timer = nullptr;
}

void StartFade(TSkFadeTimer*& Timer, TSkCommonData* SkinData, bool HalfSpeed, int Direction) {
  const TSkGeneralData* g = SectionOf(SkinData);
  if (!g || !g->FadingEnabled || !SkinData->OwnerControl) return;
  if (!Timer) {
    Timer = new TSkFadeTimer(SkinData->OwnerControl);
    Timer->Step = 1;
  }
  Timer->Bind(SkinData);
  if (HalfSpeed) Timer->Iterations /= 2;
  if (Timer->Step >= Timer->Iterations || Timer->Step < 1) Timer->Step = 1;
  SkinData->OwnerControl->Perform(SM_SKINCMD, MakeSkinWParam(AC_FADESTART), 0);
  Timer->SetDirection(Direction);
}

void FadeOrRepaint(TSkFadeTimer*& Timer, TSkCommonData* SkinData, bool HalfSpeed, int Direction,
                   bool Allowed) {
  if (!SkinData) return;
  SkinData->BGChanged = true;
  const TSkGeneralData* g = SectionOf(SkinData);
  if (Allowed && g && g->FadingEnabled && !FadingForbidden && SkinData->CacheBmp) {
    StartFade(Timer, SkinData, HalfSpeed, Direction);
    return;
  }
  StopFadeTimer(Timer);
  if (SkinData->OwnerControl) SkinData->OwnerControl->Repaint();
}

}  // namespace qv
