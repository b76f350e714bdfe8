// Bytes as a user's session with the main window: the operations they choose, through real
// events, then a save and a fresh window opening the file. What was saved must come back.
#include "FuzzSupport.h"

#include "MainApp.h"
#include "UserSession.h"

#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    static CUserSession* pSession = [] {
        Fuzz::StartApplication();
        // Memory is the quickest file system where there is one.
        const std::string strBase = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        const std::string strFolder = strBase + "/veltrane-session-" + std::to_string(getpid());
        std::filesystem::create_directories(strFolder);
        // The folder goes when the run ends.
        static const struct CFolder {
            std::string strPath;
            ~CFolder() { std::filesystem::remove_all(strPath); }
        } folder{strFolder};
        static CMainApp app;
        // A table of 30 records, in windows made once: every input saves and reads the whole
        // table.
        return new CUserSession(app, strFolder, 30, true);
    }();
    const std::string strFailure = pSession->Run(pData, nSize);
    if (!strFailure.empty())
        Fuzz::Fail(strFailure.c_str());
    return 0;
}
