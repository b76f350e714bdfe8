#include "Edit.h"

#include "Codec.h"
#include "ControlWidgets.h"
#include "WndState.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QValidator>
#include <algorithm>

namespace {

// WM_GETDLGCODE answers of an edit beyond afxtypes.h (the dialog layer names them too).
const UINT s_nDlgcWantMessage = 0x0004;
const UINT s_nDlgcHasSetSel = 0x0008;

QLineEdit* LineEditOf(QWidget* pWidget)
{
    return qobject_cast<QLineEdit*>(pWidget);
}

QPlainTextEdit* TextEditOf(QWidget* pWidget)
{
    return qobject_cast<QPlainTextEdit*>(pWidget);
}

QString WidgetText(QWidget* pWidget)
{
    if (QLineEdit* pLine = LineEditOf(pWidget))
        return pLine->text();
    if (QPlainTextEdit* pText = TextEditOf(pWidget))
        return pText->toPlainText();
    return QString();
}

bool IsAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; });
}

// Length of a text in the system's bytes.
int ByteLength(const QString& text)
{
    return IsAscii(text) ? (int)text.size() : Codec::FromUnicode(text).GetLength();
}

// The character index at a byte offset; an offset inside a multi-byte character counts the
// whole character.
int IndexAt(const QString& text, int nByte)
{
    if (IsAscii(text))
        return std::clamp(nByte, 0, (int)text.size());
    int nBytes = 0;
    int i = 0;
    while (i < text.size() && nBytes < nByte) {
        const int nUnits = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        nBytes += ByteLength(text.mid(i, nUnits));
        i += nUnits;
    }
    return i;
}

int ByteOffset(const QString& text, int nIndex)
{
    return ByteLength(text.left(nIndex));
}

// Refuses input whose bytes would be longer than the limit.
class CByteLimitValidator : public QValidator {
public:
    CByteLimitValidator(int nLimit, QObject* pParent) : QValidator(pParent), m_nLimit(nLimit) {}
    State validate(QString& input, int&) const override
    {
        return ByteLength(input) <= m_nLimit ? Acceptable : Invalid;
    }

private:
    int m_nLimit;
};

QString BorderSheet(const char* pszClass)
{
    const COLORREF cr = GetSysColor(COLOR_WINDOWFRAME);
    return QString("%1 { border: 1px solid rgb(%2, %3, %4); padding: 0px; }")
        .arg(pszClass)
        .arg(GetRValue(cr))
        .arg(GetGValue(cr))
        .arg(GetBValue(cr));
}

QWidget* MakeSingleLine(DWORD dwStyle, DWORD dwExStyle)
{
    auto* pEdit = new QLineEdit;
    if (dwStyle & ES_RIGHT)
        pEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    else if (dwStyle & ES_CENTER)
        pEdit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    else
        pEdit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (dwStyle & ES_PASSWORD)
        pEdit->setEchoMode(QLineEdit::Password);
    pEdit->setReadOnly((dwStyle & ES_READONLY) != 0);
    if (dwExStyle & WS_EX_CLIENTEDGE)
        pEdit->setFrame(true);
    else if (dwStyle & WS_BORDER)
        pEdit->setStyleSheet(BorderSheet("QLineEdit"));
    else
        pEdit->setFrame(false);
    return pEdit;
}

QWidget* MakeMultiLine(DWORD dwStyle, DWORD dwExStyle)
{
    auto* pEdit = new QPlainTextEdit;
    pEdit->setReadOnly((dwStyle & ES_READONLY) != 0);
    // Tab belongs to the dialog; the edit wraps lines unless it scrolls sideways.
    pEdit->setTabChangesFocus(true);
    pEdit->setLineWrapMode((dwStyle & ES_AUTOHSCROLL) || (dwStyle & WS_HSCROLL) ? QPlainTextEdit::NoWrap
                                                                               : QPlainTextEdit::WidgetWidth);
    pEdit->setVerticalScrollBarPolicy(dwStyle & WS_VSCROLL ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    pEdit->setHorizontalScrollBarPolicy(dwStyle & WS_HSCROLL ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    if (!(dwExStyle & WS_EX_CLIENTEDGE)) {
        if (dwStyle & WS_BORDER)
            pEdit->setStyleSheet(BorderSheet("QPlainTextEdit"));
        else
            pEdit->setFrameShape(QFrame::NoFrame);
    }
    return pEdit;
}

} // namespace

QWidget* CEdit::CreateEditWidget(DWORD dwStyle, DWORD dwExStyle)
{
    QWidget* pWidget = (dwStyle & ES_MULTILINE) ? MakeMultiLine(dwStyle, dwExStyle)
                                                : MakeSingleLine(dwStyle, dwExStyle);
    if (QLineEdit* pLine = LineEditOf(pWidget))
        QObject::connect(pLine, &QLineEdit::textChanged, pLine, [pLine] { ControlWidgets::NotifyParent(pLine, EN_CHANGE); });
    else if (QPlainTextEdit* pText = TextEditOf(pWidget))
        QObject::connect(pText, &QPlainTextEdit::textChanged, pText, [pText] { ControlWidgets::NotifyParent(pText, EN_CHANGE); });
    // A click gives an edit the focus; Tab reaches it only as a tab stop.
    pWidget->setFocusPolicy(dwStyle & WS_TABSTOP ? Qt::StrongFocus : Qt::ClickFocus);
    return pWidget;
}

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, dwStyle, rect, pParentWnd, nID);
}

BOOL CEdit::CreateEx(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (GetSafeHwnd() || !pParentWnd || !pParentWnd->GetSafeHwnd())
        return FALSE;   // an edit is always some window's child
    dwStyle |= WS_CHILD;
    QWidget* pWidget = CreateEditWidget(dwStyle, dwExStyle);
    pWidget->setProperty("afxExStyle", (uint)dwExStyle);
    if (!CreateFromWidget(pWidget, dwStyle, rect, pParentWnd, nID)) {
        if (!FromHandlePermanent(pWidget))
            delete pWidget;
        return FALSE;
    }
    return TRUE;
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL /*bNoScroll*/)
{
    QWidget* pWidget = GetSafeHwnd();
    if (!pWidget)
        return;
    const QString text = WidgetText(pWidget);
    const int nLength = (int)text.size();
    if (QLineEdit* pLine = LineEditOf(pWidget)) {
        if (nStartChar == -1) {
            pLine->deselect();
            return;
        }
        const int nStart = IndexAt(text, nStartChar);
        const int nEnd = nEndChar < 0 ? nLength : IndexAt(text, nEndChar);
        if (nStart == nEnd) {
            pLine->deselect();
            pLine->setCursorPosition(nEnd);
        } else {
            pLine->setSelection(nStart, nEnd - nStart);   // a negative length selects backwards
        }
    } else if (QPlainTextEdit* pText = TextEditOf(pWidget)) {
        QTextCursor cursor = pText->textCursor();
        if (nStartChar == -1) {
            cursor.clearSelection();
        } else {
            cursor.setPosition(IndexAt(text, nStartChar));
            cursor.setPosition(nEndChar < 0 ? nLength : IndexAt(text, nEndChar), QTextCursor::KeepAnchor);
        }
        pText->setTextCursor(cursor);
    }
}

void CEdit::SetSel(DWORD dwSelection, BOOL bNoScroll)
{
    SetSel((int)(short)LOWORD(dwSelection), (int)(short)HIWORD(dwSelection), bNoScroll);
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    nStartChar = nEndChar = 0;
    QWidget* pWidget = GetSafeHwnd();
    if (!pWidget)
        return;
    const QString text = WidgetText(pWidget);
    int nStart = 0, nEnd = 0;
    if (QLineEdit* pLine = LineEditOf(pWidget)) {
        if (pLine->hasSelectedText()) {
            nStart = pLine->selectionStart();
            nEnd = pLine->selectionEnd();
        } else {
            nStart = nEnd = pLine->cursorPosition();
        }
    } else if (QPlainTextEdit* pText = TextEditOf(pWidget)) {
        const QTextCursor cursor = pText->textCursor();
        nStart = cursor.selectionStart();
        nEnd = cursor.selectionEnd();
    }
    nStartChar = ByteOffset(text, nStart);
    nEndChar = ByteOffset(text, nEnd);
}

DWORD CEdit::GetSel() const
{
    int nStart, nEnd;
    GetSel(nStart, nEnd);
    return (DWORD)MAKELONG(nStart, nEnd);
}

void CEdit::ReplaceSel(LPCTSTR lpszNewText, BOOL /*bCanUndo*/)
{
    const QString text = Codec::ToUnicode(CString(lpszNewText ? lpszNewText : ""));
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd()))
        pLine->insert(text);
    else if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()))
        pText->insertPlainText(text);
}

void CEdit::LimitText(int nChars)
{
    m_nLimit = (UINT)std::max(nChars, 0);
    QLineEdit* pLine = LineEditOf(GetSafeHwnd());
    if (!pLine)
        return;
    delete pLine->validator();
    pLine->setValidator(m_nLimit ? new CByteLimitValidator((int)m_nLimit, pLine) : nullptr);
}

void CEdit::SetMargins(UINT nLeft, UINT nRight)
{
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd()))
        pLine->setTextMargins((int)nLeft, 0, (int)nRight, 0);
    else if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()))
        pText->document()->setDocumentMargin((qreal)std::max(nLeft, nRight));
}

BOOL CEdit::SetReadOnly(BOOL bReadOnly)
{
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd()))
        pLine->setReadOnly(bReadOnly != FALSE);
    else if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()))
        pText->setReadOnly(bReadOnly != FALSE);
    else
        return FALSE;
    return TRUE;
}

BOOL CEdit::GetModify() const
{
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd()))
        return pLine->isModified();
    if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()))
        return pText->document()->isModified();
    return FALSE;
}

void CEdit::SetModify(BOOL bModified)
{
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd()))
        pLine->setModified(bModified != FALSE);
    else if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()))
        pText->document()->setModified(bModified != FALSE);
}

void CEdit::Cut()
{
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd()))
        pLine->cut();
    else if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()))
        pText->cut();
}

void CEdit::Copy()
{
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd()))
        pLine->copy();
    else if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()))
        pText->copy();
}

void CEdit::Paste()
{
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd()))
        pLine->paste();
    else if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()))
        pText->paste();
}

void CEdit::Clear()
{
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd()))
        pLine->del();
    else if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()))
        pText->textCursor().removeSelectedText();
}

BOOL CEdit::Undo()
{
    if (QLineEdit* pLine = LineEditOf(GetSafeHwnd())) {
        const BOOL bCan = pLine->isUndoAvailable();
        pLine->undo();
        return bCan;
    }
    if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd())) {
        const BOOL bCan = pText->document()->isUndoAvailable();
        pText->undo();
        return bCan;
    }
    return FALSE;
}

// A key the widget ignores (Page Down in a single-line edit) would travel on to the parent
// window as Qt propagates ignored events; the edit had it, so it ends here.
void CEdit::KeepKeyHere()
{
    if (const QInputEvent* pEvent = CWndState::Get().CurrentInputEvent())
        const_cast<QInputEvent*>(pEvent)->accept();
}

// Ctrl+Enter breaks the line of a multi-line edit, which the Qt text widget ignores.
void CEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_RETURN && (GetStyle() & ES_MULTILINE) && GetKeyState(VK_CONTROL) < 0) {
        if (QPlainTextEdit* pText = TextEditOf(GetSafeHwnd()); pText && !pText->isReadOnly())
            pText->insertPlainText(QStringLiteral("\n"));
        KeepKeyHere();
        return;
    }
    CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
    KeepKeyHere();
}

void CEdit::OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    CWnd::OnKeyUp(nChar, nRepCnt, nFlags);
    KeepKeyHere();
}

// The default already hands a wheel the widget cannot use to the parent window.
BOOL CEdit::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt)
{
    const BOOL bResult = CWnd::OnMouseWheel(nFlags, zDelta, pt);
    KeepKeyHere();
    return bResult;
}

void CEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const bool bPrintable = nChar >= 0x20 && nChar != 0x7F;
    if ((GetStyle() & ES_NUMBER) && bPrintable && !(nChar >= '0' && nChar <= '9')) {
        QApplication::beep();
        return;
    }
    CWnd::OnChar(nChar, nRepCnt, nFlags);
    KeepKeyHere();
}

UINT CEdit::OnGetDlgCode()
{
    UINT nCode = DLGC_WANTCHARS | s_nDlgcHasSetSel | DLGC_WANTARROWS;
    const DWORD dwStyle = GetStyle();
    if (dwStyle & ES_MULTILINE) {
        const MSG* pMsg = reinterpret_cast<const MSG*>(GetCurrentMessage()->lParam);
        const bool bEnter = pMsg && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN;
        if (bEnter && ((dwStyle & ES_WANTRETURN) || GetKeyState(VK_CONTROL) < 0))
            nCode |= s_nDlgcWantMessage;
    }
    return nCode;
}
