#include "Dialog.h"

#include "App.h"
#include "Codec.h"
#include "ControlWidgets.h"
#include "Edit.h"
#include "Shell.h"
#include "Testing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

// What a dialog keeps while it has a window: its controls in template order and the objects
// that give the template's controls their class behaviour until a member takes one over.
class CDialogPrivate {
public:
    std::vector<QPointer<QWidget>> m_controls;
    std::map<QWidget*, std::unique_ptr<CWnd>> m_defaults;

    static CDialog* DialogOf(QWidget* pWidget)
    {
        return dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(pWidget));
    }
    static void ShowSystemMenu(CDialog* pDialog, const POINT& ptScreen)
    {
        pDialog->ShowSystemMenu(ptScreen);
    }
};

namespace {

// The dialog's window. Its keys, its close box and its context menu belong to the dialog
// manager of its CDialog, not to QDialog.
class CDialogWidget : public QDialog {
public:
    CDialogWidget(QWidget* pParent, Qt::WindowFlags flags) : QDialog(pParent, flags) {}

protected:
    // Enter and Esc were handled by CDialog::PreTranslateMessage or were not the dialog's.
    void keyPressEvent(QKeyEvent* pEvent) override { QWidget::keyPressEvent(pEvent); }
    // The close box is the system command SC_CLOSE, which ends as IDCANCEL.
    void closeEvent(QCloseEvent* pEvent) override
    {
        pEvent->ignore();
        if (CDialog* pDialog = CDialogPrivate::DialogOf(this))
            pDialog->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    // There is no system menu on this desktop: the background's context menu shows it.
    void contextMenuEvent(QContextMenuEvent* pEvent) override
    {
        CDialog* pDialog = CDialogPrivate::DialogOf(this);
        if (!pDialog)
            return;
        const QPoint pt = pEvent->globalPos();
        CDialogPrivate::ShowSystemMenu(pDialog, POINT {pt.x(), pt.y()});
        pEvent->accept();
    }
};

Qt::WindowFlags WindowFlags(const DialogTemplate& dlgTemplate, bool bHasParent)
{
    const DWORD dwStyle = dlgTemplate.m_dwStyle;
    // An owned dialog stays with its owner; an unowned one, or one shown in the task bar, is
    // a window of its own.
    Qt::WindowFlags flags = bHasParent && !(dlgTemplate.m_dwExStyle & WS_EX_APPWINDOW) ? Qt::Dialog
                                                                                       : Qt::Window;
    flags |= Qt::CustomizeWindowHint;
    if ((dwStyle & WS_CAPTION) == WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (dwStyle & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dwStyle & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (dwStyle & WS_MAXIMIZEBOX)
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

QWidget* MakeControlWidget(const DialogItem& item)
{
    const QString strText = QString::fromUtf8(item.strText.data(), (qsizetype)item.strText.size());
    switch (item.nKind) {
    case DialogItem::PushButton:
    case DialogItem::DefPushButton:
    case DialogItem::GroupBox:
        return ControlWidgets::MakeButton(strText, item.dwStyle);
    case DialogItem::Static:
    case DialogItem::Icon:
        return ControlWidgets::MakeStatic(strText, item.dwStyle);
    case DialogItem::Edit:
        return CEdit::CreateEditWidget(item.dwStyle, item.dwExStyle);
    case DialogItem::Custom:
        break;
    }
    auto* pWidget = new QWidget;
    pWidget->setFocusPolicy(item.dwStyle & WS_TABSTOP ? Qt::TabFocus : Qt::NoFocus);
    return pWidget;
}

std::unique_ptr<CWnd> MakeDefaultObject(DialogItem::Kind nKind)
{
    switch (nKind) {
    case DialogItem::PushButton:
    case DialogItem::DefPushButton:
    case DialogItem::GroupBox:
        return std::make_unique<CButton>();
    case DialogItem::Static:
    case DialogItem::Icon:
        return std::make_unique<CStatic>();
    case DialogItem::Edit:
        return std::make_unique<CEdit>();
    case DialogItem::Custom:
        break;
    }
    return std::make_unique<CWnd>();
}

const char* ClassName(const DialogItem& item)
{
    switch (item.nKind) {
    case DialogItem::PushButton:
    case DialogItem::DefPushButton:
    case DialogItem::GroupBox:
        return "Button";
    case DialogItem::Static:
    case DialogItem::Icon:
        return "Static";
    case DialogItem::Edit:
        return "Edit";
    case DialogItem::Custom:
        break;
    }
    return item.strClass.c_str();
}

void Activate(QWidget* pWidget)
{
    pWidget->activateWindow();
    if (QApplication::activeWindow() != pWidget)
        QApplication::setActiveWindow(pWidget);
}

void SelectAllText(QWidget* pWidget)
{
    if (auto* pLine = qobject_cast<QLineEdit*>(pWidget))
        pLine->selectAll();
    else if (auto* pText = qobject_cast<QPlainTextEdit*>(pWidget))
        pText->selectAll();
}

void SetButtonDefault(QWidget* pWidget, bool bDefault)
{
    auto* pButton = qobject_cast<QPushButton*>(pWidget);
    if (!pButton)
        return;
    DWORD dwStyle = pButton->property("afxStyle").toUInt() & ~BS_TYPEMASK;
    dwStyle |= bDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    pButton->setProperty("afxStyle", (uint)dwStyle);
    pButton->setDefault(bDefault);
}

bool IsTabStop(const QWidget* pWidget)
{
    return (pWidget->property("afxStyle").toUInt() & WS_TABSTOP) && !pWidget->isHidden()
        && pWidget->isEnabled();
}

} // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd), m_nIDTemplate(nIDTemplate)
{
}

CDialog::~CDialog()
{
    if (m_hWnd)
        DestroyWindow();
}

// Creation.

BOOL CDialog::CreateFromTemplate(UINT nIDTemplate, CWnd* pParentWnd)
{
    const DialogTemplate* pTemplate = AfxFindDialogTemplate(nIDTemplate);
    if (!pTemplate || m_hWnd)
        return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_pPrivate = std::make_unique<CDialogPrivate>();
    m_bEnded = FALSE;
    m_nDefID = 0;

    // The owner: the given window, else the main window, else a running modal dialog.
    CWnd* pOwner = pParentWnd;
    if (!pOwner) {
        pOwner = AfxGetMainWnd();
        if (pOwner == this)
            pOwner = nullptr;
    }
    QWidget* pParent = CWnd::GetSafeHwnd(pOwner) ? pOwner->GetSafeHwnd()->window() : nullptr;
    if (!pParent && pOwner != nullptr)
        pParent = QApplication::activeModalWidget();

    auto* pWidget = new CDialogWidget(pParent, WindowFlags(*pTemplate, pParent != nullptr));
    AfxMakeDialogFont(pTemplate->m_strFaceName.c_str(), pTemplate->m_nPointSize, m_font);
    m_sizeBaseUnits = AfxGetDialogBaseUnits(pTemplate->m_strFaceName.c_str(), pTemplate->m_nPointSize);
    pWidget->setFont(m_font.GetQFont());
    pWidget->setWindowTitle(QString::fromUtf8(pTemplate->m_strCaption.c_str()));
    const QSize size(MulDiv(pTemplate->m_cx, m_sizeBaseUnits.cx, 4),
                     MulDiv(pTemplate->m_cy, m_sizeBaseUnits.cy, 8));
    // A dialog with a sizing frame opens at its template's size, and is never made smaller.
    if (pTemplate->m_dwStyle & WS_THICKFRAME) {
        pWidget->resize(size);
        pWidget->setMinimumSize(size);
    } else
        pWidget->setFixedSize(size);
    pWidget->setProperty("afxExStyle", (uint)pTemplate->m_dwExStyle);

    const DWORD dwStyle = pTemplate->m_dwStyle & ~(WS_VISIBLE | WS_CHILD);
    if (!CreateFromWidget(pWidget, dwStyle, CRect(0, 0, 0, 0), pOwner, 0)) {
        delete pWidget;
        return FALSE;
    }
    for (const DialogItem& item : pTemplate->m_items)
        CreateControl(item);
    return TRUE;
}

// One control of the template, with the object that gives it its class behaviour.
void CDialog::CreateControl(const DialogItem& item)
{
    QWidget* pControl = MakeControlWidget(item);
    pControl->setParent(m_hWnd);
    CWnd::SetWindowData(pControl, item.dwStyle & ~WS_VISIBLE, (UINT)(WORD)item.nID, ClassName(item));
    pControl->setProperty("afxExStyle", (uint)item.dwExStyle);
    QRect rect(MulDiv(item.x, m_sizeBaseUnits.cx, 4), MulDiv(item.y, m_sizeBaseUnits.cy, 8),
               MulDiv(item.cx, m_sizeBaseUnits.cx, 4), MulDiv(item.cy, m_sizeBaseUnits.cy, 8));
    if (item.nKind == DialogItem::Icon)
        rect.setSize(QSize(ControlWidgets::IconSize(), ControlWidgets::IconSize()));
    pControl->setGeometry(rect);
    if (item.dwStyle & WS_DISABLED)
        pControl->setEnabled(false);
    AfxSetControlFont(pControl, &m_font);
    pControl->setVisible((item.dwStyle & WS_VISIBLE) != 0);
    if (item.nKind == DialogItem::DefPushButton && !m_nDefID)
        m_nDefID = (UINT)(WORD)item.nID;
    m_pPrivate->m_controls.emplace_back(pControl);

    std::unique_ptr<CWnd> pObject = MakeDefaultObject(item.nKind);
    if (!pObject->SubclassWindow(pControl))
        return;
    if (item.nKind == DialogItem::Icon)
        static_cast<CStatic*>(pObject.get())->SetIcon(AfxLoadIcon(item.nIconID));
    m_pPrivate->m_defaults[pControl] = std::move(pObject);
}

BOOL AfxReleaseDialogControl(HWND hWnd)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (!pWnd)
        return TRUE;
    CDialog* pDialog = hWnd ? CDialogPrivate::DialogOf(hWnd->parentWidget()) : nullptr;
    if (!pDialog || !pDialog->m_pPrivate)
        return FALSE;
    auto& defaults = pDialog->m_pPrivate->m_defaults;
    auto it = defaults.find(hWnd);
    if (it == defaults.end() || it->second.get() != pWnd)
        return FALSE;
    pWnd->UnsubclassWindow();
    defaults.erase(it);
    return TRUE;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_pParentWnd = pParentWnd;
    if (!CreateFromTemplate(nIDTemplate, pParentWnd))
        return FALSE;
    QPointer<QWidget> pWidget = m_hWnd;
    const BOOL bFocus = (BOOL)SendMessage(WM_INITDIALOG, 0, 0);
    if (!pWidget || !m_hWnd)
        return FALSE;
    const DialogTemplate* pTemplate = AfxFindDialogTemplate(nIDTemplate);
    if (pTemplate && (pTemplate->m_dwStyle & WS_VISIBLE) && !m_bEnded)
        ShowDialog();
    SetInitialFocus(bFocus);
    return TRUE;
}

// The modal loop.

INT_PTR CDialog::DoModal()
{
    if (!CreateFromTemplate(m_nIDTemplate, m_pParentWnd))
        return -1;
    m_bInModal = TRUE;
    m_nModalResult = -1;
    const QPointer<QWidget> pOwner = m_hWnd->parentWidget();
    const BOOL bFocus = (BOOL)SendMessage(WM_INITDIALOG, 0, 0);
    if (m_hWnd) {
        if (Testing::CModalDialogAnswerer* pAnswerer = Testing::CModalDialogAnswerer::Active())
            RunAnswered(*pAnswerer, bFocus);
        else
            RunModalLoop(bFocus);
    }
    m_bInModal = FALSE;
    const int nResult = m_nModalResult;
    if (m_hWnd)
        DestroyWindow();
    m_pPrivate.reset();
    // As when a modal dialog ends on the window system: its owner is the active window again.
    if (pOwner && pOwner->isVisible())
        Activate(pOwner);
    return nResult;
}

void CDialog::RunModalLoop(BOOL bFocus)
{
    auto* pDialog = static_cast<QDialog*>(m_hWnd);
    if (m_bEnded)
        return;   // ended during OnInitDialog
    pDialog->setWindowModality(Qt::ApplicationModal);
    ShowDialog();
    SetInitialFocus(bFocus);
    if (!m_bEnded && m_hWnd)
        pDialog->exec();
}

void CDialog::RunAnswered(Testing::CModalDialogAnswerer& answerer, BOOL bFocus)
{
    if (!m_bEnded) {
        ShowDialog();
        SetInitialFocus(bFocus);
    }
    int nButton = 0;
    Testing::CModalDialogAnswerer::Action action;
    const bool bAnswer = answerer.TakeAnswer(m_nIDTemplate, nButton, action);
    if (bAnswer && action && !m_bEnded)
        action(*this);
    if (bAnswer && nButton && !m_bEnded && m_hWnd) {
        CWnd* pButton = GetDlgItem(nButton);
        auto* pWidget = pButton ? qobject_cast<QAbstractButton*>(pButton->m_hWnd) : nullptr;
        if (pWidget)
            pWidget->click();   // as the user clicks: nothing happens when it is disabled
        else
            SendMessage(WM_COMMAND, (WPARAM)(DWORD)MAKELONG(nButton, BN_CLICKED), 0);
    }
    const bool bEndedByAnswer = m_bEnded;
    if (!m_bEnded && m_hWnd)
        SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!m_bEnded)
        EndDialog(IDCANCEL);
    answerer.Record({m_nIDTemplate, (INT_PTR)m_nModalResult, bEndedByAnswer});
}

// An owned dialog appears over its owner (Qt places it); an unowned one in the middle of the
// screen, as the framework centres a dialog that has no position of its own.
void CDialog::ShowDialog()
{
    if (!m_hWnd->parentWidget()) {
        if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
            QRect rect(QPoint(0, 0), m_hWnd->frameGeometry().size());
            rect.moveCenter(pScreen->availableGeometry().center());
            m_hWnd->move(rect.topLeft());
        }
    }
    m_hWnd->show();
    Activate(m_hWnd);
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bEnded = TRUE;
    if (auto* pDialog = qobject_cast<QDialog*>(m_hWnd))
        pDialog->done(nResult);
}

// Focus and tab stops.

void CDialog::SetInitialFocus(BOOL bFocusFirst)
{
    if (!bFocusFirst || !m_hWnd || m_bEnded)
        return;
    for (QWidget* pControl : ControlsInOrder()) {
        if (IsTabStop(pControl)) {
            GotoDlgCtrl(FromHandle(pControl));
            return;
        }
    }
    m_hWnd->setFocus(Qt::OtherFocusReason);
}

// The template's controls in template order, then controls made later in creation order.
std::vector<QWidget*> CDialog::ControlsInOrder() const
{
    std::vector<QWidget*> controls;
    if (!m_hWnd)
        return controls;
    if (m_pPrivate) {
        for (const QPointer<QWidget>& pControl : m_pPrivate->m_controls)
            if (pControl && pControl->parentWidget() == m_hWnd)
                controls.push_back(pControl);
    }
    for (QWidget* pChild : m_hWnd->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (pChild->isWindow() || pChild->property("afxInternal").toBool() || !pChild->property("afxId").isValid())
            continue;
        if (std::find(controls.begin(), controls.end(), pChild) == controls.end())
            controls.push_back(pChild);
    }
    return controls;
}

void CDialog::MoveTab(BOOL bPrevious) const
{
    const std::vector<QWidget*> controls = ControlsInOrder();
    if (controls.empty())
        return;
    // The control that holds the focus (the focus may be inside it, as in an in-place edit).
    QWidget* pCurrent = QApplication::focusWidget();
    while (pCurrent && pCurrent->parentWidget() != m_hWnd)
        pCurrent = pCurrent->parentWidget();
    auto it = std::find(controls.begin(), controls.end(), pCurrent);
    const int nCount = (int)controls.size();
    int nIndex = it == controls.end() ? (bPrevious ? 0 : -1) : (int)(it - controls.begin());
    for (int i = 0; i < nCount; ++i) {
        nIndex = (nIndex + (bPrevious ? nCount - 1 : 1)) % nCount;
        if (IsTabStop(controls[(size_t)nIndex])) {
            const_cast<CDialog*>(this)->GotoDlgCtrl(FromHandle(controls[(size_t)nIndex]));
            return;
        }
    }
}

void CDialog::NextDlgCtrl() const
{
    MoveTab(FALSE);
}

void CDialog::PrevDlgCtrl() const
{
    MoveTab(TRUE);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (!CWnd::GetSafeHwnd(pWndCtrl))
        return;
    QWidget* pWidget = pWndCtrl->m_hWnd;
    pWndCtrl->SetFocus();
    if (pWndCtrl->SendMessage(WM_GETDLGCODE) & DLGC_HASSETSEL)
        SelectAllText(pWidget);
}

// The dialog manager.

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd || !pMsg->hwnd || (pMsg->hwnd != m_hWnd && !m_hWnd->isAncestorOf(pMsg->hwnd)))
        return FALSE;
    if (pMsg->message == WM_SYSKEYDOWN && pMsg->wParam == VK_SPACE) {
        POINT pt {0, 0};
        ClientToScreen(&pt);
        ShowSystemMenu(pt);
        return TRUE;
    }
    if (pMsg->message != WM_KEYDOWN)
        return FALSE;
    return HandleDialogKey(pMsg);
}

BOOL CDialog::HandleDialogKey(MSG* pMsg)
{
    const UINT nVirtKey = (UINT)pMsg->wParam;
    if (nVirtKey != VK_RETURN && nVirtKey != VK_ESCAPE && nVirtKey != VK_TAB)
        return FALSE;
    CWnd* pTarget = FromHandle(pMsg->hwnd);
    const UINT nCode = pTarget && pTarget != this
        ? (UINT)pTarget->SendMessage(WM_GETDLGCODE, pMsg->wParam, reinterpret_cast<LPARAM>(pMsg))
        : 0;
    if (nCode & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))
        return FALSE;
    switch (nVirtKey) {
    case VK_TAB:
        if (nCode & DLGC_WANTTAB)
            return FALSE;
        MoveTab(GetKeyState(VK_SHIFT) < 0);
        return TRUE;
    case VK_RETURN:
        PressDefault(pTarget, nCode);
        return TRUE;
    default: {
        CWnd* pCancel = GetDlgItem(IDCANCEL);
        if (pCancel && !pCancel->IsWindowEnabled()) {
            MessageBeep(0);
            return TRUE;
        }
        SendMessage(WM_COMMAND, (WPARAM)(DWORD)MAKELONG(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(pCancel ? pCancel->m_hWnd : nullptr));
        return TRUE;
    }
    }
}

// Enter: a push button with the focus is pressed; otherwise the default push button, or IDOK
// when there is none. A disabled default button only beeps.
void CDialog::PressDefault(CWnd* pFocus, UINT nCode)
{
    UINT nID;
    CWnd* pButton;
    if ((nCode & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && pFocus->IsWindowEnabled()) {
        pButton = pFocus;
        nID = pFocus->GetDlgCtrlID();
    } else {
        const DWORD dwDef = GetDefID();
        nID = HIWORD(dwDef) == DC_HASDEFID ? LOWORD(dwDef) : IDOK;
        pButton = GetDlgItem((int)nID);
        if (pButton && !pButton->IsWindowEnabled()) {
            MessageBeep(0);
            return;
        }
    }
    SendMessage(WM_COMMAND, (WPARAM)(DWORD)MAKELONG(nID, BN_CLICKED),
                reinterpret_cast<LPARAM>(pButton ? pButton->m_hWnd : nullptr));
}

DWORD CDialog::GetDefID() const
{
    return m_nDefID ? (DWORD)MAKELONG(m_nDefID, DC_HASDEFID) : 0;
}

void CDialog::SetDefID(UINT nID)
{
    if (CWnd* pOld = m_nDefID ? GetDlgItem((int)m_nDefID) : nullptr)
        SetButtonDefault(pOld->m_hWnd, false);
    m_nDefID = nID;
    if (CWnd* pNew = GetDlgItem((int)nID))
        SetButtonDefault(pNew->m_hWnd, true);
}

// The system menu.

CMenu* CDialog::GetSystemMenu(BOOL bRevert)
{
    if (!(GetStyle() & WS_SYSMENU))
        return nullptr;
    if (bRevert) {
        m_menuSystem = CMenu();
        return nullptr;
    }
    return &m_menuSystem;
}

void CDialog::ShowSystemMenu(const POINT& ptScreen)
{
    if (!m_hWnd || m_menuSystem.GetMenuItemCount() == 0)
        return;
    auto* pMenu = new QMenu(m_hWnd);
    pMenu->setObjectName("afxSystemMenu");
    pMenu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> pWidget = m_hWnd;
    for (const CMenu::Item& item : m_menuSystem.Items()) {
        if (item.nFlags & MF_SEPARATOR) {
            pMenu->addSeparator();
            continue;
        }
        QAction* pAction = pMenu->addAction(Codec::ToUnicode(item.strText));
        pAction->setEnabled(!(item.nFlags & (MF_GRAYED | MF_DISABLED)));
        const UINT nID = (UINT)item.nID;
        QObject::connect(pAction, &QAction::triggered, pMenu, [pWidget, nID] {
            if (CDialog* pDialog = pWidget ? CDialogPrivate::DialogOf(pWidget) : nullptr)
                pDialog->SendMessage(WM_SYSCOMMAND, nID, 0);
        });
    }
    pMenu->popup(QPoint(ptScreen.x, ptScreen.y));
}

// Handlers.

BOOL CDialog::OnInitDialog()
{
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) == SC_CLOSE)
        SendMessage(WM_CLOSE);
}

HCURSOR CDialog::OnQueryDragIcon()
{
    return IDC_ARROW;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED) {
        auto it = m_mapClicked.find(nID);
        if (it != m_mapClicked.end()) {
            const std::function<void()> fn = it->second;   // the handler may change the map
            fn();
            return TRUE;
        }
        if (nID == IDOK) {
            OnOK();
            return TRUE;
        }
        if (nID == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return CWnd::OnCommand(wParam, lParam);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_SYSCOMMAND:
        OnSysCommand((UINT)wParam, lParam);
        return 0;
    case WM_CLOSE: {
        // As the dialog manager does: the close box is the Cancel button.
        CWnd* pCancel = GetDlgItem(IDCANCEL);
        if (pCancel && !pCancel->IsWindowEnabled()) {
            MessageBeep(0);
            return 0;
        }
        SendMessage(WM_COMMAND, (WPARAM)(DWORD)MAKELONG(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(pCancel ? pCancel->m_hWnd : nullptr));
        return 0;
    }
    case WM_QUERYDRAGICON:
        return (LRESULT)OnQueryDragIcon();
    case DM_GETDEFID:
        return GetDefID();
    case DM_SETDEFID:
        SetDefID((UINT)wParam);
        return TRUE;
    case WM_NEXTDLGCTL:
        if (LOWORD(lParam))
            GotoDlgCtrl(FromHandle(reinterpret_cast<HWND>(wParam)));
        else
            MoveTab(wParam != 0);
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

LRESULT CDialog::OnGetFont(WPARAM, LPARAM)
{
    return m_hWnd ? reinterpret_cast<LRESULT>(&m_font) : 0;
}

// Data and window services.

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* pException) {
        pException->Delete();
        return FALSE;
    }
    return TRUE;
}

UINT CDialog::GetDlgItemText(int nID, CString& rString) const
{
    rString.Empty();
    if (CWnd* pItem = GetDlgItem(nID))
        pItem->GetWindowText(rString);
    return (UINT)rString.GetLength();
}

void CDialog::SetDlgItemText(int nID, LPCTSTR lpszString)
{
    if (CWnd* pItem = GetDlgItem(nID))
        pItem->SetWindowText(lpszString);
}

void CDialog::MapDialogRect(LPRECT lpRect) const
{
    lpRect->left = MulDiv(lpRect->left, m_sizeBaseUnits.cx, 4);
    lpRect->right = MulDiv(lpRect->right, m_sizeBaseUnits.cx, 4);
    lpRect->top = MulDiv(lpRect->top, m_sizeBaseUnits.cy, 8);
    lpRect->bottom = MulDiv(lpRect->bottom, m_sizeBaseUnits.cy, 8);
}

HICON CDialog::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    HICON& hSlot = bBigIcon ? m_hIconBig : m_hIconSmall;
    const HICON hOld = hSlot;
    hSlot = hIcon;
    if (m_hWnd)
        m_hWnd->setWindowIcon(AfxIconToQIcon(m_hIconBig ? m_hIconBig : m_hIconSmall));
    return hOld;
}

HICON CDialog::GetIcon(BOOL bBigIcon) const
{
    return bBigIcon ? m_hIconBig : m_hIconSmall;
}
