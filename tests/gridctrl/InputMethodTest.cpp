// The record table and an input method, driven with the events an input method sends: where
// its candidate window goes, and a composition begun on the table, shown in the edit it opens.
#include "EditTestSupport.h"

#include "Codec.h"
#include "Edit.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
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
    // A client rectangle of the grid in its widget's coordinates.
    QRect InWidget(CRect rect)
    {
        grid.ClientToScreen(&rect);
        return QRect(Widget()->mapFromGlobal(QPoint(rect.left, rect.top)), QSize(rect.Width(), rect.Height()));
    }
    QRect QueriedCaret() { return Query(Qt::ImCursorRectangle).toRect(); }
    QVariant Query(Qt::InputMethodQuery query)
    {
        QInputMethodQueryEvent event(query);
        QCoreApplication::sendEvent(Widget(), &event);
        return event.value(query);
    }
};

CString FromUtf8(const char* psz)
{
    return Codec::FromUnicode(QString::fromUtf8(psz));
}

// Runs the posted messages (a scroll, the end of a composition), then the paint they ask for.
void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Pixels of text inside the edit's frame, as the screen shows it.
int InkIn(QWidget* pWidget)
{
    const QImage image = pWidget->grab().toImage();
    int n = 0;
    for (int y = 4; y < image.height() - 4; y++)
        for (int x = 4; x < image.width() - 4; x++)
            n += qGray(image.pixel(x, y)) < 128;
    return n;
}

} // namespace

// After each event the input method hears of the caret and finds it at the focus cell, in the
// grid widget's coordinates and, through the widget's place, in the window's.
TEST(InputMethodTest, CaretIsTheFocusCellWhereverItMoves)
{
    FocusedGrid w;
    QWidget* pWidget = w.Widget();
    EXPECT_TRUE(w.Query(Qt::ImEnabled).toBool());
    CRect rectClick;
    ASSERT_TRUE(w.grid.GetCellRect(10, 3, rectClick));
    const auto wheelDown = [pWidget] {
        QWheelEvent event(QPointF(100, 100), pWidget->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(pWidget, &event);
    };
    struct Step {
        const char* pszWhat;
        std::function<void()> act;
        CCellID cell;   // the focus cell after it
        bool bInView;
    };
    const Step steps[] = {
        {"a click", [&] { QTest::mouseClick(pWidget, Qt::LeftButton, {}, w.InWidget(rectClick).center()); },
         CCellID(10, 3), true},
        {"Down", [&] { QTest::keyClick(pWidget, Qt::Key_Down); }, CCellID(11, 3), true},
        {"Tab", [&] { QTest::keyClick(pWidget, Qt::Key_Tab); }, CCellID(11, 4), true},
        {"the wheel", wheelDown, CCellID(11, 4), true},
        {"Ctrl+End", [&] { QTest::keyClick(pWidget, Qt::Key_End, Qt::ControlModifier); }, CCellID(300, 26), true},
        {"Ctrl+Home", [&] { QTest::keyClick(pWidget, Qt::Key_Home, Qt::ControlModifier); }, CCellID(1, 1), true},
        {"the wheel, scrolling the cell away", wheelDown, CCellID(1, 1), false},
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
        CRect rect, rectCell;
        ASSERT_EQ(w.grid.GetCaretRect(&rect), step.bInView);
        if (!step.bInView)
            continue;
        ASSERT_TRUE(w.grid.GetCellRect(step.cell.row, step.cell.col, rectCell));
        EXPECT_EQ(rect, rectCell);
        EXPECT_EQ(w.grid.GetCellFromPt(rect.CenterPoint()), step.cell);   // where it is drawn
        EXPECT_NE(rect, rectLast);
        rectLast = rect;
        EXPECT_EQ(w.QueriedCaret(), w.InWidget(rect));
        EXPECT_EQ(QGuiApplication::inputMethod()->cursorRectangle().toRect(),
                  w.InWidget(rect).translated(pWidget->mapTo(pWidget->window(), QPoint(0, 0))));
    }
}

// A composition begun on the table opens the edit as a typed character does and shows there,
// the candidate window at its caret, while the table keeps the focus: no input-method event
// moves it. What is committed lands whole, replacing the cell's text, and the edit takes the
// focus once the composition ended; a cancelled composition, or one left by a click on another
// cell or by the focus going elsewhere before it committed, leaves the cell as it was.
TEST(InputMethodTest, CompositionShowsInTheEditAndLandsWhole)
{
    enum Leave { None, Click, OtherWindow };
    struct Step {
        const char* pszCommit;
        const char* pszPreedit;
        Leave leave = None;   // instead of an event
    };
    struct Case {
        const char* pszWhat;
        const char* pszText;   // of (2, 2), the focus cell
        bool bReadOnly;
        std::vector<Step> steps;
        const char* pszStored;      // in (2, 2)
        const char* pszClicked;     // in (5, 5), the cell clicked
    };
    const std::vector<Step> wangYan = {{"", "w"}, {"", "wang yan"}, {"王䶮", ""}};
    const Case cases[] = {
        {"into an empty cell", "", false, wangYan, "王䶮", ""},
        {"over the cell's text", "张三", false, wangYan, "王䶮", ""},
        {"committing while composing on", "张三", false, {{"", "wang"}, {"王", "yan"}, {"䶮", ""}}, "王䶮", ""},
        {"cancelled", "张三", false, {{"", "wang"}, {"", ""}}, "张三", ""},
        {"on a read-only cell", "张三", true, wangYan, "张三", ""},
        {"left by a click", "张三", false, {{"", "wang"}, {"", "", Click}}, "张三", ""},
        {"committed after a click", "张三", false, {{"", "wang"}, {"", "", Click}, {"王", ""}}, "张三", "王"},
        {"left for another window", "张三", false, {{"", "wang"}, {"", "", OtherWindow}}, "张三", ""},
        {"left before its end came", "张三", false, {{"", "wang"}, {"王䶮", ""}, {"", "", OtherWindow}}, "王䶮", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        FocusedGrid w;
        CEdit other;
        ASSERT_TRUE(other.Create(WS_CHILD | WS_VISIBLE, CRect(0, 585, 100, 600), &w.owner, 5));
        w.grid.SetItemText(2, 2, FromUtf8(c.pszText));
        w.grid.SetModified(FALSE, 2, 2);
        if (c.bReadOnly)
            w.grid.SetItemState(2, 2, w.grid.GetItemState(2, 2) | GVIS_READONLY);
        w.grid.SetFocusCell(2, 2);

        CString strCommitted;
        int nCaretX = -1;
        Leave left = None;
        for (const Step& step : c.steps) {
            if (step.leave != None) {
                left = step.leave;
                CRect rect;
                ASSERT_TRUE(w.grid.GetCellRect(5, 5, rect));
                if (step.leave == Click)
                    QTest::mouseClick(w.Widget(), Qt::LeftButton, {}, w.InWidget(rect).center());
                else
                    other.SetFocus();
                Settle();
                strCommitted.Empty();
                nCaretX = -1;
                continue;
            }
            QInputMethodEvent event(QString::fromUtf8(step.pszPreedit), {});
            event.setCommitString(QString::fromUtf8(step.pszCommit));
            QCoreApplication::sendEvent(w.Widget(), &event);
            EXPECT_EQ(CWnd::GetFocus(), &w.grid);
            strCommitted += FromUtf8(step.pszCommit);
            auto* pEdit = dynamic_cast<CInPlaceEdit*>(w.grid.GetDlgItem(IDC_INPLACE_CONTROL));
            EXPECT_EQ(pEdit == nullptr, c.bReadOnly);
            if (!*step.pszPreedit || !pEdit)
                continue;
            EXPECT_STREQ(WindowText(pEdit), strCommitted);
            EXPECT_GT(InkIn(pEdit->m_hWnd), 0);
            const QRect rectCaret = w.QueriedCaret();
            EXPECT_EQ(rectCaret, pEdit->m_hWnd->inputMethodQuery(Qt::ImCursorRectangle)
                                     .toRect()
                                     .translated(pEdit->m_hWnd->mapTo(w.Widget(), QPoint(0, 0))));
            CRect rectCell;
            ASSERT_TRUE(w.grid.GetCellRect(2, 2, rectCell));
            EXPECT_TRUE(w.InWidget(rectCell).contains(rectCaret.topLeft()));
            EXPECT_GT(rectCaret.x(), nCaretX);   // after the text being composed
            nCaretX = rectCaret.x();
        }
        Settle();

        const bool bCommitted = std::strcmp(c.pszStored, c.pszText) != 0 || *c.pszClicked;
        CInPlaceEdit* pEdit = FocusedInPlaceEdit();
        ASSERT_EQ(pEdit != nullptr, bCommitted && left != OtherWindow);
        if (pEdit) {
            EXPECT_STREQ(WindowText(pEdit), strCommitted);
            QTest::keyClick(pEdit->m_hWnd, Qt::Key_Return);
        }
        FinishClosing();
        EXPECT_EQ(CWnd::GetFocus(), left == OtherWindow ? static_cast<CWnd*>(&other) : &w.grid);
        EXPECT_EQ(w.grid.GetDlgItem(IDC_INPLACE_CONTROL), nullptr);
        EXPECT_STREQ(w.grid.GetItemText(2, 2), FromUtf8(c.pszStored));
        EXPECT_STREQ(w.grid.GetItemText(5, 5), FromUtf8(c.pszClicked));
        EXPECT_EQ((w.grid.GetItemState(2, 2) & GVIS_MODIFIED) != 0, std::strcmp(c.pszStored, c.pszText) != 0);
    }
}
