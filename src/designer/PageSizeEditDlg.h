// CPageSizeEditDlg: the paper-size editor of the design window, in tenths of a millimetre.
#pragma once

#include "Dialog.h"
#include "resource.h"

class CPageSizeEditDlg : public CDialog {
public:
    explicit CPageSizeEditDlg(CWnd* pParent = nullptr);
    ~CPageSizeEditDlg() override;

    enum { IDD = IDD_PAGESIZE_DIALOG };

    UINT m_nHeight;   // 100 to 20000
    UINT m_nWidth;    // 100 to 20000

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
