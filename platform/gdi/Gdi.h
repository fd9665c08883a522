// The whole software GDI in one include.
#pragma once
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Blit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Icons.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Shapes.h"
