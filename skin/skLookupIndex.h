// TSkLookupIndex: the lookups of a loaded skin by name (sections; masks,
// textures and patterns of a section and property, inherited along the
// PARENTCLASS chain) indexed once per load, so that a lookup costs constant
// time whatever the shape of the skin's chains.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "skin/skMaskData.h"

namespace qv {

class TSkLookupIndex {
 public:
  enum TKind { lkMask, lkTexture, lkPattern };

  bool Built() const { return built_; }
  void Clear();
  void Build(const TSkGeneralDataArray& gd, const TSkMaskArray& ma, const TSkPatternArray& pa);

  // The first section of that name, or -1.
  int Section(const std::string& Name) const;
  // The first entry of the kind with exactly that section and property, or -1.
  int Own(TKind Kind, const std::string& SectionName, const std::string& PropertyName) const;
  // The entry of SectionName, else of the parent of section SkinIndex, and so
  // on up its chain: the first found, -1 at the chain's end (an empty parent,
  // a section naming itself or none) or on a cycle. Each section's answer for
  // a property is worked out once and kept.
  int Inherited(TKind Kind, int SkinIndex, const std::string& SectionName, const std::string& PropertyName);

 private:
  // The entries of one property, and the answers worked out so far per section.
  struct TProperty {
    std::unordered_map<std::string, int> bySection;
    std::vector<int> resolved;  // kUnresolved, kWalking, or the answer (-1 = none)
  };
  static constexpr int kUnresolved = -2, kWalking = -3;
  int Resolve(TProperty& P, int Index);

  bool built_ = false;
  std::unordered_map<std::string, int> sections_;
  std::vector<std::string> names_;   // each section's name
  std::vector<int> parent_;          // the first section of the parent's name, or -1
  std::vector<uint8_t> selfParent_;  // the section names itself as parent
  std::unordered_map<std::string, TProperty> properties_[3];
};

}  // namespace qv
