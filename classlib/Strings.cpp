// TStrings: the shared list behaviour (names and values, text, delimited
// text, streaming, assignment) on top of a descendant's storage.
#include "classlib/Strings.h"

#include "classlib/SysUtils.h"

namespace qv {

void TStrings::SetStrings(int Index, const std::string& S) {
  TObject* obj = Objects(Index);
  BeginUpdate();
  Delete(Index);
  InsertObject(Index, S, obj);
  EndUpdate();
}

TObject* TStrings::Objects(int) const {
  return nullptr;
}
void TStrings::SetObjects(int, TObject*) {}

int TStrings::Add(const std::string& S) {
  int index = Count();
  Insert(index, S);
  return index;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int index = Add(S);
  SetObjects(index, AObject);
  return index;
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  SetObjects(Index, AObject);
}

void TStrings::AddStrings(const TStrings& Source) {
  BeginUpdate();
  for (int i = 0; i < Source.Count(); ++i) AddObject(Source.Strings(i), Source.Objects(i));
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  std::string s = Strings(CurIndex);
  TObject* obj = Objects(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, obj);
  EndUpdate();
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  std::string s1 = Strings(Index1), s2 = Strings(Index2);
  TObject *o1 = Objects(Index1), *o2 = Objects(Index2);
  SetStrings(Index1, s2);
  SetObjects(Index1, o2);
  SetStrings(Index2, s1);
  SetObjects(Index2, o1);
  EndUpdate();
}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
  return CompareText(S1, S2);
}

int TStrings::IndexOf(const std::string& S) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Strings(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int i = 0; i < Count(); ++i) {
    std::string s = Strings(i);
    auto sep = s.find(NameValueSeparator);
    if (sep != std::string::npos && CompareStrings(s.substr(0, sep), Name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
  for (int i = 0; i < Count(); ++i)
    if (Objects(i) == AObject) return i;
  return -1;
}

bool TStrings::Equals(const TStrings& Other) const {
  if (Count() != Other.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Strings(i) != Other.Strings(i)) return false;
  return true;
}

std::string TStrings::Names(int Index) const {
  std::string s = Strings(Index);
  auto sep = s.find(NameValueSeparator);
  return sep == std::string::npos ? std::string() : s.substr(0, sep);
}

std::string TStrings::ValueFromIndex(int Index) const {
  if (Index < 0) return {};
  std::string s = Strings(Index);
  auto sep = s.find(NameValueSeparator);
  return sep == std::string::npos ? std::string() : s.substr(sep + 1);
}

std::string TStrings::Values(const std::string& Name) const {
  return ValueFromIndex(IndexOfName(Name));
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string line = Name + NameValueSeparator + Value;
  if (i < 0)
    Add(line);
  else
    SetStrings(i, line);
}

std::string TStrings::Text() const {
  std::string out;
  for (int i = 0; i < Count(); ++i) out += Strings(i) + LineBreak;
  return out;
}

void TStrings::SetText(const std::string& Value) {
  BeginUpdate();
  try {
    Clear();
    size_t start = 0, i = 0;
    while (i < Value.size()) {
      char c = Value[i];
      if (c != '\r' && c != '\n') {
        ++i;
        continue;
      }
      Add(Value.substr(start, i - start));
      i += (c == '\r' && i + 1 < Value.size() && Value[i + 1] == '\n') ? 2 : 1;
      start = i;
    }
    // A last line without a break still counts; a final break adds no empty line.
    if (start < Value.size()) Add(Value.substr(start));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::JoinDelimited(char delimiter, char quote, bool strict) const {
  if (Count() == 1 && Strings(0).empty()) return std::string(2, quote);
  std::string out;
  for (int i = 0; i < Count(); ++i) {
    std::string s = Strings(i);
    bool needsQuotes = false;
    for (char c : s)
      if (c == delimiter || c == quote || c == '\0' || (!strict && static_cast<unsigned char>(c) <= ' '))
        needsQuotes = true;
    if (needsQuotes) {
      std::string q(1, quote);
      for (char c : s) {
        q += c;
        if (c == quote) q += c;
      }
      s = q + quote;
    }
    if (i) out += delimiter;
    out += s;
  }
  return out;
}

void TStrings::SplitDelimited(const std::string& Value, char delimiter, char quote, bool strict) {
  auto blank = [&](char c) { return !strict && c > 0 && static_cast<unsigned char>(c) <= ' '; };
  BeginUpdate();
  try {
    Clear();
    size_t i = 0, n = Value.size();
    while (i < n && blank(Value[i])) ++i;
    while (i < n) {
      std::string item;
      if (Value[i] == quote) {
        // A quoted item: a doubled quote stands for one.
        ++i;
        while (i < n) {
          if (Value[i] == quote) {
            if (i + 1 < n && Value[i + 1] == quote) {
              item += quote;
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          item += Value[i++];
        }
      } else {
        while (i < n && Value[i] != delimiter && !blank(Value[i])) item += Value[i++];
      }
      Add(item);
      while (i < n && blank(Value[i])) ++i;
      if (i < n && Value[i] == delimiter) {
        ++i;
        while (i < n && blank(Value[i])) ++i;
        if (i == n) Add("");  // a trailing delimiter ends with an empty item
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::DelimitedText() const {
  return JoinDelimited(Delimiter, QuoteChar, StrictDelimiter);
}

void TStrings::SetDelimitedText(const std::string& Value) {
  SplitDelimited(Value, Delimiter, QuoteChar, StrictDelimiter);
}

std::string TStrings::CommaText() const {
  return JoinDelimited(',', '"', false);
}

void TStrings::SetCommaText(const std::string& Value) {
  SplitDelimited(Value, ',', '"', false);
}

void TStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead);
  LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& FileName) const {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(stream);
}

void TStrings::LoadFromStream(TStream& Stream) {
  int64_t size = Stream.Size() - Stream.Position();
  std::string data(size_t(size > 0 ? size : 0), '\0');
  if (!data.empty()) Stream.ReadBuffer(data.data(), int64_t(data.size()));
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
  SetText(data);
}

void TStrings::SaveToStream(TStream& Stream) const {
  std::string data = Text();
  if (!data.empty()) Stream.WriteBuffer(data.data(), int64_t(data.size()));
}

void TStrings::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TStrings*>(Source);
  if (!src) return TPersistent::Assign(Source);
  if (src == this) return;
  BeginUpdate();
  try {
    Clear();
    NameValueSeparator = src->NameValueSeparator;
    Delimiter = src->Delimiter;
    QuoteChar = src->QuoteChar;
    StrictDelimiter = src->StrictDelimiter;
    AddStrings(*src);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::vector<std::string> TStrings::ToVector() const {
  std::vector<std::string> out;
  out.reserve(size_t(Count()));
  for (int i = 0; i < Count(); ++i) out.push_back(Strings(i));
  return out;
}

}  // namespace qv
