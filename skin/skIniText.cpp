// Ini text in memory, in file order.
#include "skin/skIniText.h"

#include <fstream>
#include <sstream>

#include "classlib/SysUtils.h"
#include "skin/skUtils.h"

namespace qv {

namespace {
// Names match as the class library's SameText does: ASCII letters fold.
std::string Fold(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return r;
}
}  // namespace

void TSkIniText::Parse(const std::string& Text) {
  sections_.clear();
  index_.clear();
  std::istringstream in(Text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';') continue;
    if (t.front() == '[' && t.back() == ']') {
      sections_.push_back(Block{Trim(t.substr(1, t.size() - 2)), {}, {}});
      index_.emplace(Fold(sections_.back().name), sections_.size() - 1);  // the first of a name wins
      continue;
    }
    size_t eq = t.find('=');
    if (eq == std::string::npos || sections_.empty()) continue;
    std::string key = Trim(t.substr(0, eq));
    if (key.empty()) continue;
    Block& s = sections_.back();
    if (s.keys.emplace(Fold(key), s.entries.size()).second)  // the first of a repeated key wins
      s.entries.push_back(Entry{key, Trim(t.substr(eq + 1))});
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

int TSkIniText::SectionIndex(const std::string& Name) const {
  auto it = index_.find(Fold(Name));
  return it == index_.end() ? -1 : int(it->second);
}

const TSkIniText::Block* TSkIniText::Find(const std::string& Name) const {
  const int i = SectionIndex(Name);
  return i < 0 ? nullptr : &sections_[size_t(i)];
}

const std::string* TSkIniText::Value(size_t Index, const std::string& Key) const {
  const Block& s = sections_[Index];
  auto it = s.keys.find(Fold(Key));
  return it == s.keys.end() ? nullptr : &s.entries[it->second].value;
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
  const int i = SectionIndex(Section);
  return i >= 0 && Value(size_t(i), Key);
}

std::string TSkIniText::ReadString(const std::string& Section, const std::string& Key,
                                   const std::string& Default) const {
  const int i = SectionIndex(Section);
  const std::string* v = i < 0 ? nullptr : Value(size_t(i), Key);
  return v ? *v : Default;
}

int32_t TSkIniText::ReadInteger(const std::string& Section, const std::string& Key, int32_t Default) const {
  return IntegerValue(ReadString(Section, Key, ""), Default);
}

int32_t TSkIniText::IntegerValue(const std::string& V, int32_t Default) {
  if (V.empty() || V[0] == '$') return Default;  // the ini reader knows "0x", not "$"
  return IniStrToInt(V, Default);
}

}  // namespace qv
