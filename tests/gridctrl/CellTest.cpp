#include "GridCell.h"

#include "EditTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

LOGFONT MakeFont(const char* face, LONG height, LONG weight)
{
    LOGFONT lf;
    std::memset(&lf, 0, sizeof(lf));
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = GB2312_CHARSET;
    std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

void ExpectDefaults(const CGridCell& cell)
{
    EXPECT_EQ(cell.GetFormat(), 0x8824u);
    ASSERT_NE(cell.GetText(), nullptr);
    EXPECT_STREQ(cell.GetText(), "");
    EXPECT_EQ(cell.GetImage(), -1);
    EXPECT_EQ(cell.GetTextClr(), CLR_DEFAULT);
    EXPECT_EQ(cell.GetBackClr(), CLR_DEFAULT);
    EXPECT_EQ(cell.GetData(), 0);
    EXPECT_EQ(cell.GetMargin(), 3u);
    EXPECT_EQ(cell.GetState(), 0u);
    EXPECT_FALSE(cell.IsEditing());
    EXPECT_EQ(cell.GetGrid(), nullptr);
}

} // namespace

TEST(CellTest, NewCellAndDynamicCreationHaveTheDefaults)
{
    CGridCell cell;
    ExpectDefaults(cell);

    // The grid creates its cells through the class record.
    const CRuntimeClass* pClass = RUNTIME_CLASS(CGridCell);
    EXPECT_STREQ(pClass->m_lpszClassName, "CGridCell");
    EXPECT_TRUE(pClass->IsDerivedFrom(RUNTIME_CLASS(CGridCellBase)));
    std::unique_ptr<CObject> pObject(pClass->CreateObject());
    ASSERT_NE(pObject, nullptr);
    EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(CGridCell)));
    ExpectDefaults(*static_cast<CGridCell*>(pObject.get()));
}

TEST(CellTest, TextAndFontAreCopies)
{
    CGridCell cell;
    char buffer[] = "Zhang San";
    cell.SetText(buffer);
    buffer[0] = 'X';
    EXPECT_STREQ(cell.GetText(), "Zhang San");

    cell.SetText(nullptr);
    ASSERT_NE(cell.GetText(), nullptr);
    EXPECT_STREQ(cell.GetText(), "");

    // A double-byte CP936 name is kept byte for byte.
    cell.SetText("\xd5\xc5\xc8\xfd");
    EXPECT_STREQ(cell.GetText(), "\xd5\xc5\xc8\xfd");

    LOGFONT lf = MakeFont("\xcb\xce\xcc\xe5", -16, FW_BOLD);
    lf.lfItalic = 1;
    cell.SetFont(&lf);
    lf.lfHeight = -40;
    EXPECT_EQ(cell.GetFont()->lfHeight, -16);
    lf.lfHeight = -16;
    EXPECT_EQ(std::memcmp(cell.GetFont(), &lf, sizeof(LOGFONT)), 0);

    // A missing font breaks the contract (debug builds stop there); otherwise it is refused and
    // the copy stays.
    EXPECT_DEBUG_DEATH(cell.SetFont(nullptr), "plf");
    EXPECT_EQ(std::memcmp(cell.GetFont(), &lf, sizeof(LOGFONT)), 0);

    // A cell does not know where it is.
    cell.SetCoords(5, 7);
    EXPECT_STREQ(cell.GetText(), "\xd5\xc5\xc8\xfd");
    EXPECT_EQ(cell.GetFormat(), 0x8824u);
}

TEST(CellTest, ResetRestoresEverythingButTheFont)
{
    CGridCtrl grid;
    CGridCell cell;
    const LOGFONT lf = MakeFont("Sans", 20, FW_NORMAL);
    cell.SetFont(&lf);
    cell.SetText("text");
    cell.SetImage(4);
    cell.SetData(99);
    cell.SetState(GVIS_SELECTED | GVIS_FIXED);
    cell.SetFormat(DT_RIGHT);
    cell.SetTextClr(RGB(1, 2, 3));
    cell.SetBackClr(RGB(4, 5, 6));
    cell.SetMargin(9);
    cell.SetGrid(&grid);
    cell.Edit(1, 1, CRect(0, 0, 10, 10), CPoint(0, 0), 8, 0);
    ASSERT_TRUE(cell.IsEditing());

    cell.Reset();
    ExpectDefaults(cell);
    EXPECT_EQ(std::memcmp(cell.GetFont(), &lf, sizeof(LOGFONT)), 0);
}

TEST(CellTest, AssignmentCopiesAttributesButNotTheEditingState)
{
    CGridCtrl grid;
    CGridCell source;
    const LOGFONT lf = MakeFont("Serif", -12, FW_SEMIBOLD);
    source.SetGrid(&grid);
    source.SetText("source");
    source.SetImage(2);
    source.SetData(1234);
    source.SetState(GVIS_SELECTED | GVIS_MODIFIED);
    source.SetFormat(DT_CENTER | DT_SINGLELINE);
    source.SetTextClr(RGB(10, 20, 30));
    source.SetBackClr(RGB(40, 50, 60));
    source.SetFont(&lf);
    source.SetMargin(7);

    // Target idle, source idle: attributes arrive, the target stays idle.
    CGridCell target;
    target = source;
    EXPECT_EQ(target.GetGrid(), &grid);
    EXPECT_STREQ(target.GetText(), "source");
    EXPECT_EQ(target.GetImage(), 2);
    EXPECT_EQ(target.GetData(), 1234);
    EXPECT_EQ(target.GetState(), (DWORD)(GVIS_SELECTED | GVIS_MODIFIED));
    EXPECT_EQ(target.GetFormat(), (DWORD)(DT_CENTER | DT_SINGLELINE));
    EXPECT_EQ(target.GetTextClr(), RGB(10, 20, 30));
    EXPECT_EQ(target.GetBackClr(), RGB(40, 50, 60));
    EXPECT_EQ(std::memcmp(target.GetFont(), &lf, sizeof(LOGFONT)), 0);
    EXPECT_EQ(target.GetMargin(), 7u);
    EXPECT_FALSE(target.IsEditing());

    // An editing source does not make the target editing.
    source.Edit(1, 1, CRect(0, 0, 10, 10), CPoint(0, 0), 8, 0);
    ASSERT_TRUE(source.IsEditing());
    CGridCell idle;
    idle = source;
    EXPECT_FALSE(idle.IsEditing());

    // An editing target keeps editing when assigned through the base class.
    CGridCell editing;
    editing.Edit(1, 1, CRect(0, 0, 10, 10), CPoint(0, 0), 8, 0);
    CGridCellBase& base = editing;
    CGridCell plain;
    base = plain;
    EXPECT_TRUE(editing.IsEditing());
    EXPECT_STREQ(editing.GetText(), "");
}

TEST(CellTest, EditChoosesTheStyleAndOpensTheEditWindow)
{
    WindowedGrid w;
    struct Case {
        DWORD format;
        DWORD style;
    } cases[] = {
        {0x8824, ES_LEFT},
        {DT_CENTER | DT_VCENTER | DT_SINGLELINE, ES_CENTER},
        {DT_RIGHT, ES_RIGHT},
        {DT_RIGHT | DT_CENTER, ES_RIGHT},   // right wins
    };
    CGridCellBase* pCell = w.grid.GetCell(4, 6);
    for (const Case& c : cases) {
        pCell->SetFormat(c.format);
        pCell->SetText("abc");
        EXPECT_TRUE(pCell->Edit(4, 6, CRect(10, 20, 70, 38), CPoint(15, 25), 8, 'x'));
        EXPECT_TRUE(pCell->IsEditing());
        CInPlaceEdit* pEdit = FocusedInPlaceEdit();
        ASSERT_NE(pEdit, nullptr) << "format " << c.format;
        EXPECT_EQ(pEdit->GetStyle() & (ES_CENTER | ES_RIGHT), c.style) << "format " << c.format;
        EXPECT_EQ(pEdit->GetDlgCtrlID(), 8u);
        EXPECT_EQ(pEdit->GetParent(), &w.grid);
        EXPECT_EQ(WindowRectInGrid(w.grid, pEdit), CRect(10, 20, 70, 38));
        EXPECT_EQ(pEdit->GetRow(), 4);
        EXPECT_EQ(pEdit->GetColumn(), 6);
        EXPECT_STREQ(WindowText(pEdit), "x");   // the character replaced the cell's text

        pCell->EndEdit();
        EXPECT_FALSE(pCell->IsEditing());
        EXPECT_STREQ(w.grid.GetItemText(4, 6), "x");
        FinishClosing();
    }
}

TEST(CellTest, EndEditEndsTheEditWindowOnce)
{
    WindowedGrid w;
    CGridCellBase* pCell = w.grid.GetCell(1, 2);

    // Idle: nothing to end.
    pCell->EndEdit();
    EXPECT_TRUE(w.owner.notes.empty());

    ASSERT_TRUE(pCell->Edit(1, 2, CRect(0, 0, 50, 20), CPoint(0, 0), 8, 'q'));
    CInPlaceEdit* pEdit = FocusedInPlaceEdit();
    ASSERT_NE(pEdit, nullptr);
    pCell->EndEdit();
    EXPECT_TRUE(pEdit->HasEnded());
    EXPECT_FALSE(pCell->IsEditing());
    EXPECT_STREQ(w.grid.GetItemText(1, 2), "q");
    ASSERT_EQ(w.owner.Codes(), std::vector<UINT>{(UINT)GVN_ENDLABELEDIT});

    // The window waits for its WM_CLOSE; ending again reports nothing.
    pCell->EndEdit();
    w.grid.SetFocus();
    EXPECT_EQ(w.owner.notes.size(), 1u);
    FinishClosing();
    EXPECT_EQ(w.grid.GetDlgItem(IDC_INPLACE_CONTROL), nullptr);
}

TEST(CellTest, EditWithoutAGridWindowStaysInEditingState)
{
    CGridCtrl grid;   // no window: the edit window cannot be made
    CGridCell cell;
    cell.SetGrid(&grid);
    EXPECT_TRUE(cell.Edit(1, 1, CRect(0, 0, 10, 10), CPoint(0, 0), 8, 'a'));
    EXPECT_TRUE(cell.IsEditing());
    cell.EndEdit();   // nothing to end
    EXPECT_TRUE(cell.IsEditing());
    cell.OnEndEdit();
    EXPECT_FALSE(cell.IsEditing());
}
