// A modal progress window for long work on the user-interface thread: a line of text, a bar and
// a cancel button. The work calls SetPos after each step; that also lets the program's windows
// repaint and the cancel button be pressed. Other windows take no input while it is shown.
#pragma once

#include "Wnd.h"

#include <memory>

class QProgressDialog;

class CProgressDialog {
public:
    CProgressDialog();
    ~CProgressDialog();
    CProgressDialog(const CProgressDialog&) = delete;
    CProgressDialog& operator=(const CProgressDialog&) = delete;

    // Shows the window over pParentWnd's window (the main window when NULL). GB18030 texts.
    BOOL Create(LPCTSTR lpszCaption, LPCTSTR lpszCancel, int nUpper, CWnd* pParentWnd = nullptr);
    void DestroyWindow();
    // Sets the bar and the text, then handles what is pending: paints, the cancel button.
    void SetPos(int nPos, LPCTSTR lpszText);
    BOOL IsCanceled() const;
    // The Qt window, NULL before Create.
    QProgressDialog* GetSafeHwnd() const { return m_pDialog.get(); }

private:
    std::unique_ptr<QProgressDialog> m_pDialog;
};
