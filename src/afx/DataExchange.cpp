#include "Dialog.h"

#include "Codec.h"
#include "CommonDialogs.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

// A number as the framework reads one: blanks around it, nothing else; an unsigned number has
// no minus sign. Too large a number stops at the limit of a 32-bit long, as strtol does there.
bool ScanNumber(const CString& strText, bool bSigned, long long& nValue)
{
    const char* psz = strText;
    while (IsBlank(*psz))
        ++psz;
    const char chFirst = *psz;
    if (!bSigned && chFirst == '-')
        return false;
    char* pszEnd = nullptr;
    errno = 0;
    long long n = bSigned ? std::strtoll(psz, &pszEnd, 10) : (long long)std::strtoull(psz, &pszEnd, 10);
    if (bSigned)
        n = std::clamp<long long>(n, INT_MIN, INT_MAX);
    else if (errno == ERANGE || (unsigned long long)n > UINT_MAX)
        n = UINT_MAX;
    if (n == 0 && chFirst != '0')
        return false;   // no digits
    while (IsBlank(*pszEnd))
        ++pszEnd;
    if (*pszEnd != '\0')
        return false;
    nValue = n;
    return true;
}

// A multi-line edit keeps CR LF line breaks in the program's text.
bool IsMultiLine(HWND hWnd)
{
    return qobject_cast<QPlainTextEdit*>(hWnd) != nullptr;
}

CString ControlText(HWND hWnd)
{
    CString str;
    CWnd::FromHandle(hWnd)->GetWindowText(str);
    if (IsMultiLine(hWnd)) {
        str.Replace("\r\n", "\n");
        str.Replace("\n", "\r\n");
    }
    return str;
}

void SetControlText(HWND hWnd, const CString& strText)
{
    CString str = strText;
    if (IsMultiLine(hWnd))
        str.Replace("\r\n", "\n");
    if (ControlText(hWnd) != strText)   // unchanged text keeps its caret and selection
        CWnd::FromHandle(hWnd)->SetWindowText(str);
}

void FailNumber(CDataExchange* pDX, UINT nIDPrompt)
{
    AfxMessageBox(AfxDdxMessage(nIDPrompt), MB_ICONEXCLAMATION, nIDPrompt);
    pDX->Fail();
}

void FailRange(CDataExchange* pDX, const CString& strMin, const CString& strMax)
{
    CString strPrompt = AfxDdxMessage(AFX_IDP_PARSE_INT_RANGE);
    strPrompt.Replace("%1", strMin);
    strPrompt.Replace("%2", strMax);
    AfxMessageBox(strPrompt, MB_ICONEXCLAMATION, AFX_IDP_PARSE_INT_RANGE);
    pDX->Fail();
}

} // namespace

void AfxThrowUserException()
{
    throw new CUserException;
}

void AfxThrowNotSupportedException()
{
    throw new CNotSupportedException;
}

void AfxThrowResourceException()
{
    throw new CResourceException;
}

CString AfxDdxMessage(UINT nIDPrompt)
{
    const char* pszUtf8 = "";
    switch (nIDPrompt) {
    case AFX_IDP_PARSE_INT: pszUtf8 = "“请填入一个整数。”"; break;
    case AFX_IDP_PARSE_UINT: pszUtf8 = "“请填入一个正整数。”"; break;
    case AFX_IDP_PARSE_INT_RANGE: pszUtf8 = "“请填入一个在%1和%2之间的整数。”"; break;
    default: break;
    }
    return Codec::FromUnicode(QString::fromUtf8(pszUtf8));
}

// CDataExchange.

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    CWnd* pControl = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
    if (!pControl) {
        TRACE("Error: no data exchange control with ID %d\n", nIDC);
        AfxThrowNotSupportedException();
    }
    m_hWndLastControl = pControl->m_hWnd;
    m_bEditLastControl = FALSE;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND hWnd = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWnd;
}

void CDataExchange::Fail()
{
    if (m_bSaveAndValidate && m_hWndLastControl) {
        CWnd::FromHandle(m_hWndLastControl)->SetFocus();
        if (m_bEditLastControl) {
            if (auto* pLine = qobject_cast<QLineEdit*>(m_hWndLastControl))
                pLine->selectAll();
            else if (auto* pText = qobject_cast<QPlainTextEdit*>(m_hWndLastControl))
                pText->selectAll();
        }
    }
    AfxThrowUserException();
}

// Exchanges.

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = ControlText(hWnd);
    else
        SetControlText(hWnd, value);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    auto* pCheck = qobject_cast<QCheckBox*>(pDX->PrepareCtrl(nIDC));
    if (!pCheck)
        return;
    if (pDX->m_bSaveAndValidate)
        value = pCheck->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    else
        pCheck->setChecked(value == BST_CHECKED);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        long long n = 0;
        if (!ScanNumber(ControlText(hWnd), true, n))
            FailNumber(pDX, AFX_IDP_PARSE_INT);
        value = (int)n;
    } else {
        CString str;
        str.Format("%d", value);
        SetControlText(hWnd, str);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value)
{
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        long long n = 0;
        if (!ScanNumber(ControlText(hWnd), false, n))
            FailNumber(pDX, AFX_IDP_PARSE_UINT);
        value = (UINT)n;
    } else {
        CString str;
        str.Format("%u", value);
        SetControlText(hWnd, str);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString strMin, strMax;
    strMin.Format("%d", minVal);
    strMax.Format("%d", maxVal);
    FailRange(pDX, strMin, strMax);
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal)
{
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString strMin, strMax;
    strMin.Format("%u", minVal);
    strMax.Format("%u", maxVal);
    FailRange(pDX, strMin, strMax);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.GetSafeHwnd())
        return;
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!AfxReleaseDialogControl(hWnd) || !rControl.SubclassWindow(hWnd))
        AfxThrowNotSupportedException();
}
