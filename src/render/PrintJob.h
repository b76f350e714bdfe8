// CPrintJob: one print job of the certificate renderer's page on the default printer: the
// record shown, the calibration page, or every printable record from the current one on. It
// sets the printer up for the layout's paper, places the page on the sheet by what the printer
// reports and by its calibration, walks the records, and keeps how the job ended: what the
// queue took, or why not, and where the preview was left.
//
// A record's page goes to the printer as the renderer's picture of it, copied, or, where the
// printer's calibration asks for vector text, as its texts drawn by the renderer straight onto
// the printer at the printer's resolution, in the same place.
#pragma once

#include "Geometry.h"
#include "PrinterCalibration.h"
#include "String.h"

#include <memory>

class CCertificateWnd;
class CMainDlg;
class CPrinterDC;
class CProgressDialog;

class CPrintJob {
public:
    // The job prints wnd's page; wnd must outlive it.
    explicit CPrintJob(CCertificateWnd& wnd);
    ~CPrintJob();
    CPrintJob(const CPrintJob&) = delete;
    CPrintJob& operator=(const CPrintJob&) = delete;

    // Where the page lands on the printer, in device units, from what the printer reports:
    // its printable area Pw x Ph (0.1 mm) and its paper Nw x Nh (device units). The page goes
    // into (dx, dy, Nw - dx, Nh - 2dy): one whole margin from the left, centred vertically;
    // then the printer's calibration stretches it about that top-left corner and moves it.
    struct PrintGeometry {
        int nPw, nPh, nNw, nNh, nDx, nDy;
        int nOffsetX, nOffsetY;   // the printer's calibration, device units
        int nScaleX, nScaleY;     // and 0.1 per mille
        static PrintGeometry Compute(int nHorzSizeMM, int nVertSizeMM, int nPhysicalWidth,
                                     int nPhysicalHeight, int nPaperWidth, int nPaperHeight);
        // Applies the calibration at the printer's resolution (dots per inch).
        void Calibrate(const CPrinterCalibration& calibration, int nLogPixelsX, int nLogPixelsY);
        CRect GetTarget() const;   // left, top, right, bottom
    };

    // The current record on white, in a job of its own, as the printer's calibration says.
    // FALSE, with m_strError, when the page was not printed.
    BOOL PrintRecord();
    // The renderer's page as it stands (the calibration page), copied, in a job of its own,
    // placed by calibration instead of the printer's own.
    BOOL PrintTestPage(const CPrinterCalibration& calibration);
    // The records from the current one on while they are printable, in one job, each drawn
    // on white and sent, the preview following. With bProgress a progress window counts them
    // and its cancel button stops the run after the page being sent. Returns the number of
    // certificates the queue took. The current record is left on the first record not
    // printed: past the pages sent, or back where the run began when the queue took none.
    int PrintRecords(BOOL bProgress);

    // Tells the user how the job ended, when there is anything to tell: the failure, or that
    // the printer is stopped and the job waits in its queue.
    void Report() const;
    // That text, "" when the job printed as it should.
    CString GetReport() const;

    // How the job ended.
    CString m_strPrinter;   // the default printer, "" when there was none
    int m_nPrinted;         // certificates the queue took
    int m_nJob;             // the queue's id for the job, 0 when it took none
    BOOL m_bQueued;         // the queue took the job but its printer is stopped
    CString m_strError;     // why the job failed or stopped, "" when it did not

private:
    // The default printer set up for the layout's paper; NULL, with m_strError, without one.
    std::unique_ptr<CPrinterDC> OpenPrinter();
    PrintGeometry GetPrintGeometry(CPrinterDC* pDC, const CPrinterCalibration& calibration) const;
    // One page in a job of its own: the current record as the printer's calibration says, or,
    // with pTestPage, the renderer's page as drawn, placed by *pTestPage.
    BOOL PrintSinglePage(const CPrinterCalibration* pTestPage);
    // One page: the renderer's page copied, or with bText its texts drawn on the printer.
    BOOL SendPage(CPrinterDC* pDC, const PrintGeometry& geometry, BOOL bText);
    void DrawTexts(CPrinterDC* pDC, const CRect& rectTarget);
    void ShowProgress(CProgressDialog& progress, int nFirst, int nTotal);
    // Sends the printable records from the current one on, each drawn on white, the preview
    // following; the progress window may stop the run after a page. Returns the pages sent;
    // bFailed when a page could not be.
    int SendRecords(CPrinterDC* pDC, CProgressDialog& progress, int nTotal, BOOL& bFailed);
    // Ends the job: dropped when it holds no page, else handed to the queue. FALSE, with
    // m_strError, when the queue did not take it: none of its nPages pages is printed then.
    BOOL EndJob(CPrinterDC* pDC, int nPages, int nFirstRecord);
    int CountPrintable(CMainDlg* pDlg) const;

    CCertificateWnd& m_wnd;
};
