// CDialog: a dialog box made from a dialog template, run modally with DoModal (a real modal
// loop over a QDialog) or made modeless with Create. The dialog manager's keys: Enter presses
// the default push button (IDOK without one), Esc is IDCANCEL, Tab and Shift+Tab move between
// the WS_TABSTOP controls, unless the focused window asks for the key with WM_GETDLGCODE.
// Data exchange (DDX_/DDV_) moves values between members and controls.
#pragma once

#include "Controls.h"
#include "File.h"
#include "Menu.h"
#include "Resource.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CDataExchange;
class CDialogPrivate;
namespace Testing {
class CModalDialogAnswerer;
}

// Dialog styles.
#ifndef DS_SETFONT
#define DS_SETFONT 0x00000040L
#endif
#ifndef DS_MODALFRAME
#define DS_MODALFRAME 0x00000080L
#endif
#ifndef DS_CENTER
#define DS_CENTER 0x00000800L
#endif
#ifndef WS_MINIMIZEBOX
#define WS_MINIMIZEBOX 0x00020000L
#endif
#ifndef WS_MAXIMIZEBOX
#define WS_MAXIMIZEBOX 0x00010000L
#endif
#ifndef WS_DLGFRAME
#define WS_DLGFRAME 0x00400000L
#endif
#ifndef WS_EX_DLGMODALFRAME
#define WS_EX_DLGMODALFRAME 0x00000001L
#endif
#ifndef WS_EX_APPWINDOW
#define WS_EX_APPWINDOW 0x00040000L
#endif

// Messages of dialogs.
#ifndef WM_INITDIALOG
#define WM_INITDIALOG 0x0110
#define WM_SYSCOMMAND 0x0112
#define WM_QUERYDRAGICON 0x0037
#define WM_NEXTDLGCTL 0x0028
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DC_HASDEFID 0x534B
#endif

// System commands (WM_SYSCOMMAND); the low four bits are the window system's own.
#ifndef SC_CLOSE
#define SC_CLOSE 0xF060
#endif

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#ifndef IDABORT
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#endif

// One control of a dialog template. Texts are UTF-8, as the resource script is written.
struct DialogItem {
    enum Kind { PushButton, DefPushButton, Static, Edit, GroupBox, Icon, Custom };
    Kind nKind;
    int nID;
    int x, y, cx, cy;       // dialog units
    std::string strText;
    DWORD dwStyle;          // WS_CHILD and WS_VISIBLE are implied
    DWORD dwExStyle;
    std::string strClass;   // the window class of a custom control ("MFCGridCtrl")
    UINT nIconID;           // Icon: the icon resource
};

// A dialog resource: its size in dialog units of its font, caption, style and controls in
// template (tab) order. The builder functions read like the lines of a resource script and
// give each kind its script defaults (push buttons and edits are tab stops).
class DialogTemplate {
public:
    DialogTemplate(int cx, int cy, const char* pszCaption, DWORD dwStyle, const char* pszFaceName,
                   int nPointSize, DWORD dwExStyle = 0);

    DialogTemplate& PushButton(const char* pszText, int nID, int x, int y, int cx, int cy,
                               DWORD dwStyle = WS_TABSTOP);
    DialogTemplate& DefPushButton(const char* pszText, int nID, int x, int y, int cx, int cy,
                                  DWORD dwStyle = WS_TABSTOP);
    DialogTemplate& LText(const char* pszText, int nID, int x, int y, int cx, int cy,
                          DWORD dwStyle = 0);
    DialogTemplate& CText(const char* pszText, int nID, int x, int y, int cx, int cy,
                          DWORD dwStyle = 0);
    DialogTemplate& RText(const char* pszText, int nID, int x, int y, int cx, int cy,
                          DWORD dwStyle = 0);
    DialogTemplate& EditText(int nID, int x, int y, int cx, int cy,
                             DWORD dwStyle = ES_LEFT | WS_BORDER | WS_TABSTOP);
    DialogTemplate& GroupBox(const char* pszText, int nID, int x, int y, int cx, int cy,
                             DWORD dwStyle = 0);
    DialogTemplate& Icon(UINT nIconID, int nID, int x, int y, int cx, int cy, DWORD dwStyle = 0);
    // A control of any window class: "Button", "Static" and "Edit" make those controls (by
    // their style), any other class a plain window of that class, which the program attaches
    // to (a custom control such as the record table).
    DialogTemplate& Control(const char* pszText, int nID, const char* pszClass, DWORD dwStyle,
                            int x, int y, int cx, int cy, DWORD dwExStyle = 0);

    int m_cx, m_cy;
    std::string m_strCaption;
    std::string m_strFaceName;
    int m_nPointSize;
    DWORD m_dwStyle, m_dwExStyle;
    std::vector<DialogItem> m_items;

private:
    DialogTemplate& Add(DialogItem::Kind nKind, const char* pszText, int nID, int x, int y,
                        int cx, int cy, DWORD dwStyle, DWORD dwExStyle = 0);
};

// Dialog templates by resource id (registered by the resource files, res/*.cpp).
BOOL AfxRegisterDialogTemplate(UINT nID, const DialogTemplate& dlgTemplate);
const DialogTemplate* AfxFindDialogTemplate(UINT nID);

// The base units of a dialog font (point size at 96 dpi, face through the face substitution):
// cx the average width of the 52 letters a-z A-Z, rounded; cy the height of the font's text.
// A dialog unit x is MulDiv(x, cx, 4) pixels, y is MulDiv(y, cy, 8).
CSize AfxGetDialogBaseUnits(const char* pszFaceNameUtf8, int nPointSize);
// The font of such a dialog: height -MulDiv(nPointSize, 96, 72), the face as given.
void AfxMakeDialogFont(const char* pszFaceNameUtf8, int nPointSize, CFont& font);
int MulDiv(int nNumber, int nNumerator, int nDenominator);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Makes the dialog, runs OnInitDialog, then a modal loop until EndDialog; the window is
    // destroyed before it returns. The result given to EndDialog (IDOK, IDCANCEL ...), -1 when
    // the template is missing. Under Testing::CModalDialogAnswerer no loop runs.
    virtual INT_PTR DoModal();
    // A modeless dialog from the template (shown when the template has WS_VISIBLE).
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs DoDataExchange towards the members (TRUE: and validates) or the controls. FALSE when
    // a value was refused: its message was shown and the focus is on its control.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    void EndDialog(int nResult);

    UINT GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemText(int nID, LPCTSTR lpszString);
    // Dialog units of this dialog's font to pixels.
    void MapDialogRect(LPRECT lpRect) const;
    // The default push button: DM_GETDEFID's answer, MAKELONG(id, DC_HASDEFID) or 0.
    DWORD GetDefID() const;
    void SetDefID(UINT nID);
    // Focus moves as the dialog manager moves it (an edit gets its text selected).
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);

    // The window's icon (bBigIcon: large, else small); returns the one before.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;
    // The system menu; items appended to it send WM_SYSCOMMAND with their id when chosen.
    // NULL for a window without WS_SYSMENU. bRevert: back to the empty menu, NULL returned.
    CMenu* GetSystemMenu(BOOL bRevert);

    // Enter, Esc, Tab and Alt+Space for the controls of this dialog.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nIDHelp;
    // Whether a modal loop of this dialog is running (or answered by a test).
    BOOL IsModalRunning() const { return m_bInModal; }

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnSysCommand(UINT nID, LPARAM lParam);
    virtual HCURSOR OnQueryDragIcon();
    // BN_CLICKED of IDOK and IDCANCEL go to OnOK and OnCancel, of a mapped button to its
    // member function; TRUE when handled.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnGetFont(WPARAM wParam, LPARAM lParam) override;

    // A message-map entry for a button: its clicks (BN_CLICKED) call the member function.
    //     MapClicked(IDC_SAVE_FILE, &CMainDlg::OnSaveFile);   // in the constructor
    template <class TDialog>
    void MapClicked(UINT nID, void (TDialog::*pfn)())
    {
        m_mapClicked[nID] = [this, pfn] { (static_cast<TDialog*>(this)->*pfn)(); };
    }
    void MapClicked(UINT nID, std::function<void()> fn) { m_mapClicked[nID] = std::move(fn); }

    CWnd* m_pParentWnd;
    int m_nModalResult = -1;

private:
    friend class CDialogPrivate;
    friend BOOL AfxReleaseDialogControl(HWND hWnd);
    BOOL CreateFromTemplate(UINT nIDTemplate, CWnd* pParentWnd);
    void ShowDialog();
    void CreateControl(const DialogItem& item);
    void SetInitialFocus(BOOL bFocusFirst);
    void RunModalLoop(BOOL bFocus);
    void RunAnswered(Testing::CModalDialogAnswerer& answerer, BOOL bFocus);
    BOOL HandleDialogKey(MSG* pMsg);
    void PressDefault(CWnd* pFocus, UINT nCode);
    void ShowSystemMenu(const POINT& ptScreen);
    std::vector<QWidget*> ControlsInOrder() const;
    void MoveTab(BOOL bPrevious) const;

    UINT m_nIDTemplate;
    BOOL m_bInModal = FALSE;
    BOOL m_bEnded = FALSE;
    UINT m_nDefID = 0;
    CFont m_font;
    CSize m_sizeBaseUnits {0, 0};
    CMenu m_menuSystem;
    HICON m_hIconBig = nullptr;
    HICON m_hIconSmall = nullptr;
    std::map<UINT, std::function<void()>> m_mapClicked;
    std::unique_ptr<CDialogPrivate> m_pPrivate;
};

// Thrown (as a pointer) by a data exchange that failed, after the user saw why.
class CUserException : public CException {};
// Thrown (as a pointer) when a dialog control cannot be attached to its object.
class CNotSupportedException : public CException {};
// Thrown (as a pointer) when a window class cannot be registered.
class CResourceException : public CException {};
[[noreturn]] void AfxThrowUserException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowResourceException();

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;   // TRUE: controls to members, with validation
    CWnd* m_pDlgWnd;

    // The control the next DDV_ validates; NULL when there is no such control.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Puts the focus on the last prepared control (its text selected) and throws
    // CUserException; UpdateData catches it.
    [[noreturn]] void Fail();

    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;
};

// Texts: the control's text (a multi-line edit keeps CR LF line breaks).
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Numbers: written in decimal; read with leading and trailing blanks allowed. A text that is
// not a number shows the framework's message and fails.
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
// Inclusive bounds, checked when saving: "“请填入一个在%1和%2之间的整数。”" and fail.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
// A check box: BST_CHECKED or BST_UNCHECKED.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// Attaches the member object to the control the template made (once); a control that cannot
// be attached throws CNotSupportedException.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Every control a template makes starts with an object of its kind (CButton, CStatic, CEdit,
// a plain CWnd for a custom control) owned by the dialog, so that it behaves as its class
// does; a member object takes the control's place through this before it subclasses it.
// FALSE when the control already belongs to another object.
BOOL AfxReleaseDialogControl(HWND hWnd);

// The framework's messages of the data exchange (GB18030).
CString AfxDdxMessage(UINT nIDPrompt);
#define AFX_IDP_PARSE_INT 0xF110
#define AFX_IDP_PARSE_UINT 0xF111
#define AFX_IDP_PARSE_INT_RANGE 0xF112
