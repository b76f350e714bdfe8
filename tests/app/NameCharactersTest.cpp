// Names with characters outside GBK, pasted through the clipboard: whole in the cell, in the
// preview's tokens and on its page, and in the exported PDF as text with glyphs that are
// neither blank nor the box of a missing character. Documents in folders GBK cannot name.
#include "CertificateWnd.h"
#include "PdfExport.h"
#include "PdfTestSupport.h"

#include "Testing.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPushButton>
#include <QTest>

#include <bitset>

using namespace PdfTest;

namespace {

// 王 and 䶮 (a two-byte code GB18030 gave to a character GBK lacks), then three four-byte
// sequences; U+10FFFD, which no installed face has, draws the box of a missing character.
const char* const kName = "王䶮𠀾ß😀";
const char* const kNameBytes = "\xCD\xF5\xFE\x9F\x95\x32\x88\x38\x81\x30\x89\x38\x94\x39\xFC\x36";
const char* const kMissing = "\xF4\x8F\xBF\xBD";

// The name in the two faces whose stand-ins differ most (AR PL UKai has blank glyphs for some
// characters of this kind), and the missing character in each.
const Item kNameItems[] = {
    {CRect(200, 200, 2200, 320), "{A}", "楷体_GB2312"},
    {CRect(200, 500, 2200, 620), "{A}", "宋体"},
    {CRect(200, 800, 2200, 920), "{B}", "楷体_GB2312"},
    {CRect(200, 1100, 2200, 1220), "{B}", "宋体"},
};

// Where each character of a text lies on the paper when an item draws it: its text cell.
std::vector<CRect> CharCells(const Item& item, const char* pszUtf8)
{
    CFont font;
    CLineRule::CreateItemFont(font, item.rectPaper.Height(), Gbk(item.pszFont));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&font);
    std::vector<CRect> cells;
    int x = item.rectPaper.left;
    for (char32_t c : QString::fromUtf8(pszUtf8).toUcs4()) {
        const CSize size = dc.GetTextExtent(Codec::FromUnicode(QString::fromUcs4(&c, 1)));
        cells.emplace_back(x, item.rectPaper.top, x + size.cx, item.rectPaper.top + size.cy);
        x += size.cx;
    }
    return cells;
}

// Which of 8 x 8 parts of rect hold dark pixels; and how many dark pixels there are.
std::bitset<64> InkGrid(const QImage& image, const QRect& rect, long* pnDark)
{
    std::bitset<64> grid;
    *pnDark = 0;
    const QRect r = rect & image.rect();
    for (int y = r.top(); y <= r.bottom(); y++) {
        for (int x = r.left(); x <= r.right(); x++) {
            if (qGray(image.pixel(x, y)) >= 128)
                continue;
            ++*pnDark;
            grid.set((size_t)(8 * (8 * (y - r.top()) / r.height()) + 8 * (x - r.left()) / r.width()));
        }
    }
    return grid;
}

// Every character of the name in items 0 and 1 has ink, and not the ink of the missing
// character's box in the same face (items 2 and 3); scale maps paper units to image pixels.
void ExpectDrawnGlyphs(const QImage& image, double dScale)
{
    auto toImage = [dScale](const CRect& cell) {
        return QRect(QPoint((int)(cell.left * dScale), (int)(cell.top * dScale)),
                     QPoint((int)(cell.right * dScale) - 1, (int)(cell.bottom * dScale) - 1));
    };
    for (int i = 0; i < 2; i++) {
        long nBoxDark = 0;
        const std::bitset<64> box = InkGrid(image, toImage(CharCells(kNameItems[i + 2], "\U0010FFFD")[0]), &nBoxDark);
        const std::vector<CRect> cells = CharCells(kNameItems[i], kName);
        const QList<uint> chars = QString::fromUtf8(kName).toUcs4();
        for (size_t k = 0; k < cells.size(); k++) {
            SCOPED_TRACE(testing::Message() << kNameItems[i].pszFont << " U+" << std::hex << chars[(qsizetype)k]);
            const QRect rect = toImage(cells[k]);
            long nDark = 0;
            const std::bitset<64> glyph = InkGrid(image, rect, &nDark);
            EXPECT_GT(nDark, rect.width() * rect.height() / 50);
            EXPECT_GT((glyph ^ box).count(), 8u) << "drawn as the missing character's box";
        }
        EXPECT_GT(nBoxDark, 0);   // the reference box itself is drawn
    }
}

class NameCharactersTest : public CMainWindowTest {
protected:
    void SetUp() override
    {
        CMainWindowTest::SetUp();
        SetItems(m_dlg.m_printSet, kNameItems);
    }
    CString PathOf(const QString& strRelative) const { return Codec::FromUnicode(m_dir.filePath(strRelative)); }
    void Click(UINT nID)
    {
        CWnd* pButton = m_dlg.GetDlgItem(nID);
        ASSERT_NE(pButton, nullptr) << nID;
        QTest::mouseClick(qobject_cast<QPushButton*>(pButton->GetSafeHwnd()), Qt::LeftButton);
    }

    Testing::CMessageBoxRecorder m_boxes;
    Testing::CFileDialogAnswerer m_files;
};

} // namespace

TEST_F(NameCharactersTest, APastedNameReachesTheCellThePreviewAndThePdfWhole)
{
    QApplication::clipboard()->setText(QString::fromUtf8(kName) + "\t" + Codec::ToUnicode(CString(kMissing)) + "\n");
    CGridCtrl& grid = m_dlg.m_wndGrid;
    grid.SetFocus();
    grid.SetFocusCell(1, 1);
    QTest::keyClick(grid.GetSafeHwnd(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(grid.GetItemText(1, 1), CString(kNameBytes));
    EXPECT_EQ(grid.GetItemText(1, 2), CString(kMissing));

    // The preview's tokens: one per character, four-byte sequences whole.
    m_dlg.m_nCurRecord = 1;
    CCertificateWnd wnd;
    wnd.m_pPrintSet = &m_dlg.m_printSet;
    ASSERT_TRUE(wnd.CreatePage());
    EXPECT_EQ(TokenBytes(wnd.m_arrItemTokens[0]),
              std::vector<std::string>({"\xCD\xF5", "\xFE\x9F", "\x95\x32\x88\x38", "\x81\x30\x89\x38", "\x94\x39\xFC\x36"}));
    wnd.DrawPage(FALSE);
    ASSERT_NE(wnd.m_pMemDC->GetImage(), nullptr);
    {
        SCOPED_TRACE("preview page");
        ExpectDrawnGlyphs(*wnd.m_pMemDC->GetImage(), 1.0);
    }

    // The PDF: the name as text, every face embedded, and glyphs where the characters are.
    CPdfExport pdf(&m_dlg.m_printSet);
    const QString strPdf = m_dir.filePath("name.pdf");
    ASSERT_EQ(pdf.Export(Codec::FromUnicode(strPdf)), 1);
    const auto pDoc = Poppler::Document::load(strPdf);
    ASSERT_TRUE(pDoc);
    const auto pPage = pDoc->page(0);
    // The text layer holds the characters of the Basic Multilingual Plane: the writer's
    // ToUnicode maps leave out glyphs beyond it (𠀾, 😀), which are drawn all the same.
    const QString strText = pPage->text(QRectF());
    EXPECT_EQ(strText.count(QString::fromUtf8("王䶮")), 2) << strText.toStdString();
    EXPECT_EQ(strText.count(QString::fromUtf8("ß")), 2) << strText.toStdString();
    EXPECT_EQ(pPage->search(QString::fromUtf8("王䶮")).size(), 2);
    for (const Poppler::FontInfo& font : pDoc->fonts())
        EXPECT_TRUE(font.isEmbedded()) << font.name().toStdString();
    const double dDpi = 254.0 / 4;   // four paper units a pixel
    {
        SCOPED_TRACE("PDF page");
        ExpectDrawnGlyphs(pPage->renderToImage(dDpi, dDpi), 0.25);
    }
}

// A document saved in a folder whose name GBK cannot spell opens again from there.
TEST_F(NameCharactersTest, DocumentsSaveAndOpenInFoldersOfAnyName)
{
    m_dlg.m_wndGrid.SetItemText(1, 1, CString(kNameBytes));
    for (const char* pszFolder : {"한국어", "Übung"}) {
        SCOPED_TRACE(pszFolder);
        const QString strFolder = QString::fromUtf8(pszFolder);
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(strFolder));
        const CString strPath = PathOf(strFolder + "/doc.zs");
        m_files.QueueAnswer(strPath);
        Click(IDC_SAVE_FILE_AS);
        EXPECT_TRUE(QFile::exists(m_dir.filePath(strFolder + "/doc.zs")));
        EXPECT_EQ(m_dlg.m_strPathName, strPath);

        Click(IDC_CLOSE_FILE);
        ASSERT_TRUE(m_dlg.m_wndGrid.GetItemText(1, 1).IsEmpty());
        m_files.QueueAnswer(strPath);
        Click(IDC_OPEN_FILE);
        EXPECT_EQ(m_dlg.m_wndGrid.GetItemText(1, 1), CString(kNameBytes));
        EXPECT_EQ(m_dlg.m_strPathName, strPath);
    }
    EXPECT_TRUE(m_boxes.Calls().empty()) << m_boxes.Calls().front().strText.str();
}
