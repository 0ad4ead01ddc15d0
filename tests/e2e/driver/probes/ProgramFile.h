#pragma once

// The program file's resources read as data: the tray menus and the dialog templates, as the
// program's windows are made from them.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// A module loaded as data (no code of it runs), released with the object.
class DataModule {
public:
    explicit DataModule(const std::string& path)
        : m_handle(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule() {
        if (m_handle) {
            FreeLibrary(m_handle);
        }
    }
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;
    HMODULE Handle() const { return m_handle; }

private:
    HMODULE m_handle;
};

// A menu resource: the top-level entries and, for the first pop-up, its items.
struct MenuItem {
    UINT id = 0;      // 0 for a separator
    std::string text; // "" for a separator
    bool separator = false;
    bool popup = false;
    UINT state = 0; // MFS_* of the item
};
struct MenuResource {
    std::vector<MenuItem> top;
    std::vector<MenuItem> popupItems; // of the first top-level entry, when it is a pop-up
    int defaultItem = -1;             // of the pop-up: GetMenuDefaultItem by position
};
std::optional<MenuResource> ReadMenuResource(const std::string& moduleFile, UINT menuId);

// A dialog template's caption and font. A DIALOG template (not DIALOGEX) names no weight and
// no character set: both read 0.
struct DialogTemplate {
    std::string caption;
    bool extended = false;
    int points = 0;
    int weight = 0;
    int charset = 0;
    std::string face;
};
std::optional<DialogTemplate> ReadDialogTemplate(const std::string& moduleFile, UINT dialogId);

} // namespace e2e
