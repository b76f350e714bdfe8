// CCalibrateDlg: the print calibration of the default printer. Every printer feeds a little
// off; the user prints a test page, holds it over a blank form, reads how far off it landed
// and types that in: a horizontal and a vertical offset in millimetres (0.1 mm steps, -50 to
// 50), kept for that printer and applied to every page printed on it.
#pragma once

#include "Dialog.h"
#include "resource.h"

class CCertificateWnd;

class CCalibrateDlg : public CDialog {
public:
    explicit CCalibrateDlg(CWnd* pParent = nullptr);
    ~CCalibrateDlg() override;

    enum { IDD = IDD_CALIBRATE_DIALOG };

    CCertificateWnd* m_pCertificateWnd;   // not owned; prints the test page
    CString m_strPrinter;                 // the default printer, found when the dialog opens
    int m_nOffsetX;                       // 0.1 mm, right is positive
    int m_nOffsetY;                       // 0.1 mm, down is positive

    // "3.5", "-12", "0.0": a signed number of millimetres with at most one decimal, in
    // tenths of a millimetre; FALSE for anything else or outside -50 to 50.
    static BOOL ParseOffset(const CString& strText, int& nTenths);
    static CString FormatOffset(int nTenths);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnTestPage();

private:
    void ExchangeOffset(CDataExchange* pDX, int nIDC, int& nTenths);
};
