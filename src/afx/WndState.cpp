#include "WndState.h"

#include "WndPrivate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>
#include <chrono>
#include <cstdlib>

namespace {

QEvent::Type PostedMessageType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// A message waiting in the queue for the window of a widget.
class CPostedMessageEvent : public QEvent {
public:
    CPostedMessageEvent(QWidget* pWidget, UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(PostedMessageType()), m_pWidget(pWidget), m_message(message), m_wParam(wParam),
          m_lParam(lParam)
    {
    }
    QPointer<QWidget> m_pWidget;
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
};

bool IsMouseButtonOrMove(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease
        || type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
}

quint64 NowMs()
{
    using namespace std::chrono;
    return (quint64)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Restores the message context when a dispatch ends, also by an exception.
class CContextGuard {
public:
    CContextGuard(CMsgContext*& rpCurrent, CMsgContext* pNew) : m_rpCurrent(rpCurrent)
    {
        pNew->pOuter = rpCurrent;
        rpCurrent = pNew;
        m_pOuter = pNew->pOuter;
    }
    ~CContextGuard() { m_rpCurrent = m_pOuter; }

private:
    CMsgContext*& m_rpCurrent;
    CMsgContext* m_pOuter;
};

const int s_nFirstProgramCursor = 1000;

} // namespace

CWndState& CWndState::Get()
{
    static CWndState* s_pState = new CWndState;   // lives as long as the process
    return *s_pState;
}

void CWndState::EnsureApplicationFilter()
{
    if (!m_bFilterInstalled && qApp) {
        qApp->installEventFilter(this);
        m_bFilterInstalled = true;
    }
}

// Handle maps.

CWnd* CWndState::LookupPermanent(QWidget* pWidget) const
{
    auto it = m_mapPermanent.find(pWidget);
    return it == m_mapPermanent.end() ? nullptr : it->second;
}

CWnd* CWndState::LookupOrMakeTemporary(QWidget* pWidget)
{
    if (!pWidget)
        return nullptr;
    if (CWnd* pWnd = LookupPermanent(pWidget))
        return pWnd;
    auto it = m_mapTemporary.find(pWidget);
    if (it != m_mapTemporary.end())
        return it->second;
    CWnd* pTemp = new CWnd;
    pTemp->m_hWnd = pWidget;
    pTemp->m_bTemporary = TRUE;
    m_mapTemporary[pWidget] = pTemp;
    // The temporary object lives as long as its widget.
    connect(pWidget, &QObject::destroyed, this, [this, pWidget, pTemp] {
        auto found = m_mapTemporary.find(pWidget);
        if (found != m_mapTemporary.end() && found->second == pTemp)
            m_mapTemporary.erase(found);
        pTemp->m_hWnd = nullptr;
        delete pTemp;
    });
    return pTemp;
}

void CWndState::AddPermanent(QWidget* pWidget, CWnd* pWnd)
{
    m_mapPermanent[pWidget] = pWnd;
    m_mapTemporary.erase(pWidget);   // a temporary object stays valid until the widget goes
}

void CWndState::RemovePermanent(QWidget* pWidget)
{
    m_mapPermanent.erase(pWidget);
}

// Window classes.

BOOL CWndState::RegisterClass(const WNDCLASS& wc)
{
    if (!wc.lpszClassName || !*wc.lpszClassName)
        return FALSE;
    auto [it, bInserted] = m_classes.emplace(std::string(wc.lpszClassName), wc);
    if (bInserted)
        it->second.lpszClassName = it->first.c_str();
    return TRUE;
}

BOOL CWndState::LookupClass(LPCTSTR lpszClassName, WNDCLASS* pWndClass) const
{
    if (!lpszClassName) {
        // Plain windows without a class of their own: double clicks, redraw on resize, no
        // background brush.
        WNDCLASS wc;
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        *pWndClass = wc;
        return TRUE;
    }
    auto it = m_classes.find(lpszClassName);
    if (it == m_classes.end())
        return FALSE;
    *pWndClass = it->second;
    return TRUE;
}

// Dispatch.

LRESULT CWndState::Dispatch(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam, bool bQueued,
                            CEventDelivery* pDelivery, bool* pbSwallowed)
{
    MSG msg {pWnd->m_hWnd, message, wParam, lParam, GetTickCount(),
             {m_ptLastMouse.x(), m_ptLastMouse.y()}};
    if (bQueued && WalkPreTranslateTree(&msg)) {
        if (pbSwallowed)
            *pbSwallowed = true;
        return 0;
    }
    CMsgContext context;
    context.pWnd = pWnd;
    context.msg = msg;
    context.pDelivery = pDelivery;
    CContextGuard guard(m_pCurrent, &context);
    return pWnd->WindowProc(msg.message, msg.wParam, msg.lParam);
}

// The target window first, then its parents up to the top-level window.
BOOL CWndState::WalkPreTranslateTree(MSG* pMsg)
{
    for (QPointer<QWidget> pWidget = pMsg->hwnd; pWidget;) {
        CWnd* pWnd = LookupPermanent(pWidget);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (!pWidget || pWidget->isWindow())
            break;
        pWidget = pWidget->parentWidget();
    }
    return FALSE;
}

const QInputEvent* CWndState::CurrentInputEvent() const
{
    for (const CMsgContext* p = m_pCurrent; p; p = p->pOuter) {
        if (p->pDelivery && p->pDelivery->pEvent && p->pDelivery->pEvent->isInputEvent())
            return static_cast<const QInputEvent*>(p->pDelivery->pEvent);
    }
    return nullptr;
}

void CWndState::Post(QWidget* pWidget, UINT message, WPARAM wParam, LPARAM lParam)
{
    QCoreApplication::postEvent(this, new CPostedMessageEvent(pWidget, message, wParam, lParam));
}

void CWndState::customEvent(QEvent* pEvent)
{
    if (pEvent->type() != PostedMessageType())
        return;
    auto* pPosted = static_cast<CPostedMessageEvent*>(pEvent);
    CWnd* pWnd = pPosted->m_pWidget ? LookupPermanent(pPosted->m_pWidget) : nullptr;
    if (!pWnd)
        return;   // the window is gone: the message goes with it
    ++m_nQtDepth;
    Dispatch(pWnd, pPosted->m_message, pPosted->m_wParam, pPosted->m_lParam, true);
    --m_nQtDepth;
}

// Capture.

CWnd* CWndState::SetCapture(CWnd* pWnd)
{
    QWidget* pOld = m_pCapture;
    QWidget* pNew = pWnd->m_hWnd;
    CWnd* pOldWnd = LookupOrMakeTemporary(pOld);
    if (!pNew || pOld == pNew)
        return pOldWnd;
    m_pCapture = pNew;
    EnsureApplicationFilter();
    if (CWnd* pLoser = LookupPermanent(pOld))
        pLoser->SendMessage(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(pNew));
    return pOldWnd;
}

BOOL CWndState::ReleaseCapture()
{
    QWidget* pOld = m_pCapture;
    m_pCapture = nullptr;
    if (CWnd* pLoser = LookupPermanent(pOld))
        pLoser->SendMessage(WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

void CWndState::DropCapture(QWidget* pWidget)
{
    if (m_pCapture == pWidget)
        m_pCapture = nullptr;
}

// With the capture set, every mouse event of another widget goes to the capture window, in
// its client coordinates.
bool CWndState::RedirectToCapture(QWidget* pWidget, QEvent* pEvent)
{
    QWidget* pCapture = m_pCapture;
    if (!pCapture || pWidget == pCapture)
        return false;
    CWnd* pWnd = LookupPermanent(pCapture);
    if (!pWnd || !pWnd->d)
        return false;
    ++m_nQtDepth;
    pWnd->d->OnQtMouse(static_cast<QMouseEvent*>(pEvent));
    --m_nQtDepth;
    pEvent->accept();
    return true;
}

// Cursor.

HCURSOR CWndState::SetCursor(HCURSOR hCursor)
{
    HCURSOR hOld = m_hCursor;
    m_hCursor = hCursor;
    QWidget* pTarget = m_pCapture;
    if (!pTarget && m_pCurrent) {
        // WM_SETCURSOR names the window under the mouse; a parent may answer it.
        if (m_pCurrent->msg.message == WM_SETCURSOR && m_pCurrent->msg.wParam)
            pTarget = reinterpret_cast<QWidget*>(m_pCurrent->msg.wParam);
        else
            pTarget = m_pCurrent->pWnd->m_hWnd;
    }
    if (!pTarget)
        pTarget = m_pMouseWidget;
    if (pTarget)
        pTarget->setCursor(ToQCursor(hCursor));
    return hOld;
}

HCURSOR CWndState::RegisterCursor(const QCursor& cursor)
{
    m_cursors.push_back(cursor);
    return static_cast<HCURSOR>(s_nFirstProgramCursor + (int)m_cursors.size() - 1);
}

QCursor CWndState::ToQCursor(HCURSOR hCursor) const
{
    switch (hCursor) {
    case StdCursor::Arrow: return Qt::ArrowCursor;
    case StdCursor::SizeNS: return Qt::SizeVerCursor;
    case StdCursor::SizeWE: return Qt::SizeHorCursor;
    case StdCursor::SizeAll: return Qt::SizeAllCursor;
    case StdCursor::No: return Qt::ForbiddenCursor;
    case StdCursor::Hand: return Qt::PointingHandCursor;
    case StdCursor::IBeam: return Qt::IBeamCursor;
    case StdCursor::Wait: return Qt::WaitCursor;
    }
    const int nIndex = static_cast<int>(hCursor) - s_nFirstProgramCursor;
    if (nIndex >= 0 && nIndex < (int)m_cursors.size())
        return m_cursors[(size_t)nIndex];
    return Qt::ArrowCursor;
}

// Mouse position and confinement.

QPoint CWndState::ClipPoint(QPoint pt) const
{
    if (!m_bClip)
        return pt;
    return QPoint(qBound(m_rectClip.left(), pt.x(), qMax(m_rectClip.left(), m_rectClip.right())),
                  qBound(m_rectClip.top(), pt.y(), qMax(m_rectClip.top(), m_rectClip.bottom())));
}

void CWndState::SetClip(const QRect* pRect)
{
    m_bClip = pRect != nullptr;
    if (pRect)
        m_rectClip = *pRect;
}

bool CWndState::GetClip(QRect* pRect) const
{
    if (m_bClip)
        *pRect = m_rectClip;
    return m_bClip;
}

// The last mouse event tells where the cursor is, unless the cursor was moved since
// (QCursor::setPos): then the platform's position.
QPoint CWndState::CursorPos() const
{
    const QPoint ptQt = QCursor::pos();
    if (m_bHaveMouse && ptQt == m_ptQtCursorAtLastMouse)
        return ClipPoint(m_ptLastMouse);
    return ClipPoint(ptQt);
}

void CWndState::NoteCursorPos(QPoint pt)
{
    m_bHaveMouse = true;
    m_ptLastMouse = ClipPoint(pt);
    m_ptQtCursorAtLastMouse = QCursor::pos();
}

bool CWndState::IsDoubleClick(QWidget* pWidget, const QMouseEvent* pEvent)
{
    quint64 nTime = pEvent->timestamp();
    if (nTime == 0)
        nTime = NowMs();
    const QPoint pt = pEvent->globalPosition().toPoint();
    const int nHalfX = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
    const int nHalfY = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    const bool bDouble = !m_bLastPressWasDouble && m_pLastPressWidget == pWidget
        && m_lastPressButton == pEvent->button() && nTime >= m_nLastPressTime
        && nTime - m_nLastPressTime <= (quint64)GetDoubleClickTime()
        && std::abs(pt.x() - m_ptLastPress.x()) <= nHalfX
        && std::abs(pt.y() - m_ptLastPress.y()) <= nHalfY;
    m_pLastPressWidget = pWidget;
    m_lastPressButton = pEvent->button();
    m_nLastPressTime = nTime;
    m_ptLastPress = pt;
    m_bLastPressWasDouble = bDouble;
    return bDouble;
}

bool CWndState::IsCompanionDoubleClick(QWidget* pWidget, const QMouseEvent* pEvent) const
{
    quint64 nTime = pEvent->timestamp();
    return nTime != 0 && m_pLastPressWidget == pWidget && m_lastPressButton == pEvent->button()
        && nTime == m_nLastPressTime;
}

void CWndState::NoteDoubleClick(QWidget* pWidget, const QMouseEvent* pEvent)
{
    m_pLastPressWidget = pWidget;
    m_lastPressButton = pEvent->button();
    m_nLastPressTime = pEvent->timestamp();
    m_ptLastPress = pEvent->globalPosition().toPoint();
    m_bLastPressWasDouble = true;
}

// The application filter sees every event before the widgets' own filters.
bool CWndState::eventFilter(QObject* pObject, QEvent* pEvent)
{
    const QEvent::Type type = pEvent->type();
    if (IsMouseButtonOrMove(type) || type == QEvent::Wheel) {
        if (!pObject->isWidgetType())
            return false;
        auto* pWidget = static_cast<QWidget*>(pObject);
        auto* pPointEvent = static_cast<QSinglePointEvent*>(pEvent);
        m_pMouseWidget = pWidget;
        NoteCursorPos(pPointEvent->globalPosition().toPoint());
        if (type == QEvent::Wheel)
            return false;   // the wheel goes to the window under the mouse, not the capture
        return RedirectToCapture(pWidget, pEvent);
    }
    if (type == QEvent::FocusOut && pObject->isWidgetType())
        m_pLastFocusOut = static_cast<QWidget*>(pObject);
    return false;
}
