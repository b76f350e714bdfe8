// Starts the real program on its own X server, as a user would see it, and checks the main
// window that appears: its title, and that it shows a drawn table rather than an empty surface.

#include "MainDlg.h"
#include "PreviewTestSupport.h"
#include "PrintItem.h"

#include "Codec.h"
#include "Dialog.h"
#include "XvfbSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <optional>

bool SendWindowCloseBox(unsigned long nWindow, const char* pszDisplay);

namespace {

using namespace XvfbSupport;

struct InkCount
{
    long nLight = 0; // cell backgrounds
    long nDark = 0;  // grid lines, heading edges and text
    long nTotal = 0;
};

InkCount CountInk(const QImage& image, const WindowGeometry& window)
{
    InkCount count;
    const int nLeft = std::max(0, window.x), nTop = std::max(0, window.y);
    const int nRight = std::min(image.width(), window.x + window.cx);
    const int nBottom = std::min(image.height(), window.y + window.cy);
    for (int y = nTop; y < nBottom; ++y) {
        const QRgb* pLine = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = nLeft; x < nRight; ++x) {
            const int nGray = qGray(pLine[x]);
            count.nLight += nGray >= 220;
            count.nDark += nGray <= 210;
            ++count.nTotal;
        }
    }
    return count;
}

TEST(XvfbWindow, ProgramShowsTitledTableWindow)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    CChildProcess server;
    const std::optional<QString> display = StartXvfb(server);
    ASSERT_TRUE(display.has_value()) << "could not start Xvfb on a free display (are xvfb and xdotool installed?)";

    CChildProcess program;
    ASSERT_TRUE(StartProgram(program, VELTRANE_BINARY, *display, dir.path())) << "cannot start " << VELTRANE_BINARY;

    QString window;
    const bool bShown = WaitFor(
        [&] {
            if (!program.IsRunning())
                return true;
            const ToolResult found =
                RunTool("xdotool", {"search", "--onlyvisible", "--name", "Veltrane"}, *display);
            window = found.nExitCode == 0 ? found.strOutput.section('\n', 0, 0) : QString();
            return !window.isEmpty();
        },
        15000);
    ASSERT_TRUE(program.IsRunning()) << "the program ended before showing a window, exit code "
                                     << program.Process().exitCode();
    ASSERT_TRUE(bShown && !window.isEmpty()) << "no visible window with a title within 15 s";

    const ToolResult title = RunTool("xdotool", {"getwindowname", window}, *display);
    ASSERT_EQ(title.nExitCode, 0);
    // A new document with an empty table.
    EXPECT_EQ(title.strOutput,
              QString::fromUtf8("Veltrane [ 新文件 ] -- 把证书原始数据复制粘贴到下面的空表中"))
        << title.strOutput.toStdString();

    const std::optional<WindowGeometry> geometry = ReadGeometry(window, *display);
    ASSERT_TRUE(geometry.has_value());
    ASSERT_GE(geometry->cx, 100);
    ASSERT_GE(geometry->cy, 100);

    // The first paint may follow the mapping of the window; give it a moment to land.
    QImage screen;
    InkCount ink;
    const auto bDrawn = [&] {
        screen = TakeScreenshot(*display, QDir(dir.path()));
        if (screen.isNull())
            return false;
        ink = CountInk(screen, *geometry);
        return ink.nTotal > 0 && ink.nLight * 5 >= ink.nTotal && ink.nDark * 100 >= ink.nTotal;
    };
    WaitFor(bDrawn, 5000);
    ASSERT_FALSE(screen.isNull()) << "no screenshot from xwd and convert";
    ASSERT_EQ(screen.size(), QSize(1280, 1024));
    // A table shows mostly light cells crossed by darker grid lines and headings.
    EXPECT_GE(ink.nLight * 5, ink.nTotal) << "light pixels: " << ink.nLight << " of " << ink.nTotal;
    EXPECT_GE(ink.nDark * 100, ink.nTotal) << "dark pixels: " << ink.nDark << " of " << ink.nTotal;
    EXPECT_TRUE(program.IsRunning()) << "the program ended while on screen";
}

// The designer on a real window: the sample records pasted through the X clipboard, the
// default item dragged with the mouse, the window closed with its close box; the preview then
// shows the item's text moved, and the saved document holds its new paper rectangle.
TEST(XvfbWindow, DraggedItemMovesInThePreviewAndTheDocument)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CChildProcess server;
    const std::optional<QString> display = StartXvfb(server);
    ASSERT_TRUE(display.has_value()) << "could not start Xvfb on a free display";

    // The clipboard holds the 300 records, offered by xclip until the server ends.
    const QString records = QStringLiteral(VELTRANE_TEST_DATA "/records-300.tsv");
    ASSERT_EQ(RunTool("xclip", {"-selection", "clipboard", "-i", records}, *display).nExitCode, 0)
        << "is xclip installed?";

    CChildProcess program;
    ASSERT_TRUE(StartProgram(program, VELTRANE_BINARY, *display, dir.path()));

    const auto findWindow = [&](const QString& name) {
        QString window;
        WaitFor([&] {
            const ToolResult found = RunTool("xdotool", {"search", "--onlyvisible", "--name", name}, *display);
            window = found.nExitCode == 0 ? found.strOutput.section('\n', 0, 0) : QString();
            return !window.isEmpty() || !program.IsRunning();
        }, 15000);
        return window;
    };
    const auto xdo = [&](const QStringList& args) { return RunTool("xdotool", args, *display).nExitCode == 0; };
    const auto windowName = [&](const QString& window) {
        return RunTool("xdotool", {"getwindowname", window}, *display).strOutput;
    };

    const QString mainWindow = findWindow("Veltrane");
    ASSERT_FALSE(mainWindow.isEmpty()) << "no main window";
    const std::optional<WindowGeometry> mainGeometry = ReadGeometry(mainWindow, *display);
    ASSERT_TRUE(mainGeometry.has_value());
    // Dialog units of the main window's font, as the program measures them.
    const CSize base = AfxGetDialogBaseUnits("宋体", 9);
    const auto atUnits = [&](int x, int y) {
        return QStringList {QString::number(mainGeometry->x + x * base.cx / 4),
                            QString::number(mainGeometry->y + y * base.cy / 8)};
    };

    // A cell of the table, then the first cell (Ctrl+Home), then paste.
    ASSERT_TRUE(xdo(QStringList {"mousemove"} + atUnits(7 + 385 / 2, 7 + 303 / 2)));
    ASSERT_TRUE(xdo({"click", "1"}));
    ASSERT_TRUE(xdo({"key", "ctrl+Home"}));
    ASSERT_TRUE(xdo({"key", "ctrl+v"}));
    QThread::msleep(500);

    const auto closeWithCloseBox = [&](const QString& window, const QString& name) {
        if (!SendWindowCloseBox(window.toULong(), display->toLatin1().constData()))
            return false;
        return WaitFor([&] {
            return RunTool("xdotool", {"search", "--onlyvisible", "--name", name}, *display).nExitCode != 0;
        }, 10000);
    };
    const QString designerName = QString::fromUtf8("排版设计窗口");
    const QString previewName = QString::fromUtf8("打印预览");

    // The preview's page as the screen shows it: the certificate control of dialog 132.
    const CRect rectPage = PreviewPageRect();
    ASSERT_FALSE(rectPage.IsRectEmpty());
    const auto previewShot = [&](QRect& rectControl) {
        if (!xdo(QStringList {"mousemove"} + atUnits(402 + 25, 196 + 7)) || !xdo({"click", "1"}))
            return QImage();
        const QString preview = findWindow(previewName);
        const std::optional<WindowGeometry> g = preview.isEmpty() ? std::nullopt : ReadGeometry(preview, *display);
        if (!g)
            return QImage();
        rectControl = QRect(g->x + rectPage.left, g->y + rectPage.top, rectPage.Width(), rectPage.Height());
        const QImage shot = TakeSettledScreenshot(*display, QDir(dir.path()), rectControl);
        return closeWithCloseBox(preview, previewName) ? shot : QImage();
    };

    // "界面排版" opens the designer with the three default items (an empty table, a paste that
    // did not arrive, would get a message instead); closed at once, the preview shows them.
    const auto openDesigner = [&] {
        return xdo(QStringList {"mousemove"} + atUnits(402 + 25, 173 + 7)) && xdo({"click", "1"})
            ? findWindow(designerName) : QString();
    };
    QString designer = openDesigner();
    ASSERT_FALSE(designer.isEmpty()) << "the design window did not open; windows: "
        << RunTool("xdotool", {"search", "--onlyvisible", "--name", "."}, *display).strOutput.toStdString();
    ASSERT_TRUE(closeWithCloseBox(designer, designerName));
    QRect rectControl;
    const QImage before = previewShot(rectControl);
    ASSERT_FALSE(before.isNull()) << "no preview before the drag";

    designer = openDesigner();
    ASSERT_FALSE(designer.isEmpty());
    const std::optional<WindowGeometry> geometry = ReadGeometry(designer, *display);
    ASSERT_TRUE(geometry.has_value());
    CPrintSet layout;
    CPrintItem item;
    item.m_rectPage = CRect(20, 20, geometry->cx - 20, geometry->cy - 20);
    item.m_rectPaper = CRect(472, 728, 906, 801);
    item.PaperToScreen(&layout);
    const CPoint ptFrom(item.m_rectScreen.left + 6, item.m_rectScreen.top + 4);
    const int dx = 57, dy = -25;
    // The first paint places the items.
    ASSERT_FALSE(TakeSettledScreenshot(*display, QDir(dir.path()),
                                       QRect(geometry->x, geometry->y, geometry->cx, geometry->cy)).isNull())
        << "the design window did not paint";
    ASSERT_TRUE(xdo({"mousemove", QString::number(geometry->x + ptFrom.x), QString::number(geometry->y + ptFrom.y)}));
    ASSERT_TRUE(xdo({"mousedown", "1"}));
    ASSERT_TRUE(xdo({"mousemove", QString::number(geometry->x + ptFrom.x + dx / 2), QString::number(geometry->y + ptFrom.y + dy / 2)}));
    ASSERT_TRUE(xdo({"mousemove", QString::number(geometry->x + ptFrom.x + dx), QString::number(geometry->y + ptFrom.y + dy)}));
    ASSERT_TRUE(xdo({"mouseup", "1"}));
    ASSERT_TRUE(closeWithCloseBox(designer, designerName)) << "the close box did not close the design window";
    item.m_rectScreen.OffsetRect(dx, dy);
    item.ScreenToPaper(&layout);

    // In the preview only the dragged item's text changed place: the black ink found only
    // after the drag lies where the page puts the item's new paper rectangle, the ink found
    // only before it where the old one was.
    const QImage after = previewShot(rectControl);
    ASSERT_FALSE(after.isNull()) << "no preview after the drag";
    const auto isInk = [](QRgb c) { return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90; };
    QRect rectGone, rectCome;
    for (int y = rectControl.top(); y <= rectControl.bottom(); y++) {
        for (int x = rectControl.left(); x <= rectControl.right(); x++) {
            const bool bBefore = isInk(before.pixel(x, y)), bAfter = isInk(after.pixel(x, y));
            if (bBefore && !bAfter)
                rectGone |= QRect(x, y, 1, 1);
            if (bAfter && !bBefore)
                rectCome |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(rectGone.isEmpty() || rectCome.isEmpty()) << "the preview shows no change";
    const auto toScreen = [&](int nPaperX, int nPaperY) {
        return QPoint(rectControl.left() + nPaperX * rectControl.width() / 2450,
                      rectControl.top() + nPaperY * rectControl.height() / 1760);
    };
    const QPoint ptOld = toScreen(472, 728), ptNew = toScreen(item.m_rectPaper.left, item.m_rectPaper.top);
    EXPECT_NEAR(rectGone.left(), ptOld.x(), 4);
    EXPECT_NEAR(rectCome.left(), ptNew.x(), 4);
    EXPECT_NEAR(rectCome.left() - rectGone.left(), ptNew.x() - ptOld.x(), 3);
    EXPECT_NEAR(rectCome.top() - rectGone.top(), ptNew.y() - ptOld.y(), 3);
    EXPECT_LE(rectGone.bottom(), toScreen(0, 801).y() + 2);
    EXPECT_LE(rectCome.bottom(), toScreen(0, item.m_rectPaper.bottom).y() + 2);

    // "另存为" with a path typed into the file dialog.
    const QString path = dir.filePath("moved.zs");
    ASSERT_TRUE(xdo(QStringList {"mousemove"} + atUnits(402 + 25, 265 + 7)));
    ASSERT_TRUE(xdo({"click", "1"}));
    ASSERT_FALSE(findWindow(QString::fromUtf8("另存为")).isEmpty()) << "no file dialog";
    QThread::msleep(300);
    ASSERT_TRUE(xdo({"type", "--delay", "20", path}));
    ASSERT_TRUE(xdo({"key", "Return"}));
    ASSERT_TRUE(WaitFor([&] { return QFileInfo(path).size() > 0 && windowName(mainWindow).contains("moved"); }, 10000))
        << "the document was not saved";

    CMainDlg saved;
    ASSERT_TRUE(saved.LoadDocument(Codec::FromUnicode(path)));
    ASSERT_EQ(saved.m_printSet.GetItemCount(), 3);
    EXPECT_EQ(saved.m_printSet.GetItem(0)->m_rectPaper, item.m_rectPaper);
    EXPECT_GT(saved.m_printSet.GetItem(0)->m_rectPaper.left, 472 + 100);
    // The item not dragged keeps its place to the tenth of a millimetre.
    EXPECT_EQ(saved.m_printSet.GetItem(1)->m_rectPaper, CRect(470, 842, 1955, 914));
    EXPECT_TRUE(program.IsRunning());
}

} // namespace
