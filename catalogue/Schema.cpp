// The catalogue schema. Kinds are declared records first, then the arrays of
// references, then the fields, so references may point at kinds declared later.
#include "catalogue/Schema.h"

#include <vector>

namespace qv {

const char* const kContextFileName = "Quirvane.ctx";

namespace {

// What a field must be: a simple kind code, a reference to a record kind, or an
// array whose elements are references or simple values.
struct FieldRule {
  enum Shape { Simple, Ref, RefArray, SimpleArray } shape;
  uint8_t code;        // simple code (also of array elements)
  const char* target;  // referenced record kind
};

struct KindRule {
  const char* name;
  std::vector<FieldRule> fields;
};

const std::vector<KindRule>& Rules() {
  using R = FieldRule;
  static const std::vector<KindRule> rules = {
      {"xDisc",
       {{R::Simple, kcString, nullptr},
        {R::Simple, kcInt32, nullptr},
        {R::Simple, kcString, nullptr},
        {R::Simple, kcInteger, nullptr},
        {R::Simple, kcInteger, nullptr},
        {R::Simple, kcDateTime, nullptr},
        {R::Simple, kcText, nullptr},
        {R::Ref, 0, "xFolder"}}},
      {"xFolder",
       {{R::Ref, 0, "xDisc"},
        {R::Ref, 0, "xFolderName"},
        {R::Ref, 0, "xFolder"},
        {R::Simple, kcDateTime, nullptr},
        {R::RefArray, 0, "xFolder"},
        {R::RefArray, 0, "xFile"}}},
      {"xFile",
       {{R::Ref, 0, "xDisc"},
        {R::Ref, 0, "xFileName"},
        {R::Ref, 0, "xFolder"},
        {R::Simple, kcDateTime, nullptr},
        {R::Simple, kcInteger, nullptr}}},
      {"xFolderName", {{R::Simple, kcString, nullptr}, {R::RefArray, 0, "xFolder"}}},
      {"xFileName", {{R::Simple, kcString, nullptr}, {R::RefArray, 0, "xFile"}}},
      {"xDiscKinds", {{R::SimpleArray, kcString, nullptr}}},
  };
  return rules;
}

const char* const kFieldNames[][8] = {
    {"Label", "Category", "Location", "Files", "Folders", "Added", "Description", "Root"},
    {"Disc", "Name", "Parent", "Date", "Folders", "Files"},
    {"Disc", "Name", "Parent", "Date", "Size"},
    {"Name", "Folders"},
    {"Name", "Files"},
    {"Names"},
};

bool FieldMatches(const FieldRule& rule, const TKind* kind) {
  if (!kind) return false;
  switch (rule.shape) {
    case FieldRule::Simple:
      return kind->Code == rule.code;
    case FieldRule::Ref:
      return kind->Code == kcRec;
    case FieldRule::RefArray: {
      auto* arr = dynamic_cast<const TArrKind*>(kind);
      return arr && arr->ElemKind && arr->ElemKind->Code == kcRec;
    }
    case FieldRule::SimpleArray: {
      auto* arr = dynamic_cast<const TArrKind*>(kind);
      return arr && arr->ElemKind && arr->ElemKind->Code == rule.code;
    }
  }
  return false;
}

}  // namespace

void BuildCatalogueContext(TContext& context) {
  context.Reset();
  context.Name = "Quirvane";
  std::vector<TRecKind*> recs;
  for (auto& rule : Rules()) recs.push_back(context.AddRec(rule.name));
  TKind* folderRefs = context.AddArr("xFolderRefs", context.KindByName("xFolder"));
  TKind* fileRefs = context.AddArr("xFileRefs", context.KindByName("xFile"));
  TKind* strings = context.AddArr("xStrings", context.KindByName("String"));
  for (std::size_t k = 0; k < recs.size(); ++k) {
    const auto& fields = Rules()[k].fields;
    for (std::size_t f = 0; f < fields.size(); ++f) {
      const FieldRule& r = fields[f];
      TKind* kind = nullptr;
      switch (r.shape) {
        case FieldRule::Simple:
          kind = context.KindById(r.code);
          break;
        case FieldRule::Ref:
          kind = context.KindByName(r.target);
          break;
        case FieldRule::RefArray:
          kind = std::string(r.target) == "xFolder" ? folderRefs : fileRefs;
          break;
        case FieldRule::SimpleArray:
          kind = strings;
          break;
      }
      recs[k]->AddField(kFieldNames[k][f], kind);
    }
  }
}

bool CheckCatalogueSchema(const TContext& context, std::string& error) {
  for (auto& rule : Rules()) {
    auto* rec = dynamic_cast<TRecKind*>(context.KindByName(rule.name));
    if (!rec) {
      error = std::string("Catalogue schema has no record kind \"") + rule.name + "\"";
      return false;
    }
    if (rec->FieldCount() < int(rule.fields.size())) {
      error = std::string("Catalogue schema kind \"") + rule.name + "\" has too few fields";
      return false;
    }
    for (std::size_t f = 0; f < rule.fields.size(); ++f) {
      if (!FieldMatches(rule.fields[f], rec->GetField(int(f))->Kind)) {
        error = std::string("Catalogue schema kind \"") + rule.name + "\" field " + std::to_string(f) +
                " has the wrong kind";
        return false;
      }
    }
  }
  error.clear();
  return true;
}

}  // namespace qv
