#include "CommonDialogs.h"

#include "App.h"
#include "Codec.h"
#include "Resource.h"
#include "Testing.h"

#include <QApplication>
#include <QFileDialog>
#include <QStringList>
#include <cstring>

namespace {

bool IsLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

// The '|' separators of a filter become NULs; a '|' that is the second byte of a Chinese
// character stays.
CString FilterWithNuls(LPCTSTR lpszFilter)
{
    CString str(lpszFilter);
    for (int i = 0; i < str.GetLength(); ++i) {
        if (IsLeadByte((unsigned char)str[i]) && i + 1 < str.GetLength())
            ++i;
        else if (str[i] == '|')
            str.SetAt(i, '\0');
    }
    return str;
}

// Pairs "description\0pattern\0 ... \0" in Qt's form.
QString QtFilterFromPairs(const char* pch, int nLength)
{
    QStringList filters;
    int i = 0;
    while (i < nLength && pch[i] != '\0') {
        const int nDesc = (int)std::strlen(pch + i);
        const QString strDesc = Codec::ToUnicode(pch + i, nDesc);
        i += nDesc + 1;
        if (i >= nLength)
            break;
        const int nPattern = (int)std::strlen(pch + i);
        QString strPattern = Codec::ToUnicode(pch + i, nPattern);
        i += nPattern + 1;
        strPattern.replace(u';', u' ');
        filters << strDesc + QStringLiteral(" (") + strPattern.simplified() + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

QWidget* OwnerWidget(CWnd* pParentWnd)
{
    CWnd* pOwner = pParentWnd ? pParentWnd : AfxGetMainWnd();
    if (pOwner && pOwner->GetSafeHwnd())
        return pOwner->GetSafeHwnd()->window();
    return QApplication::activeModalWidget() ? QApplication::activeModalWidget()
                                             : QApplication::activeWindow();
}

CString StripDot(LPCTSTR lpszDefExt)
{
    CString strExt(lpszDefExt);
    while (!strExt.IsEmpty() && strExt[0] == '.')
        strExt = strExt.Mid(1);
    return strExt;
}

} // namespace

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT)
{
    if (!(nType & MB_ICONMASK)) {
        const UINT nButtons = nType & MB_TYPEMASK;
        nType |= nButtons == MB_YESNO || nButtons == MB_YESNOCANCEL ? MB_ICONQUESTION : MB_ICONEXCLAMATION;
    }
    LPCTSTR lpszCaption = AfxGetAppName();
    return MessageBox(lpszText, *lpszCaption ? lpszCaption : nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString strPrompt;
    strPrompt.LoadString(nIDPrompt);
    return AfxMessageBox(strPrompt, nType, nIDHelp == (UINT)-1 ? nIDPrompt : nIDHelp);
}

// CFileDialog.

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName,
                         DWORD dwFlags, LPCTSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd)
{
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
    if (lpszDefExt) {
        m_strDefExt = lpszDefExt;
        m_ofn.lpstrDefExt = m_strDefExt;
    }
    if (lpszFileName)
        std::strncpy(m_szFileName, lpszFileName, sizeof m_szFileName - 1);
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    if (lpszFilter) {
        m_strFilterText = lpszFilter;
        m_strFilter = FilterWithNuls(lpszFilter);
        m_ofn.lpstrFilter = m_strFilter;
    }
}

QString CFileDialog::QtFilter(LPCTSTR lpszFilter)
{
    if (!lpszFilter)
        return QString();
    const CString strPairs = FilterWithNuls(lpszFilter);
    return QtFilterFromPairs(strPairs, strPairs.GetLength());
}

CString CFileDialog::WithDefaultExt(const CString& strPath, LPCTSTR lpszDefExt)
{
    const CString strExt = StripDot(lpszDefExt);
    const CString strName = strPath.Mid(strPath.ReverseFind('/') + 1);
    if (strExt.IsEmpty() || strName.IsEmpty() || strName.Find('.') >= 0)
        return strPath;
    return strPath + "." + strExt;
}

INT_PTR CFileDialog::DoModal()
{
    Testing::FileDialogCall call {m_bOpenFileDialog != FALSE, CString(m_ofn.lpstrDefExt),
                                  CString(m_ofn.lpstrFile), m_strFilterText,
                                  CString(m_ofn.lpstrInitialDir), m_ofn.Flags};
    if (Testing::CFileDialogAnswerer* pAnswerer = Testing::CFileDialogAnswerer::Active()) {
        CString strPath;
        if (!pAnswerer->Answer(call, strPath))
            return IDCANCEL;
        return Finish(WithDefaultExt(strPath, m_ofn.lpstrDefExt));
    }

    const QString strTitle = m_ofn.lpstrTitle ? Codec::ToUnicode(CString(m_ofn.lpstrTitle))
        : m_bOpenFileDialog ? QString::fromUtf16(u"打开") : QString::fromUtf16(u"另存为");
    QFileDialog dlg(OwnerWidget(m_pParentWnd), strTitle, Codec::ToUnicode(call.strInitialDir));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(m_bOpenFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!m_bOpenFileDialog && !(m_ofn.Flags & OFN_OVERWRITEPROMPT))
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (m_ofn.lpstrFilter) {
        int nLength = 0;   // the pairs end with an empty string
        while (m_ofn.lpstrFilter[nLength] != '\0' || m_ofn.lpstrFilter[nLength + 1] != '\0')
            ++nLength;
        dlg.setNameFilter(QtFilterFromPairs(m_ofn.lpstrFilter, nLength + 1));
    }
    const CString strExt = StripDot(m_ofn.lpstrDefExt);
    if (!strExt.IsEmpty())
        dlg.setDefaultSuffix(Codec::ToUnicode(strExt));
    if (!call.strFileName.IsEmpty())
        dlg.selectFile(Codec::ToUnicode(call.strFileName));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return IDCANCEL;
    return Finish(WithDefaultExt(Codec::FromUnicode(dlg.selectedFiles().first()), m_ofn.lpstrDefExt));
}

// The chosen path must fit the caller's buffer, NUL included, as the window system demands.
INT_PTR CFileDialog::Finish(const CString& strPath)
{
    if (!m_ofn.lpstrFile || (DWORD)strPath.GetLength() >= m_ofn.nMaxFile)
        return IDCANCEL;
    std::memcpy(m_ofn.lpstrFile, (LPCTSTR)strPath, (size_t)strPath.GetLength() + 1);
    return IDOK;
}

CString CFileDialog::GetPathName() const
{
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const
{
    const CString strPath = GetPathName();
    return strPath.Mid(strPath.ReverseFind('/') + 1);
}

CString CFileDialog::GetFileExt() const
{
    const CString strName = GetFileName();
    const int nDot = strName.ReverseFind('.');
    return nDot < 0 ? CString() : strName.Mid(nDot + 1);
}

CString CFileDialog::GetFileTitle() const
{
    const CString strName = GetFileName();
    const int nDot = strName.ReverseFind('.');
    return nDot < 0 ? strName : strName.Left(nDot);
}
