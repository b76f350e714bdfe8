#include "PrintItem.h"

#include "PrintSet.h"

#include <algorithm>
#include <cstdint>

namespace {

// One edge: (nValue - nFrom) * nNumerator / nDenominator + nTo, the product first and the
// quotient truncated toward zero as the 32-bit formula gives it. The sums and the product
// are formed in 64 bits (no operand exceeds 2^32 in size, so neither does the product 2^63),
// and an edge beyond nLimit either way (only a damaged file's item gets there) stops there
// instead of wrapping round.
LONG MapEdge(LONG nValue, LONG nFrom, LONG nNumerator, LONG nDenominator, LONG nTo, int64_t nLimit)
{
    const int64_t nEdge = ((int64_t)nValue - nFrom) * nNumerator / nDenominator + nTo;
    return (LONG)std::clamp<int64_t>(nEdge, -nLimit, nLimit);
}

const int64_t s_nPaperLimit = INT32_MAX;

// The state of one split: the lookup of a substituting split (none for a literal one), how
// often each field is nested on the current path, how many values were expanded so far, how
// many tokens may still be added, and whether some text had to be left out for want of them.
struct SplitState {
    const FIELDLOOKUP& lookup;
    int arrNesting[CPrintItem::FIELD_COUNT] = {};
    int nExpansions = 0;
    int nTokensLeft = CPrintItem::MAX_SPLIT_TOKENS;
    bool bCut = false;   // text was left when no more tokens could be added
};

void AddToken(CStringArray& arrTokens, const CString& strToken, SplitState* pState)
{
    arrTokens.Add(strToken);
    pState->nTokensLeft--;
}

void SplitInto(const CString& strText, CStringArray& arrTokens, SplitState* pState);

void ExpandGroup(const CString& strGroup, CStringArray& arrTokens, SplitState* pState)
{
    const int nField = CPrintItem::PlaceholderField(strGroup);
    if (nField < 0)
        return;   // not a placeholder: the group vanishes
    // A self-referring value (directly or through other fields) stops here; the fan-out cap
    // keeps values such as "{A}{A}{A}" in field A from taking forever before that depth.
    if (pState->arrNesting[nField] >= CPrintItem::MAX_FIELD_DEPTH ||
        pState->nExpansions >= CPrintItem::MAX_FIELD_EXPANSIONS)
        return;
    pState->nExpansions++;
    pState->arrNesting[nField]++;
    SplitInto(pState->lookup(strGroup), arrTokens, pState);
    pState->arrNesting[nField]--;
}

void SplitInto(const CString& strText, CStringArray& arrTokens, SplitState* pState)
{
    const LPCTSTR pch = strText;
    const int nLength = strText.GetLength();
    for (int i = 0; i < nLength;) {
        // Long texts, and values that fan out, end the split before they exhaust memory.
        if (pState->nTokensLeft <= 0) {
            pState->bCut = true;
            return;
        }
        const signed char b = (signed char)pch[i];
        if (b == '\r' && i + 1 < nLength && pch[i + 1] == '\n') {
            AddToken(arrTokens, "@enter", pState);
            i += 2;
        } else if (b == '{') {
            const int nCount = std::min(3, nLength - i);
            const CString strGroup(pch + i, nCount);
            i += nCount;
            if (pState->lookup)
                ExpandGroup(strGroup, arrTokens, pState);
            else
                AddToken(arrTokens, strGroup, pState);
        } else if (b < 0) {
            // A GB18030 four-byte character is one token, like a double-byte one.
            const int nCount = AfxIsFourByteChar(pch + i, (size_t)(nLength - i)) ? 4 : std::min(2, nLength - i);
            AddToken(arrTokens, CString(pch + i, nCount), pState);
            i += nCount;
        } else {
            AddToken(arrTokens, CString(pch + i, 1), pState);
            i++;
        }
    }
}

} // namespace

CPrintItem::CPrintItem() = default;

int CPrintItem::PlaceholderField(const CString& strGroup)
{
    if (strGroup.GetLength() != 3 || strGroup[0] != '{' || strGroup[2] != '}')
        return -1;
    const TCHAR chLetter = strGroup[1];
    return chLetter >= 'A' && chLetter < 'A' + FIELD_COUNT ? chLetter - 'A' : -1;
}

CPrintItem::~CPrintItem() = default;

void CPrintItem::PaperToScreen(const CPrintSet* pPrintSet)
{
    const LONG nW = pPrintSet->m_nPaperWidth;
    const LONG nH = pPrintSet->m_nPaperHeight;
    if (nW == 0 || nH == 0)
        return;
    const LONG nPageWidth = m_rectPage.Width();
    const LONG nPageHeight = m_rectPage.Height();
    m_rectScreen.left = MapEdge(m_rectPaper.left, 0, nPageWidth, nW, m_rectPage.left, MAX_DRAW_COORDINATE);
    m_rectScreen.right = MapEdge(m_rectPaper.right, 0, nPageWidth, nW, m_rectPage.left, MAX_DRAW_COORDINATE);
    m_rectScreen.top = MapEdge(m_rectPaper.top, 0, nPageHeight, nH, m_rectPage.top, MAX_DRAW_COORDINATE);
    m_rectScreen.bottom = MapEdge(m_rectPaper.bottom, 0, nPageHeight, nH, m_rectPage.top, MAX_DRAW_COORDINATE);
}

void CPrintItem::ScreenToPaper(const CPrintSet* pPrintSet)
{
    const LONG nPageWidth = m_rectPage.Width();
    const LONG nPageHeight = m_rectPage.Height();
    if (nPageWidth == 0 || nPageHeight == 0)
        return;
    const LONG nW = pPrintSet->m_nPaperWidth;
    const LONG nH = pPrintSet->m_nPaperHeight;
    m_rectPaper.left = MapEdge(m_rectScreen.left, m_rectPage.left, nW, nPageWidth, 0, s_nPaperLimit);
    m_rectPaper.right = MapEdge(m_rectScreen.right, m_rectPage.left, nW, nPageWidth, 0, s_nPaperLimit);
    m_rectPaper.top = MapEdge(m_rectScreen.top, m_rectPage.top, nH, nPageHeight, 0, s_nPaperLimit);
    m_rectPaper.bottom = MapEdge(m_rectScreen.bottom, m_rectPage.top, nH, nPageHeight, 0, s_nPaperLimit);
}

void CPrintItem::SetScreenSize(int nWidth, int nHeight)
{
    m_rectScreen.right = m_rectScreen.left + nWidth;
    m_rectScreen.bottom = m_rectScreen.top + nHeight;
}

BOOL CPrintItem::SplitText(const CString& strText, CStringArray& arrTokens,
                           const FIELDLOOKUP& lookup)
{
    SplitState state{lookup};
    SplitInto(strText, arrTokens, &state);
    return !state.bCut;
}
