// CWndPrivate: the state of one window while a CWnd is attached to it, and the event filter
// that turns the widget's Qt events into window messages: the backing image and the invalid
// region, the scroll bars and their SCROLLINFO, the timers, the font.
#pragma once

#include "WheelAccumulator.h"
#include "Wnd.h"

#include <QImage>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QScrollBar>
#include <map>
#include <optional>

struct CEventDelivery;
class QFocusEvent;
class QInputMethodEvent;
class QInputMethodQueryEvent;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;
class QWheelEvent;

class CWndPrivate : public QObject {
public:
    CWndPrivate(CWnd* pWnd, QWidget* pWidget, bool bOwnsWidget);
    ~CWndPrivate() override;
    void Detach(bool bWidgetAlive);

    // A plain window draws itself through its handlers; a standard control (any other Qt
    // class) is drawn and driven by its widget unless a handler takes over.
    static bool IsPlainWidget(const QWidget* pWidget);
    static int BorderOf(const QWidget* pWidget);   // client offset inside the widget
    static DWORD StyleOf(const QWidget* pWidget);

    CWnd* m_pWnd;
    QWidget* m_pWidget;
    bool m_bOwnsWidget;
    bool m_bPlain;
    const QMetaObject* m_pMeta;   // a different class during the widget's destruction
    WNDCLASS m_class;
    int m_nBorder = 0;
    QMetaObject::Connection m_connDestroyed;

    // Painting.
    QImage m_image;
    QRegion m_rgnInvalid;
    bool m_bErase = false;
    int m_nValidations = 0;         // counts CPaintDCs: a WM_PAINT that made none is validated
    bool m_bDefaultPaint = false;   // a standard control's WM_PAINT reached DefWindowProc
    QSize m_sizeClient {-1, -1};    // the size last reported through WM_SIZE
    CFont* m_pFont = nullptr;
    qint64 m_nPaletteKey = 0;

    // Scroll bars.
    struct Bar {
        QPointer<QScrollBar> pBar;
        const QObject* pBarObject = nullptr;   // identity only: events come during its destruction
        SCROLLINFO info {sizeof(SCROLLINFO), 0, 0, 100, 0, 0, 0};
        bool bShown = false;
        bool bEnabled = true;
        bool bTracking = false;     // the thumb is being dragged
        int nTrackPos = 0;
        bool bStepped = false;      // a line or page action since the press: SB_ENDSCROLL on release
        bool bPressed = false;      // a mouse button is down on the bar
    };
    Bar m_bars[2];
    QRect ClientRect() const;       // client coordinates: (0, 0, width, height)
    QRect ClientInWidget() const;   // the client area in widget coordinates
    int BarExtent() const;
    void ShowBar(int nBar, bool bShow);
    // Returns the new position. bRangeCall: SetScrollRange, which always updates visibility.
    int SetScrollInfo(int nBar, const SCROLLINFO& si, bool bRangeCall);
    void SyncBar(int nBar);
    void LayoutBars();
    QScrollBar* MakeBar(int nBar);
    void OnBarAction(int nBar, int nAction);
    void OnBarReleased(int nBar);
    void SendScroll(int nBar, UINT nCode, int nPos);

    // Client size changes: resize the backing image, invalidate, send WM_SIZE.
    void UpdateClientArea();
    void ResizeImage(QSize size);
    qreal ScreenRatio() const;
    void FollowScreenRatio();
    void Invalidate(const QRect& rect, bool bErase);   // client coordinates
    void RunPaint();                                   // one WM_PAINT cycle now
    // DCs drawing into the backing image; a resize waits until the last one is released.
    void DCAttached();
    void DCReleased();
    int m_nDCs = 0;
    bool m_bResizePending = false;

    // A standard control's own handling of an input or focus message (DefWindowProc).
    static bool IsWidgetMessage(UINT message);
    static bool DeliverToWidget(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Wheel turns not yet making a whole step.
    CWheelAccumulator m_wheel;

    // Timers: window timer id -> Qt timer id.
    std::map<UINT_PTR, int> m_timers;

    // Input methods: a composition running in this plain window, the window that shows it,
    // and the caret the input method last heard of (widget coordinates).
    bool m_bComposing = false;
    QPointer<QWidget> m_pCompositionTarget;
    QRect m_rectCaretTold;
    bool TellsItsOwnCaret() const;
    std::optional<QRect> CaretInWidget() const;
    void NoteCaretMoved();

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override;
    void timerEvent(QTimerEvent* pEvent) override;

private:
    bool FilterWidgetEvent(QEvent* pEvent);
    bool FilterBarEvent(int nBar, QEvent* pEvent);
    bool OnQtPaint(QPaintEvent* pEvent);
    void Blit(QPaintEvent* pEvent);
    bool OnQtKey(QKeyEvent* pEvent);
    bool OnQtInputMethod(QInputMethodEvent* pEvent);
    bool OnQtInputMethodQuery(QInputMethodQueryEvent* pEvent);
    void StartComposition();
    void EndComposition();
    bool OnQtFocus(QFocusEvent* pEvent);
    void OnPaletteChange();

public:
    // Mouse events, also those redirected to the capture window.
    bool OnQtMouse(QMouseEvent* pEvent);
    bool OnQtWheel(QWheelEvent* pEvent);
};
