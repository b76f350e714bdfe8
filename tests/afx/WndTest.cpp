// Window objects over real widgets: messages from real Qt events, capture, timers, scroll bars,
// painting through the backing image, standard controls.
#include "Testing.h"
#include "Wnd.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct Entry {
    UINT message;
    UINT a = 0;   // flags, key, code, hit test ...
    UINT b = 0;   // position, repeat ...
    CPoint pt;
    CWnd* pOther = nullptr;
    bool bShift = false;
    bool bCtrl = false;
};

// Logs what reaches its handlers, then lets the defaults run.
class CTestWnd : public CWnd {
public:
    std::vector<Entry> m_log;
    std::function<void(CTestWnd*, const Entry&)> m_hook;
    COLORREF m_crPaint = RGB(255, 0, 0);
    CRect m_rcPaint, m_rcClip;
    int m_nPreSubclass = 0, m_nPostNcDestroy = 0;
    bool m_bDeleteSelf = false;

    std::vector<Entry> Of(UINT message) const
    {
        std::vector<Entry> result;
        for (const Entry& e : m_log)
            if (e.message == message)
                result.push_back(e);
        return result;
    }
    std::vector<UINT> Messages(std::initializer_list<UINT> wanted) const
    {
        std::vector<UINT> result;
        for (const Entry& e : m_log)
            if (std::find(wanted.begin(), wanted.end(), e.message) != wanted.end())
                result.push_back(e.message);
        return result;
    }

protected:
    void Log(Entry e)
    {
        e.bShift = GetKeyState(VK_SHIFT) < 0;
        e.bCtrl = GetKeyState(VK_CONTROL) < 0;
        m_log.push_back(e);
        if (m_hook)
            m_hook(this, e);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message >= WM_USER || message == WM_NCLBUTTONDOWN)
            Log({message, (UINT)wParam});
        return CWnd::WindowProc(message, wParam, lParam);
    }
    void PreSubclassWindow() override { ++m_nPreSubclass; }
    void PostNcDestroy() override
    {
        ++m_nPostNcDestroy;
        if (m_bDeleteSelf)
            delete this;
    }
    void OnPaint() override
    {
        CPaintDC dc(this);
        m_rcPaint = dc.m_rcPaint;
        dc.GetClipBox(&m_rcClip);
        Log({WM_PAINT});
        dc.FillSolidRect(&m_rcClip, m_crPaint);
    }
    BOOL OnEraseBkgnd(CDC* pDC) override
    {
        Log({WM_ERASEBKGND});
        return CWnd::OnEraseBkgnd(pDC);
    }
    void OnSize(UINT nType, int cx, int cy) override { Log({WM_SIZE, nType, 0, CPoint(cx, cy)}); }
    void OnVScroll(UINT nCode, UINT nPos, CScrollBar*) override { Log({WM_VSCROLL, nCode, nPos}); }
    void OnTimer(UINT_PTR nId) override { Log({WM_TIMER, (UINT)nId}); }
    void OnMouseMove(UINT nFlags, CPoint pt) override { Log({WM_MOUSEMOVE, nFlags, 0, pt}); }
    void OnLButtonDown(UINT nFlags, CPoint pt) override { Log({WM_LBUTTONDOWN, nFlags, 0, pt}); }
    void OnLButtonUp(UINT nFlags, CPoint pt) override { Log({WM_LBUTTONUP, nFlags, 0, pt}); }
    void OnLButtonDblClk(UINT nFlags, CPoint pt) override { Log({WM_LBUTTONDBLCLK, nFlags, 0, pt}); }
    void OnRButtonDown(UINT nFlags, CPoint pt) override { Log({WM_RBUTTONDOWN, nFlags, 0, pt}); }
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override
    {
        Log({WM_MOUSEWHEEL, nFlags, (UINT)(int)zDelta, pt});
        return CWnd::OnMouseWheel(nFlags, zDelta, pt);
    }
    void OnKeyDown(UINT nChar, UINT nRep, UINT) override { Log({WM_KEYDOWN, nChar, nRep}); }
    void OnKeyUp(UINT nChar, UINT nRep, UINT) override { Log({WM_KEYUP, nChar, nRep}); }
    void OnChar(UINT nChar, UINT nRep, UINT) override { Log({WM_CHAR, nChar, nRep}); }
    void OnSetFocus(CWnd* pOld) override { Log({WM_SETFOCUS, 0, 0, {}, pOld}); }
    void OnKillFocus(CWnd* pNew) override { Log({WM_KILLFOCUS, 0, 0, {}, pNew}); }
    void OnCaptureChanged(CWnd* pWnd) override { Log({WM_CAPTURECHANGED, 0, 0, {}, pWnd}); }
    BOOL OnSetCursor(CWnd* pWnd, UINT nHit, UINT message) override
    {
        Log({WM_SETCURSOR, nHit, message, {}, pWnd});
        return CWnd::OnSetCursor(pWnd, nHit, message);
    }
    void OnSysColorChange() override { Log({WM_SYSCOLORCHANGE}); }
    void OnDestroy() override { Log({WM_DESTROY}); }
};

class WndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "test", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, 0));
    }
    // A bordered child at (10, 20): client (0, 0) is widget (1, 1).
    void MakeChild(CTestWnd& wnd, DWORD dwStyle = WS_BORDER, CRect rect = CRect(10, 20, 210, 120),
                   LPCTSTR lpszClass = nullptr)
    {
        ASSERT_TRUE(wnd.Create(lpszClass, nullptr, WS_CHILD | WS_VISIBLE | dwStyle, rect, &m_parent, 7));
    }
    static CPoint Screen(const CWnd& wnd, CPoint pt)
    {
        wnd.ClientToScreen(&pt);
        return pt;
    }
    CTestWnd m_parent;
};

QPoint ToQ(CPoint pt) { return QPoint(pt.x, pt.y); }

} // namespace

TEST_F(WndTest, CreationGivesGeometryIdentityAndTeardown)
{
    CTestWnd child;
    MakeChild(child);
    CRect rc;
    child.GetClientRect(&rc);
    EXPECT_EQ(CRect(0, 0, 198, 98), rc);   // inside the one-pixel border
    ASSERT_EQ(1u, child.Of(WM_SIZE).size());
    EXPECT_EQ(CPoint(198, 98), child.Of(WM_SIZE)[0].pt);
    EXPECT_EQ(1, child.m_nPreSubclass);
    EXPECT_EQ(7u, child.GetDlgCtrlID());
    EXPECT_EQ(&m_parent, child.GetParent());
    EXPECT_EQ(&m_parent, child.GetOwner());
    EXPECT_EQ(&child, CWnd::FromHandlePermanent(child.m_hWnd));
    // The window behind a pointer that may be NULL.
    EXPECT_EQ(child.m_hWnd, CWnd::GetSafeHwnd(&child));
    EXPECT_EQ(nullptr, CWnd::GetSafeHwnd(nullptr));
    EXPECT_EQ(m_parent.m_hWnd, child.m_hWnd->parentWidget());
    CPoint pt(0, 0);
    child.ClientToScreen(&pt);
    EXPECT_EQ(ToQ(pt), m_parent.m_hWnd->mapToGlobal(QPoint(11, 21)));

    // A widget without a window object gets one temporary object.
    QWidget* pPlain = new QWidget(m_parent.m_hWnd);
    CWnd* pTemp = CWnd::FromHandle(pPlain);
    EXPECT_EQ(pTemp, CWnd::FromHandle(pPlain));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(pPlain));
    // Subclassing attaches without owning: the widget survives DestroyWindow.
    CTestWnd sub;
    ASSERT_TRUE(sub.SubclassWindow(pPlain));
    EXPECT_EQ(1, sub.m_nPreSubclass);
    EXPECT_EQ(&sub, CWnd::FromHandle(pPlain));
    EXPECT_TRUE(sub.DestroyWindow());
    EXPECT_EQ(nullptr, sub.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::GetSafeHwnd(&sub));
    EXPECT_TRUE(IsWindow(pPlain));

    // A window that deletes itself after destruction.
    auto* pSelf = new CTestWnd;
    pSelf->m_bDeleteSelf = true;
    MakeChild(*pSelf);
    QPointer<QWidget> pWidget = pSelf->m_hWnd;
    bool bDestroyed = false;
    pSelf->m_hook = [&](CTestWnd*, const Entry& e) { bDestroyed |= e.message == WM_DESTROY; };
    pSelf->DestroyWindow();
    EXPECT_TRUE(bDestroyed);
    EXPECT_TRUE(pWidget.isNull());

    // A window whose widget goes with its parent's is released, not left dangling.
    auto* pContainer = new QWidget;
    CTestWnd inner;
    ASSERT_TRUE(inner.CreateEx(0, nullptr, nullptr, WS_CHILD, 0, 0, 10, 10, pContainer, 1));
    delete pContainer;
    EXPECT_EQ(nullptr, inner.m_hWnd);
    EXPECT_EQ(1, inner.m_nPostNcDestroy);
}

TEST_F(WndTest, MouseMessagesCarryClientPointsAndKeyFlags)
{
    CTestWnd child;
    MakeChild(child);
    QTest::mouseClick(child.m_hWnd, Qt::LeftButton, Qt::ShiftModifier, QPoint(51, 31));
    EXPECT_EQ((std::vector<UINT> {WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP}),
              child.Messages({WM_SETCURSOR, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    EXPECT_EQ((UINT)HTCLIENT, child.Of(WM_SETCURSOR)[0].a);
    EXPECT_EQ((UINT)WM_LBUTTONDOWN, child.Of(WM_SETCURSOR)[0].b);
    const Entry down = child.Of(WM_LBUTTONDOWN)[0];
    EXPECT_EQ((UINT)(MK_LBUTTON | MK_SHIFT), down.a);
    EXPECT_EQ(CPoint(50, 30), down.pt);
    EXPECT_EQ((UINT)MK_SHIFT, child.Of(WM_LBUTTONUP)[0].a);
    QTest::mouseClick(child.m_hWnd, Qt::RightButton, Qt::ControlModifier, QPoint(5, 6));
    EXPECT_EQ((UINT)(MK_RBUTTON | MK_CONTROL), child.Of(WM_RBUTTONDOWN)[0].a);
    EXPECT_TRUE(m_parent.Of(WM_LBUTTONDOWN).empty());   // no propagation to the parent

    // The wheel: 120 per notch, the point on the screen; unused, it goes on to the parent.
    const QPoint local(21, 11);
    QWheelEvent wheel(local, child.m_hWnd->mapToGlobal(local), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(child.m_hWnd, &wheel);
    ASSERT_EQ(1u, child.Of(WM_MOUSEWHEEL).size());
    EXPECT_EQ(-120, (int)child.Of(WM_MOUSEWHEEL)[0].b);
    EXPECT_EQ(ToQ(child.Of(WM_MOUSEWHEEL)[0].pt), child.m_hWnd->mapToGlobal(local));
    EXPECT_EQ(1u, m_parent.Of(WM_MOUSEWHEEL).size());
}

TEST_F(WndTest, DoubleClicksFollowTheWindowSystemSequence)
{
    CTestWnd child;
    MakeChild(child);
    QWidget* w = child.m_hWnd;
    const QPoint pos(30, 30);
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons, ulong nTime, QPoint at) {
        QMouseEvent ev(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        ev.setTimestamp(nTime);
        QApplication::sendEvent(w, &ev);
    };
    // Qt's order press, release, press, double-click, release becomes DOWN, UP, DBLCLK, UP.
    send(QEvent::MouseButtonPress, Qt::LeftButton, 1000, pos);
    send(QEvent::MouseButtonRelease, Qt::NoButton, 1010, pos);
    send(QEvent::MouseButtonPress, Qt::LeftButton, 1100, pos);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton, 1100, pos);
    send(QEvent::MouseButtonRelease, Qt::NoButton, 1110, pos);
    // A third quick press starts a new pair; one far away or late is a plain press.
    send(QEvent::MouseButtonPress, Qt::LeftButton, 1150, pos);
    send(QEvent::MouseButtonPress, Qt::LeftButton, 1160, pos + QPoint(10, 0));
    send(QEvent::MouseButtonPress, Qt::LeftButton, 5000, pos + QPoint(10, 0));
    const std::vector<UINT> expected {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                      WM_LBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDOWN};
    EXPECT_EQ(expected, child.Messages({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK}));
    // QTest's double click alone counts as the second press.
    child.m_log.clear();
    QTest::mouseDClick(w, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(w, Qt::LeftButton, {}, pos);
    EXPECT_EQ(1u, child.Of(WM_LBUTTONDBLCLK).size());
}

TEST_F(WndTest, KeysBecomeVirtualKeysAndCharacters)
{
    CTestWnd child;
    MakeChild(child);
    QWidget* w = child.m_hWnd;
    auto keys = [&] {
        std::vector<std::pair<UINT, UINT>> result;
        for (const Entry& e : child.m_log)
            if ((e.message == WM_KEYDOWN || e.message == WM_CHAR) && e.a != VK_SHIFT && e.a != VK_CONTROL)
                result.emplace_back(e.message, e.a);
        child.m_log.clear();
        return result;
    };
    using Keys = std::vector<std::pair<UINT, UINT>>;
    QTest::keyClick(w, Qt::Key_Down);
    EXPECT_EQ((Keys {{WM_KEYDOWN, VK_DOWN}}), keys());
    QTest::keyClick(w, Qt::Key_A);
    EXPECT_EQ((Keys {{WM_KEYDOWN, 'A'}, {WM_CHAR, 'a'}}), keys());
    QTest::keyClick(w, Qt::Key_Exclam, Qt::ShiftModifier);   // the key of '1', not Page Up
    EXPECT_EQ((Keys {{WM_KEYDOWN, '1'}, {WM_CHAR, '!'}}), keys());
    QTest::keyClick(w, Qt::Key_Return);
    QTest::keyClick(w, Qt::Key_Escape);
    QTest::keyClick(w, Qt::Key_Backspace);
    QTest::keyClick(w, Qt::Key_F2);
    EXPECT_EQ((Keys {{WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 13}, {WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 27},
                     {WM_KEYDOWN, VK_BACK}, {WM_CHAR, 8}, {WM_KEYDOWN, VK_F2}}),
              keys());

    // Shift+Tab is Tab with Shift down; Ctrl+C gives the control code 3.
    QTest::keyClick(w, Qt::Key_Backtab, Qt::ShiftModifier);
    auto tab = child.Of(WM_KEYDOWN).back();
    EXPECT_EQ((UINT)VK_TAB, tab.a);
    EXPECT_TRUE(tab.bShift);
    EXPECT_EQ((UINT)9, child.Of(WM_CHAR).back().a);
    QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(child.Of(WM_KEYDOWN).back().bCtrl);
    EXPECT_EQ((Keys {{WM_KEYDOWN, VK_TAB}, {WM_CHAR, 9}, {WM_KEYDOWN, 'C'}, {WM_CHAR, 3}}), keys());
    EXPECT_FALSE(GetKeyState(VK_SHIFT) < 0);   // outside the event, the keys are up again

    // A Chinese character is one WM_CHAR with its two CP936 bytes; so is committed text.
    QKeyEvent chinese(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("中"));
    QApplication::sendEvent(w, &chinese);
    EXPECT_EQ((Keys {{WM_CHAR, 0xD6D0}}), keys());
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("中文a"));
    QApplication::sendEvent(w, &commit);
    EXPECT_EQ((Keys {{WM_CHAR, 0xD6D0}, {WM_CHAR, 0xCEC4}, {WM_CHAR, 'a'}}), keys());
}

TEST_F(WndTest, CommittedTextFollowsTheFocusMovedByItsFirstCharacter)
{
    CTestWnd grid, edit;
    MakeChild(grid);
    MakeChild(edit, 0, CRect(10, 150, 100, 170));
    grid.SetFocus();
    grid.m_hook = [&](CTestWnd*, const Entry& e) {
        if (e.message == WM_CHAR)
            edit.SetFocus();   // opening an in-place edit on the first character
    };
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("中文"));
    QApplication::sendEvent(grid.m_hWnd, &commit);
    ASSERT_EQ(1u, grid.Of(WM_CHAR).size());
    EXPECT_EQ(0xD6D0u, grid.Of(WM_CHAR)[0].a);
    ASSERT_EQ(1u, edit.Of(WM_CHAR).size());
    EXPECT_EQ(0xCEC4u, edit.Of(WM_CHAR)[0].a);
    EXPECT_EQ(&edit, CWnd::GetFocus());
    // Focus messages name the other window.
    ASSERT_FALSE(grid.Of(WM_KILLFOCUS).empty());
    EXPECT_EQ(&edit, grid.Of(WM_KILLFOCUS).back().pOther);
    EXPECT_EQ(&grid, edit.Of(WM_SETFOCUS).back().pOther);
}

namespace {
// Takes Enter before its children see it, as a dialog does.
class CTakesEnter : public CTestWnd {
protected:
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        return pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN;
    }
};
} // namespace

TEST_F(WndTest, PreTranslateMessageOfAParentSwallowsKeyAndCharacter)
{
    CTakesEnter dialog;
    ASSERT_TRUE(dialog.CreateEx(0, nullptr, "dlg", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, 0));
    CTestWnd child;
    ASSERT_TRUE(child.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50), &dialog, 1));
    QTest::keyClick(child.m_hWnd, Qt::Key_Return);
    QTest::keyClick(child.m_hWnd, Qt::Key_B);
    EXPECT_EQ((std::vector<UINT> {WM_KEYDOWN, WM_CHAR}), child.Messages({WM_KEYDOWN, WM_CHAR}));
    EXPECT_EQ((UINT)'B', child.Of(WM_KEYDOWN)[0].a);
}

TEST_F(WndTest, CaptureRoutesTheMouseAndNotifiesTheLoser)
{
    CTestWnd child, other;
    MakeChild(child);
    MakeChild(other, 0, CRect(250, 20, 300, 60));
    EXPECT_EQ(nullptr, child.SetCapture());
    EXPECT_EQ(&child, CWnd::GetCapture());
    // A move over another widget reaches the capture window in its client coordinates, with
    // the button up (a tip holding the capture) or down (a drag).
    QTest::mouseMove(m_parent.m_hWnd, QPoint(300, 200));
    ASSERT_EQ(1u, child.Of(WM_MOUSEMOVE).size());
    EXPECT_EQ(CPoint(300 - 10 - 1, 200 - 20 - 1), child.Of(WM_MOUSEMOVE)[0].pt);
    EXPECT_EQ(0u, child.Of(WM_MOUSEMOVE)[0].a);
    QTest::mousePress(child.m_hWnd, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(m_parent.m_hWnd, QPoint(350, 250));
    QTest::mouseRelease(m_parent.m_hWnd, Qt::LeftButton, {}, QPoint(350, 250));
    ASSERT_FALSE(child.Of(WM_MOUSEMOVE).empty());
    EXPECT_EQ(CPoint(350 - 10 - 1, 250 - 20 - 1), child.Of(WM_MOUSEMOVE).back().pt);
    EXPECT_EQ((UINT)MK_LBUTTON, child.Of(WM_MOUSEMOVE).back().a);
    EXPECT_EQ(1u, child.Of(WM_LBUTTONUP).size());
    EXPECT_TRUE(m_parent.Of(WM_MOUSEMOVE).empty());
    EXPECT_TRUE(child.Of(WM_SETCURSOR).empty());   // none while the mouse is captured
    // Taking the capture away tells the loser who took it; releasing tells NULL.
    EXPECT_EQ(&child, other.SetCapture());
    ASSERT_EQ(1u, child.Of(WM_CAPTURECHANGED).size());
    EXPECT_EQ(&other, child.Of(WM_CAPTURECHANGED)[0].pOther);
    ReleaseCapture();
    ASSERT_EQ(1u, other.Of(WM_CAPTURECHANGED).size());
    EXPECT_EQ(nullptr, other.Of(WM_CAPTURECHANGED)[0].pOther);
    EXPECT_EQ(nullptr, CWnd::GetCapture());
}

TEST_F(WndTest, SentMessagesRunAtOncePostedOnesLaterInOrder)
{
    CTestWnd child;
    MakeChild(child);
    child.m_hook = [](CTestWnd* p, const Entry& e) {
        if (e.message == WM_USER + 1) {
            p->PostMessage(WM_USER + 2);
            p->PostMessage(WM_USER + 4);
            p->SendMessage(WM_USER + 3);
        }
    };
    child.SendMessage(WM_USER + 1);
    EXPECT_EQ((std::vector<UINT> {WM_USER + 1, WM_USER + 3}), child.Messages({WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4}));
    QCoreApplication::processEvents();
    EXPECT_EQ((std::vector<UINT> {WM_USER + 1, WM_USER + 3, WM_USER + 2, WM_USER + 4}),
              child.Messages({WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 4}));
    // A window closing itself by a posted WM_CLOSE is destroyed while its message is handled,
    // then deletes itself; its widget goes once the event loop is back.
    auto* pSelf = new CTestWnd;
    pSelf->m_bDeleteSelf = true;
    MakeChild(*pSelf);
    QPointer<QWidget> pWidget = pSelf->m_hWnd;
    pSelf->PostMessage(WM_CLOSE);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pWidget.isNull());
    // A message posted to a window destroyed meanwhile is dropped.
    CTestWnd gone;
    MakeChild(gone);
    gone.PostMessage(WM_USER + 5);
    gone.DestroyWindow();
    QCoreApplication::processEvents();
    EXPECT_TRUE(gone.Of(WM_USER + 5).empty());
}

TEST_F(WndTest, TimersFireRestartAndStop)
{
    CTestWnd child;
    MakeChild(child);
    EXPECT_EQ(5u, child.SetTimer(5, 20));
    QTest::qWait(150);
    const size_t nTicks = child.Of(WM_TIMER).size();
    EXPECT_GE(nTicks, 2u);
    EXPECT_EQ(5u, child.Of(WM_TIMER)[0].a);
    // Setting the id again replaces the period.
    child.SetTimer(5, 5000);
    QTest::qWait(100);
    EXPECT_EQ(nTicks, child.Of(WM_TIMER).size());
    EXPECT_TRUE(child.KillTimer(5));
    EXPECT_FALSE(child.KillTimer(5));
}

TEST_F(WndTest, ScrollInfoFollowsTheWindowSystemRules)
{
    CTestWnd child;
    MakeChild(child, WS_VSCROLL, CRect(0, 0, 200, 150));
    const int nExtent = GetSystemMetrics(SM_CXVSCROLL);
    CRect rc;
    child.GetClientRect(&rc);
    EXPECT_EQ(200 - nExtent, rc.Width());

    SCROLLINFO si {sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 95, 0};
    child.SetScrollInfo(SB_VERT, &si);
    EXPECT_EQ(90, child.GetScrollPos(SB_VERT));   // nMax - nPage + 1
    QScrollBar* pBar = child.GetScrollBarWidget(SB_VERT);
    ASSERT_NE(nullptr, pBar);
    EXPECT_EQ(90, pBar->value());
    EXPECT_EQ(90, pBar->maximum());
    EXPECT_EQ(90, child.SetScrollPos(SB_VERT, -5));
    EXPECT_EQ(0, child.GetScrollPos(SB_VERT));

    // A range of nothing hides the bar and gives its room to the client area (WM_SIZE).
    child.m_log.clear();
    child.SetScrollRange(SB_VERT, 0, 0);
    EXPECT_FALSE(child.GetStyle() & WS_VSCROLL);
    child.GetClientRect(&rc);
    EXPECT_EQ(200, rc.Width());
    ASSERT_EQ(1u, child.Of(WM_SIZE).size());
    EXPECT_EQ(200, child.Of(WM_SIZE)[0].pt.x);
    // A scrolling range shows it again; a page change alone never shows it.
    child.SetScrollRange(SB_VERT, 0, 99);
    EXPECT_TRUE(child.GetStyle() & WS_VSCROLL);
    SCROLLINFO page {sizeof(SCROLLINFO), SIF_PAGE, 0, 0, 100, 0, 0};
    child.SetScrollInfo(SB_VERT, &page);   // the page covers the range
    EXPECT_FALSE(child.GetStyle() & WS_VSCROLL);
    page.nPage = 10;
    child.SetScrollInfo(SB_VERT, &page);
    EXPECT_FALSE(child.GetStyle() & WS_VSCROLL);
    // SIF_DISABLENOSCROLL keeps an unneeded bar, disabled.
    child.SetScrollRange(SB_VERT, 0, 99);
    SCROLLINFO none {sizeof(SCROLLINFO), SIF_RANGE | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
    child.SetScrollInfo(SB_VERT, &none);
    EXPECT_TRUE(child.GetStyle() & WS_VSCROLL);
    EXPECT_FALSE(pBar->isEnabled());
}

namespace {
QRect BarPart(QScrollBar* pBar, QStyle::SubControl part)
{
    QStyleOptionSlider opt;
    opt.initFrom(pBar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = pBar->orientation();
    if (opt.orientation == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    opt.minimum = pBar->minimum();
    opt.maximum = pBar->maximum();
    opt.sliderPosition = pBar->sliderPosition();
    opt.sliderValue = pBar->value();
    opt.singleStep = pBar->singleStep();
    opt.pageStep = pBar->pageStep();
    return pBar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, pBar);
}
} // namespace

TEST_F(WndTest, UserActionsOnABarBecomeScrollMessagesWithoutMovingIt)
{
    CTestWnd child;
    MakeChild(child, WS_VSCROLL, CRect(0, 0, 200, 250));
    SCROLLINFO si {sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 999, 100, 0, 0};
    child.SetScrollInfo(SB_VERT, &si);
    QScrollBar* pBar = child.GetScrollBarWidget(SB_VERT);
    auto codes = [&] {
        std::vector<UINT> result;
        for (const Entry& e : child.Of(WM_VSCROLL))
            result.push_back(e.a);
        child.m_log.clear();
        return result;
    };

    QTest::mouseClick(pBar, Qt::LeftButton, {}, BarPart(pBar, QStyle::SC_ScrollBarAddPage).center());
    EXPECT_EQ((std::vector<UINT> {SB_PAGEDOWN, SB_ENDSCROLL}), codes());
    EXPECT_EQ(0, pBar->value());
    EXPECT_EQ(0, child.GetScrollPos(SB_VERT));

    // Dragging the thumb reports the track position; the position stays until it is set.
    int nTrackInHandler = -1;
    child.m_hook = [&](CTestWnd* p, const Entry& e) {
        if (e.message == WM_VSCROLL && e.a == SB_THUMBTRACK) {
            SCROLLINFO track {sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0};
            p->GetScrollInfo(SB_VERT, &track, SIF_TRACKPOS);
            nTrackInHandler = track.nTrackPos;
        }
    };
    const QPoint thumb = BarPart(pBar, QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(pBar, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(pBar, thumb + QPoint(0, 40));
    const std::vector<Entry> tracks = child.Of(WM_VSCROLL);
    ASSERT_FALSE(tracks.empty());
    EXPECT_EQ((UINT)SB_THUMBTRACK, tracks.back().a);
    EXPECT_GT((int)tracks.back().b, 0);
    EXPECT_EQ((int)tracks.back().b, nTrackInHandler);
    EXPECT_EQ(0, pBar->value());
    QTest::mouseRelease(pBar, Qt::LeftButton, {}, thumb + QPoint(0, 40));
    const std::vector<Entry> all = child.Of(WM_VSCROLL);
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ((UINT)SB_THUMBPOSITION, all[all.size() - 2].a);
    EXPECT_EQ(tracks.back().b, all[all.size() - 2].b);
    EXPECT_EQ((UINT)SB_ENDSCROLL, all.back().a);
    EXPECT_EQ(0, child.GetScrollPos(SB_VERT));

    // The wheel over a bar scrolls the window.
    child.m_log.clear();
    const QPoint at = pBar->rect().center();
    QWheelEvent wheel(at, pBar->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(pBar, &wheel);
    EXPECT_EQ(1u, child.Of(WM_MOUSEWHEEL).size());
    EXPECT_TRUE(child.Of(WM_VSCROLL).empty());
}

TEST_F(WndTest, PaintingGoesThroughTheBackingImage)
{
    WNDCLASS wc;
    wc.nBackgroundColor = COLOR_BTNFACE;
    wc.lpszClassName = "WndTestStill";   // no redraw styles: a resize invalidates the new strip
    ASSERT_TRUE(AfxRegisterClass(&wc));
    CTestWnd child;
    MakeChild(child, WS_BORDER, CRect(10, 20, 112, 102), "WndTestStill");
    child.UpdateWindow();
    EXPECT_EQ(CRect(0, 0, 100, 80), child.m_rcPaint);
    EXPECT_EQ((std::vector<UINT> {WM_ERASEBKGND, WM_PAINT}), child.Messages({WM_ERASEBKGND, WM_PAINT}));

    // Two invalid rectangles paint once, clipped to their bounding box, without erasing.
    child.m_log.clear();
    child.m_crPaint = RGB(0, 0, 255);
    CRect r1(10, 10, 30, 20), r2(50, 40, 60, 50);
    child.InvalidateRect(&r1, FALSE);
    child.InvalidateRect(&r2, FALSE);
    child.UpdateWindow();
    EXPECT_EQ((std::vector<UINT> {WM_PAINT}), child.Messages({WM_ERASEBKGND, WM_PAINT}));
    EXPECT_EQ(CRect(10, 10, 60, 50), child.m_rcPaint);
    EXPECT_EQ(CRect(10, 10, 60, 50), child.m_rcClip);
    const QImage& image = child.GetBackingImage();
    EXPECT_EQ(QSize(100, 80), image.size());
    EXPECT_EQ(QColor(0, 0, 255), image.pixelColor(15, 15));
    EXPECT_EQ(QColor(255, 0, 0), image.pixelColor(5, 5));
    EXPECT_EQ(QColor(255, 0, 0), image.pixelColor(70, 60));
    child.UpdateWindow();
    EXPECT_EQ(1u, child.Of(WM_PAINT).size());   // nothing left to paint

    // Growing keeps the pixels and repaints only what is new.
    child.MoveWindow(10, 20, 122, 82);
    EXPECT_EQ(CPoint(120, 80), child.Of(WM_SIZE).back().pt);
    child.UpdateWindow();
    EXPECT_EQ(CRect(100, 0, 120, 80), child.m_rcPaint);
    EXPECT_EQ(QColor(0, 0, 255), child.GetBackingImage().pixelColor(15, 15));

    // A window DC draws into the image; the screen shows it with the frame, and no WM_PAINT.
    CDC* pDC = child.GetDC();
    pDC->FillSolidRect(0, 0, 5, 5, RGB(0, 255, 0));
    child.ReleaseDC(pDC);
    EXPECT_EQ(QColor(0, 255, 0), child.GetBackingImage().pixelColor(2, 2));
    const QImage screen = child.m_hWnd->grab().toImage();
    EXPECT_EQ(QColor(0, 255, 0), screen.pixelColor(3, 3));
    const COLORREF crFrame = GetSysColor(COLOR_WINDOWFRAME);
    EXPECT_EQ(QColor(GetRValue(crFrame), GetGValue(crFrame), GetBValue(crFrame)), screen.pixelColor(0, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(2u, child.Of(WM_PAINT).size());
}

TEST_F(WndTest, CursorHitTestAndPositions)
{
    WNDCLASS wc;
    wc.hCursor = IDC_SIZEWE;
    wc.lpszClassName = "WndTestCursor";
    ASSERT_TRUE(AfxRegisterClass(&wc));
    CTestWnd child;
    MakeChild(child, WS_BORDER | WS_VSCROLL, CRect(10, 20, 210, 120), "WndTestCursor");
    child.SetScrollRange(SB_VERT, 0, 500);
    // WM_SETCURSOR before WM_MOUSEMOVE; its default sets the class cursor.
    const QPoint local(41, 21);
    QMouseEvent move(QEvent::MouseMove, local, child.m_hWnd->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(child.m_hWnd, &move);
    EXPECT_EQ((std::vector<UINT> {WM_SETCURSOR, WM_MOUSEMOVE}), child.Messages({WM_SETCURSOR, WM_MOUSEMOVE}));
    EXPECT_EQ(Qt::SizeHorCursor, child.m_hWnd->cursor().shape());
    POINT pt;
    GetCursorPos(&pt);
    EXPECT_EQ(child.m_hWnd->mapToGlobal(local), QPoint(pt.x, pt.y));
    const DWORD dwPos = GetMessagePos();
    EXPECT_EQ(child.m_hWnd->mapToGlobal(local), QPoint((short)LOWORD(dwPos), (short)HIWORD(dwPos)));
    QCursor::setPos(123, 45);
    GetCursorPos(&pt);
    EXPECT_EQ(QPoint(123, 45), QPoint(pt.x, pt.y));
    // Confinement keeps the reported positions inside.
    CRect rcClip(100, 100, 200, 150);
    ClipCursor(&rcClip);
    GetCursorPos(&pt);
    EXPECT_EQ(QPoint(123, 100), QPoint(pt.x, pt.y));
    ClipCursor(nullptr);

    auto hit = [&](CPoint client) {
        return child.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(Screen(child, client).x, Screen(child, client).y));
    };
    CRect rc;
    child.GetClientRect(&rc);
    EXPECT_EQ(HTCLIENT, hit(CPoint(5, 5)));
    EXPECT_EQ(HTVSCROLL, hit(CPoint(rc.right + 2, 5)));
    EXPECT_EQ(HTNOWHERE, hit(CPoint(-30, 5)));
}

TEST_F(WndTest, WindowFromPointFindsTheWindowUnderAScreenPoint)
{
    CTestWnd child;
    MakeChild(child, WS_VSCROLL);
    child.SetScrollRange(SB_VERT, 0, 500);
    CRect rc;
    child.GetClientRect(&rc);
    EXPECT_EQ(&child, CWnd::WindowFromPoint(Screen(child, CPoint(5, 5))));
    EXPECT_EQ(&child, CWnd::WindowFromPoint(Screen(child, CPoint(rc.right + 2, 5))));
    EXPECT_EQ(&m_parent, CWnd::WindowFromPoint(Screen(m_parent, CPoint(300, 250))));
}

TEST_F(WndTest, SystemColoursFollowTheApplicationPalette)
{
    CTestWnd child;
    MakeChild(child);
    const QPalette old = QApplication::palette();
    QPalette palette = old;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    QApplication::setPalette(palette);
    EXPECT_EQ(RGB(1, 2, 3), GetSysColor(COLOR_WINDOW));
    QCoreApplication::processEvents();   // the change reaches the windows through the queue
    EXPECT_EQ(1u, child.Of(WM_SYSCOLORCHANGE).size());   // once, though Qt tells twice
    EXPECT_EQ(1u, m_parent.Of(WM_SYSCOLORCHANGE).size());
    QApplication::setPalette(old);
    QCoreApplication::processEvents();
    EXPECT_EQ(2u, child.Of(WM_SYSCOLORCHANGE).size());
}

namespace {
// A standard control that keeps 'x' from its widget.
class CNoX : public CWnd {
protected:
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override
    {
        if (nChar != 'x')
            CWnd::OnChar(nChar, nRepCnt, nFlags);
    }
};
} // namespace

TEST_F(WndTest, StandardControlGetsWhatHandlersPassOn)
{
    auto* pLine = new QLineEdit;
    CNoX edit;
    ASSERT_TRUE(edit.CreateFromWidget(pLine, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 20), &m_parent, 8));
    EXPECT_EQ(8u, edit.GetDlgCtrlID());
    QTest::keyClicks(pLine, "axb");
    EXPECT_EQ(QString("ab"), pLine->text());
    QTest::keyClick(pLine, Qt::Key_Left);   // a key without character reaches the widget
    EXPECT_EQ(1, pLine->cursorPosition());
    QTest::keyClick(pLine, Qt::Key_Backspace);
    EXPECT_EQ(QString("b"), pLine->text());
    // Sent characters and committed text are inserted once; the text reads back in CP936.
    edit.SendMessage(WM_CHAR, 0xD6D0);
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("文"));
    QApplication::sendEvent(pLine, &commit);
    EXPECT_EQ(QString::fromUtf8("中文b"), pLine->text());
    CString text;
    edit.GetWindowText(text);
    EXPECT_EQ(CString("\xD6\xD0\xCE\xC4" "b"), text);
    edit.SetWindowText("\xC4\xE3");
    EXPECT_EQ(QString::fromUtf8("你"), pLine->text());
    QPointer<QLineEdit> pAlive = pLine;
    edit.DestroyWindow();
    EXPECT_TRUE(pAlive.isNull());   // a widget handed to CreateFromWidget goes with the window
}

TEST(MessageBoxTest, RecorderAnswersWithoutShowing)
{
    Testing::CMessageBoxRecorder recorder;
    EXPECT_EQ(IDOK, MessageBox("\xB4\xED\xCE\xF3", "cap"));
    recorder.QueueAnswer(IDNO);
    EXPECT_EQ(IDNO, MessageBox("q", nullptr, MB_YESNO));
    EXPECT_EQ(IDYES, MessageBox("q", nullptr, MB_YESNO));
    ASSERT_EQ(3u, recorder.Calls().size());
    EXPECT_EQ(CString("\xB4\xED\xCE\xF3"), recorder.Calls()[0].strText);
    EXPECT_EQ(CString("cap"), recorder.Calls()[0].strCaption);
    EXPECT_TRUE(recorder.Calls()[1].strCaption.IsEmpty());
    EXPECT_EQ((UINT)MB_YESNO, recorder.Calls()[1].nType);
}
