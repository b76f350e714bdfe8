// CMenu: a list of menu items. A dialog's system menu is one (CDialog::GetSystemMenu); the
// dialog shows it as the context menu of its background and as Alt+Space.
#pragma once

#include "String.h"

#include <vector>

#ifndef MF_STRING
#define MF_STRING 0x0000
#define MF_GRAYED 0x0001
#define MF_DISABLED 0x0002
#define MF_SEPARATOR 0x0800
#define MF_BYCOMMAND 0x0000
#define MF_BYPOSITION 0x0400
#endif

class CMenu {
public:
    struct Item {
        UINT nFlags;
        UINT_PTR nID;
        CString strText;   // GB18030; "&" marks the access key
    };

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);
    int GetMenuItemCount() const { return (int)m_items.size(); }
    UINT GetMenuItemID(int nPos) const;   // 0 for a separator, -1 outside the menu
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    const std::vector<Item>& Items() const { return m_items; }

private:
    int Find(UINT nPosition, UINT nFlags) const;
    std::vector<Item> m_items;
};
