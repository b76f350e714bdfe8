// CFile: a binary file with the framework's interface, over POSIX file descriptors. Paths are
// GB18030 text like every other string; they become the file system's UTF-8 here.
// Failures of the throwing operations raise a CFileException, thrown as a pointer as the
// framework does: catch (CFileException* e) { e->ReportError(); e->Delete(); }
#pragma once

#include "Object.h"
#include "String.h"

#include <cstdint>

typedef uint64_t ULONGLONG;

class CException : public CObject {
public:
    // The message for the user, at most nMaxError - 1 bytes and a terminating zero.
    virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                                 UINT* pnHelpContext = nullptr) const;
    // Shows the message in a message box; returns the box's answer.
    virtual int ReportError(UINT nType = MB_OK, UINT nMessageID = 0) const;
    void Delete() { delete this; }
};

class CFileException : public CException {
public:
    enum {
        none, genericException, fileNotFound, badPath, tooManyOpenFiles, accessDenied,
        invalidFile, removeCurrentDir, directoryFull, badSeek, hardIO, sharingViolation,
        lockViolation, diskFull, endOfFile
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr);

    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                         UINT* pnHelpContext = nullptr) const override;
    // The same message as a string.
    CString GetErrorText() const;

    // The cause that an errno value stands for.
    static int OsErrorToException(LONG lOsError);
    static void ThrowOsError(LONG lOsError, LPCTSTR lpszFileName = nullptr);

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

void AfxThrowFileException(int cause, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr);

struct CFileStatus {
    ULONGLONG m_size = 0;
    BYTE m_attribute = 0;   // CFile::Attribute bits
    CString m_strFullName;
};

class CFile : public CObject {
public:
    enum OpenFlags {
        modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
        shareCompat = 0x0000, shareExclusive = 0x0010, shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030, shareDenyNone = 0x0040, modeNoInherit = 0x0080,
        modeCreate = 0x1000, modeNoTruncate = 0x2000, typeText = 0x4000, typeBinary = 0x8000
    };
    enum Attribute { normal = 0x00, readOnly = 0x01, directory = 0x10 };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);   // throws
    ~CFile() override;   // closes an open file without throwing
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE (and *pError filled in when given) when the file cannot be opened. modeCreate
    // empties an existing file unless modeNoTruncate is given. Sharing flags have no effect.
    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    // Fewer bytes than asked only at the end of the file.
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    // Forces what was written onto the disk.
    virtual void Flush();
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();

    ULONGLONG GetLength() const;
    ULONGLONG GetPosition() const;
    ULONGLONG Seek(int64_t lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    BOOL IsOpen() const { return m_hFile >= 0; }
    CString GetFilePath() const { return m_strFileName; }

    // Renaming replaces an existing file of the new name in one step (the file system's
    // rename).
    static void Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName);
    // Puts a file written beside lpszTarget in its place in one step; the replacement takes
    // over the permissions of the file it replaces, so the target is either the old file or
    // the new one, never a half-written one. The folder is forced onto the disk afterwards,
    // so that the new name survives a power cut; the caller flushes the replacement first.
    static void Replace(LPCTSTR lpszReplacement, LPCTSTR lpszTarget);
    // The file that a chain of symbolic links ends in (which need not exist yet); a path that
    // is no link is returned as it is.
    static CString ResolveLinks(LPCTSTR lpszFileName);
    static void Remove(LPCTSTR lpszFileName);
    // FALSE when the file does not exist. readOnly: this process may not write the file.
    static BOOL GetStatus(LPCTSTR lpszFileName, CFileStatus& rStatus);

private:
    void ThrowLastError() const;

    int m_hFile = -1;
    CString m_strFileName;
};
