// The window system's global services: capture, cursor, key state, time, system colours and
// metrics, the message font, message boxes.
#include "Wnd.h"

#include "Codec.h"
#include "Font.h"
#include "Keyboard.h"
#include "Testing.h"
#include "WndState.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>
#include <QWidget>
#include <chrono>
#include <utility>

BOOL IsWindow(HWND hWnd)
{
    if (!hWnd)
        return FALSE;
    if (CWnd::FromHandlePermanent(hWnd))
        return TRUE;
    return QApplication::allWidgets().contains(hWnd) && !hWnd->property("afxDestroyed").toBool();
}

BOOL ReleaseCapture()
{
    return CWndState::Get().ReleaseCapture();
}

HCURSOR SetCursor(HCURSOR hCursor)
{
    return CWndState::Get().SetCursor(hCursor);
}

HCURSOR LoadStandardCursor(StdCursor id)
{
    return id;
}

HCURSOR AfxRegisterCursor(const QCursor& cursor)
{
    return CWndState::Get().RegisterCursor(cursor);
}

BOOL GetCursorPos(LPPOINT lpPoint)
{
    const QPoint pt = CWndState::Get().CursorPos();
    lpPoint->x = pt.x();
    lpPoint->y = pt.y();
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    QCursor::setPos(x, y);
    return TRUE;
}

BOOL ClipCursor(LPCRECT lpRect)
{
    if (!lpRect) {
        CWndState::Get().SetClip(nullptr);
        return TRUE;
    }
    const QRect rect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                     lpRect->bottom - lpRect->top);
    CWndState::Get().SetClip(&rect);
    return TRUE;
}

// Without confinement: the whole desktop.
BOOL GetClipCursor(LPRECT lpRect)
{
    QRect rect;
    if (!CWndState::Get().GetClip(&rect)) {
        const QScreen* pScreen = QGuiApplication::primaryScreen();
        rect = pScreen ? pScreen->virtualGeometry() : QRect();
    }
    lpRect->left = rect.left();
    lpRect->top = rect.top();
    lpRect->right = rect.left() + rect.width();
    lpRect->bottom = rect.top() + rect.height();
    return TRUE;
}

DWORD GetMessagePos()
{
    const QPoint pt = CWndState::Get().LastMessagePos();
    return (DWORD)MAKELONG((WORD)(short)pt.x(), (WORD)(short)pt.y());
}

// The state as of the input event being handled; outside one, the keyboard's state now.
SHORT GetKeyState(int nVirtKey)
{
    const QInputEvent* pEvent = CWndState::Get().CurrentInputEvent();
    Qt::KeyboardModifiers mods = pEvent ? pEvent->modifiers() : QGuiApplication::queryKeyboardModifiers();
    Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    bool bKeyDown = false;
    if (pEvent && pEvent->isSinglePointEvent()) {
        buttons = static_cast<const QSinglePointEvent*>(pEvent)->buttons();
    } else if (pEvent && (pEvent->type() == QEvent::KeyPress || pEvent->type() == QEvent::KeyRelease)) {
        // The press of a modifier key itself may not carry its modifier yet.
        auto* pKey = static_cast<const QKeyEvent*>(pEvent);
        const bool bPress = pEvent->type() == QEvent::KeyPress;
        switch (pKey->key()) {
        case Qt::Key_Shift: mods.setFlag(Qt::ShiftModifier, bPress); break;
        case Qt::Key_Control: mods.setFlag(Qt::ControlModifier, bPress); break;
        case Qt::Key_Alt: mods.setFlag(Qt::AltModifier, bPress); break;
        default: break;
        }
        bKeyDown = bPress && Keyboard::VirtualKey(pKey->key(), pKey->modifiers()) == (UINT)nVirtKey;
    }
    bool bDown;
    switch (nVirtKey) {
    case VK_SHIFT: bDown = mods & Qt::ShiftModifier; break;
    case VK_CONTROL: bDown = mods & Qt::ControlModifier; break;
    case VK_MENU: bDown = mods & Qt::AltModifier; break;
    case VK_LBUTTON: bDown = buttons & Qt::LeftButton; break;
    case VK_RBUTTON: bDown = buttons & Qt::RightButton; break;
    case VK_MBUTTON: bDown = buttons & Qt::MiddleButton; break;
    default: bDown = bKeyDown; break;
    }
    return bDown ? (SHORT)0xFF80 : 0;
}

DWORD GetTickCount()
{
    using namespace std::chrono;
    return (DWORD)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

UINT GetDoubleClickTime()
{
    return (UINT)QGuiApplication::styleHints()->mouseDoubleClickInterval();
}

// The system colours are the application palette's.
COLORREF GetSysColor(int nIndex)
{
    const QPalette palette = QGuiApplication::palette();
    QColor color;
    switch (nIndex) {
    case COLOR_SCROLLBAR: color = palette.color(QPalette::Midlight); break;
    case COLOR_BACKGROUND: color = palette.color(QPalette::Window); break;
    case COLOR_WINDOW: color = palette.color(QPalette::Base); break;
    case COLOR_WINDOWFRAME: color = palette.color(QPalette::Shadow); break;
    case COLOR_WINDOWTEXT: color = palette.color(QPalette::Text); break;
    case COLOR_HIGHLIGHT: color = palette.color(QPalette::Highlight); break;
    case COLOR_HIGHLIGHTTEXT: color = palette.color(QPalette::HighlightedText); break;
    case COLOR_BTNFACE: color = palette.color(QPalette::Button); break;
    case COLOR_BTNSHADOW: color = palette.color(QPalette::Dark); break;
    case COLOR_GRAYTEXT: color = palette.color(QPalette::Disabled, QPalette::Text); break;
    case COLOR_BTNTEXT: color = palette.color(QPalette::ButtonText); break;
    case COLOR_3DHIGHLIGHT: color = palette.color(QPalette::Light); break;
    case COLOR_3DDKSHADOW: color = palette.color(QPalette::Shadow); break;
    case COLOR_3DLIGHT: color = palette.color(QPalette::Midlight); break;
    case COLOR_INFOTEXT: color = palette.color(QPalette::ToolTipText); break;
    case COLOR_INFOBK: color = palette.color(QPalette::ToolTipBase); break;
    default: return 0;
    }
    return RGB(color.red(), color.green(), color.blue());
}

int GetSystemMetrics(int nIndex)
{
    const QStyle* pStyle = QApplication::style();
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    switch (nIndex) {
    case SM_CXSCREEN: return pScreen ? pScreen->geometry().width() : 0;
    case SM_CYSCREEN: return pScreen ? pScreen->geometry().height() : 0;
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL:
    case SM_CYVTHUMB: case SM_CXHTHUMB:
        return pStyle ? pStyle->pixelMetric(QStyle::PM_ScrollBarExtent) : 16;
    case SM_CYCAPTION: return pStyle ? pStyle->pixelMetric(QStyle::PM_TitleBarHeight) : 20;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXDRAG: case SM_CYDRAG: return QGuiApplication::styleHints()->startDragDistance();
    default: return 0;
    }
}

BOOL GetMessageFont(LOGFONT* pLogFont)
{
    *pLogFont = Font::ToLogFont(QApplication::font());
    return TRUE;
}

int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    if (Testing::CMessageBoxRecorder* pRecorder = Testing::CMessageBoxRecorder::Active())
        return pRecorder->Answer(lpszText, lpszCaption, nType);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(lpszCaption ? Codec::ToUnicode(CString(lpszCaption)) : QStringLiteral("Error"));
    box.setText(Codec::ToUnicode(CString(lpszText)));
    switch (nType & MB_ICONMASK) {
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (nType & MB_TYPEMASK) {
    case MB_OKCANCEL: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MB_YESNO: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    default: box.setStandardButtons(QMessageBox::Ok); break;
    }
    // The buttons speak the program's language, whatever the desktop's is.
    const std::pair<QMessageBox::StandardButton, const char16_t*> texts[] = {
        {QMessageBox::Ok, u"确定"}, {QMessageBox::Cancel, u"取消"},
        {QMessageBox::Yes, u"是"}, {QMessageBox::No, u"否"}};
    for (const auto& [button, pszText] : texts)
        if (QAbstractButton* pButton = box.button(button))
            pButton->setText(QString::fromUtf16(pszText));
    switch (box.exec()) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
    }
}

UINT GetWheelScrollLines() { return (UINT)QApplication::wheelScrollLines(); }
