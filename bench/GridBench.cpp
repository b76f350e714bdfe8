// The record table's two hot paths: painting the visible table (against a QTableView showing
// the same cells) and setting up the 301 x 27 table with every data cell filled.
#include "Codec.h"
#include "Font.h"
#include "GridCtrl.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kRows = 301, kCols = 27;
const int kWidth = 780, kHeight = 600;

// The 300 records of seven fields, UTF-8, tab separated, CR LF lines.
const std::vector<QStringList>& Records()
{
    static const std::vector<QStringList> records = [] {
        std::vector<QStringList> result;
        QFile file(QStringLiteral(VELTRANE_BENCH_DATA "/records-300.tsv"));
        if (!file.open(QIODevice::ReadOnly))
            return result;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QByteArray trimmed = line.endsWith('\r') ? line.chopped(1) : line;
            if (!trimmed.isEmpty())
                result.push_back(QString::fromUtf8(trimmed).split(QLatin1Char('\t')));
        }
        return result;
    }();
    return records;
}

// Data cell (row, col) shows the record's fields again and again across the 26 columns.
QString CellText(int nRow, int nCol)
{
    const QStringList& fields = Records()[(size_t)(nRow - 1) % Records().size()];
    return fields.value((nCol - 1) % fields.size());
}

// The cell texts in the grid's code page, made once.
const std::vector<std::vector<CString>>& CellTexts()
{
    static const std::vector<std::vector<CString>> texts = [] {
        std::vector<std::vector<CString>> result(kRows, std::vector<CString>(kCols));
        for (int row = 1; row < kRows; row++)
            for (int col = 1; col < kCols; col++)
                result[row][col] = Codec::FromUnicode(CellText(row, col));
        return result;
    }();
    return texts;
}

// The main window's set-up: counts, headings "A".."Z" and "1".."300", heading column 40 wide.
void SetUpTable(CGridCtrl& grid)
{
    grid.SetRowCount(kRows);
    grid.SetColumnCount(kCols);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    const UINT nHeadingFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    for (int col = 1; col < kCols; col++) {
        const char szHeading[2] = {(char)('A' + col - 1), 0};
        grid.SetItemText(0, col, szHeading);
        grid.SetItemFormat(0, col, nHeadingFormat);
    }
    for (int row = 1; row < kRows; row++) {
        CString str;
        str.Format("%d", row);
        grid.SetItemText(row, 0, str);
        grid.SetItemFormat(row, 0, nHeadingFormat);
    }
    grid.SetColumnWidth(0, 40);
}

void FillTable(CGridCtrl& grid)
{
    const auto& texts = CellTexts();
    for (int row = 1; row < kRows; row++)
        for (int col = 1; col < kCols; col++)
            grid.SetItemText(row, col, texts[row][col]);
}

long ReadVmHWMKiloBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// A filled table in a top-level window, and a QTableView of the same cells, size and font.
struct PaintFixture {
    CWnd parent;
    CGridCtrl grid;
    QStandardItemModel model {kRows - 1, kCols - 1};
    QTableView view;
    QImage image {kWidth, kHeight, QImage::Format_RGB32};

    PaintFixture()
    {
        parent.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth + 20,
                        kHeight + 20, nullptr, 0);
        grid.Create(CRect(0, 0, kWidth, kHeight), &parent, 1);
        SetUpTable(grid);
        FillTable(grid);

        for (int col = 1; col < kCols; col++)
            model.setHorizontalHeaderItem(col - 1, new QStandardItem(QString(QChar('A' + col - 1))));
        for (int row = 1; row < kRows; row++) {
            model.setVerticalHeaderItem(row - 1, new QStandardItem(QString::number(row)));
            for (int col = 1; col < kCols; col++)
                model.setItem(row - 1, col - 1, new QStandardItem(CellText(row, col)));
        }
        view.setModel(&model);
        view.setFont(Font::FromLogFont(*grid.GetGridLogFont()));
        view.verticalHeader()->setFixedWidth(grid.GetColumnWidth(0));
        view.horizontalHeader()->setFixedHeight(grid.GetRowHeight(0));
        view.verticalHeader()->setMinimumSectionSize(1);
        view.verticalHeader()->setDefaultSectionSize(grid.GetRowHeight(1));
        view.horizontalHeader()->setDefaultSectionSize(grid.GetColumnWidth(1));
        view.resize(kWidth, kHeight);
        view.show();
        QApplication::processEvents();
    }

    void PaintGrid()
    {
        grid.Invalidate();
        grid.UpdateWindow();
    }
    void PaintView() { view.render(&image); }
};

template <typename F>
double Microseconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

// Building the table as the main window does and writing all 7800 data cells.
static void BM_SetUpAndFillTable(benchmark::State& state)
{
    if (Records().empty()) {
        state.SkipWithError("tests/data/records-300.tsv not found");
        return;
    }
    CellTexts();
    // Google Benchmark calls this more than once; the baseline is the peak before any table.
    static const long nHWMBefore = ReadVmHWMKiloBytes();
    CWnd parent;
    parent.CreateEx(0, nullptr, "bench", WS_POPUP, 0, 0, 800, 620, nullptr, 0);
    for (auto _ : state) {
        auto pGrid = std::make_unique<CGridCtrl>();
        pGrid->Create(CRect(0, 0, kWidth, kHeight), &parent, 1);
        SetUpTable(*pGrid);
        FillTable(*pGrid);
        benchmark::DoNotOptimize(pGrid->GetItemText(300, 26));
        state.PauseTiming();
        pGrid.reset();
        state.ResumeTiming();
    }
    const long nHWMAfter = ReadVmHWMKiloBytes();
    state.counters["VmHWM_kB"] = (double)nHWMAfter;
    state.counters["VmHWM_growth_kB"] = (double)(nHWMAfter - nHWMBefore);
    state.counters["cells"] = (double)((kRows - 1) * (kCols - 1));
}
BENCHMARK(BM_SetUpAndFillTable)->Unit(benchmark::kMillisecond);

// One full paint of the grid's 780 x 600 client area (double-buffered, into its backing image).
static void BM_GridPaint(benchmark::State& state)
{
    if (Records().empty()) {
        state.SkipWithError("tests/data/records-300.tsv not found");
        return;
    }
    PaintFixture f;
    for (auto _ : state)
        f.PaintGrid();
}
BENCHMARK(BM_GridPaint)->Unit(benchmark::kMicrosecond);

// The same cells in a QTableView of the same size and font, rendered into a QImage.
static void BM_QTableViewPaint(benchmark::State& state)
{
    if (Records().empty()) {
        state.SkipWithError("tests/data/records-300.tsv not found");
        return;
    }
    PaintFixture f;
    for (auto _ : state)
        f.PaintView();
}
BENCHMARK(BM_QTableViewPaint)->Unit(benchmark::kMicrosecond);

// Both paints alternated in one loop, so the ratio compares them under the same conditions.
static void BM_PaintRatio(benchmark::State& state)
{
    if (Records().empty()) {
        state.SkipWithError("tests/data/records-300.tsv not found");
        return;
    }
    PaintFixture f;
    double dGrid = 0, dView = 0;
    for (auto _ : state) {
        dGrid += Microseconds([&] { f.PaintGrid(); });
        dView += Microseconds([&] { f.PaintView(); });
    }
    const double n = (double)state.iterations();
    state.counters["grid_us"] = dGrid / n;
    state.counters["qtableview_us"] = dView / n;
    state.counters["grid_per_qtableview"] = dView > 0 ? dGrid / dView : 0;
}
BENCHMARK(BM_PaintRatio)->Unit(benchmark::kMicrosecond);
