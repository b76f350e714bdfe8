// Dragging an item in the design window: each mouse move recomposes the view from the cached
// background and the items, and the window repaints with one copy. Measured with 20 items on a
// 2450 x 1760 layout at the window's own size, against one copy of the background view.
#include "PrintItem.h"
#include "PrintSet.h"
#include "SetupDlg.h"

#include "Codec.h"
#include "Testing.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

namespace {

const char* const s_pszTexts[] = {
    "{C}同学:",
    "　　你制作的作品《{D}》获{A}组{B}类{E}等奖。\r\n　　特发此证",
    "二０二０年十二月",
    "{A}组 {B}类",
};

// Twenty items in four columns and five rows over the page.
void FillLayout(CPrintSet& set)
{
    for (int i = 0; i < 20; i++) {
        auto* pItem = new CPrintItem;
        const int nLeft = 60 + (i % 4) * 590, nTop = 80 + (i / 4) * 330;
        pItem->m_rectPaper = CRect(nLeft, nTop, nLeft + 560, nTop + 73);
        pItem->m_strText = Codec::FromUnicode(QString::fromUtf8(s_pszTexts[i % 4]));
        pItem->m_strFontName = Codec::FromUnicode(QString::fromUtf8("楷体_GB2312"));
        set.m_arrItems.Add(pItem);
    }
}

void SendMouse(QWidget* pWidget, QEvent::Type type, QPoint pt, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pt), QPointF(pWidget->mapToGlobal(pt)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &event);
}

void BM_DragRecomposeAndRepaint(benchmark::State& state)
{
    CPrintSet set;
    FillLayout(set);
    Testing::CMessageBoxRecorder boxes;
    Testing::CModalDialogAnswerer dialogs;
    CSetupDlg dlg;
    dlg.m_pPrintSet = &set;
    dialogs.QueueAnswer(IDD_SETUP_DIALOG, 0, [&](CDialog& d) {
        auto& setup = static_cast<CSetupDlg&>(d);
        QWidget* pWidget = setup.GetSafeHwnd();
        setup.Invalidate(FALSE);
        setup.UpdateWindow();   // the first paint makes both views and places the items
        CPrintItem* pItem = set.GetItem(5);
        const QPoint ptDown(pItem->m_rectScreen.left + 3, pItem->m_rectScreen.top + 3);
        SendMouse(pWidget, QEvent::MouseButtonPress, ptDown, Qt::LeftButton);
        if (setup.m_strDragMode != "boxMove" || !setup.m_pBackDC) {
            state.SkipWithError("the press did not start a drag");
            return;
        }
        int nStep = 0;
        QPoint ptLast = ptDown;
        const auto startDrag = std::chrono::steady_clock::now();
        for (auto _ : state) {
            const QPoint pt = ptDown + QPoint(nStep % 40, (nStep / 40) % 20);
            ptLast = pt;
            SendMouse(pWidget, QEvent::MouseMove, pt, Qt::LeftButton);
            setup.UpdateWindow();   // the paint handler's copy into the window
            pWidget->repaint();     // and the window's to the screen
            ++nStep;
        }
        if (pItem->m_rectScreen.TopLeft() != CPoint(ptLast.x() - 3, ptLast.y() - 3))
            state.SkipWithError("the item did not follow the mouse");
        const double dMoveUs = std::chrono::duration<double, std::micro>(
                                   std::chrono::steady_clock::now() - startDrag).count() / std::max(1, nStep);
        SendMouse(pWidget, QEvent::MouseButtonRelease, ptDown, Qt::NoButton);
        if (dMoveUs > 8000)
            state.SkipWithError("a mouse move takes more than 8 ms to reach the screen");

        // One copy of the background view, in the same run and at the same size.
        CDC dcTarget;
        dcTarget.CreateCompatibleDC(nullptr);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(&dcTarget, setup.m_nClientWidth, setup.m_nClientHeight);
        dcTarget.SelectObject(&bitmap);
        const int nCopies = 2000;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < nCopies; i++)
            dcTarget.BitBlt(0, 0, setup.m_nClientWidth, setup.m_nClientHeight, setup.m_pBackDC, 0, 0, SRCCOPY);
        const double dBlitUs =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / nCopies;
        state.counters["client_w"] = setup.m_nClientWidth;
        state.counters["client_h"] = setup.m_nClientHeight;
        state.counters["bitblt_us"] = dBlitUs;
        state.counters["items"] = set.GetItemCount();
        state.counters["move_per_bitblt"] = dMoveUs / dBlitUs;
    });
    dlg.DoModal();
}
BENCHMARK(BM_DragRecomposeAndRepaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
