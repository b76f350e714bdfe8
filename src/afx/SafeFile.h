// CSafeFile: writes a user's file so that a crash, a full disk or a second program saving the
// same file at any moment leaves either the old file or the new one, whole. The new contents go
// into a file of a unique name beside the target, are forced to disk and renamed over it.
#pragma once

#include "File.h"

#include <functional>
#include <string>

class CSafeFile {
public:
    // Writes strData in place of strPath. A symbolic link stays a link: the file it leads to
    // is replaced, and keeps its permissions. Throws CFileException naming strPath.
    static void Write(const CString& strPath, const std::string& strData);
    // The same for contents that writeContents writes, a piece at a time, into the open new
    // file; what it throws ends the writing and leaves no file behind.
    static void Write(const CString& strPath, const std::function<void(CFile&)>& writeContents);

private:
    static int CreateBeside(const CString& strTarget, CString& strTemp);
    static void Replace(const CString& strTemp, const CString& strTarget);
    static void SyncFolder(const CString& strTarget);
};
