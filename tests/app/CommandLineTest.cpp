// The command line: parsing as a unit, and the built program run as a child process without a
// display, its output lines, exit codes and files checked from outside.
#include "CommandLine.h"
#include "PdfTestSupport.h"
#include "SafeFile.h"

#include "Testing.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

using namespace PdfTest;

namespace {

CCommandLine::Options Parsed(std::vector<std::string> args)
{
    CCommandLine::Options options;
    CString strError;
    EXPECT_TRUE(CCommandLine::Parse(args, options, strError)) << strError.str();
    return options;
}

} // namespace

TEST(CommandLineParseTest, ReadsEachCommandItsOptionsAndItsDocument)
{
    auto options = Parsed({});
    EXPECT_EQ(options.nCommand, CCommandLine::cmdWindow);
    EXPECT_TRUE(options.strDocument.IsEmpty());

    options = Parsed({"班级/三年级.zs"});
    EXPECT_EQ(options.nCommand, CCommandLine::cmdWindow);
    EXPECT_EQ(options.strDocument, Gbk("班级/三年级.zs"));

    options = Parsed({"--pdf", "out.pdf", "doc.zs"});
    EXPECT_EQ(options.nCommand, CCommandLine::cmdPdf);
    EXPECT_EQ(options.strOutput, "out.pdf");
    EXPECT_EQ(options.strDocument, "doc.zs");
    EXPECT_EQ(options.nFrom, 1);
    EXPECT_FALSE(options.bBackground);

    options = Parsed({"doc.zs", "--background", "--from", "12", "--pdf=校样.pdf"});
    EXPECT_EQ(options.nCommand, CCommandLine::cmdPdf);
    EXPECT_EQ(options.strOutput, Gbk("校样.pdf"));
    EXPECT_EQ(options.nFrom, 12);
    EXPECT_TRUE(options.bBackground);

    options = Parsed({"--print", "--from=300", "--", "-odd.zs"});
    EXPECT_EQ(options.nCommand, CCommandLine::cmdPrint);
    EXPECT_EQ(options.nFrom, 300);
    EXPECT_EQ(options.strDocument, "-odd.zs");

    // --help wins over anything, even what would be refused.
    EXPECT_EQ(Parsed({"--bogus", "--help"}).nCommand, CCommandLine::cmdHelp);
    EXPECT_EQ(Parsed({"-h"}).nCommand, CCommandLine::cmdHelp);
}

TEST(CommandLineParseTest, RefusesWhatMakesNoCommandNamingTheCulprit)
{
    const struct {
        std::vector<std::string> args;
        const char* pszNamed;   // what the message must name
    } cases[] = {
        {{"--bogus", "doc.zs"}, "--bogus"},
        {{"-x"}, "-x"},
        {{"doc.zs", "--pdf"}, "--pdf"},
        {{"--pdf=", "doc.zs"}, "--pdf"},
        {{"--pdf", "out.pdf"}, "--pdf"},
        {{"--print"}, "--print"},
        {{"--print", ""}, "--print"},
        {{"--print", "a.zs", "b.zs"}, "b.zs"},
        {{"--print", "--from", "0", "a.zs"}, "0"},
        {{"--print", "--from", "3x", "a.zs"}, "3x"},
        {{"--print", "--from", "99999999999", "a.zs"}, "99999999999"},
        {{"--print", "--from"}, "--from"},
        {{"--print", "--background", "a.zs"}, "--background"},
        {{"--from", "2", "a.zs"}, "--from"},
        {{"--print=now", "a.zs"}, "--print=now"},
        {{"--pdf", "o.pdf", "--print", "a.zs"}, "--print"},
        {{"--pdf", "a.pdf", "--pdf", "b.pdf", "a.zs"}, "--pdf"},
        {{"--print", "a.zs", "b\n\x1b[2J.zs"}, "b??[2J.zs"},   // shown on one line, inert
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0] + " ... (" + c.pszNamed + ")");
        CCommandLine::Options options;
        CString strError;
        EXPECT_FALSE(CCommandLine::Parse(c.args, options, strError));
        EXPECT_GE(strError.Find(c.pszNamed), 0) << strError.str();
        EXPECT_LT(strError.Find('\n'), 0);
    }
}

namespace {

struct CRun {
    int nExitCode = -1;
    QStringList arrOut;
    QStringList arrErr;
};

// The built program, with neither a display nor a Qt platform in its environment.
class CommandLineRunTest : public CDocumentFixture {
protected:
    void SetUp() override
    {
        CDocumentFixture::SetUp();
        m_strDocument = Path("三年级.zs");
        CSafeFile::Write(Cp936(m_strDocument), CDocumentFile::Build(m_dlg.m_wndGrid, m_dlg.m_printSet));
    }

    CRun Run(const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* pszName : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(pszName));
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dir.path());
        process.start(QStringLiteral(VELTRANE_BINARY), args);
        CRun run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
            ADD_FAILURE() << "the program did not end normally";
            process.kill();
            return run;
        }
        run.nExitCode = process.exitCode();
        run.arrOut = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        run.arrErr = QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        return run;
    }

    QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files, QDir::Name); }

    QString m_strDocument;
};

// The share of non-white pixels in the page's top-left corner, away from every item.
double CornerInk(const QString& path)
{
    const auto pDoc = Poppler::Document::load(path);
    if (!pDoc || pDoc->numPages() == 0)
        return -1;
    const QImage image = pDoc->page(0)->renderToImage(36, 36);
    int nInk = 0, nAll = 0;
    for (int y = 0; y < image.height() / 8; y++)
        for (int x = 0; x < image.width() / 8; x++, nAll++)
            nInk += qGray(image.pixel(x, y)) < 250;
    return nAll ? (double)nInk / nAll : -1;
}

} // namespace

TEST_F(CommandLineRunTest, PdfWritesThePrintableRecordsAndSaysHowManyWentWhere)
{
    CRun run = Run({"--pdf", "校样.pdf", m_strDocument});
    EXPECT_EQ(run.nExitCode, 0);
    EXPECT_TRUE(run.arrErr.isEmpty()) << run.arrErr.join(u'|').toStdString();
    ASSERT_EQ(run.arrOut.size(), 1);
    EXPECT_TRUE(run.arrOut[0].contains(QStringLiteral(" 3 "))) << run.arrOut[0].toStdString();
    EXPECT_TRUE(run.arrOut[0].contains(QStringLiteral("校样.pdf")));
    auto pDoc = Poppler::Document::load(Path("校样.pdf"));
    ASSERT_TRUE(pDoc);
    EXPECT_EQ(pDoc->numPages(), 3);
    EXPECT_TRUE(pDoc->page(2)->text(QRectF()).contains(QStringLiteral("王五")));
    EXPECT_LT(CornerInk(Path("校样.pdf")), 0.001);   // no background unless asked

    // From record 2, with the background (the built-in picture: no back.jpg anywhere here).
    run = Run({"--from", "2", "--background", "--pdf", Path("proof.pdf"), m_strDocument});
    EXPECT_EQ(run.nExitCode, 0);
    ASSERT_EQ(run.arrOut.size(), 1);
    EXPECT_TRUE(run.arrOut[0].contains(QStringLiteral(" 2 ")));
    pDoc = Poppler::Document::load(Path("proof.pdf"));
    ASSERT_TRUE(pDoc);
    EXPECT_EQ(pDoc->numPages(), 2);
    EXPECT_TRUE(pDoc->page(0)->text(QRectF()).contains(QStringLiteral("李四")));
    EXPECT_GT(CornerInk(Path("proof.pdf")), 0.5);
    EXPECT_EQ(Files(), (QStringList{QStringLiteral("proof.pdf"), QStringLiteral("三年级.zs"), QStringLiteral("校样.pdf")}));
}

TEST_F(CommandLineRunTest, EachFailureIsOneLineOnStderrAndLeavesNoFile)
{
    QFile::copy(QStringLiteral(VELTRANE_TEST_DATA "/documents/damaged-rows-beyond.zs"), Path("damaged.zs"));
    const struct {
        QStringList args;
        int nExitCode;
        QString strNamed;   // what the line must name
    } cases[] = {
        {{"--pdf", "out.pdf", "missing.zs"}, CCommandLine::exitFailed, QStringLiteral("missing.zs")},
        {{"--pdf", "out.pdf", "damaged.zs"}, CCommandLine::exitFailed, QStringLiteral("damaged.zs")},
        {{"--pdf", "no/such/folder/out.pdf", m_strDocument}, CCommandLine::exitFailed, QStringLiteral("no/such/folder/out.pdf")},
        {{"--pdf", m_dir.path(), m_strDocument}, CCommandLine::exitFailed, m_dir.path()},
        {{"--pdf", "out.pdf", "--from", "4", m_strDocument}, CCommandLine::exitFailed, QStringLiteral("4")},
        {{"--pdf", "out.pdf", "--bogus", m_strDocument}, CCommandLine::exitUsage, QStringLiteral("--bogus")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const CRun run = Run(c.args);
        EXPECT_EQ(run.nExitCode, c.nExitCode);
        EXPECT_TRUE(run.arrOut.isEmpty());
        ASSERT_EQ(run.arrErr.size(), 1) << run.arrErr.join(u'|').toStdString();
        EXPECT_TRUE(run.arrErr[0].contains(c.strNamed)) << run.arrErr[0].toStdString();
        EXPECT_EQ(Files(), (QStringList{QStringLiteral("damaged.zs"), QStringLiteral("三年级.zs")}));
    }
}

TEST_F(CommandLineRunTest, HelpListsEveryCommandAndOption)
{
    const CRun run = Run({"--help"});
    EXPECT_EQ(run.nExitCode, 0);
    EXPECT_TRUE(run.arrErr.isEmpty());
    const QString strHelp = run.arrOut.join(u'\n');
    for (const char* pszOption : {"--pdf", "--print", "--from", "--background", "--help", ".zs"})
        EXPECT_TRUE(strHelp.contains(QString::fromLatin1(pszOption))) << pszOption;
}

TEST_F(CommandLineRunTest, TheWindowOpensOnTheNamedDocumentOrOnANewOneWhenItCannot)
{
    Testing::CMessageBoxRecorder boxes;
    CMainDlg dlg;
    dlg.m_strOpenPath = Cp936(m_strDocument);
    ASSERT_TRUE(dlg.Create(CMainDlg::IDD));
    EXPECT_EQ(dlg.m_strPathName, Cp936(m_strDocument));
    EXPECT_EQ(dlg.m_wndGrid.GetItemText(2, 1), Gbk("李四"));
    EXPECT_EQ(dlg.m_printSet.GetItemCount(), 3);
    EXPECT_TRUE(boxes.Calls().empty());
    dlg.DestroyWindow();

    CMainDlg dlgMissing;
    dlgMissing.m_strOpenPath = Cp936(Path("missing.zs"));
    ASSERT_TRUE(dlgMissing.Create(CMainDlg::IDD));
    EXPECT_EQ(dlgMissing.m_strPathName, Gbk("新文件"));
    EXPECT_TRUE(dlgMissing.m_wndGrid.GetItemText(1, 1).IsEmpty());
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_GE(boxes.Calls()[0].strText.Find("missing.zs"), 0);
    dlgMissing.DestroyWindow();
}
