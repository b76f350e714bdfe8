// The main window: its start, its titles, the empty-table rule and the file commands, driven
// through the real dialog's buttons and keys; file dialogs, message boxes and modal dialogs are
// answered through the test seams.
#include "../DocumentsFolderSupport.h"
#include "DocumentTestSupport.h"
#include "MainApp.h"

#include "CommonDialogs.h"
#include "Testing.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const char s_szEmptyTitle[] = "Veltrane [ 新文件 ] -- 把证书原始数据复制粘贴到下面的空表中";
const char s_szNewTitle[] = "Veltrane [ 新文件 ] -- Dunmere";

std::string FileBytes(const CString& strPath)
{
    std::ifstream file(strPath.str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A main window made as the program makes it (modeless here, so that the test drives it).
class MainDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_strDir = Codec::FromUnicode(m_dir.path());
        ASSERT_LT(m_strDir.GetLength(), (int)sizeof(m_app.m_szAppDir));
        std::strcpy(m_app.m_szAppDir, m_strDir);
        m_home.MakeDocuments();
        ASSERT_TRUE(m_dlg.Create(CMainDlg::IDD));
        m_dlg.ShowWindow(SW_SHOW);
    }

    void TearDown() override { m_dlg.DestroyWindow(); }

    CString Title() const
    {
        CString str;
        m_dlg.GetWindowText(str);
        return str;
    }

    // A click on the button as the user makes it.
    void Click(UINT nID)
    {
        CWnd* pButton = m_dlg.GetDlgItem(nID);
        ASSERT_NE(pButton, nullptr) << nID;
        auto* pWidget = qobject_cast<QPushButton*>(pButton->GetSafeHwnd());
        ASSERT_NE(pWidget, nullptr) << nID;
        QTest::mouseClick(pWidget, Qt::LeftButton);
    }

    CString PathOf(const char* pszName) const { return m_strDir + "/" + pszName; }
    void MakeFolder(const char* pszName) { ASSERT_TRUE(QDir(m_dir.path()).mkpath(pszName)); }

    // Two records of four fields, as a user would paste them.
    void FillTwoRecords()
    {
        const char* const pszRecords[2][4] = {{"张三", "一年级", "数学", "一等奖"},
                                              {"李四", "二年级", "语文", "二等奖"}};
        for (int nRow = 1; nRow <= 2; nRow++)
            for (int nCol = 1; nCol <= 4; nCol++)
                m_dlg.m_wndGrid.SetItemText(nRow, nCol, Gbk(pszRecords[nRow - 1][nCol - 1]));
    }

    // A document of its own beside the window's: one cell filled.
    void WriteDocument(const char* pszName, int nRow, int nCol, const CString& strText)
    {
        CMainDlg writer;
        SetUpRecordTable(writer.m_wndGrid);
        writer.m_wndGrid.SetItemText(nRow, nCol, strText);
        writer.m_strPathName = PathOf(pszName);
        ASSERT_TRUE(writer.SaveDocument());
    }

    // One cell of a document as a fresh window reads it.
    CString ReadCell(const char* pszName, int nRow, int nCol) const
    {
        CMainDlg reader;
        SetUpRecordTable(reader.m_wndGrid);
        EXPECT_TRUE(reader.LoadDocument(PathOf(pszName))) << pszName;
        return reader.m_wndGrid.GetItemText(nRow, nCol);
    }

    size_t MessageCount() const { return m_boxes.Calls().size(); }
    CString LastMessage() const { return m_boxes.Calls().empty() ? CString() : m_boxes.Calls().back().strText; }

    CDocumentsFolder m_home;
    QTemporaryDir m_dir;
    CString m_strDir;   // the program's folder, and the documents' unless a test says otherwise
    CMainApp m_app;
    Testing::CMessageBoxRecorder m_boxes;
    Testing::CFileDialogAnswerer m_files;
    Testing::CModalDialogAnswerer m_dialogs;
    CMainDlg m_dlg;
};

TEST_F(MainDlgTest, StartsWithTheRecordTableAndTheEmptyTableTitle)
{
    EXPECT_EQ(Title(), Gbk(s_szEmptyTitle));
    EXPECT_EQ(m_dlg.m_strPathName, Gbk("新文件"));
    EXPECT_EQ(m_dlg.m_nCurRecord, 2);
    EXPECT_EQ(m_dlg.m_printSet.GetItemCount(), 0);

    CGridCtrl& grid = m_dlg.m_wndGrid;
    ASSERT_NE(grid.GetSafeHwnd(), nullptr);
    EXPECT_EQ(m_dlg.GetDlgItem(IDC_GRID), &grid);
    EXPECT_EQ(grid.GetRowCount(), 301);
    EXPECT_EQ(grid.GetColumnCount(), 27);
    EXPECT_EQ(grid.GetFixedRowCount(), 1);
    EXPECT_EQ(grid.GetFixedColumnCount(), 1);
    EXPECT_EQ(grid.GetColumnWidth(0), 40);
    EXPECT_EQ(grid.GetItemText(0, 1), CString("A"));
    EXPECT_EQ(grid.GetItemText(0, 26), CString("Z"));
    EXPECT_EQ(grid.GetItemText(1, 0), CString("1"));
    EXPECT_EQ(grid.GetItemText(300, 0), CString("300"));
    EXPECT_EQ(grid.GetItemFormat(0, 26), 0x8025u);
    EXPECT_EQ(grid.GetItemFormat(300, 0), 0x8025u);
    EXPECT_TRUE(grid.GetItemText(0, 0).IsEmpty());
    EXPECT_TRUE(m_dlg.IsTableEmpty());

    // The About item after a separator at the end of the system menu; the program's icon.
    CMenu* pSysMenu = m_dlg.GetSystemMenu(FALSE);
    ASSERT_NE(pSysMenu, nullptr);
    const int nItems = pSysMenu->GetMenuItemCount();
    ASSERT_GE(nItems, 2);
    EXPECT_EQ(pSysMenu->Items()[nItems - 2].nFlags & MF_SEPARATOR, (UINT)MF_SEPARATOR);
    EXPECT_EQ(pSysMenu->GetMenuItemID(nItems - 1), 0x0010u);
    CString strAbout;
    pSysMenu->GetMenuString(0x0010, strAbout, MF_BYCOMMAND);
    EXPECT_EQ(strAbout, Gbk("关于 Pellicor(&A)..."));
    EXPECT_NE(m_dlg.m_hIcon, nullptr);
    EXPECT_EQ(m_dlg.GetIcon(TRUE), m_dlg.m_hIcon);
    EXPECT_EQ(m_dlg.GetIcon(FALSE), m_dlg.m_hIcon);

}

TEST_F(MainDlgTest, OnlyFieldsAToDOfTheFirstTwoRecordsMakeTheTableNonEmpty)
{
    CGridCtrl& grid = m_dlg.m_wndGrid;
    for (int nRow = 1; nRow <= 2; nRow++) {
        for (int nCol = 1; nCol <= 4; nCol++) {
            grid.SetItemText(nRow, nCol, "x");
            EXPECT_FALSE(m_dlg.IsTableEmpty()) << nRow << "," << nCol;
            grid.SetItemText(nRow, nCol, "");
        }
    }

    // Data only in field E and in record 3 and below: empty, and the design is refused.
    grid.SetItemText(1, 5, "x");
    grid.SetItemText(2, 26, "x");
    grid.SetItemText(3, 1, "x");
    grid.SetItemText(300, 4, "x");
    EXPECT_TRUE(m_dlg.IsTableEmpty());
    Click(IDC_LAYOUT_DESIGN);
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_EQ(LastMessage(), Gbk("是空表，请先复制内容到表中。"));
    EXPECT_EQ(m_boxes.Calls().back().nType & MB_TYPEMASK, (UINT)MB_OK);

    grid.SetItemText(2, 4, "x");
    Click(IDC_LAYOUT_DESIGN);
    EXPECT_EQ(MessageCount(), 1u);
    // The title's words change only through the file commands; the design window gave the
    // empty layout its default items, which marks the document. A new document with records
    // has a title of its own once the title is updated.
    EXPECT_EQ(m_dlg.m_printSet.GetItemCount(), 3);
    EXPECT_EQ(Title(), Gbk("Veltrane [ 新文件* ] -- 把证书原始数据复制粘贴到下面的空表中"));
    m_dlg.UpdateTitle();
    EXPECT_EQ(Title(), Gbk("Veltrane [ 新文件* ] -- Dunmere"));
    m_dlg.SetModified(FALSE);
    EXPECT_EQ(Title(), Gbk(s_szNewTitle));
}

TEST_F(MainDlgTest, PreviewTakesTheRecordOfTheFocusRow)
{
    m_dlg.m_nCurRecord = 9;
    Click(IDC_PREVIEW);
    EXPECT_EQ(m_dlg.m_nCurRecord, 1);   // no focus cell

    m_dlg.m_wndGrid.SetFocusCell(57, 3);
    Click(IDC_PREVIEW);
    EXPECT_EQ(m_dlg.m_nCurRecord, 57);
    EXPECT_EQ(MessageCount(), 0u);   // no empty-table test for the preview
}

TEST_F(MainDlgTest, SystemMenuAndAuthorButtonOpenTheirDialogs)
{
    m_dlg.SendMessage(WM_SYSCOMMAND, 0x0010, 0);
    Click(IDC_AUTHOR_PAGE);
    ASSERT_EQ(m_dialogs.Calls().size(), 2u);
    EXPECT_EQ(m_dialogs.Calls()[0].nIDTemplate, (UINT)IDD_ABOUTBOX);
    EXPECT_EQ(m_dialogs.Calls()[1].nIDTemplate, (UINT)IDD_OTHERSOFT_DIALOG);
}

TEST_F(MainDlgTest, SaveOnANewDocumentAsksForAPathInTheDocumentsFolder)
{
    // An empty table is refused by both commands, before any dialog.
    Click(IDC_SAVE_FILE);
    Click(IDC_SAVE_FILE_AS);
    ASSERT_EQ(MessageCount(), 2u);
    EXPECT_EQ(m_boxes.Calls()[0].strText, Gbk("是空表，不能保存。"));
    EXPECT_EQ(m_boxes.Calls()[1].strText, Gbk("是空表，不能保存。"));
    EXPECT_TRUE(m_files.Calls().empty());

    // Cancelling the dialog changes nothing.
    FillTwoRecords();
    m_files.QueueCancel();
    Click(IDC_SAVE_FILE);
    ASSERT_EQ(m_files.Calls().size(), 1u);
    const Testing::FileDialogCall& call = m_files.Calls()[0];
    EXPECT_FALSE(call.bOpen);
    EXPECT_EQ(call.strDefExt, CString(".zs"));
    EXPECT_TRUE(call.strFileName.IsEmpty());
    EXPECT_EQ(call.strFilter, Gbk("证书文档(*.zs)|*.zs||"));
    EXPECT_EQ(call.strInitialDir, Codec::FromUnicode(m_home.Documents()));
    EXPECT_EQ(call.dwFlags & (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT),
              (DWORD)(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
    EXPECT_EQ(m_dlg.m_strPathName, Gbk("新文件"));
    EXPECT_EQ(Title(), Gbk(s_szEmptyTitle));

    // Capitals and no extension: the name is lowered and ends in .zs, the folder is kept.
    MakeFolder("Docs");
    m_files.QueueAnswer(PathOf("Docs/MyCerts"));
    Click(IDC_SAVE_FILE);
    const CString strSaved = PathOf("Docs/mycerts.zs");
    EXPECT_EQ(m_dlg.m_strPathName, strSaved);
    EXPECT_EQ(Title(), "Veltrane [ " + strSaved + " ]");
    EXPECT_TRUE(QFile::exists(Codec::ToUnicode(strSaved)));
    EXPECT_EQ(MessageCount(), 2u);

    // A named document is saved to its path without a question and without a new title.
    const std::string strBefore = FileBytes(strSaved);
    m_dlg.m_wndGrid.SetItemText(2, 4, Gbk("特等奖"));
    Click(IDC_SAVE_FILE);
    EXPECT_EQ(m_files.Calls().size(), 2u);
    EXPECT_NE(FileBytes(strSaved), strBefore);
    EXPECT_EQ(Title(), "Veltrane [ " + strSaved + " ]");
}

TEST_F(MainDlgTest, SaveAsLowersOnlyTheNameAndAddsTheExtensionOnce)
{
    FillTwoRecords();
    MakeFolder("Upper Case");

    m_files.QueueAnswer(PathOf("Upper Case/Award.ZS"));
    Click(IDC_SAVE_FILE_AS);
    EXPECT_EQ(m_dlg.m_strPathName, PathOf("Upper Case/award.zs"));

    m_files.QueueAnswer(PathOf("Upper Case/Award.zsx"));
    Click(IDC_SAVE_FILE_AS);
    EXPECT_EQ(m_dlg.m_strPathName, PathOf("Upper Case/award.zsx.zs"));
    // The next save as offers the current name, in the document's folder.
    m_files.QueueCancel();
    Click(IDC_SAVE_FILE_AS);
    ASSERT_EQ(m_files.Calls().size(), 3u);
    EXPECT_EQ(m_files.Calls()[2].strFileName, CString("award.zsx.zs"));
    EXPECT_EQ(m_files.Calls()[2].strInitialDir, PathOf("Upper Case"));

    // The second bytes of "學" and "證" are the letters W and C: they stay as they are.
    m_files.QueueAnswer(PathOf("Upper Case/Class ") + Gbk("學證"));
    Click(IDC_SAVE_FILE_AS);
    const CString strExpected = PathOf("Upper Case/class ") + Gbk("學證") + ".zs";
    EXPECT_EQ(m_dlg.m_strPathName, strExpected);
    EXPECT_TRUE(QFile::exists(m_dir.filePath(QString::fromUtf8("Upper Case/class 學證.zs"))));
    EXPECT_EQ(MessageCount(), 0u);
}

TEST_F(MainDlgTest, LoweredNameOfAnotherExistingFileIsReplacedOnlyWhenConfirmed)
{
    FillTwoRecords();
    const CString strExisting = PathOf("report.zs");
    {
        std::ofstream file(strExisting.str(), std::ios::binary);
        file << "keep me";
    }

    // "Report" becomes "report.zs", a file the dialog did not ask about.
    m_boxes.QueueAnswer(IDNO);
    m_files.QueueAnswer(PathOf("Report"));
    Click(IDC_SAVE_FILE_AS);
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_EQ(m_boxes.Calls()[0].nType & MB_TYPEMASK, (UINT)MB_YESNO);
    EXPECT_NE(m_boxes.Calls()[0].strText.Find(strExisting), -1);
    EXPECT_EQ(FileBytes(strExisting), "keep me");
    EXPECT_EQ(m_dlg.m_strPathName, Gbk("新文件"));
    EXPECT_EQ(Title(), Gbk(s_szEmptyTitle));

    m_boxes.QueueAnswer(IDYES);
    m_files.QueueAnswer(PathOf("Report"));
    Click(IDC_SAVE_FILE_AS);
    EXPECT_EQ(MessageCount(), 2u);
    EXPECT_EQ(m_dlg.m_strPathName, strExisting);
    EXPECT_NE(FileBytes(strExisting), "keep me");

    // The name the user chose, already lower case, was asked about by the dialog itself.
    m_files.QueueAnswer(strExisting);
    Click(IDC_SAVE_FILE_AS);
    EXPECT_EQ(MessageCount(), 2u);
}

TEST_F(MainDlgTest, FileThatCannotBeWrittenKeepsThePreviousPathAndTitle)
{
    FillTwoRecords();
    m_files.QueueAnswer(PathOf("first.zs"));
    Click(IDC_SAVE_FILE_AS);
    const CString strTitle = "Veltrane [ " + PathOf("first.zs") + " ]";
    ASSERT_EQ(Title(), strTitle);
    const std::string strFirst = FileBytes(PathOf("first.zs"));

    // Save as into a folder that does not exist: reported; path and title stay.
    m_files.QueueAnswer(PathOf("missing/second.zs"));
    Click(IDC_SAVE_FILE_AS);
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_NE(LastMessage().Find(PathOf("missing/second.zs")), -1) << LastMessage().str();
    EXPECT_EQ(m_dlg.m_strPathName, PathOf("first.zs"));
    EXPECT_EQ(Title(), strTitle);

    // Save to a path whose folder went away: reported, nothing else changes.
    MakeFolder("gone");
    m_files.QueueAnswer(PathOf("gone/third.zs"));
    Click(IDC_SAVE_FILE_AS);
    ASSERT_EQ(m_dlg.m_strPathName, PathOf("gone/third.zs"));
    ASSERT_TRUE(QDir(m_dir.filePath("gone")).removeRecursively());
    Click(IDC_SAVE_FILE);
    EXPECT_EQ(MessageCount(), 2u);
    EXPECT_NE(LastMessage().Find(PathOf("gone/third.zs")), -1) << LastMessage().str();
    EXPECT_EQ(m_dlg.m_strPathName, PathOf("gone/third.zs"));
    EXPECT_EQ(FileBytes(PathOf("first.zs")), strFirst);
}

TEST_F(MainDlgTest, CloseEmptiesTheDocumentButKeepsItsPathAndTitle)
{
    FillTwoRecords();
    m_dlg.m_wndGrid.SetItemText(300, 26, "z");
    m_dlg.m_wndGrid.SetColumnWidth(3, 123);
    m_dlg.m_printSet.m_nPaperWidth = 2000;
    m_dlg.m_printSet.m_arrItems.Add(new CPrintItem);
    m_dlg.m_nCurRecord = 7;
    m_files.QueueAnswer(PathOf("named.zs"));
    Click(IDC_SAVE_FILE_AS);
    const CString strTitle = Title();

    Click(IDC_CLOSE_FILE);
    for (int nRow = 1; nRow <= 300; nRow++)
        for (int nCol = 1; nCol <= 26; nCol++)
            ASSERT_TRUE(m_dlg.m_wndGrid.GetItemText(nRow, nCol).IsEmpty()) << nRow << "," << nCol;
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(0, 26), CString("Z"));
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(300, 0), CString("300"));
    EXPECT_EQ(m_dlg.m_printSet.GetItemCount(), 0);
    EXPECT_EQ(m_dlg.m_printSet.m_nPaperWidth, 2000);
    EXPECT_EQ(m_dlg.m_wndGrid.GetColumnWidth(3), 123);
    EXPECT_EQ(m_dlg.m_wndGrid.GetRowCount(), 301);
    EXPECT_EQ(m_dlg.m_nCurRecord, 7);
    EXPECT_EQ(m_dlg.m_strPathName, PathOf("named.zs"));
    EXPECT_EQ(Title(), strTitle);

    // An empty table cannot be saved; new records go into the same file without a question.
    Click(IDC_SAVE_FILE);
    EXPECT_EQ(LastMessage(), Gbk("是空表，不能保存。"));
    m_dlg.m_wndGrid.SetItemText(1, 1, Gbk("王五"));
    Click(IDC_SAVE_FILE);
    EXPECT_EQ(m_files.Calls().size(), 1u);
    CMainDlg reader;
    SetUpRecordTable(reader.m_wndGrid);
    ASSERT_TRUE(reader.LoadDocument(PathOf("named.zs")));
    EXPECT_EQ(reader.m_wndGrid.GetItemText(1, 1), Gbk("王五"));
    EXPECT_TRUE(reader.m_wndGrid.GetItemText(300, 26).IsEmpty());
}

TEST_F(MainDlgTest, OpenReplacesTheDocumentOnlyWithADocumentThatWasRead)
{
    // A document whose first two records are empty, with data further down (the program
    // itself refuses to save such a table).
    WriteDocument("sparse.zs", 5, 2, Gbk("赵六"));

    FillTwoRecords();
    m_files.QueueAnswer(PathOf("full.zs"));
    Click(IDC_SAVE_FILE_AS);
    const CString strFullTitle = "Veltrane [ " + PathOf("full.zs") + " ]";
    ASSERT_EQ(Title(), strFullTitle);

    // Cancel: nothing changes, the records stay.
    m_files.QueueCancel();
    Click(IDC_OPEN_FILE);
    ASSERT_EQ(m_files.Calls().size(), 2u);
    const Testing::FileDialogCall& call = m_files.Calls().back();
    EXPECT_TRUE(call.bOpen);
    EXPECT_EQ(call.strDefExt, CString(".zs"));
    EXPECT_TRUE(call.strFileName.IsEmpty());
    EXPECT_EQ(call.dwFlags & OFN_HIDEREADONLY, (DWORD)OFN_HIDEREADONLY);
    EXPECT_EQ(call.strFilter, Gbk("证书文档(*.zs)|*.zs||"));
    EXPECT_EQ(call.strInitialDir, m_strDir);   // the document's folder
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 1), Gbk("张三"));
    EXPECT_EQ(Title(), strFullTitle);

    // A file that is not a document: one message, the document stays as it was.
    const CString strText = PathOf("notes.zs");
    {
        std::ofstream file(strText.str(), std::ios::binary);
        file << "not a certificate document";
    }
    m_files.QueueAnswer(strText);
    Click(IDC_OPEN_FILE);
    EXPECT_EQ(MessageCount(), 1u);
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(2, 4), Gbk("二等奖"));
    EXPECT_EQ(m_dlg.m_strPathName, PathOf("full.zs"));
    EXPECT_EQ(Title(), strFullTitle);

    // A file that is missing: the same.
    m_files.QueueAnswer(PathOf("missing.zs"));
    Click(IDC_OPEN_FILE);
    EXPECT_EQ(MessageCount(), 2u);
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 1), Gbk("张三"));
    EXPECT_EQ(m_dlg.m_strPathName, PathOf("full.zs"));

    // The sparse document: its path, and the empty-table title for its empty first records.
    m_files.QueueAnswer(PathOf("sparse.zs"));
    Click(IDC_OPEN_FILE);
    EXPECT_EQ(m_dlg.m_strPathName, PathOf("sparse.zs"));
    EXPECT_EQ(Title(), Gbk(s_szEmptyTitle));
    EXPECT_TRUE(m_dlg.m_wndGrid.GetItemText(1, 1).IsEmpty());
    EXPECT_TRUE(m_dlg.m_wndGrid.GetItemText(2, 4).IsEmpty());

    // Save as offers the opened file's name with its capitals, in its folder; so does open.
    MakeFolder("elsewhere");
    const CString strCapitals = PathOf("elsewhere/Class One.ZS");
    std::filesystem::copy_file(PathOf("full.zs").str(), strCapitals.str());
    m_files.QueueAnswer(strCapitals);
    Click(IDC_OPEN_FILE);
    EXPECT_EQ(m_dlg.m_strPathName, strCapitals);
    EXPECT_EQ(Title(), "Veltrane [ " + strCapitals + " ]");
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 1), Gbk("张三"));
    m_files.QueueCancel();
    Click(IDC_SAVE_FILE_AS);
    EXPECT_EQ(m_files.Calls().back().strFileName, CString("Class One.ZS"));
    EXPECT_EQ(m_files.Calls().back().strInitialDir, PathOf("elsewhere"));
    m_files.QueueCancel();
    Click(IDC_OPEN_FILE);
    EXPECT_EQ(m_files.Calls().back().strInitialDir, PathOf("elsewhere"));
    EXPECT_EQ(MessageCount(), 2u);
}

// Paste two records, save, close, open: every cell comes back.
TEST_F(MainDlgTest, PastedRecordsSurviveSaveCloseAndOpen)
{
    QApplication::clipboard()->setText(
        QString::fromUtf8("张三\t一年级\t数学\t一等奖\t2024-06-01\n李四\t二年级\t语文\t二等奖\t2024-06-02\n"));
    CGridCtrl& grid = m_dlg.m_wndGrid;
    grid.SetFocus();
    grid.SetFocusCell(1, 1);
    QTest::keyClick(grid.GetSafeHwnd(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(grid.GetItemText(1, 1), Gbk("张三"));
    ASSERT_EQ(grid.GetItemText(2, 5), CString("2024-06-02"));

    std::vector<CString> cells;
    for (int nRow = 1; nRow <= 300; nRow++)
        for (int nCol = 1; nCol <= 26; nCol++)
            cells.push_back(grid.GetItemText(nRow, nCol));

    m_files.QueueAnswer(PathOf("Pasted"));
    Click(IDC_SAVE_FILE);
    ASSERT_EQ(m_dlg.m_strPathName, PathOf("pasted.zs"));
    Click(IDC_CLOSE_FILE);
    ASSERT_TRUE(m_dlg.IsTableEmpty());
    m_files.QueueAnswer(PathOf("pasted.zs"));
    Click(IDC_OPEN_FILE);

    EXPECT_EQ(m_files.Calls().size(), 2u);
    EXPECT_EQ(MessageCount(), 0u);
    EXPECT_EQ(Title(), "Veltrane [ " + PathOf("pasted.zs") + " ]");
    size_t i = 0;
    for (int nRow = 1; nRow <= 300; nRow++)
        for (int nCol = 1; nCol <= 26; nCol++, i++)
            ASSERT_EQ(grid.GetItemText(nRow, nCol), cells[i]) << nRow << "," << nCol;
}

// ---- Work not yet saved ----

// The table's mouse and keys at client points (the grid's border puts them one pixel in).
void PressKey(CWnd& wnd, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget* pFocus = QApplication::focusWidget();
    QTest::keyClick(pFocus ? pFocus : wnd.GetSafeHwnd(), key, mods);
}

void DragInGrid(CGridCtrl& grid, CPoint ptFrom, CPoint ptTo)
{
    QWidget* pWidget = grid.GetSafeHwnd();
    QTest::mouseMove(pWidget, QPoint(ptFrom.x + 6, ptFrom.y + 6));
    QTest::mouseMove(pWidget, QPoint(ptFrom.x + 1, ptFrom.y + 1));
    QApplication::processEvents();
    QTest::mousePress(pWidget, Qt::LeftButton, {}, QPoint(ptFrom.x + 1, ptFrom.y + 1));
    QTest::mouseMove(pWidget, QPoint(ptTo.x + 1, ptTo.y + 1));
    QTest::mouseRelease(pWidget, Qt::LeftButton, {}, QPoint(ptTo.x + 1, ptTo.y + 1));
    QApplication::processEvents();   // the click the table posts to its owner
}

TEST_F(MainDlgTest, ChangesToTheDocumentMarkItAndItsTitle)
{
    CGridCtrl& grid = m_dlg.m_wndGrid;
    grid.SetFocus();
    grid.SetFocusCell(1, 1);

    // Looking changes nothing: selecting, copying, scrolling and the preview.
    PressKey(grid, Qt::Key_A, Qt::ControlModifier);
    PressKey(grid, Qt::Key_C, Qt::ControlModifier);
    grid.SendMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    grid.SendMessage(WM_VSCROLL, SB_TOP, 0);
    Click(IDC_PREVIEW);
    EXPECT_FALSE(m_dlg.IsModified());
    EXPECT_EQ(Title(), Gbk(s_szEmptyTitle));

    // A paste marks it; the title keeps its words and shows the mark after the name.
    QApplication::clipboard()->setText(QString::fromUtf8("张三\t一年级\t数学\t一等奖\n李四\t二年级\t语文\t二等奖\n"));
    grid.SetFocus();
    grid.SetFocusCell(1, 1);
    PressKey(grid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(m_dlg.IsModified());
    EXPECT_EQ(Title(), Gbk("Veltrane [ 新文件* ] -- 把证书原始数据复制粘贴到下面的空表中"));

    m_files.QueueAnswer(PathOf("marks.zs"));
    Click(IDC_SAVE_FILE);
    const CString strTitle = "Veltrane [ " + PathOf("marks.zs") + " ]";
    EXPECT_FALSE(m_dlg.IsModified());
    EXPECT_EQ(Title(), strTitle);

    // An edit undone with Esc leaves no mark; one that changes the text does.
    grid.SetFocus();
    grid.SetFocusCell(2, 2);
    QTest::keyClicks(grid.GetSafeHwnd(), "x");
    PressKey(grid, Qt::Key_Escape);
    EXPECT_EQ(grid.GetItemText(2, 2), Gbk("二年级"));
    EXPECT_FALSE(m_dlg.IsModified());
    EXPECT_EQ(Title(), strTitle);
    QTest::keyClicks(grid.GetSafeHwnd(), "y");
    PressKey(grid, Qt::Key_Return);
    EXPECT_EQ(grid.GetItemText(2, 2), CString("y"));
    EXPECT_TRUE(m_dlg.IsModified());
    EXPECT_EQ(Title(), "Veltrane [ " + PathOf("marks.zs") + "* ]");

    // Saved to its path, then Delete and Ctrl+X each mark it again.
    const auto saveAndCheck = [&] {
        Click(IDC_SAVE_FILE);
        EXPECT_FALSE(m_dlg.IsModified());
        EXPECT_EQ(Title(), strTitle);
    };
    saveAndCheck();
    grid.SetFocus();
    grid.SetFocusCell(2, 3);
    PressKey(grid, Qt::Key_Delete);
    EXPECT_TRUE(grid.GetItemText(2, 3).IsEmpty());
    EXPECT_TRUE(m_dlg.IsModified());
    saveAndCheck();
    grid.SetFocus();
    grid.SetSelectedRange(1, 4, 1, 4);
    PressKey(grid, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(grid.GetItemText(1, 4).IsEmpty());
    EXPECT_TRUE(m_dlg.IsModified());
    saveAndCheck();

    // Sizing a row is not kept in the file; sizing a column is.
    const int nRowBottom = grid.GetRowHeight(0) + grid.GetRowHeight(1);
    DragInGrid(grid, CPoint(20, nRowBottom - 2), CPoint(20, nRowBottom + 15));
    EXPECT_EQ(grid.GetRowHeight(1), nRowBottom + 15 - grid.GetRowHeight(0));
    EXPECT_FALSE(m_dlg.IsModified());
    EXPECT_EQ(Title(), strTitle);
    const int nWidth = grid.GetColumnWidth(1);
    const int xDivider = grid.GetColumnWidth(0) + nWidth;
    DragInGrid(grid, CPoint(xDivider - 2, 5), CPoint(xDivider + 30, 5));
    EXPECT_EQ(grid.GetColumnWidth(1), nWidth + 30);
    EXPECT_EQ(Title(), "Veltrane [ " + PathOf("marks.zs") + "* ]");
    saveAndCheck();
    EXPECT_EQ(MessageCount(), 0u);
}

TEST_F(MainDlgTest, TheDesignWindowMarksTheDocumentOnlyWhenTheLayoutChanged)
{
    FillTwoRecords();
    auto* pNew = new CPrintItem;
    pNew->m_rectPaper.SetRect(1001, 503, 1999, 561);
    pNew->m_strText = "{A}";
    m_dlg.m_printSet.m_arrItems.Add(pNew);
    m_files.QueueAnswer(PathOf("layout.zs"));
    Click(IDC_SAVE_FILE);
    ASSERT_FALSE(m_dlg.IsModified());
    // An undo in the design window puts back items of its own.
    const auto item = [this] { return m_dlg.m_printSet.GetItem(0); };

    // Opened and closed, or an item moved and the move undone: nothing changed.
    Click(IDC_LAYOUT_DESIGN);
    EXPECT_EQ(item()->m_rectPaper, CRect(1001, 503, 1999, 561));
    EXPECT_FALSE(m_dlg.IsModified());
    const auto moveItem = [&](bool bUndo) {
        m_dialogs.QueueAnswer(IDD_SETUP_DIALOG, 0, [&, bUndo](CDialog& dlg) {
            QWidget* pWidget = dlg.GetSafeHwnd();
            dlg.Invalidate(FALSE);
            dlg.UpdateWindow();   // places the item on the page
            const CPoint pt = item()->m_rectScreen.CenterPoint();
            QTest::mouseClick(pWidget, Qt::LeftButton, {}, QPoint(pt.x, pt.y));
            QTest::keyClick(pWidget, Qt::Key_Right);
            if (bUndo)
                QTest::keyClick(pWidget, Qt::Key_Z, Qt::ControlModifier);
        });
        Click(IDC_LAYOUT_DESIGN);
    };
    moveItem(true);
    ASSERT_EQ(m_dlg.m_printSet.GetItemCount(), 1);
    EXPECT_EQ(item()->m_rectPaper, CRect(1001, 503, 1999, 561));
    EXPECT_FALSE(m_dlg.IsModified());
    EXPECT_EQ(Title(), "Veltrane [ " + PathOf("layout.zs") + " ]");

    moveItem(false);
    ASSERT_EQ(m_dlg.m_printSet.GetItemCount(), 1);
    EXPECT_GT(item()->m_rectPaper.left, 1001);
    EXPECT_TRUE(m_dlg.IsModified());
    EXPECT_EQ(Title(), "Veltrane [ " + PathOf("layout.zs") + "* ]");
    EXPECT_EQ(m_dialogs.Calls().size(), 3u);
}

TEST_F(MainDlgTest, ModifiedWorkIsOfferedForSavingBeforeItIsThrownAway)
{
    // Nothing to lose: nothing is asked.
    Click(IDC_CLOSE_FILE);
    EXPECT_EQ(MessageCount(), 0u);

    // Changes the table has not reported yet count as well.
    FillTwoRecords();
    m_app.m_pMainWnd = &m_dlg;
    QWidget* pWindow = m_dlg.GetSafeHwnd();
    const auto expectKept = [&](size_t nMessages) {
        EXPECT_EQ(MessageCount(), nMessages);
        EXPECT_TRUE(pWindow->isVisible());
        EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 1), Gbk("张三"));
        EXPECT_TRUE(m_dlg.IsModified());
    };

    // Cancel keeps everything, whichever way the work was to go.
    for (int i = 0; i < 5; i++)
        m_boxes.QueueAnswer(IDCANCEL);
    Click(IDC_CLOSE_FILE);
    Click(IDC_OPEN_FILE);
    PressKey(m_dlg, Qt::Key_Escape);
    pWindow->close();   // the close box
    EXPECT_FALSE(m_app.QueryEndSession());
    expectKept(5u);
    EXPECT_TRUE(m_files.Calls().empty());
    for (const Testing::MessageBoxCall& call : m_boxes.Calls()) {
        EXPECT_EQ(call.strText, Gbk("文档已修改，是否保存？"));
        EXPECT_EQ(call.nType & MB_TYPEMASK, (UINT)MB_YESNOCANCEL);
    }

    // Yes on a new document asks for a path: a cancelled save as, or a file that cannot be
    // written, keeps the window and the table.
    m_boxes.QueueAnswer(IDYES);
    m_files.QueueCancel();
    PressKey(m_dlg, Qt::Key_Escape);
    expectKept(6u);
    ASSERT_EQ(m_files.Calls().size(), 1u);
    EXPECT_FALSE(m_files.Calls()[0].bOpen);
    m_boxes.QueueAnswer(IDYES);
    m_files.QueueAnswer(PathOf("missing/kept.zs"));
    pWindow->close();
    expectKept(8u);   // the question and the file's error
    EXPECT_EQ(m_dlg.m_strPathName, Gbk("新文件"));

    // Yes and a save that works: the session may end, the work is in the file.
    m_boxes.QueueAnswer(IDYES);
    m_files.QueueAnswer(PathOf("kept.zs"));
    EXPECT_TRUE(m_app.QueryEndSession());
    EXPECT_FALSE(m_dlg.IsModified());
    EXPECT_EQ(Title(), "Veltrane [ " + PathOf("kept.zs") + " ]");
    const std::string strKept = FileBytes(PathOf("kept.zs"));
    EXPECT_EQ(ReadCell("kept.zs", 2, 4), Gbk("二等奖"));

    // No throws the change away: the close command empties the table and the file stays.
    m_dlg.m_wndGrid.SetItemText(1, 1, Gbk("王五"));
    m_boxes.QueueAnswer(IDNO);
    Click(IDC_CLOSE_FILE);
    EXPECT_EQ(MessageCount(), 10u);
    EXPECT_TRUE(m_dlg.m_wndGrid.GetItemText(1, 1).IsEmpty());
    EXPECT_FALSE(m_dlg.IsModified());
    EXPECT_EQ(FileBytes(PathOf("kept.zs")), strKept);

    // Nothing left to lose: Esc ends the window without a question.
    PressKey(m_dlg, Qt::Key_Escape);
    EXPECT_EQ(MessageCount(), 10u);
    EXPECT_FALSE(pWindow->isVisible());
    m_app.m_pMainWnd = nullptr;
}

TEST_F(MainDlgTest, OpeningIntoAModifiedWindowAsksFirst)
{
    WriteDocument("other.zs", 1, 1, Gbk("赵六"));
    FillTwoRecords();
    m_files.QueueAnswer(PathOf("mine.zs"));
    Click(IDC_SAVE_FILE);

    // Yes saves the change first, then the chosen file is opened.
    m_dlg.m_wndGrid.SetItemText(1, 1, Gbk("王五"));
    m_boxes.QueueAnswer(IDYES);
    m_files.QueueAnswer(PathOf("other.zs"));
    Click(IDC_OPEN_FILE);
    EXPECT_EQ(ReadCell("mine.zs", 1, 1), Gbk("王五"));
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 1), Gbk("赵六"));
    EXPECT_EQ(m_dlg.m_strPathName, PathOf("other.zs"));
    EXPECT_FALSE(m_dlg.IsModified());

    // Opening a named file the way the command line does asks the same question.
    m_dlg.m_wndGrid.SetItemText(1, 2, "x");
    m_boxes.QueueAnswer(IDCANCEL);
    EXPECT_FALSE(m_dlg.OpenDocument(PathOf("mine.zs")));
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 2), CString("x"));
    EXPECT_TRUE(m_dlg.IsModified());

    // No, and a file that is not a document: the document and its mark stay.
    const CString strText = PathOf("notes.zs");
    {
        std::ofstream file(strText.str(), std::ios::binary);
        file << "not a certificate document";
    }
    m_boxes.QueueAnswer(IDNO);
    EXPECT_FALSE(m_dlg.OpenDocument(strText));
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 2), CString("x"));
    EXPECT_TRUE(m_dlg.IsModified());

    // No, and a document: the change is gone, the file is as it was.
    m_boxes.QueueAnswer(IDNO);
    EXPECT_TRUE(m_dlg.OpenDocument(PathOf("mine.zs")));
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 1), Gbk("王五"));
    EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 2), Gbk("一年级"));
    EXPECT_FALSE(m_dlg.IsModified());
    EXPECT_EQ(Title(), "Veltrane [ " + PathOf("mine.zs") + " ]");
    EXPECT_EQ(MessageCount(), 5u);   // four questions and the refused file
    EXPECT_EQ(ReadCell("other.zs", 1, 1), Gbk("赵六"));
}

TEST(MainApp, ProgramFolderIsThePathUpToItsLastSeparator)
{
    char szPath[64] = "/usr/lib/veltrane/veltrane";
    CMainApp::RemoveFileName(szPath);
    EXPECT_STREQ(szPath, "/usr/lib/veltrane");
    std::strcpy(szPath, "/veltrane");
    CMainApp::RemoveFileName(szPath);
    EXPECT_STREQ(szPath, "/veltrane");
    std::strcpy(szPath, "veltrane");
    CMainApp::RemoveFileName(szPath);
    EXPECT_STREQ(szPath, "veltrane");
}

// The program's start and end with a real modal loop: Enter leaves the main window open, Esc
// ends it and the program.
TEST(MainApp, RunsTheMainWindowUntilEscape)
{
    CMainApp app;
    bool bChecked = false;
    QString strTitle;
    bool bOpenAfterEnter = false;
    QTimer::singleShot(0, [&] {
        CWnd* pMainWnd = AfxGetMainWnd();
        if (!pMainWnd || !pMainWnd->GetSafeHwnd())
            return;
        bChecked = true;
        CString str;
        pMainWnd->GetWindowText(str);
        strTitle = Codec::ToUnicode(str);
        auto* pDlg = dynamic_cast<CMainDlg*>(pMainWnd);
        QWidget* pFocus = QApplication::focusWidget() ? QApplication::focusWidget() : pMainWnd->GetSafeHwnd();
        QTest::keyClick(pFocus, Qt::Key_Return);
        QTest::keyClick(pMainWnd->GetSafeHwnd(), Qt::Key_Return);
        QCoreApplication::processEvents();
        bOpenAfterEnter = pDlg && pDlg->IsModalRunning() && pMainWnd->IsWindowVisible();
        pFocus = QApplication::focusWidget() ? QApplication::focusWidget() : pMainWnd->GetSafeHwnd();
        QTest::keyClick(pFocus, Qt::Key_Escape);
    });
    // A safety net so that a failure cannot hang the suite.
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] {
        if (auto* pDlg = dynamic_cast<CDialog*>(AfxGetMainWnd()))
            pDlg->EndDialog(-5);
    });
    safety.start(10000);

    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(bChecked);
    EXPECT_EQ(strTitle, QString::fromUtf8(s_szEmptyTitle));
    EXPECT_TRUE(bOpenAfterEnter);
    EXPECT_EQ(AfxGetMainWnd(), nullptr);
    EXPECT_EQ(Codec::ToUnicode(app.m_szAppDir), QCoreApplication::applicationDirPath());
}

} // namespace
