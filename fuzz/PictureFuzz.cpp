// Bytes as the "back.jpg" beside the open document, found and decoded as a preview's picture
// and drawn into a page. A picture that decodes is drawn inside its rectangle only, and the
// stretched copy that later drawings reuse gives the same pixels as the first drawing; one
// that does not decode leaves the picture empty.
//
// Every input must stay fast, so the image reader may allocate no more than a small picture
// needs: a larger declared size is refused before anything is decoded.
#include "FuzzSupport.h"

#include "MainApp.h"
#include "MainDlg.h"
#include "Picture.h"

#include <QDir>
#include <QImageReader>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

const int s_nAllocationLimitMB = 2;
const COLORREF s_crOutside = RGB(1, 2, 3);
const int s_nPageWidth = 160, s_nPageHeight = 120;
const CRect s_rectPicture(3, 5, 151, 110);   // a page reduced, at an odd offset

struct CPictureSetting {
    CMainApp app;
    CMainDlg dlg;
    std::string strFolder;
    CString strPicturePath;
    CPictureSetting()
    {
        const char* pszRoot = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        strFolder = std::string(pszRoot) + "/veltrane-fuzz-picture-" + std::to_string(getpid());
        QDir().mkpath(QString::fromStdString(strFolder));
        dlg.m_strPathName = CString((strFolder + "/document.zs").c_str());
        strPicturePath = CString((strFolder + "/back.jpg").c_str());
        app.m_pMainWnd = &dlg;
        QImageReader::setAllocationLimit(s_nAllocationLimitMB);
        // A damaged picture makes the decoder warn at every input.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    }
};

CPictureSetting& Setting()
{
    static CPictureSetting* pSetting = [] {
        Fuzz::StartApplication();
        return new CPictureSetting;
    }();
    return *pSetting;
}

struct CPage {
    CBitmap bitmap;
    CDC dc;
    CPage()
    {
        bitmap.CreateBitmap(s_nPageWidth, s_nPageHeight);
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, s_nPageWidth, s_nPageHeight, s_crOutside);
    }
};

void CheckOutsideUntouched(const QImage& image)
{
    const QRgb rgbOutside = qRgb(GetRValue(s_crOutside), GetGValue(s_crOutside), GetBValue(s_crOutside));
    for (int y = 0; y < image.height(); y++)
        for (int x = 0; x < image.width(); x++)
            if (!s_rectPicture.PtInRect(CPoint(x, y)) && image.pixel(x, y) != rgbOutside)
                Fuzz::Fail("the picture was drawn outside its rectangle");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CPictureSetting& setting = Setting();
    FILE* pFile = std::fopen(setting.strPicturePath, "wb");
    if (!pFile)
        Fuzz::Fail("cannot write the picture file");
    std::fwrite(pData, 1, nSize, pFile);
    std::fclose(pFile);
    if (GetBackgroundPath() != setting.strPicturePath)
        Fuzz::Fail("the picture beside the document was not found");

    CPicture picture;
    if (!picture.Load(setting.strPicturePath)) {
        if (!picture.IsEmpty())
            Fuzz::Fail("a picture that did not decode was kept");
        return 0;
    }
    CPage page;
    DrawBackground(picture, &page.dc, s_rectPicture);
    CheckOutsideUntouched(page.bitmap.Image());
    CPage pageAgain;
    DrawBackground(picture, &pageAgain.dc, s_rectPicture);
    if (pageAgain.bitmap.Image() != page.bitmap.Image())
        Fuzz::Fail("the picture drew differently the second time");
    return 0;
}
