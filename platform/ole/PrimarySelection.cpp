// The primary selection lives with the desktop: the backend holds it.
#include "platform/ole/PrimarySelection.h"

#include "platform/backend/Backend.h"

namespace qv {

void SetPrimarySelectionText(const std::u16string& text) {
  if (Backend* backend = CurrentBackend()) backend->SetPrimaryText(text);
}

std::u16string GetPrimarySelectionText() {
  Backend* backend = CurrentBackend();
  return backend ? backend->GetPrimaryText() : std::u16string();
}

}  // namespace qv
