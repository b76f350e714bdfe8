// CWnd: a window object that wraps one QWidget (its window handle), as a framework window
// object wraps its handle. The widget's events reach the object's virtual handlers; every
// window keeps a client-sized backing image that all its DCs draw into and that the widget
// copies to the screen.
#pragma once

#include "Dc.h"
#include "Geometry.h"
#include "Object.h"
#include "String.h"

#include <memory>

class CWndPrivate;
class CWndState;
class CScrollBar;
class QCursor;
class QScrollBar;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;   // screen coordinates
};

// A registered window class: what a window of that class starts with.
struct WNDCLASS {
    UINT style = 0;
    HCURSOR hCursor = IDC_ARROW;
    int nBackgroundColor = -1;   // system colour index of the background brush, -1 none
    LPCTSTR lpszClassName = nullptr;
};
BOOL AfxRegisterClass(const WNDCLASS* pWndClass);
BOOL AfxGetClassInfo(LPCTSTR lpszClassName, WNDCLASS* pWndClass);

class CWnd : public CObject {
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // The window of pWnd, NULL for a NULL pointer or an object without a window.
    static HWND GetSafeHwnd(const CWnd* pWnd) { return pWnd ? pWnd->m_hWnd : nullptr; }
    // The object attached to a widget; a temporary object for a widget that has none.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creation and destruction. A child window (WS_CHILD) gets a plain widget inside its
    // parent; a popup (WS_POPUP) a frameless top-level widget, one that never takes the focus
    // (a tip) with WS_EX_TOOLWINDOW | WS_EX_TOPMOST; any other window a normal top-level
    // window with its title. The class must be registered (NULL: a plain default class).
    // PreSubclassWindow and WM_SIZE come during creation; WS_VISIBLE shows the window.
    virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParentWnd, UINT nID);
    BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, UINT nIDorHMenu);
    // Makes a widget built by the caller (a standard control, a dialog) this object's window:
    // records the style, id and class with it, places it at rect (parent client coordinates
    // for a child) and attaches it as Create does. DestroyWindow deletes it.
    BOOL CreateFromWidget(QWidget* pWidget, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                          UINT nID, LPCTSTR lpszClassName = nullptr);
    // Records on a widget what the window system keeps with a window (style, control id,
    // window class), for widgets a dialog template makes and SubclassWindow attaches later.
    static void SetWindowData(HWND hWnd, DWORD dwStyle, UINT nID, LPCTSTR lpszClassName = nullptr);
    // Takes over an existing widget: its events now reach this object's handlers.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();
    virtual void PreSubclassWindow() {}
    // WM_DESTROY, the child windows' destruction, then the widget is deleted if this object
    // made it (Create, CreateEx, CreateFromWidget); a subclassed widget is only released.
    virtual BOOL DestroyWindow();
    // Called after the window is gone; a self-owning window deletes itself here.
    virtual void PostNcDestroy() {}

    UINT GetDlgCtrlID() const;
    void SetDlgCtrlID(UINT nID);
    CWnd* GetParent() const;
    CWnd* GetDlgItem(int nID) const;   // the child window with that control id
    CWnd* GetOwner() const;
    void SetOwner(CWnd* pOwnerWnd);
    DWORD GetStyle() const;
    // The text of a control (its "text" property) or the title of any other window.
    void SetWindowText(LPCTSTR lpszString);
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;

    // Geometry. The client area excludes the scroll bars that are shown and, for a plain
    // window with WS_BORDER, its one-pixel frame: client (0, 0) is widget (1, 1) then.
    // Mouse messages carry client coordinates.
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    static CWnd* WindowFromPoint(POINT point);
    static const CWnd wndTopMost;

    // Painting.
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void UpdateWindow();   // paints the invalid area now, without the event loop
    void ValidateRect(LPCRECT lpRect);   // NULL: the whole client area
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);

    // Messages. SendMessage runs the handler now; PostMessage queues it.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Routes a message to its handler; unhandled ones go to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Queued messages (mouse, keys and characters, timers, posted messages) pass here first,
    // for the target window and then its parents up to the top-level window; TRUE means
    // handled: the message (and the characters of a swallowed key) is not dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Default handling of the message being dispatched: DefWindowProc with it. For a window
    // that is a standard control (a widget of a Qt class other than plain QWidget),
    // DefWindowProc of an input or focus message hands the Qt event being dispatched to the
    // widget, once (for a key that also gives WM_CHAR, the widget gets it with the first
    // WM_CHAR); a message sent without an event becomes an equivalent Qt event.
    LRESULT Default();
    const MSG* GetCurrentMessage() const;

    // Timers, capture, focus.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);
    CWnd* SetCapture();
    static CWnd* GetCapture();
    CWnd* SetFocus();
    static CWnd* GetFocus();

    // Scroll bars of the window itself (SB_HORZ, SB_VERT). A user action on a bar becomes
    // WM_HSCROLL/WM_VSCROLL; the thumb moves only through SetScrollInfo/SetScrollPos.
    // wParam of those messages: the code in the low word, the 32-bit position above it.
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
    void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
    void GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const;
    int GetScrollPos(int nBar) const;
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
    void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);
    void EnableScrollBarCtrl(int nBar, BOOL bEnable = TRUE);
    // The Qt scroll bar of SB_HORZ or SB_VERT (NULL before it was first shown), for tests.
    QScrollBar* GetScrollBarWidget(int nBar) const;

    // Fonts through WM_SETFONT and WM_GETFONT.
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;

    // The backing image of the client area (what the screen shows).
    const QImage& GetBackingImage() const;

protected:
    // Handlers, reached through WindowProc. The defaults do what the window system does.
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* pDC);
    virtual void OnSize(UINT nType, int cx, int cy);
    virtual void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    virtual void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    virtual void OnTimer(UINT_PTR nIDEvent);
    virtual void OnMouseMove(UINT nFlags, CPoint point);
    virtual void OnLButtonDown(UINT nFlags, CPoint point);
    virtual void OnLButtonUp(UINT nFlags, CPoint point);
    virtual void OnLButtonDblClk(UINT nFlags, CPoint point);
    virtual void OnRButtonDown(UINT nFlags, CPoint point);
    virtual void OnRButtonUp(UINT nFlags, CPoint point);
    virtual BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    // One WM_CHAR per character: an ASCII byte, a double-byte character as (lead << 8) | trail,
    // or a four-byte character as its four bytes, the first highest.
    virtual void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnSetFocus(CWnd* pOldWnd);
    virtual void OnKillFocus(CWnd* pNewWnd);
    virtual void OnCaptureChanged(CWnd* pWnd);
    virtual BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    virtual void OnSysColorChange();
    virtual UINT OnGetDlgCode();
    virtual LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNcHitTest(CPoint point);
    virtual void OnDestroy();
    // The desktop session is ending: FALSE asks to keep it going.
    virtual BOOL OnQueryEndSession();

private:
    friend class CWndPrivate;
    friend class CWndState;
    friend class CClientDC;
    friend class CPaintDC;
    BOOL Attach(HWND hWnd, BOOL bOwnsWidget);
    BOOL FinishCreate(QWidget* pWidget, DWORD dwStyle);
    void ReleaseWindow(BOOL bWidgetAlive);
    void OnWidgetDestroyed();
    LRESULT DefSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT DefHitTest(CPoint point);
    CWnd* m_pOwnerWnd = nullptr;
    BOOL m_bTemporary = FALSE;
    std::unique_ptr<CWndPrivate> d;   // exists while a window is attached
    // The control id, read from the widget once: notifications ask for it on every cell.
    mutable HWND m_hIdWnd = nullptr;
    mutable UINT m_nIdCache = 0;
};

class CScrollBar : public CWnd {};

BOOL IsWindow(HWND hWnd);
BOOL ReleaseCapture();
// Sets the cursor of the window receiving the current message (or holding the capture).
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR LoadStandardCursor(StdCursor id);
// A cursor of the program's own (from its resources) as a cursor handle.
HCURSOR AfxRegisterCursor(const QCursor& cursor);
BOOL GetCursorPos(LPPOINT lpPoint);
BOOL SetCursorPos(int x, int y);
// Confines the cursor (screen coordinates, right and bottom excluded); NULL frees it.
// Mouse messages and GetCursorPos report positions inside the rectangle.
BOOL ClipCursor(LPCRECT lpRect);
BOOL GetClipCursor(LPRECT lpRect);
DWORD GetMessagePos();   // screen position of the last mouse message, x low, y high
SHORT GetKeyState(int nVirtKey);   // high bit set while the key is down
DWORD GetTickCount();
UINT GetDoubleClickTime();
COLORREF GetSysColor(int nIndex);
int GetSystemMetrics(int nIndex);
// The message font of the desktop (the application font).
BOOL GetMessageFont(LOGFONT* pLogFont);
// A modal message box (NULL caption: "Error"); IDOK, IDCANCEL, IDYES or IDNO. Tests record
// boxes instead of showing them (Testing.h).
int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);
// Lines to scroll per notch of the mouse wheel (the desktop setting).
UINT GetWheelScrollLines();
