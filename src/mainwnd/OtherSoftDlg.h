// COtherSoftDlg: the author page, a read-only text about Veltrane and links to its
// documentation.
#pragma once

#include "Dialog.h"
#include "Edit.h"
#include "StatLink.h"
#include "resource.h"

class COtherSoftDlg : public CDialog {
public:
    explicit COtherSoftDlg(CWnd* pParent = nullptr);
    ~COtherSoftDlg() override;

    enum { IDD = IDD_OTHERSOFT_DIALOG };

    CStaticLink m_link1;
    CStaticLink m_link2;
    CStaticLink m_link3;
    CStaticLink m_link4;
    CStaticLink m_link5;
    CStaticLink m_link6;
    CStaticLink m_link7;
    CStaticLink m_link8;
    CEdit m_editText;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};
