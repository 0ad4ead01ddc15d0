#pragma once

// The name controls/MemoryDC.h had before Win32 headers took the _win suffix; still included by
// the pixel check (tests/e2e/pixels). Goes when that includes controls/MemoryDC_win.h.
#include "controls/MemoryDC_win.h"
