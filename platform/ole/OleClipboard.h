// A data object on the clipboard, and the component library's start and end.
#pragma once
#include "platform/ole/DataTransfer.h"

namespace qv {

// Counted: the first call starts the library, the last OleUninitialize
// flushes a data object the program left on the clipboard and revokes every
// drop target that is still registered.
HRESULT OleInitialize(void* reserved);
void OleUninitialize();

// Puts `object` (AddRef'd) on the clipboard in place of everything there,
// nullptr just empties it. The object is released when the clipboard changes
// next. Its text, if it offers any, goes to the desktop's clipboard at once.
HRESULT OleSetClipboard(IDataObject* object);
// The object set by OleSetClipboard, else a snapshot of the plain clipboard's
// formats (including desktop text) as a data object. The caller releases it.
HRESULT OleGetClipboard(IDataObject** object);
// Renders every global-memory format of the clipboard's object into the
// plain clipboard and releases the object. Waits for nobody: another
// program is not asked. Text the desktop reads from the object as it goes is
// made there to its end, so that it stays served without the object.
HRESULT OleFlushClipboard();
// S_OK when `object` is the one on the clipboard, else S_FALSE.
HRESULT OleIsCurrentClipboard(IDataObject* object);

}  // namespace qv
