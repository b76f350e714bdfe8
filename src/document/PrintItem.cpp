#include "PrintItem.h"

#include "PrintSet.h"

#include <algorithm>
#include <cstdint>

namespace {

// One edge: product first in 64 bits, so that no 32-bit intermediate overflows, then the
// quotient truncated toward zero as the 32-bit formula gives it.
LONG MapEdge(LONG nValue, LONG nNumerator, LONG nDenominator)
{
    return (LONG)((int64_t)nNumerator * nValue / nDenominator);
}

// The state of one substituting split: how often each field is nested on the current path,
// and how many values were expanded so far.
struct SplitState {
    const FIELDLOOKUP& lookup;
    int arrNesting[CPrintItem::FIELD_COUNT] = {};
    int nExpansions = 0;
    int nTokensLeft = CPrintItem::MAX_SPLIT_TOKENS;
};

void AddToken(CStringArray& arrTokens, const CString& strToken, SplitState* pState)
{
    arrTokens.Add(strToken);
    if (pState)
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
        // Long values that fan out end the split before they exhaust memory.
        if (pState && pState->nTokensLeft <= 0)
            return;
        const signed char b = (signed char)pch[i];
        if (b == '\r' && i + 1 < nLength && pch[i + 1] == '\n') {
            AddToken(arrTokens, "@enter", pState);
            i += 2;
        } else if (b == '{') {
            const int nCount = std::min(3, nLength - i);
            const CString strGroup(pch + i, nCount);
            i += nCount;
            if (pState)
                ExpandGroup(strGroup, arrTokens, pState);
            else
                arrTokens.Add(strGroup);
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
    m_rectScreen.left = MapEdge(m_rectPaper.left, nPageWidth, nW) + m_rectPage.left;
    m_rectScreen.right = MapEdge(m_rectPaper.right, nPageWidth, nW) + m_rectPage.left;
    m_rectScreen.top = MapEdge(m_rectPaper.top, nPageHeight, nH) + m_rectPage.top;
    m_rectScreen.bottom = MapEdge(m_rectPaper.bottom, nPageHeight, nH) + m_rectPage.top;
}

void CPrintItem::ScreenToPaper(const CPrintSet* pPrintSet)
{
    const LONG nPageWidth = m_rectPage.Width();
    const LONG nPageHeight = m_rectPage.Height();
    if (nPageWidth == 0 || nPageHeight == 0)
        return;
    const LONG nW = pPrintSet->m_nPaperWidth;
    const LONG nH = pPrintSet->m_nPaperHeight;
    m_rectPaper.left = MapEdge(m_rectScreen.left - m_rectPage.left, nW, nPageWidth);
    m_rectPaper.right = MapEdge(m_rectScreen.right - m_rectPage.left, nW, nPageWidth);
    m_rectPaper.top = MapEdge(m_rectScreen.top - m_rectPage.top, nH, nPageHeight);
    m_rectPaper.bottom = MapEdge(m_rectScreen.bottom - m_rectPage.top, nH, nPageHeight);
}

void CPrintItem::SetScreenSize(int nWidth, int nHeight)
{
    m_rectScreen.right = m_rectScreen.left + nWidth;
    m_rectScreen.bottom = m_rectScreen.top + nHeight;
}

void CPrintItem::SplitText(const CString& strText, CStringArray& arrTokens,
                           const FIELDLOOKUP& lookup)
{
    if (!lookup) {
        SplitInto(strText, arrTokens, nullptr);
        return;
    }
    SplitState state{lookup};
    SplitInto(strText, arrTokens, &state);
}
