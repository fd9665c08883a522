// The image-list handle API lives with the GDI so that the common controls
// can draw image lists; this header keeps the class library's include path.
#pragma once
#include "platform/gdi/ImageListApi.h"
