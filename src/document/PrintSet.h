// CPrintSet: the certificate layout, the paper size and the ordered list of print items.
// The layout owns its items: each was created with new, and taking one out deletes it.
#pragma once

#include "ObArray.h"
#include "String.h"

class CPrintItem;

class CPrintSet : public CObject {
public:
    CPrintSet();
    ~CPrintSet() override;   // deletes the items still in the list
    CPrintSet(const CPrintSet&) = delete;
    CPrintSet& operator=(const CPrintSet&) = delete;

    // The most items a layout holds: a certificate has a few dozen texts at most, so more
    // only come from a damaged file. The reader refuses a document with more, and the
    // design window adds none beyond it.
    enum { MAX_ITEMS = 1000 };

    // Deletes pItem and takes it out of the list; FALSE (nothing changed) when not listed.
    BOOL RemoveItem(CPrintItem* pItem);
    // Deletes every item, in list order, and empties the list.
    void RemoveAllItems();
    int GetItemCount() const { return m_arrItems.GetSize(); }
    CPrintItem* GetItem(int nIndex) const;

    LONG m_nPaperWidth;    // tenths of a millimetre
    LONG m_nPaperHeight;
    CObArray m_arrItems;   // CPrintItem pointers in drawing, hit-test and file order
    CString m_strOrientation;
};
