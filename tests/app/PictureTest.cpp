// The background picture: where "back.jpg" is looked for, the built-in picture that stands in
// for a missing or unusable file, and pictures stretched over the whole rectangle.
#include "DocumentTestSupport.h"
#include "MainApp.h"
#include "Picture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>

namespace {

const CRect s_rect(10, 20, 210, 120);

// A white image with a memory DC on it.
struct CPage {
    CPage(int cx = 300, int cy = 200)
    {
        bitmap.CreateBitmap(cx, cy);
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, cx, cy, RGB(255, 255, 255));
    }
    const QImage& Image() const { return bitmap.Image(); }
    CBitmap bitmap;
    CDC dc;
};

bool Near(QRgb px, QRgb expected, int nTolerance = 40)
{
    return std::abs(qRed(px) - qRed(expected)) <= nTolerance
        && std::abs(qGreen(px) - qGreen(expected)) <= nTolerance
        && std::abs(qBlue(px) - qBlue(expected)) <= nTolerance;
}

// Four quadrants: red, green / blue, black.
QImage Quadrants()
{
    QImage image(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 40; x++)
            image.setPixel(x, y, y < 10 ? (x < 20 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                        : (x < 20 ? qRgb(0, 0, 255) : qRgb(0, 0, 0)));
    return image;
}

QByteArray BuiltInBytes()
{
    QFile file(":/res/back.jpg");
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("app"));
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("doc"));
        const CString strApp = Codec::FromUnicode(m_dir.filePath("app"));
        ASSERT_LT(strApp.GetLength(), (int)sizeof(m_app.m_szAppDir));
        std::strcpy(m_app.m_szAppDir, strApp);
        m_app.m_pMainWnd = &m_dlg;
        m_strAppJpg = strApp + "/back.jpg";
        m_strDocJpg = Codec::FromUnicode(m_dir.filePath("doc")) + "/back.jpg";
    }
    void TearDown() override { m_app.m_pMainWnd = nullptr; }

    static QString Native(const CString& str) { return Codec::ToUnicode(str); }
    static void WriteBytes(const CString& strPath, const QByteArray& data)
    {
        QFile file(Native(strPath));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(data), data.size());
    }
    static void WriteJpeg(const CString& strPath, const QImage& image)
    {
        ASSERT_TRUE(image.save(Native(strPath), "JPG", 100));
    }

    // What the built-in picture draws into s_rect.
    QImage BuiltInPage()
    {
        QFile::remove(Native(m_strAppJpg));
        CPicture picture;
        CPage page;
        DrawBackground(picture, &page.dc, s_rect);
        return page.Image();
    }

    QTemporaryDir m_dir;
    CMainApp m_app;
    CMainDlg m_dlg;
    CString m_strAppJpg;
    CString m_strDocJpg;
};

} // namespace

TEST_F(PictureTest, BesideTheDocumentFirstThenTheProgramFolder)
{
    // A new document has no folder: only the program's folder is looked at.
    EXPECT_TRUE(GetBackgroundPath().IsEmpty());
    WriteBytes(m_strAppJpg, "x");
    WriteBytes(m_strDocJpg, "x");
    EXPECT_EQ(GetBackgroundPath(), m_strAppJpg);

    m_dlg.m_strPathName = Codec::FromUnicode(m_dir.filePath("doc")) + Gbk("/证书.zs");
    EXPECT_EQ(GetBackgroundPath(), m_strDocJpg);
    QFile::remove(Native(m_strDocJpg));
    EXPECT_EQ(GetBackgroundPath(), m_strAppJpg);
    QFile::remove(Native(m_strAppJpg));
    EXPECT_TRUE(GetBackgroundPath().IsEmpty());

    // A path whose only separator is its first character names no folder.
    m_dlg.m_strPathName = "/doc.zs";
    WriteBytes(m_strAppJpg, "x");
    EXPECT_EQ(GetBackgroundPath(), m_strAppJpg);
}

TEST_F(PictureTest, PicturesAreStretchedOverTheWholeRectangle)
{
    WriteJpeg(m_strAppJpg, Quadrants());
    CPicture picture;
    CPage page;
    DrawBackground(picture, &page.dc, s_rect);
    EXPECT_FALSE(picture.IsEmpty());
    const QImage& image = page.Image();
    // Quadrant centres, and the rectangle's own corners, each of its quadrant's colour.
    EXPECT_TRUE(Near(image.pixel(60, 45), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(160, 45), qRgb(0, 255, 0)));
    EXPECT_TRUE(Near(image.pixel(60, 95), qRgb(0, 0, 255)));
    EXPECT_TRUE(Near(image.pixel(160, 95), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(10, 20), qRgb(255, 0, 0), 80));
    EXPECT_TRUE(Near(image.pixel(209, 20), qRgb(0, 255, 0), 80));
    EXPECT_TRUE(Near(image.pixel(10, 119), qRgb(0, 0, 255), 80));
    EXPECT_TRUE(Near(image.pixel(209, 119), qRgb(0, 0, 0), 80));
    // Nothing outside it.
    for (QPoint pt : {QPoint(9, 20), QPoint(210, 20), QPoint(10, 19), QPoint(10, 120), QPoint(210, 120)})
        EXPECT_EQ(image.pixel(pt), qRgb(255, 255, 255)) << pt.x() << "," << pt.y();

    // Drawn again at another size, still filling it.
    CPage page2;
    DrawBackground(picture, &page2.dc, CRect(0, 0, 300, 200));
    EXPECT_TRUE(Near(page2.Image().pixel(1, 1), qRgb(255, 0, 0), 80));
    EXPECT_TRUE(Near(page2.Image().pixel(298, 198), qRgb(0, 0, 0), 80));
}

TEST_F(PictureTest, BuiltInPictureFillsTheRectangleWhenThereIsNoFile)
{
    const QImage image = BuiltInPage();
    const QImage builtIn = QImage::fromData(BuiltInBytes());
    ASSERT_EQ(builtIn.size(), QSize(1200, 835));
    // The picture's red frame at the left edge and its pale middle, scaled into the rectangle.
    const QRgb red = builtIn.pixel(20, 417), paper = builtIn.pixel(600, 417);
    EXPECT_TRUE(Near(image.pixel(10 + 20 * 200 / 1200, 70), red)) << std::hex << image.pixel(13, 70);
    EXPECT_TRUE(Near(image.pixel(110, 70), paper));
    EXPECT_EQ(image.pixel(9, 70), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(210, 70), qRgb(255, 255, 255));
    EXPECT_NE(image.pixel(209, 119), qRgb(255, 255, 255));
}

TEST_F(PictureTest, UnusableFilesDrawTheBuiltInPictureAndAreNotReadAgain)
{
    const QImage builtIn = BuiltInPage();
    const QByteArray jpeg = BuiltInBytes();
    ASSERT_GT(jpeg.size(), 1000);
    // A header claiming 60000 x 60000 pixels: the frame header's height and width.
    QByteArray huge = jpeg;
    const qsizetype nFrame = huge.indexOf(QByteArrayView("\xFF\xC0", 2));
    ASSERT_GT(nFrame, 0);
    for (qsizetype i : {nFrame + 5, nFrame + 7}) {
        huge[i] = (char)0xEA;
        huge[i + 1] = (char)0x60;
    }
    const struct {
        const char* pszKind;
        QByteArray data;
    } files[] = {
        {"empty", QByteArray()},
        {"not a picture", QByteArray("Name\tClass\r\nplain text, not a JPEG\r\n")},
        {"cut short", jpeg.left(jpeg.size() / 2)},
        {"60000 x 60000", huge},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.pszKind);
        WriteBytes(m_strAppJpg, file.data);
        CPicture picture;
        CPage page;
        QElapsedTimer timer;
        timer.start();
        DrawBackground(picture, &page.dc, s_rect);
        EXPECT_LT(timer.elapsed(), 2000);
        EXPECT_TRUE(picture.IsEmpty());
        EXPECT_TRUE(page.Image() == builtIn);

        // A good file put in its place is not read by this window: it tried once.
        WriteJpeg(m_strAppJpg, Quadrants());
        CPage page2;
        DrawBackground(picture, &page2.dc, s_rect);
        EXPECT_TRUE(picture.IsEmpty());
        EXPECT_TRUE(page2.Image() == builtIn);
    }
}

TEST_F(PictureTest, TheFirstPictureDecodedStaysForTheWindow)
{
    WriteJpeg(m_strAppJpg, Quadrants());
    CPicture picture;
    CPage page;
    DrawBackground(picture, &page.dc, s_rect);
    EXPECT_TRUE(Near(page.Image().pixel(60, 45), qRgb(255, 0, 0)));

    // The file goes: the built-in picture; it comes back changed: the first one again.
    QFile::remove(Native(m_strAppJpg));
    CPage page2;
    DrawBackground(picture, &page2.dc, s_rect);
    EXPECT_TRUE(page2.Image() == BuiltInPage());
    QImage green(40, 20, QImage::Format_RGB32);
    green.fill(qRgb(0, 255, 0));
    WriteJpeg(m_strAppJpg, green);
    CPage page3;
    DrawBackground(picture, &page3.dc, s_rect);
    EXPECT_TRUE(Near(page3.Image().pixel(60, 45), qRgb(255, 0, 0)));

    // Freed, the picture is read anew.
    picture.Free();
    EXPECT_TRUE(picture.IsEmpty());
    CPage page4;
    DrawBackground(picture, &page4.dc, s_rect);
    EXPECT_TRUE(Near(page4.Image().pixel(60, 45), qRgb(0, 255, 0)));
}
