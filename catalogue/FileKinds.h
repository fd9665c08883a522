// The file-type table: named types, each with a list of extensions and a flag
// saying whether an unfiltered scan keeps files of that type. A type is
// identified by its position. Kept in section "FILETYPES" of the settings.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qv {

class TStorage;

// The extension of a file name without its dot: the text after the last ".",
// empty when there is none.
std::string_view NameExt(std::string_view name);

class TFileKind {
 public:
  TFileKind(std::string name, const std::string& exts, bool selected);
  // Exts := value in lower case.
  void SetExts(const std::string& value);

  std::string Name;
  std::string Exts;  // extensions without dots, separated by blanks, lower case
  bool Selected;
};

class TFileKinds {
 public:
  // Appends a type (its extensions lower-cased); its position.
  int32_t Add(const std::string& name, const std::string& exts, bool selected);
  // This table becomes a copy of source.
  void Assign(const TFileKinds& source);
  void Clear() { items_.clear(); }
  int32_t Count() const { return int32_t(items_.size()); }
  // 0 <= index < Count(), asserted.
  TFileKind& GetItem(int32_t index) const;
  void Delete(int32_t index);

  // The first type whose extension list holds ext (any case, without the
  // dot) as a whole word; -1 for none and for an empty ext.
  int32_t IndexOf(std::string_view ext) const;
  // False for an extension of no type, else that type's Selected.
  bool IsSelected(std::string_view ext) const;
  // "File" for an extension of no type, else that type's name.
  std::string KindName(std::string_view ext) const;

  // The table of a first run, in its order.
  void LoadDefaults();
  // Reads the table from section "FILETYPES" of the settings (the global
  // Storage when none is given). False when a type has an empty name or
  // extension list; the types read before it stay.
  bool Load();
  bool Load(TStorage& storage);
  // Writes the table to "FILETYPES", erasing the section first. Always true.
  bool Save() const;
  bool Save(TStorage& storage) const;

 private:
  std::vector<std::unique_ptr<TFileKind>> items_;
};

// A snapshot of a table for fast lookups of many names (a scan, a search):
// the same answers as TFileKinds::IndexOf and IsSelected at the time it was made.
class TFileKindIndex {
 public:
  TFileKindIndex() = default;
  explicit TFileKindIndex(const TFileKinds& kinds);
  int32_t IndexOf(std::string_view ext) const;
  bool IsSelected(std::string_view ext) const;

 private:
  std::unordered_map<std::string, int32_t> byExt_;
  std::vector<bool> selected_;
};

}  // namespace qv
