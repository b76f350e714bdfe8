#include "Ole.h"

#include "Codec.h"
#include "Wnd.h"

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QWidget>

namespace {

QClipboard* Clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                          : nullptr;
}

// CF_TEXT ends at its first NUL. Taken and given back by value: a clipboard text can be a
// whole table, and most have no NUL to cut.
CString UpToFirstNul(CString str)
{
    const size_t nNul = str.str().find('\0');
    if (nNul != std::string::npos)
        str = CString(str.str().substr(0, nNul));
    return str;
}

DWORD KeyStateOf(const QDropEvent* pEvent)
{
    DWORD dwKeyState = 0;
    const Qt::MouseButtons buttons = pEvent->buttons();
    const Qt::KeyboardModifiers mods = pEvent->modifiers();
    if (buttons & Qt::LeftButton)
        dwKeyState |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        dwKeyState |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        dwKeyState |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        dwKeyState |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        dwKeyState |= MK_CONTROL;
    return dwKeyState;
}

Qt::DropAction ActionOf(DROPEFFECT dropEffect)
{
    if (dropEffect & DROPEFFECT_MOVE)
        return Qt::MoveAction;
    if (dropEffect & DROPEFFECT_COPY)
        return Qt::CopyAction;
    if (dropEffect & DROPEFFECT_LINK)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

DROPEFFECT EffectOf(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
    }
}

// Turns the drag events of one widget into the drop target's calls. An event answered with
// DROPEFFECT_NONE (or a drop answered FALSE) is ignored, which shows the no-drop cursor and
// refuses the drop.
class CDropFilter : public QObject {
public:
    CDropFilter(COleDropTarget* pTarget, CWnd* pWnd)
        : m_pTarget(pTarget), m_pWnd(pWnd), m_pWidget(pWnd->GetSafeHwnd())
    {
    }
    QWidget* Widget() const { return m_pWidget; }

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override
    {
        if (pObject != m_pWidget)
            return false;
        switch (pEvent->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove:
            OnDragMove(static_cast<QDragMoveEvent*>(pEvent));
            return true;
        case QEvent::DragLeave:
            m_pTarget->OnDragLeave(m_pWnd);
            return true;
        case QEvent::Drop:
            OnDrop(static_cast<QDropEvent*>(pEvent));
            return true;
        default:
            return false;
        }
    }

private:
    CPoint ClientPoint(const QDropEvent* pEvent) const
    {
        const QPoint ptScreen = m_pWidget->mapToGlobal(pEvent->position().toPoint());
        CPoint point(ptScreen.x(), ptScreen.y());
        m_pWnd->ScreenToClient(&point);
        return point;
    }

    void OnDragMove(QDragMoveEvent* pEvent)
    {
        COleDataObject data;
        data.Attach(pEvent->mimeData());
        const DWORD dwKeyState = KeyStateOf(pEvent);
        const CPoint point = ClientPoint(pEvent);
        DROPEFFECT dropEffect;
        if (pEvent->type() == QEvent::DragEnter) {
            dropEffect = m_pTarget->OnDragEnter(m_pWnd, &data, dwKeyState, point);
        } else {
            dropEffect = m_pTarget->OnDragScroll(m_pWnd, dwKeyState, point);
            if (!(dropEffect & DROPEFFECT_SCROLL))
                dropEffect = m_pTarget->OnDragOver(m_pWnd, &data, dwKeyState, point);
        }
        const Qt::DropAction action = ActionOf(dropEffect & ~DROPEFFECT_SCROLL);
        if (action == Qt::IgnoreAction) {
            pEvent->ignore();
            return;
        }
        pEvent->setDropAction(action);
        pEvent->accept();
    }

    void OnDrop(QDropEvent* pEvent)
    {
        COleDataObject data;
        data.Attach(pEvent->mimeData());
        if (m_pTarget->OnDrop(m_pWnd, &data, EffectOf(pEvent->dropAction()), ClientPoint(pEvent)))
            pEvent->acceptProposedAction();
        else
            pEvent->ignore();
    }

    COleDropTarget* m_pTarget;
    CWnd* m_pWnd;
    QPointer<QWidget> m_pWidget;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// COleDataSource

void COleDataSource::CacheText(CString strText)
{
    m_strText = UpToFirstNul(std::move(strText));
    m_bHasText = TRUE;
}

void COleDataSource::SetClipboard()
{
    if (QClipboard* pClipboard = Clipboard()) {
        auto* pMime = new QMimeData;   // without text it empties the clipboard
        if (m_bHasText)
            pMime->setText(Codec::ToUnicode(m_strText));
        pClipboard->setMimeData(pMime);
    }
    delete this;
}

// The clipboard already holds a rendered copy that no object of the program owns, and the
// platform hands it to the desktop's clipboard manager when the application quits; there is
// no delayed rendering left to finish.
void COleDataSource::FlushClipboard()
{
}

BOOL COleDataSource::IsClipboardOwned()
{
    QClipboard* pClipboard = Clipboard();
    return pClipboard && pClipboard->ownsClipboard();
}

// ---------------------------------------------------------------------------------------------
// COleDataObject

BOOL COleDataObject::AttachClipboard()
{
    if (!Clipboard())
        return FALSE;
    m_bClipboard = TRUE;
    m_pData = nullptr;
    return TRUE;
}

void COleDataObject::Attach(const QMimeData* pData)
{
    m_bClipboard = FALSE;
    m_pData = pData;
}

void COleDataObject::Release()
{
    m_bClipboard = FALSE;
    m_pData = nullptr;
}

const QMimeData* COleDataObject::Data() const
{
    if (!m_bClipboard)
        return m_pData;
    QClipboard* pClipboard = Clipboard();
    return pClipboard ? pClipboard->mimeData() : nullptr;
}

BOOL COleDataObject::IsDataAvailable(UINT cfFormat) const
{
    const QMimeData* pData = Data();
    return cfFormat == CF_TEXT && pData && pData->hasText();
}

BOOL COleDataObject::GetText(CString& strText) const
{
    const QMimeData* pData = Data();
    if (!pData || !pData->hasText())
        return FALSE;
    strText = UpToFirstNul(Codec::FromUnicode(pData->text()));
    return TRUE;
}

BOOL IsClipboardFormatAvailable(UINT cfFormat)
{
    COleDataObject data;
    return data.AttachClipboard() && data.IsDataAvailable(cfFormat);
}

// ---------------------------------------------------------------------------------------------
// COleDropTarget

COleDropTarget::~COleDropTarget()
{
    COleDropTarget::Revoke();
}

BOOL COleDropTarget::Register(CWnd* pWnd)
{
    if (m_pFilter || !CWnd::GetSafeHwnd(pWnd))
        return FALSE;
    auto* pFilter = new CDropFilter(this, pWnd);
    pWnd->GetSafeHwnd()->installEventFilter(pFilter);
    pWnd->GetSafeHwnd()->setAcceptDrops(true);
    m_pFilter = pFilter;
    m_pWnd = pWnd;
    return TRUE;
}

void COleDropTarget::Revoke()
{
    if (!m_pFilter)
        return;
    // A widget that is already gone dropped the filter with itself.
    if (QWidget* pWidget = static_cast<CDropFilter*>(m_pFilter)->Widget())
        pWidget->setAcceptDrops(false);
    delete m_pFilter;
    m_pFilter = nullptr;
    m_pWnd = nullptr;
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}

BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, CPoint)
{
    return FALSE;
}

void COleDropTarget::OnDragLeave(CWnd*)
{
}

DROPEFFECT COleDropTarget::OnDragScroll(CWnd*, DWORD, CPoint)
{
    return DROPEFFECT_NONE;
}
