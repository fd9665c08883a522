// The skin description reader: ini text held in memory with its sections and
// keys in file order, looked up case-insensitively and returned as written.
#pragma once
#include <cstdint>
#include <string>
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
  std::vector<std::string> Keys(const std::string& Section) const;
  bool SectionExists(const std::string& Section) const { return Find(Section) != nullptr; }
  bool ValueExists(const std::string& Section, const std::string& Key) const;
  std::string ReadString(const std::string& Section, const std::string& Key,
                         const std::string& Default) const;
  // Decimal or "0x" hexadecimal; anything else gives Default.
  int32_t ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const;
  const std::string& FileName() const { return fileName_; }

 private:
  struct Entry {
    std::string key, value;
  };
  struct Block {  // one [section]
    std::string name;
    std::vector<Entry> entries;
  };
  const Block* Find(const std::string& Name) const;
  std::vector<Block> sections_;
  std::string fileName_;
};

}  // namespace qv
