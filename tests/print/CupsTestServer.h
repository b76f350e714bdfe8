// A private CUPS server for tests that print for real: its own cupsd with its own
// configuration, spool and log folders and socket, reached through CUPS_SERVER, with one
// cups-pdf queue as the default printer. The PDFs that cups-pdf writes land in OutDir().
//
// cups-pdf reads its settings only from /etc/cups: the queue gets a name of its own and its
// own /etc/cups/cups-pdf-NAME.conf, which Stop() removes again. Its backend runs only as root.
//
// Start() must come before anything in the process asks for printers: the CUPS library keeps
// the server it first talked to.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <memory>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class CCupsTestServer {
public:
    CCupsTestServer() = default;
    ~CCupsTestServer() { Stop(); }
    CCupsTestServer(const CCupsTestServer&) = delete;
    CCupsTestServer& operator=(const CCupsTestServer&) = delete;

    // Starts the server and waits until the queue is the default. False, with the reason in
    // strWhy, on a machine where that cannot be done.
    bool Start(QString& strWhy)
    {
        if (geteuid() != 0)
            return Fail(strWhy, "the cups-pdf backend runs only for root, and this test is not root");
        for (const char* pszFile : {"/usr/sbin/cupsd", "/usr/lib/cups/backend/cups-pdf",
                                    "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd", "/usr/bin/gs"})
            if (!QFileInfo::exists(pszFile))
                return Fail(strWhy, QStringLiteral("%1 is missing (make deps installs cups and cups-pdf)").arg(pszFile));
        if (!m_dir.isValid())
            return Fail(strWhy, "no temporary folder");
        // The filters run as the lp user: they must reach the folders.
        const QString strBase = m_dir.path();
        chmod(QFile::encodeName(strBase).constData(), 0755);
        m_strQueue = QStringLiteral("VeltraneTest%1").arg(getpid());
        for (const char* pszDir : {"etc", "etc/ppd", "spool", "cache", "state", "log", "out", "tmp"})
            QDir(strBase).mkpath(pszDir);
        chmod(QFile::encodeName(strBase + "/tmp").constData(), 01777);
        chmod(QFile::encodeName(strBase + "/out").constData(), 01777);
        m_strSocket = strBase + "/cups.sock";
        m_strPdfConf = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(m_strQueue);
        if (!Write(strBase + "/etc/cupsd.conf", CupsdConf())
            || !Write(strBase + "/etc/cups-files.conf", FilesConf(strBase))
            || !Write(strBase + "/etc/printers.conf", PrintersConf())
            || !QFile::copy("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd", strBase + "/etc/ppd/" + m_strQueue + ".ppd"))
            return Fail(strWhy, "cannot write the server's configuration in " + strBase);
        if (!Write(m_strPdfConf, PdfConf(strBase)))
            return Fail(strWhy, "cannot write " + m_strPdfConf + " (cups-pdf reads its settings only from /etc/cups)");

        const QByteArray cupsd = "/usr/sbin/cupsd";
        const QByteArray conf = QFile::encodeName(strBase + "/etc/cupsd.conf");
        const QByteArray files = QFile::encodeName(strBase + "/etc/cups-files.conf");
        m_pid = fork();
        if (m_pid == 0) {
            execl(cupsd.constData(), "cupsd", "-f", "-c", conf.constData(), "-s", files.constData(), nullptr);
            _exit(127);
        }
        if (m_pid < 0)
            return Fail(strWhy, "cannot start cupsd");
        setenv("CUPS_SERVER", QFile::encodeName(m_strSocket).constData(), 1);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            int nStatus = 0;
            if (waitpid(m_pid, &nStatus, WNOHANG) == m_pid) {
                m_pid = -1;
                return Fail(strWhy, "cupsd stopped at once; see " + strBase + "/log/error_log");
            }
            if (QFileInfo::exists(m_strSocket) && Lpstat({"-d"}).contains(m_strQueue.toUtf8()))
                return true;
            QThread::msleep(50);
        }
        return Fail(strWhy, "cupsd did not answer within 10 s");
    }

    void Stop()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            int nStatus = 0;
            waitpid(m_pid, &nStatus, 0);
            m_pid = -1;
        }
        if (!m_strPdfConf.isEmpty()) {
            QFile::remove(m_strPdfConf);
            m_strPdfConf.clear();
        }
    }

    QString Queue() const { return m_strQueue; }
    QString OutDir() const { return m_dir.path() + "/out"; }
    // Where cupsd keeps the documents of the jobs it holds (d<job>-001).
    QString SpoolDir() const { return m_dir.path() + "/spool"; }

    // The queue's administration, as a user would do it: cupsreject / cupsaccept (refuse or
    // take new jobs), cupsdisable / cupsenable (stop or start printing; a stopped queue holds
    // its jobs). True when the command succeeded.
    bool Admin(const char* pszCommand) const { return Run(QStringLiteral("/usr/sbin/") + QLatin1String(pszCommand), {m_strQueue}); }
    // Another cups-pdf queue, made the default printer (Reset() makes ours the default again);
    // and a queue removed, as an administrator removes a printer.
    bool AddDefaultQueue(const QString& strName) const
    {
        return Run("/usr/sbin/lpadmin", {"-p", strName, "-E", "-v", "cups-pdf:/" + strName, "-P",
                                         "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"})
            && Run("/usr/sbin/lpadmin", {"-d", strName});
    }
    bool RemoveQueue(const QString& strName) const { return Run("/usr/sbin/lpadmin", {"-x", strName}); }
    // The jobs not yet completed, one line each ("lpstat -o"); with bAll, every job the server
    // has had, printed or cancelled too.
    QStringList Jobs(bool bAll = false) const
    {
        return QString::fromUtf8(Lpstat({"-W", bAll ? "all" : "not-completed", "-o"})).split(u'\n', Qt::SkipEmptyParts);
    }
    // Cancels the jobs not yet printed; our queue is the default and takes and prints new jobs.
    bool Reset() const
    {
        Run("cancel", {"-a", m_strQueue});
        return Run("/usr/sbin/lpadmin", {"-d", m_strQueue}) && Admin("cupsaccept") && Admin("cupsenable");
    }
    // The files the server holds for the jobs it has not printed (d<job>-001), oldest first.
    QStringList SpooledFiles() const
    {
        QStringList list;
        for (const QFileInfo& info : QDir(SpoolDir()).entryInfoList({"d*"}, QDir::Files, QDir::Name))
            list << info.filePath();
        return list;
    }

    // The PDFs written so far, oldest job first.
    QStringList Pdfs() const
    {
        QStringList list;
        for (const QFileInfo& info : QDir(OutDir()).entryInfoList({"*.pdf"}, QDir::Files, QDir::Time | QDir::Reversed))
            list << info.filePath();
        return list;
    }

    // Waits until the queue is empty and at least nCount PDFs are there; returns them.
    QStringList WaitForPdfs(int nCount, int nTimeoutMs = 20000) const
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < nTimeoutMs) {
            if (Pdfs().size() >= nCount && Lpstat({"-o"}).trimmed().isEmpty())
                return Pdfs();
            QThread::msleep(100);
        }
        return Pdfs();
    }

    // The images of a PDF as pdfimages -list sees them, one row of its columns each (page,
    // num, type, width, height, color, comp, bpc, enc, ...): what the queue was really sent.
    static QList<QStringList> PdfImages(const QString& strPdf)
    {
        QProcess process;
        process.start("pdfimages", {"-list", strPdf});
        process.waitForFinished(120000);
        QList<QStringList> rows;
        const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        for (const QString& strLine : lines.mid(2))
            rows << strLine.split(u' ', Qt::SkipEmptyParts);
        return rows;
    }

    // Removes the PDFs written so far, so that the next wait sees only new ones.
    void ClearPdfs() const
    {
        for (const QString& strPath : Pdfs())
            QFile::remove(strPath);
    }

private:
    static bool Fail(QString& strWhy, const QString& strReason)
    {
        strWhy = strReason;
        return false;
    }
    static bool Write(const QString& strPath, const QString& strText)
    {
        QFile file(strPath);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(strText.toUtf8()) == strText.toUtf8().size();
    }
    // A command run with the server's environment; true when it succeeded.
    static bool Run(const QString& strProgram, const QStringList& args)
    {
        QProcess process;
        process.start(strProgram, args);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit
            && process.exitCode() == 0;
    }
    QByteArray Lpstat(const QStringList& args) const
    {
        QProcess process;
        process.start("lpstat", args);
        process.waitForFinished(5000);
        return process.readAllStandardOutput();
    }
    QString CupsdConf() const
    {
        return "Listen " + m_strSocket + "\n"
               "LogLevel warn\nWebInterface No\nBrowsing Off\nDefaultShared No\nPreserveJobFiles No\n"
               "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
               "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n";
    }
    static QString FilesConf(const QString& strBase)
    {
        return "ServerRoot " + strBase + "/etc\nRequestRoot " + strBase + "/spool\nTempDir " + strBase
            + "/tmp\nCacheDir " + strBase + "/cache\nStateDir " + strBase + "/state\nErrorLog " + strBase
            + "/log/error_log\nAccessLog " + strBase + "/log/access_log\nPageLog " + strBase
            + "/log/page_log\nSystemGroup root\nSandboxing Relaxed\n";
    }
    QString PrintersConf() const
    {
        return "<DefaultPrinter " + m_strQueue + ">\nInfo PDF\nDeviceURI cups-pdf:/" + m_strQueue
            + "\nState Idle\nAccepting Yes\nShared No\n</DefaultPrinter>\n";
    }
    static QString PdfConf(const QString& strBase)
    {
        return "Out " + strBase + "/out\nAnonDirName " + strBase + "/out\nSpool " + strBase + "/spool-pdf\nLog "
            + strBase + "/log\nGrp root\n";
    }

    QTemporaryDir m_dir;
    QString m_strQueue;
    QString m_strSocket;
    QString m_strPdfConf;
    pid_t m_pid = -1;
};

// The server one test suite shares: Start() from SetUpTestSuite, Stop() from
// TearDownTestSuite; a test skips, naming Why(), when Get() is NULL.
class CCupsSuiteServer {
public:
    static void Start()
    {
        s_pServer = std::make_unique<CCupsTestServer>();
        if (!s_pServer->Start(s_strWhy))
            s_pServer.reset();
    }
    static void Stop() { s_pServer.reset(); }
    static CCupsTestServer* Get() { return s_pServer.get(); }
    static const QString& Why() { return s_strWhy; }

private:
    static inline std::unique_ptr<CCupsTestServer> s_pServer;
    static inline QString s_strWhy;
};
