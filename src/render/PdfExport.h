// CPdfExport: the certificates of the records from the current one on, the records "连续打印"
// would print, written into one PDF file. Each page is one certificate, exactly the layout's
// paper (W x H tenths of a millimetre, no margins), and every item's text lies on it as text,
// placed by the renderer's own line rule: selectable, searchable, its fonts embedded. Pages
// are made one at a time, so memory does not grow with the number of records.
#pragma once

#include "CertificateWnd.h"
#include "String.h"

class CFile;
class CPrintSet;

class CPdfExport {
public:
    explicit CPdfExport(CPrintSet* pPrintSet);

    // Draws the background picture under the text: a proof for the screen. A proof for the
    // pre-printed forms leaves it out, as the printer does.
    BOOL m_bBackground;

    // Writes the PDF in place of strPath and returns the number of certificates in it; the
    // current record is where it was before. Nothing is written, and 0 returned, when the
    // current record is not printable. A file that cannot be written throws CFileException,
    // naming strPath, and leaves no file behind (an earlier file of that name stays).
    int Export(const CString& strPath);
    // The same into a file already open, which stays open: the document titled strTitle.
    int Export(CFile& file, const CString& strTitle);

private:
    int WritePages(CFile& file, const CString& strTitle);

    CPrintSet* m_pPrintSet;
    // The renderer without a window: its token lists and item drawing lay out each page.
    CCertificateWnd m_wndCertificate;
};
