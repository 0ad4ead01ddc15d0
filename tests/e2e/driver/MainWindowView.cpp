#include "MainWindowView.h"

#include "WindowProbe.h"

namespace e2e {

MainWindowState ReadMainWindow(HWND window) {
    MainWindowState state;
    HWND combo = Item(window, ids::kEntry);
    state.entries = ComboItems(combo);
    state.selection = ComboSelection(combo);
    state.entryText = WindowText(combo);
    state.saveBox = CheckState(Item(window, ids::kSaveBox));
    state.user = WindowText(Item(window, ids::kUser));
    state.password = WindowText(Item(window, ids::kPassword));
    state.status = WindowText(Item(window, ids::kStatus));
    return state;
}

} // namespace e2e
