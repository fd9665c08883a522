// The checked handle table of GDI objects, object deletion with the platform's
// deferred deletion of selected objects, and the stock objects.
#include <mutex>

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/GdiObjects.h"

namespace qv::gdi {
namespace {

// A handle is tag | generation | slot index | type: a freed slot gets a new
// generation, so old handles to it no longer match.
constexpr uintptr_t kTag = uintptr_t(0x47) << 56;
constexpr uintptr_t kTagMask = uintptr_t(0xFF) << 56;

struct Slot {
  std::unique_ptr<Object> obj;
  uint32_t generation = 1;
};

struct Table {
  std::mutex mutex;
  std::vector<Slot> slots;
  std::vector<uint32_t> freeList;
};

Table& TheTable() {
  static Table* t = new Table;  // never destroyed: handles may be released during static teardown
  return *t;
}

uintptr_t Encode(uint32_t index, uint32_t generation, DWORD type) {
  return kTag | uintptr_t(generation & 0xFFFF) << 40 | uintptr_t(index) << 8 | (type & 0xFF);
}

}  // namespace

HGDIOBJ Insert(std::unique_ptr<Object> obj) {
  if (!obj) return nullptr;
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  uint32_t index;
  if (!t.freeList.empty()) {
    index = t.freeList.back();
    t.freeList.pop_back();
  } else {
    if (t.slots.size() >= (1u << 24)) return nullptr;
    index = uint32_t(t.slots.size());
    t.slots.emplace_back();
  }
  Slot& s = t.slots[index];
  DWORD type = obj->type;
  s.obj = std::move(obj);
  return reinterpret_cast<HGDIOBJ>(Encode(index, s.generation, type));
}

Object* Lookup(HGDIOBJ h) {
  uintptr_t v = reinterpret_cast<uintptr_t>(h);
  if ((v & kTagMask) != kTag) return nullptr;
  uint32_t index = uint32_t(v >> 8 & 0xFFFFFF);
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  if (index >= t.slots.size()) return nullptr;
  Slot& s = t.slots[index];
  if (!s.obj || (s.generation & 0xFFFF) != (v >> 40 & 0xFFFF) || s.obj->type != (v & 0xFF)) return nullptr;
  return s.obj.get();
}

void Erase(HGDIOBJ h) {
  uintptr_t v = reinterpret_cast<uintptr_t>(h);
  if (!Lookup(h)) return;
  std::unique_ptr<Object> dying;
  {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    uint32_t index = uint32_t(v >> 8 & 0xFFFFFF);
    Slot& s = t.slots[index];
    dying = std::move(s.obj);
    s.generation = (s.generation + 1) & 0xFFFF;
    if (s.generation == 0) s.generation = 1;
    t.freeList.push_back(index);
  }
  // Destroyed outside the lock: a DC's destructor releases the objects it holds.
}

void Retain(HGDIOBJ h) {
  if (Object* o = Lookup(h)) ++o->refs;
}

void Release(HGDIOBJ h) {
  Object* o = Lookup(h);
  if (!o) return;
  if (o->refs > 0) --o->refs;
  if (o->refs == 0 && o->deletePending) Erase(h);
}

}  // namespace qv::gdi

namespace qv {
using namespace gdi;

DWORD GetObjectType(HGDIOBJ obj) {
  Object* o = Lookup(obj);
  return o && o->type != OBJ_ICON_INTERNAL ? o->type : 0;
}

BOOL DeleteObject(HGDIOBJ obj) {
  Object* o = Lookup(obj);
  if (!o || o->type == OBJ_DC || o->type == OBJ_MEMDC || o->type == OBJ_ICON_INTERNAL) return FALSE;
  if (o->stock) return TRUE;
  if (o->refs > 0) {
    o->deletePending = true;  // freed when the last DC lets go of it
    return TRUE;
  }
  Erase(obj);
  return TRUE;
}

}  // namespace qv
