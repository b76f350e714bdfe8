// Grid coordinates: a cell position and an inclusive range of cells.
#pragma once

#include <algorithm>

class CCellID {
public:
    int row, col;
    explicit CCellID(int nRow = -1, int nCol = -1) : row(nRow), col(nCol) {}
    int IsValid() const { return row >= 0 && col >= 0; }
    bool operator==(const CCellID& rhs) const { return row == rhs.row && col == rhs.col; }
    bool operator!=(const CCellID& rhs) const { return !(*this == rhs); }
};

class CCellRange {
public:
    CCellRange(int nMinRow = -1, int nMinCol = -1, int nMaxRow = -1, int nMaxCol = -1)
    {
        Set(nMinRow, nMinCol, nMaxRow, nMaxCol);
    }
    void Set(int nMinRow = -1, int nMinCol = -1, int nMaxRow = -1, int nMaxCol = -1)
    {
        m_nMinRow = nMinRow; m_nMinCol = nMinCol; m_nMaxRow = nMaxRow; m_nMaxCol = nMaxCol;
    }
    int IsValid() const
    {
        return m_nMinRow >= 0 && m_nMinCol >= 0 && m_nMaxRow >= 0 && m_nMaxCol >= 0 &&
               m_nMinRow <= m_nMaxRow && m_nMinCol <= m_nMaxCol;
    }
    int InRange(int row, int col) const
    {
        return row >= m_nMinRow && row <= m_nMaxRow && col >= m_nMinCol && col <= m_nMaxCol;
    }
    int InRange(const CCellID& id) const { return InRange(id.row, id.col); }
    int Count() const { return (m_nMaxRow - m_nMinRow + 1) * (m_nMaxCol - m_nMinCol + 1); }
    CCellID GetTopLeft() const { return CCellID(m_nMinRow, m_nMinCol); }
    CCellRange Intersect(const CCellRange& rhs) const
    {
        return CCellRange(std::max(m_nMinRow, rhs.m_nMinRow), std::max(m_nMinCol, rhs.m_nMinCol),
                          std::min(m_nMaxRow, rhs.m_nMaxRow), std::min(m_nMaxCol, rhs.m_nMaxCol));
    }

    int GetMinRow() const { return m_nMinRow; }
    void SetMinRow(int n) { m_nMinRow = n; }
    int GetMinCol() const { return m_nMinCol; }
    void SetMinCol(int n) { m_nMinCol = n; }
    int GetMaxRow() const { return m_nMaxRow; }
    void SetMaxRow(int n) { m_nMaxRow = n; }
    int GetMaxCol() const { return m_nMaxCol; }
    void SetMaxCol(int n) { m_nMaxCol = n; }
    int GetRowSpan() const { return m_nMaxRow - m_nMinRow + 1; }
    int GetColSpan() const { return m_nMaxCol - m_nMinCol + 1; }

    bool operator==(const CCellRange& rhs) const
    {
        return m_nMinRow == rhs.m_nMinRow && m_nMinCol == rhs.m_nMinCol &&
               m_nMaxRow == rhs.m_nMaxRow && m_nMaxCol == rhs.m_nMaxCol;
    }
    bool operator!=(const CCellRange& rhs) const { return !(*this == rhs); }

protected:
    int m_nMinRow, m_nMinCol, m_nMaxRow, m_nMaxCol;
};
