#include "Shell.h"

#include "Codec.h"
#include "Testing.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace {

HINSTANCE ToInstance(INT_PTR nResult)
{
    return reinterpret_cast<HINSTANCE>(nResult);
}

bool HasScheme(const QString& strFile)
{
    static const QRegularExpression s_scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return s_scheme.match(strFile).hasMatch();
}

// What "open" opens: a URL as it stands, a web host as http, anything else as a local file.
// An invalid URL means the file does not exist.
QUrl TargetUrl(const QString& strFile, const QString& strDirectory)
{
    if (HasScheme(strFile))
        return QUrl(strFile, QUrl::TolerantMode);
    if (strFile.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
        return QUrl(QStringLiteral("http://") + strFile, QUrl::TolerantMode);
    QString strPath = strFile;
    if (QFileInfo(strPath).isRelative() && !strDirectory.isEmpty())
        strPath = QDir(strDirectory).filePath(strPath);
    if (!QFileInfo::exists(strPath))
        return QUrl();
    return QUrl::fromLocalFile(QFileInfo(strPath).absoluteFilePath());
}

} // namespace

HINSTANCE ShellExecute(HWND, LPCTSTR lpOperation, LPCTSTR lpFile, LPCTSTR lpParameters,
                       LPCTSTR lpDirectory, int nShowCmd)
{
    if (Testing::CShellRecorder* pRecorder = Testing::CShellRecorder::Active()) {
        return ToInstance(pRecorder->Record({CString(lpOperation), CString(lpFile), CString(lpParameters),
                                             CString(lpDirectory), nShowCmd}));
    }
    if (lpOperation && CString(lpOperation).CompareNoCase("open") != 0)
        return ToInstance(SE_ERR_NOASSOC);
    const QString strFile = Codec::ToUnicode(CString(lpFile)).trimmed();
    if (strFile.isEmpty())
        return ToInstance(SE_ERR_FNF);
    const QUrl url = TargetUrl(strFile, Codec::ToUnicode(CString(lpDirectory)));
    if (!url.isValid())
        return ToInstance(SE_ERR_FNF);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return ToInstance(SE_ERR_FNF);
    return ToInstance(QDesktopServices::openUrl(url) ? 42 : SE_ERR_NOASSOC);
}

BOOL MessageBeep(UINT)
{
    QApplication::beep();
    return TRUE;
}
