#pragma once

// The name controls/ImageButton.h had before Win32 headers took the _win suffix; still included by
// the pixel check (tests/e2e/pixels). Goes when that includes controls/ImageButton_win.h.
#include "controls/ImageButton_win.h"
