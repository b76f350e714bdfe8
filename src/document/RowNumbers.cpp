#include "RowNumbers.h"

#include "Dc.h"
#include "GridCtrl.h"

#include <algorithm>

void CRowNumbers::Number(CGridCtrl& grid, int nFirstRow)
{
    CString strNumber;
    for (int nRow = std::max(nFirstRow, 1); nRow < grid.GetRowCount(); nRow++) {
        strNumber.Format("%d", nRow);
        grid.SetItemText(nRow, 0, strNumber);
        grid.SetItemFormat(nRow, 0, HEADING_FORMAT);
    }
    FitHeadingColumn(grid);
}

// The last number has the most digits. Measuring needs the table's window; without one there
// is nothing to show either.
void CRowNumbers::FitHeadingColumn(CGridCtrl& grid)
{
    CGridCellBase* pCell = grid.GetCell(grid.GetRowCount() - 1, 0);
    if (!pCell || !grid.GetSafeHwnd())
        return;
    CClientDC dc(&grid);
    const int nWidth = (int)pCell->GetCellExtent(&dc).cx;
    if (nWidth > grid.GetColumnWidth(0))
        grid.SetColumnWidth(0, nWidth);
}
