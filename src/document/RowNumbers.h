// CRowNumbers: the heading column of the record table, "1" for the first record and so on.
// The new table, a document that adds rows and a paste that grows the table all number their
// rows here.
#pragma once

#include "afxtypes.h"

class CGridCtrl;

class CRowNumbers {
public:
    // The format of every heading cell: centred on one line, cut with "..." when too narrow.
    static const UINT HEADING_FORMAT = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

    // Numbers rows nFirstRow to the last, then widens the heading column, if it must, so that
    // the last number shows whole.
    static void Number(CGridCtrl& grid, int nFirstRow);

private:
    static void FitHeadingColumn(CGridCtrl& grid);
};
