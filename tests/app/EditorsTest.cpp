// The item editor and the paper-size editor, driven through their real widgets inside their
// modal runs; message boxes and the font dialog are answered through the test seams.
#include "DocumentTestSupport.h"
#include "EditDlg.h"
#include "PageSizeEditDlg.h"

#include "CommonDialogs.h"
#include "Testing.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTest>

namespace {

QWidget* Widget(CDialog& dlg, int nID)
{
    CWnd* pWnd = dlg.GetDlgItem(nID);
    return pWnd ? pWnd->GetSafeHwnd() : nullptr;
}

QString FieldText(CDialog& dlg, int nID)
{
    if (auto* pLine = qobject_cast<QLineEdit*>(Widget(dlg, nID)))
        return pLine->text();
    if (auto* pText = qobject_cast<QPlainTextEdit*>(Widget(dlg, nID)))
        return pText->toPlainText();
    return QString();
}

// Replaces a field's text as a user does: select all, type.
void TypeInto(CDialog& dlg, int nID, const char* pszText)
{
    QWidget* pWidget = Widget(dlg, nID);
    ASSERT_NE(pWidget, nullptr) << nID;
    pWidget->setFocus();
    QTest::keyClick(pWidget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pWidget, Qt::Key_Delete);
    QTest::keyClicks(pWidget, QString::fromUtf8(pszText));
}

void Click(CDialog& dlg, int nID)
{
    auto* pButton = qobject_cast<QPushButton*>(Widget(dlg, nID));
    ASSERT_NE(pButton, nullptr) << nID;
    QTest::mouseClick(pButton, Qt::LeftButton);
}

class EditorsTest : public ::testing::Test {
protected:
    CString LastMessage() const
    {
        return m_boxes.Calls().empty() ? CString() : m_boxes.Calls().back().strText;
    }

    Testing::CMessageBoxRecorder m_boxes;
    Testing::CModalDialogAnswerer m_dialogs;
};

TEST_F(EditorsTest, ItemEditorReportsHeightFirstAndKeepsTheDeleteFlag)
{
    CEditDlg dlg;
    dlg.m_strText = Gbk("{C}同学:");
    dlg.m_nWidth = 2000;
    dlg.m_nHeight = 120;
    bool bChecked = false;
    m_dialogs.QueueAnswer(IDD_EDIT_DIALOG, 0, [&](CDialog& d) {
        EXPECT_EQ(FieldText(d, IDC_ITEM_TEXT), QString::fromUtf8("{C}同学:"));
        EXPECT_EQ(FieldText(d, IDC_ITEM_WIDTH), "2000");
        EXPECT_EQ(FieldText(d, IDC_ITEM_HEIGHT), "120");

        // Both out of range: the height is reported, with its bounds, and takes the focus.
        Click(d, IDOK);
        ASSERT_TRUE(d.IsModalRunning());
        EXPECT_EQ(LastMessage(), Gbk("“请填入一个在5和100之间的整数。”"));
        EXPECT_EQ(QApplication::focusWidget(), Widget(d, IDC_ITEM_HEIGHT));

        // The delete button validates too; its flag stays set after the refusal.
        Click(d, IDC_DELETE_ITEM);
        EXPECT_TRUE(d.IsModalRunning());
        EXPECT_TRUE(dlg.m_bDelete);

        TypeInto(d, IDC_ITEM_HEIGHT, "100");
        Click(d, IDOK);
        EXPECT_EQ(LastMessage(), Gbk("“请填入一个在10和1900之间的整数。”"));
        EXPECT_EQ(QApplication::focusWidget(), Widget(d, IDC_ITEM_WIDTH));

        // Width and height take digits only while typing.
        TypeInto(d, IDC_ITEM_WIDTH, "1x9-0 0");
        EXPECT_EQ(FieldText(d, IDC_ITEM_WIDTH), "1900");
        const size_t nMessages = m_boxes.Calls().size();
        Click(d, IDOK);
        EXPECT_EQ(m_boxes.Calls().size(), nMessages);
        bChecked = true;
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(bChecked);
    EXPECT_TRUE(dlg.m_bDelete);   // a later OK deletes the item
    EXPECT_EQ(dlg.m_nHeight, 100u);
    EXPECT_EQ(dlg.m_nWidth, 1900u);
    EXPECT_EQ(m_boxes.Calls().size(), 3u);

    // Bounds are inclusive at the bottom as well.
    CEditDlg dlgSmall;
    dlgSmall.m_nWidth = 9;
    dlgSmall.m_nHeight = 5;
    m_dialogs.QueueAnswer(IDD_EDIT_DIALOG, IDOK, [&](CDialog& d) {
        Click(d, IDOK);
        EXPECT_EQ(LastMessage(), Gbk("“请填入一个在10和1900之间的整数。”"));
        TypeInto(d, IDC_ITEM_WIDTH, "10");
    });
    EXPECT_EQ(dlgSmall.DoModal(), IDOK);
    EXPECT_FALSE(dlgSmall.m_bDelete);
    EXPECT_EQ(dlgSmall.m_nWidth, 10u);
}

TEST_F(EditorsTest, ItemTextTakesALineBreakWithCtrlEnterOnly)
{
    CEditDlg dlg;
    dlg.m_nWidth = 300;
    dlg.m_nHeight = 40;
    m_dialogs.QueueAnswer(IDD_EDIT_DIALOG, 0, [&](CDialog& d) {
        TypeInto(d, IDC_ITEM_TEXT, "ab");
        QWidget* pText = Widget(d, IDC_ITEM_TEXT);
        QTest::keyClick(pText, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(pText, "cd");
        ASSERT_TRUE(d.IsModalRunning());
        // A plain Enter presses the default button.
        QTest::keyClick(pText, Qt::Key_Return);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strText, CString("ab\r\ncd"));
}

// A text read from a file may break its lines with LF or CR alone; the edit shows every break
// alike. Confirmed untouched, the text comes back byte for byte; once typed into, it comes back
// with CR LF breaks, as the edit writes them.
TEST_F(EditorsTest, AnUntouchedTextComesBackByteForByte)
{
    const struct {
        const char* pszText;
        const char* pszAfterTyping;   // "!" typed at the end
    } cases[] = {
        {"AB\nCD", "AB\r\nCD!"},
        {"AB\rCD", "AB\r\nCD!"},
        {"A\r\nB\nC\rD", "A\r\nB\r\nC\r\nD!"},
        {"\n\n", "\r\n\r\n!"},
        {"A\r\nB", "A\r\nB!"},
    };
    for (const auto& c : cases) {
        for (const bool bType : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.pszText << (bType ? " typed" : " untouched"));
            CEditDlg dlg;
            dlg.m_strText = c.pszText;
            dlg.m_nWidth = 300;
            dlg.m_nHeight = 40;
            m_dialogs.QueueAnswer(IDD_EDIT_DIALOG, IDOK, [&](CDialog& d) {
                if (!bType)
                    return;
                auto* pText = qobject_cast<QPlainTextEdit*>(Widget(d, IDC_ITEM_TEXT));
                pText->setFocus();
                pText->moveCursor(QTextCursor::End);
                QTest::keyClicks(pText, "!");
            });
            EXPECT_EQ(dlg.DoModal(), IDOK);
            EXPECT_EQ(dlg.m_strText.str(), bType ? c.pszAfterTyping : c.pszText);
        }
    }
}

TEST_F(EditorsTest, FontButtonKeepsOnlyTheFaceName)
{
    Testing::CFontDialogAnswerer fonts;
    fonts.QueueAnswer(Gbk("黑体"), 36);
    fonts.QueueCancel();
    CEditDlg dlg;
    dlg.m_nWidth = 300;
    dlg.m_nHeight = 40;
    dlg.m_strFontName = Gbk("楷体_GB2312");
    m_dialogs.QueueAnswer(IDD_EDIT_DIALOG, IDOK, [&](CDialog& d) {
        Click(d, IDC_CHOOSE_FONT);
        EXPECT_EQ(dlg.m_strFontName, Gbk("黑体"));
        Click(d, IDC_CHOOSE_FONT);   // cancelled: nothing changes
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strFontName, Gbk("黑体"));
    EXPECT_EQ(dlg.m_nHeight, 40u);
    ASSERT_EQ(fonts.Calls().size(), 2u);
    const Testing::FontDialogCall& call = fonts.Calls().front();
    EXPECT_EQ(call.dwFlags, (DWORD)(CF_SCREENFONTS | CF_EFFECTS));
    EXPECT_FALSE(call.bInitialFont);
    EXPECT_FALSE(call.bPrinterDC);
    EXPECT_FALSE(call.bParentWnd);
}

// The real font dialog: the Chinese faces of layouts listed under their own names, nothing
// chosen at first, the chosen face kept as listed whatever size was chosen.
TEST_F(EditorsTest, FontDialogListsTheChineseFacesByTheirNames)
{
    Testing::CFontDialogAnswerer fonts;
    bool bDriven = false;
    fonts.QueueAction([&](QDialog& dlg) {
        auto* pFaces = dlg.findChild<QListWidget*>("faceList");
        auto* pSize = dlg.findChild<QComboBox*>("sizeBox");
        auto* pButtons = dlg.findChild<QDialogButtonBox*>();
        ASSERT_TRUE(pFaces && pSize && pButtons);
        EXPECT_EQ(pFaces->currentItem(), nullptr);
        EXPECT_FALSE(pButtons->button(QDialogButtonBox::Ok)->isEnabled());
        const QList<QListWidgetItem*> kai = pFaces->findItems(QString::fromUtf8("楷体_GB2312"), Qt::MatchExactly);
        ASSERT_EQ(kai.size(), 1);
        EXPECT_FALSE(pFaces->findItems(QString::fromUtf8("宋体"), Qt::MatchExactly).isEmpty());
        EXPECT_FALSE(pFaces->findItems(QString::fromUtf8("黑体"), Qt::MatchExactly).isEmpty());
        pFaces->setCurrentItem(kai.first());
        pSize->setCurrentText("36");
        QTest::mouseClick(pButtons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        bDriven = true;
    });
    CFontDialog dlg(nullptr, CF_SCREENFONTS | CF_EFFECTS);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(bDriven);
    EXPECT_EQ(dlg.GetFaceName(), Gbk("楷体_GB2312"));
    EXPECT_EQ(dlg.GetSize(), 360);

    fonts.QueueAction([](QDialog& d) { d.reject(); });
    CFontDialog dlgCancel;
    EXPECT_EQ(dlgCancel.DoModal(), IDCANCEL);
}

TEST_F(EditorsTest, PaperSizeEditorChecksBothBoundsHeightFirst)
{
    CPageSizeEditDlg dlg;
    dlg.m_nWidth = 2450;
    dlg.m_nHeight = 1760;
    m_dialogs.QueueAnswer(IDD_PAGESIZE_DIALOG, 0, [&](CDialog& d) {
        EXPECT_EQ(FieldText(d, IDC_PAPER_WIDTH), "2450");
        EXPECT_EQ(FieldText(d, IDC_PAPER_HEIGHT), "1760");
        TypeInto(d, IDC_PAPER_WIDTH, "20001");
        TypeInto(d, IDC_PAPER_HEIGHT, "99");
        Click(d, IDOK);
        EXPECT_EQ(LastMessage(), Gbk("“请填入一个在100和20000之间的整数。”"));
        EXPECT_EQ(QApplication::focusWidget(), Widget(d, IDC_PAPER_HEIGHT));

        // Letters can be typed here; the exchange refuses them.
        TypeInto(d, IDC_PAPER_HEIGHT, "15a0");
        EXPECT_EQ(FieldText(d, IDC_PAPER_HEIGHT), "15a0");
        Click(d, IDOK);
        EXPECT_EQ(LastMessage(), Gbk("“请填入一个正整数。”"));
        EXPECT_EQ(QApplication::focusWidget(), Widget(d, IDC_PAPER_HEIGHT));

        TypeInto(d, IDC_PAPER_HEIGHT, "100");
        Click(d, IDOK);
        EXPECT_EQ(LastMessage(), Gbk("“请填入一个在100和20000之间的整数。”"));
        EXPECT_EQ(QApplication::focusWidget(), Widget(d, IDC_PAPER_WIDTH));
        TypeInto(d, IDC_PAPER_WIDTH, "20000");
        Click(d, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_nWidth, 20000u);
    EXPECT_EQ(dlg.m_nHeight, 100u);
    EXPECT_EQ(m_boxes.Calls().size(), 3u);
}

} // namespace
