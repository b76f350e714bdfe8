// Stepping the preview to the next record: split the items, draw the 2450 x 1760 page with its
// background, repaint the control. Against drawing the background alone at that size, in the
// same run. Argument 0: the built-in picture; 1: a back.jpg in the program's folder. Times are
// wall clock, with the CPU time of the whole process beside them (smooth scaling runs on
// worker threads too).
#include "common/PreviewSetup.h"
#include "Picture.h"

#include <benchmark/benchmark.h>

namespace {

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
    CRect rectClient;
    wnd.GetClientRect(&rectClient);
    state.counters["client_w"] = rectClient.Width();
    state.counters["client_h"] = rectClient.Height();
}
BENCHMARK(BM_StepToNextRecord)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

// The two halves of a step, for where the time goes: the next record onto the page, and the
// whole page onto the screen.
void BM_DrawPageOnly(benchmark::State& state)
{
    CPreviewSetup setup(state.range(0) != 0);
    CCertificateWnd& wnd = setup.preview.m_wndCertificate;
    for (auto _ : state) {
        if (setup.dlg.m_nCurRecord >= 300)
            setup.dlg.m_nCurRecord = 0;
        setup.dlg.m_nCurRecord++;
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
