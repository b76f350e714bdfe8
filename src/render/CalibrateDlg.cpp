#include "CalibrateDlg.h"

#include "CertificateWnd.h"
#include "CommonDialogs.h"
#include "Edit.h"
#include "Print.h"
#include "PrintSet.h"

#include <cstdlib>

AFX_USE_RESOURCES(Preview)

CCalibrateDlg::CCalibrateDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_pCertificateWnd(nullptr), m_nOffsetX(0), m_nOffsetY(0), m_nScaleX(0), m_nScaleY(0),
      m_nVectorText(BST_UNCHECKED), m_nMarkX(0), m_nMarkY(0), m_bSettingText(FALSE)
{
    MapClicked(IDC_CALIBRATE_TEST_PAGE, &CCalibrateDlg::OnTestPage);
}

CCalibrateDlg::~CCalibrateDlg() = default;

BOOL CCalibrateDlg::ParseTenths(const CString& strText, int nLimit, int& nTenths)
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
    if (psz[i] != '\0' || nValue > nLimit)
        return FALSE;
    nTenths = bNegative ? -(int)nValue : (int)nValue;
    return TRUE;
}

CString CCalibrateDlg::FormatTenths(int nTenths)
{
    CString str;
    str.Format("%s%d.%d", nTenths < 0 ? "-" : "", std::abs(nTenths) / 10, std::abs(nTenths) % 10);
    return str;
}

void CCalibrateDlg::ExchangeTenths(CDataExchange* pDX, int nIDC, int& nTenths, int nLimit, UINT nIDPrompt)
{
    pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        SetDlgItemText(nIDC, FormatTenths(nTenths));
        return;
    }
    CString strText;
    GetDlgItemText(nIDC, strText);
    if (!ParseTenths(strText, nLimit, nTenths)) {
        AfxMessageBox(nIDPrompt);
        pDX->Fail();
    }
}

void CCalibrateDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    const int nMaxOffset = CPrinterCalibration::s_nMaxOffset, nMaxScale = CPrinterCalibration::s_nMaxScale;
    ExchangeTenths(pDX, IDC_CALIBRATE_OFFSET_X, m_nOffsetX, nMaxOffset, IDP_CALIBRATE_BAD_OFFSET);
    ExchangeTenths(pDX, IDC_CALIBRATE_OFFSET_Y, m_nOffsetY, nMaxOffset, IDP_CALIBRATE_BAD_OFFSET);
    ExchangeTenths(pDX, IDC_CALIBRATE_SCALE_X, m_nScaleX, nMaxScale, IDP_CALIBRATE_BAD_SCALE);
    ExchangeTenths(pDX, IDC_CALIBRATE_SCALE_Y, m_nScaleY, nMaxScale, IDP_CALIBRATE_BAD_SCALE);
    DDX_Check(pDX, IDC_CALIBRATE_VECTOR_TEXT, m_nVectorText);
}

BOOL CCalibrateDlg::OnInitDialog()
{
    CPrintDialog dlg(FALSE, PD_RETURNDEFAULT, nullptr);
    if (dlg.DoModal() == IDOK) {
        m_strPrinter = dlg.GetDeviceName();
        const CPrinterCalibration calibration = CPrinterCalibration::Read(m_strPrinter);
        m_nOffsetX = calibration.m_sizeOffset.cx;
        m_nOffsetY = calibration.m_sizeOffset.cy;
        m_nScaleX = calibration.m_sizeScale.cx;
        m_nScaleY = calibration.m_sizeScale.cy;
        m_nVectorText = calibration.m_bVectorText ? BST_CHECKED : BST_UNCHECKED;
    }
    // The test page's rulers are as long as the layout's paper allows.
    const CPrintSet* pPrintSet = m_pCertificateWnd ? m_pCertificateWnd->m_pPrintSet : nullptr;
    const CPrintSet defaultSet;
    m_nMarkX = CCertificateWnd::GetRulerMark((pPrintSet ? pPrintSet : &defaultSet)->m_nPaperWidth);
    m_nMarkY = CCertificateWnd::GetRulerMark((pPrintSet ? pPrintSet : &defaultSet)->m_nPaperHeight);
    m_bSettingText = TRUE;
    CDialog::OnInitDialog();
    m_bSettingText = FALSE;
    CString strFormat, strPrinter;
    if (m_strPrinter.IsEmpty()) {
        strPrinter.LoadString(IDP_NO_PRINTER);
    } else {
        strFormat.LoadString(IDS_CALIBRATE_PRINTER);
        strPrinter.Format(strFormat, m_strPrinter);
    }
    SetDlgItemText(IDC_CALIBRATE_PRINTER, strPrinter);
    ShowMark(IDC_CALIBRATE_MARK_X, m_nMarkX);
    ShowMark(IDC_CALIBRATE_MARK_Y, m_nMarkY);
    // Without a printer there is nothing to calibrate or test.
    GetDlgItem(IDOK)->EnableWindow(!m_strPrinter.IsEmpty());
    GetDlgItem(IDC_CALIBRATE_TEST_PAGE)->EnableWindow(!m_strPrinter.IsEmpty());
    return TRUE;
}

void CCalibrateDlg::ShowMark(int nIDC, LONG nMark)
{
    CString strFormat, strText;
    strFormat.LoadString(IDS_CALIBRATE_MARK);
    strText.Format(strFormat, (int)(nMark / 10));
    SetDlgItemText(nIDC, strText);
}

BOOL CCalibrateDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) != EN_CHANGE || m_bSettingText)
        return CDialog::OnCommand(wParam, lParam);
    switch (LOWORD(wParam)) {
    case IDC_CALIBRATE_LANDED_X: OnLandedChange(IDC_CALIBRATE_LANDED_X, IDC_CALIBRATE_SCALE_X, m_nMarkX); return TRUE;
    case IDC_CALIBRATE_LANDED_Y: OnLandedChange(IDC_CALIBRATE_LANDED_Y, IDC_CALIBRATE_SCALE_Y, m_nMarkY); return TRUE;
    // The length measured no longer says what the scale is.
    case IDC_CALIBRATE_SCALE_X: SetTextQuietly(IDC_CALIBRATE_LANDED_X, ""); return TRUE;
    case IDC_CALIBRATE_SCALE_Y: SetTextQuietly(IDC_CALIBRATE_LANDED_Y, ""); return TRUE;
    default: return CDialog::OnCommand(wParam, lParam);
    }
}

// A length that is no number yet (half typed) leaves the scale as it was; one too far off
// shows its scale all the same, which OK then refuses with the scale's range.
void CCalibrateDlg::OnLandedChange(int nIDCLanded, int nIDCScale, LONG nMark)
{
    CString strText;
    GetDlgItemText(nIDCLanded, strText);
    int nLanded = 0;
    if (!ParseTenths(strText, 9999, nLanded) || nLanded <= 0)
        return;
    SetTextQuietly(nIDCScale, FormatTenths(CPrinterCalibration::ScaleFromMeasure((int)nMark, nLanded)));
}

void CCalibrateDlg::SetTextQuietly(int nIDC, const CString& strText)
{
    m_bSettingText = TRUE;
    SetDlgItemText(nIDC, strText);
    m_bSettingText = FALSE;
}

CPrinterCalibration CCalibrateDlg::GetCalibration() const
{
    CPrinterCalibration calibration;
    calibration.m_sizeOffset = CSize(m_nOffsetX, m_nOffsetY);
    calibration.m_sizeScale = CSize(m_nScaleX, m_nScaleY);
    calibration.m_bVectorText = m_nVectorText == BST_CHECKED;
    return calibration;
}

void CCalibrateDlg::OnOK()
{
    if (m_strPrinter.IsEmpty() || !UpdateData(TRUE))
        return;
    GetCalibration().Write(m_strPrinter);
    EndDialog(IDOK);
}

// The test page lands as the offsets and scales typed so far would place it, saved or not.
void CCalibrateDlg::OnTestPage()
{
    if (!m_pCertificateWnd || !UpdateData(TRUE))
        return;
    m_pCertificateWnd->PrintTestPage(GetCalibration());
}
