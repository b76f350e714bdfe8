// Bytes as a .zs file, opened into a live main dialog. A refused file must leave the open
// document exactly as it was and say why once; an accepted one must save and read back.
#include "FuzzSupport.h"

#include "DocumentFile.h"
#include "MainDlg.h"
#include "Testing.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

// A table of 20 records: the open document is saved and compared at every input, and a
// file reads into a small table as into the full one, emptying rows it lacks and adding rows
// the table lacks.
const int s_nRecords = 20;

CMainDlg& Dialog()
{
    static CMainDlg* pDlg = [] {
        Fuzz::StartApplication();
        auto* p = new CMainDlg;
        Fuzz::SetUpRecordTable(p->m_wndGrid, s_nRecords);
        p->m_wndGrid.SetItemText(1, 1, "open document");
        p->m_strPathName = "/open/document.zs";
        return p;
    }();
    return *pDlg;
}

// Memory is the quickest file system where there is one.
const std::string& InputPath()
{
    static const std::string strPath = [] {
        const char* pszDir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(pszDir) + "/veltrane-fuzz-" + std::to_string(getpid()) + ".zs";
    }();
    return strPath;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CMainDlg& dlg = Dialog();
    FILE* pFile = std::fopen(InputPath().c_str(), "wb");
    if (!pFile)
        Fuzz::Fail("cannot write the input file");
    std::fwrite(pData, 1, nSize, pFile);
    std::fclose(pFile);

    // The open document's bytes change only when a file is accepted.
    static std::string strBefore = CDocumentFile::Build(dlg.m_wndGrid, dlg.m_printSet);
    const CString strPathBefore = dlg.m_strPathName;
    Testing::CMessageBoxRecorder recorder;
    if (!dlg.LoadDocument(CString(InputPath().c_str()))) {
        if (CDocumentFile::Build(dlg.m_wndGrid, dlg.m_printSet) != strBefore ||
            dlg.m_strPathName != strPathBefore)
            Fuzz::Fail("a refused file changed the open document");
        if (recorder.Calls().size() != 1)
            Fuzz::Fail("a refused file did not say why exactly once");
        return 0;
    }
    if (!recorder.Calls().empty())
        Fuzz::Fail("an accepted file showed a message");

    // What was read must save as a document that reads again.
    const std::string strAfter = CDocumentFile::Build(dlg.m_wndGrid, dlg.m_printSet);
    CDocumentFile doc;
    if (doc.Parse(strAfter.data(), strAfter.size()) != CDocumentFile::documentRead)
        Fuzz::Fail("a loaded document does not read back");
    // Tables that a file grew go back to the standard size, so that inputs stay independent.
    if (dlg.m_wndGrid.GetRowCount() > s_nRecords + 1)
        dlg.m_wndGrid.SetRowCount(s_nRecords + 1);
    strBefore = CDocumentFile::Build(dlg.m_wndGrid, dlg.m_printSet);
    return 0;
}
