// Printing: the default printer's settings (CPrintDialog with PD_RETURNDEFAULT), the settings a
// program may change (DEVMODE) and the printer DC a job is drawn through. The printer is a
// CUPS queue reached through QPrinter; tests put a recording printer in its place (Testing.h).
#pragma once

#include "Dc.h"

#include <memory>

class QPrinter;

// DEVMODE fields and values.
#ifndef DM_ORIENTATION
#define DM_ORIENTATION 0x00000001L
#define DM_PAPERSIZE 0x00000002L
#define DM_PAPERLENGTH 0x00000004L
#define DM_PAPERWIDTH 0x00000008L
#define DM_SCALE 0x00000010L
#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2
#define DMPAPER_USER 256
#endif
#ifndef PD_RETURNDEFAULT
#define PD_ALLPAGES 0x00000000
#define PD_RETURNDEFAULT 0x00000400
#endif
// GetDeviceCaps indexes a printer DC answers besides those of every DC.
#ifndef HORZSIZE
#define HORZSIZE 4
#define VERTSIZE 6
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#endif
#ifndef SP_ERROR
#define SP_ERROR (-1)
#endif
// Mapping modes a printer DC offers.
#ifndef MM_TEXT
#define MM_TEXT 1
#define MM_ANISOTROPIC 8
#endif

// The printer settings a program reads and changes. The paper is dmPaperWidth by
// dmPaperLength tenths of a millimetre; the orientation says which of its edges runs across
// the sheet: the longer one in landscape, the shorter one in portrait.
struct DEVMODE {
    CString strDeviceName;   // the printer's name, GB18030
    DWORD dmFields = 0;
    short dmOrientation = DMORIENT_PORTRAIT;
    short dmPaperSize = 0;
    short dmPaperLength = 0;
    short dmPaperWidth = 0;
    short dmScale = 100;
};

// A printer's device context. Device coordinates start at the top-left of the printable area;
// GetDeviceCaps answers HORZSIZE and VERTSIZE (printable area, mm), PHYSICALWIDTH and
// PHYSICALHEIGHT (paper, device units), PHYSICALOFFSETX/Y, HORZRES, VERTRES and LOGPIXELSX/Y.
// Results are above 0 for success, SP_ERROR for a failure. Nothing reaches the queue before
// EndDoc, and a job without a page never reaches it. Between StartDoc and EndDoc the DC draws
// text as text, at the printer's own resolution.
class CPrinterDC : public CDC {
public:
    ~CPrinterDC() override = default;

    // How logical units become device units, as GDI maps them: one to one in MM_TEXT (the
    // mode a DC starts in); in MM_ANISOTROPIC the window extent (logical units from the
    // logical origin) is stretched onto the viewport extent (device units), whose top-left is
    // the viewport origin. Everything drawn is mapped: text, fills and pictures alike. Each
    // returns what it replaced.
    int SetMapMode(int nMapMode);
    CSize SetWindowExt(int cx, int cy);
    CPoint SetViewportOrg(int x, int y);
    CSize SetViewportExt(int cx, int cy);

    virtual int StartDoc(LPCTSTR lpszDocName) = 0;
    virtual int StartPage() = 0;
    virtual int EndPage() = 0;
    // Hands the job to the queue: the job's id once the queue has taken it. SP_ERROR when it
    // was refused (GetJobError then says why) or held no page (then it was dropped).
    virtual int EndDoc() = 0;
    // Drops the job: nothing of it is printed.
    virtual int AbortDoc() = 0;
    // After a failed EndDoc: the queue's own words for the refusal, GB18030; "" when it gave none.
    virtual CString GetJobError() const = 0;
    // After EndDoc: TRUE when the queue took the job while its printer is stopped, so that the
    // job waits in the queue until the printer is started again.
    virtual BOOL IsPrinterStopped() const = 0;

protected:
    // The mapping changed: from now on the job's painter draws through this transform.
    virtual void OnMappingChanged(const QTransform& transform) = 0;
    // Calls OnMappingChanged with the mapping as it stands: for a painter that begins.
    void ApplyMapping();

private:
    CSize SetExtent(CSize& sizeExtent, int cx, int cy);

    int m_nMapMode = MM_TEXT;
    CSize m_sizeWindowExt {1, 1};
    CPoint m_ptViewportOrg;
    CSize m_sizeViewportExt {1, 1};
};

class CPrintDialog {
public:
    // Only PD_RETURNDEFAULT is offered: the default printer's settings, no dialog shown.
    explicit CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags = PD_ALLPAGES, CWnd* pParentWnd = nullptr);
    virtual ~CPrintDialog() = default;
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // IDOK with the default printer's settings, IDCANCEL when there is no default printer.
    virtual INT_PTR DoModal();
    // NULL before DoModal has found a printer.
    DEVMODE* GetDevMode() { return m_bHasPrinter ? &m_devMode : nullptr; }
    CString GetDeviceName() const { return m_devMode.strDeviceName; }
    // A DC for the printer with the settings of GetDevMode(); NULL when the printer cannot be
    // opened with them.
    std::unique_ptr<CPrinterDC> CreatePrinterDC();

    DWORD m_dwFlags;

private:
    DEVMODE m_devMode;
    BOOL m_bHasPrinter = FALSE;
};

// The sheet a DEVMODE asks for, across by down, in tenths of a millimetre.
CSize AfxGetSheetSize(const DEVMODE& devMode);
