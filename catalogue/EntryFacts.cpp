// The facts table: one slot per record ID, grown as IDs are met. A name's
// references are chained through the slots of the referenced entries; a
// reference that would join a second chain (a damaged name list) leaves that
// name's list unknown, so the search reads it from the record instead.
#include "catalogue/EntryFacts.h"

#include <algorithm>

namespace qv {

namespace {
// Record IDs are dense; anything beyond this is no ID the table should hold.
constexpr int64_t kMaxId = int64_t(1) << 32;
}  // namespace

TEntryFacts::Slot* TEntryFacts::Grow(int64_t id) {
  if (id < 0 || id >= kMaxId) return nullptr;
  const std::size_t page = std::size_t(id >> kPageBits);
  if (page >= pages_.size()) pages_.resize(page + 1);
  if (!pages_[page]) pages_[page] = std::make_unique<Slot[]>(std::size_t(kPageSize));
  return &S(id);
}

uint32_t TEntryFacts::DiscSlot(int64_t disc) {
  // Entries come disc by disc: the last disc is the likely one.
  if (!discs_.empty() && discs_.back() == disc) return uint32_t(discs_.size() - 1);
  auto it = std::find(discs_.begin(), discs_.end(), disc);
  if (it != discs_.end()) return uint32_t(it - discs_.begin());
  discs_.push_back(disc);
  return uint32_t(discs_.size() - 1);
}

bool TEntryFacts::FindEntry(int64_t id, Entry& out) const {
  const Slot* s = At(id);
  if (!s || s->kind != kEntry) return false;
  out = Entry{discs_[s->disc], s->a, s->b, s->date};
  return true;
}

void TEntryFacts::PutEntry(int64_t id, const Entry& entry) {
  const uint32_t disc = DiscSlot(entry.disc);
  Slot* s = Grow(id);
  if (!s || s->kind == kName) return;
  s->a = entry.parent, s->b = entry.size, s->date = entry.date, s->disc = disc;
  s->kind = kEntry;
}

bool TEntryFacts::Chain(int64_t name, int64_t ref) {
  if (ref < 0 || ref == name || !Grow(ref)) return false;
  if (!Grow(name)) return false;
  Slot& r = S(ref);
  Slot& n = S(name);
  if (r.chained || r.kind == kName) return false;
  r.chained = true;
  r.next = -1;
  if (n.b < 0)
    n.a = ref;
  else
    S(n.b).next = ref;
  n.b = ref;
  return true;
}

void TEntryFacts::Refs(int64_t name, std::vector<int64_t>& out) const {
  out.clear();
  if (!KnowsRefs(name)) return;
  // Bounded by the table's size: no chain can hold more.
  for (int64_t r = S(name).a; r >= 0 && out.size() < Capacity(); r = S(r).next) out.push_back(r);
}

void TEntryFacts::PutRefs(int64_t name, const std::vector<int64_t>& refs) {
  Slot* n = Grow(name);
  if (!n || n->kind == kEntry) return;
  ForgetRefs(name);
  n = &S(name);
  n->kind = kName;
  n->a = n->b = -1;
  for (int64_t ref : refs) {
    if (!Chain(name, ref)) {
      ForgetRefs(name);
      return;
    }
  }
}

void TEntryFacts::AddRef(int64_t name, int64_t ref) {
  if (KnowsRefs(name) && !Chain(name, ref)) ForgetRefs(name);
}

void TEntryFacts::ForgetRefs(int64_t name) {
  if (!KnowsRefs(name)) return;
  Slot& n = S(name);
  std::size_t hops = 0;
  for (int64_t r = n.a; r >= 0 && hops++ < Capacity();) {
    Slot& s = S(r);
    r = s.next;
    s.next = -1;
    s.chained = false;
  }
  n.kind = kUnknown;
  n.a = n.b = -1;
}

void TEntryFacts::Clear() {
  pages_.clear();
  pages_.shrink_to_fit();
  discs_.clear();
}

}  // namespace qv
