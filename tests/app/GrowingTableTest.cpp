// More records than the new table's 300 rows: a paste grows the table and numbers its rows,
// the heading column shows every number whole, and the preview, printing and the PDF reach
// every row; a paste past the rows a document can hold says so once.
#include "CertificateWnd.h"
#include "DocumentFile.h"
#include "DocumentTestSupport.h"
#include "PdfExport.h"
#include "PreviewDlg.h"

#include "Dc.h"
#include "Testing.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <poppler/qt6/poppler-qt6.h>

namespace {

class GrowingTableTest : public CMainWindowTest {
protected:
    void SetUp() override
    {
        CMainWindowTest::SetUp();
        m_dlg.ShowWindow(SW_SHOW);
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = m_rectItem;
        pItem->m_strText = Gbk("{A}同学");
        pItem->m_strFontName = Gbk("宋体");
        m_dlg.m_printSet.m_arrItems.Add(pItem);
    }

    // nLines records "学生<n>" and "<n>班", pasted with Ctrl+V at record nRow.
    void PasteRecords(int nRow, int nLines)
    {
        QString strText;
        for (int i = 1; i <= nLines; i++)
            strText += QString::fromUtf8("学生%1\t%1班\r\n").arg(i);
        QApplication::clipboard()->setText(strText);
        CGridCtrl& grid = m_dlg.m_wndGrid;
        grid.SetFocus();
        grid.SetFocusCell(nRow, 1);
        QTest::keyClick(grid.GetSafeHwnd(), Qt::Key_V, Qt::ControlModifier);
    }

    // The heading column shows the last row's number without cutting it.
    bool LastNumberFits()
    {
        CGridCtrl& grid = m_dlg.m_wndGrid;
        CClientDC dc(&grid);
        return grid.GetCell(grid.GetRowCount() - 1, 0)->GetCellExtent(&dc).cx <= grid.GetColumnWidth(0);
    }

    long InkOfItem(const CCertificateWnd& wnd) const
    {
        const QImage* pPage = wnd.m_pMemDC->GetImage();
        long n = 0;
        for (int y = m_rectItem.top; y < m_rectItem.bottom; y++)
            for (int x = m_rectItem.left; x < m_rectItem.right; x++)
                n += qGray(pPage->pixel(x, y)) < 100;
        return n;
    }

    const CRect m_rectItem {490, 728, 1400, 801};
    Testing::CMessageBoxRecorder m_boxes;
    Testing::CModalDialogAnswerer m_dialogs;
};

} // namespace

TEST_F(GrowingTableTest, PastedRecordsPastRow300GrowTheTableAndReachEveryOutput)
{
    CGridCtrl& grid = m_dlg.m_wndGrid;
    PasteRecords(1, 420);
    ASSERT_EQ(grid.GetRowCount(), 421);
    EXPECT_EQ(grid.GetItemText(420, 1), Gbk("学生420"));
    EXPECT_EQ(grid.GetItemText(420, 2), Gbk("420班"));
    for (int nRow : {300, 301, 420}) {
        EXPECT_EQ(grid.GetItemText(nRow, 0), CString(std::to_string(nRow).c_str()));
        EXPECT_EQ(grid.GetItemFormat(nRow, 0), 0x8025u);
    }
    EXPECT_EQ(grid.GetColumnWidth(0), 40);
    EXPECT_TRUE(m_boxes.Calls().empty());

    // The preview steps on from record 300 into the added rows.
    grid.SetFocusCell(300, 1);
    long nInk301 = 0;
    m_dialogs.QueueAnswer(IDD_PREVIEW_DIALOG, 0, [&](CDialog& d) {
        auto& dlg = static_cast<CPreviewDlg&>(d);
        QTest::mouseClick(qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_NEXT)->GetSafeHwnd()), Qt::LeftButton);
        dlg.m_wndCertificate.UpdateWindow();
        nInk301 = InkOfItem(dlg.m_wndCertificate);
    });
    QTest::mouseClick(qobject_cast<QPushButton*>(m_dlg.GetDlgItem(IDC_PREVIEW)->GetSafeHwnd()), Qt::LeftButton);
    EXPECT_EQ(m_dlg.m_nCurRecord, 301);
    EXPECT_GT(nInk301, 100);

    // Printing all from record 418 prints 418 to 420; the PDF holds the same three.
    Testing::CPrinterRecorder printer;
    CCertificateWnd wnd;
    wnd.m_pPrintSet = &m_dlg.m_printSet;
    m_dlg.m_nCurRecord = 418;
    EXPECT_TRUE(wnd.PrintAll());
    EXPECT_EQ(printer.Pages().size(), 3u);
    EXPECT_EQ(m_dlg.m_nCurRecord, 421);
    wnd.ReleaseResources();

    m_dlg.m_nCurRecord = 418;
    CPdfExport pdf(&m_dlg.m_printSet);
    const QString strPdf = m_dir.filePath("past300.pdf");
    EXPECT_EQ(pdf.Export(Codec::FromUnicode(strPdf)), 3);
    const auto pDoc = Poppler::Document::load(strPdf);
    ASSERT_TRUE(pDoc);
    ASSERT_EQ(pDoc->numPages(), 3);
    EXPECT_TRUE(pDoc->page(2)->text(QRectF()).contains(QString::fromUtf8("学生420")));

    // Saved and opened again, in this window, the grown table comes back whole.
    Testing::CFileDialogAnswerer files;
    files.QueueAnswer(Codec::FromUnicode(m_dir.filePath("grown.zs")));
    QTest::mouseClick(qobject_cast<QPushButton*>(m_dlg.GetDlgItem(IDC_SAVE_FILE)->GetSafeHwnd()), Qt::LeftButton);
    CMainDlg reader;
    ASSERT_TRUE(reader.Create(CMainDlg::IDD));
    ASSERT_TRUE(reader.LoadDocument(Codec::FromUnicode(m_dir.filePath("grown.zs"))));
    EXPECT_EQ(reader.m_wndGrid.GetRowCount(), 421);
    EXPECT_EQ(reader.m_wndGrid.GetItemText(420, 0), CString("420"));
    EXPECT_EQ(reader.m_wndGrid.GetItemText(420, 1), Gbk("学生420"));
    reader.DestroyWindow();
}

// A table of 30000 rows, opened or pasted, widens its heading column for the five-digit
// numbers; a paste past the most records a document holds fills them and says once what it
// left out.
TEST_F(GrowingTableTest, TheHeadingColumnShowsTheLargestNumberAndTheBoundIsTold)
{
    CGridCtrl& grid = m_dlg.m_wndGrid;
    std::string strData = CDocumentFile::Build(grid, m_dlg.m_printSet);
    const size_t nRowsAt = 28 + 4 + 26 * 4;
    const int nRows = 30001;
    for (int i = 0; i < 4; i++)
        strData[nRowsAt + i] = (char)((uint32_t)nRows >> (8 * i));
    // The new table's cells are all empty, 4 bytes each; the added rows follow them.
    strData.insert(nRowsAt + 4 + 300 * 26 * 4, std::string((size_t)(nRows - 301) * 26 * 4, '\0'));
    QFile file(m_dir.filePath("rows.zs"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(strData.data(), (qint64)strData.size());
    file.close();
    ASSERT_TRUE(m_dlg.OpenDocument(Codec::FromUnicode(file.fileName())));
    ASSERT_EQ(grid.GetRowCount(), nRows);
    EXPECT_EQ(grid.GetItemText(30000, 0), CString("30000"));
    EXPECT_GT(grid.GetColumnWidth(0), 40);
    EXPECT_TRUE(LastNumberFits());

    const int nMaxRecords = CDocumentFile::MAX_ROWS - 1;
    PasteRecords(30000, nMaxRecords - 30000 + 1 + 10);
    EXPECT_EQ(grid.GetRowCount(), CDocumentFile::MAX_ROWS);
    EXPECT_EQ(grid.GetItemText(nMaxRecords, 1), Gbk("学生35536"));
    EXPECT_EQ(grid.GetItemText(nMaxRecords, 0), CString(std::to_string(nMaxRecords).c_str()));
    EXPECT_TRUE(LastNumberFits());
    ASSERT_EQ(m_boxes.Calls().size(), 1u);
    EXPECT_EQ(m_boxes.Calls()[0].strText, Gbk("表格最多只能容纳 65535 条记录，超出的记录没有粘贴。"));
    PasteRecords(nMaxRecords, 2);
    EXPECT_EQ(m_boxes.Calls().size(), 2u);
}
