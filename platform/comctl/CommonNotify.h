// The notification header every WM_NOTIFY carries and the generic NM_* codes
// live with the common controls' shared declarations.
#pragma once
#include "platform/comctl/CommCtrl.h"
