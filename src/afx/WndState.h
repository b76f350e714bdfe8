// CWndState: what the window system keeps for the whole process: the handle maps from widgets
// to window objects, the registered window classes, the messages being dispatched, the mouse
// capture, the cursor, the last mouse position, and the queue of posted messages. Its
// application-wide event filter sees every input event first.
#pragma once

#include "Wnd.h"

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

class QInputEvent;
class QMouseEvent;

// A Qt event being translated into messages. The wrapped widget of a standard control gets
// it at most once, when a handler hands the message on (DefWindowProc).
struct CEventDelivery {
    QEvent* pEvent = nullptr;
    QWidget* pWidget = nullptr;
    bool bHasChars = false;    // a key that also gives WM_CHAR: delivered with the first WM_CHAR
    bool bDelivered = false;
};

// One message being dispatched; they nest as handlers send messages.
struct CMsgContext {
    CWnd* pWnd = nullptr;
    MSG msg {};
    CEventDelivery* pDelivery = nullptr;   // set for the window the Qt event was for
    CMsgContext* pOuter = nullptr;
};

class CWndState : public QObject {
public:
    static CWndState& Get();

    // Handle maps.
    CWnd* LookupPermanent(QWidget* pWidget) const;
    CWnd* LookupOrMakeTemporary(QWidget* pWidget);
    void AddPermanent(QWidget* pWidget, CWnd* pWnd);
    void RemovePermanent(QWidget* pWidget);

    // Window classes; a NULL name is the default class of plain windows.
    BOOL RegisterClass(const WNDCLASS& wc);
    BOOL LookupClass(LPCTSTR lpszClassName, WNDCLASS* pWndClass) const;

    // Dispatch: runs pWnd's WindowProc with a context that Default(), GetCurrentMessage() and
    // GetKeyState() read. Queued messages (input, timers, posted ones) first pass through
    // PreTranslateMessage of the window and its parents; TRUE there swallows the message.
    LRESULT Dispatch(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam, bool bQueued,
                     CEventDelivery* pDelivery = nullptr, bool* pbSwallowed = nullptr);
    const CMsgContext* Current() const { return m_pCurrent; }
    const QInputEvent* CurrentInputEvent() const;
    void Post(QWidget* pWidget, UINT message, WPARAM wParam, LPARAM lParam);

    // Counts Qt events being handled: a window destroyed meanwhile is deleted later.
    int m_nQtDepth = 0;

    // Capture.
    QWidget* CaptureWidget() const { return m_pCapture; }
    CWnd* SetCapture(CWnd* pWnd);
    BOOL ReleaseCapture();
    void DropCapture(QWidget* pWidget);   // the window is going away: no message

    // Cursor.
    HCURSOR SetCursor(HCURSOR hCursor);
    HCURSOR RegisterCursor(const QCursor& cursor);
    QCursor ToQCursor(HCURSOR hCursor) const;

    // Mouse position and confinement (screen coordinates).
    QPoint ClipPoint(QPoint pt) const;
    void SetClip(const QRect* pRect);
    bool GetClip(QRect* pRect) const;
    QPoint CursorPos() const;
    void NoteCursorPos(QPoint pt);
    QPoint LastMessagePos() const { return m_ptLastMouse; }

    // Focus: the widget that lost the focus last (the "old" window of WM_SETFOCUS).
    QPointer<QWidget> m_pLastFocusOut;

    // Double clicks of plain windows follow the window system's rule (same button, window,
    // time and place), not Qt's event sequence.
    bool IsDoubleClick(QWidget* pWidget, const QMouseEvent* pEvent);
    // Qt follows the second press of a double click with its own double-click event.
    bool IsCompanionDoubleClick(QWidget* pWidget, const QMouseEvent* pEvent) const;
    void NoteDoubleClick(QWidget* pWidget, const QMouseEvent* pEvent);
    bool m_bLastPressWasDouble = false;

    void EnsureApplicationFilter();

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;
    void customEvent(QEvent* pEvent) override;

private:
    CWndState() = default;
    bool RedirectToCapture(QWidget* pWidget, QEvent* pEvent);
    BOOL WalkPreTranslateTree(MSG* pMsg);

    std::unordered_map<QWidget*, CWnd*> m_mapPermanent;
    std::unordered_map<QWidget*, CWnd*> m_mapTemporary;
    std::map<std::string, WNDCLASS> m_classes;
    CMsgContext* m_pCurrent = nullptr;
    QPointer<QWidget> m_pCapture;
    QPointer<QWidget> m_pMouseWidget;   // the widget of the last mouse event
    HCURSOR m_hCursor = IDC_ARROW;
    std::vector<QCursor> m_cursors;     // program cursors, from AfxRegisterCursor
    bool m_bClip = false;
    QRect m_rectClip;
    bool m_bHaveMouse = false;
    QPoint m_ptLastMouse;
    QPoint m_ptQtCursorAtLastMouse;
    // The last press, for double clicks.
    QPointer<QWidget> m_pLastPressWidget;
    Qt::MouseButton m_lastPressButton = Qt::NoButton;
    quint64 m_nLastPressTime = 0;
    QPoint m_ptLastPress;
    bool m_bFilterInstalled = false;
};
