// Tree nodes of the scanner and the browser. Freeing a tree is iterative so
// that a deep tree (a hostile folder or a damaged catalogue) cannot exhaust
// the stack.
#include "catalogue/FileData.h"

#include <algorithm>
#include <utility>

#include "platform/Exception.h"

namespace qv {

namespace {

constexpr std::size_t kGrowth = 50;

}  // namespace

TFileData::TFileData(uint8_t kind, TFileData* parent, TDateTime date, int64_t size, std::string name)
    : Kind(kind), Parent(parent), Size(size), Name(std::move(name)), Date(date) {
  if (kind != kFile) Children = std::make_unique<std::vector<std::unique_ptr<TFileData>>>();
}

TFileData::TFileData(uint8_t kind, TFileData* parent) : TFileData(kind, parent, 0, 0, std::string()) {}

std::unique_ptr<TFileData> TFileData::CreateRoot() {
  return std::make_unique<TFileData>(kRoot, nullptr, Now(), 0, "Root");
}

TFileData::~TFileData() {
  ClearChildren();
}

int32_t TFileData::AddChild(std::unique_ptr<TFileData> node) {
  QV_ASSERT(Children != nullptr && node != nullptr);
  auto& list = *Children;
  // Small folders grow by 50 entries; big ones geometrically.
  if (list.size() == list.capacity()) list.reserve(list.size() + std::max(kGrowth, list.size() / 2));
  list.push_back(std::move(node));
  return int32_t(list.size() - 1);
}

TFileData* TFileData::AddNew(uint8_t kind, TDateTime date, int64_t size, std::string name) {
  auto node = std::make_unique<TFileData>(kind, this, date, size, std::move(name));
  TFileData* raw = node.get();
  AddChild(std::move(node));
  return raw;
}

TFileData* TFileData::GetChild(int32_t index) const {
  QV_ASSERT(index >= 0 && index < Count());
  return (*Children)[std::size_t(index)].get();
}

void TFileData::ClearChildren() {
  if (!Children || Children->empty()) return;
  // Take the subtrees apart breadth-first: a node is freed only once its own
  // children have been moved to the work list, so no destructor recurses.
  std::vector<std::unique_ptr<TFileData>> work = std::move(*Children);
  Children->clear();
  while (!work.empty()) {
    std::unique_ptr<TFileData> node = std::move(work.back());
    work.pop_back();
    if (node->Children) {
      for (auto& child : *node->Children) work.push_back(std::move(child));
      node->Children->clear();
    }
  }
}

std::string TFileData::GetPath() const {
  std::vector<const std::string*> names;
  for (const TFileData* p = Parent; p && p->Parent; p = p->Parent) names.push_back(&p->Name);
  std::string path = "/";
  for (auto it = names.rbegin(); it != names.rend(); ++it) path += **it + "/";
  return path;
}

std::string TFileData::PathUnder(const std::string& root) const {
  if (!Parent) return root;
  std::string base = root;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + GetPath() + Name;
}

}  // namespace qv
