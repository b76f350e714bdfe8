#include "SafeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Six letters or digits that a second process, or a second save of this one, picks
// differently.
CString RandomSuffix()
{
    static const char s_szAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random(std::random_device{}() ^ (uint64_t)getpid());
    // A forked child starts from its parent's state; its own process id sets it apart.
    const uint64_t nValue = random() ^ ((uint64_t)getpid() << 32);
    CString str;
    for (int i = 0; i < 6; i++)
        str += s_szAlphabet[(nValue >> (6 * i)) % (sizeof s_szAlphabet - 1)];
    return str;
}

} // namespace

void CSafeFile::Write(const CString& strPath, const std::string& strData)
{
    Write(strPath, [&strData](CFile& file) { file.Write(strData.data(), (UINT)strData.size()); });
}

void CSafeFile::Write(const CString& strPath, const std::function<void(CFile&)>& writeContents)
{
    CFileStatus status;
    if (CFile::GetStatus(strPath, status) &&
        (status.m_attribute & (CFile::readOnly | CFile::directory)))
        AfxThrowFileException(CFileException::accessDenied, EACCES, strPath);

    // The new file is made in the folder of the file it replaces, so that renaming it there
    // is one step of one file system.
    const CString strTarget = CFile::ResolveLinks(strPath);
    CString strTemp;
    const int hFile = CreateBeside(strTarget, strTemp);
    if (hFile < 0) {
        // A missing folder is a bad path, not a missing file.
        const int nError = errno;
        const int cause = nError == ENOENT ? CFileException::badPath : CFileException::OsErrorToException(nError);
        AfxThrowFileException(cause, nError, strPath);
    }
    CFile file(hFile, strTemp);
    const auto RemoveTemp = [&file, &strTemp] {
        file.Abort();
        try {
            CFile::Remove(strTemp);
        } catch (CFileException* eRemove) {
            eRemove->Delete();
        }
    };
    try {
        writeContents(file);
        file.Flush();
        file.Close();
        Replace(strTemp, strTarget);
    } catch (CFileException* e) {
        RemoveTemp();
        e->m_strFileName = strPath;
        throw;
    } catch (...) {
        RemoveTemp();
        throw;
    }
    SyncFolder(strTarget);
}

// A file of a name no other file has, "<target>.<six letters>.tmp", opened for writing; -1
// with errno set when none can be made. Its permissions are those of a new file until
// Replace gives it the target's.
int CSafeFile::CreateBeside(const CString& strTarget, CString& strTemp)
{
    for (int nTry = 0; nTry < 100; nTry++) {
        strTemp = strTarget + "." + RandomSuffix() + ".tmp";
        const std::string strNative = CFile::GetNativePath(strTemp);
        int hFile;
        do {
            hFile = ::open(strNative.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        } while (hFile < 0 && errno == EINTR);
        if (hFile >= 0 || errno != EEXIST)
            return hFile;
    }
    return -1;   // errno is EEXIST
}

// The written file takes the place of the target in one step, with the target's permissions,
// so the target is always either the old file or the new one.
void CSafeFile::Replace(const CString& strTemp, const CString& strTarget)
{
    const std::string strNativeTarget = CFile::GetNativePath(strTarget);
    struct stat st;
    if (::stat(strNativeTarget.c_str(), &st) == 0)
        ::chmod(CFile::GetNativePath(strTemp).c_str(), st.st_mode & 07777);
    CFile::Rename(strTemp, strTarget);
}

// Forces the folder's new entry onto the disk, so that the new name survives a power cut. The
// file is in place by now: a folder that cannot be forced (or opened) leaves a save that
// happened, and no error of it is reported.
void CSafeFile::SyncFolder(const CString& strTarget)
{
    const std::filesystem::path folder = std::filesystem::path(CFile::GetNativePath(strTarget)).parent_path();
    const int hFolder = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (hFolder < 0)
        return;
    ::fsync(hFolder);
    ::close(hFolder);
}
