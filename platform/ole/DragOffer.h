// What a drag of ours offers other programs, read from its data object: the
// text of the rows, and file URIs when the rows name existing files.
#pragma once
#include <string>
#include <vector>

#include "platform/backend/Backend.h"
#include "platform/ole/DataTransfer.h"

namespace qv {

inline constexpr IID IID_IPieceText{
    0x6A0F3C51, 0x2B7E, 0x4D19, {0x9C, 0x41, 0x5E, 0x80, 0x13, 0xA7, 0x2D, 0x64}};

// A data object that renders its text (what CF_UNICODETEXT holds, as UTF-8)
// a piece at a time as it is read, instead of all at once.
struct IPieceText : IUnknown {
  static const IID& Iid() { return IID_IPieceText; }
  // A reader from the start; nullptr when the text must come from GetData.
  virtual std::unique_ptr<TextReader> ReadText() = 0;
};

// The offer of a drag: its text, rendered only when read, and whether its
// rows are files, read from the text's first rows until one is not.
ForeignDragOffer MakeForeignOffer(IDataObject* data);

// A list of files as CF_HDROP holds it: a DROPFILES header (files at offset
// 20, wide names) and the paths as UTF-16, each ending in NUL, then one more NUL.
std::vector<uint8_t> MakeDropFiles(const std::vector<std::string>& paths);
// The paths of such a block (UTF-8); none when it is not one.
std::vector<std::string> FilesOfDrop(const uint8_t* block, size_t size);

// "file://" and the path with every byte outside the unreserved set and "/" escaped.
std::string FileUri(const std::string& path);

}  // namespace qv
