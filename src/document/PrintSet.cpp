#include "PrintSet.h"

#include "PrintItem.h"

// "横向" (landscape), in GB18030 like every text of the program.
CPrintSet::CPrintSet()
    : m_nPaperWidth(2450), m_nPaperHeight(1760), m_strOrientation("\xBA\xE1\xCF\xF2")
{
}

CPrintSet::~CPrintSet()
{
    RemoveAllItems();
}

BOOL CPrintSet::RemoveItem(CPrintItem* pItem)
{
    for (int i = 0; i < m_arrItems.GetSize(); i++) {
        if (m_arrItems[i] == pItem) {
            delete pItem;
            m_arrItems.RemoveAt(i, 1);
            return TRUE;
        }
    }
    return FALSE;
}

void CPrintSet::RemoveAllItems()
{
    for (int i = 0; i < m_arrItems.GetSize(); i++)
        delete m_arrItems[i];
    m_arrItems.RemoveAll();
}

CPrintItem* CPrintSet::GetItem(int nIndex) const
{
    return static_cast<CPrintItem*>(m_arrItems[nIndex]);
}
