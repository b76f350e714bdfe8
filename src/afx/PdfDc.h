// CPdfDC: a DC whose pages are the pages of a PDF document. One logical unit is 0.1 mm, text
// is drawn as text in embedded fonts (selectable and searchable) and pictures as pictures.
// The document is written to an open CFile while it grows, a page at a time, so memory does
// not grow with the page count beyond the fonts and pictures the pages share.
#pragma once

#include "Dc.h"

#include <memory>

class CFile;
class CFileException;
class QPdfWriter;
class CPdfDevice;

class CPdfDC : public CDC {
public:
    CPdfDC();
    ~CPdfDC() override;

    // Starts the document on pFile with pages nWidth x nHeight (0.1 mm) and no margins; the
    // first page is open once this returns TRUE. FALSE when the writer could not start.
    BOOL StartDoc(CFile* pFile, int nWidth, int nHeight, LPCTSTR lpszTitle);
    // Opens the next page; the first one after StartDoc is open already.
    BOOL StartPage();
    BOOL EndPage();
    // Writes the rest of the document; pFile is not closed.
    BOOL EndDoc();
    // Gives up the document without finishing it (the file keeps what was written).
    void AbortDoc();
    int GetPageCount() const { return m_nPages; }

    // A write that failed (disk full, an I/O error) ends the document: StartPage, EndPage and
    // EndDoc then throw that CFileException, naming the file.
    void ThrowIfWriteFailed();

private:
    std::unique_ptr<CPdfDevice> m_pDevice;
    std::unique_ptr<QPdfWriter> m_pWriter;
    std::unique_ptr<QPainter> m_pPainter;
    int m_nPages = 0;
    BOOL m_bPageOpen = FALSE;
};
