// CEditDlg: the item editor of the design window. It edits one print item's text, its width
// and height in pixels and its font face, or asks for the item to be deleted.
#pragma once

#include "Dialog.h"
#include "resource.h"

class CEditDlg : public CDialog {
public:
    explicit CEditDlg(CWnd* pParent = nullptr);
    ~CEditDlg() override;

    enum { IDD = IDD_EDIT_DIALOG };

    BOOL m_bDelete;          // the user chose "删除"; stays set if validation then fails
    CString m_strFontName;   // the item's face; not shown, changed through the font dialog
    CString m_strText;       // the template text, CR LF between lines
    UINT m_nHeight;          // 5 to 100
    UINT m_nWidth;           // 10 to 1900

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    void OnDeleteItem();
    void OnChooseFont();
};
