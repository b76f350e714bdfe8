// "Print all" of the 300 sample records to a cups-pdf queue on a private CUPS server. Timed:
// until the job has been handed to CUPS. Counted beside it: the size of the job CUPS holds
// (the queue is stopped while the job is handed over, so the document stays in its spool),
// the time the cups-pdf queue then needs to finish it, and how the page images of the PDF it
// writes are encoded (pdfimages -list).
#include "common/PreviewSetup.h"
#include "../tests/print/CupsTestServer.h"

#include <benchmark/benchmark.h>

namespace {

qint64 SpooledBytes(const CCupsTestServer& server)
{
    qint64 nBytes = 0;
    for (const QFileInfo& info : QDir(server.SpoolDir()).entryInfoList({"d*"}, QDir::Files))
        nBytes += info.size();
    return nBytes;
}

// The images of the PDF: how many, and how many of them JPEG (DCT).
std::pair<int, int> CountImages(const QString& strPdf)
{
    QProcess process;
    process.start("pdfimages", {"-list", strPdf});
    process.waitForFinished(120000);
    int nImages = 0, nJpeg = 0;
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString& strLine : lines.mid(2)) {
        nImages++;
        nJpeg += strLine.contains(QStringLiteral(" jpeg "));
    }
    return {nImages, nJpeg};
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
    double dFinish = 0, dBytes = 0;
    std::pair<int, int> images;
    for (auto _ : state) {
        state.PauseTiming();
        server.ClearPdfs();
        server.Admin("cupsdisable");
        state.ResumeTiming();
        CString strError;
        const int nSent = wnd.PrintFrom(1, strError);
        state.PauseTiming();
        if (nSent != 300) {
            state.SkipWithError(Codec::ToUnicode(strError).toStdString().c_str());
            break;
        }
        nPages += nSent;
        dBytes += (double)SpooledBytes(server);
        QElapsedTimer timer;
        timer.start();
        server.Admin("cupsenable");
        const QStringList pdfs = server.WaitForPdfs(1, 600000);
        dFinish += timer.elapsed() / 1000.0;
        if (pdfs.size() != 1) {
            state.SkipWithError("cups-pdf wrote no PDF");
            break;
        }
        images = CountImages(pdfs[0]);
        state.ResumeTiming();
    }
    const double nRuns = std::max<double>(1, (double)state.iterations());
    state.counters["job_MB"] = dBytes / nRuns / 1e6;
    state.counters["job_KB_per_page"] = dBytes / std::max(1, nPages) / 1e3;
    state.counters["cups_pdf_s"] = dFinish / nRuns;
    state.counters["images"] = images.first;
    state.counters["jpeg_images"] = images.second;
    // Time per page until handed over.
    state.counters["per_page"] = benchmark::Counter(nPages, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(nPages);
}
BENCHMARK(BM_PrintAll300)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
