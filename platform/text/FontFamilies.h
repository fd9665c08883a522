// The font family names a font list shows: the installed families as
// fontconfig reports them, and the names the program maps onto them.
#pragma once
#include <string>
#include <vector>

namespace qv {

// Sorted case-insensitively, each name once.
std::vector<std::string> FontFamilyNames();

}  // namespace qv
