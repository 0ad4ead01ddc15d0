#pragma once

// The request that e2e_font_probe.dll answers inside the program's process (see
// RemoteProcess.h): a font handle means nothing in another process, and Wine does not answer
// WM_GETFONT sent from one.

#include <windows.h>

namespace e2e {

struct FontRequest {
    HWND window;
    UINT timeoutMs;
    BOOL found;
    LOGFONTA font;
};

// The export the driver starts as a thread of the program: reads the window's font into the
// request; the thread's exit code is `found`.
inline constexpr const char* kFontProbeDll = "e2e_font_probe.dll";
inline constexpr const char* kFontProbeEntry = "ReadWindowFont";

} // namespace e2e
