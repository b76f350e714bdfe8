#include "File.h"

#include "Codec.h"
#include "CommonDialogs.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file system's name (UTF-8) for a path in the system's bytes.
std::string NativePath(LPCTSTR lpszFileName)
{
    return Codec::ToUnicode(CString(lpszFileName)).toUtf8().toStdString();
}

// The message for one cause; %1 stands for the file name.
QString CauseText(int cause)
{
    switch (cause) {
    case CFileException::fileNotFound: return QStringLiteral("找不到文件 %1。");
    case CFileException::badPath: return QStringLiteral("文件路径 %1 无效。");
    case CFileException::tooManyOpenFiles: return QStringLiteral("打开的文件过多，无法打开 %1。");
    case CFileException::accessDenied: return QStringLiteral("无权访问文件 %1。");
    case CFileException::directoryFull: return QStringLiteral("目录已满，无法创建文件 %1。");
    case CFileException::badSeek:
    case CFileException::invalidFile:
    case CFileException::hardIO: return QStringLiteral("读写文件 %1 时出现硬件错误。");
    case CFileException::sharingViolation:
    case CFileException::lockViolation: return QStringLiteral("文件 %1 正被占用。");
    case CFileException::diskFull: return QStringLiteral("磁盘已满，无法写完文件 %1。");
    case CFileException::endOfFile: return QStringLiteral("读取文件 %1 时意外到达文件末尾。");
    default: return QStringLiteral("访问文件 %1 时出错。");
    }
}

} // namespace

// ---- CException ----

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (lpszError && nMaxError > 0)
        *lpszError = '\0';
    return FALSE;
}

int CException::ReportError(UINT nType, UINT /*nMessageID*/) const
{
    char szMessage[512];
    if (!GetErrorMessage(szMessage, sizeof szMessage))
        std::strcpy(szMessage, "\xCE\xB4\xD6\xAA\xB4\xED\xCE\xF3\xA1\xA3");   // "未知错误。"
    return AfxMessageBox(szMessage, nType);
}

// ---- CFileException ----

CFileException::CFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName)
{
}

CString CFileException::GetErrorText() const
{
    QString text = CauseText(m_cause).arg(Codec::ToUnicode(m_strFileName));
    if (m_cause == genericException && m_lOsError > 0)
        text += QStringLiteral("（%1）")
                    .arg(QString::fromLocal8Bit(std::strerror((int)m_lOsError)));
    return Codec::FromUnicode(text);
}

BOOL CFileException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    if (!lpszError || nMaxError == 0)
        return FALSE;
    const CString strText = GetErrorText();
    // Never cut a character in half.
    const int nChar = AfxWholeCharsLength(strText, strText.GetLength(), (int)nMaxError - 1);
    std::memcpy(lpszError, (LPCTSTR)strText, (size_t)nChar);
    lpszError[nChar] = '\0';
    return TRUE;
}

int CFileException::OsErrorToException(LONG lOsError)
{
    switch (lOsError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR: case ENAMETOOLONG: case ELOOP: case EINVAL: return badPath;
    case EMFILE: case ENFILE: return tooManyOpenFiles;
    case EACCES: case EPERM: case EROFS: case EISDIR: case EEXIST: return accessDenied;
    case ENOSPC: case EDQUOT: case EFBIG: return diskFull;
    case EIO: return hardIO;
    case ESPIPE: return badSeek;
    case EBUSY: case ETXTBSY: return sharingViolation;
    default: return genericException;
    }
}

void CFileException::ThrowOsError(LONG lOsError, LPCTSTR lpszFileName)
{
    if (lOsError != 0)
        AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
{
    throw new CFileException(cause, lOsError, lpszFileName);
}

// ---- CFile ----

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags)
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile()
{
    Abort();
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    ASSERT(!IsOpen());
    int flags = O_CLOEXEC;
    switch (nOpenFlags & 3) {
    case modeRead: flags |= O_RDONLY; break;
    case modeWrite: flags |= O_WRONLY; break;
    default: flags |= O_RDWR; break;
    }
    if (nOpenFlags & modeCreate)
        flags |= (nOpenFlags & modeNoTruncate) ? O_CREAT : O_CREAT | O_TRUNC;

    m_strFileName = lpszFileName;
    const std::string strNative = NativePath(lpszFileName);
    do {
        m_hFile = ::open(strNative.c_str(), flags, 0666);
    } while (m_hFile < 0 && errno == EINTR);
    // A folder opens for reading on this system, but it is no file.
    struct stat st;
    if (m_hFile >= 0 && fstat(m_hFile, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(m_hFile);
        m_hFile = -1;
        errno = EISDIR;
    }
    if (m_hFile < 0) {
        if (pError) {
            pError->m_lOsError = errno;
            pError->m_cause = CFileException::OsErrorToException(errno);
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    return TRUE;
}

void CFile::ThrowLastError() const
{
    CFileException::ThrowOsError(errno, m_strFileName);
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    ASSERT(IsOpen());
    char* pch = static_cast<char*>(lpBuf);
    UINT nRead = 0;
    while (nRead < nCount) {
        const ssize_t n = ::read(m_hFile, pch + nRead, nCount - nRead);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowLastError();
        }
        if (n == 0)
            break;
        nRead += (UINT)n;
    }
    return nRead;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    ASSERT(IsOpen());
    const char* pch = static_cast<const char*>(lpBuf);
    UINT nWritten = 0;
    while (nWritten < nCount) {
        const ssize_t n = ::write(m_hFile, pch + nWritten, nCount - nWritten);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowLastError();
        }
        if (n == 0)
            AfxThrowFileException(CFileException::diskFull, ENOSPC, m_strFileName);
        nWritten += (UINT)n;
    }
}

void CFile::Flush()
{
    if (IsOpen() && ::fsync(m_hFile) != 0 && errno != EINVAL)
        ThrowLastError();
}

void CFile::Close()
{
    if (!IsOpen())
        return;
    const int nResult = ::close(m_hFile);
    m_hFile = -1;
    // The descriptor is gone even after EINTR; only a real error is reported.
    if (nResult != 0 && errno != EINTR)
        ThrowLastError();
}

void CFile::Abort()
{
    if (IsOpen())
        ::close(m_hFile);
    m_hFile = -1;
}

ULONGLONG CFile::GetLength() const
{
    ASSERT(IsOpen());
    struct stat st;
    if (fstat(m_hFile, &st) != 0)
        ThrowLastError();
    return (ULONGLONG)st.st_size;
}

ULONGLONG CFile::GetPosition() const
{
    ASSERT(IsOpen());
    const off_t nPos = ::lseek(m_hFile, 0, SEEK_CUR);
    if (nPos < 0)
        ThrowLastError();
    return (ULONGLONG)nPos;
}

ULONGLONG CFile::Seek(int64_t lOff, UINT nFrom)
{
    ASSERT(IsOpen());
    const int nWhence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END;
    const off_t nPos = ::lseek(m_hFile, (off_t)lOff, nWhence);
    if (nPos < 0)
        ThrowLastError();
    return (ULONGLONG)nPos;
}

void CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName)
{
    if (::rename(NativePath(lpszOldName).c_str(), NativePath(lpszNewName).c_str()) != 0)
        CFileException::ThrowOsError(errno, lpszOldName);
}

void CFile::Replace(LPCTSTR lpszReplacement, LPCTSTR lpszTarget)
{
    struct stat st;
    if (::stat(NativePath(lpszTarget).c_str(), &st) == 0)
        ::chmod(NativePath(lpszReplacement).c_str(), st.st_mode & 07777);
    const std::string strTarget = NativePath(lpszTarget);
    if (::rename(NativePath(lpszReplacement).c_str(), strTarget.c_str()) != 0)
        CFileException::ThrowOsError(errno, lpszTarget);

    const std::filesystem::path folder = std::filesystem::path(strTarget).parent_path();
    const int hFolder = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (hFolder < 0)
        CFileException::ThrowOsError(errno, lpszTarget);
    const int nResult = ::fsync(hFolder);
    const int nError = errno;
    ::close(hFolder);
    // Some file systems cannot force a folder; that is no failure of the save.
    if (nResult != 0 && nError != EINVAL && nError != EROFS)
        CFileException::ThrowOsError(nError, lpszTarget);
}

CString CFile::ResolveLinks(LPCTSTR lpszFileName)
{
    namespace fs = std::filesystem;
    fs::path path = NativePath(lpszFileName);
    std::error_code ec;
    // As many links as the system itself follows before it calls the chain a loop.
    for (int nLinks = 0; nLinks < 40 && fs::is_symlink(path, ec); nLinks++) {
        const fs::path target = fs::read_symlink(path, ec);
        if (ec)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return Codec::FromUnicode(QString::fromStdString(path.string()));
}

void CFile::Remove(LPCTSTR lpszFileName)
{
    if (::unlink(NativePath(lpszFileName).c_str()) != 0)
        CFileException::ThrowOsError(errno, lpszFileName);
}

BOOL CFile::GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus)
{
    const std::string strNative = NativePath(lpszFileName);
    struct stat st;
    if (::stat(strNative.c_str(), &st) != 0)
        return FALSE;
    rStatus.m_size = (ULONGLONG)st.st_size;
    rStatus.m_attribute = S_ISDIR(st.st_mode) ? directory : normal;
    if (::access(strNative.c_str(), W_OK) != 0)
        rStatus.m_attribute |= readOnly;
    rStatus.m_strFullName = lpszFileName;
    return TRUE;
}
