// Veltrane: prints award certificates in bulk. The program is its main window, run by the
// application object, unless the command line asks for certificates without a window.
#include "CommandLine.h"
#include "MainApp.h"

#include <QGuiApplication>
#include <QtGlobal>

#include <cstdlib>

CMainApp theApp;

namespace {

// A command's output is its one line. Qt's own notes (a missing runtime folder on a server,
// say) would add lines of their own; only its errors are let through.
void CommandMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        qt_message_output(type, context, text);
}

} // namespace

int main(int argc, char** argv)
{
    CString strError;
    if (!CCommandLine::Parse(std::vector<std::string>(argv + (argc > 0), argv + argc), theApp.m_options, strError)) {
        CCommandLine::PrintLine(strError, true);
        return CCommandLine::exitUsage;
    }
    if (theApp.m_options.nCommand == CCommandLine::cmdHelp) {
        CCommandLine::PrintText(CCommandLine::GetHelpText());
        return 0;
    }
    if (CCommandLine::IsWindowless(theApp.m_options)) {
        // Certificates made without a window need no display; Qt would refuse to start without one.
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        qInstallMessageHandler(CommandMessageHandler);
    }
    // The desktop entry the windows belong to: their icon and name in the desktop's task bar.
    QGuiApplication::setDesktopFileName(QStringLiteral("local.veltrane.Veltrane"));
    return AfxWinMain(argc, argv);
}
