// A thread of the program under test started by the driver (RemoteProcess.cpp): the window's
// font as the program itself sees it.

#include "probes/RemoteProcess.h"

extern "C" __declspec(dllexport) DWORD WINAPI AnswerFontRequest(LPVOID parameter) {
    auto* request = static_cast<e2e::FontRequest*>(parameter);
    DWORD_PTR font = 0;
    request->found = SendMessageTimeoutA(request->window, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG,
                                         request->timeoutMs, &font) &&
                     font &&
                     GetObjectA(reinterpret_cast<HFONT>(font), sizeof request->font,
                                &request->font) == static_cast<int>(sizeof request->font);
    return request->found;
}
