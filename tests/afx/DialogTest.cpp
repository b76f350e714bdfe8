// Dialogs from templates: dialog units, the dialog manager's keys, data exchange, the modal
// loop under the test seam, the system menu, and the file dialog and shell seams.
#include "../DocumentsFolderSupport.h"
#include "App.h"
#include "CommonDialogs.h"
#include "Codec.h"
#include "Dialog.h"
#include "Edit.h"
#include "Font.h"
#include "Shell.h"
#include "Testing.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

CString Gbk(const char16_t* psz)
{
    return Codec::FromUnicode(QString::fromUtf16(psz));
}

enum : UINT {
    IDD_UNITS = 9001, IDD_KEYS, IDD_NODEFAULT, IDD_DATA, IDD_MENU,
    IDC_FIRST = 1001, IDC_SECOND, IDC_OTHER, IDC_LABEL, IDC_OFF, IDC_TEXT, IDC_CUSTOM = 1000,
};

void RegisterTemplates()
{
    const DWORD dwDialog = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AfxRegisterDialogTemplate(IDD_UNITS, DialogTemplate(459, 317, "units", dwDialog, "宋体", 9)
        .Control("", IDC_CUSTOM, "TestCustom", WS_BORDER | WS_TABSTOP, 7, 7, 385, 303)
        .PushButton("作者简介", IDC_OTHER, 402, 7, 50, 14));
    // Template order is tab order: edit, label (no tab stop), disabled edit, edit, buttons.
    AfxRegisterDialogTemplate(IDD_KEYS, DialogTemplate(200, 100, "keys", dwDialog, "宋体", 9)
        .EditText(IDC_FIRST, 7, 7, 100, 14)
        .LText("label", IDC_LABEL, 7, 25, 50, 8)
        .EditText(IDC_OFF, 7, 40, 100, 14, WS_BORDER | WS_TABSTOP | WS_DISABLED)
        .EditText(IDC_SECOND, 7, 60, 100, 14)
        .DefPushButton("OK", IDOK, 140, 7, 50, 14)
        .PushButton("Other", IDC_OTHER, 140, 25, 50, 14)
        .PushButton("Cancel", IDCANCEL, 140, 43, 50, 14));
    AfxRegisterDialogTemplate(IDD_NODEFAULT, DialogTemplate(200, 100, "plain", dwDialog, "宋体", 9)
        .EditText(IDC_FIRST, 7, 7, 100, 14)
        .PushButton("Other", IDC_OTHER, 140, 25, 50, 14));
    AfxRegisterDialogTemplate(IDD_DATA, DialogTemplate(200, 100, "data", dwDialog, "System", 10)
        .EditText(IDC_FIRST, 7, 7, 100, 14)
        .EditText(IDC_TEXT, 7, 25, 100, 40, ES_MULTILINE | WS_BORDER | WS_TABSTOP)
        .DefPushButton("OK", IDOK, 140, 7, 50, 14)
        .PushButton("Cancel", IDCANCEL, 140, 25, 50, 14));
    AfxRegisterDialogTemplate(IDD_MENU, DialogTemplate(100, 50, "menu", dwDialog, "宋体", 9)
        .LText("background", IDC_LABEL, 7, 7, 80, 8));
}

struct CRegistered {
    CRegistered() { RegisterTemplates(); }
};
const CRegistered s_registered;

// Records what reaches the dialog's handlers.
class CLogDialog : public CDialog {
public:
    explicit CLogDialog(UINT nID) : CDialog(nID) { MapClicked(IDC_OTHER, &CLogDialog::OnOther); }
    std::vector<std::string> m_log;
    UINT m_nValue = 0;
    int m_nSigned = 0;
    CString m_strText;
    BOOL m_bExchangeNumbers = FALSE;

    QWidget* Item(int nID) const { return GetDlgItem(nID)->GetSafeHwnd(); }
    using CDialog::m_nModalResult;

protected:
    BOOL OnInitDialog() override
    {
        m_log.push_back("init");
        return CDialog::OnInitDialog();
    }
    void OnOK() override
    {
        m_log.push_back("ok");
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        m_log.push_back("cancel");
        CDialog::OnCancel();
    }
    void OnSysCommand(UINT nID, LPARAM lParam) override
    {
        m_log.push_back("sys " + std::to_string(nID));
        CDialog::OnSysCommand(nID, lParam);
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        if (!m_bExchangeNumbers)
            return;
        DDX_Text(pDX, IDC_TEXT, m_strText);
        DDX_Text(pDX, IDC_FIRST, m_nValue);
        DDV_MinMaxUInt(pDX, m_nValue, 5, 100);
    }
    void OnOther() { m_log.push_back("other"); }
};

// An edit that asks for every key, as an in-place edit does, or only for Tab.
class CGreedyEdit : public CEdit {
public:
    UINT m_nCode = DLGC_WANTALLKEYS;
    std::vector<UINT> m_keys;

protected:
    UINT OnGetDlgCode() override { return CEdit::OnGetDlgCode() | m_nCode; }
    // Keys it asked for are its own business: they do not reach the widget.
    void OnKeyDown(UINT nChar, UINT, UINT) override { m_keys.push_back(nChar); }
    void OnChar(UINT, UINT, UINT) override {}
};

void ShowModeless(CLogDialog& dlg, UINT nID)
{
    ASSERT_TRUE(dlg.Create(nID));
    dlg.ShowWindow(SW_SHOW);
    QApplication::setActiveWindow(dlg.GetSafeHwnd());
}

} // namespace

// The base units of "宋体" 9 pt measured with the substituted face, and where a template's
// control and the dialog itself land.
TEST(DialogUnits, SongTi9PointPlacesControlsByTheFontsBaseUnits)
{
    LOGFONT lf {};
    lf.lfHeight = -12;
    strcpy(lf.lfFaceName, Gbk(u"宋体"));
    const QFont font = Font::FromLogFont(lf);
    EXPECT_EQ(font.family(), Font::SubstituteFace(Gbk(u"宋体")));
    const QFontMetrics metrics(font);
    const int nLetters = metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    const int cx = (nLetters / 26 + 1) / 2, cy = metrics.ascent() + metrics.descent();
    EXPECT_EQ(AfxGetDialogBaseUnits("宋体", 9), CSize(cx, cy));

    CLogDialog dlg(IDD_UNITS);
    ASSERT_TRUE(dlg.Create(IDD_UNITS));
    EXPECT_EQ(dlg.Item(IDC_CUSTOM)->geometry(),
              QRect(MulDiv(7, cx, 4), MulDiv(7, cy, 8), MulDiv(385, cx, 4), MulDiv(303, cy, 8)));
    EXPECT_EQ(dlg.GetSafeHwnd()->size(), QSize(MulDiv(459, cx, 4), MulDiv(317, cy, 8)));
    EXPECT_EQ(dlg.Item(IDC_OTHER)->font().family(), font.family());
    CRect rect(7, 7, 392, 310);
    dlg.MapDialogRect(&rect);
    EXPECT_EQ(rect, CRect(MulDiv(7, cx, 4), MulDiv(7, cy, 8), MulDiv(392, cx, 4), MulDiv(310, cy, 8)));
    // The custom control is a plain window of its class, attachable by a member object.
    EXPECT_EQ(dlg.Item(IDC_CUSTOM)->metaObject(), &QWidget::staticMetaObject);
    CWnd member;
    EXPECT_TRUE(AfxReleaseDialogControl(dlg.Item(IDC_CUSTOM)));
    EXPECT_TRUE(member.SubclassWindow(dlg.Item(IDC_CUSTOM)));
    EXPECT_FALSE(AfxReleaseDialogControl(dlg.Item(IDC_CUSTOM)));   // a member's control stays
    EXPECT_EQ(MulDiv(7, 6, 4), 11);   // rounds halves away from zero
    EXPECT_EQ(MulDiv(-7, 6, 4), -11);
}

TEST(DialogKeys, EnterPressesTheDefaultButtonEscCancels)
{
    CLogDialog dlg(IDD_KEYS);
    ShowModeless(dlg, IDD_KEYS);
    EXPECT_EQ(dlg.m_log, (std::vector<std::string> {"init"}));
    EXPECT_EQ(QApplication::focusWidget(), dlg.Item(IDC_FIRST));   // the first tab stop
    QTest::keyClick(dlg.Item(IDC_FIRST), Qt::Key_Return);
    EXPECT_EQ(dlg.m_log.back(), "ok");
    EXPECT_EQ(dlg.m_nModalResult, IDOK);
    EXPECT_TRUE(static_cast<QLineEdit*>(dlg.Item(IDC_FIRST))->text().isEmpty());   // no character typed

    dlg.ShowWindow(SW_SHOW);
    // A focused push button is what Enter presses.
    dlg.GetDlgItem(IDC_OTHER)->SetFocus();
    QTest::keyClick(dlg.Item(IDC_OTHER), Qt::Key_Return);
    EXPECT_EQ(dlg.m_log.back(), "other");
    QTest::keyClick(dlg.Item(IDC_OTHER), Qt::Key_Escape);
    EXPECT_EQ(dlg.m_log.back(), "cancel");

    // A disabled default button takes no Enter.
    dlg.ShowWindow(SW_SHOW);
    dlg.GetDlgItem(IDOK)->EnableWindow(FALSE);
    const size_t nLogged = dlg.m_log.size();
    dlg.GetDlgItem(IDC_SECOND)->SetFocus();
    QTest::keyClick(dlg.Item(IDC_SECOND), Qt::Key_Return);
    EXPECT_EQ(dlg.m_log.size(), nLogged);

    // Another default button.
    dlg.GetDlgItem(IDOK)->EnableWindow(TRUE);
    dlg.SetDefID(IDC_OTHER);
    EXPECT_TRUE(static_cast<QPushButton*>(dlg.Item(IDC_OTHER))->isDefault());
    EXPECT_FALSE(static_cast<QPushButton*>(dlg.Item(IDOK))->isDefault());
    QTest::keyClick(dlg.Item(IDC_SECOND), Qt::Key_Return);
    EXPECT_EQ(dlg.m_log.back(), "other");
}

TEST(DialogKeys, EnterWithoutDefaultButtonIsIdOkAndCloseBoxIsCancel)
{
    CLogDialog dlg(IDD_NODEFAULT);
    ShowModeless(dlg, IDD_NODEFAULT);
    QTest::keyClick(dlg.Item(IDC_FIRST), Qt::Key_Enter);
    EXPECT_EQ(dlg.m_log.back(), "ok");
    dlg.ShowWindow(SW_SHOW);
    dlg.GetSafeHwnd()->close();
    EXPECT_EQ(dlg.m_log, (std::vector<std::string> {"init", "ok", "sys " + std::to_string(SC_CLOSE), "cancel"}));
    EXPECT_EQ(dlg.m_nModalResult, IDCANCEL);
}

TEST(DialogKeys, TabMovesBetweenTabStopsUnlessTheFocusWantsIt)
{
    CLogDialog dlg(IDD_KEYS);
    ShowModeless(dlg, IDD_KEYS);
    static_cast<QLineEdit*>(dlg.Item(IDC_SECOND))->setText("abc");
    auto tab = [&](bool bShift) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, bShift ? Qt::ShiftModifier : Qt::NoModifier);
        return QApplication::focusWidget();
    };
    // The label and the disabled edit are skipped; the order wraps round.
    EXPECT_EQ(tab(false), dlg.Item(IDC_SECOND));
    EXPECT_EQ(static_cast<QLineEdit*>(dlg.Item(IDC_SECOND))->selectedText(), "abc");
    EXPECT_EQ(tab(false), dlg.Item(IDOK));
    EXPECT_EQ(tab(false), dlg.Item(IDC_OTHER));
    EXPECT_EQ(tab(false), dlg.Item(IDCANCEL));
    EXPECT_EQ(tab(false), dlg.Item(IDC_FIRST));
    EXPECT_EQ(tab(true), dlg.Item(IDCANCEL));
    EXPECT_EQ(tab(true), dlg.Item(IDC_OTHER));

    // An edit that asks for Tab keeps it; Enter still reaches the dialog.
    CGreedyEdit edit;
    edit.m_nCode = DLGC_WANTTAB;
    CDataExchange dx(&dlg, FALSE);
    DDX_Control(&dx, IDC_FIRST, edit);
    edit.SetFocus();
    EXPECT_EQ(tab(false), dlg.Item(IDC_FIRST));
    EXPECT_EQ(edit.m_keys, (std::vector<UINT> {VK_TAB}));
    QTest::keyClick(dlg.Item(IDC_FIRST), Qt::Key_Return);
    EXPECT_EQ(dlg.m_log.back(), "ok");

    // One that asks for all keys gets Enter and Esc; the dialog stays.
    dlg.ShowWindow(SW_SHOW);
    edit.m_nCode = DLGC_WANTALLKEYS;
    edit.SetFocus();
    const size_t nLogged = dlg.m_log.size();
    QTest::keyClick(dlg.Item(IDC_FIRST), Qt::Key_Return);
    QTest::keyClick(dlg.Item(IDC_FIRST), Qt::Key_Escape);
    EXPECT_EQ(edit.m_keys, (std::vector<UINT> {VK_TAB, VK_RETURN, VK_ESCAPE}));
    EXPECT_EQ(dlg.m_log.size(), nLogged);
}

// DDX_Text and DDV_MinMaxUInt: the framework's messages, the focus on the refused field, and
// the member written before it is validated.
TEST(DialogData, NumbersOutOfRangeOrNotNumbersAreRefused)
{
    Testing::CMessageBoxRecorder recorder;
    CLogDialog dlg(IDD_DATA);
    dlg.m_bExchangeNumbers = TRUE;
    dlg.m_nValue = 42;
    dlg.m_strText = "line 1\r\nline 2";
    ShowModeless(dlg, IDD_DATA);
    auto* pNumber = static_cast<QLineEdit*>(dlg.Item(IDC_FIRST));
    EXPECT_EQ(pNumber->text(), "42");
    EXPECT_EQ(static_cast<QPlainTextEdit*>(dlg.Item(IDC_TEXT))->toPlainText(), "line 1\nline 2");

    auto saveWith = [&](const char* pszNumber) {
        pNumber->setText(pszNumber);
        return dlg.UpdateData(TRUE);
    };
    EXPECT_TRUE(saveWith(" 100 "));
    EXPECT_EQ(dlg.m_nValue, 100u);
    EXPECT_EQ(dlg.m_strText, CString("line 1\r\nline 2"));
    EXPECT_TRUE(saveWith("5"));
    EXPECT_TRUE(recorder.Calls().empty());

    dlg.GetDlgItem(IDC_TEXT)->SetFocus();
    EXPECT_FALSE(saveWith("101"));
    EXPECT_EQ(dlg.m_nValue, 101u);
    ASSERT_EQ(recorder.Calls().size(), 1u);
    EXPECT_EQ(recorder.Calls()[0].strText, Gbk(u"“请填入一个在5和100之间的整数。”"));
    EXPECT_EQ(recorder.Calls()[0].nType & MB_ICONMASK, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(QApplication::focusWidget(), pNumber);
    EXPECT_EQ(pNumber->selectedText(), "101");

    for (const char* pszBad : {"abc", "-1", "", "12x"}) {
        EXPECT_FALSE(saveWith(pszBad)) << pszBad;
        EXPECT_EQ(recorder.Calls().back().strText, Gbk(u"“请填入一个正整数。”")) << pszBad;
    }
    // Too large for 32 bits: the largest value, then out of range.
    EXPECT_FALSE(saveWith("99999999999"));
    EXPECT_EQ(dlg.m_nValue, 4294967295u);
    EXPECT_EQ(recorder.Calls().back().strText, Gbk(u"“请填入一个在5和100之间的整数。”"));

    // OK keeps the dialog open while a field is refused.
    pNumber->setText("4");
    QTest::keyClick(pNumber, Qt::Key_Return);
    EXPECT_EQ(dlg.m_log.back(), "ok");
    EXPECT_NE(dlg.m_nModalResult, IDOK);
    EXPECT_TRUE(dlg.IsWindowVisible());
}

// DoModal under the seam: OnInitDialog, the answer's action and button, the close box for a
// dialog that stays open, and nothing blocks.
TEST(DialogModal, AnsweredDialogsRunTheirHandlers)
{
    Testing::CMessageBoxRecorder boxes;
    Testing::CModalDialogAnswerer answerer;
    CLogDialog dlg(IDD_DATA);
    dlg.m_bExchangeNumbers = TRUE;
    dlg.m_nValue = 50;
    answerer.QueueAnswer(IDD_DATA, IDOK, [](CDialog& d) {
        auto* pEdit = static_cast<QLineEdit*>(d.GetDlgItem(IDC_FIRST)->GetSafeHwnd());
        pEdit->selectAll();
        QTest::keyClicks(pEdit, "77");
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nValue, 77u);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);

    // A refused value keeps the dialog open: the close box ends it.
    answerer.QueueAnswer(IDD_DATA, IDOK, [](CDialog& d) { d.SetDlgItemText(IDC_FIRST, "500"); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(boxes.Calls().size(), 1u);
    ASSERT_EQ(answerer.Calls().size(), 2u);
    EXPECT_TRUE(answerer.Calls()[0].bEndedByAnswer);
    EXPECT_FALSE(answerer.Calls()[1].bEndedByAnswer);
    EXPECT_EQ(answerer.Calls()[1].nIDTemplate, (UINT)IDD_DATA);

    // No answer: closed at once; a missing template: -1.
    dlg.m_log.clear();
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_log, (std::vector<std::string> {"init", "sys " + std::to_string(SC_CLOSE), "cancel"}));
    CLogDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
}

// Without the seam DoModal runs a real modal loop: the dialog is modal and shown while it
// runs, and Enter ends it. A guard timer ends a loop that would otherwise never stop.
TEST(DialogModal, RealLoopEndsWithTheDialog)
{
    CLogDialog dlg(IDD_KEYS);
    bool bModalShown = false;
    QTimer::singleShot(0, [&] {
        QWidget* pWidget = dlg.GetSafeHwnd();
        bModalShown = pWidget && pWidget->isVisible() && pWidget->isModal() && dlg.IsModalRunning();
        if (QWidget* pFocus = QApplication::focusWidget())
            QTest::keyClick(pFocus, Qt::Key_Return);
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] { dlg.EndDialog(-2); });
    guard.start(5000);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(bModalShown);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

TEST(DialogMenu, SystemMenuItemsAreOnTheBackgroundsContextMenu)
{
    CLogDialog dlg(IDD_MENU);
    ShowModeless(dlg, IDD_MENU);
    CMenu* pMenu = dlg.GetSystemMenu(FALSE);
    ASSERT_NE(pMenu, nullptr);
    pMenu->AppendMenu(MF_SEPARATOR);
    pMenu->AppendMenu(MF_STRING, 0x0010, Gbk(u"关于 Pellicor(&A)..."));
    QWidget* pLabel = dlg.Item(IDC_LABEL);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), pLabel->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(pLabel, &event);   // a label passes it to the dialog
    auto* pPopup = dlg.GetSafeHwnd()->findChild<QMenu*>("afxSystemMenu");
    ASSERT_NE(pPopup, nullptr);
    ASSERT_EQ(pPopup->actions().size(), 2);
    EXPECT_TRUE(pPopup->actions()[0]->isSeparator());
    EXPECT_EQ(pPopup->actions()[1]->text(), QString::fromUtf16(u"关于 Pellicor(&A)..."));
    pPopup->actions()[1]->trigger();
    EXPECT_EQ(dlg.m_log.back(), "sys 16");
    delete pPopup;

    // Alt+Space opens it too.
    dlg.GetSafeHwnd()->setFocus();
    QTest::keyClick(dlg.GetSafeHwnd(), Qt::Key_Space, Qt::AltModifier);
    EXPECT_NE(dlg.GetSafeHwnd()->findChild<QMenu*>("afxSystemMenu"), nullptr);
    dlg.GetSystemMenu(TRUE);
    EXPECT_EQ(dlg.GetSystemMenu(FALSE)->GetMenuItemCount(), 0);
}

// Controls made at run time notify the dialog as template controls do; statics show "&" as
// an access key unless SS_NOPREFIX; template controls come with objects of their class.
TEST(DialogControls, CreatedControlsAndTemplateControlObjects)
{
    CLogDialog dlg(IDD_KEYS);
    ShowModeless(dlg, IDD_KEYS);
    CButton button;
    ASSERT_TRUE(button.Create("Extra", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(5, 100, 60, 120), &dlg, IDC_OTHER));
    QTest::mouseClick(button.GetSafeHwnd(), Qt::LeftButton);
    EXPECT_EQ(dlg.m_log.back(), "other");
    button.SetButtonStyle(BS_DEFPUSHBUTTON);
    EXPECT_EQ(button.GetButtonStyle(), (UINT)BS_DEFPUSHBUTTON);
    EXPECT_TRUE(static_cast<QPushButton*>(button.GetSafeHwnd())->isDefault());

    CStatic prefixed, plain;
    ASSERT_TRUE(prefixed.Create("&Name && more", WS_CHILD | WS_VISIBLE, CRect(0, 0, 80, 12), &dlg));
    ASSERT_TRUE(plain.Create("&Name", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, CRect(0, 20, 80, 32), &dlg));
    CString str;
    prefixed.GetWindowText(str);
    EXPECT_EQ(str, CString("Name & more"));
    plain.GetWindowText(str);
    EXPECT_EQ(str, CString("&Name"));

    // As framework code casts GetDlgItem's result, the object is of the control's class.
    EXPECT_NE(dynamic_cast<CEdit*>(dlg.GetDlgItem(IDC_FIRST)), nullptr);
    EXPECT_NE(dynamic_cast<CButton*>(dlg.GetDlgItem(IDOK)), nullptr);
    EXPECT_NE(dynamic_cast<CStatic*>(dlg.GetDlgItem(IDC_LABEL)), nullptr);

    // A missing control, or one a member object holds already, cannot be attached.
    CDataExchange dx(&dlg, FALSE);
    CEdit first;
    DDX_Control(&dx, IDC_FIRST, first);
    EXPECT_EQ(dlg.GetDlgItem(IDC_FIRST), &first);
    // The framework's exceptions are thrown as pointers; the catcher deletes them.
    for (auto attach : {+[](CDataExchange* p, CEdit& e) { DDX_Control(p, IDC_FIRST, e); },
                        +[](CDataExchange* p, CEdit& e) { DDX_Control(p, 4711, e); }}) {
        CEdit edit;
        bool bThrown = false;
        try {
            attach(&dx, edit);
        } catch (CNotSupportedException* e) {
            bThrown = true;
            e->Delete();
        }
        EXPECT_TRUE(bThrown);
    }
}

TEST(MessageBoxes, AfxMessageBoxAddsTheFrameworksIcons)
{
    Testing::CMessageBoxRecorder recorder;
    AfxRegisterString(9100, "是空表，不能保存。");
    EXPECT_EQ(AfxMessageBox(9100), IDOK);
    recorder.QueueAnswer(IDNO);
    EXPECT_EQ(AfxMessageBox("Replace?", MB_YESNO), IDNO);
    AfxMessageBox("Stop", MB_ICONHAND);
    ASSERT_EQ(recorder.Calls().size(), 3u);
    EXPECT_EQ(recorder.Calls()[0].strText, Gbk(u"是空表，不能保存。"));
    EXPECT_EQ(recorder.Calls()[0].nType, (UINT)(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(recorder.Calls()[1].nType, (UINT)(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(recorder.Calls()[2].nType, (UINT)MB_ICONHAND);
}

// The real box, as the user sees it: the buttons are labelled in the program's language and
// each gives its own answer.
TEST(MessageBoxes, RealBoxesLabelTheirButtonsInChinese)
{
    const std::pair<UINT, std::vector<QString>> boxes[] = {
        {MB_YESNOCANCEL, {QString::fromUtf16(u"是"), QString::fromUtf16(u"否"), QString::fromUtf16(u"取消")}},
        {MB_OK, {QString::fromUtf16(u"确定")}}};
    for (const auto& box : boxes) {
        const UINT nType = box.first;
        const std::vector<QString>& texts = box.second;
        for (size_t nPick = 0; nPick < texts.size(); nPick++) {
            QStringList shown;
            QTimer::singleShot(0, [&] {
                QWidget* pBox = QApplication::activeModalWidget();
                if (!pBox)
                    return;
                QPushButton* pPick = nullptr;
                for (QPushButton* pButton : pBox->findChildren<QPushButton*>()) {
                    shown << pButton->text();
                    if (pButton->text() == texts[nPick])
                        pPick = pButton;
                }
                if (pPick)
                    pPick->click();
                else
                    pBox->close();
            });
            const int nAnswer = MessageBox(Gbk(u"文档已修改，是否保存？"), "Veltrane", nType);
            const int arrAnswers[] = {nType == MB_OK ? IDOK : IDYES, IDNO, IDCANCEL};
            EXPECT_EQ(nAnswer, arrAnswers[nPick]) << texts[nPick].toStdString();
            for (const QString& strText : texts)
                EXPECT_TRUE(shown.contains(strText)) << strText.toStdString();
        }
    }
}

TEST(FileDialog, FilterAndDefaultExtension)
{
    EXPECT_EQ(CFileDialog::QtFilter(Gbk(u"证书文档(*.zs)|*.zs||")), QString::fromUtf16(u"证书文档(*.zs) (*.zs)"));
    EXPECT_EQ(CFileDialog::QtFilter("Text|*.txt;*.csv|All|*.*||"), "Text (*.txt *.csv);;All (*.*)");
    // "亅" is 0x81 0x7C in code page 936: its second byte is no separator.
    EXPECT_EQ(CFileDialog::QtFilter(Gbk(u"亅|*.a||")), QString::fromUtf16(u"亅 (*.a)"));
    EXPECT_EQ(CFileDialog::WithDefaultExt("/tmp/Doc", ".zs"), CString("/tmp/Doc.zs"));
    EXPECT_EQ(CFileDialog::WithDefaultExt("/tmp/Doc", "zs"), CString("/tmp/Doc.zs"));
    EXPECT_EQ(CFileDialog::WithDefaultExt("/tmp/a.txt", ".zs"), CString("/tmp/a.txt"));
    EXPECT_EQ(CFileDialog::WithDefaultExt("/tmp/v1.2/Doc", ".zs"), CString("/tmp/v1.2/Doc.zs"));
}

TEST(FileDialog, AnsweredThroughTheSeam)
{
    Testing::CFileDialogAnswerer answerer;
    const CString strName = Gbk(u"证书") + "/Doc";
    answerer.QueueAnswer("/tmp/" + strName);
    answerer.QueueCancel();
    const CString strFilter = Gbk(u"证书文档(*.zs)|*.zs||");
    CFileDialog save(FALSE, ".zs", "Old.zs", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, strFilter);
    const CString strFolder = Codec::FromUnicode(QDir::tempPath());
    save.m_ofn.lpstrInitialDir = strFolder;
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), "/tmp/" + strName + ".zs");
    EXPECT_EQ(save.GetFileName(), CString("Doc.zs"));
    EXPECT_EQ(save.GetFileExt(), CString("zs"));
    EXPECT_EQ(save.GetFileTitle(), CString("Doc"));
    ASSERT_EQ(answerer.Calls().size(), 1u);
    const Testing::FileDialogCall& call = answerer.Calls()[0];
    EXPECT_FALSE(call.bOpen);
    EXPECT_EQ(call.strFileName, CString("Old.zs"));
    EXPECT_EQ(call.strFilter, strFilter);
    EXPECT_EQ(call.strInitialDir, strFolder);
    EXPECT_EQ(call.dwFlags & (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT), (DWORD)(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));

    CFileDialog open(TRUE, ".zs", nullptr, OFN_HIDEREADONLY, strFilter);
    EXPECT_EQ(open.DoModal(), IDCANCEL);
    EXPECT_TRUE(answerer.Calls()[1].bOpen);
    EXPECT_EQ(open.DoModal(), IDCANCEL);   // nothing queued

    // A path that does not fit the caller's buffer is refused.
    char szSmall[8] = {};
    CFileDialog small(TRUE);
    small.m_ofn.lpstrFile = szSmall;
    small.m_ofn.nMaxFile = sizeof szSmall;
    answerer.QueueAnswer("/tmp/longer");
    EXPECT_EQ(small.DoModal(), IDCANCEL);
}

// The dialog starts in the folder asked for while it is one; otherwise in the user's documents
// folder, and in the home folder when there is none.
TEST(FileDialog, StartsInTheFolderAskedForElseTheDocumentsFolder)
{
    CDocumentsFolder home;
    const CString strHome = Codec::FromUnicode(home.Home());
    const CString strDocuments = Codec::FromUnicode(home.Documents());
    const CString strFolder = strHome + "/" + Gbk(u"三年级");
    ASSERT_TRUE(QDir().mkpath(Codec::ToUnicode(strFolder)));
    const CString strFile = strHome + "/.config/user-dirs.dirs";
    const CString strGone = strHome + "/" + Gbk(u"去年");
    struct Case {
        const char* pszWhat;
        const char* pszAsked;
        bool bDocuments;   // the documents folder exists
        CString strExpected;
    } const cases[] = {
        {"a folder", strFolder, true, strFolder},
        {"a folder, and no documents folder", strFolder, false, strFolder},
        {"none", nullptr, true, strDocuments},
        {"empty", "", true, strDocuments},
        {"a folder that is gone", strGone, true, strDocuments},
        {"a file", strFile, true, strDocuments},
        {"none, and no documents folder", nullptr, false, strHome},
        {"a folder that is gone, and no documents folder", strGone, false, strHome},
    };
    Testing::CFileDialogAnswerer answerer;
    for (const Case& test : cases) {
        if (test.bDocuments)
            home.MakeDocuments();
        else
            home.RemoveDocuments();
        for (const BOOL bOpen : {TRUE, FALSE}) {
            CFileDialog dlg(bOpen, ".zs");
            dlg.m_ofn.lpstrInitialDir = test.pszAsked;
            EXPECT_EQ(dlg.DoModal(), IDCANCEL);
            ASSERT_FALSE(answerer.Calls().empty());
            EXPECT_EQ(answerer.Calls().back().strInitialDir, test.strExpected) << test.pszWhat;
        }
    }
}

// Once Qt's translations are loaded, what Qt itself shows reads Chinese: its file dialog's
// labels and buttons, its message boxes' standard buttons, the edits' context menu.
TEST(QtTranslations, QtsOwnDialogsAndMenusReadChinese)
{
    ASSERT_TRUE(AfxLoadQtTranslations());
    ASSERT_TRUE(AfxLoadQtTranslations());   // once is enough; a second call changes nothing
    const auto isChinese = [](const QString& strText) {
        for (const QChar ch : strText)
            if (ch.unicode() >= 0x4E00 && ch.unicode() <= 0x9FFF)
                return true;
        return false;
    };
    std::vector<std::pair<QString, QString>> shown;   // what Qt says in English, what it shows

    QFileDialog files(nullptr, QString(), QDir::tempPath());
    files.setOption(QFileDialog::DontUseNativeDialog);   // Qt's own dialog, as the offscreen platform has it
    files.setAcceptMode(QFileDialog::AcceptOpen);
    const std::pair<const char*, const char*> labels[] = {
        {"lookInLabel", "Look in:"}, {"fileNameLabel", "File &name:"}, {"fileTypeLabel", "Files of type:"}};
    for (const auto& [pszName, pszEnglish] : labels) {
        auto* pLabel = files.findChild<QLabel*>(QString::fromLatin1(pszName));
        ASSERT_NE(pLabel, nullptr) << pszName;
        shown.emplace_back(QString::fromLatin1(pszEnglish), pLabel->text());
    }
    auto* pButtons = files.findChild<QDialogButtonBox*>();
    ASSERT_NE(pButtons, nullptr);
    shown.emplace_back(QStringLiteral("&Open"), pButtons->button(QDialogButtonBox::Open)->text());
    shown.emplace_back(QStringLiteral("Cancel"), pButtons->button(QDialogButtonBox::Cancel)->text());

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No
                           | QMessageBox::Save | QMessageBox::Discard);
    const std::pair<QMessageBox::StandardButton, const char*> buttons[] = {
        {QMessageBox::Ok, "OK"}, {QMessageBox::Cancel, "Cancel"}, {QMessageBox::Yes, "&Yes"},
        {QMessageBox::No, "&No"}, {QMessageBox::Save, "Save"}, {QMessageBox::Discard, "Discard"}};
    for (const auto& [button, pszEnglish] : buttons)
        shown.emplace_back(QString::fromLatin1(pszEnglish), box.button(button)->text());

    QLineEdit edit;
    const std::unique_ptr<QMenu> pMenu(edit.createStandardContextMenu());
    for (const QAction* pAction : pMenu->actions())
        if (!pAction->isSeparator())
            shown.emplace_back(QStringLiteral("(context menu)"), pAction->text());
    EXPECT_GE(pMenu->actions().size(), 6);

    for (const auto& [strEnglish, strShown] : shown) {
        EXPECT_NE(strShown, strEnglish);
        EXPECT_TRUE(isChinese(strShown)) << strEnglish.toStdString() << " shows " << strShown.toStdString();
    }
}

TEST(Shell, OpenIsRecordedOrRefusedForMissingFiles)
{
    {
        Testing::CShellRecorder recorder;
        EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecute(nullptr, "open", "https://www.qt.io/", nullptr, nullptr, SW_SHOWNORMAL)), 42);
        recorder.SetResult(SE_ERR_NOASSOC);
        EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecute(nullptr, "open", "x", nullptr, nullptr, SW_SHOWNORMAL)), SE_ERR_NOASSOC);
        ASSERT_EQ(recorder.Calls().size(), 2u);
        EXPECT_EQ(recorder.Calls()[0].strOperation, CString("open"));
        EXPECT_EQ(recorder.Calls()[0].strFile, CString("https://www.qt.io/"));
        EXPECT_EQ(recorder.Calls()[0].nShowCmd, SW_SHOWNORMAL);
    }
    // Without the recorder: files that do not exist never reach the desktop.
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecute(nullptr, "open", "/nonexistent/readme.md", nullptr, nullptr, SW_SHOWNORMAL)), SE_ERR_FNF);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecute(nullptr, "open", "file:///nonexistent/readme.md", nullptr, nullptr, SW_SHOWNORMAL)), SE_ERR_FNF);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecute(nullptr, "print", "/etc/hostname", nullptr, nullptr, SW_SHOWNORMAL)), SE_ERR_NOASSOC);
}
