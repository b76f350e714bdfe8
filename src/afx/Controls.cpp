#include "Controls.h"

#include "Codec.h"
#include "ControlWidgets.h"
#include "Resource.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {

QColor ToQColor(COLORREF cr)
{
    return QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

COLORREF ToColorRef(const QColor& color)
{
    return RGB(color.red(), color.green(), color.blue());
}

bool IsFrameStyle(DWORD dwType)
{
    return (dwType >= SS_BLACKRECT && dwType <= SS_WHITEFRAME)
        || (dwType >= SS_ETCHEDHORZ && dwType <= SS_ETCHEDFRAME);
}

QWidget* MakeFrame(DWORD dwStyle)
{
    auto* pFrame = new QFrame;
    const DWORD dwType = dwStyle & SS_TYPEMASK;
    const bool bFilled = dwType >= SS_BLACKRECT && dwType <= SS_WHITERECT;
    pFrame->setFrameShape(bFilled ? QFrame::Panel : QFrame::Box);
    pFrame->setFrameShadow((dwStyle & SS_SUNKEN) || dwType >= SS_ETCHEDHORZ ? QFrame::Sunken
                                                                           : QFrame::Plain);
    pFrame->setLineWidth(1);
    return pFrame;
}

} // namespace

namespace ControlWidgets {

QString StripPrefix(const QString& strText)
{
    QString result;
    for (int i = 0; i < strText.size(); ++i) {
        if (strText[i] == u'&' && i + 1 < strText.size())
            ++i;
        result += strText[i];
    }
    return result;
}

int IconSize()
{
    return 32;
}

void NotifyParent(QWidget* pControl, UINT nCode)
{
    QWidget* pParent = pControl->parentWidget();
    CWnd* pParentWnd = pParent ? CWnd::FromHandle(pParent) : nullptr;
    if (!pParentWnd)
        return;
    const UINT nID = pControl->property("afxId").toUInt();
    pParentWnd->SendMessage(WM_COMMAND, (WPARAM)(DWORD)MAKELONG(nID, nCode), reinterpret_cast<LPARAM>(pControl));
}

QWidget* MakeButton(const QString& strText, DWORD dwStyle)
{
    if ((dwStyle & BS_TYPEMASK) == BS_GROUPBOX)
        return new QGroupBox(StripPrefix(strText));
    if ((dwStyle & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        auto* pCheck = new QCheckBox(StripPrefix(strText));
        QObject::connect(pCheck, &QCheckBox::clicked, pCheck, [pCheck] { NotifyParent(pCheck, BN_CLICKED); });
        return pCheck;
    }
    auto* pButton = new QPushButton(strText);
    pButton->setAutoDefault(false);   // the dialog manager decides what Enter presses
    pButton->setDefault((dwStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    QObject::connect(pButton, &QPushButton::clicked, pButton, [pButton] { NotifyParent(pButton, BN_CLICKED); });
    return pButton;
}

QWidget* MakeStatic(const QString& strText, DWORD dwStyle)
{
    const DWORD dwType = dwStyle & SS_TYPEMASK;
    if (IsFrameStyle(dwType))
        return MakeFrame(dwStyle);
    auto* pLabel = new QLabel;
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setContentsMargins(0, 0, 0, 0);
    pLabel->setIndent(0);
    if (dwType == SS_ICON) {
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return pLabel;
    }
    pLabel->setText(dwStyle & SS_NOPREFIX ? strText : StripPrefix(strText));
    Qt::Alignment align = Qt::AlignTop;
    align |= dwType == SS_CENTER ? Qt::AlignHCenter : dwType == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
    if (dwStyle & SS_CENTERIMAGE)
        align = (align & ~Qt::AlignTop) | Qt::AlignVCenter;
    pLabel->setAlignment(align);
    pLabel->setWordWrap(dwType != SS_LEFTNOWORDWRAP);
    return pLabel;
}

} // namespace ControlWidgets

HGDIOBJ GetStockObject(int nIndex)
{
    static CBrush s_null, s_white(RGB(255, 255, 255)), s_black(RGB(0, 0, 0));
    if (!s_null.IsValid())
        s_null.CreateStockObject(NULL_BRUSH);
    switch (nIndex) {
    case NULL_BRUSH: return &s_null;
    case WHITE_BRUSH: return &s_white;
    case BLACK_BRUSH: return &s_black;
    default: return nullptr;
    }
}

CFont* AfxGetControlFont(HWND hWnd)
{
    return hWnd ? reinterpret_cast<CFont*>(hWnd->property("afxDialogFont").value<quintptr>()) : nullptr;
}

void AfxSetControlFont(HWND hWnd, CFont* pFont)
{
    if (hWnd)
        hWnd->setProperty("afxDialogFont", QVariant::fromValue(reinterpret_cast<quintptr>(pFont)));
}

// Attaches a control's new widget as a child window; the widget is deleted when that fails.
static BOOL CreateChildControl(CWnd& wnd, QWidget* pWidget, DWORD dwStyle, const RECT& rect,
                               CWnd* pParentWnd, UINT nID, LPCTSTR lpszClassName)
{
    if (!wnd.CreateFromWidget(pWidget, dwStyle | WS_CHILD, rect, pParentWnd, nID, lpszClassName)) {
        delete pWidget;
        return FALSE;
    }
    return TRUE;
}

// CButton.

BOOL CButton::Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    QWidget* pWidget = ControlWidgets::MakeButton(Codec::ToUnicode(CString(lpszCaption)), dwStyle);
    return CreateChildControl(*this, pWidget, dwStyle, rect, pParentWnd, nID, "Button");
}

UINT CButton::GetButtonStyle() const
{
    return GetStyle() & BS_TYPEMASK;
}

void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw)
{
    if (!m_hWnd)
        return;
    const DWORD dwStyle = (m_hWnd->property("afxStyle").toUInt() & ~BS_TYPEMASK) | (nStyle & BS_TYPEMASK);
    m_hWnd->setProperty("afxStyle", (uint)dwStyle);
    if (auto* pButton = qobject_cast<QPushButton*>(m_hWnd))
        pButton->setDefault((nStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
    if (bRedraw)
        Invalidate();
}

void CButton::Click()
{
    if (auto* pButton = qobject_cast<QAbstractButton*>(m_hWnd))
        pButton->click();
}

int CButton::GetCheck() const
{
    const auto* pCheck = qobject_cast<QCheckBox*>(m_hWnd);
    return pCheck && pCheck->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck)
{
    if (auto* pCheck = qobject_cast<QCheckBox*>(m_hWnd))
        pCheck->setChecked(nCheck == BST_CHECKED);
}

// CStatic.

BOOL CStatic::Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    QWidget* pWidget = ControlWidgets::MakeStatic(Codec::ToUnicode(CString(lpszText)), dwStyle);
    return CreateChildControl(*this, pWidget, dwStyle, rect, pParentWnd, nID, "Static");
}

HICON CStatic::SetIcon(HICON hIcon)
{
    const HICON hOld = GetIcon();
    auto* pLabel = qobject_cast<QLabel*>(m_hWnd);
    if (!pLabel)
        return hOld;
    pLabel->setProperty("afxIcon", QVariant::fromValue(reinterpret_cast<quintptr>(hIcon)));
    const int nSize = ControlWidgets::IconSize();
    pLabel->setPixmap(AfxIconToQIcon(hIcon).pixmap(nSize, nSize));
    return hOld;
}

HICON CStatic::GetIcon() const
{
    return m_hWnd ? reinterpret_cast<HICON>(m_hWnd->property("afxIcon").value<quintptr>()) : nullptr;
}

HBRUSH CStatic::CtlColor(CDC*, UINT)
{
    return nullptr;
}

// Before the label draws itself, the colours and font of CtlColor become its own.
void CStatic::OnPaint()
{
    auto* pLabel = qobject_cast<QLabel*>(m_hWnd);
    if (!pLabel) {
        CWnd::OnPaint();
        return;
    }
    CClientDC dc(nullptr);   // holds the state CtlColor sets; draws nothing
    CFont* pFont = GetFont();
    if (pFont)
        dc.SelectObject(pFont);
    const QPalette& palette = pLabel->palette();
    dc.SetTextColor(ToColorRef(palette.color(QPalette::WindowText)));
    HBRUSH hBrush = CtlColor(&dc, CTLCOLOR_STATIC);
    if (hBrush) {
        QPalette paletteNew = palette;
        paletteNew.setColor(QPalette::WindowText, ToQColor(dc.GetTextColor()));
        const bool bFill = !hBrush->m_bNull && dc.GetBkMode() != TRANSPARENT;
        if (bFill)
            paletteNew.setColor(QPalette::Window, ToQColor(hBrush->m_crColor));
        if (paletteNew != palette)
            pLabel->setPalette(paletteNew);
        if (pLabel->autoFillBackground() != bFill)
            pLabel->setAutoFillBackground(bFill);
        CFont* pSelected = dc.GetCurrentFont();
        if (pSelected && pSelected != pFont && pSelected->IsValid() && pLabel->font() != pSelected->GetQFont())
            pLabel->setFont(pSelected->GetQFont());
    }
    CWnd::OnPaint();
}

LRESULT CStatic::OnGetFont(WPARAM wParam, LPARAM lParam)
{
    const LRESULT lResult = CWnd::OnGetFont(wParam, lParam);
    return lResult ? lResult : reinterpret_cast<LRESULT>(AfxGetControlFont(m_hWnd));
}

UINT CButton::OnGetDlgCode()
{
    const UINT nType = GetButtonStyle();
    if (nType == BS_GROUPBOX)
        return DLGC_STATIC;
    if (nType == BS_AUTOCHECKBOX)
        return DLGC_BUTTON;
    return DLGC_BUTTON | (nType == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

UINT CStatic::OnGetDlgCode()
{
    return DLGC_STATIC;
}
