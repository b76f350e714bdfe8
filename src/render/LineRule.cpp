#include "LineRule.h"

namespace {

// "。", "，" and "》" in code page 936.
const char* const s_pszHangingMarks[] = {"\xA1\xA3", "\xA3\xAC", "\xA1\xB7"};

} // namespace

BOOL CLineRule::CreateItemFont(CFont& font, int nHeight, const CString& strFaceName)
{
    return font.CreateFont(nHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_STRING_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, 0, strFaceName);
}

BOOL CLineRule::IsHangingMark(const CString& strToken)
{
    for (const char* pszMark : s_pszHangingMarks)
        if (strToken == pszMark)
            return TRUE;
    return FALSE;
}

void CLineRule::DrawTokens(CDC* pDC, const CStringArray& arrTokens, int nLeft, int nTop, int nRight,
                           int nLineHeight)
{
    const int nLineStep = (3 * nLineHeight) / 2;
    const int nCount = arrTokens.GetSize();
    int x = nLeft, y = nTop;
    for (int j = 0; j < nCount; j++) {
        const CString& strToken = arrTokens[j];
        if (strToken == "@enter") {
            x = nLeft;
            y += nLineStep;
            continue;
        }
        const int cx = pDC->GetTextExtent(strToken).cx;
        const BOOL bHangs = j < nCount - 1 && IsHangingMark(strToken);
        if (x + cx > nRight && !bHangs) {
            x = nLeft;
            y += nLineStep;
        }
        pDC->TextOut(x, y, strToken);
        x += cx;
    }
}
