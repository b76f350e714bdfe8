#include "WndPrivate.h"

#include "Keyboard.h"
#include "PixelRatio.h"
#include "WheelAccumulator.h"
#include "WndState.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QTimerEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace {

UINT MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    UINT nFlags = 0;
    if (buttons & Qt::LeftButton)
        nFlags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        nFlags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        nFlags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        nFlags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        nFlags |= MK_CONTROL;
    return nFlags;
}

LPARAM PackPoint(int x, int y)
{
    return MAKELPARAM((WORD)(short)x, (WORD)(short)y);
}

enum class MouseKind { Move, Down, Up, DoubleClick };

// The message of a mouse event: client-area messages or their non-client forms; 0 for
// buttons the window system has no message for here.
UINT MouseMessage(Qt::MouseButton button, MouseKind kind, bool bClient)
{
    if (kind == MouseKind::Move)
        return bClient ? WM_MOUSEMOVE : WM_NCMOUSEMOVE;
    const int nKind = kind == MouseKind::Down ? 0 : kind == MouseKind::Up ? 1 : 2;
    static const UINT s_client[3][3] = {
        {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK},
        {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK},
        {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK},
    };
    static const UINT s_nonClient[3][3] = {
        {WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK},
        {WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_NCRBUTTONDOWN},
        {WM_NCMBUTTONDOWN, WM_NCMBUTTONUP, WM_NCMBUTTONDOWN},
    };
    int nButton;
    switch (button) {
    case Qt::LeftButton: nButton = 0; break;
    case Qt::RightButton: nButton = 1; break;
    case Qt::MiddleButton: nButton = 2; break;
    default: return 0;
    }
    return bClient ? s_client[nButton][nKind] : s_nonClient[nButton][nKind];
}

QColor ToQColor(COLORREF cr)
{
    return QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

// Sends characters one by one. When a handler moves the keyboard focus to another window (the
// grid opening its in-place edit on the first character), the rest go to the new focus
// window, as typed text would; only the window the Qt event was for can get that event.
// Characters for a window without the focus (one showing another's composition) stay there.
void SendChars(QWidget* pOrigin, const std::vector<UINT>& chars, LPARAM lParam, UINT message,
               CEventDelivery* pDelivery)
{
    CWndState& state = CWndState::Get();
    QPointer<QWidget> pFrom = pOrigin;
    const QPointer<QWidget> pFocusBefore = QApplication::focusWidget();
    for (size_t i = 0; i < chars.size(); ++i) {
        QWidget* pTarget = pFrom;
        if (i > 0) {
            QWidget* pFocus = QApplication::focusWidget();
            if (pFocus && pFocus != pFocusBefore && pFocus != pTarget && state.LookupPermanent(pFocus))
                pTarget = pFocus;
        }
        CWnd* pWnd = pTarget ? state.LookupPermanent(pTarget) : nullptr;
        if (!pWnd)
            return;
        state.Dispatch(pWnd, message, chars[i], lParam, true,
                       pTarget == pFrom ? pDelivery : nullptr);
    }
}

// Events after which a window's caret may be somewhere else: input, and a paint, which shows
// whatever else moved it (a posted scroll, a timer).
bool MayMoveCaret(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::InputMethod:
    case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: case QEvent::Wheel: case QEvent::Resize: case QEvent::Paint:
        return true;
    default:
        return false;
    }
}

} // namespace

CWndPrivate::CWndPrivate(CWnd* pWnd, QWidget* pWidget, bool bOwnsWidget)
    : m_pWnd(pWnd), m_pWidget(pWidget), m_bOwnsWidget(bOwnsWidget),
      m_bPlain(IsPlainWidget(pWidget)), m_pMeta(pWidget->metaObject())
{
    CWndState& state = CWndState::Get();
    const QByteArray className = pWidget->property("afxClass").toByteArray();
    if (className.isEmpty() || !state.LookupClass(className.constData(), &m_class))
        state.LookupClass(nullptr, &m_class);
    m_nBorder = BorderOf(pWidget);
    if (m_bPlain) {
        // The handlers draw every pixel from the backing image and take all input.
        pWidget->setAttribute(Qt::WA_OpaquePaintEvent);
        pWidget->setAttribute(Qt::WA_NoSystemBackground);
        pWidget->setAttribute(Qt::WA_InputMethodEnabled);
        pWidget->setAutoFillBackground(false);
    }
    pWidget->setMouseTracking(true);
    pWidget->installEventFilter(this);
    const DWORD dwStyle = StyleOf(pWidget);
    m_bars[SB_HORZ].bShown = (dwStyle & WS_HSCROLL) != 0;
    m_bars[SB_VERT].bShown = (dwStyle & WS_VSCROLL) != 0;
    for (int nBar : {SB_HORZ, SB_VERT}) {
        if (m_bars[nBar].bShown)
            MakeBar(nBar);
    }
    LayoutBars();
    ResizeImage(ClientRect().size());
    m_nPaletteKey = QGuiApplication::palette().cacheKey();
}

CWndPrivate::~CWndPrivate()
{
    Detach(false);
}

void CWndPrivate::Detach(bool bWidgetAlive)
{
    if (!m_pWidget)
        return;
    for (auto& [nId, nQtId] : m_timers)
        killTimer(nQtId);
    m_timers.clear();
    QObject::disconnect(m_connDestroyed);
    if (bWidgetAlive) {
        m_pWidget->removeEventFilter(this);
        for (Bar& bar : m_bars)
            delete bar.pBar.data();
    }
    CWndState::Get().DropCapture(m_pWidget);
    m_pWidget = nullptr;
}

bool CWndPrivate::IsPlainWidget(const QWidget* pWidget)
{
    return pWidget && pWidget->metaObject() == &QWidget::staticMetaObject;
}

int CWndPrivate::BorderOf(const QWidget* pWidget)
{
    return IsPlainWidget(pWidget) && (StyleOf(pWidget) & WS_BORDER) ? 1 : 0;
}

DWORD CWndPrivate::StyleOf(const QWidget* pWidget)
{
    return pWidget ? pWidget->property("afxStyle").toUInt() : 0;
}

// Geometry.

int CWndPrivate::BarExtent() const
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

QRect CWndPrivate::ClientRect() const
{
    if (!m_pWidget)
        return QRect();
    const int nExtent = BarExtent();
    const int cx = m_pWidget->width() - 2 * m_nBorder - (m_bars[SB_VERT].bShown ? nExtent : 0);
    const int cy = m_pWidget->height() - 2 * m_nBorder - (m_bars[SB_HORZ].bShown ? nExtent : 0);
    return QRect(0, 0, std::max(0, cx), std::max(0, cy));
}

QRect CWndPrivate::ClientInWidget() const
{
    return ClientRect().translated(m_nBorder, m_nBorder);
}

void CWndPrivate::UpdateClientArea()
{
    if (!m_pWidget)
        return;
    LayoutBars();
    const QSize size = ClientRect().size();
    if (size == m_sizeClient)
        return;
    const QSize sizeOld = m_sizeClient;
    m_sizeClient = size;
    ResizeImage(size);
    const bool bAll = sizeOld.width() < 0
        || ((m_class.style & CS_HREDRAW) && sizeOld.width() != size.width())
        || ((m_class.style & CS_VREDRAW) && sizeOld.height() != size.height());
    if (bAll) {
        Invalidate(QRect(QPoint(0, 0), size), true);
    } else {
        const QRegion rgnNew = QRegion(QRect(QPoint(0, 0), size)) - QRegion(QRect(QPoint(0, 0), sizeOld));
        for (const QRect& rect : rgnNew)
            Invalidate(rect, true);
    }
    CWndState::Get().Dispatch(m_pWnd, WM_SIZE, SIZE_RESTORED,
                              MAKELPARAM((WORD)size.width(), (WORD)size.height()), false);
}

qreal CWndPrivate::ScreenRatio() const
{
    return PixelRatio::Usable(m_pWidget->devicePixelRatioF());
}

// The backing image keeps its pixels; new areas start in the window colour until painted.
// It has the device pixel ratio of the widget's screen; on another ratio it starts afresh.
// A DC drawing into the image meanwhile makes the change wait for its release.
void CWndPrivate::ResizeImage(QSize size)
{
    const qreal dRatio = ScreenRatio();
    const QSize sizeImage = PixelRatio::ToDevice(QSize(std::max(1, size.width()), std::max(1, size.height())), dRatio);
    const bool bSameRatio = !m_image.isNull() && PixelRatio::Of(m_image) == dRatio;
    if (m_nDCs > 0) {
        m_bResizePending = sizeImage != m_image.size() || !bSameRatio;
        return;
    }
    m_bResizePending = false;
    if (m_image.size() == sizeImage && bSameRatio)
        return;
    QImage image(sizeImage, QImage::Format_RGB32);
    image.setDevicePixelRatio(dRatio);
    image.fill(ToQColor(GetSysColor(COLOR_WINDOW)));
    if (bSameRatio) {
        const int cx = std::min(image.width(), m_image.width());
        const int cy = std::min(image.height(), m_image.height());
        for (int y = 0; y < cy; ++y)
            std::memcpy(image.scanLine(y), m_image.constScanLine(y), (size_t)cx * 4);
    }
    m_image = image;
}

void CWndPrivate::DCAttached()
{
    ++m_nDCs;
}

void CWndPrivate::DCReleased()
{
    if (m_nDCs > 0 && --m_nDCs == 0 && m_bResizePending)
        ResizeImage(ClientRect().size());
}

// Painting.

void CWndPrivate::Invalidate(const QRect& rect, bool bErase)
{
    const QRect rectClip = rect & ClientRect();
    if (rectClip.isEmpty())
        return;
    m_rgnInvalid += rectClip;
    if (bErase)
        m_bErase = true;
    m_pWidget->update(rectClip.translated(m_nBorder, m_nBorder));
}

void CWndPrivate::RunPaint()
{
    if (m_rgnInvalid.isEmpty())
        return;
    const int nValidations = m_nValidations;
    m_bDefaultPaint = false;
    QPointer<CWndPrivate> pGuard(this);
    CWndState::Get().Dispatch(m_pWnd, WM_PAINT, 0, 0, false);
    if (pGuard && m_nValidations == nValidations) {
        // The handler opened no paint DC: the area counts as painted all the same.
        m_rgnInvalid = QRegion();
        m_bErase = false;
    }
}

// A window moved to a screen of another device pixel ratio is drawn afresh at that ratio.
void CWndPrivate::FollowScreenRatio()
{
    if (m_image.isNull() || PixelRatio::Of(m_image) == ScreenRatio())
        return;
    ResizeImage(ClientRect().size());
    Invalidate(ClientRect(), true);
}

bool CWndPrivate::OnQtPaint(QPaintEvent* pEvent)
{
    QPointer<CWndPrivate> pGuard(this);
    FollowScreenRatio();
    if (!m_bPlain) {
        // What Qt repaints is invalid for the handlers too; the default lets the widget paint.
        m_rgnInvalid += pEvent->region() & ClientRect();
        m_bErase = true;
        RunPaint();
        if (!pGuard || m_bDefaultPaint)
            return false;
        Blit(pEvent);
        return true;
    }
    if (!m_rgnInvalid.isEmpty()) {
        RunPaint();
        if (!pGuard)
            return true;
    }
    Blit(pEvent);
    return true;
}

// The screen shows the backing image, the frame of a bordered window and the box between two
// scroll bars.
void CWndPrivate::Blit(QPaintEvent* pEvent)
{
    QPainter painter(m_pWidget);
    painter.setClipRegion(pEvent->region());
    const QRect rectClient = ClientInWidget();
    if (m_nBorder) {
        painter.setPen(ToQColor(GetSysColor(COLOR_WINDOWFRAME)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_pWidget->rect().adjusted(0, 0, -1, -1));
    }
    if (PixelRatio::Of(m_image) == 1) {
        painter.drawImage(rectClient.topLeft(), m_image, QRect(QPoint(0, 0), rectClient.size()));
    } else {
        painter.save();
        painter.setClipRect(rectClient, Qt::IntersectClip);
        painter.drawImage(rectClient.topLeft(), m_image);
        painter.restore();
    }
    if (m_bars[SB_HORZ].bShown && m_bars[SB_VERT].bShown) {
        const int nExtent = BarExtent();
        painter.fillRect(QRect(rectClient.right() + 1, rectClient.bottom() + 1, nExtent, nExtent),
                         ToQColor(GetSysColor(COLOR_BTNFACE)));
    }
}

// Events.

bool CWndPrivate::eventFilter(QObject* pObject, QEvent* pEvent)
{
    CWndState& state = CWndState::Get();
    ++state.m_nQtDepth;
    const QEvent::Type type = pEvent->type();
    QPointer<CWndPrivate> pGuard(this);
    bool bResult = false;
    if (pObject == m_pWidget) {
        bResult = FilterWidgetEvent(pEvent);
    } else {
        for (int nBar : {SB_HORZ, SB_VERT}) {
            if (pObject == m_bars[nBar].pBarObject)
                bResult = FilterBarEvent(nBar, pEvent);
        }
    }
    --state.m_nQtDepth;
    if (pGuard && MayMoveCaret(type))
        NoteCaretMoved();
    return bResult;
}

bool CWndPrivate::FilterWidgetEvent(QEvent* pEvent)
{
    if (m_pWidget->metaObject() != m_pMeta)
        return false;   // the widget is being destroyed
    switch (pEvent->type()) {
    case QEvent::Paint:
        return OnQtPaint(static_cast<QPaintEvent*>(pEvent));
    case QEvent::Resize:
        UpdateClientArea();
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return OnQtMouse(static_cast<QMouseEvent*>(pEvent));
    case QEvent::Wheel:
        return OnQtWheel(static_cast<QWheelEvent*>(pEvent));
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return OnQtKey(static_cast<QKeyEvent*>(pEvent));
    case QEvent::ShortcutOverride:
        // A plain window gets every key as a key press, never as a shortcut.
        if (!m_bPlain)
            return false;
        pEvent->accept();
        return true;
    case QEvent::InputMethod:
        return OnQtInputMethod(static_cast<QInputMethodEvent*>(pEvent));
    case QEvent::InputMethodQuery:
        return OnQtInputMethodQuery(static_cast<QInputMethodQueryEvent*>(pEvent));
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        return OnQtFocus(static_cast<QFocusEvent*>(pEvent));
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
        OnPaletteChange();
        return false;
    case QEvent::Close:
        if (!m_bPlain)
            return false;
        pEvent->ignore();   // WM_CLOSE decides; its default destroys the window
        CWndState::Get().Dispatch(m_pWnd, WM_CLOSE, 0, 0, false);
        return true;
    default:
        return false;
    }
}

bool CWndPrivate::OnQtMouse(QMouseEvent* pEvent)
{
    CWndState& state = CWndState::Get();
    const QEvent::Type type = pEvent->type();
    const QPoint ptScreen = state.ClipPoint(pEvent->globalPosition().toPoint());
    const QPoint ptWidget = m_pWidget->mapFromGlobal(ptScreen);
    const CPoint ptClient(ptWidget.x() - m_nBorder, ptWidget.y() - m_nBorder);
    const bool bCaptured = state.CaptureWidget() == m_pWidget;
    pEvent->accept();

    MouseKind kind = MouseKind::Move;
    if (type == QEvent::MouseButtonRelease) {
        kind = MouseKind::Up;
    } else if (type == QEvent::MouseButtonPress) {
        const bool bDouble = m_bPlain && state.IsDoubleClick(m_pWidget, pEvent);
        kind = bDouble && (m_class.style & CS_DBLCLKS) ? MouseKind::DoubleClick : MouseKind::Down;
    } else if (type == QEvent::MouseButtonDblClick) {
        if (m_bPlain) {
            // Qt's double-click event after a press already counted; alone (from a test) it
            // is the second press of a double click.
            if (state.IsCompanionDoubleClick(m_pWidget, pEvent))
                return true;
            state.NoteDoubleClick(m_pWidget, pEvent);
            kind = (m_class.style & CS_DBLCLKS) ? MouseKind::DoubleClick : MouseKind::Down;
        } else {
            kind = MouseKind::DoubleClick;
        }
    }

    const UINT clientMessage = MouseMessage(pEvent->button(), kind, true);
    if (!clientMessage)
        return true;
    QPointer<CWndPrivate> pGuard(this);
    CWnd* pWnd = m_pWnd;
    LRESULT nHit = HTCLIENT;
    if (!bCaptured) {
        nHit = state.Dispatch(pWnd, WM_NCHITTEST, 0, PackPoint(ptScreen.x(), ptScreen.y()), false);
        if (!pGuard)
            return true;
        if (kind != MouseKind::Up) {
            state.Dispatch(pWnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_pWidget),
                           MAKELPARAM((WORD)(short)nHit, (WORD)clientMessage), false);
            if (!pGuard)
                return true;
        }
    }
    CEventDelivery delivery;
    delivery.pEvent = pEvent;
    delivery.pWidget = m_pWidget;
    const UINT nFlags = MouseFlags(pEvent->buttons(), pEvent->modifiers());
    if (bCaptured || nHit == HTCLIENT) {
        state.Dispatch(pWnd, clientMessage, nFlags, PackPoint(ptClient.x, ptClient.y), true, &delivery);
    } else {
        const UINT message = MouseMessage(pEvent->button(), kind, false);
        state.Dispatch(pWnd, message, (WPARAM)nHit, PackPoint(ptScreen.x(), ptScreen.y()), true,
                       &delivery);
    }
    return true;
}

// A standard control gets each event as it comes (its widget scrolls by fractions itself); a
// plain window gets whole steps, vertical and horizontal, gathered from the events.
bool CWndPrivate::OnQtWheel(QWheelEvent* pEvent)
{
    CWndState& state = CWndState::Get();
    const QPoint ptScreen = state.ClipPoint(pEvent->globalPosition().toPoint());
    const UINT nFlags = MouseFlags(pEvent->buttons(), pEvent->modifiers());
    const LPARAM lPoint = PackPoint(ptScreen.x(), ptScreen.y());
    CEventDelivery delivery;
    delivery.pEvent = pEvent;
    delivery.pWidget = m_pWidget;
    pEvent->accept();
    CWnd* pWnd = m_pWnd;
    const auto send = [&](UINT message, int nDelta) {
        state.Dispatch(pWnd, message, (WPARAM)(DWORD)MAKELONG(nFlags, (WORD)(short)nDelta), lPoint, true, &delivery);
    };
    if (!m_bPlain) {
        const QPoint ptAngle = pEvent->angleDelta();
        if (ptAngle.y() == 0 && ptAngle.x() != 0)
            send(WM_MOUSEHWHEEL, -ptAngle.x());   // the window system counts tilting right as positive
        else
            send(WM_MOUSEWHEEL, ptAngle.y());
        return true;
    }
    const CWheelAccumulator::Steps steps = m_wheel.Add(pEvent->angleDelta(), pEvent->pixelDelta(),
                                                       (pEvent->modifiers() & Qt::ShiftModifier) != 0,
                                                       pEvent->phase() == Qt::ScrollBegin);
    QPointer<CWndPrivate> pGuard(this);
    if (steps.nVert != 0)
        send(WM_MOUSEWHEEL, steps.nVert);
    if (steps.nHorz != 0 && pGuard)
        send(WM_MOUSEHWHEEL, steps.nHorz);
    return true;
}

bool CWndPrivate::OnQtKey(QKeyEvent* pEvent)
{
    const bool bUp = pEvent->type() == QEvent::KeyRelease;
    if (bUp && pEvent->isAutoRepeat())
        return m_bPlain;   // a held key repeats its WM_KEYDOWN only
    CWndState& state = CWndState::Get();
    const bool bAlt = pEvent->modifiers() & Qt::AltModifier;
    const UINT nVirtKey = Keyboard::VirtualKey(pEvent->key(), pEvent->modifiers());
    const LPARAM lKeyData = Keyboard::KeyData(pEvent);
    std::vector<UINT> chars;
    if (!bUp)
        chars = Keyboard::CharCodes(pEvent);
    CEventDelivery delivery;
    delivery.pEvent = pEvent;
    delivery.pWidget = m_pWidget;
    delivery.bHasChars = !chars.empty();
    pEvent->accept();
    QWidget* pWidget = m_pWidget;
    QPointer<CWndPrivate> pGuard(this);
    if (nVirtKey) {
        const UINT message = bUp ? (bAlt ? WM_SYSKEYUP : WM_KEYUP) : (bAlt ? WM_SYSKEYDOWN : WM_KEYDOWN);
        bool bSwallowed = false;
        state.Dispatch(m_pWnd, message, nVirtKey, lKeyData, true, &delivery, &bSwallowed);
        if (bSwallowed || !pGuard)
            return true;   // a key taken by PreTranslateMessage gives no characters
    } else if (chars.empty()) {
        return m_bPlain;
    }
    if (!chars.empty())
        SendChars(pWidget, chars, lKeyData, bAlt ? WM_SYSCHAR : WM_CHAR, &delivery);
    return true;
}

// Text an input method commits arrives as typed characters. A control shows the text being
// composed itself; a plain window shows nothing of it, unless its handler names a window that
// shows the composition instead. It is asked whenever no such window shows the composition
// (one began, or an edit showing it was ended by a click): otherwise the committed characters'
// handler could open an edit and move the focus while the input method is still delivering
// them, and the input method would commit its composition to the old window again, endlessly.
bool CWndPrivate::OnQtInputMethod(QInputMethodEvent* pEvent)
{
    const bool bPreedit = !pEvent->preeditString().isEmpty();
    const bool bCommit = !pEvent->commitString().isEmpty();
    if (!m_bPlain && !bCommit)
        return false;
    pEvent->accept();
    QPointer<CWndPrivate> pGuard(this);
    if (m_bPlain && !m_pCompositionTarget && (bPreedit || (m_bComposing && bCommit))) {
        StartComposition();
        if (!pGuard)
            return true;
    }
    if (m_bComposing && m_pCompositionTarget) {
        QCoreApplication::sendEvent(m_pCompositionTarget, pEvent);
    } else if (bCommit) {
        CEventDelivery delivery;
        delivery.pEvent = pEvent;
        delivery.pWidget = m_pWidget;
        delivery.bHasChars = true;
        SendChars(m_pWidget, Keyboard::CharCodes(pEvent->commitString()), 1, WM_CHAR, &delivery);
    }
    if (pGuard && m_bComposing && !bPreedit)
        EndComposition();
    return true;
}

void CWndPrivate::StartComposition()
{
    m_bComposing = true;
    QPointer<CWndPrivate> pGuard(this);
    const LRESULT lResult = CWndState::Get().Dispatch(m_pWnd, WM_IME_STARTCOMPOSITION, 0, 0, false);
    if (!pGuard)
        return;
    QWidget* pTarget = CWnd::GetSafeHwnd(reinterpret_cast<CWnd*>(lResult));
    m_pCompositionTarget = pTarget != m_pWidget ? pTarget : nullptr;
}

// The end comes posted: a handler may move the focus, which must wait until the input method
// has finished delivering its last event. A composition begun again meanwhile ends later.
void CWndPrivate::EndComposition()
{
    m_bComposing = false;
    m_pCompositionTarget = nullptr;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_bComposing || !m_pWidget)
                return;
            CWndState& state = CWndState::Get();
            ++state.m_nQtDepth;
            state.Dispatch(m_pWnd, WM_IME_ENDCOMPOSITION, 0, 0, false);
            --state.m_nQtDepth;
        },
        Qt::QueuedConnection);
}

// A control that takes typed text (an edit) tells the input method of its caret itself.
bool CWndPrivate::TellsItsOwnCaret() const
{
    return !m_bPlain && m_pWidget->testAttribute(Qt::WA_InputMethodEnabled);
}

std::optional<QRect> CWndPrivate::CaretInWidget() const
{
    CRect rect;
    if (TellsItsOwnCaret() || !m_pWnd->GetCaretRect(&rect))
        return std::nullopt;
    rect.NormalizeRect();
    return QRect(rect.left + m_nBorder, rect.top + m_nBorder, rect.Width(), rect.Height());
}

// The window's caret, when it has one; the widget answers every other query (ImEnabled:
// whether it takes typed text at all).
bool CWndPrivate::OnQtInputMethodQuery(QInputMethodQueryEvent* pEvent)
{
    if (!(pEvent->queries() & Qt::ImCursorRectangle))
        return false;
    const std::optional<QRect> rect = CaretInWidget();
    if (!rect)
        return false;
    static_cast<QObject*>(m_pWidget)->event(pEvent);
    pEvent->setValue(Qt::ImCursorRectangle, *rect);
    return true;
}

// The input method learns where the caret is only when told: its candidate window would
// otherwise stay where the caret was when the window got the focus.
void CWndPrivate::NoteCaretMoved()
{
    if (!m_pWidget || m_pWidget->metaObject() != m_pMeta || QGuiApplication::focusObject() != m_pWidget)
        return;
    const QRect rect = CaretInWidget().value_or(QRect());
    if (rect == m_rectCaretTold)
        return;
    m_rectCaretTold = rect;
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

bool CWndPrivate::OnQtFocus(QFocusEvent* pEvent)
{
    // A popup menu (an edit's context menu) does not take the focus from the window beneath it,
    // as menus of the window system do not: the window keeps its focus, and an in-place edit
    // does not end under its own menu.
    if (pEvent->reason() == Qt::PopupFocusReason)
        return false;
    CWndState& state = CWndState::Get();
    CEventDelivery delivery;
    delivery.pEvent = pEvent;
    delivery.pWidget = m_pWidget;
    const bool bPlain = m_bPlain;
    if (pEvent->type() == QEvent::FocusIn) {
        m_rectCaretTold = CaretInWidget().value_or(QRect());   // Qt tells the input method
        QWidget* pOld = state.m_pLastFocusOut;
        if (pOld == m_pWidget)
            pOld = nullptr;
        state.Dispatch(m_pWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(pOld), 0, false, &delivery);
    } else {
        if (m_bComposing)
            EndComposition();   // the input method composes for another window now
        QWidget* pNew = QApplication::focusWidget();
        if (pNew == m_pWidget)
            pNew = nullptr;
        state.Dispatch(m_pWnd, WM_KILLFOCUS, reinterpret_cast<WPARAM>(pNew), 0, false, &delivery);
    }
    // A plain widget's own focus handling (the input method's position) runs as well.
    return !bPlain;
}

// The system colours come from the application palette: a new palette is a colour change.
void CWndPrivate::OnPaletteChange()
{
    const qint64 nKey = QGuiApplication::palette().cacheKey();
    if (nKey == m_nPaletteKey)
        return;
    m_nPaletteKey = nKey;
    CWndState::Get().Dispatch(m_pWnd, WM_SYSCOLORCHANGE, 0, 0, false);
}

void CWndPrivate::timerEvent(QTimerEvent* pEvent)
{
    for (const auto& [nId, nQtId] : m_timers) {
        if (nQtId == pEvent->timerId()) {
            CWndState& state = CWndState::Get();
            ++state.m_nQtDepth;
            state.Dispatch(m_pWnd, WM_TIMER, nId, 0, true);
            --state.m_nQtDepth;
            return;
        }
    }
}

// Scroll bars.

QScrollBar* CWndPrivate::MakeBar(int nBar)
{
    auto* pBar = new QScrollBar(nBar == SB_VERT ? Qt::Vertical : Qt::Horizontal, m_pWidget);
    pBar->setProperty("afxInternal", true);
    pBar->setFocusPolicy(Qt::NoFocus);
    pBar->setCursor(Qt::ArrowCursor);
    pBar->installEventFilter(this);
    connect(pBar, &QAbstractSlider::actionTriggered, this,
            [this, nBar](int nAction) { OnBarAction(nBar, nAction); });
    connect(pBar, &QAbstractSlider::sliderPressed, this, [this, nBar] {
        m_bars[nBar].bTracking = true;
        m_bars[nBar].nTrackPos = m_bars[nBar].info.nPos;
    });
    connect(pBar, &QAbstractSlider::sliderReleased, this, [this, nBar] { OnBarReleased(nBar); });
    m_bars[nBar].pBar = pBar;
    m_bars[nBar].pBarObject = pBar;
    SyncBar(nBar);
    return pBar;
}

void CWndPrivate::SyncBar(int nBar)
{
    Bar& bar = m_bars[nBar];
    if (!bar.pBar)
        return;
    const SCROLLINFO& si = bar.info;
    const int nPage = (int)std::min<UINT>(si.nPage, INT_MAX);
    const int nMaxPos = (int)std::max<long long>(si.nMin, (long long)si.nMax - std::max(nPage - 1, 0));
    bar.pBar->setRange(si.nMin, nMaxPos);
    bar.pBar->setPageStep(nPage);
    bar.pBar->setValue(si.nPos);
    bar.pBar->setEnabled(bar.bEnabled);
}

void CWndPrivate::LayoutBars()
{
    const int nExtent = BarExtent();
    const int cx = m_pWidget->width(), cy = m_pWidget->height(), b = m_nBorder;
    const bool bVert = m_bars[SB_VERT].bShown, bHorz = m_bars[SB_HORZ].bShown;
    if (QScrollBar* pBar = m_bars[SB_VERT].pBar) {
        pBar->setGeometry(cx - b - nExtent, b, nExtent, std::max(0, cy - 2 * b - (bHorz ? nExtent : 0)));
        pBar->setVisible(bVert);
        if (bVert)
            pBar->raise();
    }
    if (QScrollBar* pBar = m_bars[SB_HORZ].pBar) {
        pBar->setGeometry(b, cy - b - nExtent, std::max(0, cx - 2 * b - (bVert ? nExtent : 0)), nExtent);
        pBar->setVisible(bHorz);
        if (bHorz)
            pBar->raise();
    }
}

void CWndPrivate::ShowBar(int nBar, bool bShow)
{
    Bar& bar = m_bars[nBar];
    if (bar.bShown == bShow)
        return;
    bar.bShown = bShow;
    if (bShow && !bar.pBar)
        MakeBar(nBar);
    UpdateClientArea();
}

// The window system's rules: the page is at most the range, the position stays within
// [nMin, nMax - max(nPage - 1, 0)]; a bar whose range no longer scrolls is hidden (or only
// disabled with SIF_DISABLENOSCROLL) and one that scrolls again is shown, unless only the page
// changed.
int CWndPrivate::SetScrollInfo(int nBar, const SCROLLINFO& si, bool bRangeCall)
{
    Bar& bar = m_bars[nBar];
    SCROLLINFO& info = bar.info;
    bool bChanged = bRangeCall;
    if (si.fMask & SIF_PAGE) {
        bChanged = bChanged || info.nPage != si.nPage;
        info.nPage = si.nPage;
    }
    if ((si.fMask & SIF_RANGE) && si.nMin <= si.nMax) {
        bChanged = bChanged || info.nMin != si.nMin || info.nMax != si.nMax;
        info.nMin = si.nMin;
        info.nMax = si.nMax;
    }
    const long long nRange = (long long)info.nMax - info.nMin + 1;
    if ((long long)info.nPage > nRange)
        info.nPage = (UINT)nRange;
    if (si.fMask & SIF_POS)
        info.nPos = si.nPos;
    const long long nMaxPos = (long long)info.nMax - std::max((long long)info.nPage - 1, 0LL);
    info.nPos = (int)std::clamp<long long>(info.nPos, info.nMin, std::max<long long>(info.nMin, nMaxPos));

    const bool bNeeded = info.nMin < nMaxPos;
    int nShow = -1;
    if (si.fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) {
        if (!bNeeded) {
            if (si.fMask & SIF_DISABLENOSCROLL)
                bar.bEnabled = false;
            else if (bChanged)
                nShow = 0;
        } else if (si.fMask != SIF_PAGE) {
            bar.bEnabled = true;
            if (bChanged)
                nShow = 1;
        }
    }
    const int nPos = info.nPos;
    SyncBar(nBar);
    if (nShow >= 0)
        ShowBar(nBar, nShow == 1);   // may send WM_SIZE
    return nPos;
}

// A user action on a bar becomes a scroll message; the thumb goes back to the position until
// the handler sets a new one.
void CWndPrivate::OnBarAction(int nBar, int nAction)
{
    Bar& bar = m_bars[nBar];
    QScrollBar* pBar = bar.pBar;
    UINT nCode;
    int nPos = 0;
    switch (nAction) {
    case QAbstractSlider::SliderSingleStepAdd: nCode = SB_LINEDOWN; break;
    case QAbstractSlider::SliderSingleStepSub: nCode = SB_LINEUP; break;
    case QAbstractSlider::SliderPageStepAdd: nCode = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: nCode = SB_PAGEUP; break;
    case QAbstractSlider::SliderToMinimum: nCode = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: nCode = SB_BOTTOM; break;
    case QAbstractSlider::SliderMove:
        nCode = SB_THUMBTRACK;
        nPos = bar.nTrackPos = pBar->sliderPosition();
        break;
    default:
        return;
    }
    pBar->setSliderPosition(bar.info.nPos);
    QPointer<CWndPrivate> pGuard(this);
    if (nAction == QAbstractSlider::SliderMove && !pBar->isSliderDown()) {
        // A jump without dragging (the bar's menu): the end of a thumb drag at once.
        bar.bTracking = true;
        SendScroll(nBar, SB_THUMBPOSITION, nPos);
        if (!pGuard)
            return;
        m_bars[nBar].bTracking = false;
        SendScroll(nBar, SB_ENDSCROLL, 0);
        return;
    }
    if (nAction == QAbstractSlider::SliderMove) {
        bar.bTracking = true;
    } else if (!bar.bPressed) {
        // From the bar's menu: no button release will end the action.
        SendScroll(nBar, nCode, nPos);
        if (pGuard)
            SendScroll(nBar, SB_ENDSCROLL, 0);
        return;
    }
    bar.bStepped = nAction != QAbstractSlider::SliderMove;
    SendScroll(nBar, nCode, nPos);
}

void CWndPrivate::OnBarReleased(int nBar)
{
    QPointer<CWndPrivate> pGuard(this);
    m_bars[nBar].bTracking = true;
    SendScroll(nBar, SB_THUMBPOSITION, m_bars[nBar].nTrackPos);
    if (!pGuard)
        return;
    m_bars[nBar].bTracking = false;
    m_bars[nBar].bStepped = false;
    SendScroll(nBar, SB_ENDSCROLL, 0);
}

bool CWndPrivate::FilterBarEvent(int nBar, QEvent* pEvent)
{
    Bar& bar = m_bars[nBar];
    switch (pEvent->type()) {
    case QEvent::Wheel:
        return OnQtWheel(static_cast<QWheelEvent*>(pEvent));   // the window scrolls itself
    case QEvent::MouseButtonPress:
        bar.bPressed = true;
        bar.bStepped = false;
        return false;
    case QEvent::MouseButtonRelease: {
        bar.bPressed = false;
        const bool bStepped = bar.bStepped && bar.pBar && !bar.pBar->isSliderDown();
        bar.bStepped = false;
        if (bStepped)
            SendScroll(nBar, SB_ENDSCROLL, 0);
        return false;
    }
    default:
        return false;
    }
}

// The code in the low word of wParam, the 32-bit position above it.
void CWndPrivate::SendScroll(int nBar, UINT nCode, int nPos)
{
    const WPARAM wParam = (WPARAM)nCode | ((WPARAM)(UINT)nPos << 16);
    CWndState::Get().Dispatch(m_pWnd, nBar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, wParam, 0, false);
}

// Standard controls: the widget's own handling of an input or focus message.

bool CWndPrivate::IsWidgetMessage(UINT message)
{
    switch (message) {
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: case WM_MOUSEWHEEL: case WM_MOUSEHWHEEL:
    case WM_KEYDOWN: case WM_KEYUP: case WM_SYSKEYDOWN: case WM_SYSKEYUP: case WM_CHAR:
    case WM_SYSCHAR: case WM_SETFOCUS: case WM_KILLFOCUS:
        return true;
    default:
        return false;
    }
}

namespace {

Qt::KeyboardModifiers ModifiersFromFlags(UINT nFlags)
{
    Qt::KeyboardModifiers mods;
    if (nFlags & MK_SHIFT)
        mods |= Qt::ShiftModifier;
    if (nFlags & MK_CONTROL)
        mods |= Qt::ControlModifier;
    return mods;
}

Qt::MouseButtons ButtonsFromFlags(UINT nFlags)
{
    Qt::MouseButtons buttons;
    if (nFlags & MK_LBUTTON)
        buttons |= Qt::LeftButton;
    if (nFlags & MK_RBUTTON)
        buttons |= Qt::RightButton;
    if (nFlags & MK_MBUTTON)
        buttons |= Qt::MiddleButton;
    return buttons;
}

Qt::KeyboardModifiers CurrentModifiers()
{
    Qt::KeyboardModifiers mods;
    if (GetKeyState(VK_SHIFT) < 0)
        mods |= Qt::ShiftModifier;
    if (GetKeyState(VK_CONTROL) < 0)
        mods |= Qt::ControlModifier;
    if (GetKeyState(VK_MENU) < 0)
        mods |= Qt::AltModifier;
    return mods;
}

std::unique_ptr<QEvent> MakeCharEvent(UINT nChar)
{
    switch (nChar) {
    case 8: return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    case 9: return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
    case 13: return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    case 27: return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    default: break;
    }
    if (nChar >= 1 && nChar <= 26)
        return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_A + (int)nChar - 1,
                                           Qt::ControlModifier, QString(QChar((ushort)nChar)));
    int nKey = 0;
    if (nChar < 0x80)
        nKey = (nChar >= 'a' && nChar <= 'z') ? (int)(nChar - 'a' + 'A') : (int)nChar;
    return std::make_unique<QKeyEvent>(QEvent::KeyPress, nKey, Qt::NoModifier, Keyboard::CharText(nChar));
}

// The Qt event equivalent to a message sent to a control without one.
std::unique_ptr<QEvent> MakeEvent(QWidget* pWidget, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int nBorder = CWndPrivate::BorderOf(pWidget);
    const QPointF ptLocal(GET_X_LPARAM(lParam) + nBorder, GET_Y_LPARAM(lParam) + nBorder);
    const QPointF ptGlobal = pWidget->mapToGlobal(ptLocal);
    const UINT nFlags = (UINT)wParam;
    auto mouse = [&](QEvent::Type type, Qt::MouseButton button) {
        return std::make_unique<QMouseEvent>(type, ptLocal, ptGlobal, button, ButtonsFromFlags(nFlags),
                                             ModifiersFromFlags(nFlags));
    };
    switch (message) {
    case WM_CHAR: case WM_SYSCHAR: return MakeCharEvent((UINT)wParam);
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
        return std::make_unique<QKeyEvent>(QEvent::KeyPress, Keyboard::QtKey((UINT)wParam), CurrentModifiers());
    case WM_KEYUP: case WM_SYSKEYUP:
        return std::make_unique<QKeyEvent>(QEvent::KeyRelease, Keyboard::QtKey((UINT)wParam), CurrentModifiers());
    case WM_MOUSEMOVE: return mouse(QEvent::MouseMove, Qt::NoButton);
    case WM_LBUTTONDOWN: return mouse(QEvent::MouseButtonPress, Qt::LeftButton);
    case WM_LBUTTONUP: return mouse(QEvent::MouseButtonRelease, Qt::LeftButton);
    case WM_LBUTTONDBLCLK: return mouse(QEvent::MouseButtonDblClick, Qt::LeftButton);
    case WM_RBUTTONDOWN: return mouse(QEvent::MouseButtonPress, Qt::RightButton);
    case WM_RBUTTONUP: return mouse(QEvent::MouseButtonRelease, Qt::RightButton);
    case WM_RBUTTONDBLCLK: return mouse(QEvent::MouseButtonDblClick, Qt::RightButton);
    case WM_MBUTTONDOWN: return mouse(QEvent::MouseButtonPress, Qt::MiddleButton);
    case WM_MBUTTONUP: return mouse(QEvent::MouseButtonRelease, Qt::MiddleButton);
    case WM_MBUTTONDBLCLK: return mouse(QEvent::MouseButtonDblClick, Qt::MiddleButton);
    case WM_MOUSEWHEEL: case WM_MOUSEHWHEEL: {
        // The point of a wheel message is in screen coordinates.
        const QPointF ptScreen(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        const int nDelta = (short)HIWORD(wParam);
        const QPoint angle = message == WM_MOUSEWHEEL ? QPoint(0, nDelta) : QPoint(-nDelta, 0);
        return std::make_unique<QWheelEvent>(pWidget->mapFromGlobal(ptScreen), ptScreen, QPoint(), angle,
                                             ButtonsFromFlags(LOWORD(wParam)),
                                             ModifiersFromFlags(LOWORD(wParam)), Qt::NoScrollPhase, false);
    }
    case WM_SETFOCUS: return std::make_unique<QFocusEvent>(QEvent::FocusIn, Qt::OtherFocusReason);
    case WM_KILLFOCUS: return std::make_unique<QFocusEvent>(QEvent::FocusOut, Qt::OtherFocusReason);
    default: return nullptr;
    }
}

// Straight to the widget's own event handling: no filters, no propagation to the parent.
void SendToWidget(QWidget* pWidget, QEvent* pEvent)
{
    pEvent->setAccepted(true);
    static_cast<QObject*>(pWidget)->event(pEvent);
}

} // namespace

// Returns whether the widget took the event (an ignored wheel goes on to the parent).
bool CWndPrivate::DeliverToWidget(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* pWidget = pWnd->m_hWnd;
    const CMsgContext* pContext = CWndState::Get().Current();
    if (pContext && pContext->pWnd == pWnd && pContext->msg.message == message && pContext->pDelivery) {
        CEventDelivery* pDelivery = pContext->pDelivery;
        if (pDelivery->pWidget != pWidget || pDelivery->bDelivered)
            return true;
        // A key that also types a character reaches the widget with its first WM_CHAR.
        if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && pDelivery->bHasChars)
            return true;
        pDelivery->bDelivered = true;
        SendToWidget(pWidget, pDelivery->pEvent);
        return pDelivery->pEvent->isAccepted();
    }
    std::unique_ptr<QEvent> pEvent = MakeEvent(pWidget, message, wParam, lParam);
    if (!pEvent)
        return true;
    SendToWidget(pWidget, pEvent.get());
    return pEvent->isAccepted();
}
