#include "Menu.h"

#include <cstring>

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem)
{
    if (nFlags & MF_SEPARATOR) {
        m_items.push_back({nFlags, 0, CString()});
        return TRUE;
    }
    if (!lpszNewItem)
        return FALSE;
    m_items.push_back({nFlags, nIDNewItem, CString(lpszNewItem)});
    return TRUE;
}

int CMenu::Find(UINT nPosition, UINT nFlags) const
{
    if (nFlags & MF_BYPOSITION)
        return nPosition < m_items.size() ? (int)nPosition : -1;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (!(m_items[i].nFlags & MF_SEPARATOR) && m_items[i].nID == nPosition)
            return (int)i;
    }
    return -1;
}

BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags)
{
    const int nIndex = Find(nPosition, nFlags);
    if (nIndex < 0)
        return FALSE;
    m_items.erase(m_items.begin() + nIndex);
    return TRUE;
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    if (nPos < 0 || nPos >= GetMenuItemCount())
        return (UINT)-1;
    return (UINT)m_items[(size_t)nPos].nID;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    const int nIndex = Find(nIDItem, nFlags);
    rString = nIndex < 0 ? CString() : m_items[(size_t)nIndex].strText;
    return rString.GetLength();
}
