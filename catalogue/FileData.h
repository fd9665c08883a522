// TFileData: one node of a scanned folder tree, or of a browsed disc's tree.
// Folders and roots own their children; files have none.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DateTime.h"

namespace qv {

class TFileData {
 public:
  enum : uint8_t { kRoot = 0, kFile = 1, kFolder = 2 };

  TFileData(uint8_t kind, TFileData* parent, TDateTime date, int64_t size, std::string name);
  TFileData(uint8_t kind, TFileData* parent);
  // A scan root: kind 0, no parent, name "Root", the current date and time.
  static std::unique_ptr<TFileData> CreateRoot();
  ~TFileData();
  TFileData(const TFileData&) = delete;
  TFileData& operator=(const TFileData&) = delete;

  // Appends node (which must be a root's or folder's child); its position.
  int32_t AddChild(std::unique_ptr<TFileData> node);
  // Makes a node with this one as parent, appends it and returns it.
  TFileData* AddNew(uint8_t kind, TDateTime date, int64_t size, std::string name);
  int32_t Count() const { return Children ? int32_t(Children->size()) : 0; }
  // 0 <= index < Count(), asserted.
  TFileData* GetChild(int32_t index) const;
  // Frees every child and everything below it.
  void ClearChildren();
  // The folder path of the node inside its tree: "/" for a node directly
  // under the root, "/a/b/" for a node inside folder b inside folder a.
  std::string GetPath() const;
  // The node's real path when its tree was scanned from root: root, GetPath
  // and Name meet at single delimiters, also for the root "/" itself and for a
  // root given with a trailing "/". The tree's own root node gives root.
  std::string PathUnder(const std::string& root) const;

  bool IsFolder() const { return Kind == kFolder; }

  uint8_t Kind;
  TFileData* Parent;  // not owned; none for a root
  // Present for roots and folders only; children in the order they were added.
  std::unique_ptr<std::vector<std::unique_ptr<TFileData>>> Children;
  int64_t Size = 0;  // bytes; 0 for a scanned folder
  std::string Name;
  TDateTime Date = 0;  // local time
};

}  // namespace qv
