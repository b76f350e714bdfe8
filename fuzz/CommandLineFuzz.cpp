// The command line's parser: the input is the arguments, separated by zero bytes. Whatever it
// accepts is a whole command; whatever it refuses gets a one-line reason.
#include "FuzzSupport.h"

#include "CommandLine.h"

#include <algorithm>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    std::vector<std::string> args;
    const char* p = reinterpret_cast<const char*>(pData);
    const char* pEnd = p + nSize;
    while (p <= pEnd && args.size() < 64) {
        const char* pZero = std::find(p, pEnd, '\0');
        args.emplace_back(p, pZero);
        p = pZero + 1;
    }
    CCommandLine::Options options;
    CString strError;
    if (!CCommandLine::Parse(args, options, strError)) {
        if (strError.IsEmpty() || strError.Find('\n') >= 0)
            Fuzz::Fail("a refusal without a one-line reason");
        return 0;
    }
    if (options.nFrom < 1)
        Fuzz::Fail("a first record below 1");
    switch (options.nCommand) {
    case CCommandLine::cmdPdf:
        if (options.strOutput.IsEmpty() || options.strDocument.IsEmpty())
            Fuzz::Fail("--pdf without its file or its document");
        break;
    case CCommandLine::cmdPrint:
        if (options.strDocument.IsEmpty() || options.bBackground)
            Fuzz::Fail("--print without a document, or with --background");
        break;
    case CCommandLine::cmdWindow:
        if (options.bBackground || options.nFrom != 1)
            Fuzz::Fail("the window with an option of the commands");
        break;
    case CCommandLine::cmdHelp:
        break;
    }
    return 0;
}
