// Ini files in the Windows private-profile dialect: case-insensitive sections
// and keys, values trimmed with one pair of enclosing double quotes stripped,
// untouched lines and sections kept as they stand. Changes are written
// atomically (temporary file, fsync, rename) by UpdateFile.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileHooks.h"

namespace qv {

class TCustomIniFile {
 public:
  explicit TCustomIniFile(std::string fileName);
  virtual ~TCustomIniFile() = default;

  const std::string& FileName() const { return fileName_; }
  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;
  void WriteBool(const std::string& section, const std::string& key, bool value);
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  std::vector<std::string> ReadSection(const std::string& section) const;  // the keys
  std::vector<std::string> ReadSections() const;
  void EraseSection(const std::string& section);
  void DeleteKey(const std::string& section, const std::string& key);
  // Writes the file when it changed; false when it could not be written.
  bool UpdateFile();
  // The hooks UpdateFile writes through (none unless set).
  void SetHooks(FileHooks& hooks) { hooks_ = &hooks; }
  bool Modified() const { return modified_; }
  // True when the file existed and was read when the object was made.
  bool Loaded() const { return loaded_; }

 private:
  struct Line {
    std::string text;  // the line as read, or as rebuilt after a write
    std::string key;   // empty for comments, blanks and lines without "="
  };
  struct Section {
    std::string name;
    std::string header;
    std::vector<Line> lines;
  };
  const Section* Find(const std::string& name) const;
  Section* Find(const std::string& name) { return const_cast<Section*>(std::as_const(*this).Find(name)); }
  void Parse(const std::string& data);
  std::string Serialize() const;

  std::string fileName_;
  FileHooks* hooks_ = &FileHooks::None();
  std::vector<std::string> preamble_;
  std::vector<Section> sections_;
  bool modified_ = false;
  bool loaded_ = false;
};

// Writes its changes back when destroyed (errors there are lost: call UpdateFile to see them).
class TIniFile : public TCustomIniFile {
 public:
  using TCustomIniFile::TCustomIniFile;
  ~TIniFile() override;
};

// Keeps changes in memory until UpdateFile.
class TMemIniFile : public TCustomIniFile {
 public:
  using TCustomIniFile::TCustomIniFile;
};

}  // namespace qv
