#include "probes/ProgramFile.h"

#include "Text.h"

namespace e2e {
namespace {

std::vector<MenuItem> ReadItems(HMENU menu) {
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
        MenuItem item;
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        item.popup = info.hSubMenu != nullptr;
        item.id = item.popup ? 0 : info.wID;
        item.state = info.fState;
        char text[256] = {};
        const int length =
            GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        item.text.assign(text, length > 0 ? static_cast<size_t>(length) : 0);
        items.push_back(item);
    }
    return items;
}

// Reads a 16-bit string or ordinal field of a dialog template; returns the string.
std::wstring ReadTemplateField(const WORD*& at) {
    std::wstring text;
    if (*at == 0xFFFF) {
        at += 2;
    } else {
        while (*at) {
            text += static_cast<wchar_t>(*at++);
        }
        ++at;
    }
    return text;
}

} // namespace

std::optional<MenuResource> ReadMenuResource(const std::string& moduleFile, UINT menuId) {
    DataModule module(moduleFile);
    if (!module.Handle()) {
        return std::nullopt;
    }
    HMENU menu = LoadMenuA(module.Handle(), MAKEINTRESOURCEA(menuId));
    if (!menu) {
        return std::nullopt;
    }
    MenuResource resource;
    resource.top = ReadItems(menu);
    if (HMENU popup = GetSubMenu(menu, 0)) {
        resource.popupItems = ReadItems(popup);
        resource.defaultItem = static_cast<int>(GetMenuDefaultItem(popup, TRUE, 0));
    }
    DestroyMenu(menu);
    return resource;
}

std::optional<DialogTemplate> ReadDialogTemplate(const std::string& moduleFile, UINT dialogId) {
    DataModule module(moduleFile);
    HRSRC found = module.Handle()
                      ? FindResourceA(module.Handle(), MAKEINTRESOURCEA(dialogId), RT_DIALOG)
                      : nullptr;
    HGLOBAL loaded = found ? LoadResource(module.Handle(), found) : nullptr;
    const auto* words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!words) {
        return std::nullopt;
    }
    // DIALOGEX starts with version 1 and 0xFFFF; both kinds then hold the menu, the class and
    // the caption after their fixed part, and the font when the style has DS_SETFONT.
    DialogTemplate dialog;
    dialog.extended = words[0] == 1 && words[1] == 0xFFFF;
    const DWORD style =
        dialog.extended ? MAKELONG(words[6], words[7]) : MAKELONG(words[0], words[1]);
    const WORD* at = words + (dialog.extended ? 13 : 9);
    ReadTemplateField(at); // menu
    ReadTemplateField(at); // class
    dialog.caption = Narrow(ReadTemplateField(at));
    if (style & DS_SETFONT) {
        dialog.points = *at++;
        if (dialog.extended) {
            dialog.weight = *at++;
            dialog.charset = HIBYTE(*at++); // after the italic flag
        }
        dialog.face = Narrow(ReadTemplateField(at));
    }
    return dialog;
}

} // namespace e2e
