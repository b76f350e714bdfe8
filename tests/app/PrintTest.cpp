// Printing through the recording printer: the settings the job asks for, where the page lands,
// the record walk, the messages, and the progress window of "print all".
#include "../print/PrintTestSupport.h"
#include "CalibrateDlg.h"
#include "PreviewDlg.h"
#include "PrintItem.h"
#include "PrintJob.h"

#include "ProgressDialog.h"
#include "Testing.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTest>


namespace {

class PrintTest : public CPrintTestBase {
protected:
    void SetUp() override { SetUpDocument(); }

    // Pixels of the page that are not white, outside the item.
    long CountInkOutsideItem(const QImage& page) const
    {
        long n = 0;
        for (int y = 0; y < page.height(); y += 2)
            for (int x = 0; x < page.width(); x += 2)
                if (!m_rectItem.PtInRect(CPoint(x, y)) && (page.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                    n++;
        return n;
    }
    static long CountDark(const QImage& page, const CRect& rect)
    {
        long n = 0;
        for (int y = rect.top; y < rect.bottom; y++)
            for (int x = rect.left; x < rect.right; x++)
                n += qGray(page.pixel(x, y)) < 100;
        return n;
    }

    // Types the offsets into the calibration dialog's real edits.
    static void TypeOffsets(CDialog& dlg, const char* pszX, const char* pszY)
    {
        for (auto [nID, psz] : {std::pair {IDC_CALIBRATE_OFFSET_X, pszX}, std::pair {IDC_CALIBRATE_OFFSET_Y, pszY}}) {
            auto* pEdit = qobject_cast<QLineEdit*>(dlg.GetDlgItem(nID)->GetSafeHwnd());
            ASSERT_NE(pEdit, nullptr);
            pEdit->selectAll();
            QTest::keyClicks(pEdit, QString::fromUtf8(psz));
        }
    }
    static QPushButton* Button(CDialog& dlg, UINT nID)
    {
        return qobject_cast<QPushButton*>(dlg.GetDlgItem(nID)->GetSafeHwnd());
    }

    Testing::CMessageBoxRecorder m_boxes;
    Testing::CPrinterRecorder m_printer;
};

} // namespace

TEST(PrintGeometryTest, PlacesThePageByWhatThePrinterReports)
{
    // A4 landscape at 600 dpi with 5 mm margins, and the 2450 x 1760 page.
    auto g = CPrintJob::PrintGeometry::Compute(287, 200, 7016, 4960, 2450, 1760);
    EXPECT_EQ(g.nPw, 2870);
    EXPECT_EQ(g.nPh, 2000);
    EXPECT_EQ(g.nDx, 1026);
    EXPECT_EQ(g.nDy, 297);   // (240 x 4960 / 2000) / 2 = 595 / 2
    const CRect rect = g.GetTarget();
    EXPECT_EQ(rect, CRect(1026, 297, 7016, 4960 - 297));
    EXPECT_EQ(rect.Width(), 5990);
    EXPECT_EQ(rect.Height(), 4366);

    // Paper wider and taller than the printable area: negative margins, truncated toward zero.
    g = CPrintJob::PrintGeometry::Compute(200, 150, 4724, 3543, 2450, 1760);
    EXPECT_EQ(g.nDx, -1062);   // -450 x 4724 / 2000 = -1062.9
    EXPECT_EQ(g.nDy, -307);    // (-260 x 3543 / 1500) / 2 = -614 / 2

    // A printer that honours the paper exactly puts the page on the whole sheet.
    g = CPrintJob::PrintGeometry::Compute(245, 176, 11575, 8315, 2450, 1760);
    EXPECT_EQ(g.GetTarget(), CRect(0, 0, 11575, 8315));

    // A large paper at a fine resolution does not overflow.
    g = CPrintJob::PrintGeometry::Compute(2000, 2000, 94488, 94488, 1000, 1000);
    EXPECT_EQ(g.nDx, 89763);   // 19000 x 94488 / 20000 = 89763.6

    // The calibration stretches the page about its top-left corner, then moves it.
    struct Case {
        CSize sizeOffset, sizeScale;
        CRect rectTarget;   // left, top, right, bottom
    } cases[] = {
        {{0, 0}, {0, 0}, {1026, 297, 7016, 4663}},
        {{0, 0}, {100, -50}, {1026, 297, 1026 + 5990 + 60, 297 + 4366 - 22}},   // 59.9 and 21.83
        {{-30, 20}, {-75, 200}, {1026 - 71, 297 + 47, 1026 - 71 + 5990 - 45, 297 + 47 + 4366 + 87}},
    };
    for (const Case& c : cases) {
        g = CPrintJob::PrintGeometry::Compute(287, 200, 7016, 4960, 2450, 1760);
        CPrinterCalibration calibration;
        calibration.m_sizeOffset = c.sizeOffset;
        calibration.m_sizeScale = c.sizeScale;
        g.Calibrate(calibration, 600, 600);
        EXPECT_EQ(g.GetTarget(), c.rectTarget) << c.sizeScale.cx << " " << c.sizeScale.cy;
    }
    EXPECT_EQ(CPrinterCalibration::ScaleFromMeasure(2000, 2015), -75);   // 200 mm landed at 201.5 mm
    EXPECT_EQ(CPrinterCalibration::ScaleFromMeasure(1700, 1713), -76);   // -7.65 per mille
    EXPECT_EQ(CPrinterCalibration::ScaleFromMeasure(2000, 1990), 50);
}

TEST_F(PrintTest, PrintCurrentSendsThePageWithoutBackgroundAndRestoresTheScreen)
{
    FillRecords(1, 5);
    m_dlg.m_nCurRecord = 2;
    ASSERT_TRUE(m_wnd.PrintCurrent());

    ASSERT_EQ(m_printer.DevModes().size(), 1u);
    const DEVMODE& dm = m_printer.DevModes()[0];
    EXPECT_EQ(dm.dmFields, 0x1Du);
    EXPECT_EQ(dm.dmPaperSize, DMPAPER_USER);
    EXPECT_EQ(dm.dmPaperWidth, 2450);
    EXPECT_EQ(dm.dmPaperLength, 1760);
    EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(AfxGetSheetSize(dm), CSize(2450, 1760));

    EXPECT_EQ(m_printer.CallNames(), "StartDoc StartPage StretchBlt EndPage EndDoc");
    EXPECT_EQ(m_printer.Calls()[0].strDocName, "print");
    const auto pages = m_printer.Pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0]->rectDest, CRect(1026, 297, 5990, 4366));   // x, y, width, height
    EXPECT_EQ(pages[0]->rectSrc, CRect(0, 0, 2450, 1760));

    // The printed page: the text on white, nothing else.
    const QImage& printed = pages[0]->image;
    EXPECT_GT(CountDark(printed, m_rectItem), 100);
    EXPECT_EQ(CountInkOutsideItem(printed), 0);
    // The screen's page has its background again; the record did not move.
    EXPECT_GT(CountInkOutsideItem(*m_wnd.m_pMemDC->GetImage()), 10000);
    EXPECT_EQ(m_dlg.m_nCurRecord, 2);
    EXPECT_TRUE(m_boxes.Calls().empty());
}

TEST_F(PrintTest, OrientationFollowsTheTextAndThePageShape)
{
    struct Case {
        const char* pszOrientation;
        LONG nWidth, nHeight;
        DWORD dwFields;
        short nOrientation;
    } cases[] = {
        {"横向", 2450, 1760, 0x1D, DMORIENT_LANDSCAPE},
        {"纵向", 2450, 1760, 0x1D, DMORIENT_LANDSCAPE},   // the sheet keeps the page's shape
        {"横向", 1760, 2450, 0x1D, DMORIENT_PORTRAIT},
        {"other", 2450, 1760, 0x1C, 0},                    // as the printer has it
    };
    FillRecords(1, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszOrientation);
        Testing::CPrinterRecorder printer;
        m_dlg.m_printSet.m_strOrientation = Gbk(c.pszOrientation);
        m_dlg.m_printSet.m_nPaperWidth = c.nWidth;
        m_dlg.m_printSet.m_nPaperHeight = c.nHeight;
        m_wnd.ReleaseResources();
        m_dlg.m_nCurRecord = 1;
        ASSERT_TRUE(m_wnd.PrintCurrent());
        ASSERT_EQ(printer.DevModes().size(), 1u);
        const DEVMODE& dm = printer.DevModes()[0];
        EXPECT_EQ(dm.dmFields, c.dwFields);
        if (c.dwFields & DM_ORIENTATION) {
            EXPECT_EQ(dm.dmOrientation, c.nOrientation);
            EXPECT_EQ(AfxGetSheetSize(dm), CSize(c.nWidth, c.nHeight));
        }
        EXPECT_EQ(printer.Pages().at(0)->rectSrc, CRect(0, 0, c.nWidth, c.nHeight));
    }
}

TEST_F(PrintTest, PrintAllWalksThePrintableRecordsInOneJob)
{
    // Rows 1 to 5 filled, 6 empty, 7 filled: from record 3, records 3 to 5.
    FillRecords(1, 5);
    FillRecords(7, 7);
    m_dlg.m_nCurRecord = 3;
    EXPECT_TRUE(m_wnd.PrintAll());
    EXPECT_EQ(m_printer.CallNames(), "StartDoc StartPage StretchBlt EndPage StartPage StretchBlt EndPage "
                                     "StartPage StretchBlt EndPage EndDoc");
    EXPECT_EQ(m_dlg.m_nCurRecord, 6);
    const auto pages = m_printer.Pages();
    ASSERT_EQ(pages.size(), 3u);
    for (const auto* pPage : pages) {
        EXPECT_GT(CountDark(pPage->image, m_rectItem), 100);
        EXPECT_EQ(CountInkOutsideItem(pPage->image), 0);
    }
    // Each page holds its own record's text.
    EXPECT_NE(pages[0]->image, pages[1]->image);
    EXPECT_NE(pages[1]->image, pages[2]->image);
    // The screen shows record 6 with its background.
    EXPECT_GT(CountInkOutsideItem(*m_wnd.m_pMemDC->GetImage()), 10000);
    EXPECT_TRUE(m_boxes.Calls().empty());

    // The last row of the table is a record like the others.
    Testing::CPrinterRecorder printer;
    FillRecords(299, 300);
    m_dlg.m_nCurRecord = 299;
    EXPECT_TRUE(m_wnd.PrintAll());
    EXPECT_EQ(printer.Pages().size(), 2u);
    EXPECT_EQ(m_dlg.m_nCurRecord, 301);
}

TEST_F(PrintTest, PrintAllOnAnEmptyRecordSendsNoJobAndSaysSo)
{
    FillRecords(2, 3);
    m_dlg.m_nCurRecord = 1;
    EXPECT_FALSE(m_wnd.PrintAll());
    EXPECT_TRUE(m_printer.Calls().empty());
    EXPECT_TRUE(m_printer.DevModes().empty());
    ASSERT_EQ(m_boxes.Calls().size(), 1u);
    EXPECT_EQ(m_boxes.Calls()[0].strText, Gbk("第 1 条记录的 A 列是空的，没有可打印的证书。"));
    EXPECT_EQ(m_dlg.m_nCurRecord, 1);
}

TEST_F(PrintTest, MissingOrFailingPrinterIsToldInWords)
{
    FillRecords(1, 3);
    {
        SCOPED_TRACE("no default printer");
        Testing::CMessageBoxRecorder boxes;
        Testing::CPrinterRecorder printer;
        printer.m_strPrinterName.Empty();
        m_dlg.m_nCurRecord = 1;
        EXPECT_FALSE(m_wnd.PrintCurrent());
        EXPECT_FALSE(m_wnd.PrintAll());
        ASSERT_EQ(boxes.Calls().size(), 2u);
        EXPECT_EQ(boxes.Calls()[0].strText.Find(Gbk("没有默认打印机")), 0);
        EXPECT_EQ(boxes.Calls()[1].strText, boxes.Calls()[0].strText);
        EXPECT_TRUE(printer.DevModes().empty());
        EXPECT_EQ(m_dlg.m_nCurRecord, 1);
    }
    {
        SCOPED_TRACE("printer that cannot be opened");
        Testing::CMessageBoxRecorder boxes;
        Testing::CPrinterRecorder printer;
        printer.m_strPrinterName = "Office";
        printer.m_bCannotOpen = TRUE;
        EXPECT_FALSE(m_wnd.PrintAll());
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].strText, Gbk("无法打开打印机“Office”，证书没有打印。"));
        EXPECT_TRUE(printer.Calls().empty());
    }
    {
        SCOPED_TRACE("failure on the second page");
        Testing::CMessageBoxRecorder boxes;
        Testing::CPrinterRecorder printer;
        printer.m_strPrinterName = "Office";
        printer.m_nFailPage = 2;
        m_dlg.m_nCurRecord = 1;
        EXPECT_TRUE(m_wnd.PrintAll());
        // The first page still goes to the printer; the walk stops at record 2.
        EXPECT_EQ(printer.CallNames(), "StartDoc StartPage StretchBlt EndPage StartPage EndDoc");
        EXPECT_EQ(m_dlg.m_nCurRecord, 2);
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].strText.Find(Gbk("打印机“Office”出错，打印已停止。\n已发送 1 张证书；从第 2 条记录起没有打印。")), 0);
        // The screen shows record 2 with its background, not the half-printed page.
        EXPECT_GT(CountInkOutsideItem(*m_wnd.m_pMemDC->GetImage()), 10000);
    }
}

TEST_F(PrintTest, PrintRecordsWithoutProgressShowsNothing)
{
    FillRecords(1, 4);
    const auto Print = [this](int nFirst) {
        m_dlg.m_nCurRecord = nFirst;
        auto pJob = std::make_unique<CPrintJob>(m_wnd);
        pJob->PrintRecords(FALSE);
        return pJob;
    };
    auto pJob = Print(2);
    EXPECT_EQ(pJob->m_nPrinted, 3);
    EXPECT_TRUE(pJob->m_strError.IsEmpty());
    EXPECT_TRUE(pJob->GetReport().IsEmpty());
    EXPECT_EQ(m_printer.Pages().size(), 3u);
    EXPECT_EQ(m_dlg.m_nCurRecord, 5);

    Testing::CPrinterRecorder none;
    none.m_strPrinterName.Empty();
    pJob = Print(1);
    EXPECT_EQ(pJob->m_nPrinted, 0);
    EXPECT_EQ(pJob->m_strError.Find(Gbk("没有默认打印机")), 0);

    Testing::CPrinterRecorder failing;
    failing.m_nFailPage = 3;
    pJob = Print(1);
    EXPECT_EQ(pJob->m_nPrinted, 2);
    EXPECT_GE(pJob->m_strError.Find(Gbk("已发送 2 张证书")), 0);
    EXPECT_EQ(pJob->GetReport(), pJob->m_strError);
    EXPECT_TRUE(m_boxes.Calls().empty());
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QProgressDialog*>(pWidget), nullptr);
}

// How "连续打印" ends decides what the user is told and which record the preview is left on:
// the first one whose page the queue did not take. A refused job takes all its pages with it,
// so "连续打印" again from there prints every record exactly once.
TEST_F(PrintTest, TheQueuesAnswerDecidesTheMessageAndTheRecordLeftOn)
{
    FillRecords(1, 5);
    const char* const pszRefused = "打印机“Office”的打印队列没有接受这项打印作业：%s\n"
                                   "没有一张证书交给打印队列（本次共 %d 张）；从第 2 条记录起没有打印。";
    const auto Refused = [pszRefused](const char* pszReason, int nPages) {
        CString str;
        str.Format(Gbk(pszRefused), (LPCTSTR)Gbk(pszReason), nPages);
        return str;
    };
    const CString strPage = "StartPage StretchBlt EndPage ";
    struct Case {
        const char* pszName;
        int nFailPage;
        BOOL bRefuse, bStopped, bCancel;
        const char* pszJobError;
        CString strCalls;      // after StartDoc
        int nTaken;            // pages the queue took
        int nRecordLeftOn;
        UINT nIcon;            // 0: no message
        CString strMessage;
    } cases[] = {
        {"printed", 0, FALSE, FALSE, FALSE, "", strPage + strPage + strPage + strPage + "EndDoc", 4, 6, 0, ""},
        {"refused", 0, TRUE, FALSE, FALSE, "Destination \"Office\" is not accepting jobs.",
         strPage + strPage + strPage + strPage + "EndDoc", 0, 2, MB_ICONSTOP,
         Refused("Destination \"Office\" is not accepting jobs.", 4)},
        {"refused without a reason", 0, TRUE, FALSE, FALSE, "", strPage + strPage + strPage + strPage + "EndDoc", 0, 2,
         MB_ICONSTOP, Refused("打印队列没有说明原因。", 4)},
        {"printer stopped", 0, FALSE, TRUE, FALSE, "", strPage + strPage + strPage + strPage + "EndDoc", 4, 6,
         MB_ICONINFORMATION,
         Gbk("打印机“Office”已停止：4 张证书的打印作业（作业号 1）已排入它的打印队列，打印机恢复工作后就会打印。")},
        {"page 3 failed, the rest refused", 3, TRUE, FALSE, FALSE, "", strPage + strPage + "StartPage EndDoc", 0, 2,
         MB_ICONSTOP, Refused("打印队列没有说明原因。", 2)},
        {"first page failed", 1, FALSE, FALSE, FALSE, "", "StartPage AbortDoc", 0, 2, MB_ICONSTOP,
         Gbk("打印机“Office”出错，打印已停止。\n已发送 0 张证书；从第 2 条记录起没有打印。")},
        {"cancelled at once", 0, FALSE, FALSE, TRUE, "", "AbortDoc", 0, 2, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        Testing::CMessageBoxRecorder boxes;
        auto pPrinter = std::make_unique<Testing::CPrinterRecorder>();
        pPrinter->m_strPrinterName = "Office";
        pPrinter->m_nFailPage = c.nFailPage;
        pPrinter->m_bRefuseJob = c.bRefuse;
        pPrinter->m_strJobError = c.pszJobError;
        pPrinter->m_bPrinterStopped = c.bStopped;
        if (c.bCancel)
            CancelProgressWhenShown();
        m_dlg.m_nCurRecord = 2;
        m_wnd.ShowRecord();
        EXPECT_EQ(m_wnd.PrintAll(), c.nTaken > 0);
        EXPECT_EQ(pPrinter->CallNames(), "StartDoc " + c.strCalls);
        EXPECT_EQ(m_dlg.m_nCurRecord, c.nRecordLeftOn);
        ASSERT_EQ(boxes.Calls().size(), c.nIcon ? 1u : 0u);
        if (c.nIcon) {
            EXPECT_EQ(boxes.Calls()[0].strText, c.strMessage);
            EXPECT_EQ(boxes.Calls()[0].nType, MB_OK | c.nIcon);
        }
        // The screen shows the record left on, with its background, not a page for the printer.
        const CStringArray& arrTokens = m_wnd.m_arrItemTokens.at(0);
        CString strShown;
        for (int i = 0; i < arrTokens.GetSize(); i++)
            strShown += arrTokens[i];
        CString strExpected;
        strExpected.Format("%d", c.nRecordLeftOn);
        EXPECT_EQ(strShown, c.nRecordLeftOn <= 5 ? Gbk("学生") + strExpected + Gbk("同学") : Gbk("同学"));
        EXPECT_GT(CountInkOutsideItem(*m_wnd.m_pMemDC->GetImage()), 10000);
        if (c.nRecordLeftOn > 5)
            continue;
        // Again, to a printer that works: the records the queue did not take, and no other.
        pPrinter.reset();   // recorders nest: the newest must go first
        pPrinter = std::make_unique<Testing::CPrinterRecorder>();
        EXPECT_TRUE(m_wnd.PrintAll());
        EXPECT_EQ((int)pPrinter->Pages().size() + c.nTaken, 4);
        EXPECT_EQ(m_dlg.m_nCurRecord, 6);
    }
}

// "连续打印" in the real preview: the progress window counts the records, repaints the preview
// as it goes, and its cancel button stops the run after the page being sent.
TEST_F(PrintTest, ProgressWindowCountsAndCancelStopsAfterThePage)
{
    FillRecords(1, 6);
    m_dlg.m_wndGrid.SetFocusCell(2, 1);
    std::vector<QString> labels;
    std::vector<int> recordsShown;
    CPreviewDlg* pPreview = nullptr;
    m_printer.m_onPage = [&](int nPage) {
        QProgressDialog* pProgress = nullptr;
        for (QWidget* pWidget : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(pWidget); p && p->isVisible())
                pProgress = p;
        ASSERT_NE(pProgress, nullptr);
        EXPECT_TRUE(pProgress->isModal());
        labels.push_back(pProgress->labelText());
        if (nPage == 2) {
            auto* pCancel = pProgress->findChild<QPushButton*>();
            ASSERT_NE(pCancel, nullptr);
            QTest::mouseClick(pCancel, Qt::LeftButton);
        }
    };
    Testing::CModalDialogAnswerer dialogs;
    dialogs.QueueAnswer(IDD_PREVIEW_DIALOG, 0, [&](CDialog& dlg) {
        pPreview = static_cast<CPreviewDlg*>(&dlg);
        pPreview->m_wndCertificate.UpdateWindow();
        const QImage before = pPreview->m_wndCertificate.GetBackingImage().copy();
        auto* pButton = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDC_PRINT_ALL)->GetSafeHwnd());
        QTest::mouseClick(pButton, Qt::LeftButton);
        recordsShown.push_back(m_dlg.m_nCurRecord);
        // The control was repainted during the run: it now shows another record.
        EXPECT_NE(pPreview->m_wndCertificate.GetBackingImage(), before);
    });
    auto* pButton = qobject_cast<QPushButton*>(m_dlg.GetDlgItem(IDC_PREVIEW)->GetSafeHwnd());
    QTest::mouseClick(pButton, Qt::LeftButton);

    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0], QString::fromUtf8("正在打印第 2 条记录（1 / 5）"));
    EXPECT_EQ(labels[1], QString::fromUtf8("正在打印第 3 条记录（2 / 5）"));
    // Records 2 and 3 were sent; the preview waits on record 4.
    EXPECT_EQ(m_printer.Pages().size(), 2u);
    EXPECT_EQ(m_printer.CallNames().Right(6), "EndDoc");
    EXPECT_EQ(recordsShown, std::vector<int> {4});
    EXPECT_TRUE(m_boxes.Calls().empty());
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QProgressDialog*>(pWidget) && pWidget->isVisible());
}

TEST(CalibrateDlgTest, OffsetsAreMillimetresInTenthsWithinFifty)
{
    const std::pair<const char*, int> good[] = {{"3.5", 35}, {"-2", -20}, {"+0.1", 1}, {" 50 ", 500},
                                                {"-50.0", -500}, {"0", 0}, {"12.", 120}};
    for (auto [psz, nExpected] : good) {
        int nTenths = 9999;
        EXPECT_TRUE(CCalibrateDlg::ParseTenths(psz, 500, nTenths)) << psz;
        EXPECT_EQ(nTenths, nExpected) << psz;
    }
    for (const char* psz : {"50.1", "-60", "1.25", "abc", "", "-", ".5", "3,5", "1e1", "0050"}) {
        int nTenths = 7;
        EXPECT_FALSE(CCalibrateDlg::ParseTenths(psz, 500, nTenths)) << psz;
        EXPECT_EQ(nTenths, 7) << psz;
    }
    EXPECT_EQ(CCalibrateDlg::FormatTenths(-5), "-0.5");
    EXPECT_EQ(CCalibrateDlg::FormatTenths(30), "3.0");
    EXPECT_EQ(CCalibrateDlg::FormatTenths(-500), "-50.0");
}

// The calibration opened from the preview: the offsets typed there are kept for the printer,
// read back by a new settings object, and move every page printed on that printer.
TEST_F(PrintTest, CalibrationIsKeptPerPrinterAndMovesEveryPage)
{
    FillRecords(1, 3);
    m_dlg.m_wndGrid.SetFocusCell(1, 1);
    Testing::CModalDialogAnswerer dialogs;
    QString strPrinterLabel;
    dialogs.QueueAnswer(IDD_PREVIEW_DIALOG, 0, [](CDialog& dlg) {
        QTest::mouseClick(Button(dlg, IDC_PRINT_CALIBRATE), Qt::LeftButton);
    });
    dialogs.QueueAnswer(IDD_CALIBRATE_DIALOG, IDOK, [&](CDialog& dlg) {
        strPrinterLabel = qobject_cast<QLabel*>(dlg.GetDlgItem(IDC_CALIBRATE_PRINTER)->GetSafeHwnd())->text();
        TypeOffsets(dlg, "3.0", "-2.0");
    });
    QTest::mouseClick(qobject_cast<QPushButton*>(m_dlg.GetDlgItem(IDC_PREVIEW)->GetSafeHwnd()), Qt::LeftButton);
    // The calibration, opened from the preview, ends first.
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_EQ(dialogs.Calls()[0].nIDTemplate, (UINT)IDD_CALIBRATE_DIALOG);
    EXPECT_EQ(dialogs.Calls()[0].nResult, IDOK);
    EXPECT_EQ(strPrinterLabel, QString::fromUtf8("打印机：Recorder"));
    EXPECT_TRUE(m_boxes.Calls().empty());

    // A restart reads the same file, which holds the offsets and nothing else: the entries a
    // calibration by offsets alone always had.
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Veltrane", "veltrane");
    EXPECT_EQ(settings.value("Calibration Recorder/OffsetX").toInt(), 30);
    EXPECT_EQ(settings.value("Calibration Recorder/OffsetY").toInt(), -20);
    settings.beginGroup("Calibration Recorder");
    EXPECT_EQ(settings.childKeys(), QStringList({"OffsetX", "OffsetY"}));
    settings.endGroup();

    // 600 dpi: 3.0 mm is 70.9 device units, -2.0 mm is -47.2.
    m_dlg.m_nCurRecord = 1;
    ASSERT_TRUE(m_wnd.PrintCurrent());
    ASSERT_TRUE(m_wnd.PrintAll());
    const auto pages = m_printer.Pages();
    ASSERT_EQ(pages.size(), 4u);
    for (const auto* pPage : pages)
        EXPECT_EQ(pPage->rectDest, CRect(1026 + 71, 297 - 47, 5990, 4366));

    // Another printer keeps its own (none).
    Testing::CPrinterRecorder other;
    other.m_strPrinterName = "Other";
    m_dlg.m_nCurRecord = 1;
    ASSERT_TRUE(m_wnd.PrintCurrent());
    EXPECT_EQ(other.Pages().at(0)->rectDest, CRect(1026, 297, 5990, 4366));
}

TEST_F(PrintTest, CalibrationRefusesBadOffsetsAndPrintsTheTestPageAsTyped)
{
    CPrinterCalibration calibration;
    calibration.m_sizeOffset = CSize(5, -5);
    ASSERT_TRUE(calibration.Write("Recorder"));
    Testing::CModalDialogAnswerer dialogs;
    CString strShownX;
    dialogs.QueueAnswer(IDD_CALIBRATE_DIALOG, IDOK, [&](CDialog& dlg) {
        dlg.GetDlgItemText(IDC_CALIBRATE_OFFSET_X, strShownX);
        for (const char* pszBad : {"60", "1.25", "abc"}) {
            TypeOffsets(dlg, pszBad, "0");
            QTest::mouseClick(Button(dlg, IDOK), Qt::LeftButton);
            EXPECT_TRUE(dlg.IsWindowVisible()) << pszBad;
        }
        // The test page goes out at the offsets typed, before they are kept.
        TypeOffsets(dlg, "1.0", "0");
        QTest::mouseClick(Button(dlg, IDC_CALIBRATE_TEST_PAGE), Qt::LeftButton);
        TypeOffsets(dlg, "99", "0");
    });
    CCalibrateDlg dlg(&m_dlg);
    dlg.m_pCertificateWnd = &m_wnd;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(strShownX, "0.5");
    ASSERT_EQ(m_boxes.Calls().size(), 4u);   // three refusals, and the last bad entry on OK
    EXPECT_EQ(m_boxes.Calls()[0].strText.Find(Gbk("偏移请填写 -50 到 50")), 0);
    EXPECT_EQ(CPrinterCalibration::Read("Recorder").m_sizeOffset, CSize(5, -5));

    // The test page: 1.0 mm is 23.6 device units at 600 dpi, the vertical offset zero.
    const auto pages = m_printer.Pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0]->rectDest, CRect(1026 + 24, 297, 5990, 4366));
    const QImage& page = pages[0]->image;
    // Ruler ticks along the top and left edges: a 1 cm tick is longer than a 1 mm one.
    EXPECT_GT(CountDark(page, CRect(99, 0, 102, 55)), 50);
    EXPECT_GT(CountDark(page, CRect(109, 0, 112, 18)), 10);
    EXPECT_EQ(CountDark(page, CRect(109, 25, 112, 55)), 0);
    EXPECT_GT(CountDark(page, CRect(0, 99, 55, 102)), 50);
    // The marks a scale is measured by: at 200 mm across and, the paper being 176 mm tall, at
    // 170 mm down, twice as long as a centimetre tick and labelled.
    EXPECT_GT(CountDark(page, CRect(1997, 65, 2004, 118)), 150);
    EXPECT_EQ(CountDark(page, CRect(1897, 65, 1904, 118)), 0);
    EXPECT_GT(CountDark(page, CRect(2008, 98, 2100, 130)), 100);
    EXPECT_GT(CountDark(page, CRect(65, 1697, 118, 1704)), 150);
    EXPECT_EQ(CountDark(page, CRect(65, 1597, 118, 1604)), 0);
    EXPECT_GT(CountDark(page, CRect(128, 1666, 230, 1698)), 100);
    // The item's frame, a cross at its top-left, and none of the record's text inside.
    EXPECT_GT(CountDark(page, CRect(m_rectItem.left, m_rectItem.top - 1, m_rectItem.right, m_rectItem.top + 2)), 800);
    EXPECT_GT(CountDark(page, CRect(m_rectItem.left - 45, m_rectItem.top - 1, m_rectItem.left - 5, m_rectItem.top + 2)), 40);
    EXPECT_GT(CountDark(page, CRect(m_rectItem.left - 1, m_rectItem.top - 45, m_rectItem.left + 2, m_rectItem.top - 5)), 40);
    EXPECT_EQ(CountDark(page, CRect(m_rectItem.left + 5, m_rectItem.top + 5, m_rectItem.right - 5, m_rectItem.bottom - 5)), 0);
    // The screen's page is the certificate again.
    EXPECT_GT(CountInkOutsideItem(*m_wnd.m_pMemDC->GetImage()), 10000);
}

// The scales through the dialog's real widgets: typed in per mille within -20.0 to 20.0, or
// worked out from where the ruler's mark landed; 清晰打印 kept beside them. Clearing them all
// leaves the printer's entries as a calibration by offsets alone has them.
TEST_F(PrintTest, CalibrationTakesScalesInRangeOrFromTheRulersMark)
{
    const auto Edit = [](CDialog& dlg, UINT nID) { return qobject_cast<QLineEdit*>(dlg.GetDlgItem(nID)->GetSafeHwnd()); };
    const auto Type = [&](CDialog& dlg, UINT nID, const char* psz) {
        Edit(dlg, nID)->selectAll();
        QTest::keyClicks(Edit(dlg, nID), QString::fromUtf8(psz));
    };
    const auto Label = [](CDialog& dlg, UINT nID) { return qobject_cast<QLabel*>(dlg.GetDlgItem(nID)->GetSafeHwnd())->text(); };
    const auto Check = [](CDialog& dlg) { return qobject_cast<QCheckBox*>(dlg.GetDlgItem(IDC_CALIBRATE_VECTOR_TEXT)->GetSafeHwnd()); };
    // A click on the check box's square.
    const auto Tick = [&](CDialog& dlg) { QTest::mouseClick(Check(dlg), Qt::LeftButton, {}, QPoint(6, Check(dlg)->height() / 2)); };
    Testing::CModalDialogAnswerer dialogs;
    dialogs.QueueAnswer(IDD_CALIBRATE_DIALOG, IDOK, [&](CDialog& dlg) {
        // The paper is 176 mm tall: down, the 170 mm mark is measured.
        EXPECT_EQ(Label(dlg, IDC_CALIBRATE_MARK_X), QString::fromUtf8("200 毫米刻度落在"));
        EXPECT_EQ(Label(dlg, IDC_CALIBRATE_MARK_Y), QString::fromUtf8("170 毫米刻度落在"));
        EXPECT_FALSE(Check(dlg)->isChecked());
        for (const char* pszBad : {"20.1", "-20.05", "25", "abc", ""}) {
            Type(dlg, IDC_CALIBRATE_SCALE_X, pszBad);
            QTest::mouseClick(Button(dlg, IDOK), Qt::LeftButton);
            EXPECT_TRUE(dlg.IsWindowVisible()) << pszBad;
        }
        // A mark that landed too far off shows its scale, which OK refuses as well.
        Type(dlg, IDC_CALIBRATE_LANDED_X, "196.0");
        EXPECT_EQ(Edit(dlg, IDC_CALIBRATE_SCALE_X)->text(), "20.0");
        Type(dlg, IDC_CALIBRATE_LANDED_X, "195.9");
        EXPECT_EQ(Edit(dlg, IDC_CALIBRATE_SCALE_X)->text(), "20.5");
        QTest::mouseClick(Button(dlg, IDOK), Qt::LeftButton);
        EXPECT_TRUE(dlg.IsWindowVisible());
        Type(dlg, IDC_CALIBRATE_LANDED_X, "201.5");
        EXPECT_EQ(Edit(dlg, IDC_CALIBRATE_SCALE_X)->text(), "-7.5");
        Type(dlg, IDC_CALIBRATE_LANDED_Y, "171.3");
        EXPECT_EQ(Edit(dlg, IDC_CALIBRATE_SCALE_Y)->text(), "-7.6");
        // A scale typed over it: the length measured is forgotten.
        Type(dlg, IDC_CALIBRATE_SCALE_X, "-20.0");
        EXPECT_EQ(Edit(dlg, IDC_CALIBRATE_LANDED_X)->text(), "");
        EXPECT_EQ(Edit(dlg, IDC_CALIBRATE_LANDED_Y)->text(), "171.3");
        Tick(dlg);
        // The test page goes out as the lines it is drawn with, clear printing or not.
        QTest::mouseClick(Button(dlg, IDC_CALIBRATE_TEST_PAGE), Qt::LeftButton);
    });
    CCalibrateDlg dlg(&m_dlg);
    dlg.m_pCertificateWnd = &m_wnd;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    ASSERT_EQ(m_boxes.Calls().size(), 6u);
    for (const Testing::MessageBoxCall& call : m_boxes.Calls())
        EXPECT_EQ(call.strText.Find(Gbk("缩放请填写 -20.0 到 20.0")), 0);
    ASSERT_EQ(m_printer.Pages().size(), 1u);
    EXPECT_EQ(m_printer.Pages()[0]->rectDest, CRect(1026, 297, 5990 - 120, 4366 - 33));   // -20.0 and -7.6 per mille
    const CPrinterCalibration calibration = CPrinterCalibration::Read("Recorder");
    EXPECT_EQ(calibration.m_sizeOffset, CSize(0, 0));
    EXPECT_EQ(calibration.m_sizeScale, CSize(-200, -76));
    EXPECT_TRUE(calibration.m_bVectorText);

    // Opened again, it shows what was kept; all of it cleared, the entries are the offsets' alone.
    dialogs.QueueAnswer(IDD_CALIBRATE_DIALOG, IDOK, [&](CDialog& dlg) {
        EXPECT_EQ(Edit(dlg, IDC_CALIBRATE_SCALE_X)->text(), "-20.0");
        EXPECT_EQ(Edit(dlg, IDC_CALIBRATE_SCALE_Y)->text(), "-7.6");
        EXPECT_TRUE(Check(dlg)->isChecked());
        Type(dlg, IDC_CALIBRATE_SCALE_X, "0");
        Type(dlg, IDC_CALIBRATE_SCALE_Y, "+0.0");
        Tick(dlg);
    });
    CCalibrateDlg again(&m_dlg);
    again.m_pCertificateWnd = &m_wnd;
    EXPECT_EQ(again.DoModal(), IDOK);
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Veltrane", "veltrane");
    settings.beginGroup("Calibration Recorder");
    EXPECT_EQ(settings.childKeys(), QStringList({"OffsetX", "OffsetY"}));
}

// 清晰打印 draws every item through the renderer onto the printer at its resolution, where the
// copied page would have put its ink, whatever the printer's geometry and calibration: the ink
// of the recorded drawing against the copied page's ink mapped onto the sheet.
TEST_F(PrintTest, VectorTextLandsWhereTheCopiedPagesInkWould)
{
    FillRecords(1, 2);
    auto* pItem = new CPrintItem;
    pItem->m_rectPaper = CRect(1700, 1400, 2300, 1480);
    pItem->m_strText = Gbk("二〇二六年十二月");
    pItem->m_strFontName = Gbk("楷体_GB2312");
    m_dlg.m_printSet.m_arrItems.Add(pItem);
    // The bounding box of what is dark in an image.
    const auto InkBox = [](const QImage& image) {
        QRect rect;
        for (int y = 0; y < image.height(); y++)
            for (int x = 0; x < image.width(); x++)
                if (qGray(image.pixel(x, y)) < 128)
                    rect |= QRect(x, y, 1, 1);
        return rect;
    };
    struct Case {
        const char* pszName;
        int nHorzSize, nVertSize, nPhysicalWidth, nPhysicalHeight, nLogPixels;
        CSize sizeOffset, sizeScale;
    } cases[] = {
        {"A4 at 600 dpi", 287, 200, 7016, 4960, 600, {0, 0}, {0, 0}},
        {"300 dpi, calibrated", 287, 200, 3508, 2480, 300, {25, -40}, {150, -100}},
        {"paper past the printable area", 200, 150, 4724, 3543, 600, {-10, 10}, {-200, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        Testing::CPrinterRecorder printer;
        printer.m_nHorzSize = c.nHorzSize;
        printer.m_nVertSize = c.nVertSize;
        printer.m_nPhysicalWidth = c.nPhysicalWidth;
        printer.m_nPhysicalHeight = c.nPhysicalHeight;
        printer.m_nLogPixels = c.nLogPixels;
        CPrinterCalibration calibration;
        calibration.m_sizeOffset = c.sizeOffset;
        calibration.m_sizeScale = c.sizeScale;
        ASSERT_TRUE(calibration.Write("Recorder"));
        m_dlg.m_nCurRecord = 1;
        m_wnd.ShowRecord();
        ASSERT_TRUE(m_wnd.PrintCurrent());
        calibration.m_bVectorText = TRUE;
        ASSERT_TRUE(calibration.Write("Recorder"));
        ASSERT_TRUE(m_wnd.PrintAll());
        EXPECT_EQ(printer.CallNames(), "StartDoc StartPage StretchBlt EndPage EndDoc "
                                       "StartDoc StartPage EndPage StartPage EndPage EndDoc");
        const Testing::PrinterCall& copy = *printer.Pages().at(0);
        const QRect rectPageInk = InkBox(copy.image);
        ASSERT_FALSE(rectPageInk.isEmpty());
        // Recorded as x, y, width, height.
        const double dScaleX = (double)copy.rectDest.right / copy.rectSrc.right;
        const double dScaleY = (double)copy.rectDest.bottom / copy.rectSrc.bottom;
        const QRectF rectExpected(copy.rectDest.left + rectPageInk.left() * dScaleX, copy.rectDest.top + rectPageInk.top() * dScaleY,
                                  rectPageInk.width() * dScaleX, rectPageInk.height() * dScaleY);
        // The first record's drawing, replayed at a quarter of the printer's resolution.
        const QPicture& picture = printer.Calls().at(7).picture;
        QImage drawn(c.nPhysicalWidth / 4, c.nPhysicalHeight / 4, QImage::Format_Grayscale8);
        drawn.fill(Qt::white);
        QPainter painter(&drawn);
        painter.scale(0.25, 0.25);
        painter.drawPicture(0, 0, picture);
        painter.end();
        const QRect rectDrawn = InkBox(drawn);
        // Within 0.25 mm, and a pixel of the quarter resolution.
        const double dTolerance = 2.5 * c.nLogPixels / 254.0 + 4;
        EXPECT_NEAR(rectDrawn.left() * 4, rectExpected.left(), dTolerance);
        EXPECT_NEAR(rectDrawn.top() * 4, rectExpected.top(), dTolerance);
        EXPECT_NEAR((rectDrawn.right() + 1) * 4, rectExpected.right(), dTolerance);
        EXPECT_NEAR((rectDrawn.bottom() + 1) * 4, rectExpected.bottom(), dTolerance);
        EXPECT_FALSE(printer.Calls().at(9).picture.isNull());   // the second record's page
    }
    EXPECT_TRUE(m_boxes.Calls().empty());
}
