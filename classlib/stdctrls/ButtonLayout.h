// Where a button's glyph sits beside its caption, and the states whose
// images a glyph strip holds; shared by the bit button and the speed button.
#pragma once

namespace qv {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

}  // namespace qv
