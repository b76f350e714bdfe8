// "Print all" of the 300 sample records to a cups-pdf queue on a private CUPS server: the time
// until the job has been handed to CUPS, per page. What CUPS does with it afterwards is not
// timed; the jobs are cancelled between runs.
#include "common/PreviewSetup.h"
#include "../tests/print/CupsTestServer.h"

#include <benchmark/benchmark.h>

namespace {

void CancelJobs()
{
    QProcess process;
    process.start("cancel", {"-a"});
    process.waitForFinished(10000);
}

void BM_PrintAll300(benchmark::State& state)
{
    CCupsTestServer server;
    QString strWhy;
    if (!server.Start(strWhy)) {
        state.SkipWithError(("no private CUPS server: " + strWhy).toStdString().c_str());
        return;
    }
    CPreviewSetup setup(false);
    CCertificateWnd& wnd = setup.preview.m_wndCertificate;
    int nPages = 0;
    for (auto _ : state) {
        CString strError;
        const int nSent = wnd.PrintFrom(1, strError);
        if (nSent != 300 || !strError.IsEmpty()) {
            state.SkipWithError(Codec::ToUnicode(strError).toStdString().c_str());
            break;
        }
        nPages += nSent;
        state.PauseTiming();
        CancelJobs();
        state.ResumeTiming();
    }
    // Time per page.
    state.counters["per_page"] = benchmark::Counter(nPages, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(nPages);
}
BENCHMARK(BM_PrintAll300)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
