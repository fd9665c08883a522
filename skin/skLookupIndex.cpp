// The lookup index of a loaded skin.
#include "skin/skLookupIndex.h"

namespace qv {

void TSkLookupIndex::Clear() {
  built_ = false;
  sections_.clear(), names_.clear(), parent_.clear(), selfParent_.clear();
  for (auto& p : properties_) p.clear();
}

void TSkLookupIndex::Build(const TSkGeneralDataArray& gd, const TSkMaskArray& ma, const TSkPatternArray& pa) {
  Clear();
  sections_.reserve(gd.size());
  names_.reserve(gd.size());
  for (size_t i = 0; i < gd.size(); ++i) {
    sections_.emplace(gd[i].SectionName, int(i));  // a duplicate name keeps the first section
    names_.push_back(gd[i].SectionName);
  }
  parent_.assign(gd.size(), -1);
  selfParent_.assign(gd.size(), 0);
  for (size_t i = 0; i < gd.size(); ++i) {
    const std::string& p = gd[i].ParentClass;
    if (p.empty()) continue;
    parent_[i] = Section(p);
    selfParent_[i] = p == gd[i].SectionName;
  }
  for (size_t i = 0; i < ma.size(); ++i) {
    properties_[lkMask][ma[i].PropertyName].bySection.emplace(ma[i].SectionName, int(i));
    if (ma[i].ImgType == itisaTexture)
      properties_[lkTexture][ma[i].PropertyName].bySection.emplace(ma[i].SectionName, int(i));
  }
  for (size_t i = 0; i < pa.size(); ++i)
    properties_[lkPattern][pa[i].PropertyName].bySection.emplace(pa[i].SectionName, int(i));
  built_ = true;
}

int TSkLookupIndex::Section(const std::string& Name) const {
  auto it = sections_.find(Name);
  return it == sections_.end() ? -1 : it->second;
}

int TSkLookupIndex::Own(TKind Kind, const std::string& SectionName, const std::string& PropertyName) const {
  auto p = properties_[Kind].find(PropertyName);
  if (p == properties_[Kind].end()) return -1;
  auto it = p->second.bySection.find(SectionName);
  return it == p->second.bySection.end() ? -1 : it->second;
}

int TSkLookupIndex::Inherited(TKind Kind, int SkinIndex, const std::string& SectionName,
                              const std::string& PropertyName) {
  auto p = properties_[Kind].find(PropertyName);
  if (p == properties_[Kind].end()) return -1;  // no section has it: nothing to walk
  TProperty& P = p->second;
  if (auto it = P.bySection.find(SectionName); it != P.bySection.end()) return it->second;
  // The first step goes from the section the caller names to the parent of
  // the section the caller indexes; they are usually one and the same.
  if (SkinIndex < 0 || size_t(SkinIndex) >= parent_.size()) return -1;
  const int next = parent_[size_t(SkinIndex)];
  if (next < 0 || names_[size_t(next)] == SectionName) return -1;
  return Resolve(P, next);
}

// Walks up from Index until a section with its own entry, a section already
// answered, the end of the chain or a cycle; every section passed keeps the
// answer found.
int TSkLookupIndex::Resolve(TProperty& P, int Index) {
  if (P.resolved.empty()) P.resolved.assign(parent_.size(), kUnresolved);
  std::vector<int> walked;
  int found = -1;
  for (int at = Index; at >= 0;) {
    int& r = P.resolved[size_t(at)];
    if (r == kWalking) break;  // a cycle, and no section on it has the entry
    if (r != kUnresolved) {
      found = r;
      break;
    }
    r = kWalking;
    walked.push_back(at);
    if (auto it = P.bySection.find(names_[size_t(at)]); it != P.bySection.end()) {
      found = it->second;
      break;
    }
    at = selfParent_[size_t(at)] ? -1 : parent_[size_t(at)];
  }
  for (int at : walked) P.resolved[size_t(at)] = found;
  return found;
}

}  // namespace qv
