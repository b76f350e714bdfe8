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
