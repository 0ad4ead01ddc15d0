#include "probes/MessageBoxProbe.h"

#include "probes/ProgramFacts.h"
#include "probes/WindowProbe.h"

namespace e2e {
namespace {

constexpr int kTextId = 0xFFFF;
// The icon static: 0x0440 in Wine's message box template, 20 in Windows'.
constexpr int kIconIds[] = {0x0440, 20};
constexpr int kMaxButtonId = 11; // IDOK ... IDCONTINUE

// The ids of the buttons the box shows.
std::vector<int> VisibleButtons(HWND box) {
    std::vector<int> shown;
    for (int id = 1; id <= kMaxButtonId; ++id) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button)) {
            shown.push_back(id);
        }
    }
    return shown;
}

HWND IconStatic(HWND box) {
    for (int id : kIconIds) {
        HWND icon = GetDlgItem(box, id);
        if (icon && ClassNameOf(icon) == "Static") {
            return icon;
        }
    }
    return nullptr;
}

// Another process's icon handle means nothing here, so the icon is told by its pixels: the
// static on the screen against each system icon drawn the same way.
BoxIcon IdentifyIcon(HWND box) {
    HWND icon = IconStatic(box);
    if (!icon || !IsWindowVisible(icon)) {
        return BoxIcon::None;
    }
    if (!Ask(icon, STM_GETICON)) {
        return BoxIcon::None;
    }
    WaitUntilPainted(box);
    const Pixels shown = CaptureScreen(ScreenRect(icon));
    if (shown.data.empty()) {
        return BoxIcon::Other;
    }
    const unsigned background = shown.At(0, 0);
    struct Candidate {
        LPCSTR id;
        BoxIcon icon;
    };
    const Candidate candidates[] = {{IDI_INFORMATION, BoxIcon::Information},
                                    {IDI_QUESTION, BoxIcon::Question},
                                    {IDI_WARNING, BoxIcon::Warning},
                                    {IDI_ERROR, BoxIcon::Error}};
    BoxIcon best = BoxIcon::Other;
    double bestDifference = 8.0; // above this nothing matches: some other picture
    for (const auto& candidate : candidates) {
        const double difference =
            MeanDifference(shown, RenderIcon(LoadIconA(nullptr, candidate.id), shown.width,
                                             shown.height, background, true));
        if (difference < bestDifference) {
            bestDifference = difference;
            best = candidate.icon;
        }
    }
    return best;
}

} // namespace

const char* BoxIconName(BoxIcon icon) {
    // In the order of BoxIcon.
    static const char* const kNames[] = {"none",    "information", "question",
                                         "warning", "error",       "other"};
    const auto index = static_cast<size_t>(icon);
    return index < sizeof kNames / sizeof kNames[0] ? kNames[index] : "other";
}

bool LooksLikeMessageBox(HWND window) {
    if (ClassNameOf(window) != "#32770" || GetDlgItem(window, ids::kEntry) != nullptr) {
        return false;
    }
    HWND text = GetDlgItem(window, kTextId);
    if (!text || ClassNameOf(text) != "Static") {
        return false;
    }
    return !VisibleButtons(window).empty();
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.window = box;
    view.owner = GetWindow(box, GW_OWNER);
    view.caption = WindowText(box);
    view.text = WindowText(GetDlgItem(box, kTextId));
    view.buttons = VisibleButtons(box);
    view.icon = IdentifyIcon(box);
    return view;
}

bool AnswerMessageBox(HWND box, int buttonId) {
    HWND button = GetDlgItem(box, buttonId);
    if (!button || !IsWindowVisible(button)) {
        return false;
    }
    PressButton(button);
    return true;
}

// Lets failure messages print an icon by name.
std::string Describe(BoxIcon icon) {
    return BoxIconName(icon);
}
} // namespace e2e
