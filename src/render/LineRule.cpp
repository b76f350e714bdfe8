#include "LineRule.h"

#include <algorithm>

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

namespace {

// Where each token goes: fn(x, y, token, cx) for every token but the line breaks, in order.
template <typename F>
void PlaceTokens(CDC* pDC, const CStringArray& arrTokens, int nLeft, int nTop, int nRight, int nLineHeight,
                 const F& fn)
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
        const BOOL bHangs = j < nCount - 1 && CLineRule::IsHangingMark(strToken);
        if (x + cx > nRight && !bHangs) {
            x = nLeft;
            y += nLineStep;
        }
        fn(x, y, strToken, cx);
        x += cx;
    }
}

} // namespace

void CLineRule::DrawTokens(CDC* pDC, const CStringArray& arrTokens, int nLeft, int nTop, int nRight,
                           int nLineHeight)
{
    PlaceTokens(pDC, arrTokens, nLeft, nTop, nRight, nLineHeight,
                [pDC](int x, int y, const CString& strToken, int) { pDC->TextOut(x, y, strToken); });
}

CRect CLineRule::GetTokensRect(CDC* pDC, const CStringArray& arrTokens, int nLeft, int nTop, int nRight,
                               int nLineHeight)
{
    CRect rectAll(0, 0, 0, 0);
    PlaceTokens(pDC, arrTokens, nLeft, nTop, nRight, nLineHeight,
                [pDC, &rectAll](int x, int y, const CString& strToken, int cx) {
                    if (strToken.IsEmpty())
                        return;
                    const int cy = pDC->GetTextExtent(strToken).cy;
                    const int nInk = std::max(2, cy / 4);
                    CRect rect(x - nInk, y - nInk, x + cx + nInk, y + cy + nInk);
                    rectAll.UnionRect(&rectAll, &rect);
                });
    return rectAll;
}
