// "Print all" of the 300 sample records to a cups-pdf queue on a private CUPS server, the
// pages copied as pictures (/0) and, as 清晰打印 has it, the texts drawn as text (/1). Timed:
// until the job has been handed to CUPS. Counted beside it: the size of the job CUPS holds
// (the queue is stopped while the job is handed over, so the document stays in its spool),
// how its page images are encoded (pdfimages -list), and the time the cups-pdf queue then
// needs to finish it.
#include "common/PreviewSetup.h"
#include "PrintJob.h"
#include "../tests/print/CupsTestServer.h"

#include <QSettings>
#include <benchmark/benchmark.h>

namespace {

qint64 SpooledBytes(const CCupsTestServer& server)
{
    qint64 nBytes = 0;
    for (const QString& strFile : server.SpooledFiles())
        nBytes += QFileInfo(strFile).size();
    return nBytes;
}

// One server for the process, stopped when it exits: the CUPS library keeps the server it
// first talked to.
CCupsTestServer* GetServer(QString& strWhy)
{
    static QString s_strWhy;
    static std::unique_ptr<CCupsTestServer> s_pServer = [] {
        auto pServer = std::make_unique<CCupsTestServer>();
        if (!pServer->Start(s_strWhy))
            pServer.reset();
        return pServer;
    }();
    strWhy = s_strWhy;
    return s_pServer.get();
}

void BM_PrintAll300(benchmark::State& state)
{
    QString strWhy;
    CCupsTestServer* pServer = GetServer(strWhy);
    if (!pServer) {
        state.SkipWithError(("no private CUPS server: " + strWhy).toStdString().c_str());
        return;
    }
    CCupsTestServer& server = *pServer;
    CPreviewSetup setup(false);
    CCertificateWnd& wnd = setup.preview.m_wndCertificate;
    // The queue's calibration goes into settings of the benchmark's own.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, setup.dir.path());
    CPrinterCalibration calibration;
    calibration.m_bVectorText = state.range(0) != 0;
    calibration.Write(Codec::FromUnicode(server.Queue()));
    int nPages = 0;
    double dFinish = 0, dBytes = 0;
    QList<QStringList> images;
    for (auto _ : state) {
        state.PauseTiming();
        server.ClearPdfs();
        server.Admin("cupsdisable");
        state.ResumeTiming();
        setup.dlg.m_nCurRecord = 1;
        CPrintJob job(wnd);
        const int nSent = job.PrintRecords(FALSE);
        state.PauseTiming();
        if (nSent != 300) {
            state.SkipWithError(Codec::ToUnicode(job.m_strError).toStdString().c_str());
            break;
        }
        nPages += nSent;
        dBytes += (double)SpooledBytes(server);
        images = CCupsTestServer::PdfImages(server.SpooledFiles().value(0));
        QElapsedTimer timer;
        timer.start();
        server.Admin("cupsenable");
        const QStringList pdfs = server.WaitForPdfs(1, 600000);
        dFinish += timer.elapsed() / 1000.0;
        if (pdfs.size() != 1) {
            state.SkipWithError("cups-pdf wrote no PDF");
            break;
        }
        state.ResumeTiming();
    }
    const double nRuns = std::max<double>(1, (double)state.iterations());
    state.counters["job_MB"] = dBytes / nRuns / 1e6;
    state.counters["job_KB_per_page"] = dBytes / std::max(1, nPages) / 1e3;
    state.counters["cups_pdf_s"] = dFinish / nRuns;
    state.counters["images"] = images.size();
    state.counters["jpeg_images"] = std::count_if(images.begin(), images.end(), [](const QStringList& row) {
        return row.value(8) == QStringLiteral("jpeg");
    });
    // Time per page until handed over.
    state.counters["per_page"] = benchmark::Counter(nPages, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(nPages);
}
BENCHMARK(BM_PrintAll300)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
