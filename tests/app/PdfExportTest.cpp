// The PDF export read back with poppler: pages, their size, where the text lies, the text
// itself; failures that leave no file behind; the preview's button.
#include "../DocumentsFolderSupport.h"
#include "PdfExport.h"
#include "PdfTestSupport.h"
#include "PreviewDlg.h"

#include "File.h"
#include "Testing.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace PdfTest;

namespace {

class PdfExportTest : public CDocumentFixture {
protected:
    std::unique_ptr<Poppler::Document> Export(const char* pszName, int nFrom, int nExpectedPages)
    {
        m_dlg.m_nCurRecord = nFrom;
        CPdfExport pdf(&m_dlg.m_printSet);
        EXPECT_EQ(pdf.Export(Cp936(Path(pszName))), nExpectedPages);
        EXPECT_EQ(m_dlg.m_nCurRecord, nFrom);   // the window stays on its record
        auto pDoc = Poppler::Document::load(Path(pszName));
        EXPECT_TRUE(pDoc && !pDoc->isLocked());
        return pDoc;
    }
};

QString PageText(const Poppler::Document& doc, int nPage)
{
    return doc.page(nPage)->text(QRectF()).remove(QLatin1Char(' ')).remove(QLatin1Char('\n'));
}

} // namespace

TEST_F(PdfExportTest, OnePagePerRecordOfExactlyThePaperWithTextWhereTheLineRulePutsIt)
{
    const auto pDoc = Export("out.pdf", 1, 3);
    ASSERT_TRUE(pDoc);
    ASSERT_EQ(pDoc->numPages(), 3);

    // Every face the items use travels with the file.
    const QList<Poppler::FontInfo> fonts = pDoc->fonts();
    EXPECT_GE(fonts.size(), 2);
    for (const Poppler::FontInfo& font : fonts)
        EXPECT_TRUE(font.isEmbedded()) << font.name().toStdString();

    for (int nPage = 0; nPage < 3; nPage++) {
        SCOPED_TRACE(nPage);
        const auto pPage = pDoc->page(nPage);
        const QSizeF size = pPage->pageSizeF();
        EXPECT_NEAR(size.width(), 2450 * kPointsPerUnit, 0.5);
        EXPECT_NEAR(size.height(), 1760 * kPointsPerUnit, 0.5);

        // The first glyph of each item: at its paper left edge, its cell's top at the item's.
        const QString arrFirst[] = {QString::fromUtf8(kRecords[nPage][0]).left(1), QStringLiteral("在"),
                                    QStringLiteral("二")};
        for (int i = 0; i < 3; i++) {
            SCOPED_TRACE(i);
            const CRect& rect = kItems[i].rectPaper;
            const QRectF box = FirstGlyphBox(*pPage, arrFirst[i][0], rect.TopLeft());
            ASSERT_FALSE(box.isNull());
            EXPECT_NEAR(box.left(), rect.left * kPointsPerUnit, 1 * kPointsPerUnit);
            EXPECT_NEAR(box.top(), rect.top * kPointsPerUnit, ItemAscent(kItems[i]) * kPointsPerUnit);
        }
        // Searchable, the fixed text and the record's alike.
        EXPECT_FALSE(pPage->search(QStringLiteral("特发此证")).isEmpty());
        EXPECT_FALSE(pPage->search(QStringLiteral("年十二月")).isEmpty());
        EXPECT_FALSE(pPage->search(QString::fromUtf8(kRecords[nPage][1])).isEmpty());
    }

    // Record 2's page holds record 2's fields and no other record's.
    const QString strText = PageText(*pDoc, 1);
    for (const char* pszField : kRecords[1])
        EXPECT_TRUE(strText.contains(QString::fromUtf8(pszField))) << strText.toStdString();
    EXPECT_FALSE(strText.contains(QStringLiteral("张三")));

    // The second item passes its right edge: its later text lies on a second line, 3h/2 lower.
    const auto pPage = pDoc->page(0);
    const QRectF boxFirstLine = FirstGlyphBox(*pPage, QChar(u'在'), kItems[1].rectPaper.TopLeft());
    const QList<QRectF> found = pPage->search(QStringLiteral("此证"));
    ASSERT_EQ(found.size(), 1);
    EXPECT_NEAR(found[0].top() - boxFirstLine.top(), 120 * kPointsPerUnit, 1.0);
    EXPECT_FALSE(QFile::exists(Path("out.pdf.tmp")));
}

TEST_F(PdfExportTest, WalksTheRecordsThatPrintAllWouldPrint)
{
    // From record 2: records 2 and 3, record 4 (no field A) ends the walk.
    auto pDoc = Export("from2.pdf", 2, 2);
    ASSERT_TRUE(pDoc);
    EXPECT_EQ(pDoc->numPages(), 2);
    EXPECT_TRUE(PageText(*pDoc, 0).contains(QStringLiteral("李四")));

    // Row 300 counts; the walk ends past the table.
    for (int nRow = 298; nRow <= 300; nRow++)
        m_dlg.m_wndGrid.SetItemText(nRow, 1, Gbk("赵六"));
    pDoc = Export("last.pdf", 298, 3);
    ASSERT_TRUE(pDoc);
    EXPECT_EQ(pDoc->numPages(), 3);

    // Nothing printable from record 4: no file at all.
    m_dlg.m_nCurRecord = 4;
    CPdfExport pdf(&m_dlg.m_printSet);
    EXPECT_EQ(pdf.Export(Cp936(Path("none.pdf"))), 0);
    EXPECT_FALSE(QFile::exists(Path("none.pdf")));
}

TEST_F(PdfExportTest, AFileThatCannotBeWrittenLeavesNothingBehind)
{
    const auto ExpectFailure = [&](const QString& path, const char* pszWhat) {
        SCOPED_TRACE(pszWhat);
        CPdfExport pdf(&m_dlg.m_printSet);
        m_dlg.m_nCurRecord = 1;
        try {
            pdf.Export(Cp936(path));
            ADD_FAILURE() << "no exception";
        } catch (CFileException* e) {
            EXPECT_EQ(e->m_strFileName, Cp936(path));
            EXPECT_NE(e->m_cause, CFileException::none);
            e->Delete();
        }
        EXPECT_EQ(m_dlg.m_nCurRecord, 1);
        EXPECT_FALSE(QFile::exists(path + ".tmp"));
    };
    ExpectFailure(Path("missing/out.pdf"), "missing folder");
    EXPECT_FALSE(QFile::exists(Path("missing")));
    ExpectFailure(m_dir.path(), "a folder");

    // A file system that fills up part-way: the earlier file of that name stays as it was.
    QFile old(Path("full.pdf"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    rlimit limitBefore;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limitBefore), 0);
    rlimit limit = limitBefore;
    limit.rlim_cur = 4096;
    const auto handlerBefore = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    ExpectFailure(Path("full.pdf"), "file system full");
    setrlimit(RLIMIT_FSIZE, &limitBefore);
    std::signal(SIGXFSZ, handlerBefore);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
}

TEST_F(PdfExportTest, PreviewButtonOffersANameBesideTheDocumentAndSaysWhatItWrote)
{
    CDocumentsFolder home;
    home.MakeDocuments();
    m_dlg.m_strPathName = Cp936(Path("三年级.zs"));
    const CString strChosen = Cp936(Path("校样.pdf"));
    Testing::CMessageBoxRecorder boxes;
    Testing::CFileDialogAnswerer files;
    files.QueueAnswer(strChosen);
    files.QueueCancel();
    files.QueueCancel();
    Testing::CModalDialogAnswerer dialogs;
    dialogs.QueueAnswer(IDD_PREVIEW_DIALOG, 0, [](CDialog& dlg) {
        auto* pButton = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_EXPORT_PDF)->GetSafeHwnd());
        ASSERT_NE(pButton, nullptr);
        QTest::mouseClick(pButton, Qt::LeftButton);   // exports
        QTest::mouseClick(pButton, Qt::LeftButton);   // cancelled in the file dialog
        CMainDlg* pMain = CCertificateWnd::GetMainDlg();
        pMain->m_nCurRecord = 4;
        QTest::mouseClick(pButton, Qt::LeftButton);   // nothing to export: no file dialog
        // A new document's PDF is offered in the documents folder.
        pMain->m_nCurRecord = 2;
        pMain->m_strPathName = Gbk("新文件");
        QTest::mouseClick(pButton, Qt::LeftButton);
    });
    m_dlg.m_nCurRecord = 2;
    CPreviewDlg preview(&m_dlg);
    preview.m_pPrintSet = &m_dlg.m_printSet;
    preview.DoModal();

    ASSERT_EQ(files.Calls().size(), 3u);
    EXPECT_FALSE(files.Calls()[0].bOpen);
    EXPECT_EQ(files.Calls()[0].strFileName, Gbk("三年级.pdf"));
    EXPECT_EQ(files.Calls()[0].strInitialDir, Cp936(m_dir.path()));
    EXPECT_EQ(files.Calls()[0].strDefExt, ".pdf");
    EXPECT_EQ(files.Calls()[2].strFileName, Gbk("新文件.pdf"));
    EXPECT_EQ(files.Calls()[2].strInitialDir, Cp936(home.Documents()));

    ASSERT_EQ(boxes.Calls().size(), 2u);
    CString strWritten;
    strWritten.Format(Gbk("已将 %d 张证书导出到 %s。"), 2, (LPCTSTR)strChosen);
    EXPECT_EQ(boxes.Calls()[0].strText, strWritten);
    EXPECT_EQ(boxes.Calls()[1].strText, Gbk("第 4 条记录的 A 列为空，没有可导出的证书。"));
    const auto pDoc = Poppler::Document::load(Path("校样.pdf"));
    ASSERT_TRUE(pDoc);
    EXPECT_EQ(pDoc->numPages(), 2);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("校样.pdf")});
}
