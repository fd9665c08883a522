// What a drag of ours offers other programs, read from its data object: the
// text of the rows, and file URIs when the rows name existing files.
#pragma once
#include <string>
#include <vector>

#include "platform/backend/Backend.h"
#include "platform/ole/DataTransfer.h"

namespace qv {

ForeignDragOffer MakeForeignOffer(IDataObject* data);

// A list of files as CF_HDROP holds it: a DROPFILES header (files at offset
// 20, wide names) and the paths as UTF-16, each ending in NUL, then one more NUL.
std::vector<uint8_t> MakeDropFiles(const std::vector<std::string>& paths);
// The paths of such a block (UTF-8); none when it is not one.
std::vector<std::string> FilesOfDrop(const uint8_t* block, size_t size);

// "file://" and the path with every byte outside the unreserved set and "/" escaped.
std::string FileUri(const std::string& path);

}  // namespace qv
