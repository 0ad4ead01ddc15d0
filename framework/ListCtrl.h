#pragma once

// The list-view control in report view: columns of text, one row per item. Like the other
// control wrappers it names one control window and owns nothing.

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "framework/Wnd.h"

// Registers the common-control window classes a dialog template names (ICC_* flags); must run
// before such a dialog is created. Repeated calls are cheap.
inline BOOL AfxInitCommonControls(DWORD dwClasses) {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = sizeof init;
    init.dwICC = dwClasses;
    return ::InitCommonControlsEx(&init);
}

class CListCtrl : public CWnd {
public:
    // Replaces the whole extended style (no mask); returns the previous one.
    DWORD SetExtendedStyle(DWORD dwNewStyle) const {
        return static_cast<DWORD>(
            SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(dwNewStyle)));
    }

    // A width or sub-item of -1 leaves that field out of the column record.
    int InsertColumn(int nCol, const char* lpszColumnHeading, int nFormat = LVCFMT_LEFT,
                     int nWidth = -1, int nSubItem = -1) const {
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_TEXT;
        column.fmt = nFormat;
        column.pszText = const_cast<char*>(lpszColumnHeading);
        if (nWidth != -1) {
            column.mask |= LVCF_WIDTH;
            column.cx = nWidth;
        }
        if (nSubItem != -1) {
            column.mask |= LVCF_SUBITEM;
            column.iSubItem = nSubItem;
        }
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(nCol),
                                            reinterpret_cast<LPARAM>(&column)));
    }

    // A row with its first cell's text; returns its index, or -1.
    int InsertItem(int nItem, const char* lpszItem) const {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = nItem;
        item.pszText = const_cast<char*>(lpszItem);
        return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }

    BOOL SetItemText(int nItem, int nSubItem, const char* lpszText) const {
        LVITEMA item{};
        item.iSubItem = nSubItem;
        item.pszText = const_cast<char*>(lpszText);
        return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem),
                                             reinterpret_cast<LPARAM>(&item)));
    }

    // The whole text of a cell, however long.
    CString GetItemText(int nItem, int nSubItem) const {
        std::vector<char> buffer(256);
        for (;;) {
            LVITEMA item{};
            item.iSubItem = nSubItem;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(nItem),
                        reinterpret_cast<LPARAM>(&item));
            // A text that filled the buffer may have been cut: ask again with more room.
            const size_t length = ::strnlen(buffer.data(), buffer.size());
            if (length + 1 < buffer.size()) {
                return CString(std::string(buffer.data(), length));
            }
            buffer.resize(buffer.size() * 2);
        }
    }

    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    // The number of rows of a list that holds none itself (LVS_OWNERDATA): it asks its parent
    // for each cell it shows (LVN_GETDISPINFO). The whole list is drawn again.
    BOOL SetItemCount(int nItems) const {
        return static_cast<BOOL>(SendMessage(LVM_SETITEMCOUNT, static_cast<WPARAM>(nItems), 0));
    }
    BOOL DeleteAllItems() const { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }

    // Repainting off while many rows change, then on again (the control repaints itself once).
    void SetRedraw(BOOL bRedraw) const {
        SendMessage(WM_SETREDRAW, static_cast<WPARAM>(bRedraw));
        if (bRedraw) {
            ::InvalidateRect(m_hWnd, nullptr, TRUE);
        }
    }
};
