#include "Wnd.h"

#include "Codec.h"
#include "WndPrivate.h"
#include "WndState.h"

#include <QApplication>
#include <QScrollBar>
#include <QWidget>
#include <algorithm>

namespace {

QRect ToQRect(const RECT& rect)
{
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void SetRect(LPRECT lpRect, const QRect& rect)
{
    lpRect->left = rect.left();
    lpRect->top = rect.top();
    lpRect->right = rect.left() + rect.width();
    lpRect->bottom = rect.top() + rect.height();
}

LPARAM PackPoint(POINT pt)
{
    return MAKELPARAM((WORD)(short)pt.x, (WORD)(short)pt.y);
}

// Where a child's client-relative position lies in its parent widget.
int ParentClientOffset(const QWidget* pWidget)
{
    const QWidget* pParent = pWidget->isWindow() ? nullptr : pWidget->parentWidget();
    return pParent ? CWndPrivate::BorderOf(pParent) : 0;
}

// The handle of a window object that may be NULL.
HWND HandleOf(const CWnd* pWnd)
{
    return pWnd ? pWnd->m_hWnd : nullptr;
}

bool IsInternal(const QWidget* pWidget)
{
    return pWidget->property("afxInternal").toBool();
}

const char* TextProperty(const QWidget* pWidget)
{
    if (CWndPrivate::IsPlainWidget(pWidget))
        return nullptr;
    const QMetaObject* pMeta = pWidget->metaObject();
    if (pMeta->indexOfProperty("text") >= 0)
        return "text";
    if (pMeta->indexOfProperty("plainText") >= 0)
        return "plainText";
    return nullptr;
}

} // namespace

const CWnd CWnd::wndTopMost;

BOOL AfxRegisterClass(const WNDCLASS* pWndClass)
{
    return pWndClass && CWndState::Get().RegisterClass(*pWndClass);
}

BOOL AfxGetClassInfo(LPCTSTR lpszClassName, WNDCLASS* pWndClass)
{
    return lpszClassName && CWndState::Get().LookupClass(lpszClassName, pWndClass);
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (m_bTemporary)
        return;
    if (m_hWnd)
        DestroyWindow();
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    return CWndState::Get().LookupOrMakeTemporary(hWnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? CWndState::Get().LookupPermanent(hWnd) : nullptr;
}

// Creation and destruction.

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID)
{
    if (!(dwStyle & WS_POPUP))
        dwStyle |= WS_CHILD;
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, HandleOf(pParentWnd), nID);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, UINT nIDorHMenu)
{
    WNDCLASS wc;
    if (m_hWnd || !CWndState::Get().LookupClass(lpszClassName, &wc))
        return FALSE;
    if ((dwStyle & WS_CHILD) && !hWndParent)
        return FALSE;   // a child window needs its parent
    const bool bChild = (dwStyle & WS_CHILD) != 0;
    QWidget* pWidget;
    if (bChild) {
        pWidget = new QWidget(hWndParent);
    } else {
        Qt::WindowFlags flags = Qt::Window;
        if (dwStyle & WS_POPUP) {
            // A tool popup that is always on top (a tip) never takes the focus.
            const bool bTip = (dwExStyle & WS_EX_TOOLWINDOW) && (dwExStyle & WS_EX_TOPMOST);
            flags = (bTip ? Qt::ToolTip : Qt::Window) | Qt::FramelessWindowHint;
        }
        if (dwExStyle & WS_EX_TOPMOST)
            flags |= Qt::WindowStaysOnTopHint;
        pWidget = new QWidget(hWndParent, flags);
        if ((flags & Qt::ToolTip) == Qt::ToolTip || (dwExStyle & WS_EX_NOACTIVATE))
            pWidget->setAttribute(Qt::WA_ShowWithoutActivating);
        if (lpszWindowName)
            pWidget->setWindowTitle(Codec::ToUnicode(CString(lpszWindowName)));
    }
    pWidget->setProperty("afxExStyle", (uint)dwExStyle);
    SetWindowData(pWidget, dwStyle & ~WS_VISIBLE, nIDorHMenu, lpszClassName);
    auto coord = [](int n) { return n == CW_USEDEFAULT ? 0 : n; };
    const int nOffset = bChild ? CWndPrivate::BorderOf(hWndParent) : 0;
    pWidget->setGeometry(coord(x) + nOffset, coord(y) + nOffset, std::max(0, coord(nWidth)),
                         std::max(0, coord(nHeight)));
    if (bChild && lpszWindowName)
        pWidget->setWindowTitle(Codec::ToUnicode(CString(lpszWindowName)));
    // Keyboard input comes through SetFocus (and the dialog's Tab for tab stops), not clicks.
    pWidget->setFocusPolicy(dwStyle & WS_TABSTOP ? Qt::TabFocus : Qt::NoFocus);
    return FinishCreate(pWidget, dwStyle);
}

BOOL CWnd::CreateFromWidget(QWidget* pWidget, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                            UINT nID, LPCTSTR lpszClassName)
{
    if (m_hWnd || !pWidget || FromHandlePermanent(pWidget))
        return FALSE;
    HWND hWndParent = HandleOf(pParentWnd);
    const bool bChild = (dwStyle & WS_CHILD) && hWndParent;
    if (bChild && pWidget->parentWidget() != hWndParent)
        pWidget->setParent(hWndParent);
    SetWindowData(pWidget, dwStyle & ~WS_VISIBLE, nID, lpszClassName);
    const QRect rectWidget = ToQRect(rect);
    if (!rectWidget.isEmpty() || bChild) {
        const int nOffset = bChild ? CWndPrivate::BorderOf(hWndParent) : 0;
        pWidget->setGeometry(rectWidget.translated(nOffset, nOffset));
    }
    return FinishCreate(pWidget, dwStyle);
}

// What every created window goes through: attached, set up by PreSubclassWindow as the
// framework does during creation, sized (WM_SIZE), invalid, then shown if WS_VISIBLE.
BOOL CWnd::FinishCreate(QWidget* pWidget, DWORD dwStyle)
{
    Attach(pWidget, TRUE);
    PreSubclassWindow();
    if (!d)
        return FALSE;
    d->UpdateClientArea();
    if (!d)
        return FALSE;
    Invalidate(TRUE);
    if (dwStyle & WS_DISABLED)
        pWidget->setEnabled(false);
    pWidget->setVisible((dwStyle & WS_VISIBLE) != 0);
    return TRUE;
}

void CWnd::SetWindowData(HWND hWnd, DWORD dwStyle, UINT nID, LPCTSTR lpszClassName)
{
    if (!hWnd)
        return;
    hWnd->setProperty("afxStyle", (uint)dwStyle);
    hWnd->setProperty("afxId", (uint)nID);
    if (CWnd* pWnd = FromHandlePermanent(hWnd))
        pWnd->m_hIdWnd = nullptr;
    if (lpszClassName)
        hWnd->setProperty("afxClass", QByteArray(lpszClassName));
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (m_hWnd || !hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    if (!hWnd->property("afxStyle").isValid()) {
        const DWORD dwStyle = hWnd->isWindow() ? WS_POPUP : WS_CHILD;
        SetWindowData(hWnd, dwStyle, 0, nullptr);
    }
    Attach(hWnd, FALSE);
    d->m_sizeClient = d->ClientRect().size();   // an existing window gets no WM_SIZE
    Invalidate(TRUE);
    PreSubclassWindow();
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    HWND hWnd = m_hWnd;
    ReleaseWindow(TRUE);
    return hWnd;
}

BOOL CWnd::Attach(HWND hWnd, BOOL bOwnsWidget)
{
    CWndState& state = CWndState::Get();
    m_hWnd = hWnd;
    m_hIdWnd = nullptr;
    d = std::make_unique<CWndPrivate>(this, hWnd, bOwnsWidget != FALSE);
    state.AddPermanent(hWnd, this);
    state.EnsureApplicationFilter();
    d->m_connDestroyed = QObject::connect(hWnd, &QObject::destroyed, &state,
                                          [this] { OnWidgetDestroyed(); });
    return TRUE;
}

void CWnd::ReleaseWindow(BOOL bWidgetAlive)
{
    if (m_hWnd)
        CWndState::Get().RemovePermanent(m_hWnd);
    if (d)
        d->Detach(bWidgetAlive != FALSE);
    d.reset();
    m_hWnd = nullptr;
}

// The widget went away without DestroyWindow (its parent was deleted).
void CWnd::OnWidgetDestroyed()
{
    ReleaseWindow(FALSE);
    PostNcDestroy();
}

// WM_DESTROY to the window, then its child windows go, then the widget (when this object
// made it), then PostNcDestroy. Inside event handling the widget is deleted later.
BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd || m_bTemporary)
        return FALSE;
    CWndState& state = CWndState::Get();
    SendMessage(WM_DESTROY);
    if (!m_hWnd)
        return TRUE;
    std::vector<QPointer<QWidget>> children;
    for (QWidget* pChild : m_hWnd->findChildren<QWidget*>())
        children.emplace_back(pChild);
    for (const QPointer<QWidget>& pChild : children) {
        CWnd* pWnd = pChild ? FromHandlePermanent(pChild) : nullptr;
        if (pWnd && pWnd != this)
            pWnd->DestroyWindow();
    }
    if (!m_hWnd)
        return TRUE;
    QWidget* pWidget = m_hWnd;
    const bool bOwns = d && d->m_bOwnsWidget;
    ReleaseWindow(TRUE);
    if (bOwns) {
        pWidget->hide();
        pWidget->setProperty("afxDestroyed", true);
        if (state.m_nQtDepth > 0)
            pWidget->deleteLater();
        else
            delete pWidget;
    }
    PostNcDestroy();
    return TRUE;
}

// Window data.

UINT CWnd::GetDlgCtrlID() const
{
    if (!m_hWnd)
        return 0;
    if (m_hIdWnd != m_hWnd) {
        m_nIdCache = m_hWnd->property("afxId").toUInt();
        m_hIdWnd = m_hWnd;
    }
    return m_nIdCache;
}

void CWnd::SetDlgCtrlID(UINT nID)
{
    if (!m_hWnd)
        return;
    m_hWnd->setProperty("afxId", (uint)nID);
    m_hIdWnd = nullptr;
}

CWnd* CWnd::GetParent() const
{
    if (!m_hWnd)
        return nullptr;
    return FromHandle(m_hWnd->parentWidget());
}

CWnd* CWnd::GetDlgItem(int nID) const
{
    if (!m_hWnd)
        return nullptr;
    for (QWidget* pChild : m_hWnd->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!IsInternal(pChild) && pChild->property("afxId").isValid()
            && pChild->property("afxId").toUInt() == (uint)nID)
            return FromHandle(pChild);
    }
    return nullptr;
}

CWnd* CWnd::GetOwner() const
{
    return m_pOwnerWnd ? m_pOwnerWnd : GetParent();
}

void CWnd::SetOwner(CWnd* pOwnerWnd)
{
    m_pOwnerWnd = pOwnerWnd;
}

DWORD CWnd::GetStyle() const
{
    if (!m_hWnd)
        return 0;
    DWORD dwStyle = CWndPrivate::StyleOf(m_hWnd) & ~(WS_VISIBLE | WS_DISABLED);
    if (!m_hWnd->isHidden())
        dwStyle |= WS_VISIBLE;
    if (m_hWnd->testAttribute(Qt::WA_ForceDisabled))
        dwStyle |= WS_DISABLED;
    if (d) {
        dwStyle &= ~(WS_HSCROLL | WS_VSCROLL);
        if (d->m_bars[SB_HORZ].bShown)
            dwStyle |= WS_HSCROLL;
        if (d->m_bars[SB_VERT].bShown)
            dwStyle |= WS_VSCROLL;
    }
    return dwStyle;
}

void CWnd::SetWindowText(LPCTSTR lpszString)
{
    if (!m_hWnd)
        return;
    const QString text = Codec::ToUnicode(CString(lpszString));
    if (const char* pszProperty = TextProperty(m_hWnd))
        m_hWnd->setProperty(pszProperty, text);
    else
        m_hWnd->setWindowTitle(text);
}

void CWnd::GetWindowText(CString& rString) const
{
    rString.Empty();
    if (!m_hWnd)
        return;
    const char* pszProperty = TextProperty(m_hWnd);
    rString = Codec::FromUnicode(pszProperty ? m_hWnd->property(pszProperty).toString()
                                             : m_hWnd->windowTitle());
}

int CWnd::GetWindowTextLength() const
{
    CString str;
    GetWindowText(str);
    return str.GetLength();
}

// Geometry.

void CWnd::GetClientRect(LPRECT lpRect) const
{
    if (d) {
        SetRect(lpRect, d->ClientRect());
    } else if (m_hWnd) {
        const int nBorder = CWndPrivate::BorderOf(m_hWnd);
        SetRect(lpRect, QRect(0, 0, std::max(0, m_hWnd->width() - 2 * nBorder),
                              std::max(0, m_hWnd->height() - 2 * nBorder)));
    } else {
        SetRect(lpRect, QRect());
    }
}

void CWnd::GetWindowRect(LPRECT lpRect) const
{
    if (!m_hWnd) {
        SetRect(lpRect, QRect());
        return;
    }
    SetRect(lpRect, QRect(m_hWnd->mapToGlobal(QPoint(0, 0)), m_hWnd->size()));
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const
{
    if (!m_hWnd)
        return;
    const int nBorder = CWndPrivate::BorderOf(m_hWnd);
    const QPoint pt = m_hWnd->mapToGlobal(QPoint(lpPoint->x + nBorder, lpPoint->y + nBorder));
    lpPoint->x = pt.x();
    lpPoint->y = pt.y();
}

void CWnd::ClientToScreen(LPRECT lpRect) const
{
    ClientToScreen(reinterpret_cast<LPPOINT>(&lpRect->left));
    ClientToScreen(reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const
{
    if (!m_hWnd)
        return;
    const int nBorder = CWndPrivate::BorderOf(m_hWnd);
    const QPoint pt = m_hWnd->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
    lpPoint->x = pt.x() - nBorder;
    lpPoint->y = pt.y() - nBorder;
}

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ScreenToClient(reinterpret_cast<LPPOINT>(&lpRect->left));
    ScreenToClient(reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    SetWindowPos(nullptr, x, y, nWidth, nHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint)
{
    MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, bRepaint);
}

// Positions of a child are in its parent's client coordinates, of a top-level window on the
// screen. &wndTopMost raises the window above the others.
BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    if (!m_hWnd)
        return FALSE;
    if (!(nFlags & SWP_NOMOVE) || !(nFlags & SWP_NOSIZE)) {
        QRect rect = m_hWnd->geometry();
        const int nOffset = ParentClientOffset(m_hWnd);
        if (!(nFlags & SWP_NOMOVE))
            rect.moveTopLeft(QPoint(x + nOffset, y + nOffset));
        if (!(nFlags & SWP_NOSIZE))
            rect.setSize(QSize(std::max(0, cx), std::max(0, cy)));
        m_hWnd->setGeometry(rect);
        if (d)
            d->UpdateClientArea();
        if (!m_hWnd)
            return TRUE;
    }
    if (!(nFlags & SWP_NOZORDER) && pWndInsertAfter) {
        if (pWndInsertAfter == &wndTopMost)
            m_hWnd->raise();
        else if (pWndInsertAfter->m_hWnd && pWndInsertAfter->m_hWnd->parentWidget() == m_hWnd->parentWidget())
            m_hWnd->stackUnder(pWndInsertAfter->m_hWnd);
    }
    if (nFlags & SWP_SHOWWINDOW) {
        if (nFlags & SWP_NOACTIVATE)
            m_hWnd->setAttribute(Qt::WA_ShowWithoutActivating);
        m_hWnd->show();
    }
    if (nFlags & SWP_HIDEWINDOW)
        m_hWnd->hide();
    return TRUE;
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    if (!m_hWnd)
        return FALSE;
    const BOOL bWasVisible = !m_hWnd->isHidden();
    if (nCmdShow == SW_HIDE) {
        m_hWnd->hide();
    } else if (nCmdShow == SW_SHOWMAXIMIZED) {
        m_hWnd->showMaximized();
    } else {
        if (nCmdShow == SW_SHOWNA || nCmdShow == SW_SHOWNOACTIVATE)
            m_hWnd->setAttribute(Qt::WA_ShowWithoutActivating);
        m_hWnd->show();
    }
    return bWasVisible;
}

BOOL CWnd::IsWindowVisible() const
{
    return m_hWnd && m_hWnd->isVisible();
}

// Returns whether the window was disabled before.
BOOL CWnd::EnableWindow(BOOL bEnable)
{
    if (!m_hWnd)
        return FALSE;
    const BOOL bWasDisabled = m_hWnd->testAttribute(Qt::WA_ForceDisabled);
    m_hWnd->setEnabled(bEnable != FALSE);
    return bWasDisabled;
}

BOOL CWnd::IsWindowEnabled() const
{
    return m_hWnd && !m_hWnd->testAttribute(Qt::WA_ForceDisabled);
}

// The window under a screen point; a window's own scroll bars count as the window.
CWnd* CWnd::WindowFromPoint(POINT point)
{
    QWidget* pWidget = QApplication::widgetAt(QPoint(point.x, point.y));
    while (pWidget && IsInternal(pWidget))
        pWidget = pWidget->parentWidget();
    return FromHandle(pWidget);
}

// Painting.

void CWnd::Invalidate(BOOL bErase)
{
    InvalidateRect(nullptr, bErase);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase)
{
    if (!d) {
        if (m_hWnd)
            m_hWnd->update();
        return;
    }
    d->Invalidate(lpRect ? ToQRect(*lpRect) : d->ClientRect(), bErase != FALSE);
}

void CWnd::ValidateRect(LPCRECT lpRect)
{
    if (!d)
        return;
    if (lpRect)
        d->m_rgnInvalid -= ToQRect(*lpRect);
    else
        d->m_rgnInvalid = QRegion();
    if (d->m_rgnInvalid.isEmpty())
        d->m_bErase = false;
}

void CWnd::UpdateWindow()
{
    if (!d || d->m_rgnInvalid.isEmpty())
        return;
    d->RunPaint();
    if (d)
        m_hWnd->update(d->ClientInWidget());   // the screen shows the new image
}

CDC* CWnd::GetDC()
{
    return new CClientDC(this);
}

int CWnd::ReleaseDC(CDC* pDC)
{
    delete pDC;
    return 1;
}

const QImage& CWnd::GetBackingImage() const
{
    static const QImage s_empty;
    return d ? d->m_image : s_empty;
}

// Messages.

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return 0;
    CWnd* pWnd = this;
    if (m_bTemporary) {
        // A window attached since this temporary object was made has its own handlers.
        if (CWnd* pPermanent = FromHandlePermanent(m_hWnd))
            pWnd = pPermanent;
    }
    return CWndState::Get().Dispatch(pWnd, message, wParam, lParam, false);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return FALSE;
    CWndState::Get().Post(m_hWnd, message, wParam, lParam);
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

LRESULT CWnd::Default()
{
    const CMsgContext* pContext = CWndState::Get().Current();
    if (!pContext)
        return 0;
    return DefWindowProc(pContext->msg.message, pContext->msg.wParam, pContext->msg.lParam);
}

const MSG* CWnd::GetCurrentMessage() const
{
    static MSG s_none {};
    const CMsgContext* pContext = CWndState::Get().Current();
    return pContext ? &pContext->msg : &s_none;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CPoint point(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    const UINT nRepCnt = LOWORD(lParam), nKeyFlags = HIWORD(lParam);
    switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return OnEraseBkgnd(reinterpret_cast<CDC*>(wParam));
    case WM_SIZE: OnSize((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        // Scroll bar controls are not used: pScrollBar is NULL for the window's own bars.
        auto* pScrollBar = reinterpret_cast<CScrollBar*>(FromHandle(reinterpret_cast<HWND>(lParam)));
        const UINT nCode = LOWORD(wParam), nPos = (UINT)(wParam >> 16);
        if (message == WM_HSCROLL)
            OnHScroll(nCode, nPos, pScrollBar);
        else
            OnVScroll(nCode, nPos, pScrollBar);
        return 0;
    }
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_MOUSEMOVE: OnMouseMove((UINT)wParam, point); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown((UINT)wParam, point); return 0;
    case WM_LBUTTONUP: OnLButtonUp((UINT)wParam, point); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk((UINT)wParam, point); return 0;
    case WM_RBUTTONDOWN: OnRButtonDown((UINT)wParam, point); return 0;
    case WM_RBUTTONUP: OnRButtonUp((UINT)wParam, point); return 0;
    case WM_MOUSEWHEEL: return OnMouseWheel(LOWORD(wParam), (short)HIWORD(wParam), point);
    case WM_MOUSEHWHEEL: OnMouseHWheel(LOWORD(wParam), (short)HIWORD(wParam), point); return 0;
    case WM_KEYDOWN: OnKeyDown((UINT)wParam, nRepCnt, nKeyFlags); return 0;
    case WM_KEYUP: OnKeyUp((UINT)wParam, nRepCnt, nKeyFlags); return 0;
    case WM_SYSKEYDOWN: OnSysKeyDown((UINT)wParam, nRepCnt, nKeyFlags); return 0;
    case WM_CHAR: OnChar((UINT)wParam, nRepCnt, nKeyFlags); return 0;
    case WM_SETFOCUS: OnSetFocus(FromHandle(reinterpret_cast<HWND>(wParam))); return 0;
    case WM_KILLFOCUS: OnKillFocus(FromHandle(reinterpret_cast<HWND>(wParam))); return 0;
    case WM_CAPTURECHANGED: OnCaptureChanged(FromHandle(reinterpret_cast<HWND>(lParam))); return 0;
    case WM_SETCURSOR:
        return OnSetCursor(FromHandle(reinterpret_cast<HWND>(wParam)), (UINT)(short)LOWORD(lParam),
                           HIWORD(lParam));
    case WM_SYSCOLORCHANGE: OnSysColorChange(); return 0;
    case WM_GETDLGCODE: return OnGetDlgCode();
    case WM_SETFONT: return OnSetFont(wParam, lParam);
    case WM_GETFONT: return OnGetFont(wParam, lParam);
    case WM_NOTIFY: {
        LRESULT lResult = 0;
        if (OnNotify(wParam, lParam, &lResult))
            return lResult;
        return DefWindowProc(message, wParam, lParam);
    }
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        return DefWindowProc(message, wParam, lParam);
    case WM_NCHITTEST: return OnNcHitTest(point);
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_IME_STARTCOMPOSITION: return reinterpret_cast<LRESULT>(OnImeStartComposition());
    case WM_IME_ENDCOMPOSITION: OnImeEndComposition(); return 0;
    default: return DefWindowProc(message, wParam, lParam);
    }
}

// What the window system does with a message nobody handled. For a standard control the
// input and focus messages go to its widget.
LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return 0;
    const bool bPlain = CWndPrivate::IsPlainWidget(m_hWnd);
    if (!bPlain && CWndPrivate::IsWidgetMessage(message)) {
        const bool bTaken = CWndPrivate::DeliverToWidget(this, message, wParam, lParam);
        if (bTaken || (message != WM_MOUSEWHEEL && message != WM_MOUSEHWHEEL))
            return 0;
    }
    switch (message) {
    case WM_PAINT:
        if (!bPlain) {
            if (d)
                d->m_bDefaultPaint = true;
            ValidateRect(nullptr);
        } else {
            CPaintDC dc(this);   // erases and validates
        }
        return 0;
    case WM_ERASEBKGND: {
        auto* pDC = reinterpret_cast<CDC*>(wParam);
        const int nColor = d ? d->m_class.nBackgroundColor : -1;
        if (!pDC || nColor < 0)
            return FALSE;
        CRect rect;
        GetClientRect(&rect);
        pDC->FillSolidRect(&rect, GetSysColor(nColor));
        return TRUE;
    }
    case WM_SETCURSOR: return DefSetCursor(wParam, lParam);
    case WM_NCHITTEST: return DefHitTest(CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // An unused wheel goes on to the parent.
        if (CWndPrivate::StyleOf(m_hWnd) & WS_CHILD) {
            if (CWnd* pParent = GetParent())
                return pParent->SendMessage(message, wParam, lParam);
        }
        return 0;
    case WM_CLOSE: DestroyWindow(); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_SETFONT:
        if (d)
            d->m_pFont = reinterpret_cast<CFont*>(wParam);
        if (!bPlain && wParam)
            m_hWnd->setFont(reinterpret_cast<CFont*>(wParam)->GetQFont());
        if (LOWORD(lParam))
            Invalidate();
        return 0;
    case WM_GETFONT: return d ? reinterpret_cast<LRESULT>(d->m_pFont) : 0;
    default: return 0;
    }
}

// The parent may set the cursor first; otherwise the class cursor in the client area and the
// arrow elsewhere. A standard control's widget keeps its own cursor; a top-level window (a
// dialog) is not a control and gets its class cursor back.
LRESULT CWnd::DefSetCursor(WPARAM wParam, LPARAM lParam)
{
    if (CWndPrivate::StyleOf(m_hWnd) & WS_CHILD) {
        CWnd* pParent = GetParent();
        if (pParent && pParent->SendMessage(WM_SETCURSOR, wParam, lParam))
            return TRUE;
    }
    if (reinterpret_cast<HWND>(wParam) != m_hWnd
        || !(CWndPrivate::IsPlainWidget(m_hWnd) || m_hWnd->isWindow()))
        return FALSE;
    const int nHit = (short)LOWORD(lParam);
    ::SetCursor(nHit == HTCLIENT && d ? d->m_class.hCursor : IDC_ARROW);
    return TRUE;
}

LRESULT CWnd::DefHitTest(CPoint point)
{
    const QPoint ptWidget = m_hWnd->mapFromGlobal(QPoint(point.x, point.y));
    if (!m_hWnd->rect().contains(ptWidget))
        return HTNOWHERE;
    if (!d)
        return HTCLIENT;
    if (d->ClientInWidget().contains(ptWidget))
        return HTCLIENT;
    if (d->m_bars[SB_VERT].bShown && d->m_bars[SB_VERT].pBar
        && d->m_bars[SB_VERT].pBar->geometry().contains(ptWidget))
        return HTVSCROLL;
    if (d->m_bars[SB_HORZ].bShown && d->m_bars[SB_HORZ].pBar
        && d->m_bars[SB_HORZ].pBar->geometry().contains(ptWidget))
        return HTHSCROLL;
    return d->m_nBorder ? HTBORDER : HTNOWHERE;
}

// Timers, capture, focus.

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void*)
{
    if (!d)
        return 0;
    auto it = d->m_timers.find(nIDEvent);
    if (it != d->m_timers.end())
        d->killTimer(it->second);
    // The window system's shortest period is 10 ms.
    d->m_timers[nIDEvent] = d->startTimer((int)std::max<UINT>(nElapse, 10));
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    if (!d)
        return FALSE;
    auto it = d->m_timers.find(nIDEvent);
    if (it == d->m_timers.end())
        return FALSE;
    d->killTimer(it->second);
    d->m_timers.erase(it);
    return TRUE;
}

CWnd* CWnd::SetCapture()
{
    return CWndState::Get().SetCapture(this);
}

CWnd* CWnd::GetCapture()
{
    return FromHandle(CWndState::Get().CaptureWidget());
}

// Like the window system, giving a window the focus activates its top-level window.
CWnd* CWnd::SetFocus()
{
    CWnd* pOld = GetFocus();
    if (!m_hWnd)
        return pOld;
    QWidget* pTop = m_hWnd->window();
    if (QApplication::activeWindow() != pTop && pTop->isVisible()) {
        pTop->activateWindow();
        if (QApplication::activeWindow() != pTop)
            QApplication::setActiveWindow(pTop);
    }
    m_hWnd->setFocus(Qt::OtherFocusReason);
    return pOld;
}

CWnd* CWnd::GetFocus()
{
    QWidget* pFocus = QApplication::focusWidget();
    while (pFocus && IsInternal(pFocus))
        pFocus = pFocus->parentWidget();
    return FromHandle(pFocus);
}

// Scroll bars.

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask)
{
    if (!d || (nBar != SB_HORZ && nBar != SB_VERT) || !lpScrollInfo)
        return FALSE;
    const CWndPrivate::Bar& bar = d->m_bars[nBar];
    lpScrollInfo->fMask = nMask;
    if (nMask & SIF_RANGE) {
        lpScrollInfo->nMin = bar.info.nMin;
        lpScrollInfo->nMax = bar.info.nMax;
    }
    if (nMask & SIF_PAGE)
        lpScrollInfo->nPage = bar.info.nPage;
    if (nMask & SIF_POS)
        lpScrollInfo->nPos = bar.info.nPos;
    if (nMask & SIF_TRACKPOS)
        lpScrollInfo->nTrackPos = bar.bTracking ? bar.nTrackPos : bar.info.nPos;
    return TRUE;
}

BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL)
{
    if (!d || (nBar != SB_HORZ && nBar != SB_VERT) || !lpScrollInfo)
        return FALSE;
    d->SetScrollInfo(nBar, *lpScrollInfo, false);
    return TRUE;
}

void CWnd::SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL)
{
    if (!d || (nBar != SB_HORZ && nBar != SB_VERT))
        return;
    SCROLLINFO si {sizeof(SCROLLINFO), SIF_RANGE, nMinPos, nMaxPos, 0, 0, 0};
    d->SetScrollInfo(nBar, si, true);
}

void CWnd::GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const
{
    if (!d || (nBar != SB_HORZ && nBar != SB_VERT)) {
        *lpMinPos = *lpMaxPos = 0;
        return;
    }
    *lpMinPos = d->m_bars[nBar].info.nMin;
    *lpMaxPos = d->m_bars[nBar].info.nMax;
}

int CWnd::GetScrollPos(int nBar) const
{
    if (!d || (nBar != SB_HORZ && nBar != SB_VERT))
        return 0;
    return d->m_bars[nBar].info.nPos;
}

// Returns the previous position.
int CWnd::SetScrollPos(int nBar, int nPos, BOOL)
{
    if (!d || (nBar != SB_HORZ && nBar != SB_VERT))
        return 0;
    const int nOld = d->m_bars[nBar].info.nPos;
    SCROLLINFO si {sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, nPos, 0};
    d->SetScrollInfo(nBar, si, false);
    return nOld;
}

void CWnd::ShowScrollBar(UINT nBar, BOOL bShow)
{
    if (!d)
        return;
    if (nBar == SB_HORZ || nBar == SB_BOTH)
        d->ShowBar(SB_HORZ, bShow != FALSE);
    if (d && (nBar == SB_VERT || nBar == SB_BOTH))
        d->ShowBar(SB_VERT, bShow != FALSE);
}

void CWnd::EnableScrollBarCtrl(int nBar, BOOL bEnable)
{
    ShowScrollBar((UINT)nBar, bEnable);
}

QScrollBar* CWnd::GetScrollBarWidget(int nBar) const
{
    if (!d || (nBar != SB_HORZ && nBar != SB_VERT))
        return nullptr;
    return d->m_bars[nBar].pBar;
}

// Fonts.

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(pFont), bRedraw);
}

CFont* CWnd::GetFont() const
{
    return reinterpret_cast<CFont*>(const_cast<CWnd*>(this)->SendMessage(WM_GETFONT));
}

// Default handlers: each hands its message to DefWindowProc.

void CWnd::OnPaint()
{
    DefWindowProc(WM_PAINT, 0, 0);
}

BOOL CWnd::OnEraseBkgnd(CDC* pDC)
{
    return (BOOL)DefWindowProc(WM_ERASEBKGND, reinterpret_cast<WPARAM>(pDC), 0);
}

void CWnd::OnSize(UINT, int, int) {}

void CWnd::OnHScroll(UINT, UINT, CScrollBar*) {}

void CWnd::OnVScroll(UINT, UINT, CScrollBar*) {}

void CWnd::OnTimer(UINT_PTR) {}

void CWnd::OnMouseMove(UINT nFlags, CPoint point)
{
    DefWindowProc(WM_MOUSEMOVE, nFlags, PackPoint(point));
}

void CWnd::OnLButtonDown(UINT nFlags, CPoint point)
{
    DefWindowProc(WM_LBUTTONDOWN, nFlags, PackPoint(point));
}

void CWnd::OnLButtonUp(UINT nFlags, CPoint point)
{
    DefWindowProc(WM_LBUTTONUP, nFlags, PackPoint(point));
}

void CWnd::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    DefWindowProc(WM_LBUTTONDBLCLK, nFlags, PackPoint(point));
}

void CWnd::OnRButtonDown(UINT nFlags, CPoint point)
{
    DefWindowProc(WM_RBUTTONDOWN, nFlags, PackPoint(point));
}

void CWnd::OnRButtonUp(UINT nFlags, CPoint point)
{
    DefWindowProc(WM_RBUTTONUP, nFlags, PackPoint(point));
}

BOOL CWnd::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    return (BOOL)DefWindowProc(WM_MOUSEWHEEL, (WPARAM)(DWORD)MAKELONG(nFlags, (WORD)zDelta),
                               PackPoint(pt));
}

void CWnd::OnMouseHWheel(UINT nFlags, short zDelta, CPoint pt)
{
    DefWindowProc(WM_MOUSEHWHEEL, (WPARAM)(DWORD)MAKELONG(nFlags, (WORD)zDelta), PackPoint(pt));
}

void CWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    DefWindowProc(WM_KEYDOWN, nChar, MAKELPARAM(nRepCnt, nFlags));
}

void CWnd::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    DefWindowProc(WM_KEYUP, nChar, MAKELPARAM(nRepCnt, nFlags));
}

void CWnd::OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    DefWindowProc(WM_SYSKEYDOWN, nChar, MAKELPARAM(nRepCnt, nFlags));
}

void CWnd::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    DefWindowProc(WM_CHAR, nChar, MAKELPARAM(nRepCnt, nFlags));
}

void CWnd::OnSetFocus(CWnd* pOldWnd)
{
    DefWindowProc(WM_SETFOCUS, reinterpret_cast<WPARAM>(HandleOf(pOldWnd)), 0);
}

void CWnd::OnKillFocus(CWnd* pNewWnd)
{
    DefWindowProc(WM_KILLFOCUS, reinterpret_cast<WPARAM>(HandleOf(pNewWnd)), 0);
}

void CWnd::OnCaptureChanged(CWnd*) {}

BOOL CWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    return (BOOL)DefWindowProc(WM_SETCURSOR, reinterpret_cast<WPARAM>(HandleOf(pWnd)),
                               MAKELPARAM((WORD)nHitTest, (WORD)message));
}

void CWnd::OnSysColorChange() {}

UINT CWnd::OnGetDlgCode()
{
    return (UINT)DefWindowProc(WM_GETDLGCODE, 0, 0);
}

LRESULT CWnd::OnSetFont(WPARAM wParam, LPARAM lParam)
{
    return DefWindowProc(WM_SETFONT, wParam, lParam);
}

LRESULT CWnd::OnGetFont(WPARAM wParam, LPARAM lParam)
{
    return DefWindowProc(WM_GETFONT, wParam, lParam);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM, LPARAM)
{
    return FALSE;
}

LRESULT CWnd::OnNcHitTest(CPoint point)
{
    return DefWindowProc(WM_NCHITTEST, 0, PackPoint(point));
}

void CWnd::OnDestroy() {}

BOOL CWnd::OnQueryEndSession()
{
    return (BOOL)DefWindowProc(WM_QUERYENDSESSION, 0, 0);
}

CWnd* CWnd::OnImeStartComposition()
{
    return nullptr;
}

void CWnd::OnImeEndComposition() {}

BOOL CWnd::GetCaretRect(LPRECT lpRect)
{
    if (!m_hWnd || !lpRect || CWndPrivate::IsPlainWidget(m_hWnd)
        || !m_hWnd->testAttribute(Qt::WA_InputMethodEnabled))
        return FALSE;
    const QVariant value = m_hWnd->inputMethodQuery(Qt::ImCursorRectangle);
    if (!value.isValid())
        return FALSE;
    const QRect rect = value.toRect();
    *lpRect = CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
    return TRUE;
}

// Device contexts of a window: both draw into its backing image.

namespace {

// The screen DC (no window): measuring only.
QImage& ScreenImage()
{
    static QImage s_image(1, 1, QImage::Format_RGB32);
    return s_image;
}

} // namespace

CClientDC::CClientDC(CWnd* pWnd) : m_pWnd(pWnd)
{
    CWndPrivate* d = pWnd ? pWnd->d.get() : nullptr;
    if (!d) {
        AttachImage(&ScreenImage(), CRect(0, 0, 1, 1));
        return;
    }
    d->DCAttached();
    const QRect rect = d->ClientRect();
    AttachImage(&d->m_image, CRect(0, 0, rect.width(), rect.height()));
}

// The screen shows what was drawn; no WM_PAINT follows.
CClientDC::~CClientDC()
{
    DetachImage();
    CWndPrivate* d = m_pWnd ? m_pWnd->d.get() : nullptr;
    if (!d)
        return;
    d->DCReleased();
    m_pWnd->m_hWnd->update(d->ClientInWidget());
}

// Clipped to the bounding box of the invalid area, which it validates; the background is
// erased first (WM_ERASEBKGND with this DC) when an invalidation asked for it.
CPaintDC::CPaintDC(CWnd* pWnd) : m_pWnd(pWnd)
{
    CWndPrivate* d = pWnd ? pWnd->d.get() : nullptr;
    if (!d)
        return;
    const QRect rect = d->m_rgnInvalid.boundingRect();
    m_rcPaint = CRect(rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height());
    const bool bErase = d->m_bErase;
    d->m_rgnInvalid = QRegion();
    d->m_bErase = false;
    ++d->m_nValidations;
    d->DCAttached();
    AttachImage(&d->m_image, m_rcPaint);
    if (bErase)
        pWnd->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(this));
}

CPaintDC::~CPaintDC()
{
    DetachImage();
    CWndPrivate* d = m_pWnd ? m_pWnd->d.get() : nullptr;
    if (d)
        d->DCReleased();
}
