#include "LineRule.h"

#include <algorithm>
#include <cstdint>

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
// Positions are reckoned in 64 bits: a damaged file's tall item, or one at the paper's far
// end, places lines beyond the drawable range and even beyond 32 bits. Tokens outside the
// range are left out; lines only go on in one direction, so once y has left it no later
// token can be drawn.
template <typename F>
void PlaceTokens(CDC* pDC, const CStringArray& arrTokens, int nLeft, int nTop, int nRight, int nLineHeight,
                 const F& fn)
{
    const int64_t nLineStep = (3 * (int64_t)nLineHeight) / 2;
    const int nCount = arrTokens.GetSize();
    int64_t x = nLeft, y = nTop;
    for (int j = 0; j < nCount && IsDrawable(y); j++) {
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
        if (IsDrawable(x) && IsDrawable(x + cx))
            fn((int)x, (int)y, strToken, cx);
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
