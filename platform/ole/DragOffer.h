// What a drag of ours offers other programs, read from its data object: the
// text of the rows, and file URIs when the rows name existing files.
#pragma once
#include <string>

#include "platform/backend/Backend.h"
#include "platform/ole/DataTransfer.h"

namespace qv {

ForeignDragOffer MakeForeignOffer(IDataObject* data);

// "file://" and the path with every byte outside the unreserved set and "/" escaped.
std::string FileUri(const std::string& path);

}  // namespace qv
