// Bytes as a .zs file, and every document the reader accepts shown wherever a document is
// shown: its records split and drawn on the certificate page, the calibration page drawn and
// printed, the records printed on the recording printer (the current one also as text, for a
// printer calibrated so) and exported as a PDF into memory,
// and the layout opened in the design window (items placed, the view composed, an item
// dragged and nudged, an item added, undone and redone, the window closed). Whatever the
// file holds, none of it may crash, and what the design window leaves must still save as a
// document that reads again.
//
// Each input stays fast: the page is small, the table keeps only the document's first
// records, and the background is a small picture beside the document.
#include "FuzzSupport.h"

#include "CertificateWnd.h"
#include "DocumentFile.h"
#include "File.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "PdfExport.h"
#include "PrintItem.h"
#include "PrintJob.h"
#include "PrintSet.h"
#include "PrinterCalibration.h"
#include "SetupDlg.h"
#include "Testing.h"

#include <QDir>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const int s_nRecords = 2;
const double s_dPagePixels = 40000;   // 236 x 169 for the default paper
const int s_nPageSide = 400;
const char s_szVectorPrinter[] = "Vector";

// The PDF is kept in memory: nothing but its bytes is of interest here.
class CMemoryFile : public CFile {
public:
    void Write(const void* lpBuf, UINT nCount) override { m_strData.append(static_cast<const char*>(lpBuf), nCount); }
    std::string m_strData;
};

struct CLayoutSetting {
    CMainApp app;
    CMainDlg dlg;
    std::string strInputPath;
    CLayoutSetting()
    {
        const char* pszRoot = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        const std::string strFolder = std::string(pszRoot) + "/veltrane-fuzz-layout-" + std::to_string(getpid());
        QDir().mkpath(QString::fromStdString(strFolder));
        static std::string s_strFolder = strFolder;
        std::atexit([] { std::filesystem::remove_all(s_strFolder); });
        strInputPath = strFolder + "/input.zs";
        // The background is looked up beside the open document.
        dlg.m_strPathName = CString((strFolder + "/document.zs").c_str());
        QImage picture(24, 17, QImage::Format_RGB32);
        picture.fill(qRgb(250, 240, 200));
        picture.save(QString::fromStdString(strFolder + "/back.jpg"), "JPG");
        app.m_pMainWnd = &dlg;
        Fuzz::SetUpRecordTable(dlg.m_wndGrid, s_nRecords);
        // The calibrations are kept beside the inputs, not in the user's settings.
        setenv("XDG_CONFIG_HOME", strFolder.c_str(), 1);
        CPrinterCalibration vector;
        vector.m_bVectorText = TRUE;
        vector.Write(s_szVectorPrinter);
    }
};

CLayoutSetting& Setting()
{
    static CLayoutSetting* pSetting = [] {
        Fuzz::StartApplication();
        return new CLayoutSetting;
    }();
    return *pSetting;
}

int CountPrintable(CMainDlg& dlg)
{
    int nCount = 0;
    for (dlg.m_nCurRecord = 1; dlg.IsRecordPrintable(); dlg.m_nCurRecord++)
        nCount++;
    dlg.m_nCurRecord = 1;
    return nCount;
}

// The preview's page: each record drawn, then a step forward and back, which redraws only
// what changed; the calibration page; then the print walk and the calibration page's job.
void DrawAndPrint(CMainDlg& dlg, int nPrintable)
{
    CCertificateWnd wnd;
    wnd.m_pPrintSet = &dlg.m_printSet;
    wnd.SetPageBounds(s_dPagePixels, s_nPageSide);
    dlg.m_nCurRecord = 1;
    if (!wnd.CreatePage())
        Fuzz::Fail("no page for the certificate");
    const CSize size = wnd.GetPageSize();
    if ((double)size.cx * size.cy > s_dPagePixels || std::max(size.cx, size.cy) > s_nPageSide)
        Fuzz::Fail("the page is larger than its bounds");
    wnd.ShowNext();
    wnd.ShowPrevious();
    wnd.DrawTestPage();

    Testing::CPrinterRecorder printer;
    wnd.m_bQuiet = TRUE;
    CPrintJob job(wnd);
    dlg.m_nCurRecord = 1;
    const int nSent = job.PrintRecords(FALSE);
    if (nSent != nPrintable || (int)printer.Pages().size() != nPrintable || !job.m_strError.IsEmpty())
        Fuzz::Fail("the print walk did not print every printable record");
    dlg.m_nCurRecord = 1;
    wnd.PrintTestPage(CPrinterCalibration());
    // A printer calibrated for vector text gets the texts themselves, at its resolution.
    Testing::CPrinterRecorder vectorPrinter;
    vectorPrinter.m_strPrinterName = s_szVectorPrinter;
    dlg.m_nCurRecord = 1;
    wnd.PrintCurrent();
    dlg.m_nCurRecord = 1;
}

void ExportPdf(CMainDlg& dlg, int nPrintable)
{
    CPdfExport pdf(&dlg.m_printSet);
    CMemoryFile file;
    dlg.m_nCurRecord = 1;
    int nPages = 0;
    try {
        nPages = pdf.Export(file, "fuzz");
    } catch (CFileException* e) {
        e->Delete();
        Fuzz::Fail("the PDF could not be written into memory");
    }
    if (nPages != nPrintable)
        Fuzz::Fail("the PDF does not hold every printable record");
    if (nPages > 0 && (file.m_strData.rfind("%PDF-", 0) != 0 || file.m_strData.find("%%EOF") == std::string::npos))
        Fuzz::Fail("the PDF is not a whole PDF file");
}

// Presses on an item the view shows, drags it a little and lets go.
void DragAnItem(CSetupDlg& wnd)
{
    CRect rectClient;
    wnd.GetClientRect(&rectClient);
    for (int i = 0; i < wnd.m_pPrintSet->GetItemCount(); i++) {
        CRect rect = wnd.m_pPrintSet->GetItem(i)->m_rectScreen;
        rect.NormalizeRect();
        CRect rectShown;
        if (!rectShown.IntersectRect(&rect, &rectClient))
            continue;
        const CPoint pt = rectShown.TopLeft();
        wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        wnd.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x + 7, pt.y + 5));
        wnd.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x + 7, pt.y + 5));
        return;
    }
}

void Design(CMainDlg& dlg)
{
    CSetupDlg setup;
    setup.m_pPrintSet = &dlg.m_printSet;
    Testing::CModalDialogAnswerer dialogs;
    dialogs.QueueAnswer(IDD_SETUP_DIALOG, 0, [](CDialog& d) {
        auto& wnd = static_cast<CSetupDlg&>(d);
        wnd.Invalidate(FALSE);
        wnd.UpdateWindow();   // places the items and composes the view
        DragAnItem(wnd);
        // The arrow keys move the selection, wherever it lies.
        if (wnd.m_pPrintSet->GetItemCount() > 0) {
            wnd.m_pSelItem = wnd.m_pPrintSet->GetItem(wnd.m_pPrintSet->GetItemCount() - 1);
            wnd.SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        }
        // A double click near the page's far corner adds an item, or edits the one there
        // (the editor, unanswered, closes at once).
        const CPoint pt(wnd.m_rectPage.right - 2, wnd.m_rectPage.bottom - 2);
        wnd.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        wnd.Undo();
        wnd.Redo();
    });
    setup.DoModal();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CLayoutSetting& setting = Setting();
    CMainDlg& dlg = setting.dlg;
    FILE* pFile = std::fopen(setting.strInputPath.c_str(), "wb");
    if (!pFile)
        Fuzz::Fail("cannot write the input file");
    std::fwrite(pData, 1, nSize, pFile);
    std::fclose(pFile);

    // The reader's refusals and the windows' reports are only recorded.
    Testing::CMessageBoxRecorder boxes;
    if (!dlg.LoadDocument(CString(setting.strInputPath.c_str())))
        return 0;
    // The first records only: a file may have grown the table.
    if (dlg.m_wndGrid.GetRowCount() > s_nRecords + 1)
        dlg.m_wndGrid.SetRowCount(s_nRecords + 1);
    const int nPrintable = CountPrintable(dlg);

    DrawAndPrint(dlg, nPrintable);
    ExportPdf(dlg, nPrintable);
    Design(dlg);

    if (dlg.m_printSet.GetItemCount() > CPrintSet::MAX_ITEMS)
        Fuzz::Fail("the design window left more items than a document holds");
    const std::string strAfter = CDocumentFile::Build(dlg.m_wndGrid, dlg.m_printSet);
    CDocumentFile doc;
    if (doc.Parse(strAfter.data(), strAfter.size()) != CDocumentFile::documentRead)
        Fuzz::Fail("the designed document does not read back");
    return 0;
}
