// CCalibrateDlg: the print calibration of the default printer. Every printer feeds a little
// off, and some stretch or shrink the sheet a little; the user prints a test page, holds it
// over a blank form, reads how far off it landed and types that in: a horizontal and a
// vertical offset in millimetres (0.1 mm steps, -50 to 50), and a scale across and down in
// per mille (0.1 steps, -20 to 20), read off the test page's rulers with a ruler: the length
// the 200 mm mark landed at may be typed instead, and the dialog works the scale out. The
// user may also have the printer get the texts as text (清晰打印) rather than the picture of
// the page. All of it is kept for that printer and applied to every page printed on it.
#pragma once

#include "Dialog.h"
#include "PrinterCalibration.h"
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
    int m_nScaleX;                        // 0.1 per mille, longer is positive
    int m_nScaleY;
    int m_nVectorText;                    // BST_CHECKED: the texts go to the printer as text

    // "3.5", "-12", "0.0": a signed number with at most three digits and one decimal, in
    // tenths; FALSE for anything else or beyond -nLimit to nLimit tenths.
    static BOOL ParseTenths(const CString& strText, int nLimit, int& nTenths);
    static CString FormatTenths(int nTenths);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // A length measured on the test page works out its scale; a scale typed forgets it.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnTestPage();

private:
    void ExchangeTenths(CDataExchange* pDX, int nIDC, int& nTenths, int nLimit, UINT nIDPrompt);
    void ShowMark(int nIDC, LONG nMark);
    void OnLandedChange(int nIDCLanded, int nIDCScale, LONG nMark);
    void SetTextQuietly(int nIDC, const CString& strText);
    CPrinterCalibration GetCalibration() const;

    LONG m_nMarkX;   // the ruler marks measured, 0.1 mm
    LONG m_nMarkY;
    BOOL m_bSettingText;
};
