// The main window: its start, its titles, the empty-table rule and the file commands, driven
// through the real dialog's buttons and keys; file dialogs, message boxes and modal dialogs are
// answered through the test seams.
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

    size_t MessageCount() const { return m_boxes.Calls().size(); }
    CString LastMessage() const { return m_boxes.Calls().empty() ? CString() : m_boxes.Calls().back().strText; }

    QTemporaryDir m_dir;
    CString m_strDir;
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
    // Pasting does not change the title; only the file commands do. A new document with
    // records has a title of its own once the title is updated.
    EXPECT_EQ(Title(), Gbk(s_szEmptyTitle));
    m_dlg.UpdateTitle();
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

TEST_F(MainDlgTest, SaveOnANewDocumentAsksForAPathInTheProgramFolder)
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
    EXPECT_EQ(call.strInitialDir, m_strDir);
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
    // The next save as offers the current name.
    m_files.QueueCancel();
    Click(IDC_SAVE_FILE_AS);
    ASSERT_EQ(m_files.Calls().size(), 3u);
    EXPECT_EQ(m_files.Calls()[2].strFileName, CString("award.zsx.zs"));
    EXPECT_EQ(m_files.Calls()[2].strInitialDir, m_strDir);

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
    {
        CMainDlg writer;
        SetUpRecordTable(writer.m_wndGrid);
        writer.m_wndGrid.SetItemText(5, 2, Gbk("赵六"));
        writer.m_strPathName = PathOf("sparse.zs");
        ASSERT_TRUE(writer.SaveDocument());
    }

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
    EXPECT_EQ(call.strInitialDir, m_strDir + "/");
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

    // Save as offers the opened file's name with its capitals, in the program's folder.
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
    EXPECT_EQ(m_files.Calls().back().strInitialDir, m_strDir);
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
