// `veltrane --print` run as a child process without a display, printing to the private CUPS
// server's cups-pdf queue; and without any printer at all.
#include "CupsTestServer.h"

#include "../app/PdfTestSupport.h"

#include "CommandLine.h"

#include <QProcess>

using namespace PdfTest;

namespace {

class CommandLinePrintTest : public CDocumentFixture {
protected:
    static void SetUpTestSuite() { CCupsSuiteServer::Start(); }
    static void TearDownTestSuite() { CCupsSuiteServer::Stop(); }

    void SetUp() override
    {
        m_pServer = CCupsSuiteServer::Get();
        if (!m_pServer)
            GTEST_SKIP() << "no private CUPS server: " << CCupsSuiteServer::Why().toStdString();
        m_pServer->ClearPdfs();
        ASSERT_TRUE(m_pServer->Reset());
        CDocumentFixture::SetUp();
        m_strDocument = Path("三年级.zs");
        CDocumentFile::Write(Cp936(m_strDocument), CDocumentFile::Build(m_dlg.m_wndGrid, m_dlg.m_printSet));
    }

    // Runs the program; its standard output and error, line by line.
    int Run(const QStringList& args, const QString& strCupsServer, QStringList& arrOut, QStringList& arrErr)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* pszName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(pszName));
        env.insert(QStringLiteral("CUPS_SERVER"), strCupsServer);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(VELTRANE_BINARY), args);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            return -1;
        }
        arrOut = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        arrErr = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        return process.exitCode();
    }

    CCupsTestServer* m_pServer = nullptr;
    QString m_strDocument;
};

} // namespace

TEST_F(CommandLinePrintTest, PrintsWhatPrintAllWouldAndNamesThePrinter)
{
    QStringList arrOut, arrErr;
    EXPECT_EQ(Run({"--print", "--from", "2", m_strDocument}, qEnvironmentVariable("CUPS_SERVER"), arrOut, arrErr), 0);
    EXPECT_TRUE(arrErr.isEmpty()) << arrErr.join(u'|').toStdString();
    ASSERT_EQ(arrOut.size(), 1);
    EXPECT_TRUE(arrOut[0].contains(QStringLiteral(" 2 "))) << arrOut[0].toStdString();
    EXPECT_TRUE(arrOut[0].contains(m_pServer->Queue())) << arrOut[0].toStdString();

    // Records 2 and 3 in one job, each on a sheet of the layout's paper.
    const QStringList pdfs = m_pServer->WaitForPdfs(1);
    ASSERT_EQ(pdfs.size(), 1);
    const auto pDoc = Poppler::Document::load(pdfs[0]);
    ASSERT_TRUE(pDoc);
    ASSERT_EQ(pDoc->numPages(), 2);
    for (int i = 0; i < 2; i++) {
        const QSizeF size = pDoc->page(i)->pageSizeF();
        EXPECT_NEAR(size.width(), 2450 * kPointsPerUnit, 0.5);
        EXPECT_NEAR(size.height(), 1760 * kPointsPerUnit, 0.5);
    }
}

TEST_F(CommandLinePrintTest, NoPrinterOrNothingToPrintIsOneLineAndNoJob)
{
    QStringList arrOut, arrErr;
    // A server that does not exist: no default printer.
    EXPECT_EQ(Run({"--print", m_strDocument}, Path("no-cupsd.sock"), arrOut, arrErr), CCommandLine::exitFailed);
    EXPECT_TRUE(arrOut.isEmpty());
    ASSERT_EQ(arrErr.size(), 1) << arrErr.join(u'|').toStdString();
    EXPECT_TRUE(arrErr[0].contains(QStringLiteral("三年级.zs"))) << arrErr[0].toStdString();

    // Record 4 has no field A.
    EXPECT_EQ(Run({"--print", "--from", "4", m_strDocument}, qEnvironmentVariable("CUPS_SERVER"), arrOut, arrErr),
              CCommandLine::exitFailed);
    EXPECT_TRUE(arrOut.isEmpty());
    ASSERT_EQ(arrErr.size(), 1) << arrErr.join(u'|').toStdString();
    EXPECT_TRUE(arrErr[0].contains(QStringLiteral("4")));
    EXPECT_TRUE(m_pServer->Pdfs().isEmpty());
}

// A refused job is a failure: one line in the queue's words and a non-zero exit. A stopped
// printer holds the job: that is success, and the line says that the job waits.
TEST_F(CommandLinePrintTest, RefusedJobFailsAndAStoppedPrinterQueuesIt)
{
    const QString strServer = qEnvironmentVariable("CUPS_SERVER");
    QStringList arrOut, arrErr;
    ASSERT_TRUE(m_pServer->Admin("cupsreject"));
    const qsizetype nJobs = m_pServer->Jobs(true).size();
    EXPECT_EQ(Run({"--print", m_strDocument}, strServer, arrOut, arrErr), CCommandLine::exitFailed);
    EXPECT_TRUE(arrOut.isEmpty());
    ASSERT_EQ(arrErr.size(), 1) << arrErr.join(u'|').toStdString();
    EXPECT_TRUE(arrErr[0].contains(m_pServer->Queue()));
    EXPECT_TRUE(arrErr[0].contains(QStringLiteral("not accepting jobs"))) << arrErr[0].toStdString();
    EXPECT_EQ(m_pServer->Jobs(true).size(), nJobs);

    ASSERT_TRUE(m_pServer->Admin("cupsaccept"));
    ASSERT_TRUE(m_pServer->Admin("cupsdisable"));
    EXPECT_EQ(Run({"--print", m_strDocument}, strServer, arrOut, arrErr), 0);
    EXPECT_TRUE(arrErr.isEmpty()) << arrErr.join(u'|').toStdString();
    ASSERT_EQ(arrOut.size(), 1);
    EXPECT_TRUE(arrOut[0].contains(m_pServer->Queue() + QStringLiteral("”已停止：3 张证书"))) << arrOut[0].toStdString();
    EXPECT_EQ(m_pServer->Jobs().size(), 1);
    ASSERT_TRUE(m_pServer->Admin("cupsenable"));
    EXPECT_EQ(m_pServer->WaitForPdfs(1).size(), 1);
}
