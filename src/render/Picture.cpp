#include "Picture.h"

#include "File.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "resource.h"

AFX_USE_RESOURCES(Background)

namespace {

BOOL FileExists(const CString& strPath)
{
    CFileStatus status;
    return CFile::GetStatus(strPath, status);
}

} // namespace

CPicture::CPicture() : m_bTried(FALSE)
{
}

CPicture::~CPicture() = default;

BOOL CPicture::Load(const CString& strPath)
{
    if (!IsEmpty() || m_bTried)
        return FALSE;
    m_bTried = TRUE;
    return m_bitmap.LoadPicture(strPath);
}

void CPicture::Render(CDC* pDC, const CRect& rect)
{
    RenderFitted(m_bitmap, m_bitmapFitted, pDC, rect);
}

// The picture of a blank certificate that ships with the program. It stays decoded with the
// window, as a picture file does, so that stepping through records does not decode it again.
void CPicture::RenderBuiltIn(CDC* pDC, const CRect& rect)
{
    if (!m_bitmapBuiltIn.IsValid() && !m_bitmapBuiltIn.LoadBitmap(IDB_BACKGROUND)) {
        pDC->FillSolidRect(&rect, RGB(255, 255, 255));
        return;
    }
    RenderFitted(m_bitmapBuiltIn, m_bitmapBuiltInFitted, pDC, rect);
}

// The stretched copy is compatible with pDC: on a screen of two device pixels per pixel it
// holds the picture at that resolution.
void CPicture::RenderFitted(const CBitmap& source, CBitmap& fitted, CDC* pDC, const CRect& rect)
{
    const int cx = rect.Width(), cy = rect.Height();
    BITMAP bm, bmFitted;
    if (cx <= 0 || cy <= 0 || !source.GetBitmap(&bm))
        return;
    CBitmap& bitmapSource = const_cast<CBitmap&>(source);   // selected for reading only
    CDC dcMem;
    dcMem.CreateCompatibleDC(pDC);
    const BOOL bFitted = fitted.GetBitmap(&bmFitted) && bmFitted.bmWidth == cx && bmFitted.bmHeight == cy
                         && fitted.GetDevicePixelRatio() == pDC->GetDevicePixelRatio();
    if (!bFitted && fitted.CreateCompatibleBitmap(pDC, cx, cy)) {
        CDC dcFitted;
        dcFitted.CreateCompatibleDC(pDC);
        CBitmap* pOldFitted = dcFitted.SelectObject(&fitted);
        CBitmap* pOldBitmap = dcMem.SelectObject(&bitmapSource);
        dcFitted.SetStretchBltMode(HALFTONE);
        dcFitted.StretchBlt(0, 0, cx, cy, &dcMem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        dcMem.SelectObject(pOldBitmap);
        dcFitted.SelectObject(pOldFitted);
    }
    if (fitted.GetBitmap(&bmFitted) && bmFitted.bmWidth == cx && bmFitted.bmHeight == cy
        && fitted.GetDevicePixelRatio() == pDC->GetDevicePixelRatio()) {
        CBitmap* pOldBitmap = dcMem.SelectObject(&fitted);
        pDC->StretchBlt(rect.left, rect.top, cx, cy, &dcMem, 0, 0, cx, cy, SRCCOPY);
        dcMem.SelectObject(pOldBitmap);
        return;
    }
    // No memory for the stretched copy: stretch at every drawing instead.
    CBitmap* pOldBitmap = dcMem.SelectObject(&bitmapSource);
    pDC->StretchBlt(rect.left, rect.top, cx, cy, &dcMem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    dcMem.SelectObject(pOldBitmap);
}

void CPicture::Free()
{
    m_bitmap = CBitmap();
    m_bitmapFitted = CBitmap();
    m_bitmapBuiltIn = CBitmap();
    m_bitmapBuiltInFitted = CBitmap();
    m_bTried = FALSE;
}

CString GetBackgroundPath()
{
    if (auto* pDlg = dynamic_cast<CMainDlg*>(AfxGetMainWnd())) {
        const CString& strPathName = pDlg->m_strPathName;
        const int nSlash = strPathName.ReverseFind('/');
        if (nSlash > 0) {
            const CString strPath = strPathName.Left(nSlash + 1) + "back.jpg";
            if (FileExists(strPath))
                return strPath;
        }
    }
    auto* pApp = dynamic_cast<CMainApp*>(AfxGetApp());
    if (pApp && pApp->m_szAppDir[0] != '\0') {
        const CString strPath = CString(pApp->m_szAppDir) + "/back.jpg";
        if (FileExists(strPath))
            return strPath;
    }
    return CString();
}

void DrawBackground(CPicture& picture, CDC* pDC, const CRect& rect)
{
    const CString strPath = GetBackgroundPath();
    if (!strPath.IsEmpty()) {
        picture.Load(strPath);   // a no-op after the first try
        if (!picture.IsEmpty()) {
            picture.Render(pDC, rect);
            return;
        }
    }
    picture.RenderBuiltIn(pDC, rect);
}
