#include "windows/AppendEdit_win.h"

#include "windows/HelpText.h"

void CAppendEdit::AppendLine(CString strLine) {
    CString strText;
    GetWindowText(strText);
    SetWindowText(help::WithLineAppended(strText.Str(), strLine.Str()).c_str());
    const LRESULT lines = SendMessage(EM_GETLINECOUNT);
    SendMessage(EM_LINESCROLL, 0, lines);
}
