// A disc stored in part (Stop, or the window closed, while its files were
// being stored) stays in the catalogue as it is; it is said so when the add
// ends and again when the catalogue is next opened, since a closing window
// takes the first line with it. xbase.vlm keeps the discs to tell of.
#include <sstream>

#include "catalogue/Engine.h"
#include "classlib/SysUtils.h"

namespace qv {

namespace {
std::string PartialLine(const TDiscData& d) {
  return "Disc \"" + Utf16ToUtf8(d.Label) + "\" was stored in part: " + std::to_string(d.Files) +
         " file(s) and " + std::to_string(d.Folders) + " folder(s) were stored before the add was stopped";
}

std::vector<int64_t> ParseIds(const std::string& text) {
  std::vector<int64_t> ids;
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    try {
      std::size_t used = 0;
      const int64_t id = int64_t(std::stoull(item, &used, 16));
      if (used == item.size() && id > 0) ids.push_back(id);
    } catch (const std::exception&) {
      // A damaged value names no disc.
    }
  }
  return ids;
}
}  // namespace

void TEngine::NotePartial(int32_t discIndex) {
  const TDiscData d = Discs->GetDisc(discIndex);
  host_.AddWarning(PartialLine(d));
  std::string list = Base->ReadEngineKey(kPartialKey);
  list += (list.empty() ? "" : ",") + IntToHex(uint64_t(d.ID), 16);
  // Best effort: without it only the next open's line is missing.
  Base->WriteEngineKey(kPartialKey, list);
}

void TEngine::SayPartialDiscs() {
  const std::string list = Base->ReadEngineKey(kPartialKey);
  if (list.empty()) return;
  for (int64_t id : ParseIds(list))
    if (const int32_t at = Discs->IndexOfId(id); at >= 0) host_.AddWarning(PartialLine(Discs->DiscAt(at)));
  // Said once; a catalogue that cannot be written now says it again next time.
  if (!Base->ReadOnly()) Base->WriteEngineKey(kPartialKey, "");
}

}  // namespace qv
