// Exporting the 300 sample records to one PDF (target: under 3 s), and the peak memory of an
// export of 30 and of 300 records, each measured in a child process of its own (VmHWM), beside
// a child that sets up the same document and exports nothing.
#include "Codec.h"
#include "SampleRecords.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "PdfExport.h"
#include "PrintItem.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// The main window with the sample records, the first nRecords of them printable, and a
// certificate of five items in two faces.
struct CExportSetup {
    explicit CExportSetup(int nRecords)
    {
        std::strcpy(app.m_szAppDir, Codec::FromUnicode(dir.path()));
        dlg.Create(CMainDlg::IDD);
        app.m_pMainWnd = &dlg;
        LoadSampleRecords(dlg.m_wndGrid);
        if (nRecords < 300)
            dlg.m_wndGrid.SetItemText(nRecords + 1, 1, "");
        AddItem(CRect(300, 560, 1400, 640), "{C}同学：", "楷体_GB2312");
        AddItem(CRect(400, 700, 2100, 780), "　　你的作品《{D}》在{B}比赛{A}组中荣获{E}等奖。\r\n特发此证，以资鼓励。",
                "楷体_GB2312");
        AddItem(CRect(300, 1100, 1200, 1160), "指导老师：{G}", "宋体");
        AddItem(CRect(1500, 1250, 2100, 1310), "{F}", "宋体");
        AddItem(CRect(1500, 1400, 2100, 1460), "二〇二六年十二月", "楷体_GB2312");
        dlg.m_nCurRecord = 1;
    }
    ~CExportSetup()
    {
        app.m_pMainWnd = nullptr;
        dlg.DestroyWindow();
    }
    void AddItem(const CRect& rect, const char* pszText, const char* pszFont)
    {
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = rect;
        pItem->m_strText = Gbk(pszText);
        pItem->m_strFontName = Gbk(pszFont);
        dlg.m_printSet.m_arrItems.Add(pItem);
    }
    int Export(bool bBackground)
    {
        CPdfExport pdf(&dlg.m_printSet);
        pdf.m_bBackground = bBackground;
        return pdf.Export(Codec::FromUnicode(dir.filePath("out.pdf")));
    }

    QTemporaryDir dir;
    CMainApp app;
    CMainDlg dlg;
};

void BM_ExportPdf(benchmark::State& state)
{
    CExportSetup setup((int)state.range(0));
    int nPages = 0;
    for (auto _ : state)
        nPages = setup.Export(state.range(1) != 0);
    state.counters["pages"] = nPages;
    state.counters["per_page"] =
        benchmark::Counter(nPages, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["pdf_KB"] = (double)QFileInfo(setup.dir.filePath("out.pdf")).size() / 1024.0;
}
BENCHMARK(BM_ExportPdf)->ArgNames({"records", "background"})->Args({300, 0})->Args({300, 1})->Args({30, 0})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

long PeakKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string strLine;
    while (std::getline(status, strLine))
        if (strLine.rfind("VmHWM:", 0) == 0)
            return std::atol(strLine.c_str() + 6);
    return -1;
}

// A child: sets up, exports nRecords (none for 0), prints its peak memory in kB.
int RunChild(int nRecords)
{
    CExportSetup setup(nRecords == 0 ? 300 : nRecords);
    int nPages = nRecords == 0 ? 0 : setup.Export(false);
    std::printf("%d %ld %lld\n", nPages, PeakKilobytes(),
                nRecords == 0 ? 0LL : (long long)QFileInfo(setup.dir.filePath("out.pdf")).size());
    return 0;
}

void ReportPeakMemory(const char* pszProgram)
{
    std::printf("\nPeak memory (VmHWM) of a whole export, one child process each:\n");
    for (int nRecords : {0, 30, 300}) {
        QProcess child;
        child.start(QString::fromLocal8Bit(pszProgram), {QStringLiteral("--vmhwm"), QString::number(nRecords)});
        child.waitForFinished(120000);
        const QStringList fields = QString::fromLatin1(child.readAllStandardOutput()).split(' ');
        if (fields.size() < 3) {
            std::printf("  %3d records: the child failed\n", nRecords);
            continue;
        }
        std::printf("  %3d records: %s pages, VmHWM %s kB, PDF %lld kB\n", nRecords, qPrintable(fields[0]),
                    qPrintable(fields[1]), fields[2].trimmed().toLongLong() / 1024);
    }
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--vmhwm") == 0)
        return RunChild(std::atoi(argv[2]));
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    ReportPeakMemory(argv[0]);
    return 0;
}
