// The record table's clipboard paths, each against the least work it could do:
// - paste: Ctrl+V of 300 lines x 26 fields of Chinese text (8 characters a field) at cell
//   (1, 1), from the key event to the handler's return, against splitting the same text into
//   7800 std::string fields;
// - copy: Ctrl+A and Ctrl+C of all 7800 cells, against joining 7800 std::string fields into
//   one tab- and line-separated text.
// Each benchmark reports its ratio to the floor measured in the same run ("x_floor"); the copy
// also against the paste's floor ("x_split_floor").
#include "Codec.h"
#include "GridCtrl.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QKeyEvent>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

const int kRows = 301, kCols = 27;
const int kLines = 300, kFields = 26, kCharsPerField = 8;

using Clock = std::chrono::steady_clock;

// All characters of the 300 real records, fields run together.
QString RecordCharacters()
{
    QFile file(QStringLiteral(VELTRANE_BENCH_DATA "/records-300.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString strAll = QString::fromUtf8(file.readAll());
    strAll.remove('\r').remove('\n').remove('\t');
    return strAll;
}

// 300 lines of 26 fields, each 8 consecutive characters of the records, as a spreadsheet
// copies them: TAB between fields, CR LF after every line.
const QString& PasteText()
{
    static const QString text = [] {
        const QString strChars = RecordCharacters();
        QString result;
        qsizetype pos = 0;
        for (int line = 0; line < kLines; line++) {
            for (int field = 0; field < kFields; field++) {
                if (pos + kCharsPerField > strChars.size())
                    pos = 0;
                result += strChars.mid(pos, kCharsPerField);
                pos += kCharsPerField;
                result += field + 1 < kFields ? QStringLiteral("\t") : QStringLiteral("\r\n");
            }
        }
        return result;
    }();
    return text;
}

const CString& PasteBytes()
{
    static const CString bytes = Codec::FromUnicode(PasteText());
    return bytes;
}

// The least a paste must do with the text: cut it into its fields.
std::vector<std::string> SplitFields(const std::string& text)
{
    std::vector<std::string> fields;
    fields.reserve(kLines * kFields);
    size_t nStart = 0;
    for (size_t i = 0; i < text.size(); i++) {
        const char ch = text[i];
        if (ch == '\t' || ch == '\n') {
            size_t nEnd = i;
            if (nEnd > nStart && text[nEnd - 1] == '\r')
                nEnd--;
            fields.emplace_back(text, nStart, nEnd - nStart);
            nStart = i + 1;
        }
    }
    return fields;
}

// The least a copy must do: join the fields back into one text.
std::string JoinFields(const std::vector<std::string>& fields)
{
    std::string text;
    for (size_t i = 0; i < fields.size(); i++) {
        text += fields[i];
        if (i + 1 < fields.size())
            text += (i + 1) % kFields == 0 ? '\n' : '\t';
    }
    return text;
}

// The main window's table in an owner that ignores the notifications, as the main window does.
struct TableWindow {
    CWnd owner;
    CGridCtrl grid;

    TableWindow()
    {
        owner.CreateEx(0, nullptr, "bench", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, 0);
        grid.Create(CRect(0, 0, 780, 580), &owner, 1);
        grid.SetRowCount(kRows);
        grid.SetColumnCount(kCols);
        grid.SetFixedRowCount(1);
        grid.SetFixedColumnCount(1);
        grid.SetColumnWidth(0, 40);
        grid.SetFocus();
        QApplication::processEvents();
    }
};

TableWindow& Table()
{
    static TableWindow* pWindow = new TableWindow;   // lives until the program ends
    return *pWindow;
}

// Sends Ctrl+<key> to the grid and returns how long the key press took to handle.
double PressCtrl(CGridCtrl& grid, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::ControlModifier);
    const Clock::time_point start = Clock::now();
    QApplication::sendEvent(grid.m_hWnd, &press);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    QApplication::sendEvent(grid.m_hWnd, &release);
    return seconds;
}

double g_splitSeconds = 0;   // mean time of one split, for the paste's ratio
double g_joinSeconds = 0;    // mean time of one join, for the copy's ratio

void BM_SplitFloor(benchmark::State& state)
{
    const std::string& text = PasteBytes().str();
    double total = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        std::vector<std::string> fields = SplitFields(text);
        benchmark::DoNotOptimize(fields.data());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        if (fields.size() != (size_t)(kLines * kFields))
            state.SkipWithError("the text did not split into 7800 fields");
    }
    g_splitSeconds = total / (double)state.iterations();
}
BENCHMARK(BM_SplitFloor)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_PasteCtrlV(benchmark::State& state)
{
    TableWindow& table = Table();
    QApplication::clipboard()->setText(PasteText());
    double total = 0;
    for (auto _ : state) {
        table.grid.SetFocusCell(1, 1);
        const double seconds = PressCtrl(table.grid, Qt::Key_V);
        state.SetIterationTime(seconds);
        total += seconds;
    }
    if (table.grid.GetItemText(300, 26).GetLength() != 2 * kCharsPerField)
        state.SkipWithError("the paste did not reach cell (300, 26)");
    const double mean = total / (double)state.iterations();
    state.counters["x_floor"] = g_splitSeconds > 0 ? mean / g_splitSeconds : 0;
}
BENCHMARK(BM_PasteCtrlV)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_JoinFloor(benchmark::State& state)
{
    const std::vector<std::string> fields = SplitFields(PasteBytes().str());
    double total = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        std::string text = JoinFields(fields);
        benchmark::DoNotOptimize(text.data());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    g_joinSeconds = total / (double)state.iterations();
}
BENCHMARK(BM_JoinFloor)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Ctrl+A then Ctrl+C over the filled table; the Ctrl+C part alone is reported as "copy_us".
void BM_CopyAllCtrlACtrlC(benchmark::State& state)
{
    TableWindow& table = Table();
    table.grid.SetFocusCell(1, 1);
    QApplication::clipboard()->setText(PasteText());
    PressCtrl(table.grid, Qt::Key_V);
    double total = 0, totalCopy = 0;
    for (auto _ : state) {
        const double selectSeconds = PressCtrl(table.grid, Qt::Key_A);
        const double copySeconds = PressCtrl(table.grid, Qt::Key_C);
        state.SetIterationTime(selectSeconds + copySeconds);
        total += selectSeconds + copySeconds;
        totalCopy += copySeconds;
    }
    const QString strCopied = QApplication::clipboard()->text();
    if (strCopied.size() != kLines * kFields * (kCharsPerField + 1) - 1)
        state.SkipWithError("the copy did not hold all 7800 cells");
    const double mean = total / (double)state.iterations();
    const double meanCopy = totalCopy / (double)state.iterations();
    state.counters["copy_us"] = meanCopy * 1e6;
    state.counters["x_floor"] = g_joinSeconds > 0 ? mean / g_joinSeconds : 0;
    state.counters["copy_x_floor"] = g_joinSeconds > 0 ? meanCopy / g_joinSeconds : 0;
    state.counters["x_split_floor"] = g_splitSeconds > 0 ? mean / g_splitSeconds : 0;
}
BENCHMARK(BM_CopyAllCtrlACtrlC)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
