// TStrings (the abstract list of strings with attached objects, name=value
// access, text and comma text, streaming) and TStringList, its in-memory form
// with sorting, duplicate rules and change events. Text is UTF-8.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "classlib/Object.h"
#include "classlib/Streams.h"

namespace qv {

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
 public:
  ~TStrings() override = default;

  // The storage a descendant provides.
  virtual int Count() const = 0;
  virtual std::string Strings(int Index) const = 0;
  virtual void SetStrings(int Index, const std::string& S);
  virtual TObject* Objects(int Index) const;
  virtual void SetObjects(int Index, TObject* AObject);
  virtual void Insert(int Index, const std::string& S) = 0;
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;

  std::string operator[](int Index) const { return Strings(Index); }
  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  void InsertObject(int Index, const std::string& S, TObject* AObject);
  void AddStrings(const TStrings& Source);
  void Append(const std::string& S) { Add(S); }
  void Move(int CurIndex, int NewIndex);
  virtual void Exchange(int Index1, int Index2);

  virtual int IndexOf(const std::string& S) const;
  int IndexOfName(const std::string& Name) const;
  int IndexOfObject(const TObject* AObject) const;
  bool Equals(const TStrings& Other) const;

  // "name=value" access (NameValueSeparator is "=").
  std::string Names(int Index) const;
  std::string ValueFromIndex(int Index) const;
  std::string Values(const std::string& Name) const;
  // Sets the value of Name; an empty value deletes the line.
  void SetValues(const std::string& Name, const std::string& Value);
  char NameValueSeparator = '=';

  // Lines joined by LineBreak ("\n" after every line); reading splits on CR,
  // LF or CRLF.
  std::string Text() const;
  virtual void SetText(const std::string& Value);
  std::string LineBreak = "\n";
  // Delimiter-separated, quoting items with blanks, quotes or delimiters.
  std::string DelimitedText() const;
  void SetDelimitedText(const std::string& Value);
  std::string CommaText() const;
  void SetCommaText(const std::string& Value);
  char Delimiter = ',';
  char QuoteChar = '"';
  bool StrictDelimiter = false;  // true: only Delimiter separates, blanks do not

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // UTF-8 text; a leading byte-order mark is skipped on reading.
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;
  virtual void LoadFromStream(TStream& Stream);
  void SaveToStream(TStream& Stream) const;

  void Assign(TPersistent* Source) override;
  std::vector<std::string> ToVector() const;

 protected:
  // Called when the first BeginUpdate starts (true) and the last EndUpdate ends (false).
  virtual void SetUpdateState(bool /*Updating*/) {}
  // Case rule used by IndexOf, IndexOfName and Values.
  virtual int CompareStrings(const std::string& S1, const std::string& S2) const;

 private:
  std::string JoinDelimited(char delimiter, char quote, bool strict) const;
  void SplitDelimited(const std::string& value, char delimiter, char quote, bool strict);

  int updateCount_ = 0;
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
 public:
  TStringList() = default;
  ~TStringList() override;  // frees the objects when OwnsObjects

  int Count() const override { return int(items_.size()); }
  std::string Strings(int Index) const override;
  void SetStrings(int Index, const std::string& S) override;  // EListError on a sorted list
  TObject* Objects(int Index) const override;
  void SetObjects(int Index, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override;  // EListError on a sorted list
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;

  // In a sorted list Add puts S in order and applies Duplicates: dupIgnore
  // returns the existing index, dupError raises EListError.
  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  int IndexOf(const std::string& S) const override;
  // Binary search of a sorted list: true and the index of the first match, or
  // false and the insertion point.
  virtual bool Find(const std::string& S, int& Index) const;
  virtual void Sort();
  virtual void CustomSort(TStringListSortCompare Compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);  // turning it on sorts
  TDuplicates Duplicates = dupIgnore;
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool Value);  // re-sorts a sorted list
  bool OwnsObjects = false;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  int CompareStrings(const std::string& S1, const std::string& S2) const override;
  void SetUpdateState(bool Updating) override;
  virtual void Changed();
  virtual void Changing();

 private:
  struct Item {
    std::string text;
    TObject* object = nullptr;
  };
  void CheckIndex(int Index) const;
  void InsertItem(int Index, const std::string& S, TObject* AObject);
  void SortWith(const std::function<int(const Item&, const Item&)>& cmp);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
};

}  // namespace qv
