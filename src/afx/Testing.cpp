#include "Testing.h"

namespace Testing {

namespace {
CMessageBoxRecorder* s_pActive = nullptr;
}

CMessageBoxRecorder::CMessageBoxRecorder() : m_pPrevious(s_pActive)
{
    s_pActive = this;
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    s_pActive = m_pPrevious;
}

CMessageBoxRecorder* CMessageBoxRecorder::Active()
{
    return s_pActive;
}

int CMessageBoxRecorder::Answer(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    m_calls.push_back({CString(lpszText), CString(lpszCaption), nType});
    if (!m_answers.empty()) {
        const int nAnswer = m_answers.front();
        m_answers.pop_front();
        return nAnswer;
    }
    const UINT nButtons = nType & MB_TYPEMASK;
    return nButtons == MB_YESNO || nButtons == MB_YESNOCANCEL ? IDYES : IDOK;
}

} // namespace Testing

namespace Testing {

namespace {
CModalDialogAnswerer* s_pDialogAnswerer = nullptr;
CFileDialogAnswerer* s_pFileAnswerer = nullptr;
CShellRecorder* s_pShellRecorder = nullptr;
CFontDialogAnswerer* s_pFontAnswerer = nullptr;
}

// Modal dialogs.

CModalDialogAnswerer::CModalDialogAnswerer() : m_pPrevious(s_pDialogAnswerer)
{
    s_pDialogAnswerer = this;
}

CModalDialogAnswerer::~CModalDialogAnswerer()
{
    s_pDialogAnswerer = m_pPrevious;
}

CModalDialogAnswerer* CModalDialogAnswerer::Active()
{
    return s_pDialogAnswerer;
}

void CModalDialogAnswerer::QueueAnswer(UINT nIDTemplate, int nButton, Action action)
{
    m_answers.push_back({nIDTemplate, nButton, std::move(action)});
}

// The oldest answer for this dialog, else the oldest for any dialog (template 0).
bool CModalDialogAnswerer::TakeAnswer(UINT nIDTemplate, int& nButton, Action& action)
{
    for (UINT nWanted : {nIDTemplate, 0u}) {
        for (auto it = m_answers.begin(); it != m_answers.end(); ++it) {
            if (it->nIDTemplate != nWanted)
                continue;
            nButton = it->nButton;
            action = std::move(it->action);
            m_answers.erase(it);
            return true;
        }
    }
    return false;
}

// File dialogs.

CFileDialogAnswerer::CFileDialogAnswerer() : m_pPrevious(s_pFileAnswerer)
{
    s_pFileAnswerer = this;
}

CFileDialogAnswerer::~CFileDialogAnswerer()
{
    s_pFileAnswerer = m_pPrevious;
}

CFileDialogAnswerer* CFileDialogAnswerer::Active()
{
    return s_pFileAnswerer;
}

bool CFileDialogAnswerer::Answer(const FileDialogCall& call, CString& strPath)
{
    m_calls.push_back(call);
    if (m_answers.empty())
        return false;
    const Reply reply = m_answers.front();
    m_answers.pop_front();
    strPath = reply.strPath;
    return reply.bOk;
}

// Font dialogs.

CFontDialogAnswerer::CFontDialogAnswerer() : m_pPrevious(s_pFontAnswerer)
{
    s_pFontAnswerer = this;
}

CFontDialogAnswerer::~CFontDialogAnswerer()
{
    s_pFontAnswerer = m_pPrevious;
}

CFontDialogAnswerer* CFontDialogAnswerer::Active()
{
    return s_pFontAnswerer;
}

void CFontDialogAnswerer::QueueAnswer(LPCTSTR lpszFaceName, int nPointSize)
{
    Reply reply;
    reply.nKind = Reply::Font;
    reply.strFaceName = lpszFaceName;
    reply.nPointSize = nPointSize;
    m_replies.push_back(reply);
}

void CFontDialogAnswerer::QueueAction(Action action)
{
    Reply reply;
    reply.nKind = Reply::Drive;
    reply.action = std::move(action);
    m_replies.push_back(reply);
}

CFontDialogAnswerer::Reply CFontDialogAnswerer::Answer(const FontDialogCall& call)
{
    m_calls.push_back(call);
    if (m_replies.empty())
        return Reply();
    Reply reply = m_replies.front();
    m_replies.pop_front();
    return reply;
}

// The shell.

CShellRecorder::CShellRecorder() : m_pPrevious(s_pShellRecorder)
{
    s_pShellRecorder = this;
}

CShellRecorder::~CShellRecorder()
{
    s_pShellRecorder = m_pPrevious;
}

CShellRecorder* CShellRecorder::Active()
{
    return s_pShellRecorder;
}

} // namespace Testing

// The recording printer.

namespace Testing {

namespace {

CPrinterRecorder* s_pPrinterRecorder = nullptr;

PrinterCall NamedCall(const char* pszName)
{
    PrinterCall call;
    call.strName = pszName;
    return call;
}

class CRecordingPrinterDC : public CPrinterDC {
public:
    explicit CRecordingPrinterDC(CPrinterRecorder& recorder) : m_recorder(recorder) {}

    int StartDoc(LPCTSTR lpszDocName) override
    {
        PrinterCall call = NamedCall("StartDoc");
        call.strDocName = lpszDocName;
        m_recorder.Record(std::move(call));
        return 1;
    }
    ~CRecordingPrinterDC() override { EndPicture(); }

    int StartPage() override
    {
        m_recorder.Record(NamedCall("StartPage"));
        if (++m_nPage == m_recorder.m_nFailPage)
            return SP_ERROR;
        EndPicture();
        m_picture = QPicture();
        m_painter.begin(&m_picture);
        ApplyMapping();
        AttachPainter(&m_painter);
        return 1;
    }
    int EndPage() override
    {
        EndPicture();
        PrinterCall call = NamedCall("EndPage");
        call.picture = m_picture;
        m_recorder.Record(std::move(call));
        if (m_recorder.m_onPage)
            m_recorder.m_onPage(m_nPage);
        return 1;
    }
    int EndDoc() override
    {
        EndPicture();
        m_recorder.Record(NamedCall("EndDoc"));
        return m_recorder.m_bRefuseJob ? SP_ERROR : ++m_recorder.m_nLastJob;
    }
    CString GetJobError() const override { return m_recorder.m_bRefuseJob ? m_recorder.m_strJobError : CString(); }
    BOOL IsPrinterStopped() const override { return m_recorder.m_bPrinterStopped; }
    int AbortDoc() override
    {
        EndPicture();
        m_recorder.Record(NamedCall("AbortDoc"));
        return 1;
    }
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, DWORD dwRop) override
    {
        if (dwRop != SRCCOPY || !pSrcDC || !pSrcDC->GetImage())
            return FALSE;
        PrinterCall call = NamedCall("StretchBlt");
        call.rectDest = CRect(x, y, nWidth, nHeight);
        call.rectSrc = CRect(xSrc, ySrc, nSrcWidth, nSrcHeight);
        call.image = pSrcDC->GetImage()->copy();
        m_recorder.Record(std::move(call));
        return TRUE;
    }
    int GetDeviceCaps(int nIndex) const override
    {
        switch (nIndex) {
        case HORZSIZE: return m_recorder.m_nHorzSize;
        case VERTSIZE: return m_recorder.m_nVertSize;
        case PHYSICALWIDTH: return m_recorder.m_nPhysicalWidth;
        case PHYSICALHEIGHT: return m_recorder.m_nPhysicalHeight;
        case LOGPIXELSX:
        case LOGPIXELSY: return m_recorder.m_nLogPixels;
        default: return 0;
        }
    }

protected:
    void OnMappingChanged(const QTransform& transform) override
    {
        if (m_painter.isActive())
            m_painter.setWorldTransform(transform);
    }

private:
    void EndPicture()
    {
        AttachPainter(nullptr);
        if (m_painter.isActive())
            m_painter.end();
    }

    CPrinterRecorder& m_recorder;
    int m_nPage = 0;
    QPicture m_picture;
    QPainter m_painter;
};

} // namespace

CPrinterRecorder::CPrinterRecorder() : m_pPrevious(s_pPrinterRecorder)
{
    s_pPrinterRecorder = this;
}

CPrinterRecorder::~CPrinterRecorder()
{
    s_pPrinterRecorder = m_pPrevious;
}

CPrinterRecorder* CPrinterRecorder::Active()
{
    return s_pPrinterRecorder;
}

std::unique_ptr<CPrinterDC> CPrinterRecorder::CreateDC(const DEVMODE& devMode)
{
    m_devModes.push_back(devMode);
    if (m_bCannotOpen)
        return nullptr;
    return std::make_unique<CRecordingPrinterDC>(*this);
}

CString CPrinterRecorder::CallNames() const
{
    CString str;
    for (const PrinterCall& call : m_calls) {
        if (!str.IsEmpty())
            str += " ";
        str += call.strName;
    }
    return str;
}

std::vector<const PrinterCall*> CPrinterRecorder::Pages() const
{
    std::vector<const PrinterCall*> pages;
    for (const PrinterCall& call : m_calls)
        if (call.strName == "StretchBlt")
            pages.push_back(&call);
    return pages;
}

} // namespace Testing
