// The note xbase.vlm keeps while an add is under way ([ENGINE] AddingDisc):
// which record the add's disc takes, where its first commit put that
// record's chain, and the disc's label for what is said of it. An open that
// finds the note tells by the record alone whether the add ever ended.
#pragma once
#include <cstdint>
#include <string>

namespace qv {

// The [ENGINE] keys of an add: the add under way, and the discs an add
// stored in part (catalogue/EnginePartial.cpp). Both name records, so a
// clear removes them.
inline constexpr const char* kAddingKey = "AddingDisc";
inline constexpr const char* kPartialKey = "PartialDiscs";

struct TAddNote {
  enum class TForm {
    None,       // no add under way
    Ours,       // "ID:POSITION:LABEL" (POSITION empty until the first commit)
    Earlier,    // the label alone, in hex, as earlier versions wrote it
    EarlierId,  // the disc's record ID alone, 16 hex digits, as the first version that noted an add wrote it
    Damaged     // of none of these forms
  };
  TForm Form = TForm::None;
  int64_t ID = -1;  // Ours and EarlierId
  // The chain of the disc record as the add's first commit stored it,
  // noted in the write of xbase.vlm that records that commit's mark; -1
  // until then.
  int64_t Position = -1;
  std::string Label;  // UTF-8

  static TAddNote Parse(const std::string& value);
  std::string ToText() const;
};

}  // namespace qv
