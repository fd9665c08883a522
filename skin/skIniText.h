// The skin description reader: ini text held in memory with its sections and
// keys in file order, looked up case-insensitively and returned as written.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace qv {

class TSkIniText {
 public:
  TSkIniText() = default;
  // Parses ini text ("[section]" lines, "key=value" lines, ";" comments).
  explicit TSkIniText(const std::string& Text) { Parse(Text); }
  void Parse(const std::string& Text);
  // Reads a file of at most MaxBytes; false (and empty) when it cannot be read.
  bool LoadFromFile(const std::string& Path, size_t MaxBytes);

  std::vector<std::string> Sections() const;
  size_t SectionCount() const { return sections_.size(); }
  // Index of the first section of that name (case-insensitive), or -1.
  int SectionIndex(const std::string& Section) const;
  const std::string& SectionName(size_t Index) const { return sections_[Index].name; }
  // The value of Key in the section at Index, or null when it has none.
  const std::string* Value(size_t Index, const std::string& Key) const;
  std::vector<std::string> Keys(const std::string& Section) const;
  bool SectionExists(const std::string& Section) const { return Find(Section) != nullptr; }
  bool ValueExists(const std::string& Section, const std::string& Key) const;
  std::string ReadString(const std::string& Section, const std::string& Key,
                         const std::string& Default) const;
  // Decimal or "0x" hexadecimal; anything else gives Default.
  int32_t ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const;
  // The integer reading of one value text.
  static int32_t IntegerValue(const std::string& V, int32_t Default);
  const std::string& FileName() const { return fileName_; }

 private:
  struct Entry {
    std::string key, value;
  };
  struct Block {  // one [section]
    std::string name;
    std::vector<Entry> entries;
    std::unordered_map<std::string, size_t> keys;  // folded key -> entry
  };
  const Block* Find(const std::string& Name) const;
  // Sections and keys are indexed once, so that a lookup costs the same in
  // a skin of five sections and in one of thousands.
  std::vector<Block> sections_;
  std::unordered_map<std::string, size_t> index_;  // folded name -> first section
  std::string fileName_;
};

}  // namespace qv
