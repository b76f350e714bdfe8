// The record table and an input method, driven with the events an input method sends: where
// the candidate window goes (the cursor-rectangle query, and the updates that make the input
// method ask again), and a composition begun on the table, shown in the in-place edit it opens.
#include "EditTestSupport.h"

#include "Codec.h"
#include "Edit.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct FocusedGrid : WindowedGrid {
    FocusedGrid() { grid.SetFocus(); }
    ~FocusedGrid() { FinishClosing(); }
    QWidget* Widget() { return grid.m_hWnd; }
};

CString FromUtf8(const char* psz)
{
    return Codec::FromUnicode(QString::fromUtf8(psz));
}

// A rectangle in a window's client coordinates, in its widget's coordinates.
QRect InWidget(const CWnd& wnd, CRect rect)
{
    wnd.ClientToScreen(&rect);
    return QRect(wnd.m_hWnd->mapFromGlobal(QPoint(rect.left, rect.top)), QSize(rect.Width(), rect.Height()));
}

QVariant Query(QWidget* pWidget, Qt::InputMethodQuery query)
{
    QInputMethodQueryEvent event(query);
    QCoreApplication::sendEvent(pWidget, &event);
    return event.value(query);
}

QRect QueriedCaret(QWidget* pWidget)
{
    return Query(pWidget, Qt::ImCursorRectangle).toRect();
}

void SendInputMethod(QWidget* pWidget, const char* pszCommit, const char* pszPreedit)
{
    QInputMethodEvent event(QString::fromUtf8(pszPreedit), {});
    event.setCommitString(QString::fromUtf8(pszCommit));
    QCoreApplication::sendEvent(pWidget, &event);
}

// Runs the posted messages (a scroll), then the paint they ask for.
void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void Wheel(QWidget* pWidget, int nDelta)
{
    const QPointF pt(100, 100);
    QWheelEvent event(pt, pWidget->mapToGlobal(pt), QPoint(), QPoint(0, nDelta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(pWidget, &event);
}

CInPlaceEdit* EditOf(CGridCtrl& grid)
{
    return dynamic_cast<CInPlaceEdit*>(grid.GetDlgItem(IDC_INPLACE_CONTROL));
}

// Pixels of text inside the edit's frame, as the screen shows it.
int InkIn(QLineEdit* pLine)
{
    const QImage image = pLine->grab().toImage();
    int n = 0;
    for (int y = 4; y < image.height() - 4; y++)
        for (int x = 4; x < image.width() - 4; x++)
            n += qGray(image.pixel(x, y)) < 128;
    return n;
}

} // namespace

// After each event the input method hears of the caret and finds it at the focus cell, in the
// grid widget's coordinates and, through the focus widget's place, in the window's.
TEST(InputMethodTest, CaretIsTheFocusCellWhereverItMoves)
{
    FocusedGrid w;
    QWidget* pWidget = w.Widget();
    EXPECT_TRUE(Query(pWidget, Qt::ImEnabled).toBool());
    CRect rectCell;
    ASSERT_TRUE(w.grid.GetCellRect(10, 3, rectCell));
    const QPoint ptClick = InWidget(w.grid, rectCell).center();

    struct Step {
        const char* pszWhat;
        std::function<void()> act;
        CCellID cell;   // the focus cell after it
        bool bCaret;    // in view
    };
    const Step steps[] = {
        {"a click on a cell", [&] { QTest::mouseClick(pWidget, Qt::LeftButton, {}, ptClick); }, CCellID(10, 3), true},
        {"Down", [&] { QTest::keyClick(pWidget, Qt::Key_Down); }, CCellID(11, 3), true},
        {"Tab", [&] { QTest::keyClick(pWidget, Qt::Key_Tab); }, CCellID(11, 4), true},
        {"the wheel, scrolling", [&] { Wheel(pWidget, -120); }, CCellID(11, 4), true},
        {"Ctrl+End, scrolling", [&] { QTest::keyClick(pWidget, Qt::Key_End, Qt::ControlModifier); }, CCellID(300, 26), true},
        {"Ctrl+Home", [&] { QTest::keyClick(pWidget, Qt::Key_Home, Qt::ControlModifier); }, CCellID(1, 1), true},
        {"the wheel, scrolling the cell away", [&] { Wheel(pWidget, -120); }, CCellID(1, 1), false},
    };
    QSignalSpy told(QGuiApplication::inputMethod(), &QInputMethod::cursorRectangleChanged);
    CRect rectLast;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.pszWhat);
        const int nTold = (int)told.count();
        step.act();
        Settle();
        EXPECT_GT(told.count(), nTold);
        ASSERT_EQ(w.grid.GetFocusCell(), step.cell);
        CRect rect;
        EXPECT_EQ(step.bCaret, w.grid.GetCaretRect(&rect));
        if (!step.bCaret)
            continue;
        CRect rectFocus;
        ASSERT_TRUE(w.grid.GetCellRect(step.cell.row, step.cell.col, rectFocus));
        EXPECT_EQ(rect, rectFocus);
        EXPECT_EQ(w.grid.GetCellFromPt(rect.CenterPoint()), step.cell);   // on screen, where it is drawn
        EXPECT_NE(rect, rectLast);
        rectLast = rect;
        const QRect rectInWidget = InWidget(w.grid, rectFocus);
        EXPECT_EQ(QueriedCaret(pWidget), rectInWidget);
        EXPECT_EQ(QGuiApplication::inputMethod()->cursorRectangle().toRect(),
                  rectInWidget.translated(pWidget->mapTo(pWidget->window(), QPoint(0, 0))));
    }
}

// A composition begun on the table opens the edit as a typed character does and shows there
// while the table keeps the focus; what it commits lands whole and replaces the cell's text,
// and a cancelled one leaves the cell as it was.
TEST(InputMethodTest, CompositionShowsInTheEditAndLandsWhole)
{
    struct Event {
        const char* pszCommit;
        const char* pszPreedit;
    };
    struct Case {
        const char* pszWhat;
        const char* pszText;
        bool bReadOnly;
        std::vector<Event> events;
        const char* pszStored;
        bool bCommitted;
    };
    const std::vector<Event> wangYan = {{"", "w"}, {"", "wang yan"}, {"王䶮", ""}};
    const Case cases[] = {
        {"into an empty cell", "", false, wangYan, "王䶮", true},
        {"over the cell's text", "张三", false, wangYan, "王䶮", true},
        {"committing while composing on", "张三", false, {{"", "wang"}, {"王", "yan"}, {"䶮", ""}}, "王䶮", true},
        {"cancelled", "张三", false, {{"", "wang"}, {"", ""}}, "张三", false},
        {"on a read-only cell", "张三", true, wangYan, "张三", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        FocusedGrid w;
        w.grid.SetItemText(2, 2, FromUtf8(c.pszText));
        w.grid.SetModified(FALSE, 2, 2);
        if (c.bReadOnly)
            w.grid.SetItemState(2, 2, w.grid.GetItemState(2, 2) | GVIS_READONLY);
        w.grid.SetFocusCell(2, 2);
        CRect rectCell;
        ASSERT_TRUE(w.grid.GetCellRect(2, 2, rectCell));

        CString strCommitted;
        int nCaretX = -1;
        for (size_t i = 0; i + 1 < c.events.size(); i++) {
            SendInputMethod(w.Widget(), c.events[i].pszCommit, c.events[i].pszPreedit);
            strCommitted += FromUtf8(c.events[i].pszCommit);
            EXPECT_EQ(CWnd::GetFocus(), &w.grid);
            CInPlaceEdit* pEdit = EditOf(w.grid);
            ASSERT_EQ(pEdit != nullptr, !c.bReadOnly);
            if (!pEdit)
                continue;
            auto* pLine = qobject_cast<QLineEdit*>(pEdit->m_hWnd);
            EXPECT_STREQ(WindowText(pEdit), strCommitted);
            EXPECT_GT(InkIn(pLine), 0);
            // The candidate window goes to the edit's caret, after the text being composed.
            const QRect rectCaret = QueriedCaret(w.Widget());
            const QPoint ptEdit = pLine->mapTo(w.Widget(), QPoint(0, 0));
            EXPECT_EQ(rectCaret, pLine->inputMethodQuery(Qt::ImCursorRectangle).toRect().translated(ptEdit));
            EXPECT_TRUE(InWidget(w.grid, rectCell).contains(rectCaret.topLeft()));
            EXPECT_GT(rectCaret.x(), nCaretX);
            nCaretX = rectCaret.x();
        }
        SendInputMethod(w.Widget(), c.events.back().pszCommit, c.events.back().pszPreedit);
        FinishClosing();   // the end of the composition comes posted

        CInPlaceEdit* pEdit = FocusedInPlaceEdit();
        ASSERT_EQ(pEdit != nullptr, c.bCommitted);
        if (pEdit) {
            EXPECT_STREQ(WindowText(pEdit), FromUtf8(c.pszStored));
            QTest::keyClick(pEdit->m_hWnd, Qt::Key_Return);
        } else {
            EXPECT_EQ(CWnd::GetFocus(), &w.grid);
            FinishClosing();
            EXPECT_EQ(EditOf(w.grid), nullptr);
        }
        EXPECT_STREQ(w.grid.GetItemText(2, 2), FromUtf8(c.pszStored));
        EXPECT_EQ((w.grid.GetItemState(2, 2) & GVIS_MODIFIED) != 0, c.bCommitted);
    }
}

// Leaving the cell during a composition, by a click on another cell or by the focus going to
// another window, ends the composition's edit with what was committed: nothing committed
// leaves the cell as it was. The focus stays where the user put it.
TEST(InputMethodTest, LeavingDuringACompositionEndsItsEdit)
{
    struct Case {
        const char* pszWhat;
        bool bCommit;
        bool bClick;   // on another cell, else the focus goes to another window
        const char* pszStored;
    };
    const Case cases[] = {
        {"a click before the commit", false, true, "张三"},
        {"the focus leaving before the commit", false, false, "张三"},
        {"the focus leaving before the composition's end came", true, false, "王䶮"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        FocusedGrid w;
        CEdit other;
        ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE, CRect(0, 585, 100, 600), &w.owner, 5));
        w.grid.SetItemText(2, 2, FromUtf8("张三"));
        w.grid.SetFocusCell(2, 2);
        SendInputMethod(w.Widget(), "", "wang");
        if (c.bCommit)
            SendInputMethod(w.Widget(), "王䶮", "");
        CRect rectOther;
        ASSERT_TRUE(w.grid.GetCellRect(5, 5, rectOther));
        if (c.bClick)
            QTest::mouseClick(w.Widget(), Qt::LeftButton, {}, InWidget(w.grid, rectOther).center());
        else
            other.SetFocus();
        Settle();
        FinishClosing();
        EXPECT_EQ(CWnd::GetFocus(), c.bClick ? static_cast<CWnd*>(&w.grid) : &other);
        EXPECT_EQ(EditOf(w.grid), nullptr);
        EXPECT_STREQ(w.grid.GetItemText(2, 2), FromUtf8(c.pszStored));
    }
}
