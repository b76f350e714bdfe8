// Shared pieces of the grid suites: an owner window that records the grid's notifications, a
// grid that lets tests reach its selection state, and the record table set-up of the main
// window.
#pragma once

#include "GridCtrl.h"

#include <gtest/gtest.h>

#include <vector>

struct GridNote {
    UINT code;
    int row;
    int col;
    UINT_PTR idFrom;
    HWND hwndFrom;
};

// A top-level window that keeps every WM_NOTIFY it receives.
class CNotifyRecorder : public CWnd {
public:
    std::vector<GridNote> notes;
    LRESULT answer = 0;   // what the owner answers to every notification

    BOOL CreateTopLevel(int cx = 800, int cy = 600)
    {
        return CreateEx(0, nullptr, "test", WS_POPUP | WS_VISIBLE, 0, 0, cx, cy, nullptr, 0);
    }
    std::vector<UINT> Codes() const
    {
        std::vector<UINT> codes;
        for (const GridNote& note : notes)
            codes.push_back(note.code);
        return codes;
    }

protected:
    BOOL OnNotify(WPARAM /*wParam*/, LPARAM lParam, LRESULT* pResult) override
    {
        const NM_GRIDVIEW* pNotify = reinterpret_cast<const NM_GRIDVIEW*>(lParam);
        notes.push_back({pNotify->hdr.code, pNotify->iRow, pNotify->iColumn, pNotify->hdr.idFrom,
                         pNotify->hdr.hwndFrom});
        if (pResult)
            *pResult = answer;
        return TRUE;
    }
};

// Opens the grid's protected state to the tests.
class CGridProbe : public CGridCtrl {
public:
    using CGridCtrl::m_MouseMode;
    using CGridCtrl::m_PrevSelectedCellMap;
    using CGridCtrl::m_SelectedCellMap;
    using CGridCtrl::m_SelectionStartCell;
    using CGridCtrl::SetCellType;
};

// A call that breaks the function's contract: a debug build stops at the function's
// assertion; a release build refuses the call, as the checks inside the statement verify.
#define EXPECT_CONTRACT_BROKEN(statement) EXPECT_DEBUG_DEATH(statement, "Assertion")

// The main window's table: 301 x 27 with one heading row and one heading column.
inline void SetUpRecordTable(CGridCtrl& grid)
{
    grid.SetRowCount(301);
    grid.SetColumnCount(27);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
}

// An owner window with a record-table grid as its child (control id 1).
struct WindowedGrid {
    CNotifyRecorder owner;
    CGridProbe grid;

    explicit WindowedGrid(bool bRecordTable = true)
    {
        owner.CreateTopLevel();
        grid.Create(CRect(0, 0, 780, 580), &owner, 1);
        if (bRecordTable)
            SetUpRecordTable(grid);
    }
};
