// Typed access to the fields of catalogue records. The schema check at load
// time guarantees each field's value class, so these never meet a surprise;
// a wrong class still reads as empty instead of crashing.
#pragma once
#include <cstdint>
#include <string>

#include "storage/Values.h"

namespace qv::rec {

// A String field holds at most 255 bytes: longer text is cut at a UTF-8
// character boundary so it is stored rather than refused.
inline std::string FitString(std::string s) {
  if (s.size() <= 255) return s;
  std::size_t n = 255;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  s.resize(n);
  return s;
}

inline TXValData* Val(const TXRecData* r, int f) {
  return r->FieldAs<TXValData>(f);
}

// The text of a String field without a copy ("" when empty).
inline const std::string& StrRef(const TXRecData* r, int f) {
  static const std::string empty;
  TXValData* v = Val(r, f);
  return v && !v->IsEmpty() ? v->GetText() : empty;
}
inline std::string Str(const TXRecData* r, int f) {
  TXValData* v = Val(r, f);
  return v && !v->IsEmpty() ? v->GetText() : std::string();
}
inline void SetStr(TXRecData* r, int f, std::string s) {
  if (TXValData* v = Val(r, f)) v->SetText(std::move(s));
}
inline int64_t Int(const TXRecData* r, int f) {
  TXValData* v = Val(r, f);
  return v && !v->IsEmpty() ? v->GetInt() : 0;
}
inline void SetInt(TXRecData* r, int f, int64_t x) {
  if (TXValData* v = Val(r, f)) v->SetInt(x);
}
inline double Date(const TXRecData* r, int f) {
  TXValData* v = Val(r, f);
  return v && !v->IsEmpty() ? v->GetFloat() : 0.0;
}
inline void SetDate(TXRecData* r, int f, double d) {
  if (TXValData* v = Val(r, f)) v->SetFloat(d);
}
inline int64_t Ref(const TXRecData* r, int f) {
  TXRefData* v = r->FieldAs<TXRefData>(f);
  return v && !v->IsEmpty() ? v->RefID() : -1;
}
inline void SetRef(TXRecData* r, int f, int64_t id) {
  if (TXRefData* v = r->FieldAs<TXRefData>(f)) v->SetRefID(id);
}
inline TXArrData* Arr(const TXRecData* r, int f) {
  return r->FieldAs<TXArrData>(f);
}
inline int RefCount(const TXRecData* r, int f) {
  TXArrData* a = Arr(r, f);
  return a ? a->Count() : 0;
}
inline int64_t RefAt(const TXRecData* r, int f, int i) {
  return Arr(r, f)->GetRef(i);
}
inline void AddRef(TXRecData* r, int f, int64_t id) {
  if (TXArrData* a = Arr(r, f)) a->AddRef(id);
}

}  // namespace qv::rec
