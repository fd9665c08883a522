// The catalogue's name order lives in the platform layer, where the shell
// namespace sorts with it too.
#pragma once
#include "platform/Names.h"
