#include "CommandLine.h"

#include "App.h"
#include "CertificateWnd.h"
#include "Codec.h"
#include "DocumentFile.h"
#include "File.h"
#include "MainDlg.h"
#include "PdfExport.h"
#include "Print.h"
#include "PrintJob.h"
#include "resource.h"

#include <QFileInfo>

#include <climits>
#include <cstdio>

AFX_USE_RESOURCES(PdfExport)

namespace {

CString LoadText(UINT nID)
{
    CString str;
    str.LoadString(nID);
    return str;
}

CString Message(UINT nID, const CString& strArgument)
{
    CString str;
    str.Format(LoadText(nID), (LPCTSTR)strArgument);
    return str;
}

// A path or option from the system, turned into the program's text.
CString FromArgument(const std::string& strArgument)
{
    return Codec::FromUnicode(QString::fromLocal8Bit(strArgument.data(), (qsizetype)strArgument.size()));
}

// An argument as a message quotes it: on one line, with no control character that could
// move the terminal's cursor.
CString ShownArgument(const std::string& strArgument)
{
    CString str = FromArgument(strArgument);
    for (int i = 0; i < str.GetLength(); i++)
        if ((BYTE)str[i] < 0x20 || str[i] == 0x7F)
            str.SetAt(i, '?');
    return str;
}

// A record number: digits only, from 1 up.
BOOL ParseRecord(const std::string& strValue, int& nRecord)
{
    if (strValue.empty() || strValue.size() > 10)
        return FALSE;
    long long n = 0;
    for (char ch : strValue) {
        if (ch < '0' || ch > '9')
            return FALSE;
        n = n * 10 + (ch - '0');
    }
    if (n < 1 || n > INT_MAX)
        return FALSE;
    nRecord = (int)n;
    return TRUE;
}

// Keeps the window a command made as the program's main window for the command's length.
class CMainWndScope {
public:
    explicit CMainWndScope(CWnd* pWnd) : m_pPrevious(AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr)
    {
        if (AfxGetApp())
            AfxGetApp()->m_pMainWnd = pWnd;
    }
    ~CMainWndScope()
    {
        if (AfxGetApp())
            AfxGetApp()->m_pMainWnd = m_pPrevious;
    }

private:
    CWnd* m_pPrevious;
};

} // namespace

BOOL CCommandLine::Parse(const std::vector<std::string>& args, Options& options, CString& strError)
{
    options = Options();
    // --help answers whatever else was given.
    for (const std::string& strArg : args) {
        if (strArg == "--")
            break;
        if (strArg == "--help" || strArg == "-h") {
            options.nCommand = cmdHelp;
            return TRUE;
        }
    }
    BOOL bFrom = FALSE, bOptionsEnd = FALSE;
    std::vector<std::string> arrDocuments;
    CString strCommandError;
    for (size_t i = 0; i < args.size(); i++) {
        std::string strArg = args[i];
        if (strArg.empty())
            continue;   // names no file
        if (bOptionsEnd || strArg[0] != '-' || strArg == "-") {
            arrDocuments.push_back(strArg);
            continue;
        }
        if (strArg == "--") {
            bOptionsEnd = TRUE;
            continue;
        }
        // "--pdf=out.pdf" is "--pdf out.pdf".
        std::string strValue;
        BOOL bInlineValue = FALSE;
        const size_t nEqual = strArg.find('=');
        if (strArg.compare(0, 2, "--") == 0 && nEqual != std::string::npos) {
            strValue = strArg.substr(nEqual + 1);
            strArg.resize(nEqual);
            bInlineValue = TRUE;
        }
        const BOOL bTakesValue = strArg == "--pdf" || strArg == "--from";
        if (bTakesValue && !bInlineValue) {
            if (i + 1 >= args.size()) {
                strError = Message(IDP_CMD_MISSING_VALUE, ShownArgument(strArg));
                return FALSE;
            }
            strValue = args[++i];
        } else if (!bTakesValue && bInlineValue) {
            strError = Message(IDP_CMD_UNKNOWN_OPTION, ShownArgument(args[i]));
            return FALSE;
        }

        if (strArg == "--pdf" || strArg == "--print") {
            if (options.nCommand != cmdWindow)
                strCommandError = LoadText(IDP_CMD_TWO_COMMANDS);
            options.nCommand = strArg == "--pdf" ? cmdPdf : cmdPrint;
            options.strOutput = FromArgument(strValue);
            if (options.nCommand == cmdPdf && strValue.empty()) {
                strError = Message(IDP_CMD_MISSING_VALUE, "--pdf");
                return FALSE;
            }
        } else if (strArg == "--from") {
            if (!ParseRecord(strValue, options.nFrom)) {
                strError = Message(IDP_CMD_BAD_RECORD, ShownArgument(strValue));
                return FALSE;
            }
            bFrom = TRUE;
        } else if (strArg == "--background") {
            options.bBackground = TRUE;
        } else {
            strError = Message(IDP_CMD_UNKNOWN_OPTION, ShownArgument(strArg));
            return FALSE;
        }
    }

    if (!strCommandError.IsEmpty()) {
        strError = strCommandError;
        return FALSE;
    }
    if (options.bBackground && options.nCommand != cmdPdf) {
        strError.Format(LoadText(IDP_CMD_ONLY_WITH), "--background", "--pdf");
        return FALSE;
    }
    if (bFrom && options.nCommand == cmdWindow) {
        strError.Format(LoadText(IDP_CMD_ONLY_WITH), "--from", "--pdf / --print");
        return FALSE;
    }
    if (arrDocuments.size() > 1) {
        strError = Message(IDP_CMD_EXTRA_ARGUMENT, ShownArgument(arrDocuments[1]));
        return FALSE;
    }
    if (arrDocuments.empty() && options.nCommand != cmdWindow) {
        strError = Message(IDP_CMD_NO_DOCUMENT, options.nCommand == cmdPdf ? "--pdf" : "--print");
        return FALSE;
    }
    if (!arrDocuments.empty())
        options.strDocument = FromArgument(arrDocuments[0]);
    return TRUE;
}

CString CCommandLine::AbsolutePath(const CString& strPath)
{
    if (strPath.IsEmpty())
        return strPath;
    return Codec::FromUnicode(QFileInfo(Codec::ToUnicode(strPath)).absoluteFilePath());
}

CString CCommandLine::GetHelpText()
{
    return LoadText(IDS_CMD_HELP);
}

namespace {

void WriteOut(const QString& text, FILE* pStream)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, (size_t)bytes.size(), pStream);
    std::fflush(pStream);
}

} // namespace

void CCommandLine::PrintLine(const CString& strLine, bool bError)
{
    QString text = Codec::ToUnicode(strLine).trimmed();
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    // A path may hold anything; nothing of it moves the terminal's cursor.
    for (QChar& ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            ch = QLatin1Char('?');
    WriteOut(text, bError ? stderr : stdout);
}

void CCommandLine::PrintText(const CString& strText)
{
    WriteOut(Codec::ToUnicode(strText).trimmed(), stdout);
}

// ---- Running ----

int CCommandLine::Run(const Options& options)
{
    if (options.nCommand != cmdPdf && options.nCommand != cmdPrint)
        return exitUsage;
    CMainDlg dlg;
    CMainWndScope scope(&dlg);
    if (!dlg.Create(CMainDlg::IDD)) {
        PrintLine(LoadText(IDP_PAGE_NO_MEMORY), true);
        return exitFailed;
    }
    const CString strDocument = AbsolutePath(options.strDocument);
    CString strError;
    int nResult = exitFailed;
    if (!ReadDocument(dlg, strDocument, strError)) {
        PrintLine(strError, true);
    } else {
        dlg.m_strPathName = strDocument;
        dlg.m_nCurRecord = options.nFrom;
        nResult = options.nCommand == cmdPdf ? ExportPdf(dlg, options) : Print(dlg, options);
    }
    dlg.DestroyWindow();
    return nResult;
}

BOOL CCommandLine::ReadDocument(CMainDlg& dlg, const CString& strPath, CString& strError)
{
    CDocumentFile doc;
    CDocumentFile::ReadResult result;
    try {
        CFile file(strPath, CFile::modeRead | CFile::typeBinary);
        result = doc.Read(file);
        file.Close();
    } catch (CFileException* e) {
        strError = e->GetErrorText();
        e->Delete();
        return FALSE;
    }
    if (result != CDocumentFile::documentRead) {
        strError = Message(result == CDocumentFile::documentDamaged ? IDP_CMD_DOCUMENT_DAMAGED
                                                                    : IDP_CMD_NOT_DOCUMENT, strPath);
        return FALSE;
    }
    doc.Apply(dlg.m_wndGrid, dlg.m_printSet);
    return TRUE;
}

// Whether the walk has a first record; if not, says so, naming the record.
BOOL CCommandLine::HasPrintable(CMainDlg& dlg, UINT nIDPrompt)
{
    if (dlg.IsRecordPrintable())
        return TRUE;
    CString strLine;
    strLine.Format(LoadText(nIDPrompt), dlg.m_nCurRecord);
    PrintLine(strLine, true);
    return FALSE;
}

int CCommandLine::ExportPdf(CMainDlg& dlg, const Options& options)
{
    if (!HasPrintable(dlg, IDP_PDF_NOTHING))
        return exitFailed;
    CPdfExport pdf(&dlg.m_printSet);
    pdf.m_bBackground = options.bBackground;
    int nCount = 0;
    try {
        nCount = pdf.Export(options.strOutput);
    } catch (CFileException* e) {
        PrintLine(e->GetErrorText(), true);
        e->Delete();
        return exitFailed;
    }
    CString strLine;
    strLine.Format(LoadText(IDP_PDF_WRITTEN), nCount, (LPCTSTR)options.strOutput);
    PrintLine(strLine, false);
    return 0;
}

int CCommandLine::Print(CMainDlg& dlg, const Options& options)
{
    if (!HasPrintable(dlg, IDP_NOTHING_TO_PRINT))
        return exitFailed;
    // The printer is named in the line that says where the certificates went.
    CPrintDialog dlgPrinter(FALSE, PD_RETURNDEFAULT, nullptr);
    if (dlgPrinter.DoModal() != IDOK) {
        PrintLine(Message(IDP_CMD_NO_PRINTER, options.strDocument), true);
        return exitFailed;
    }
    // No window to tell: a page too large for memory is printed at its reduced scale.
    CCertificateWnd wndCertificate;
    wndCertificate.m_pPrintSet = &dlg.m_printSet;
    wndCertificate.m_bQuiet = TRUE;
    CPrintJob job(wndCertificate);
    const int nPrinted = job.PrintRecords(FALSE);
    wndCertificate.ReleaseResources();
    if (!job.m_strError.IsEmpty()) {
        PrintLine(job.m_strError, true);
        return exitFailed;
    }
    // A stopped printer holds the job: printed all the same, once it is started.
    CString strLine = job.GetReport();
    if (strLine.IsEmpty())
        strLine.Format(LoadText(IDP_CMD_PRINTED), nPrinted, (LPCTSTR)dlgPrinter.GetDeviceName());
    PrintLine(strLine, false);
    return 0;
}
