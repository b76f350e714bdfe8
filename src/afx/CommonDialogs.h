// Common dialogs: AfxMessageBox, the open/save file dialog and the font dialog. In the program they are real
// modal Qt dialogs; tests answer them through Testing.h.
#pragma once

#include "Wnd.h"

class QString;

// The application's message box: caption the application's title; without an icon flag,
// MB_OK and MB_OKCANCEL boxes get the exclamation icon and yes/no boxes the question icon, as
// the framework adds them. Returns the button pressed (IDOK ...).
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text of string resource nIDPrompt.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);

// File dialog flags.
#ifndef OFN_READONLY
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000
#endif
#ifndef _MAX_PATH
#define _MAX_PATH 260
#endif

// The fields of the file dialog's description that the program sets or reads.
struct OPENFILENAME {
    DWORD Flags = 0;
    LPCTSTR lpstrFilter = nullptr;       // pairs "description\0pattern\0 ... \0"
    LPTSTR lpstrFile = nullptr;          // in: the initial name; out: the chosen full path
    DWORD nMaxFile = 0;                  // bytes of lpstrFile, its NUL included
    LPCTSTR lpstrInitialDir = nullptr;   // the starting folder; NULL, empty or no folder: the
                                         // user's documents folder
    LPCTSTR lpstrTitle = nullptr;        // NULL: "打开" or "另存为"
    LPCTSTR lpstrDefExt = nullptr;       // appended to a name without an extension
};

class CFileDialog {
public:
    // lpszFilter: "description|pattern|...||", patterns separated by ';'.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr,
                         LPCTSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         LPCTSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr);
    virtual ~CFileDialog() = default;
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK with the chosen path in m_ofn.lpstrFile, or IDCANCEL (also when the path does not
    // fit in nMaxFile bytes).
    virtual INT_PTR DoModal();
    CString GetPathName() const;   // the full path
    CString GetFileName() const;   // the name with its extension
    CString GetFileExt() const;    // the extension without its dot
    CString GetFileTitle() const;  // the name without its extension

    // The filter in Qt's form: "证书文档(*.zs)|*.zs||" -> "证书文档(*.zs) (*.zs)", filters
    // separated by ";;".
    static QString QtFilter(LPCTSTR lpszFilter);
    // The path with ".ext" appended when its name has no extension (a leading dot of the
    // default extension is allowed).
    static CString WithDefaultExt(const CString& strPath, LPCTSTR lpszDefExt);

    OPENFILENAME m_ofn;
    BOOL m_bOpenFileDialog;

protected:
    CWnd* m_pParentWnd;
    CString m_strFilterText;   // the filter as given
    CString m_strFilter;       // the filter with '|' turned into NUL
    CString m_strDefExt;
    char m_szFileName[_MAX_PATH] = {};

private:
    INT_PTR Finish(const CString& strPath);
};

// Font dialog flags.
#ifndef CF_SCREENFONTS
#define CF_SCREENFONTS 0x00000001L
#define CF_EFFECTS 0x00000100L
#define CF_INITTOLOGFONTSTRUCT 0x00000040L
#endif

// The fields of the font dialog's description that the program sets or reads.
struct CHOOSEFONT {
    DWORD Flags = 0;
    LPLOGFONT lpLogFont = nullptr;   // the font chosen (and the initial one, when given)
    int iPointSize = 0;              // tenths of a point, set on OK
};

// The font dialog: a list of faces, the style, the size and, with CF_EFFECTS, strike-out and
// underline, over a sample. The face list begins with the Chinese faces that layouts name
// ("宋体", "楷体_GB2312" ...) under those names, drawn by the fonts that stand in for them,
// then the installed families. Nothing is selected unless an initial font is given.
class CFontDialog {
public:
    explicit CFontDialog(LPLOGFONT lplfInitial = nullptr, DWORD dwFlags = CF_EFFECTS | CF_SCREENFONTS,
                         CDC* pdcPrinter = nullptr, CWnd* pParentWnd = nullptr);
    virtual ~CFontDialog() = default;
    CFontDialog(const CFontDialog&) = delete;
    CFontDialog& operator=(const CFontDialog&) = delete;

    // IDOK with the chosen font in m_lf, or IDCANCEL.
    virtual INT_PTR DoModal();
    CString GetFaceName() const;   // GB18030, as the list shows it
    int GetSize() const { return m_cf.iPointSize; }

    CHOOSEFONT m_cf;
    LOGFONT m_lf;

protected:
    CDC* m_pdcPrinter;
    CWnd* m_pParentWnd;
};
