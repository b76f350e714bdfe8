#include "ProgressDialog.h"

#include "App.h"
#include "Codec.h"

#include <QApplication>
#include <QProgressDialog>

CProgressDialog::CProgressDialog() = default;

CProgressDialog::~CProgressDialog()
{
    DestroyWindow();
}

BOOL CProgressDialog::Create(LPCTSTR lpszCaption, LPCTSTR lpszCancel, int nUpper, CWnd* pParentWnd)
{
    CWnd* pOwner = pParentWnd ? pParentWnd : AfxGetMainWnd();
    QWidget* pParent = pOwner && pOwner->GetSafeHwnd() ? pOwner->GetSafeHwnd()->window() : nullptr;
    m_pDialog = std::make_unique<QProgressDialog>(QString(), Codec::ToUnicode(lpszCancel), 0, nUpper, pParent);
    m_pDialog->setWindowTitle(Codec::ToUnicode(lpszCaption));
    m_pDialog->setWindowModality(Qt::ApplicationModal);
    // Kept on screen at the end so that the last page's text can be read until we close it.
    m_pDialog->setAutoClose(false);
    m_pDialog->setAutoReset(false);
    m_pDialog->setMinimumDuration(0);
    m_pDialog->setValue(0);
    m_pDialog->show();
    QCoreApplication::processEvents();
    return TRUE;
}

void CProgressDialog::DestroyWindow()
{
    if (!m_pDialog)
        return;
    m_pDialog->hide();
    m_pDialog.reset();
}

void CProgressDialog::SetPos(int nPos, LPCTSTR lpszText)
{
    if (!m_pDialog)
        return;
    m_pDialog->setLabelText(Codec::ToUnicode(lpszText));
    m_pDialog->setValue(nPos);
    QCoreApplication::processEvents();
}

BOOL CProgressDialog::IsCanceled() const
{
    return m_pDialog && m_pDialog->wasCanceled();
}
