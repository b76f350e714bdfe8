#include "PdfExport.h"

#include "File.h"
#include "MainDlg.h"
#include "PdfDc.h"
#include "PrintSet.h"
#include "SafeFile.h"

CPdfExport::CPdfExport(CPrintSet* pPrintSet) : m_bBackground(FALSE), m_pPrintSet(pPrintSet)
{
    m_wndCertificate.m_pPrintSet = pPrintSet;
}

int CPdfExport::Export(const CString& strPath)
{
    CMainDlg* pDlg = CCertificateWnd::GetMainDlg();
    if (!pDlg || !m_pPrintSet || !pDlg->IsRecordPrintable())
        return 0;
    CString strTitle = strPath.Mid(strPath.ReverseFind('/') + 1);
    if (strTitle.Right(4).CompareNoCase(".pdf") == 0)
        strTitle = strTitle.Left(strTitle.GetLength() - 4);
    int nCount = 0;
    CSafeFile::Write(strPath, [&](CFile& file) { nCount = Export(file, strTitle); });
    return nCount;
}

int CPdfExport::Export(CFile& file, const CString& strTitle)
{
    CMainDlg* pDlg = CCertificateWnd::GetMainDlg();
    if (!pDlg || !m_pPrintSet || !pDlg->IsRecordPrintable())
        return 0;
    // The walk moves the current record as PrintAll does; the window stays where it was.
    struct CRecordKeeper {
        CMainDlg* pDlg;
        int nRecord;
        ~CRecordKeeper() { pDlg->m_nCurRecord = nRecord; }
    } keeper{pDlg, pDlg->m_nCurRecord};
    return WritePages(file, strTitle);
}

int CPdfExport::WritePages(CFile& file, const CString& strTitle)
{
    CMainDlg* pDlg = CCertificateWnd::GetMainDlg();
    const int nWidth = m_pPrintSet->m_nPaperWidth;
    const int nHeight = m_pPrintSet->m_nPaperHeight;
    CPdfDC dc;
    if (!dc.StartDoc(&file, nWidth, nHeight, strTitle))
        AfxThrowFileException(CFileException::genericException, -1, file.GetFilePath());
    const CRect rectPage(0, 0, nWidth, nHeight);
    int nCount = 0;
    while (pDlg->IsRecordPrintable()) {
        dc.StartPage();
        m_wndCertificate.SplitAllItems();
        if (m_bBackground)
            DrawBackground(m_wndCertificate.m_picture, &dc, rectPage);
        m_wndCertificate.DrawItems(&dc, 1.0);
        dc.EndPage();
        nCount++;
        pDlg->m_nCurRecord++;
    }
    dc.EndDoc();
    return nCount;
}
