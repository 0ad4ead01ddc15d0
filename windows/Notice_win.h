#pragma once

// The message boxes every window of the program shows: captioned "提示", owned by the window
// that shows them (also while it is hidden).

#include "framework/Wnd.h"

inline constexpr const char* kNoticeCaption = "提示";

// A notice the user acknowledges with OK.
inline void ShowNotice(const CWnd& owner, const char* text) {
    owner.MessageBox(text, kNoticeCaption, MB_OK | MB_ICONINFORMATION);
}

// A question of Yes and No; true only on Yes.
inline bool AskYesNo(const CWnd& owner, const char* question) {
    return owner.MessageBox(question, kNoticeCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
