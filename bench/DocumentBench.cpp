// Saving and loading a full document (300 x 26 cells of 8 Chinese characters, 20 items),
// against writing and reading the same number of bytes with one fwrite and one fread.
#include "Codec.h"
#include "MainDlg.h"
#include "PrintItem.h"

#include <QString>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char kChinese[] = "荣誉证书一等奖学生优秀作品二三等级高中初中小学书法摄影编程征文";

std::string TempPath(const char* pszName)
{
    return "/tmp/veltrane-bench-" + std::to_string(getpid()) + "-" + pszName;
}

// The main dialog holding a full document, set up as the program sets up its table.
std::unique_ptr<CMainDlg> MakeFullDocument()
{
    auto pDlg = std::make_unique<CMainDlg>();
    CGridCtrl& grid = pDlg->m_wndGrid;
    grid.SetRowCount(301);
    grid.SetColumnCount(27);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    const QString chinese = QString::fromUtf8(kChinese);
    for (int nRow = 1; nRow <= 300; nRow++)
        for (int nCol = 1; nCol <= 26; nCol++)
            grid.SetItemText(nRow, nCol, Codec::FromUnicode(chinese.mid((nRow + nCol) % 24, 8)));
    for (int i = 0; i < 20; i++) {
        CPrintItem* pItem = new CPrintItem;
        pItem->m_rectPaper.SetRect(100 + i, 80 * i, 2000, 80 * i + 60);
        pItem->m_strText = Codec::FromUnicode(QString::fromUtf8("{A}同学:\r\n  在{B}比赛中荣获{C}。"));
        pItem->m_strFontName = Codec::FromUnicode(QString::fromUtf8("楷体_GB2312"));
        pDlg->m_printSet.m_arrItems.Add(pItem);
    }
    return pDlg;
}

std::string FileBytes(const std::string& strPath)
{
    std::string strData;
    if (FILE* pFile = std::fopen(strPath.c_str(), "rb")) {
        char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pFile)) > 0)
            strData.append(buf, n);
        std::fclose(pFile);
    }
    return strData;
}

void BM_SaveDocument(benchmark::State& state)
{
    auto pDlg = MakeFullDocument();
    const std::string strPath = TempPath("save.zs");
    pDlg->m_strPathName = strPath.c_str();
    for (auto _ : state)
        if (!pDlg->SaveDocument())
            state.SkipWithError("save failed");
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)FileBytes(strPath).size());
    std::remove(strPath.c_str());
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMicrosecond);

void BM_WriteFloor(benchmark::State& state)
{
    auto pDlg = MakeFullDocument();
    const std::string strSaved = TempPath("floor-source.zs");
    pDlg->m_strPathName = strSaved.c_str();
    pDlg->SaveDocument();
    const std::string strData = FileBytes(strSaved);
    const std::string strPath = TempPath("floor.bin");
    for (auto _ : state) {
        FILE* pFile = std::fopen(strPath.c_str(), "wb");
        std::fwrite(strData.data(), 1, strData.size(), pFile);
        std::fclose(pFile);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)strData.size());
    std::remove(strPath.c_str());
    std::remove(strSaved.c_str());
}
BENCHMARK(BM_WriteFloor)->Unit(benchmark::kMicrosecond);

void BM_LoadDocument(benchmark::State& state)
{
    auto pSource = MakeFullDocument();
    const std::string strPath = TempPath("load.zs");
    pSource->m_strPathName = strPath.c_str();
    pSource->SaveDocument();
    auto pDlg = MakeFullDocument();
    for (auto _ : state)
        if (!pDlg->LoadDocument(strPath.c_str()))
            state.SkipWithError("load failed");
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)FileBytes(strPath).size());
    std::remove(strPath.c_str());
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMicrosecond);

void BM_ReadFloor(benchmark::State& state)
{
    auto pSource = MakeFullDocument();
    const std::string strPath = TempPath("read.zs");
    pSource->m_strPathName = strPath.c_str();
    pSource->SaveDocument();
    const size_t nSize = FileBytes(strPath).size();
    std::string strData(nSize, '\0');
    for (auto _ : state) {
        FILE* pFile = std::fopen(strPath.c_str(), "rb");
        benchmark::DoNotOptimize(std::fread(strData.data(), 1, nSize, pFile));
        std::fclose(pFile);
    }
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)nSize);
    std::remove(strPath.c_str());
}
BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMicrosecond);

// The table's own share of a load: storing the same 7800 texts with SetItemText.
void BM_FillTable(benchmark::State& state)
{
    auto pDlg = MakeFullDocument();
    std::vector<CString> arrTexts;
    for (int nRow = 1; nRow <= 300; nRow++)
        for (int nCol = 1; nCol <= 26; nCol++)
            arrTexts.push_back(pDlg->m_wndGrid.GetItemText(nRow, nCol));
    for (auto _ : state) {
        size_t i = 0;
        for (int nRow = 1; nRow <= 300; nRow++)
            for (int nCol = 1; nCol <= 26; nCol++)
                pDlg->m_wndGrid.SetItemText(nRow, nCol, arrTexts[i++]);
    }
}
BENCHMARK(BM_FillTable)->Unit(benchmark::kMicrosecond);

} // namespace
