#pragma once

// The program's dialogs as the dialog manager built them from their templates: the client
// area and the controls in dialog units, the controls in order, the font, and where a modal
// dialog stands over its owner. The statistics, help and main windows are checked with these.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Dialog base units of the font "宋体" 9 pt, as the dialog manager computes them for a
// dialog with that font; converts client pixels into dialog units.
struct DialogUnits {
    int baseX = 0;
    int baseY = 0;
    RECT ToUnits(const RECT& pixels) const;
};
DialogUnits SimSunDialogUnits();

// "(left, top, right, bottom)", for failure messages.
std::string Units(const RECT& rect);
// Within one: converting pixels back to dialog units rounds.
bool Near(LONG actual, LONG expected);

enum class TabStop { Unchecked, Yes, No };

struct ExpectedControl {
    int id;
    const char* className;
    const char* text; // nullptr: not compared (edits, lists)
    RECT units;       // x, y, x + width, y + height; a bottom of 0 is not compared
    TabStop tabStop = TabStop::Unchecked;
};

// The client area measures width x height dialog units.
void CheckClientSize(HWND dialog, LONG width, LONG height);
// The dialog's own children in creation order (also the tab order), each shown, with its id,
// class, text, place and tab stop as expected. Ends the case when their number differs.
void CheckControls(HWND dialog, const std::vector<ExpectedControl>& expected);
// The font the dialog manager made of the template `templateId` of the program file: "宋体",
// 9 points at the screen's DPI, normal weight (400) and the Chinese character set
// (GB2312_CHARSET, 134). Wine makes every dialog font with DEFAULT_CHARSET, whatever the
// template says; there the template's own character set is checked instead.
void CheckDialogFont(HWND dialog, unsigned templateId);

// A modal dialog of the program as its template lays it out: CheckModalOver, the client area,
// CheckControls, CheckDialogFont and the control that has the focus at first.
struct DialogLayout {
    unsigned templateId;
    LONG width; // client area in dialog units
    LONG height;
    std::vector<ExpectedControl> controls;
    int focusId;
};
void CheckModalLayout(HWND dialog, HWND owner, const DialogLayout& layout);
// Moves the main window away from the screen's corner, so that centring shows, and opens a
// dialog over it; ends the case when either fails.
HWND OpenAwayFromTheCorner(HWND main, const std::function<HWND()>& open);

// A modal dialog over `owner`: caption and system menu, fixed size, a modal frame, owned by
// `owner`, which waits disabled, and centred over it within the work area.
void CheckModalOver(HWND dialog, HWND owner);
// The window stands centred over `over`, moved inside the work area where it would leave it.
void CheckCentredOver(HWND window, const RECT& over, const std::string& context);
RECT WorkArea();

// Back to the main window with the dialog's "返回主界面"; true once the dialog has ended.
bool CloseByBackButton(HWND dialog);

// A way a user ends a modal dialog of the program: the back button, a key in a control, the
// close box.
struct WayToEnd {
    std::string name;
    std::function<void(HWND dialog)> take;
};
WayToEnd ByBackButton();
WayToEnd ByKey(const std::string& name, int controlId, UINT key);
WayToEnd ByCloseBox();
// Each way ends a dialog that `open` opens afresh (nullptr: it did not open), and then
// `owner` is enabled again.
void CheckEachWayEnds(const std::function<HWND()>& open, const std::vector<WayToEnd>& ways,
                      HWND owner);

} // namespace e2e
