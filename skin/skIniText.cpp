// Ini text in memory, in file order.
#include "skin/skIniText.h"

#include <fstream>
#include <sstream>

#include "classlib/SysUtils.h"
#include "skin/skUtils.h"

namespace qv {

void TSkIniText::Parse(const std::string& Text) {
  sections_.clear();
  std::istringstream in(Text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t.front() == '[' && t.back() == ']') {
      sections_.push_back(Block{Trim(t.substr(1, t.size() - 2)), {}});
      continue;
    }
    size_t eq = t.find('=');
    if (eq == std::string::npos || sections_.empty()) continue;
    std::string key = Trim(t.substr(0, eq));
    if (key.empty()) continue;
    Block& s = sections_.back();
    bool found = false;
    for (Entry& e : s.entries)
      if (SameText(e.key, key)) found = true;  // the first of a repeated key wins
    if (!found) s.entries.push_back(Entry{key, Trim(t.substr(eq + 1))});
  }
}

bool TSkIniText::LoadFromFile(const std::string& Path, size_t MaxBytes) {
  sections_.clear();
  fileName_ = Path;
  std::ifstream f(Path, std::ios::binary);
  if (!f) return false;
  f.seekg(0, std::ios::end);
  std::streamoff size = f.tellg();
  if (size < 0 || size_t(size) > MaxBytes) return false;
  f.seekg(0);
  std::string data(size_t(size), '\0');
  if (!f.read(data.data(), size)) return false;
  Parse(data);
  return true;
}

const TSkIniText::Block* TSkIniText::Find(const std::string& Name) const {
  for (const Block& s : sections_)
    if (SameText(s.name, Name)) return &s;
  return nullptr;
}

std::vector<std::string> TSkIniText::Sections() const {
  std::vector<std::string> r;
  for (const Block& s : sections_) r.push_back(s.name);
  return r;
}

std::vector<std::string> TSkIniText::Keys(const std::string& Section) const {
  std::vector<std::string> r;
  if (const auto* s = Find(Section))
    for (const Entry& e : s->entries) r.push_back(e.key);
  return r;
}

bool TSkIniText::ValueExists(const std::string& Section, const std::string& Key) const {
  if (const auto* s = Find(Section))
    for (const Entry& e : s->entries)
      if (SameText(e.key, Key)) return true;
  return false;
}

std::string TSkIniText::ReadString(const std::string& Section, const std::string& Key,
                                   const std::string& Default) const {
  if (const auto* s = Find(Section))
    for (const Entry& e : s->entries)
      if (SameText(e.key, Key)) return e.value;
  return Default;
}

int32_t TSkIniText::ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const {
  std::string v = ReadString(Section, Key, "");
  if (v.empty() || v[0] == '$') return Default;  // the ini reader knows "0x", not "$"
  return IniStrToInt(v, Default);
}

}  // namespace qv
