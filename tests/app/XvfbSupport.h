// Running the real program on its own X server: the server, tools such as xdotool, window
// geometry and screenshots.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <unistd.h>

#include <optional>

namespace XvfbSupport {

// A child process that is always ended when it goes out of scope, on every path of a test.
class CChildProcess
{
public:
    CChildProcess() = default;
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;
    ~CChildProcess() { Stop(); }

    QProcess& Process() { return m_process; }
    // Without an event loop QProcess learns of an exit only when asked to wait for it.
    bool IsRunning()
    {
        if (m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForFinished(0);
        return m_process.state() != QProcess::NotRunning;
    }

    void Stop()
    {
        if (!IsRunning())
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

private:
    QProcess m_process;
};

struct ToolResult
{
    bool bFinished = false;
    int nExitCode = -1;
    QString strOutput;
};

inline ToolResult RunTool(const QString& program, const QStringList& args, const QString& display)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    process.setProcessEnvironment(env);
    process.start(program, args);
    ToolResult result;
    if (!process.waitForStarted(5000))
        return result;
    result.bFinished = process.waitForFinished(15000);
    if (!result.bFinished) {
        process.kill();
        process.waitForFinished(3000);
        return result;
    }
    result.nExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.strOutput = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return result;
}

// Waits until cond() holds, polling; false when timeoutMs passes first.
template <typename Cond>
inline bool WaitFor(Cond cond, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(100);
    }
    return true;
}

inline bool DisplayIsTaken(int nDisplay)
{
    return QFile::exists(QString("/tmp/.X%1-lock").arg(nDisplay))
        || QFile::exists(QString("/tmp/.X11-unix/X%1").arg(nDisplay));
}

// Starts Xvfb on the first free display of a few; returns its name (":NN") once clients
// can connect. Displays are picked away from 0 and spread by process id so that several
// test runs on one machine do not meet.
inline std::optional<QString> StartXvfb(CChildProcess& server)
{
    const int nFirst = 100 + static_cast<int>(getpid() % 400);
    for (int nDisplay = nFirst; nDisplay < nFirst + 8; ++nDisplay) {
        if (DisplayIsTaken(nDisplay))
            continue;
        const QString display = QString(":%1").arg(nDisplay);
        QProcess& process = server.Process();
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        // Without -noreset the server resets each time its last client (the readiness probe)
        // leaves, and a program connecting during the reset fails to start.
        process.start("Xvfb", {display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                               "-noreset"});
        if (!process.waitForStarted(5000))
            return std::nullopt; // not installed: trying other displays will not help
        const bool bReady = WaitFor(
            [&] {
                return !server.IsRunning()
                    || RunTool("xdotool", {"getdisplaygeometry"}, display).nExitCode == 0;
            },
            10000);
        if (bReady && server.IsRunning())
            return display;
        server.Stop();
    }
    return std::nullopt;
}

struct WindowGeometry
{
    int x = 0, y = 0, cx = 0, cy = 0;
};

inline std::optional<WindowGeometry> ReadGeometry(const QString& window, const QString& display)
{
    const ToolResult result = RunTool("xdotool", {"getwindowgeometry", "--shell", window}, display);
    if (result.nExitCode != 0)
        return std::nullopt;
    WindowGeometry geometry;
    for (const QString& line : result.strOutput.split('\n')) {
        const QString key = line.section('=', 0, 0);
        const int nValue = line.section('=', 1).toInt();
        if (key == "X") geometry.x = nValue;
        else if (key == "Y") geometry.y = nValue;
        else if (key == "WIDTH") geometry.cx = nValue;
        else if (key == "HEIGHT") geometry.cy = nValue;
    }
    return geometry;
}

// The image tool's own binary when it is there, else whatever the path offers.
inline QString ConvertTool()
{
    return QFile::exists("/usr/bin/convert") ? QString("/usr/bin/convert") : QString("convert");
}

inline QImage TakeScreenshot(const QString& display, const QDir& dir)
{
    const QString xwd = dir.filePath("screen.xwd");
    const QString png = dir.filePath("screen.png");
    QFile::remove(png);
    if (RunTool("xwd", {"-root", "-silent", "-display", display, "-out", xwd}, display).nExitCode != 0)
        return {};
    if (RunTool(ConvertTool(), {"xwd:" + xwd, "png:" + png}, display).nExitCode != 0)
        return {};
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

// A screenshot once rect has been painted and holds still: two shots in a row alike there,
// and not all of one colour. Null when that does not happen within timeoutMs.
inline QImage TakeSettledScreenshot(const QString& display, const QDir& dir, const QRect& rect,
                                    int timeoutMs = 10000)
{
    QImage previous, settled;
    WaitFor([&] {
        const QImage shot = TakeScreenshot(display, dir);
        if (shot.isNull())
            return false;
        const QImage region = shot.copy(rect);
        bool bPainted = false;
        for (int y = 0; y < region.height() && !bPainted; y++)
            for (int x = 0; x < region.width() && !bPainted; x++)
                bPainted = region.pixel(x, y) != region.pixel(0, 0);
        if (bPainted && region == previous)
            settled = shot;
        previous = region;
        return !settled.isNull();
    }, timeoutMs);
    return settled;
}

// Starts the program on display, in workDir, with its output on the test's; xcb is forced so
// that it cannot fall back to another platform. extra adds or overrides variables.
inline bool StartProgram(CChildProcess& program, const QString& binary, const QString& display,
                         const QString& workDir, const QProcessEnvironment& extra = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("WAYLAND_DISPLAY");
    env.insert(extra);
    program.Process().setProcessEnvironment(env);
    program.Process().setProcessChannelMode(QProcess::ForwardedChannels);
    program.Process().setWorkingDirectory(workDir);
    program.Process().start(binary, QStringList());
    return program.Process().waitForStarted(5000);
}

} // namespace XvfbSupport
