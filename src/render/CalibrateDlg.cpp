#include "CalibrateDlg.h"

#include "CertificateWnd.h"
#include "CommonDialogs.h"
#include "Print.h"

#include <cstdlib>

AFX_USE_RESOURCES(Preview)

CCalibrateDlg::CCalibrateDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_pCertificateWnd(nullptr), m_nOffsetX(0), m_nOffsetY(0)
{
    MapClicked(IDC_CALIBRATE_TEST_PAGE, &CCalibrateDlg::OnTestPage);
}

CCalibrateDlg::~CCalibrateDlg() = default;

BOOL CCalibrateDlg::ParseOffset(const CString& strText, int& nTenths)
{
    CString str(strText);
    str.Trim();
    const char* psz = str;
    int i = 0;
    const bool bNegative = psz[i] == '-';
    if (psz[i] == '-' || psz[i] == '+')
        i++;
    long nValue = 0;
    int nDigits = 0;
    for (; psz[i] >= '0' && psz[i] <= '9' && nDigits < 3; i++, nDigits++)
        nValue = nValue * 10 + (psz[i] - '0');
    if (nDigits == 0)
        return FALSE;
    nValue *= 10;
    if (psz[i] == '.') {
        i++;
        if (psz[i] >= '0' && psz[i] <= '9')
            nValue += psz[i++] - '0';
    }
    if (psz[i] != '\0' || nValue > 500)
        return FALSE;
    nTenths = bNegative ? -(int)nValue : (int)nValue;
    return TRUE;
}

CString CCalibrateDlg::FormatOffset(int nTenths)
{
    CString str;
    str.Format("%s%d.%d", nTenths < 0 ? "-" : "", std::abs(nTenths) / 10, std::abs(nTenths) % 10);
    return str;
}

void CCalibrateDlg::ExchangeOffset(CDataExchange* pDX, int nIDC, int& nTenths)
{
    pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        SetDlgItemText(nIDC, FormatOffset(nTenths));
        return;
    }
    CString strText;
    GetDlgItemText(nIDC, strText);
    if (!ParseOffset(strText, nTenths)) {
        AfxMessageBox(IDP_CALIBRATE_BAD_OFFSET);
        pDX->Fail();
    }
}

void CCalibrateDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    ExchangeOffset(pDX, IDC_CALIBRATE_OFFSET_X, m_nOffsetX);
    ExchangeOffset(pDX, IDC_CALIBRATE_OFFSET_Y, m_nOffsetY);
}

BOOL CCalibrateDlg::OnInitDialog()
{
    CPrintDialog dlg(FALSE, PD_RETURNDEFAULT, nullptr);
    if (dlg.DoModal() == IDOK) {
        m_strPrinter = dlg.GetDeviceName();
        const CSize offset = CCertificateWnd::GetPrinterOffset(m_strPrinter);
        m_nOffsetX = offset.cx;
        m_nOffsetY = offset.cy;
    }
    CDialog::OnInitDialog();
    CString strFormat, strPrinter;
    if (m_strPrinter.IsEmpty()) {
        strPrinter.LoadString(IDP_NO_PRINTER);
    } else {
        strFormat.LoadString(IDS_CALIBRATE_PRINTER);
        strPrinter.Format(strFormat, m_strPrinter);
    }
    SetDlgItemText(IDC_CALIBRATE_PRINTER, strPrinter);
    // Without a printer there is nothing to calibrate or test.
    GetDlgItem(IDOK)->EnableWindow(!m_strPrinter.IsEmpty());
    GetDlgItem(IDC_CALIBRATE_TEST_PAGE)->EnableWindow(!m_strPrinter.IsEmpty());
    return TRUE;
}

void CCalibrateDlg::OnOK()
{
    if (m_strPrinter.IsEmpty() || !UpdateData(TRUE))
        return;
    CCertificateWnd::WritePrinterOffset(m_strPrinter, CSize(m_nOffsetX, m_nOffsetY));
    EndDialog(IDOK);
}

// The test page lands as the offsets typed so far would move it, saved or not.
void CCalibrateDlg::OnTestPage()
{
    if (!m_pCertificateWnd || !UpdateData(TRUE))
        return;
    m_pCertificateWnd->PrintTestPage(CSize(m_nOffsetX, m_nOffsetY));
}
