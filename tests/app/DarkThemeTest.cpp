// A dark desktop theme: texts the program draws over the desktop's colours take the desktop's
// text colour with them; texts in colours the program fixes get a background they can be read
// on. Each test runs under a dark palette and looks at what the windows show.
#include "../gridctrl/ViewTestGrid.h"
#include "DocumentTestSupport.h"
#include "OtherSoftDlg.h"
#include "SetupDlg.h"
#include "StatLink.h"

#include "Testing.h"

#include <QApplication>
#include <QPalette>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The application's palette turned dark for the test's lifetime, as a dark desktop theme
// hands it to every program.
class CDarkPalette {
public:
    CDarkPalette() : m_saved(QApplication::palette())
    {
        QPalette dark;
        const std::pair<QPalette::ColorRole, QRgb> colours[] = {
            {QPalette::Window, 0x353535}, {QPalette::WindowText, 0xF0F0F0}, {QPalette::Base, 0x2A2A2A},
            {QPalette::Text, 0xEEEEEE}, {QPalette::Button, 0x353535}, {QPalette::ButtonText, 0xF0F0F0},
            {QPalette::ToolTipBase, 0x202020}, {QPalette::ToolTipText, 0xF5F5DC}, {QPalette::Light, 0x505050},
            {QPalette::Midlight, 0x454545}, {QPalette::Dark, 0x202020}, {QPalette::Shadow, 0x101010}};
        for (const auto& [role, rgb] : colours)
            dark.setColor(role, QColor(rgb));
        QApplication::setPalette(dark);
    }
    ~CDarkPalette() { QApplication::setPalette(m_saved); }

private:
    QPalette m_saved;
};

double Luminance(QRgb rgb)
{
    const auto channel = [](int n) {
        const double c = n / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QRgb ToRgb(COLORREF cr)
{
    return qRgb(GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

// The strongest contrast any pixel of the rectangle makes with the background colour: that of
// the text's ink when the rectangle holds text.
double InkContrast(const QImage& image, const QRect& rect, QRgb rgbBack)
{
    double dBest = 1;
    const QRect r = rect & image.rect();
    for (int y = r.top(); y <= r.bottom(); y++)
        for (int x = r.left(); x <= r.right(); x++)
            dBest = std::max(dBest, Contrast(image.pixel(x, y), rgbBack));
    return dBest;
}

// Readable text: 4.5 to 1, as accessibility guidelines ask of text this size.
constexpr double kReadable = 4.5;

} // namespace

TEST(DarkTheme, TitleTipTextTakesTheTipColoursTextColour)
{
    CDarkPalette dark;
    GridWindow w;
    w.grid.SetItemText(3, 4, Codec::FromUnicode(QString::fromUtf8("第一中学高中组书法一等奖：未来城市 指导教师戴明")));
    w.grid.PaintAll();
    w.grid.SetFocus();
    QTest::mouseMove(w.grid.m_hWnd, QPoint(2, 2));
    const CPoint pt = w.grid.CellRect(3, 4).CenterPoint();
    QTest::mouseMove(w.grid.m_hWnd, QPoint(pt.x, pt.y));
    QApplication::processEvents();
    CTitleTip& tip = w.grid.m_TitleTip;
    ASSERT_TRUE(tip.IsWindowVisible());
    const QImage& image = tip.GetBackingImage();
    const QRgb rgbBack = ToRgb(GetSysColor(COLOR_INFOBK));
    EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), rgbBack);
    EXPECT_GT(InkContrast(image, image.rect(), rgbBack), kReadable);
    tip.Hide();
}

TEST(DarkTheme, DesignerLinesAroundThePageTakeTheWindowsTextColour)
{
    CDarkPalette dark;
    CPrintSet printSet;
    Testing::CModalDialogAnswerer dialogs;
    double dStatus = 0, dPaper = 0, dButtonInk = 0;
    dialogs.QueueAnswer(IDD_SETUP_DIALOG, 0, [&](CDialog& d) {
        auto& dlg = static_cast<CSetupDlg&>(d);
        dlg.Invalidate(FALSE);
        dlg.UpdateWindow();
        const QImage& image = dlg.GetBackingImage();
        const QRgb rgbFace = ToRgb(GetSysColor(COLOR_BTNFACE));
        const CRect& rectPage = dlg.m_rectPage;
        dStatus = InkContrast(image, QRect(rectPage.left, rectPage.bottom, 200, 16), rgbFace);
        dPaper = InkContrast(image, QRect(20, 0, dlg.m_rectSizeButton.left - 40, 20), rgbFace);
        // The light-blue box keeps its black text.
        const CRect& rectButton = dlg.m_rectSizeButton;
        dButtonInk = InkContrast(image, QRect(rectButton.left, rectButton.top, rectButton.Width(), rectButton.Height()),
                                 qRgb(153, 217, 234));
        dlg.GetSafeHwnd()->close();
    });
    CSetupDlg dlg;
    dlg.m_pPrintSet = &printSet;
    dlg.DoModal();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_GT(dStatus, kReadable);
    EXPECT_GT(dPaper, kReadable);
    EXPECT_GT(dButtonInk, 8.0);
}

// The link colours are the program's: on the default light dialogs the label shows the
// dialog's colour through; on a dark one it brings its own light background.
TEST(DarkTheme, LinkLabelsBringALightBackgroundOnlyWhereTheDialogIsDark)
{
    const auto labelCorner = [](double& dContrast) {
        Testing::CModalDialogAnswerer dialogs;
        QRgb rgbCorner = 0;
        dialogs.QueueAnswer(IDD_OTHERSOFT_DIALOG, 0, [&](CDialog& d) {
            QWidget* pLabel = d.GetDlgItem(IDC_LINK_QT)->GetSafeHwnd();
            // Its first paint asks the label for its colours, which the next paint shows.
            pLabel->grab();
            const QImage image = pLabel->grab().toImage().convertToFormat(QImage::Format_RGB32);
            rgbCorner = image.pixel(image.width() - 1, image.height() - 1);
            dContrast = InkContrast(image, image.rect(), rgbCorner);
        });
        COtherSoftDlg dlg;
        dlg.DoModal();
        return rgbCorner;
    };
    double dLight = 0, dDark = 0;
    const QRgb rgbDialogLight = QApplication::palette().color(QPalette::Window).rgb();
    EXPECT_EQ(labelCorner(dLight), rgbDialogLight);
    EXPECT_FALSE(CStaticLink::NeedsOwnBackground());
    {
        CDarkPalette dark;
        EXPECT_TRUE(CStaticLink::NeedsOwnBackground());
        EXPECT_GT(qGray(labelCorner(dDark)), 240);
    }
    EXPECT_GT(dLight, kReadable);
    EXPECT_GT(dDark, kReadable);
}
