// Ini file parsing and writing.
#include "classlib/IniFiles.h"

#include <utility>

#include "classlib/SysUtils.h"
#include "platform/Files.h"

namespace qv {

TCustomIniFile::TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  std::string data;
  if (ReadWholeFile(fileName_, data)) {
    loaded_ = true;
    Parse(data);
  }
}

void TCustomIniFile::Parse(const std::string& data) {
  std::size_t start = 0;
  Section* current = nullptr;
  while (start < data.size()) {
    std::size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    std::string t = Trim(line);
    if (t.size() >= 2 && t.front() == '[' && t.find(']') != std::string::npos) {
      sections_.push_back({Trim(t.substr(1, t.find(']') - 1)), line, {}});
      current = &sections_.back();
      continue;
    }
    if (!current) {
      preamble_.push_back(line);
      continue;
    }
    Line l{line, {}};
    auto eq = line.find('=');
    if (eq != std::string::npos && !t.empty() && t[0] != ';') l.key = Trim(line.substr(0, eq));
    current->lines.push_back(std::move(l));
  }
}

std::string TCustomIniFile::Serialize() const {
  std::string out;
  for (auto& p : preamble_) out += p + "\n";
  for (auto& s : sections_) {
    out += s.header + "\n";
    for (auto& l : s.lines) out += l.text + "\n";
  }
  return out;
}

const TCustomIniFile::Section* TCustomIniFile::Find(const std::string& name) const {
  for (auto& s : sections_)
    if (SameText(s.name, name)) return &s;
  return nullptr;
}

std::string TCustomIniFile::ReadString(const std::string& section, const std::string& key,
                                       const std::string& def) const {
  const Section* s = Find(section);
  if (!s) return def;
  for (auto& l : s->lines) {
    if (l.key.empty() || !SameText(l.key, key)) continue;
    std::string v = Trim(l.text.substr(l.text.find('=') + 1));
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return v;
  }
  return def;
}

void TCustomIniFile::WriteString(const std::string& section, const std::string& key,
                                 const std::string& value) {
  modified_ = true;
  Section* s = Find(section);
  if (!s) {
    sections_.push_back({section, "[" + section + "]", {}});
    s = &sections_.back();
  }
  for (auto& l : s->lines) {
    if (!l.key.empty() && SameText(l.key, key)) {
      l.text = l.key + "=" + value;
      return;
    }
  }
  // New keys go after the last key line, so trailing blank lines stay between sections.
  std::size_t at = s->lines.size();
  while (at > 0 && Trim(s->lines[at - 1].text).empty()) --at;
  s->lines.insert(s->lines.begin() + long(at), Line{key + "=" + value, key});
}

int32_t TCustomIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
  return StrToIntDef(ReadString(section, key, ""), def);
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool TCustomIniFile::SectionExists(const std::string& section) const {
  return Find(section) != nullptr;
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& key) const {
  const Section* s = Find(section);
  if (!s) return false;
  for (auto& l : s->lines)
    if (!l.key.empty() && SameText(l.key, key)) return true;
  return false;
}

std::vector<std::string> TCustomIniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  if (const Section* s = Find(section))
    for (auto& l : s->lines)
      if (!l.key.empty()) keys.push_back(l.key);
  return keys;
}

std::vector<std::string> TCustomIniFile::ReadSections() const {
  std::vector<std::string> names;
  for (auto& s : sections_) names.push_back(s.name);
  return names;
}

void TCustomIniFile::EraseSection(const std::string& section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (SameText(it->name, section)) {
      sections_.erase(it);
      modified_ = true;
      return;
    }
  }
}

void TCustomIniFile::DeleteKey(const std::string& section, const std::string& key) {
  Section* s = Find(section);
  if (!s) return;
  for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
    if (!it->key.empty() && SameText(it->key, key)) {
      s->lines.erase(it);
      modified_ = true;
      return;
    }
  }
}

bool TCustomIniFile::UpdateFile() {
  if (!modified_) return true;
  if (!WriteFileAtomic(fileName_, Serialize(), *hooks_)) return false;
  modified_ = false;
  loaded_ = true;
  return true;
}

TIniFile::~TIniFile() {
  if (Modified()) UpdateFile();
}

}  // namespace qv
