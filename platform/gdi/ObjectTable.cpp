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

namespace {
// The object a handle names, with the table already locked.
Object* LookupLocked(Table& t, uintptr_t v) {
  if ((v & kTagMask) != kTag) return nullptr;
  uint32_t index = uint32_t(v >> 8 & 0xFFFFFF);
  if (index >= t.slots.size()) return nullptr;
  Slot& s = t.slots[index];
  if (!s.obj || (s.generation & 0xFFFF) != (v >> 40 & 0xFFFF) || s.obj->type != (v & 0xFF)) return nullptr;
  return s.obj.get();
}
}  // namespace

Object* Lookup(HGDIOBJ h) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  return LookupLocked(t, reinterpret_cast<uintptr_t>(h));
}

void Erase(HGDIOBJ h) {
  uintptr_t v = reinterpret_cast<uintptr_t>(h);
  std::unique_ptr<Object> dying;
  {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    // Checked again under the lock: two threads releasing one object erase it once.
    if (!LookupLocked(t, v)) return;
    uint32_t index = uint32_t(v >> 8 & 0xFFFFFF);
    Slot& s = t.slots[index];
    dying = std::move(s.obj);
    s.generation = (s.generation + 1) & 0xFFFF;
    if (s.generation == 0) s.generation = 1;
    t.freeList.push_back(index);
  }
  // Destroyed outside the lock: a DC's destructor releases the objects it holds.
}

// Reference counts and the pending deletion change under the table's lock, since
// fonts and other objects are shared by DCs of several threads.
void Retain(HGDIOBJ h) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  if (Object* o = LookupLocked(t, reinterpret_cast<uintptr_t>(h))) ++o->refs;
}

void Release(HGDIOBJ h) {
  bool erase = false;
  {
    Table& t = TheTable();
    std::lock_guard lock(t.mutex);
    Object* o = LookupLocked(t, reinterpret_cast<uintptr_t>(h));
    if (!o) return;
    if (o->refs > 0) --o->refs;
    erase = o->refs == 0 && o->deletePending;
  }
  if (erase) Erase(h);
}

// Marks a selected object for deletion when the last DC lets go of it; false
// when nothing holds it and it can go at once.
static bool DeferDeletion(HGDIOBJ h) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  Object* o = LookupLocked(t, reinterpret_cast<uintptr_t>(h));
  if (!o || o->refs == 0) return false;
  o->deletePending = true;
  return true;
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
  if (DeferDeletion(obj)) return TRUE;  // freed when the last DC lets go of it
  Erase(obj);
  return TRUE;
}

}  // namespace qv
