#pragma once

#include "framework/Controls.h"
#include "framework/String.h"

// A multi-line edit that grows by whole lines and keeps its end in view. The control's window
// text is the only copy of the text.
class CAppendEdit : public CEdit {
public:
    // Adds the line at the end, after "\r\n" unless the control is empty, and scrolls down as
    // far as the text goes.
    void AppendLine(CString strLine);
};
