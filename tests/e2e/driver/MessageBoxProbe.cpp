#include "MessageBoxProbe.h"

#include "ProgramFacts.h"
#include "WindowProbe.h"

namespace e2e {
namespace {

constexpr int kTextId = 0xFFFF;
// The icon static: 0x0440 in Wine's message box template, 20 in Windows'.
constexpr int kIconIds[] = {0x0440, 20};
constexpr int kMaxButtonId = 11; // IDOK ... IDCONTINUE

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
    switch (icon) {
    case BoxIcon::None:
        return "none";
    case BoxIcon::Information:
        return "information";
    case BoxIcon::Question:
        return "question";
    case BoxIcon::Warning:
        return "warning";
    case BoxIcon::Error:
        return "error";
    case BoxIcon::Other:
        break;
    }
    return "other";
}

bool LooksLikeMessageBox(HWND window) {
    if (ClassNameOf(window) != "#32770" || GetDlgItem(window, ids::kEntry) != nullptr) {
        return false;
    }
    HWND text = GetDlgItem(window, kTextId);
    if (!text || ClassNameOf(text) != "Static") {
        return false;
    }
    for (int id = 1; id <= kMaxButtonId; ++id) {
        HWND button = GetDlgItem(window, id);
        if (button && IsWindowVisible(button)) {
            return true;
        }
    }
    return false;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.window = box;
    view.owner = GetWindow(box, GW_OWNER);
    view.caption = WindowText(box);
    view.text = WindowText(GetDlgItem(box, kTextId));
    for (int id = 1; id <= kMaxButtonId; ++id) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button)) {
            view.buttons.push_back(id);
        }
    }
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

} // namespace e2e

namespace e2e {
// Lets failure messages print an icon by name.
std::string Describe(BoxIcon icon) {
    return BoxIconName(icon);
}
} // namespace e2e
