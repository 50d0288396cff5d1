// The HID layer's one exception class.
#pragma once

#include "vcl/sysutils.h"

QW_DECLARE_EXCEPTION(EControllerError, Exception);
