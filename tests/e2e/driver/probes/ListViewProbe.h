#pragma once

// List views of another process as a user sees them: rows, cell texts, columns, styles.
//
// LVM_GETITEMTEXT and LVM_GETCOLUMN fill a record through a pointer that must be valid in the
// list's own process, so the record and its text buffer are placed there (RemoteBlock).

#include "probes/RemoteProcess.h"
#include "probes/WindowProbe.h"

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

inline constexpr size_t kListTextChars = 1024; // far above the longest text a row holds (199)

// LVM_GETITEMCOUNT; -1 when the list did not answer.
inline int ListRowCount(HWND list) {
    DWORD_PTR count = 0;
    return list && SendTo(list, LVM_GETITEMCOUNT, 0, 0, &count) ? static_cast<int>(count) : -1;
}

inline DWORD ListExtendedStyle(HWND list) {
    DWORD_PTR style = 0;
    SendTo(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, &style);
    return static_cast<DWORD>(style);
}

// Columns as the list's header counts them; -1 when it did not answer.
inline int ListColumnCount(HWND list) {
    DWORD_PTR header = 0;
    DWORD_PTR count = 0;
    if (!list || !SendTo(list, LVM_GETHEADER, 0, 0, &header) || !header ||
        !SendTo(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &count)) {
        return -1;
    }
    return static_cast<int>(static_cast<LRESULT>(count));
}

// The ANSI text of one cell; empty when the list did not answer.
inline std::optional<std::string> ListCell(HWND list, int row, int column) {
    RemoteBlock block(list, sizeof(LVITEMA) + kListTextChars);
    if (!block.Valid()) {
        return std::nullopt;
    }
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = block.At(sizeof item);
    item.cchTextMax = static_cast<int>(kListTextChars);
    const char nothing = '\0';
    DWORD_PTR ignored = 0;
    if (!block.Write(0, &item, sizeof item) || !block.Write(sizeof item, &nothing, 1) ||
        !SendTo(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                reinterpret_cast<LPARAM>(block.At(0)), &ignored)) {
        return std::nullopt;
    }
    return block.ReadText(sizeof item, kListTextChars - 1);
}

// The texts of one row's first `columns` cells.
inline std::vector<std::string> ListRow(HWND list, int row, int columns) {
    std::vector<std::string> cells;
    for (int column = 0; column < columns; ++column) {
        cells.push_back(ListCell(list, row, column).value_or("(no answer)"));
    }
    return cells;
}

// Every row top to bottom, each with the texts of its first `columns` cells.
using Rows = std::vector<std::vector<std::string>>;
inline Rows ListRows(HWND list, int columns) {
    Rows rows;
    const int count = ListRowCount(list);
    for (int row = 0; row < count; ++row) {
        rows.push_back(ListRow(list, row, columns));
    }
    return rows;
}

struct ListColumn {
    std::string heading;
    int width = 0;
    int format = 0; // LVCFMT_LEFT, _RIGHT, _CENTER

    bool operator==(const ListColumn& other) const {
        return heading == other.heading && width == other.width && format == other.format;
    }
};

inline std::ostream& operator<<(std::ostream& out, const ListColumn& column) {
    return out << "{\"" << column.heading << "\", " << column.width << ", fmt " << column.format
               << "}";
}

inline std::optional<ListColumn> ListColumnAt(HWND list, int index) {
    RemoteBlock block(list, sizeof(LVCOLUMNA) + kListTextChars);
    if (!block.Valid()) {
        return std::nullopt;
    }
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = block.At(sizeof column);
    column.cchTextMax = static_cast<int>(kListTextChars);
    DWORD_PTR found = 0;
    if (!block.Write(0, &column, sizeof column) ||
        !SendTo(list, LVM_GETCOLUMNA, static_cast<WPARAM>(index),
                reinterpret_cast<LPARAM>(block.At(0)), &found) ||
        !found || !block.Read(0, &column, sizeof column)) {
        return std::nullopt;
    }
    const std::optional<std::string> heading = block.ReadText(sizeof column, kListTextChars - 1);
    if (!heading) {
        return std::nullopt;
    }
    return ListColumn{*heading, column.cx, column.fmt & LVCFMT_JUSTIFYMASK};
}

} // namespace e2e
