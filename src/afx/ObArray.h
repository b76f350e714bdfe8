// CObArray: an ordered array of CObject pointers. The array does not own what it points to;
// its owner deletes an element before removing it.
#pragma once

#include "Object.h"

#include <vector>

class CObArray : public CObject {
public:
    int GetSize() const { return (int)m_arr.size(); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return m_arr.empty(); }
    void SetSize(int nNewSize) { m_arr.resize((size_t)(nNewSize < 0 ? 0 : nNewSize), nullptr); }
    void RemoveAll() { m_arr.clear(); }

    CObject* GetAt(int nIndex) const { return m_arr[(size_t)nIndex]; }
    void SetAt(int nIndex, CObject* pObject) { m_arr[(size_t)nIndex] = pObject; }
    CObject*& ElementAt(int nIndex) { return m_arr[(size_t)nIndex]; }
    CObject* operator[](int nIndex) const { return m_arr[(size_t)nIndex]; }
    CObject*& operator[](int nIndex) { return m_arr[(size_t)nIndex]; }

    int Add(CObject* pObject) { m_arr.push_back(pObject); return GetUpperBound(); }
    void InsertAt(int nIndex, CObject* pObject, int nCount = 1)
    {
        m_arr.insert(m_arr.begin() + nIndex, (size_t)nCount, pObject);
    }
    void RemoveAt(int nIndex, int nCount = 1)
    {
        m_arr.erase(m_arr.begin() + nIndex, m_arr.begin() + nIndex + nCount);
    }

private:
    std::vector<CObject*> m_arr;
};
