#pragma once

// The name dialer/RasRecords.h had before Win32 headers took the _win suffix; still included by
// the simulated service's check (tests/e2e/simras). Goes when that includes
// dialer/RasRecords_win.h.
#include "dialer/RasRecords_win.h"
