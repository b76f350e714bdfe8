// Shared pieces of the mouse, keyboard and clipboard suites: an owner that also keeps the
// commands it receives, the record table in a window, and real mouse and key events at client
// points of the grid.
#pragma once

#include "Codec.h"
#include "GridTestSupport.h"

#include <QApplication>
#include <QTest>
#include <utility>
#include <vector>

// An owner that keeps every WM_COMMAND as well as every WM_NOTIFY.
class CCommandRecorder : public CNotifyRecorder {
public:
    std::vector<std::pair<WPARAM, LPARAM>> commands;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        commands.push_back({wParam, lParam});
        return TRUE;
    }
};

class CInputGrid : public CGridProbe {
public:
    using CGridCtrl::m_DropTarget;
    using CGridCtrl::m_LastDragOverCell;

    CRect CellRect(int nRow, int nCol) const
    {
        CRect rect;
        GetCellRect(nRow, nCol, rect);
        return rect;
    }
    CPoint CellCenter(int nRow, int nCol) const { return CellRect(nRow, nCol).CenterPoint(); }
};

// The record table as the main window has it, filling most of an 800 x 600 owner.
struct InputWindow {
    CCommandRecorder owner;
    CInputGrid grid;

    InputWindow()
    {
        owner.CreateTopLevel();
        grid.Create(CRect(0, 0, 780, 580), &owner, 1);
        SetUpRecordTable(grid);
        grid.SetColumnWidth(0, 40);
        for (int col = 1; col < 27; col++) {
            const char szHeading[2] = {(char)('A' + col - 1), 0};
            grid.SetItemText(0, col, szHeading);
        }
        for (int row = 1; row < 301; row++) {
            CString str;
            str.Format("%d", row);
            grid.SetItemText(row, 0, str);
        }
        grid.Invalidate();
        grid.UpdateWindow();
    }
};

// Client points of a plain window with a border sit one pixel into its widget.
inline QPoint ToWidget(CPoint point)
{
    return QPoint(point.x + 1, point.y + 1);
}

// QTest releases a key or button with the modifiers still in the event, so the application
// would go on believing them held; a release without any puts that right for later messages
// and suites.
inline void ForgetModifiers(CWnd& wnd, Qt::KeyboardModifiers mods)
{
    if (mods != Qt::NoModifier)
        QTest::keyRelease(wnd.m_hWnd, Qt::Key_Shift, Qt::NoModifier);
}

inline void Press(CWnd& wnd, CPoint point, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::mousePress(wnd.m_hWnd, Qt::LeftButton, mods, ToWidget(point));
}

inline void Release(CWnd& wnd, CPoint point, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::mouseRelease(wnd.m_hWnd, Qt::LeftButton, mods, ToWidget(point));
    ForgetModifiers(wnd, mods);
}

// A move with the left button held (after Press).
inline void DragTo(CWnd& wnd, CPoint point)
{
    QTest::mouseMove(wnd.m_hWnd, ToWidget(point));
}

inline void Click(CWnd& wnd, CPoint point, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::mouseClick(wnd.m_hWnd, Qt::LeftButton, mods, ToWidget(point));
    ForgetModifiers(wnd, mods);
}

// A move without buttons, arriving from elsewhere so that it is never a repeat of the last.
inline void Hover(CWnd& wnd, CPoint point)
{
    QTest::mouseMove(wnd.m_hWnd, ToWidget(CPoint(point.x + 5, point.y + 5)));
    QTest::mouseMove(wnd.m_hWnd, ToWidget(point));
    QApplication::processEvents();
}

inline void Key(CWnd& wnd, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(wnd.m_hWnd, key, mods);
    ForgetModifiers(wnd, mods);
}

inline CString Cp936(const char* pszUtf8)
{
    return Codec::FromUnicode(QString::fromUtf8(pszUtf8));
}

// The selection is exactly the block: its bounding range and the count of its cells.
inline bool SelectionIs(const CGridCtrl& grid, const CCellRange& range)
{
    return grid.GetSelectedCellRange() == range && grid.GetSelectedCount() == range.Count();
}
