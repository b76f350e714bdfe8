#include "Picture.h"

#include "File.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "resource.h"

AFX_USE_RESOURCES(Background)

namespace {

// The picture of a blank certificate that ships with the program, stretched over the
// rectangle with the target's own stretch mode.
void DrawBuiltInBackground(CDC* pDC, const CRect& rect)
{
    CBitmap bitmap;
    BITMAP bm;
    if (!bitmap.LoadBitmap(IDB_BACKGROUND) || !bitmap.GetBitmap(&bm)) {
        pDC->FillSolidRect(&rect, RGB(255, 255, 255));
        return;
    }
    CDC dcMem;
    dcMem.CreateCompatibleDC(pDC);
    CBitmap* pOldBitmap = dcMem.SelectObject(&bitmap);
    pDC->StretchBlt(rect.left, rect.top, rect.Width(), rect.Height(), &dcMem, 0, 0, bm.bmWidth,
                    bm.bmHeight, SRCCOPY);
    dcMem.SelectObject(pOldBitmap);
}

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
    const int cx = rect.Width(), cy = rect.Height();
    BITMAP bm, bmFitted;
    if (cx <= 0 || cy <= 0 || !m_bitmap.GetBitmap(&bm))
        return;
    CDC dcMem;
    dcMem.CreateCompatibleDC(pDC);
    const BOOL bFitted = m_bitmapFitted.GetBitmap(&bmFitted) && bmFitted.bmWidth == cx && bmFitted.bmHeight == cy;
    if (!bFitted && m_bitmapFitted.CreateBitmap(cx, cy)) {
        CDC dcFitted;
        dcFitted.CreateCompatibleDC(pDC);
        CBitmap* pOldFitted = dcFitted.SelectObject(&m_bitmapFitted);
        CBitmap* pOldBitmap = dcMem.SelectObject(&m_bitmap);
        dcFitted.SetStretchBltMode(HALFTONE);
        dcFitted.StretchBlt(0, 0, cx, cy, &dcMem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        dcMem.SelectObject(pOldBitmap);
        dcFitted.SelectObject(pOldFitted);
    }
    if (m_bitmapFitted.GetBitmap(&bmFitted) && bmFitted.bmWidth == cx && bmFitted.bmHeight == cy) {
        CBitmap* pOldBitmap = dcMem.SelectObject(&m_bitmapFitted);
        pDC->StretchBlt(rect.left, rect.top, cx, cy, &dcMem, 0, 0, cx, cy, SRCCOPY);
        dcMem.SelectObject(pOldBitmap);
        return;
    }
    // No memory for the stretched copy: stretch at every drawing instead.
    CBitmap* pOldBitmap = dcMem.SelectObject(&m_bitmap);
    pDC->StretchBlt(rect.left, rect.top, cx, cy, &dcMem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    dcMem.SelectObject(pOldBitmap);
}

void CPicture::Free()
{
    m_bitmap = CBitmap();
    m_bitmapFitted = CBitmap();
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
    DrawBuiltInBackground(pDC, rect);
}
