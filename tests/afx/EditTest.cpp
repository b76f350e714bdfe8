// The standard edit control over real widgets: CP936 text and byte positions, limits and
// styles, a derived control that takes some characters and hands the rest to the widget, and
// keys that stay with the edit.
#include "Codec.h"
#include "Edit.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A plain top-level window that records the keys reaching it.
class CKeyRecorder : public CWnd {
public:
    std::vector<UINT> keys;

    BOOL CreateTopLevel()
    {
        return CreateEx(0, nullptr, "edit test", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr, 0);
    }

protected:
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override
    {
        keys.push_back(nChar);
        CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
    }
};

// Takes 'x' itself and hands every other character to the widget.
class CNoXEdit : public CEdit {
public:
    std::vector<UINT> chars;

protected:
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override
    {
        chars.push_back(nChar);
        if (nChar != 'x')
            CEdit::OnChar(nChar, nRepCnt, nFlags);
    }
};

CString FromUtf8(const char* psz)
{
    return Codec::FromUnicode(QString::fromUtf8(psz));
}

CString TextOf(const CWnd& wnd)
{
    CString str;
    wnd.GetWindowText(str);
    return str;
}

std::pair<int, int> SelOf(const CEdit& edit)
{
    int nStart, nEnd;
    edit.GetSel(nStart, nEnd);
    return {nStart, nEnd};
}

void Commit(CWnd& wnd, const char* pszUtf8)
{
    QInputMethodEvent event;
    event.setCommitString(QString::fromUtf8(pszUtf8));
    QCoreApplication::sendEvent(wnd.m_hWnd, &event);
}

} // namespace

TEST(EditTest, TextAndSelectionAreCp936Bytes)
{
    CKeyRecorder parent;
    ASSERT_TRUE(parent.CreateTopLevel());
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE | WS_BORDER, CRect(10, 10, 200, 34), &parent, 7));
    EXPECT_EQ(edit.GetDlgCtrlID(), 7u);
    auto* pLine = qobject_cast<QLineEdit*>(edit.m_hWnd);
    ASSERT_NE(pLine, nullptr);

    const CString str = FromUtf8("ab中文cd");   // 8 bytes, 6 characters
    edit.SetWindowText(str);
    EXPECT_EQ(pLine->text(), QString::fromUtf8("ab中文cd"));
    EXPECT_STREQ(TextOf(edit), str);

    edit.SetSel(2, 4);
    EXPECT_EQ(pLine->selectedText(), QString::fromUtf8("中"));
    EXPECT_EQ(SelOf(edit), std::make_pair(2, 4));
    edit.SetSel(3, 6);   // inside a character: the whole character counts
    EXPECT_EQ(pLine->selectedText(), QString::fromUtf8("文"));
    edit.SetSel(0, -1);
    EXPECT_EQ(SelOf(edit), std::make_pair(0, 8));
    edit.SetSel(-1, 0);
    EXPECT_FALSE(pLine->hasSelectedText());
    edit.SetSel(8, -1);
    EXPECT_EQ(SelOf(edit), std::make_pair(8, 8));
    EXPECT_EQ(edit.GetSel(), (DWORD)MAKELONG(8, 8));

    edit.SetSel(2, 6);
    edit.ReplaceSel(FromUtf8("字"));
    EXPECT_STREQ(TextOf(edit), FromUtf8("ab字cd"));
    EXPECT_EQ(SelOf(edit), std::make_pair(4, 4));
}

TEST(EditTest, TypingHonoursTheLimitAndTheNumberStyle)
{
    CKeyRecorder parent;
    ASSERT_TRUE(parent.CreateTopLevel());
    CEdit edit;
    ASSERT_TRUE(edit.Create(WS_VISIBLE, CRect(0, 0, 200, 24), &parent, 1));
    edit.SetFocus();

    edit.LimitText(6);
    EXPECT_EQ(edit.GetLimitText(), 6u);
    QTest::keyClicks(edit.m_hWnd, "ab");
    Commit(edit, "中文字");   // 8 bytes: too long, refused as a whole
    EXPECT_STREQ(TextOf(edit), "ab");
    Commit(edit, "中文");
    EXPECT_STREQ(TextOf(edit), FromUtf8("ab中文"));
    QTest::keyClicks(edit.m_hWnd, "z");
    EXPECT_STREQ(TextOf(edit), FromUtf8("ab中文"));

    CEdit number;
    ASSERT_TRUE(number.Create(WS_VISIBLE | ES_NUMBER, CRect(0, 30, 200, 54), &parent, 2));
    number.SetFocus();
    QTest::keyClicks(number.m_hWnd, "1a2-b3");
    EXPECT_STREQ(TextOf(number), "123");
    QTest::keyClick(number.m_hWnd, Qt::Key_Backspace);
    EXPECT_STREQ(TextOf(number), "12");
}

TEST(EditTest, ADerivedEditOverASubclassedWidgetPassesOnWhatItDoesNotTake)
{
    CKeyRecorder parent;
    ASSERT_TRUE(parent.CreateTopLevel());
    auto* pLine = new QLineEdit(parent.m_hWnd);
    pLine->setGeometry(5, 5, 150, 24);
    pLine->show();
    CNoXEdit edit;
    ASSERT_TRUE(edit.SubclassWindow(pLine));
    edit.SetFocus();

    QTest::keyClicks(pLine, "axb");
    EXPECT_EQ(pLine->text(), QString("ab"));
    EXPECT_EQ(edit.chars, (std::vector<UINT>{'a', 'x', 'b'}));

    // Committed Chinese reaches the handler as whole double-byte characters.
    edit.chars.clear();
    Commit(edit, "张");
    EXPECT_EQ(edit.chars, (std::vector<UINT>{0xD5C5}));
    EXPECT_EQ(pLine->text(), QString::fromUtf8("ab张"));

    // Keys the widget has no use for stay with the edit.
    QTest::keyClick(pLine, Qt::Key_PageDown);
    QTest::keyClick(pLine, Qt::Key_Up);
    EXPECT_TRUE(parent.keys.empty());

    EXPECT_EQ(edit.UnsubclassWindow(), pLine);
    delete pLine;
}

TEST(EditTest, StylesAndDialogCodes)
{
    CKeyRecorder parent;
    ASSERT_TRUE(parent.CreateTopLevel());
    CEdit right, multi, wantReturn;
    ASSERT_TRUE(right.Create(WS_VISIBLE | ES_RIGHT | ES_READONLY, CRect(0, 0, 100, 24), &parent, 1));
    ASSERT_TRUE(multi.Create(WS_VISIBLE | ES_MULTILINE, CRect(0, 30, 100, 90), &parent, 2));
    ASSERT_TRUE(wantReturn.Create(WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, CRect(0, 100, 100, 160),
                                  &parent, 3));

    auto* pRight = qobject_cast<QLineEdit*>(right.m_hWnd);
    ASSERT_NE(pRight, nullptr);
    EXPECT_TRUE(pRight->alignment() & Qt::AlignRight);
    EXPECT_TRUE(pRight->isReadOnly());
    ASSERT_NE(qobject_cast<QPlainTextEdit*>(multi.m_hWnd), nullptr);

    multi.SetWindowText(FromUtf8("一\n二"));
    multi.SetSel(3, -1);
    EXPECT_EQ(SelOf(multi), std::make_pair(3, 5));
    EXPECT_STREQ(TextOf(multi), FromUtf8("一\n二"));

    // Enter is the dialog's unless the multi-line edit wants returns (or Ctrl is held).
    MSG enter {nullptr, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    const LRESULT nSingle = right.SendMessage(WM_GETDLGCODE, VK_RETURN, (LPARAM)&enter);
    EXPECT_EQ(nSingle & DLGC_WANTALLKEYS, 0);
    EXPECT_NE(nSingle & DLGC_WANTCHARS, 0);
    EXPECT_EQ(multi.SendMessage(WM_GETDLGCODE, VK_RETURN, (LPARAM)&enter) & DLGC_WANTALLKEYS, 0);
    EXPECT_NE(wantReturn.SendMessage(WM_GETDLGCODE, VK_RETURN, (LPARAM)&enter) & DLGC_WANTALLKEYS, 0);

    // An edit needs a parent.
    CEdit orphan;
    EXPECT_FALSE(orphan.Create(WS_VISIBLE, CRect(0, 0, 10, 10), nullptr, 1));
    EXPECT_EQ(orphan.GetSafeHwnd(), nullptr);
}
