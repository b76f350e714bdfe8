// Seams for tests: ways to run what would block on a user (message boxes, later modal file
// dialogs and the printer) headless, recording what the program asked for.
#pragma once

#include "Print.h"
#include "String.h"

#include <QImage>
#include <QPicture>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class CDialog;
class QDialog;

namespace Testing {

struct MessageBoxCall {
    CString strText;
    CString strCaption;   // empty for a NULL caption
    UINT nType;
};

// While one exists, MessageBox shows nothing: it records the call and answers at once with the
// next queued answer, or else the box's first button (IDOK, or IDYES for yes/no boxes).
// Recorders nest; the newest one answers.
class CMessageBoxRecorder {
public:
    CMessageBoxRecorder();
    ~CMessageBoxRecorder();
    CMessageBoxRecorder(const CMessageBoxRecorder&) = delete;
    CMessageBoxRecorder& operator=(const CMessageBoxRecorder&) = delete;

    void QueueAnswer(int nAnswer) { m_answers.push_back(nAnswer); }
    const std::vector<MessageBoxCall>& Calls() const { return m_calls; }

    // Used by MessageBox.
    static CMessageBoxRecorder* Active();
    int Answer(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType);

private:
    std::vector<MessageBoxCall> m_calls;
    std::deque<int> m_answers;
    CMessageBoxRecorder* m_pPrevious;
};

// While one exists, CDialog::DoModal runs no modal loop: it makes the dialog and shows it,
// runs OnInitDialog, then the queued answer for that dialog (or the oldest answer queued for
// template 0, any dialog): first its action, which may drive the dialog's real widgets, then
// a click of its button (BN_CLICKED of nButton, 0 for none). A dialog still open after that
// is closed with its close box (OnCancel); one that refuses even that ends with IDCANCEL.
// A dialog without an answer is closed with its close box at once. Answerers nest.
struct DoModalCall {
    UINT nIDTemplate;
    INT_PTR nResult;
    bool bEndedByAnswer;   // the action or the button ended it, not the close box
};

class CModalDialogAnswerer {
public:
    using Action = std::function<void(CDialog&)>;
    CModalDialogAnswerer();
    ~CModalDialogAnswerer();
    CModalDialogAnswerer(const CModalDialogAnswerer&) = delete;
    CModalDialogAnswerer& operator=(const CModalDialogAnswerer&) = delete;

    void QueueAnswer(UINT nIDTemplate, int nButton, Action action = {});
    const std::vector<DoModalCall>& Calls() const { return m_calls; }

    // Used by DoModal: takes the answer for the dialog; FALSE when there is none.
    static CModalDialogAnswerer* Active();
    bool TakeAnswer(UINT nIDTemplate, int& nButton, Action& action);
    void Record(const DoModalCall& call) { m_calls.push_back(call); }

private:
    struct Answer {
        UINT nIDTemplate;
        int nButton;
        Action action;
    };
    std::deque<Answer> m_answers;
    std::vector<DoModalCall> m_calls;
    CModalDialogAnswerer* m_pPrevious;
};

// While one exists, CFileDialog::DoModal shows nothing: it records the call and answers with
// the next queued path (as if the user had typed it: the default extension rule applies) or
// cancels; with nothing queued it cancels. Paths are GB18030. Answerers nest.
struct FileDialogCall {
    bool bOpen;
    CString strDefExt;
    CString strFileName;     // the initial name
    CString strFilter;       // as given, with '|'
    CString strInitialDir;   // the folder the dialog starts in, as the user would see it
    DWORD dwFlags;
};

class CFileDialogAnswerer {
public:
    CFileDialogAnswerer();
    ~CFileDialogAnswerer();
    CFileDialogAnswerer(const CFileDialogAnswerer&) = delete;
    CFileDialogAnswerer& operator=(const CFileDialogAnswerer&) = delete;

    void QueueAnswer(LPCTSTR lpszPath) { m_answers.push_back({true, CString(lpszPath)}); }
    void QueueCancel() { m_answers.push_back({false, CString()}); }
    const std::vector<FileDialogCall>& Calls() const { return m_calls; }

    // Used by CFileDialog: FALSE for cancel.
    static CFileDialogAnswerer* Active();
    bool Answer(const FileDialogCall& call, CString& strPath);

private:
    struct Reply {
        bool bOk;
        CString strPath;
    };
    std::deque<Reply> m_answers;
    std::vector<FileDialogCall> m_calls;
    CFileDialogAnswerer* m_pPrevious;
};

// While one exists, CFontDialog::DoModal runs no modal loop: it records the call and takes the
// next queued reply: a chosen font (GB18030 face name, size in points), a cancel, or an action on
// the real dialog, which is shown and handed to the action to drive its widgets (it ends with
// the dialog accepted or not). With nothing queued it cancels. Answerers nest.
struct FontDialogCall {
    DWORD dwFlags;
    bool bInitialFont;   // a LOGFONT to start from was given
    bool bPrinterDC;
    bool bParentWnd;
};

class CFontDialogAnswerer {
public:
    using Action = std::function<void(QDialog&)>;
    struct Reply {
        enum Kind { Font, Cancel, Drive } nKind = Cancel;
        CString strFaceName;
        int nPointSize = 0;
        Action action;
    };
    CFontDialogAnswerer();
    ~CFontDialogAnswerer();
    CFontDialogAnswerer(const CFontDialogAnswerer&) = delete;
    CFontDialogAnswerer& operator=(const CFontDialogAnswerer&) = delete;

    void QueueAnswer(LPCTSTR lpszFaceName, int nPointSize);
    void QueueCancel() { m_replies.push_back(Reply()); }
    void QueueAction(Action action);
    const std::vector<FontDialogCall>& Calls() const { return m_calls; }

    // Used by CFontDialog.
    static CFontDialogAnswerer* Active();
    Reply Answer(const FontDialogCall& call);

private:
    std::deque<Reply> m_replies;
    std::vector<FontDialogCall> m_calls;
    CFontDialogAnswerer* m_pPrevious;
};

// While one exists, ShellExecute opens nothing: it records the call and returns the set
// result (42, success, unless changed). Recorders nest.
struct ShellExecuteCall {
    CString strOperation;
    CString strFile;
    CString strParameters;
    CString strDirectory;
    int nShowCmd;
};

class CShellRecorder {
public:
    CShellRecorder();
    ~CShellRecorder();
    CShellRecorder(const CShellRecorder&) = delete;
    CShellRecorder& operator=(const CShellRecorder&) = delete;

    void SetResult(INT_PTR nResult) { m_nResult = nResult; }
    const std::vector<ShellExecuteCall>& Calls() const { return m_calls; }

    static CShellRecorder* Active();
    INT_PTR Record(const ShellExecuteCall& call)
    {
        m_calls.push_back(call);
        return m_nResult;
    }

private:
    std::vector<ShellExecuteCall> m_calls;
    INT_PTR m_nResult = 42;
    CShellRecorder* m_pPrevious;
};

// While one exists, the printer is a recorder: CPrintDialog finds it as the default printer
// (none when m_strPrinterName is empty) and its DCs record every job call, answer
// GetDeviceCaps with the figures set here, and keep a copy of each page copied to them.
// Whatever a page draws through the DC itself (its text) is kept too, as the page's picture
// in device units. m_bCannotOpen makes CreatePrinterDC fail; m_nFailPage makes StartPage of
// that page (1 for the first) fail. m_onPage, when set, runs at each EndPage with the page's
// number. EndDoc answers as a queue would: the next job id, or, with m_bRefuseJob, SP_ERROR and
// m_strJobError; m_bPrinterStopped is what IsPrinterStopped says. Recorders nest.
struct PrinterCall {
    CString strName;     // "StartDoc", "StartPage", "StretchBlt", "EndPage", "EndDoc", "AbortDoc"
    CString strDocName;  // StartDoc
    CRect rectDest;      // StretchBlt: x, y, width, height as given
    CRect rectSrc;
    QImage image;        // StretchBlt: the source image
    QPicture picture;    // EndPage: what the page drew through the DC, mapped to device units
};

class CPrinterRecorder {
public:
    CPrinterRecorder();
    ~CPrinterRecorder();
    CPrinterRecorder(const CPrinterRecorder&) = delete;
    CPrinterRecorder& operator=(const CPrinterRecorder&) = delete;

    CString m_strPrinterName = "Recorder";
    BOOL m_bCannotOpen = FALSE;
    int m_nFailPage = 0;
    int m_nHorzSize = 287;          // mm
    int m_nVertSize = 200;
    int m_nPhysicalWidth = 7016;    // device units
    int m_nPhysicalHeight = 4960;
    int m_nLogPixels = 600;
    std::function<void(int)> m_onPage;
    BOOL m_bRefuseJob = FALSE;
    CString m_strJobError;
    BOOL m_bPrinterStopped = FALSE;
    int m_nLastJob = 0;              // the id EndDoc gave last

    const std::vector<DEVMODE>& DevModes() const { return m_devModes; }
    const std::vector<PrinterCall>& Calls() const { return m_calls; }
    // The names of the calls in order, joined by spaces.
    CString CallNames() const;
    // The pages copied: the StretchBlt calls.
    std::vector<const PrinterCall*> Pages() const;

    static CPrinterRecorder* Active();
    std::unique_ptr<CPrinterDC> CreateDC(const DEVMODE& devMode);
    void Record(PrinterCall call) { m_calls.push_back(std::move(call)); }

private:
    std::vector<DEVMODE> m_devModes;
    std::vector<PrinterCall> m_calls;
    CPrinterRecorder* m_pPrevious;
};

} // namespace Testing
