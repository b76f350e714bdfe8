// The document file: golden bytes for saving, hand-made files for loading, and every form of
// damage refused without touching the open document.
#include "../FileBytes.h"
#include "DocumentTestSupport.h"

#include "PrintItem.h"
#include "Testing.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path s_dirDocuments = fs::path(VELTRANE_TEST_DATA) / "documents";

// Everything of the open document that a refused load must leave alone.
struct DocumentState {
    int nRows = 0;
    std::vector<std::string> arrCells;
    std::vector<int> arrWidths;
    LONG nPaperWidth = 0, nPaperHeight = 0;
    std::vector<const CPrintItem*> arrItemPointers;
    std::vector<std::string> arrItemValues;
    std::string strPath;

    bool operator==(const DocumentState&) const = default;
};

DocumentState Snapshot(const CMainDlg& dlg)
{
    DocumentState state;
    const CGridCtrl& grid = dlg.m_wndGrid;
    state.nRows = grid.GetRowCount();
    for (int nRow = 0; nRow < grid.GetRowCount(); nRow++)
        for (int nCol = 0; nCol < grid.GetColumnCount(); nCol++)
            state.arrCells.push_back(grid.GetItemText(nRow, nCol).str());
    for (int nCol = 0; nCol < grid.GetColumnCount(); nCol++)
        state.arrWidths.push_back(grid.GetColumnWidth(nCol));
    state.nPaperWidth = dlg.m_printSet.m_nPaperWidth;
    state.nPaperHeight = dlg.m_printSet.m_nPaperHeight;
    for (int i = 0; i < dlg.m_printSet.GetItemCount(); i++) {
        const CPrintItem* pItem = dlg.m_printSet.GetItem(i);
        state.arrItemPointers.push_back(pItem);
        CString str;
        str.Format("%d,%d,%d,%d|%s|%s", pItem->m_rectPaper.left, pItem->m_rectPaper.top,
                   pItem->m_rectPaper.right, pItem->m_rectPaper.bottom, pItem->m_strText,
                   pItem->m_strFontName);
        state.arrItemValues.push_back(str.str());
    }
    state.strPath = dlg.m_strPathName.str();
    return state;
}

CPrintItem* AddItem(CPrintSet& set, const CRect& rect, const CString& strText, const CString& strFont)
{
    CPrintItem* pItem = new CPrintItem;
    pItem->m_rectPaper = rect;
    pItem->m_strText = strText;
    pItem->m_strFontName = strFont;
    set.m_arrItems.Add(pItem);
    return pItem;
}

class DocumentTest : public CMainDlgDocumentTest {
protected:
    void SetUp() override
    {
        CMainDlgDocumentTest::SetUp();
        m_dir = fs::temp_directory_path() /
                ("veltrane-doc-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        for (int nCol = 1; nCol <= 26; nCol++)
            m_dlg.m_wndGrid.SetColumnWidth(nCol, 50 + 3 * nCol);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    CString PathOf(const char* pszName) const { return CString((m_dir / pszName).string()); }
    static CString DataPath(const char* pszName) { return CString((s_dirDocuments / pszName).string()); }

    BOOL Save(const char* pszName)
    {
        m_dlg.m_strPathName = PathOf(pszName);
        return m_dlg.SaveDocument();
    }

    // A document of its own in the dialog, so that a refused load has something to keep.
    void FillOpenDocument()
    {
        CGridCtrl& grid = m_dlg.m_wndGrid;
        grid.SetItemText(1, 1, Gbk("王五"));
        grid.SetItemText(200, 13, Gbk("旧数据"));
        grid.SetColumnWidth(4, 123);
        m_dlg.m_printSet.m_nPaperWidth = 2970;
        AddItem(m_dlg.m_printSet, CRect(1, 2, 3, 4), "{A}", Gbk("宋体"));
        m_dlg.m_strPathName = "/home/user/old.zs";
    }

    // The one message box a refused load shows, or "" for none or several.
    std::string RefusedLoadMessage(const CString& strPath)
    {
        Testing::CMessageBoxRecorder recorder;
        const DocumentState before = Snapshot(m_dlg);
        EXPECT_FALSE(m_dlg.LoadDocument(strPath)) << strPath;
        EXPECT_TRUE(Snapshot(m_dlg) == before) << strPath;
        EXPECT_EQ(recorder.Calls().size(), 1u) << strPath;
        return recorder.Calls().size() == 1 ? recorder.Calls()[0].strText.str() : std::string();
    }

    fs::path m_dir;
};

const std::string s_strDamaged = Gbk("数据读取错误！").str();
const std::string s_strForeign = Gbk("不是证书文档，不能打开。").str();

} // namespace

TEST_F(DocumentTest, SaveWritesTheGoldenBytes)
{
    Testing::CMessageBoxRecorder recorder;
    ASSERT_TRUE(Save("empty.zs"));
    EXPECT_EQ(ReadBytes(m_dir / "empty.zs"), ReadBytes(s_dirDocuments / "save-empty.zs"));

    m_dlg.m_wndGrid.SetItemText(1, 1, Gbk("新"));
    ASSERT_TRUE(Save("encoding.zs"));
    const std::string strData = ReadBytes(m_dir / "encoding.zs");
    EXPECT_EQ(strData, ReadBytes(s_dirDocuments / "save-encoding.zs"));
    // The magic "zs2020", and "新" as the first cell right after the row count.
    EXPECT_EQ(strData.substr(0, 28), std::string("\x06\0\0\0\x86\xFF\xFF\xFF\x8D\xFF\xFF\xFF\xCE\xFF\xFF\xFF"
                                                 "\xD0\xFF\xFF\xFF\xCE\xFF\xFF\xFF\xD0\xFF\xFF\xFF", 28));
    EXPECT_EQ(strData.substr(28 + 4 + 26 * 4 + 4, 12), std::string("\x02\0\0\0\x30\0\0\0\x3E\0\0\0", 12));

    CGridCtrl& grid = m_dlg.m_wndGrid;
    grid.SetItemText(1, 1, Gbk("张三"));
    grid.SetItemText(1, 2, Gbk("一等奖"));
    grid.SetItemText(2, 1, Gbk("李四"));
    grid.SetItemText(2, 3, Gbk("高中 书法"));
    grid.SetItemText(300, 26, Gbk("末"));
    m_dlg.m_printSet.m_nPaperWidth = 2100;
    m_dlg.m_printSet.m_nPaperHeight = 2970;
    AddItem(m_dlg.m_printSet, CRect(490, 352, 1960, 440), Gbk("{A}同学:\r\n  荣获{B}"), Gbk("楷体_GB2312"));
    AddItem(m_dlg.m_printSet, CRect(1500, 1500, 2200, 1580), Gbk("2024年"), Gbk("宋体"));
    ASSERT_TRUE(Save("records.zs"));
    EXPECT_EQ(ReadBytes(m_dir / "records.zs"), ReadBytes(s_dirDocuments / "save-records.zs"));

    // Nothing reported, nothing left beside the documents.
    EXPECT_TRUE(recorder.Calls().empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 3);
}

TEST_F(DocumentTest, LoadReplacesTheOpenDocumentWhateverTheVersion)
{
    for (const char* pszFile : {"save-records.zs", "load-version3.zs"}) {
        FillOpenDocument();
        Testing::CMessageBoxRecorder recorder;
        ASSERT_TRUE(m_dlg.LoadDocument(DataPath(pszFile))) << pszFile;
        EXPECT_TRUE(recorder.Calls().empty());

        const std::map<std::pair<int, int>, CString> expected = {
            {{1, 1}, Gbk("张三")}, {{1, 2}, Gbk("一等奖")}, {{2, 1}, Gbk("李四")},
            {{2, 3}, Gbk("高中 书法")}, {{300, 26}, Gbk("末")}};
        const CGridCtrl& grid = m_dlg.m_wndGrid;
        ASSERT_EQ(grid.GetRowCount(), 301);
        for (int nRow = 1; nRow <= 300; nRow++)
            for (int nCol = 1; nCol <= 26; nCol++) {
                const auto it = expected.find({nRow, nCol});
                ASSERT_EQ(grid.GetItemText(nRow, nCol), it == expected.end() ? CString() : it->second)
                    << pszFile << " row " << nRow << " col " << nCol;
            }
        for (int nCol = 1; nCol <= 26; nCol++)
            EXPECT_EQ(grid.GetColumnWidth(nCol), 50 + 3 * nCol);
        EXPECT_EQ(grid.GetItemText(0, 26), CString("Z"));
        EXPECT_EQ(grid.GetItemText(300, 0), CString("300"));
        EXPECT_EQ(m_dlg.m_printSet.m_nPaperWidth, 2100);
        EXPECT_EQ(m_dlg.m_printSet.m_nPaperHeight, 2970);

        ASSERT_EQ(m_dlg.m_printSet.GetItemCount(), 2);
        const CPrintItem* pItem = m_dlg.m_printSet.GetItem(0);
        EXPECT_EQ(pItem->m_rectPaper, CRect(490, 352, 1960, 440));
        EXPECT_EQ(pItem->m_strText, Gbk("{A}同学:\r\n  荣获{B}"));
        EXPECT_EQ(pItem->m_strFontName, Gbk("楷体_GB2312"));
        EXPECT_TRUE(pItem->m_rectScreen.IsRectNull());
        pItem = m_dlg.m_printSet.GetItem(1);
        EXPECT_EQ(pItem->m_rectPaper, CRect(1500, 1500, 2200, 1580));
        EXPECT_EQ(pItem->m_strText, Gbk("2024年"));
        EXPECT_EQ(pItem->m_strFontName, Gbk("宋体"));
        // Loading never names the document; the open command does.
        EXPECT_EQ(m_dlg.m_strPathName, CString("/home/user/old.zs"));
    }
}

TEST_F(DocumentTest, RowCountsGrowTheTableButNeverShrinkIt)
{
    CGridCtrl& grid = m_dlg.m_wndGrid;
    ASSERT_TRUE(m_dlg.LoadDocument(DataPath("load-rows401.zs")));
    ASSERT_EQ(grid.GetRowCount(), 401);
    EXPECT_EQ(grid.GetItemText(1, 1), Gbk("一"));
    EXPECT_EQ(grid.GetItemText(350, 2), Gbk("中间"));
    EXPECT_EQ(grid.GetItemText(400, 26), Gbk("末"));
    EXPECT_EQ(grid.GetItemText(399, 26), CString());
    // The added rows are numbered like the others.
    EXPECT_EQ(grid.GetItemText(301, 0), CString("301"));
    EXPECT_EQ(grid.GetItemText(400, 0), CString("400"));
    EXPECT_EQ(grid.GetItemFormat(400, 0), grid.GetItemFormat(300, 0));

    // A shorter document fills its rows, empties the rest and keeps the row count.
    ASSERT_TRUE(m_dlg.LoadDocument(DataPath("load-rows101.zs")));
    EXPECT_EQ(grid.GetRowCount(), 401);
    EXPECT_EQ(grid.GetItemText(1, 1), Gbk("一"));
    EXPECT_EQ(grid.GetItemText(100, 1), Gbk("百"));
    EXPECT_EQ(grid.GetItemText(350, 2), CString());
    EXPECT_EQ(grid.GetItemText(400, 26), CString());
}

TEST_F(DocumentTest, OddButSoundValuesReadAsStored)
{
    // A paper the size editor would refuse, and strings of every length.
    ASSERT_TRUE(m_dlg.LoadDocument(DataPath("load-paper50.zs")));
    EXPECT_EQ(m_dlg.m_printSet.m_nPaperWidth, 50);
    EXPECT_EQ(m_dlg.m_printSet.m_nPaperHeight, 50);
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 2), Gbk("一等奖"));
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 3), CString());

    ASSERT_TRUE(m_dlg.LoadDocument(DataPath("load-long.zs")));
    const CGridCtrl& grid = m_dlg.m_wndGrid;
    CString strLong;
    for (int i = 0; i < 150; i++)
        strLong += Gbk("长");
    EXPECT_EQ(grid.GetItemText(1, 1), strLong);
    EXPECT_EQ(grid.GetItemText(1, 2), CString('a', 249));
    EXPECT_EQ(grid.GetItemText(1, 3), CString('b', 250));
    ASSERT_EQ(m_dlg.m_printSet.GetItemCount(), 1);
    EXPECT_EQ(m_dlg.m_printSet.GetItem(0)->m_strText.GetLength(), 700);
    EXPECT_EQ(m_dlg.m_printSet.GetItem(0)->m_strText.Left(9), Gbk("第{A}名 w"));
    EXPECT_EQ(m_dlg.m_printSet.GetItem(0)->m_strFontName, CString('F', 260));
}

// A zero byte decoded inside a string ends that text; the fields after it are read in place.
TEST_F(DocumentTest, DecodedZeroByteEndsItsTextOnly)
{
    CGridCtrl& grid = m_dlg.m_wndGrid;
    grid.SetItemText(1, 1, "abcd");
    grid.SetItemText(1, 2, Gbk("张三"));
    // A long text cut within its first sixteen bytes, then one cut after them.
    grid.SetItemText(1, 3, CString('x', 9) + "abcd" + CString('y', 27));
    grid.SetItemText(1, 4, CString('w', 21) + "abcd" + CString('v', 8));
    grid.SetItemText(1, 5, Gbk("李四"));
    grid.SetItemText(300, 26, "z");
    AddItem(m_dlg.m_printSet, CRect(1, 2, 3, 4), "abcd", Gbk("宋体"));
    ASSERT_TRUE(Save("zero.zs"));
    std::string strData = ReadBytes((m_dir / "zero.zs").string());
    // "abcd" is stored as the values -97, -98, -99, -100; the 'c' becomes a zero.
    const std::string strAbcd("\x9F\xFF\xFF\xFF\x9E\xFF\xFF\xFF\x9D\xFF\xFF\xFF\x9C\xFF\xFF\xFF", 16);
    int nPatched = 0;
    for (size_t nAt = strData.find(strAbcd); nAt != std::string::npos; nAt = strData.find(strAbcd, nAt + 16), nPatched++)
        strData.replace(nAt + 8, 4, std::string(4, '\0'));
    ASSERT_EQ(nPatched, 4);
    WriteBytes(m_dir / "zero.zs", strData);

    CMainDlg reader;
    SetUpRecordTable(reader.m_wndGrid);
    ASSERT_TRUE(reader.LoadDocument(PathOf("zero.zs")));
    EXPECT_EQ(reader.m_wndGrid.GetItemText(1, 1), CString("ab"));
    EXPECT_EQ(reader.m_wndGrid.GetItemText(1, 2), Gbk("张三"));
    EXPECT_EQ(reader.m_wndGrid.GetItemText(1, 3), CString('x', 9) + "ab");
    EXPECT_EQ(reader.m_wndGrid.GetItemText(1, 4), CString('w', 21) + "ab");
    EXPECT_EQ(reader.m_wndGrid.GetItemText(1, 5), Gbk("李四"));
    EXPECT_EQ(reader.m_wndGrid.GetItemText(300, 26), CString("z"));
    ASSERT_EQ(reader.m_printSet.GetItemCount(), 1);
    EXPECT_EQ(reader.m_printSet.GetItem(0)->m_strText, CString("ab"));
    EXPECT_EQ(reader.m_printSet.GetItem(0)->m_strFontName, Gbk("宋体"));
}

TEST_F(DocumentTest, SavingAndLoadingAgainKeepsEveryByte)
{
    CGridCtrl& grid = m_dlg.m_wndGrid;
    CString strCell;
    for (int nRow = 1; nRow <= 300; nRow++)
        for (int nCol = 1; nCol <= 26; nCol++) {
            strCell.Format("%d-%d", nRow, nCol);
            if (nCol % 3 == 0)
                strCell += Gbk("荣誉证书一等奖");
            if (nRow == 17 && nCol == 5)
                for (int i = 0; i < 200; i++)
                    strCell += Gbk("长");
            grid.SetItemText(nRow, nCol, strCell);
        }
    AddItem(m_dlg.m_printSet, CRect(-5, 0, 2450, 1760), Gbk("{A}\r\n{Z}同学"), Gbk("黑体"));
    ASSERT_TRUE(Save("round.zs"));
    const std::string strSaved = ReadBytes(m_dir / "round.zs");

    CMainDlg other;
    SetUpRecordTable(other.m_wndGrid);
    ASSERT_TRUE(other.LoadDocument(PathOf("round.zs")));
    const DocumentState saved = Snapshot(m_dlg), loaded = Snapshot(other);
    EXPECT_EQ(loaded.arrCells, saved.arrCells);
    EXPECT_EQ(loaded.arrWidths, saved.arrWidths);
    EXPECT_EQ(loaded.arrItemValues, saved.arrItemValues);
    EXPECT_EQ(loaded.nPaperWidth, saved.nPaperWidth);
    EXPECT_EQ(loaded.nPaperHeight, saved.nPaperHeight);
    EXPECT_EQ(other.m_wndGrid.GetItemText(17, 5).GetLength(), 4 + 400);

    other.m_strPathName = PathOf("again.zs");
    ASSERT_TRUE(other.SaveDocument());
    EXPECT_EQ(ReadBytes(m_dir / "again.zs"), strSaved);
}

TEST_F(DocumentTest, DamagedAndForeignFilesAreRefusedWhole)
{
    FillOpenDocument();
    const std::pair<const char*, const std::string*> cases[] = {
        {"damaged-first-negative.zs", &s_strDamaged},
        {"damaged-cell-negative.zs", &s_strDamaged},
        {"damaged-rows-beyond.zs", &s_strDamaged},
        {"damaged-rows-negative.zs", &s_strDamaged},
        {"damaged-items-beyond.zs", &s_strDamaged},
        {"damaged-items-negative.zs", &s_strDamaged},
        {"damaged-string-beyond.zs", &s_strDamaged},
        {"damaged-paper-width0.zs", &s_strDamaged},
        {"damaged-paper-height-negative.zs", &s_strDamaged},
        {"damaged-column-width-negative.zs", &s_strDamaged},
        {"foreign-magic.zs", &s_strForeign},
        {"foreign-text.zs", &s_strForeign},
    };
    for (const auto& [pszFile, pstrMessage] : cases)
        EXPECT_EQ(RefusedLoadMessage(DataPath(pszFile)), *pstrMessage) << pszFile;
}

TEST_F(DocumentTest, TruncatedFilesAreRefusedWhereverTheyEnd)
{
    FillOpenDocument();
    const std::string strWhole = ReadBytes(s_dirDocuments / "load-small.zs");
    const CString strPath = PathOf("cut.zs");
    for (size_t nSize = 0; nSize < strWhole.size(); nSize++) {
        WriteBytes(m_dir / "cut.zs", strWhole.substr(0, nSize));
        // Too short to hold the magic: no document at all; after it: a damaged one.
        EXPECT_EQ(RefusedLoadMessage(strPath), nSize < 28 ? s_strForeign : s_strDamaged) << nSize;
    }
    WriteBytes(m_dir / "cut.zs", strWhole);
    EXPECT_TRUE(m_dlg.LoadDocument(strPath));
}

TEST_F(DocumentTest, FilesThatCannotBeOpenedAreRefused)
{
    FillOpenDocument();
    EXPECT_NE(RefusedLoadMessage(PathOf("missing.zs")), "");
    EXPECT_NE(RefusedLoadMessage(CString(m_dir.string())), "");   // a folder
}

TEST_F(DocumentTest, FailedSavesKeepThePreviousFile)
{
    m_dlg.m_wndGrid.SetItemText(1, 1, Gbk("新内容"));
    const std::string strOld = "the previous document";
    WriteBytes(m_dir / "keep.zs", strOld);

    // The folder does not exist.
    {
        Testing::CMessageBoxRecorder recorder;
        EXPECT_FALSE(Save("no-such-folder/doc.zs"));
        EXPECT_EQ(recorder.Calls().size(), 1u);
        EXPECT_FALSE(fs::exists(m_dir / "no-such-folder"));
    }
    // The file beside the document cannot be made: the process may open no more files.
    {
        Testing::CMessageBoxRecorder recorder;
        rlimit oldLimit;
        getrlimit(RLIMIT_NOFILE, &oldLimit);
        const int hLowestFree = dup(0);
        close(hLowestFree);
        rlimit noMore = oldLimit;
        noMore.rlim_cur = (rlim_t)hLowestFree;
        setrlimit(RLIMIT_NOFILE, &noMore);
        const BOOL bSaved = Save("keep.zs");
        setrlimit(RLIMIT_NOFILE, &oldLimit);
        EXPECT_FALSE(bSaved);
        EXPECT_EQ(recorder.Calls().size(), 1u);
        EXPECT_EQ(ReadBytes(m_dir / "keep.zs"), strOld);
    }
    // The disk fills up halfway through the document.
    {
        Testing::CMessageBoxRecorder recorder;
        rlimit oldLimit;
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        rlimit smallLimit = oldLimit;
        smallLimit.rlim_cur = 4096;
        const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &smallLimit);
        const BOOL bSaved = Save("keep.zs");
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(bSaved);
        EXPECT_EQ(recorder.Calls().size(), 1u);
        EXPECT_EQ(ReadBytes(m_dir / "keep.zs"), strOld);
        // Only the document is left in its folder.
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
    }
    // The path names a folder.
    {
        Testing::CMessageBoxRecorder recorder;
        fs::create_directory(m_dir / "folder.zs");
        EXPECT_FALSE(Save("folder.zs"));
        EXPECT_EQ(recorder.Calls().size(), 1u);
        EXPECT_TRUE(fs::is_directory(m_dir / "folder.zs"));
    }
}

TEST_F(DocumentTest, SaveReplacesAFileAndKeepsItsPermissions)
{
    WriteBytes(m_dir / "private.zs", "old");
    chmod((m_dir / "private.zs").c_str(), 0600);
    m_dlg.m_wndGrid.SetItemText(1, 1, "x");
    ASSERT_TRUE(Save("private.zs"));
    struct stat st;
    ASSERT_EQ(stat((m_dir / "private.zs").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadBytes(m_dir / "private.zs").size(), 31352u + 4);

    // A Chinese file name reaches the file system as UTF-8.
    m_dlg.m_strPathName = PathOf("") + Gbk("荣誉证书.zs");
    ASSERT_TRUE(m_dlg.SaveDocument());
    EXPECT_TRUE(fs::exists(m_dir / fs::u8path("荣誉证书.zs")));
    ASSERT_TRUE(m_dlg.LoadDocument(m_dlg.m_strPathName));
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 1), CString("x"));
}
