// Standard controls: CButton over QPushButton (or QGroupBox), CStatic over QLabel (or QFrame
// for frames and separators). Dialog templates make these widgets; a member object attaches
// to one with DDX_Control, or Create makes a new one.
#pragma once

#include "Wnd.h"

// Button styles.
#ifndef BS_PUSHBUTTON
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_GROUPBOX 0x00000007L
#define BS_TYPEMASK 0x0000000FL
#endif
// Button notifications (the high word of WM_COMMAND's wParam).
#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif
// Check box states.
#ifndef BST_CHECKED
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#endif

// Static styles.
#ifndef SS_LEFT
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_RIGHT 0x00000002L
#define SS_ICON 0x00000003L
#define SS_BLACKRECT 0x00000004L
#define SS_GRAYRECT 0x00000005L
#define SS_WHITERECT 0x00000006L
#define SS_BLACKFRAME 0x00000007L
#define SS_GRAYFRAME 0x00000008L
#define SS_WHITEFRAME 0x00000009L
#define SS_LEFTNOWORDWRAP 0x0000000CL
#define SS_ETCHEDHORZ 0x00000010L
#define SS_ETCHEDVERT 0x00000011L
#define SS_ETCHEDFRAME 0x00000012L
#define SS_TYPEMASK 0x0000001FL
#define SS_NOPREFIX 0x00000080L
#define SS_NOTIFY 0x00000100L
#define SS_CENTERIMAGE 0x00000200L
#define SS_SUNKEN 0x00001000L
#endif

// More WM_GETDLGCODE answers (afxtypes.h has the WANT codes).
#ifndef DLGC_WANTMESSAGE
#define DLGC_WANTMESSAGE 0x0004
#endif
#ifndef DLGC_HASSETSEL
#define DLGC_HASSETSEL 0x0008
#endif
#ifndef DLGC_DEFPUSHBUTTON
#define DLGC_DEFPUSHBUTTON 0x0010
#endif
#ifndef DLGC_UNDEFPUSHBUTTON
#define DLGC_UNDEFPUSHBUTTON 0x0020
#endif
#ifndef DLGC_RADIOBUTTON
#define DLGC_RADIOBUTTON 0x0040
#endif
#ifndef DLGC_STATIC
#define DLGC_STATIC 0x0100
#endif
#ifndef DLGC_BUTTON
#define DLGC_BUTTON 0x2000
#endif

// WM_CTLCOLOR kinds.
#ifndef CTLCOLOR_STATIC
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_STATIC 6
#endif

typedef CBrush* HBRUSH;
typedef CGdiObject* HGDIOBJ;
// The stock brushes (NULL_BRUSH, WHITE_BRUSH, BLACK_BRUSH); NULL for other indexes.
HGDIOBJ GetStockObject(int nIndex);

class CButton : public CWnd {
public:
    // BS_DEFPUSHBUTTON makes the dialog's default button, BS_GROUPBOX a group box and
    // BS_AUTOCHECKBOX a check box that a click checks or clears.
    BOOL Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
    // A check box's state: BST_CHECKED or BST_UNCHECKED (always that for other buttons).
    int GetCheck() const;
    void SetCheck(int nCheck);
    // A click of the button, as the user's: BN_CLICKED to the parent.
    void Click();

protected:
    // DLGC_BUTTON, for push buttons with DLGC_DEFPUSHBUTTON or DLGC_UNDEFPUSHBUTTON.
    UINT OnGetDlgCode() override;
};

class CStatic : public CWnd {
public:
    BOOL Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                UINT nID = 0xffff);
    // SS_ICON statics show an icon.
    HICON SetIcon(HICON hIcon);
    HICON GetIcon() const;

protected:
    // The reflected WM_CTLCOLOR of every paint: a derived static may select a font into pDC,
    // set its text colour and background mode, and return the brush of its background (the
    // stock NULL_BRUSH lets the dialog show through). NULL leaves the parent's colours.
    virtual HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    void OnPaint() override;
    LRESULT OnGetFont(WPARAM wParam, LPARAM lParam) override;
    UINT OnGetDlgCode() override;   // DLGC_STATIC
};

// The font a dialog gave its controls (WM_SETFONT during creation): controls that are
// attached later still answer WM_GETFONT with it.
CFont* AfxGetControlFont(HWND hWnd);
void AfxSetControlFont(HWND hWnd, CFont* pFont);
