#include "probes/MainWindowView.h"

#include "probes/WindowProbe.h"
#include "Text.h"

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

std::optional<TickText> ParseTickText(const std::string& text) {
    TickText tick;
    size_t at = 0;
    if (ReadLiteral(text, at, texts::kTickStart) && ReadNumber(text, at, tick.seconds) &&
        ReadLiteral(text, at, texts::kTickSecondsUnit) && ReadNumber(text, at, tick.hours) &&
        ReadLiteral(text, at, texts::kTickHoursUnit) && ReadNumber(text, at, tick.minutes) &&
        ReadLiteral(text, at, texts::kTickMinutesUnit) && at == text.size()) {
        return tick;
    }
    return std::nullopt;
}

bool ShowsConnection(const std::string& status) {
    return status == texts::kConnected || ParseTickText(status).has_value();
}

} // namespace e2e
