#pragma once

// List views of another process as a user sees them: rows, cell texts, columns, styles.
// Header-only so that the driver's build needs no new line for it.
//
// LVM_GETITEMTEXT and LVM_GETCOLUMN fill a record through a pointer that must be valid in the
// list's own process, so the record and its text buffer are placed there (VirtualAllocEx) and
// read back (ReadProcessMemory). Both processes are 32-bit: the records have the same layout.

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

namespace listview_detail {

constexpr UINT kSendTimeoutMs = 5000;
constexpr size_t kTextChars = 1024; // far above the longest text a row holds (199)

inline bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               result) != 0;
}

// A block of memory in the process that owns a window, freed with the object.
class RemoteBlock {
public:
    RemoteBlock(HWND window, size_t size) : m_size(size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                processId);
        if (m_process) {
            m_address =
                VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        }
    }
    ~RemoteBlock() {
        if (m_address) {
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
        }
        if (m_process) {
            CloseHandle(m_process);
        }
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool Valid() const { return m_address != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(m_address) + offset; }
    bool Write(size_t offset, const void* data, size_t size) const {
        SIZE_T written = 0;
        return offset + size <= m_size &&
               WriteProcessMemory(m_process, At(offset), data, size, &written) && written == size;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        SIZE_T read = 0;
        return offset + size <= m_size &&
               ReadProcessMemory(m_process, At(offset), data, size, &read) && read == size;
    }
    // The zero-terminated text at offset, at most chars bytes.
    std::optional<std::string> ReadText(size_t offset, size_t chars) const {
        std::vector<char> text(chars + 1, '\0');
        if (!Read(offset, text.data(), chars)) {
            return std::nullopt;
        }
        return std::string(text.data());
    }

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    size_t m_size;
};

} // namespace listview_detail

// LVM_GETITEMCOUNT; -1 when the list did not answer.
inline int ListRowCount(HWND list) {
    DWORD_PTR count = 0;
    return list && listview_detail::Send(list, LVM_GETITEMCOUNT, 0, 0, &count)
               ? static_cast<int>(count)
               : -1;
}

inline DWORD ListExtendedStyle(HWND list) {
    DWORD_PTR style = 0;
    listview_detail::Send(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, &style);
    return static_cast<DWORD>(style);
}

// Columns as the list's header counts them; -1 when it did not answer.
inline int ListColumnCount(HWND list) {
    DWORD_PTR header = 0;
    DWORD_PTR count = 0;
    if (!list || !listview_detail::Send(list, LVM_GETHEADER, 0, 0, &header) || !header ||
        !listview_detail::Send(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &count)) {
        return -1;
    }
    return static_cast<int>(static_cast<LRESULT>(count));
}

// The ANSI text of one cell; empty when the list did not answer.
inline std::optional<std::string> ListCell(HWND list, int row, int column) {
    using listview_detail::kTextChars;
    listview_detail::RemoteBlock block(list, sizeof(LVITEMA) + kTextChars);
    if (!block.Valid()) {
        return std::nullopt;
    }
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = block.At(sizeof item);
    item.cchTextMax = static_cast<int>(kTextChars);
    const char nothing = '\0';
    DWORD_PTR ignored = 0;
    if (!block.Write(0, &item, sizeof item) || !block.Write(sizeof item, &nothing, 1) ||
        !listview_detail::Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                               reinterpret_cast<LPARAM>(block.At(0)), &ignored)) {
        return std::nullopt;
    }
    return block.ReadText(sizeof item, kTextChars - 1);
}

// Every row top to bottom, each with the texts of its first `columns` cells.
inline std::vector<std::vector<std::string>> ListRows(HWND list, int columns) {
    std::vector<std::vector<std::string>> rows;
    const int count = ListRowCount(list);
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < columns; ++column) {
            cells.push_back(ListCell(list, row, column).value_or("(no answer)"));
        }
        rows.push_back(std::move(cells));
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
    using listview_detail::kTextChars;
    listview_detail::RemoteBlock block(list, sizeof(LVCOLUMNA) + kTextChars);
    if (!block.Valid()) {
        return std::nullopt;
    }
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = block.At(sizeof column);
    column.cchTextMax = static_cast<int>(kTextChars);
    DWORD_PTR found = 0;
    if (!block.Write(0, &column, sizeof column) ||
        !listview_detail::Send(list, LVM_GETCOLUMNA, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(block.At(0)), &found) ||
        !found || !block.Read(0, &column, sizeof column)) {
        return std::nullopt;
    }
    const std::optional<std::string> heading = block.ReadText(sizeof column, kTextChars - 1);
    if (!heading) {
        return std::nullopt;
    }
    return ListColumn{*heading, column.cx, column.fmt & LVCFMT_JUSTIFYMASK};
}

} // namespace e2e
