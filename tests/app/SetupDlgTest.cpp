// The design window, run modally as the program runs it and driven with real mouse and key
// events on its window; the editors it opens are answered through the modal-dialog seam.
#include "DocumentTestSupport.h"
#include "EditDlg.h"
#include "MainApp.h"
#include "PageSizeEditDlg.h"
#include "SetupDlg.h"

#include "Testing.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QInputMethod>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <climits>
#include <functional>

namespace {

const char s_szItem2[] = "　　你制作的作品《{D}》获{A}组{B}类{E}等奖。\r\n　　特发此证";

CPrintItem* Item(CPrintSet& set, int nIndex)
{
    return set.GetItem(nIndex);
}

void AddPaperItem(CPrintSet& set, const CRect& rectPaper, const char* pszText)
{
    auto* pItem = new CPrintItem;
    pItem->m_rectPaper = rectPaper;
    pItem->m_strText = Gbk(pszText);
    set.m_arrItems.Add(pItem);
}

QColor PixelAt(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

bool IsBlack(const QColor& c)
{
    return c.red() < 40 && c.green() < 40 && c.blue() < 40;
}

bool IsRed(const QColor& c)
{
    return c.red() > 200 && c.green() < 40 && c.blue() < 40;
}

class SetupDlgTest : public ::testing::Test {
protected:
    using Driver = std::function<void(CSetupDlg&, QWidget*)>;

    // Opens the design window on m_set; the driver acts while it is open; then the close box.
    void RunDesigner(const Driver& driver)
    {
        CSetupDlg dlg;
        dlg.m_pPrintSet = &m_set;
        m_dialogs.QueueAnswer(IDD_SETUP_DIALOG, 0, [&](CDialog& d) {
            auto& setup = static_cast<CSetupDlg&>(d);
            Paint(setup);
            QWidget* pWidget = setup.GetSafeHwnd();
            driver(setup, pWidget);
            if (pWidget->isVisible())
                pWidget->close();   // the close box
        });
        dlg.DoModal();
    }

    static void Paint(CSetupDlg& dlg)
    {
        dlg.Invalidate(FALSE);
        dlg.UpdateWindow();
    }

    static void Press(QWidget* pWidget, CPoint pt) { QTest::mousePress(pWidget, Qt::LeftButton, {}, QPoint(pt.x, pt.y)); }
    static void Release(QWidget* pWidget, CPoint pt) { QTest::mouseRelease(pWidget, Qt::LeftButton, {}, QPoint(pt.x, pt.y)); }
    static void Move(QWidget* pWidget, CPoint pt) { QTest::mouseMove(pWidget, QPoint(pt.x, pt.y)); }
    static void DoubleClick(QWidget* pWidget, CPoint pt) { QTest::mouseDClick(pWidget, Qt::LeftButton, {}, QPoint(pt.x, pt.y)); }

    static void Drag(QWidget* pWidget, CPoint ptFrom, CPoint ptTo)
    {
        Press(pWidget, ptFrom);
        Move(pWidget, CPoint((ptFrom.x + ptTo.x) / 2, (ptFrom.y + ptTo.y) / 2));
        Move(pWidget, ptTo);
        Release(pWidget, ptTo);
    }

    CPrintSet m_set;
    Testing::CMessageBoxRecorder m_boxes;
    Testing::CModalDialogAnswerer m_dialogs;
};

TEST_F(SetupDlgTest, EmptyLayoutGetsTheThreeDefaultItems)
{
    CString strCaption;
    CRect rectPage;
    RunDesigner([&](CSetupDlg& dlg, QWidget*) {
        dlg.GetWindowText(strCaption);
        rectPage = dlg.m_rectPage;
        CRect rectClient;
        dlg.GetClientRect(&rectClient);
        EXPECT_EQ(rectPage, CRect(20, 20, rectClient.right - 20, rectClient.bottom - 20));
        EXPECT_EQ(dlg.StatusText(), Gbk("双击页面增加打印项"));
        // Before the window closes the paper rectangles are the fractions of the paper.
        ASSERT_EQ(m_set.GetItemCount(), 3);
        EXPECT_EQ(Item(m_set, 0)->m_rectPaper, CRect(472, 728, 906, 801));
        EXPECT_EQ(Item(m_set, 1)->m_rectPaper, CRect(470, 842, 1955, 914));
        EXPECT_EQ(Item(m_set, 2)->m_rectPaper, CRect(1231, 1234, 1800, 1306));
    });
    EXPECT_EQ(strCaption, Gbk("\t排版设计窗口 ( 双击内容进行编辑 ) --- Dunmere"));

    ASSERT_EQ(m_set.GetItemCount(), 3);
    EXPECT_EQ(Item(m_set, 0)->m_strText, Gbk("{C}同学:"));
    EXPECT_EQ(Item(m_set, 1)->m_strText, Gbk(s_szItem2));
    EXPECT_EQ(Item(m_set, 1)->m_strText.Left(4), CString("\xA1\xA1\xA1\xA1"));   // ideographic spaces
    EXPECT_EQ(Item(m_set, 2)->m_strText, CString("\xB6\xFE\xA3\xB0\xB6\xFE\xA3\xB0\xC4\xEA\xCA\xAE\xB6\xFE\xD4\xC2"));
    EXPECT_EQ(TokenBytes(Item(m_set, 0)->m_arrTokens), GbkBytes({"{C}", "同", "学", ":"}));
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(Item(m_set, i)->m_strFontName, Gbk("楷体_GB2312")) << i;

    // Closed with the close box: the items stand where the default fractions put them on
    // screen, so their paper rectangles stay those fractions exactly, not the coarser
    // on-screen places mapped back.
    const CRect arrPaper[3] = {{472, 728, 906, 801}, {470, 842, 1955, 914}, {1231, 1234, 1800, 1306}};
    for (int i = 0; i < 3; i++) {
        CPrintItem probe;
        probe.m_rectPaper = arrPaper[i];
        probe.m_rectPage = rectPage;
        probe.PaperToScreen(&m_set);
        EXPECT_EQ(Item(m_set, i)->m_rectScreen, probe.m_rectScreen) << i;
        EXPECT_EQ(Item(m_set, i)->m_rectPaper, arrPaper[i]) << i;
        probe.ScreenToPaper(&m_set);
        EXPECT_NE(probe.m_rectPaper, arrPaper[i]) << i;   // what mapping back would have made
    }

    // A layout that has items gets none added; items from a document are placed from their
    // paper rectangles when the window first draws.
    m_set.RemoveAllItems();
    AddPaperItem(m_set, CRect(245, 100, 1225, 180), "{A}");
    RunDesigner([&](CSetupDlg&, QWidget*) {
        ASSERT_EQ(m_set.GetItemCount(), 1);
        CPrintItem* pItem = Item(m_set, 0);
        EXPECT_EQ(pItem->m_rectScreen.left, rectPage.Width() * 245 / 2450 + rectPage.left);
        EXPECT_EQ(pItem->m_rectScreen.top, rectPage.Height() * 100 / 1760 + rectPage.top);
        EXPECT_EQ(pItem->m_rectScreen.right, rectPage.Width() * 1225 / 2450 + rectPage.left);
        EXPECT_EQ(pItem->m_rectScreen.bottom, rectPage.Height() * 180 / 1760 + rectPage.top);
    });
    EXPECT_EQ(m_set.GetItemCount(), 1);
}

TEST_F(SetupDlgTest, MouseSelectsMovesAndStretchesEdges)
{
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        CPrintItem* pItem = Item(m_set, 1);
        const CRect rect0 = pItem->m_rectScreen;
        const CPoint ptInside(rect0.left + 30, rect0.top + 5);

        // Select and move by a delta.
        Press(pWidget, ptInside);
        EXPECT_EQ(dlg.m_pSelItem, pItem);
        EXPECT_EQ(dlg.m_strDragMode, CString("boxMove"));
        Move(pWidget, CPoint(ptInside.x + 13, ptInside.y - 7));
        Release(pWidget, CPoint(ptInside.x + 13, ptInside.y - 7));
        CRect rect = rect0;
        rect.OffsetRect(13, -7);
        EXPECT_EQ(pItem->m_rectScreen, rect);
        EXPECT_EQ(dlg.m_strDragMode, CString(""));
        CString strStatus;
        strStatus.Format("left=%d,top=%d,right=%d,bottom=%d [ h=%d ]", (int)rect.left, (int)rect.top,
                         (int)rect.right, (int)rect.bottom, (int)rect.Height());
        EXPECT_EQ(dlg.StatusText().Left(strStatus.GetLength()), strStatus);

        // Each edge handle moves its edge only.
        struct EdgeCase { int nHandle; int dx, dy; CRect expected; };
        CRect r = rect;
        const EdgeCase cases[] = {
            {4, -9, 5, CRect(r.left - 9, r.top, r.right, r.bottom)},
            {5, 11, 3, CRect(r.left - 9, r.top, r.right + 11, r.bottom)},
            {6, 4, -6, CRect(r.left - 9, r.top - 6, r.right + 11, r.bottom)},
            {7, -2, 8, CRect(r.left - 9, r.top - 6, r.right + 11, r.bottom + 8)},
        };
        for (const EdgeCase& c : cases) {
            const CPoint ptHandle = dlg.m_rectHandles[c.nHandle].CenterPoint();
            Drag(pWidget, ptHandle, CPoint(ptHandle.x + c.dx, ptHandle.y + c.dy));
            EXPECT_EQ(pItem->m_rectScreen, c.expected) << c.nHandle;
        }

        // Corner handles do nothing.
        const CRect rectBefore = pItem->m_rectScreen;
        for (int nHandle = 0; nHandle < 4; nHandle++) {
            const CPoint ptHandle = dlg.m_rectHandles[nHandle].CenterPoint();
            Drag(pWidget, ptHandle, CPoint(ptHandle.x + 15, ptHandle.y + 9));
            EXPECT_EQ(pItem->m_rectScreen, rectBefore) << nHandle;
            EXPECT_EQ(dlg.m_pSelItem, pItem) << nHandle;
        }

        // The left edge dragged past the right one: no normalising, and the item can still be
        // found and dragged back.
        const CPoint ptLeft = dlg.m_rectHandles[4].CenterPoint();
        Drag(pWidget, ptLeft, CPoint(ptLeft.x + rectBefore.Width() + 20, ptLeft.y));
        EXPECT_EQ(pItem->m_rectScreen.left, rectBefore.right + 20);
        Press(pWidget, CPoint(5, 5));   // the margin: nothing selected
        Release(pWidget, CPoint(5, 5));
        EXPECT_EQ(dlg.m_pSelItem, nullptr);
        Press(pWidget, CPoint(rectBefore.right + 10, rectBefore.top + 2));
        Release(pWidget, CPoint(rectBefore.right + 10, rectBefore.top + 2));
        EXPECT_EQ(dlg.m_pSelItem, pItem);
        // An item squeezed to no width at all still answers a press on its edge.
        pItem->m_rectScreen.left = pItem->m_rectScreen.right;
        dlg.m_pSelItem = nullptr;
        Press(pWidget, CPoint(pItem->m_rectScreen.right, pItem->m_rectScreen.top + 2));
        EXPECT_EQ(dlg.m_pSelItem, pItem);
    });
}

TEST_F(SetupDlgTest, OverlapSelectsTheFirstAndOldHandlesAreInert)
{
    AddPaperItem(m_set, CRect(400, 400, 1400, 600), "first");
    AddPaperItem(m_set, CRect(800, 450, 1800, 650), "second");
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        CPrintItem* pFirst = Item(m_set, 0);
        CPrintItem* pSecond = Item(m_set, 1);
        const CPoint ptBoth((pSecond->m_rectScreen.left + pFirst->m_rectScreen.right) / 2,
                            (pSecond->m_rectScreen.top + pFirst->m_rectScreen.bottom) / 2);
        ASSERT_TRUE(pFirst->m_rectScreen.PtInRect(ptBoth) && pSecond->m_rectScreen.PtInRect(ptBoth));
        Press(pWidget, ptBoth);
        Release(pWidget, ptBoth);
        EXPECT_EQ(dlg.m_pSelItem, pFirst);

        // After the selection is cleared, the old left handle is plain empty space.
        const CPoint ptHandle = dlg.m_rectHandles[4].CenterPoint();
        Press(pWidget, CPoint(5, 5));
        Release(pWidget, CPoint(5, 5));
        const CPoint ptOutside(ptHandle.x - 1, ptHandle.y);
        ASSERT_FALSE(pFirst->m_rectScreen.PtInRect(ptOutside));
        const CRect rectFirst = pFirst->m_rectScreen;
        Drag(pWidget, ptOutside, CPoint(ptOutside.x + 30, ptOutside.y));
        EXPECT_EQ(pFirst->m_rectScreen, rectFirst);
        EXPECT_EQ(dlg.m_pSelItem, nullptr);
    });
}

TEST_F(SetupDlgTest, CursorsShowTheResizeAndMoveShapes)
{
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        CPrintItem* pItem = Item(m_set, 0);
        const CPoint ptInside = pItem->m_rectScreen.CenterPoint();
        Press(pWidget, ptInside);
        Release(pWidget, ptInside);
        struct CursorCase { CPoint pt; QPoint ptHot; };
        const CursorCase cases[] = {
            {ptInside, QPoint(7, 7)},
            {dlg.m_rectHandles[4].CenterPoint(), QPoint(8, 3)},
            {dlg.m_rectHandles[5].CenterPoint(), QPoint(8, 3)},
            {dlg.m_rectHandles[6].CenterPoint(), QPoint(3, 8)},
            {dlg.m_rectHandles[7].CenterPoint(), QPoint(3, 8)},
        };
        for (const CursorCase& c : cases) {
            Move(pWidget, c.pt);
            const QCursor cursor = pWidget->cursor();
            EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << c.pt.x << "," << c.pt.y;
            EXPECT_EQ(cursor.hotSpot(), c.ptHot) << c.pt.x << "," << c.pt.y;
            EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
        }
        // The page outside any item: the arrow.
        Move(pWidget, CPoint(dlg.m_rectPage.left + 2, dlg.m_rectPage.top + 2));
        EXPECT_EQ(pWidget->cursor().shape(), Qt::ArrowCursor);
    });
}

TEST_F(SetupDlgTest, DoubleClickAddsOrEditsAndDeleteRemoves)
{
    AddPaperItem(m_set, CRect(1000, 1000, 1500, 1100), "x");
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        // Empty space at the page's top-left corner: a 490 x 73 item at paper (0, 0).
        DoubleClick(pWidget, dlg.m_rectPage.TopLeft());
        ASSERT_EQ(m_set.GetItemCount(), 2);
        CPrintItem* pNew = Item(m_set, 1);
        EXPECT_EQ(pNew->m_rectPaper, CRect(0, 0, 490, 73));
        EXPECT_EQ(pNew->m_strFontName, Gbk("楷体_GB2312"));
        EXPECT_TRUE(pNew->m_strText.IsEmpty());
        EXPECT_EQ(pNew->m_rectScreen.TopLeft(), dlg.m_rectPage.TopLeft());
        EXPECT_EQ(pNew->m_rectScreen.right, dlg.m_rectPage.left + dlg.m_rectPage.Width() * 490 / 2450);
        EXPECT_EQ(pNew->m_rectScreen.bottom, dlg.m_rectPage.top + dlg.m_rectPage.Height() * 73 / 1760);
        EXPECT_NE(dlg.m_pSelItem, pNew);
        // Its empty text shows the hint "双击修改内容" inside the frame.
        Paint(dlg);
        int nInk = 0;
        const CRect& n = pNew->m_rectScreen;
        for (int y = n.top + 1; y < n.bottom - 1; y++)
            for (int x = n.left + 1; x < n.right - 1; x++)
                nInk += qGray(dlg.GetBackingImage().pixel(x, y)) < 100;
        EXPECT_GT(nInk, 10);

        // A double click on an item opens the editor with its text and size; OK applies them.
        CPrintItem* pOld = Item(m_set, 0);
        const CRect rectOld = pOld->m_rectScreen;
        m_dialogs.QueueAnswer(IDD_EDIT_DIALOG, IDOK, [&](CDialog& d) {
            auto& edit = static_cast<CEditDlg&>(d);
            EXPECT_EQ(edit.m_nWidth, (UINT)rectOld.Width());
            EXPECT_EQ(edit.m_nHeight, (UINT)rectOld.Height());
            auto* pText = d.GetDlgItem(IDC_ITEM_WIDTH)->GetSafeHwnd();
            static_cast<QLineEdit*>(pText)->setText("120");
            static_cast<QLineEdit*>(d.GetDlgItem(IDC_ITEM_HEIGHT)->GetSafeHwnd())->setText("30");
        });
        DoubleClick(pWidget, CPoint(rectOld.left + 2, rectOld.top + 2));
        EXPECT_EQ(dlg.m_pSelItem, pOld);
        EXPECT_EQ(pOld->m_rectScreen, CRect(rectOld.left, rectOld.top, rectOld.left + 120, rectOld.top + 30));

        // Delete refused by validation, then cancelled: nothing is deleted.
        m_dialogs.QueueAnswer(IDD_EDIT_DIALOG, IDCANCEL, [&](CDialog& d) {
            static_cast<QLineEdit*>(d.GetDlgItem(IDC_ITEM_HEIGHT)->GetSafeHwnd())->setText("120");
            QTest::mouseClick(d.GetDlgItem(IDC_DELETE_ITEM)->GetSafeHwnd(), Qt::LeftButton);
            EXPECT_TRUE(static_cast<CEditDlg&>(d).m_bDelete);
        });
        DoubleClick(pWidget, CPoint(rectOld.left + 2, rectOld.top + 2));
        EXPECT_EQ(m_set.GetItemCount(), 2);

        // The Delete key: nothing without a selection, the selected item with one.
        Press(pWidget, CPoint(5, 5));
        Release(pWidget, CPoint(5, 5));
        QTest::keyClick(pWidget, Qt::Key_Delete);
        EXPECT_EQ(m_set.GetItemCount(), 2);
        Press(pWidget, CPoint(rectOld.left + 2, rectOld.top + 2));
        Release(pWidget, CPoint(rectOld.left + 2, rectOld.top + 2));
        QTest::keyClick(pWidget, Qt::Key_Delete);
        ASSERT_EQ(m_set.GetItemCount(), 1);
        EXPECT_EQ(Item(m_set, 0), pNew);
        EXPECT_EQ(dlg.m_pSelItem, nullptr);
        EXPECT_EQ(dlg.StatusText(), Gbk("双击页面增加打印项"));
    });
}

TEST_F(SetupDlgTest, PaperSizeChangeKeepsScreenPlacesAndScalesOnClose)
{
    CRect rectPage;
    std::vector<CRect> screens;
    size_t nEditorsBefore = 0;
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        rectPage = dlg.m_rectPage;
        const CRect rectButton = dlg.m_rectSizeButton;
        ASSERT_GT(rectButton.left, 40);
        ASSERT_EQ(rectButton.top, 0);
        ASSERT_EQ(rectButton.bottom, 20);

        // The size text itself is empty space.
        nEditorsBefore = m_dialogs.Calls().size();
        Press(pWidget, CPoint(25, 10));
        Release(pWidget, CPoint(25, 10));
        EXPECT_EQ(m_dialogs.Calls().size(), nEditorsBefore);

        m_dialogs.QueueAnswer(IDD_PAGESIZE_DIALOG, IDOK, [&](CDialog& d) {
            auto& size = static_cast<CPageSizeEditDlg&>(d);
            EXPECT_EQ(size.m_nWidth, 2450u);
            EXPECT_EQ(size.m_nHeight, 1760u);
            static_cast<QLineEdit*>(d.GetDlgItem(IDC_PAPER_WIDTH)->GetSafeHwnd())->setText("2000");
            static_cast<QLineEdit*>(d.GetDlgItem(IDC_PAPER_HEIGHT)->GetSafeHwnd())->setText("1500");
        });
        Press(pWidget, rectButton.CenterPoint());
        Release(pWidget, rectButton.CenterPoint());
        ASSERT_EQ(m_dialogs.Calls().size(), nEditorsBefore + 1);
        EXPECT_EQ(m_set.m_nPaperWidth, 2000);
        EXPECT_EQ(m_set.m_nPaperHeight, 1500);
        QTest::keyClick(pWidget, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(m_set.m_nPaperWidth, 2450);
        EXPECT_EQ(m_set.m_nPaperHeight, 1760);
        QTest::keyClick(pWidget, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(m_set.m_nPaperWidth, 2000);
        EXPECT_EQ(m_set.m_nPaperHeight, 1500);
        for (int i = 0; i < m_set.GetItemCount(); i++)
            screens.push_back(Item(m_set, i)->m_rectScreen);
        Paint(dlg);
    });
    ASSERT_EQ(m_set.GetItemCount(), 3);
    for (int i = 0; i < 3; i++) {
        const CRect& s = screens[(size_t)i];
        EXPECT_EQ(Item(m_set, i)->m_rectScreen, s) << i;
        EXPECT_EQ(Item(m_set, i)->m_rectPaper,
                  CRect((s.left - rectPage.left) * 2000 / rectPage.Width(), (s.top - rectPage.top) * 1500 / rectPage.Height(),
                        (s.right - rectPage.left) * 2000 / rectPage.Width(), (s.bottom - rectPage.top) * 1500 / rectPage.Height()))
            << i;
    }
}

// Arrows move the selection, Ctrl+Z and Ctrl+Y step through this opening's changes, and Esc
// ends the window keeping what is left, on paper too.
TEST_F(SetupDlgTest, KeysMoveUndoRedoAndEscKeepsTheLayout)
{
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        CPrintItem* pItem = Item(m_set, 0);
        const CRect rect0 = pItem->m_rectScreen;
        Press(pWidget, rect0.CenterPoint());
        Release(pWidget, rect0.CenterPoint());
        QTest::keyClick(pWidget, Qt::Key_Right);
        QTest::keyClick(pWidget, Qt::Key_Down, Qt::ShiftModifier);
        CRect rect = rect0;
        rect.OffsetRect(1, 10);
        EXPECT_EQ(pItem->m_rectScreen, rect);
        CString strStatus;
        strStatus.Format("left=%d,top=%d", (int)rect.left, (int)rect.top);
        EXPECT_EQ(dlg.StatusText().Left(strStatus.GetLength()), strStatus);
        // The paper position in millimetres follows too.
        const LONG nTenths = (rect.left - dlg.m_rectPage.left) * 2450 / dlg.m_rectPage.Width();
        CString strMillimetres;
        strMillimetres.Format("x=%ld.%ld mm", nTenths / 10, nTenths % 10);
        EXPECT_GE(dlg.StatusText().Find(strMillimetres), 0) << dlg.StatusText().str();

        Drag(pWidget, rect.CenterPoint(), CPoint(rect.CenterPoint().x + 20, rect.CenterPoint().y));
        QTest::keyClick(pWidget, Qt::Key_Delete);
        ASSERT_EQ(m_set.GetItemCount(), 2);

        QTest::keyClick(pWidget, Qt::Key_Z, Qt::ControlModifier);   // the delete
        ASSERT_EQ(m_set.GetItemCount(), 3);
        rect.OffsetRect(20, 0);
        EXPECT_EQ(Item(m_set, 0)->m_rectScreen, rect);
        QTest::keyClick(pWidget, Qt::Key_Z, Qt::ControlModifier);   // the drag
        QTest::keyClick(pWidget, Qt::Key_Z, Qt::ControlModifier);   // Shift+Down
        QTest::keyClick(pWidget, Qt::Key_Z, Qt::ControlModifier);   // Right
        EXPECT_EQ(Item(m_set, 0)->m_rectScreen, rect0);
        QTest::keyClick(pWidget, Qt::Key_Z, Qt::ControlModifier);   // nothing left
        EXPECT_EQ(Item(m_set, 0)->m_rectScreen, rect0);
        QTest::keyClick(pWidget, Qt::Key_Y, Qt::ControlModifier);
        CRect rectRedone = rect0;
        rectRedone.OffsetRect(1, 0);
        EXPECT_EQ(Item(m_set, 0)->m_rectScreen, rectRedone);
        EXPECT_EQ(m_set.GetItemCount(), 3);

        QTest::keyClick(pWidget, Qt::Key_Escape);
        EXPECT_FALSE(pWidget->isVisible());
    });
    ASSERT_FALSE(m_dialogs.Calls().empty());
    EXPECT_TRUE(m_dialogs.Calls().back().bEndedByAnswer);
    ASSERT_EQ(m_set.GetItemCount(), 3);
    CPrintItem probe;
    probe.m_rectScreen = Item(m_set, 0)->m_rectScreen;
    probe.m_rectPage = Item(m_set, 0)->m_rectPage;
    probe.ScreenToPaper(&m_set);
    EXPECT_EQ(Item(m_set, 0)->m_rectPaper, probe.m_rectPaper);
}

// The window takes no typed text, so its input method stays off; the caret it reports for an
// input method's window is the selected item, and follows it.
TEST_F(SetupDlgTest, InputMethodCaretIsTheSelectedItem)
{
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        const auto query = [pWidget](Qt::InputMethodQuery q) {
            QInputMethodQueryEvent event(q);
            QCoreApplication::sendEvent(pWidget, &event);
            return event.value(q);
        };
        CRect rect;
        EXPECT_FALSE(dlg.GetCaretRect(&rect));
        EXPECT_FALSE(query(Qt::ImEnabled).toBool());
        QCoreApplication::processEvents();   // the window's activation
        QSignalSpy told(QGuiApplication::inputMethod(), &QInputMethod::cursorRectangleChanged);
        const CRect rectItem = Item(m_set, 1)->m_rectScreen;
        Press(pWidget, rectItem.CenterPoint());
        Release(pWidget, rectItem.CenterPoint());
        EXPECT_EQ(query(Qt::ImCursorRectangle).toRect(),
                  QRect(rectItem.left, rectItem.top, rectItem.Width(), rectItem.Height()));
        Drag(pWidget, rectItem.CenterPoint(), rectItem.CenterPoint() + CSize(15, 8));
        EXPECT_EQ(query(Qt::ImCursorRectangle).toRect(),
                  QRect(rectItem.left + 15, rectItem.top + 8, rectItem.Width(), rectItem.Height()));
        EXPECT_GE(told.count(), 2);   // of the selection and of the move
    });
}

// The composed view as the screen shows it: black frames, the red frame and black handles of
// the selected item, the light-blue size box.
TEST_F(SetupDlgTest, ComposedViewDrawsFramesAndHandles)
{
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        CPrintItem* pSelected = Item(m_set, 2);
        CPrintItem* pOther = Item(m_set, 0);
        Press(pWidget, pSelected->m_rectScreen.CenterPoint());
        Release(pWidget, pSelected->m_rectScreen.CenterPoint());
        Paint(dlg);
        const QImage& image = dlg.GetBackingImage();

        const CRect& o = pOther->m_rectScreen;
        EXPECT_TRUE(IsBlack(PixelAt(image, o.left, (o.top + o.bottom) / 2)));
        EXPECT_TRUE(IsBlack(PixelAt(image, o.right - 1, (o.top + o.bottom) / 2)));
        EXPECT_TRUE(IsBlack(PixelAt(image, (o.left * 3 + o.right) / 4, o.top)));
        EXPECT_TRUE(IsBlack(PixelAt(image, (o.left * 3 + o.right) / 4, o.bottom - 1)));
        EXPECT_FALSE(IsBlack(PixelAt(image, o.left - 2, (o.top + o.bottom) / 2)));

        const CRect& s = pSelected->m_rectScreen;
        const int x = (s.left * 3 + s.right) / 4;
        EXPECT_TRUE(IsRed(PixelAt(image, x, s.top)));
        EXPECT_TRUE(IsRed(PixelAt(image, x, s.bottom - 1)));
        EXPECT_TRUE(IsRed(PixelAt(image, s.left, s.top + 5)));
        for (const CRect& rectHandle : dlg.m_rectHandles) {
            for (int y = rectHandle.top; y < rectHandle.bottom; y++)
                for (int xh = rectHandle.left; xh < rectHandle.right; xh++)
                    EXPECT_TRUE(IsBlack(PixelAt(image, xh, y))) << xh << "," << y;
        }
        EXPECT_EQ(dlg.m_rectHandles[4], CRect(s.left - 1, (s.top + s.bottom) / 2 - 1, s.left + 2, (s.top + s.bottom) / 2 + 2));
        EXPECT_EQ(dlg.m_rectHandles[3], CRect(s.right - 2, s.bottom - 2, s.right + 1, s.bottom + 1));

        const CRect& b = dlg.m_rectSizeButton;
        EXPECT_EQ(PixelAt(image, b.left + 1, 1), QColor(153, 217, 234));
        EXPECT_EQ(PixelAt(image, b.right - 1, 18), QColor(153, 217, 234));

        // The item's text is drawn inside its first line.
        int nInk = 0;
        for (int y = o.top + 1; y < o.bottom - 1; y++)
            for (int xi = o.left + 1; xi < o.right - 1; xi++)
                nInk += qGray(image.pixel(xi, y)) < 100;
        EXPECT_GT(nInk, 10);
    });
}

// An item of a damaged file, its edges at the ends of the 32-bit range on a paper 100 units
// wide, edges crossed: it is placed at the ends of the on-screen range, can be selected,
// dragged, nudged, composed with its handles and edited, and its editor shows its width as
// the length it is.
TEST_F(SetupDlgTest, AnItemAtTheEndsOfTheRangeIsHandledLikeAnyOther)
{
    const LONG nScreenMax = MAX_DRAW_COORDINATE;
    m_set.m_nPaperWidth = m_set.m_nPaperHeight = 100;
    AddPaperItem(m_set, CRect(INT_MAX, 0, INT_MIN, 10), "{A}");
    UINT nShownWidth = 0;
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        CPrintItem* pItem = Item(m_set, 0);
        EXPECT_EQ(pItem->m_rectScreen.left, nScreenMax);
        EXPECT_EQ(pItem->m_rectScreen.right, -nScreenMax);
        const CPoint pt(dlg.m_rectPage.CenterPoint().x, pItem->m_rectScreen.top + 2);
        Drag(pWidget, pt, CPoint(pt.x + 13, pt.y + 1));
        ASSERT_EQ(dlg.m_pSelItem, pItem);
        QTest::keyClick(pWidget, Qt::Key_Right, Qt::ShiftModifier);
        EXPECT_EQ(pItem->m_rectScreen.left, nScreenMax + 23);
        EXPECT_EQ(pItem->m_rectScreen.right, -nScreenMax + 23);
        Paint(dlg);
        const auto ShownWidth = [&](CDialog& d) { nShownWidth = static_cast<CEditDlg&>(d).m_nWidth; };
        m_dialogs.QueueAnswer(IDD_EDIT_DIALOG, IDCANCEL, ShownWidth);
        DoubleClick(pWidget, CPoint(pt.x + 13, pt.y + 1));
        EXPECT_EQ(nShownWidth, 2u * nScreenMax);
        // Edges only a direct change gives: a width of INT_MIN is still shown as its length.
        pItem->m_rectScreen.SetRect(INT_MAX, 20, INT_MIN, 40);
        m_dialogs.QueueAnswer(IDD_EDIT_DIALOG, IDCANCEL, ShownWidth);
        dlg.EditItem(pItem);
        EXPECT_EQ(nShownWidth, 0x80000000u);
    });
    EXPECT_EQ(m_set.GetItemCount(), 1);
}

// What the design window holds is bounded, each bound met with words: no item beyond the
// layout's bound is added, a text too long to split whole is shown in part (and stays whole),
// and the undo history, kept in bounded memory, says where it was cut.
TEST_F(SetupDlgTest, BoundsAreMetWithAMessage)
{
    for (int i = 0; i < CPrintSet::MAX_ITEMS - 1; i++)
        AddPaperItem(m_set, CRect(10, 10, 20, 20), "");
    const CString strLong('x', CPrintItem::MAX_SPLIT_TOKENS + 7);
    AddPaperItem(m_set, CRect(100, 300, 2000, 400), "");
    Item(m_set, CPrintSet::MAX_ITEMS - 1)->m_strText = strLong;
    RunDesigner([&](CSetupDlg& dlg, QWidget* pWidget) {
        // The long text: split up to the bound, and said once.
        CPrintItem* pLong = Item(m_set, CPrintSet::MAX_ITEMS - 1);
        EXPECT_EQ(pLong->m_arrTokens.GetSize(), CPrintItem::MAX_SPLIT_TOKENS);
        ASSERT_EQ(m_boxes.Calls().size(), 1u);
        EXPECT_GE(m_boxes.Calls()[0].strText.Find(Gbk("排版窗口只显示它的前 65536 个字")), 0);

        // The layout is full: a double click on empty space adds nothing and says why.
        DoubleClick(pWidget, CPoint(dlg.m_rectPage.right - 3, dlg.m_rectPage.bottom - 3));
        EXPECT_EQ(m_set.GetItemCount(), (int)CPrintSet::MAX_ITEMS);
        ASSERT_EQ(m_boxes.Calls().size(), 2u);
        EXPECT_EQ(m_boxes.Calls()[1].strText, Gbk("版面上已有 1000 个打印项，不能再增加。"));

        // Steps that each keep a layout of 25 MB: the history holds two of five.
        pLong->m_strText = CString('y', 25 << 20);
        dlg.m_pSelItem = pLong;
        for (int i = 0; i < 5; i++)
            QTest::keyClick(pWidget, Qt::Key_Down);
        int nUndone = 0;
        while (dlg.Undo())
            nUndone++;
        EXPECT_EQ(nUndone, 2);   // 64 MB
        ASSERT_EQ(m_boxes.Calls().size(), 3u);
        EXPECT_EQ(m_boxes.Calls()[2].strText.Find(Gbk("不能再撤销")), 0);
        EXPECT_FALSE(dlg.Undo());   // told once
        EXPECT_EQ(m_boxes.Calls().size(), 3u);
        Item(m_set, CPrintSet::MAX_ITEMS - 1)->m_strText = strLong;   // undoing made the items anew
    });
    EXPECT_EQ(Item(m_set, CPrintSet::MAX_ITEMS - 1)->m_strText, strLong);
}

} // namespace

namespace {

// "界面排版" opens the design window on the main window's layout once the table has records.
TEST(SetupDlgOpening, LayoutButtonOpensTheDesignerOnTheDocumentLayout)
{
    Testing::CMessageBoxRecorder boxes;
    Testing::CModalDialogAnswerer dialogs;
    CMainApp app;
    CMainDlg dlg;
    ASSERT_TRUE(dlg.Create(CMainDlg::IDD));
    dlg.ShowWindow(SW_SHOW);
    auto* pButton = dlg.GetDlgItem(IDC_LAYOUT_DESIGN)->GetSafeHwnd();

    QTest::mouseClick(pButton, Qt::LeftButton);   // empty table: refused
    EXPECT_EQ(dialogs.Calls().size(), 0u);
    EXPECT_EQ(boxes.Calls().size(), 1u);

    const char* const pszFields[4] = {"张三", "一年级", "数学", "一等奖"};
    for (int nCol = 1; nCol <= 4; nCol++) {
        dlg.m_wndGrid.SetItemText(1, nCol, Gbk(pszFields[nCol - 1]));
        dlg.m_wndGrid.SetItemText(2, nCol, Gbk(pszFields[nCol - 1]));
    }
    CPrintSet* pSeen = nullptr;
    dialogs.QueueAnswer(IDD_SETUP_DIALOG, 0, [&](CDialog& d) { pSeen = static_cast<CSetupDlg&>(d).m_pPrintSet; });
    QTest::mouseClick(pButton, Qt::LeftButton);
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(pSeen, &dlg.m_printSet);
    EXPECT_EQ(dlg.m_printSet.GetItemCount(), 3);
    dlg.DestroyWindow();
}

} // namespace
