// The real program on its own X server: a layout opened from a document, the 300 sample
// records pasted through the clipboard, the preview opened from the main window; the
// screenshot must show the first record's texts where the layout puts them.
#include "DocumentTestSupport.h"
#include "PreviewDlg.h"
#include "PreviewTestSupport.h"
#include "XvfbSupport.h"

#include <QTemporaryDir>

using namespace XvfbSupport;

namespace {

const CRect s_rectName(490, 728, 1400, 801);     // "{C}同学：", 73 high
const CRect s_rectWork(400, 900, 2100, 1000);    // "《{D}》"
const CRect s_rectBlank(400, 1150, 1400, 1300);  // nothing there, on the picture's plain paper

// A layout of two items over an empty table, saved as the program saves documents.
bool WriteLayoutDocument(const CString& strPath)
{
    CMainDlg doc;
    SetUpRecordTable(doc.m_wndGrid);
    const struct { CRect rect; const char* pszText; } items[] = {
        {s_rectName, "{C}同学："}, {s_rectWork, "《{D}》"}};
    for (const auto& item : items) {
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = item.rect;
        pItem->m_strText = Gbk(item.pszText);
        pItem->m_strFontName = Gbk("宋体");
        doc.m_printSet.m_arrItems.Add(pItem);
    }
    doc.m_strPathName = strPath;
    return doc.SaveDocument();
}

// Client (x, y) of a control's centre in its dialog, as the program lays the dialog out.
QPoint CentreIn(CDialog& dlg, CWnd* pControl)
{
    CRect rect;
    pControl->GetWindowRect(&rect);
    dlg.ScreenToClient(&rect);
    return QPoint(rect.CenterPoint().x, rect.CenterPoint().y);
}

bool Click(const QString& window, QPoint pt, const QString& display)
{
    return RunTool("xdotool", {"mousemove", "--window", window, QString::number(pt.x()), QString::number(pt.y()),
                               "click", "1"}, display).nExitCode == 0;
}

QString FindWindow(const QString& name, const QString& display)
{
    const ToolResult found = RunTool("xdotool", {"search", "--onlyvisible", "--name", name}, display);
    return found.nExitCode == 0 ? found.strOutput.section('\n', 0, 0) : QString();
}

long CountDark(const QImage& image, const QRect& rect)
{
    long n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); y++)
        for (int x = r.left(); x <= r.right(); x++)
            n += qGray(image.pixel(x, y)) < 110;
    return n;
}

} // namespace

TEST(XvfbPreview, PastedRecordsShowInThePreviewWhereTheItemsLie)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString docPath = dir.filePath("layout.zs");
    ASSERT_TRUE(WriteLayoutDocument(Codec::FromUnicode(docPath)));

    // Where the program puts its controls: the same dialogs laid out here, with the same fonts.
    CMainDlg probeMain;
    ASSERT_TRUE(probeMain.Create(CMainDlg::IDD));
    const QPoint ptOpen = CentreIn(probeMain, probeMain.GetDlgItem(IDC_OPEN_FILE));
    const QPoint ptPreview = CentreIn(probeMain, probeMain.GetDlgItem(IDC_PREVIEW));
    CRect rectCell;
    ASSERT_TRUE(probeMain.m_wndGrid.GetCellRect(1, 1, &rectCell));
    probeMain.m_wndGrid.ClientToScreen(&rectCell);
    probeMain.ScreenToClient(&rectCell);
    const QPoint ptCell(rectCell.CenterPoint().x, rectCell.CenterPoint().y);
    const CRect rectControl = PreviewPageRect();
    ASSERT_FALSE(rectControl.IsRectEmpty());
    probeMain.DestroyWindow();

    CChildProcess server;
    const std::optional<QString> display = StartXvfb(server);
    ASSERT_TRUE(display.has_value()) << "could not start Xvfb on a free display (are xvfb and xdotool installed?)";

    CChildProcess program;
    QProcessEnvironment fixedDpi;
    fixedDpi.insert("QT_FONT_DPI", "96");
    ASSERT_TRUE(StartProgram(program, VELTRANE_BINARY, *display, dir.path(), fixedDpi))
        << "cannot start " << VELTRANE_BINARY;

    QString main;
    ASSERT_TRUE(WaitFor([&] { return !(main = FindWindow("^Veltrane", *display)).isEmpty(); }, 15000))
        << "no main window";

    // "打开文件": type the document's path into the file dialog.
    ASSERT_TRUE(Click(main, ptOpen, *display));
    QString open;
    ASSERT_TRUE(WaitFor([&] { return !(open = FindWindow(QString::fromUtf8("^打开$"), *display)).isEmpty(); }, 10000))
        << "no file dialog";
    RunTool("xdotool", {"windowfocus", "--sync", open}, *display);
    QThread::msleep(300);
    RunTool("xdotool", {"type", "--delay", "20", docPath}, *display);
    RunTool("xdotool", {"key", "Return"}, *display);
    ASSERT_TRUE(WaitFor([&] { return FindWindow(QString::fromUtf8("^打开$"), *display).isEmpty(); }, 10000))
        << "the file dialog stayed open";

    // The records on the clipboard, pasted at the first record's first field.
    CChildProcess clipboard;
    QProcessEnvironment envClip = QProcessEnvironment::systemEnvironment();
    envClip.insert("DISPLAY", *display);
    clipboard.Process().setProcessEnvironment(envClip);
    clipboard.Process().start("xclip", {"-selection", "clipboard", "-quiet", "-i",
                                        VELTRANE_TEST_DATA "/records-300.tsv"});
    ASSERT_TRUE(clipboard.Process().waitForStarted(5000)) << "xclip is needed to paste";
    QThread::msleep(500);
    ASSERT_TRUE(Click(main, ptCell, *display));
    RunTool("xdotool", {"windowfocus", "--sync", main}, *display);
    RunTool("xdotool", {"key", "ctrl+Home"}, *display);   // the first record's first field
    RunTool("xdotool", {"key", "ctrl+v"}, *display);
    QThread::msleep(1000);

    ASSERT_TRUE(Click(main, ptPreview, *display));
    QString preview;
    ASSERT_TRUE(WaitFor([&] { return !(preview = FindWindow(QString::fromUtf8("打印预览 --- Dunmere"), *display)).isEmpty(); },
                        10000))
        << "no preview window";
    const std::optional<WindowGeometry> geometry = ReadGeometry(preview, *display);
    ASSERT_TRUE(geometry.has_value());

    // Paper units to screen pixels of the control.
    const auto ToScreen = [&](const CRect& rect) {
        const double sx = rectControl.Width() / 2450.0, sy = rectControl.Height() / 1760.0;
        const int x0 = geometry->x + rectControl.left, y0 = geometry->y + rectControl.top;
        return QRect(QPoint(x0 + (int)(rect.left * sx), y0 + (int)(rect.top * sy)),
                     QPoint(x0 + (int)(rect.right * sx), y0 + (int)(rect.bottom * sy)));
    };
    QImage screen;
    const auto bShown = [&] {
        screen = TakeScreenshot(*display, QDir(dir.path()));
        return !screen.isNull() && CountDark(screen, ToScreen(s_rectName)) > 30;
    };
    WaitFor(bShown, 5000);
    ASSERT_FALSE(screen.isNull()) << "no screenshot from xwd and convert";
    // The first record's name and work where the items lie, the plain paper left blank.
    EXPECT_GT(CountDark(screen, ToScreen(s_rectName)), 30);
    EXPECT_GT(CountDark(screen, ToScreen(s_rectWork)), 30);
    EXPECT_EQ(CountDark(screen, ToScreen(s_rectBlank)), 0);
    // The page's picture fills the control: its pale paper in the middle.
    const QPoint ptMiddle = ToScreen(CRect(1225, 1300, 1226, 1301)).topLeft();
    EXPECT_GT(qGray(screen.pixel(ptMiddle)), 200);
    EXPECT_TRUE(program.IsRunning());
}
