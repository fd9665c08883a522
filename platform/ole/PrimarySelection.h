// The desktop's primary selection: the text the user selected last, in this
// program or another, which a middle click pastes. It is apart from the
// clipboard: neither ever changes the other.
#pragma once
#include <string>

namespace qv {

// Makes the text the primary selection, without waiting for any program.
void SetPrimarySelectionText(const std::u16string& text);
// The primary selection's text, empty when there is none. Another program's
// is waited for as a read of the clipboard's text waits; our own is at hand.
// A paste reads it without waiting (PasteText.h).
std::u16string GetPrimarySelectionText();

}  // namespace qv
