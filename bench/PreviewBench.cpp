// Stepping the preview to the next record: split the items, draw the 2450 x 1760 page with its
// background, repaint the control. Against drawing the background alone at that size, in the
// same run. Argument 0: the built-in picture; 1: a back.jpg in the program's folder. Times are
// wall clock, with the CPU time of the whole process beside them (smooth scaling runs on
// worker threads too).
#include "Codec.h"
#include "SampleRecords.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "Picture.h"
#include "PreviewDlg.h"
#include "PrintItem.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

// The program's main window with the 300 sample records and a certificate of five items.
struct CPreviewSetup {
    explicit CPreviewSetup(bool bPictureFile)
    {
        std::strcpy(app.m_szAppDir, Codec::FromUnicode(dir.path()));
        if (bPictureFile)
            QFile::copy(":/res/back.jpg", dir.filePath("back.jpg"));
        dlg.Create(CMainDlg::IDD);
        app.m_pMainWnd = &dlg;
        LoadSampleRecords(dlg.m_wndGrid);
        AddItem(CRect(300, 560, 1400, 640), "{C}同学：");
        AddItem(CRect(400, 700, 2100, 780), "　　你的作品《{D}》在{B}比赛{A}组中荣获{E}等奖。\r\n特发此证，以资鼓励。");
        AddItem(CRect(300, 1100, 1200, 1160), "指导老师：{G}");
        AddItem(CRect(1500, 1250, 2100, 1310), "{F}");
        AddItem(CRect(1500, 1400, 2100, 1460), "二〇二六年十二月");

        dlg.m_nCurRecord = 1;
        preview.m_pPrintSet = &dlg.m_printSet;
        preview.Create(CPreviewDlg::IDD, &dlg);
        preview.ShowWindow(SW_SHOW);
        preview.m_wndCertificate.UpdateWindow();   // the first paint makes the page
    }
    ~CPreviewSetup()
    {
        preview.DestroyWindow();
        app.m_pMainWnd = nullptr;
        dlg.DestroyWindow();
    }
    void AddItem(const CRect& rect, const char* pszText)
    {
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = rect;
        pItem->m_strText = Gbk(pszText);
        pItem->m_strFontName = Gbk("楷体_GB2312");
        dlg.m_printSet.m_arrItems.Add(pItem);
    }

    QTemporaryDir dir;
    CMainApp app;
    CMainDlg dlg;
    CPreviewDlg preview;
};

void BM_StepToNextRecord(benchmark::State& state)
{
    CPreviewSetup setup(state.range(0) != 0);
    CCertificateWnd& wnd = setup.preview.m_wndCertificate;
    if (wnd.GetPageSize() != CSize(2450, 1760))
        state.SkipWithError("no page");
    for (auto _ : state) {
        if (setup.dlg.m_nCurRecord >= 300)
            setup.dlg.m_nCurRecord = 0;
        wnd.ShowNext();
        wnd.UpdateWindow();
    }
}
BENCHMARK(BM_StepToNextRecord)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

// The two halves of a step, for where the time goes.
void BM_DrawPageOnly(benchmark::State& state)
{
    CPreviewSetup setup(state.range(0) != 0);
    CCertificateWnd& wnd = setup.preview.m_wndCertificate;
    for (auto _ : state) {
        wnd.SplitAllItems();
        wnd.DrawPage(TRUE);
    }
}
BENCHMARK(BM_DrawPageOnly)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_RepaintOnly(benchmark::State& state)
{
    CPreviewSetup setup(state.range(0) != 0);
    CCertificateWnd& wnd = setup.preview.m_wndCertificate;
    for (auto _ : state) {
        wnd.Invalidate(TRUE);
        wnd.UpdateWindow();
    }
}
BENCHMARK(BM_RepaintOnly)->Arg(1)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_BackgroundAlone(benchmark::State& state)
{
    CPreviewSetup setup(state.range(0) != 0);
    CDC* pDC = setup.preview.m_wndCertificate.m_pMemDC;
    CPicture picture;
    const CRect rect(0, 0, 2450, 1760);
    DrawBackground(picture, pDC, rect);
    for (auto _ : state)
        DrawBackground(picture, pDC, rect);
}
BENCHMARK(BM_BackgroundAlone)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
