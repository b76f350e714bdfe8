// The token rule with field lookup: the input holds a template text and the 26 field values,
// separated by zero bytes. Every token is one of the rule's shapes, the literal split gives
// back the text byte for byte, and self-referring or fanning values stop.
#include "FuzzSupport.h"

#include "PrintItem.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

bool IsToken(const CString& strToken)
{
    const int nLength = strToken.GetLength();
    if (strToken == "@enter")
        return true;
    if (nLength == 0 || nLength > 4)
        return false;
    const signed char b = (signed char)strToken[0];
    if (b == '{')
        return nLength <= 3;
    if (b < 0)
        return nLength <= 2 || AfxIsFourByteChar(strToken, 4);
    return nLength == 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    std::vector<CString> arrParts;
    const char* p = reinterpret_cast<const char*>(pData);
    const char* pEnd = p + nSize;
    while (arrParts.size() < 1 + CPrintItem::FIELD_COUNT) {
        const char* pZero = std::find(p, pEnd, '\0');
        arrParts.emplace_back(p, (int)(pZero - p));
        if (pZero == pEnd)
            break;
        p = pZero + 1;
    }
    arrParts.resize(1 + CPrintItem::FIELD_COUNT);
    const CString& strText = arrParts[0];

    // The lists keep their memory from one input to the next: a fanning value makes tens of
    // thousands of tokens, and growing a new list each time would be most of the work.
    static CStringArray arrLiteral, arrTokens;
    arrLiteral.RemoveAll();
    arrTokens.RemoveAll();
    const BOOL bWhole = CPrintItem::SplitText(strText, arrLiteral);
    if (!bWhole && arrLiteral.GetSize() != CPrintItem::MAX_SPLIT_TOKENS)
        Fuzz::Fail("the literal split was cut before its bound");
    std::string strJoined;
    for (int i = 0; i < arrLiteral.GetSize(); i++) {
        if (!IsToken(arrLiteral[i]))
            Fuzz::Fail("the literal split made a token of another shape");
        strJoined += arrLiteral[i] == "@enter" ? std::string("\r\n") : arrLiteral[i].str();
    }
    if (bWhole ? strJoined != strText.str() : strText.str().rfind(strJoined, 0) != 0)
        Fuzz::Fail("the literal split lost or added bytes");

    size_t nLookups = 0;
    CPrintItem::SplitText(strText, arrTokens, [&](const CString& strKey) {
        nLookups++;
        const int nField = CPrintItem::PlaceholderField(strKey);
        if (nField < 0)
            Fuzz::Fail("a group that is no placeholder was looked up");
        return arrParts[1 + nField];
    });
    if (nLookups > CPrintItem::MAX_FIELD_EXPANSIONS ||
        arrTokens.GetSize() > CPrintItem::MAX_SPLIT_TOKENS)
        Fuzz::Fail("the expansion did not stop");
    for (int i = 0; i < arrTokens.GetSize(); i++)
        if (!IsToken(arrTokens[i]) || (arrTokens[i][0] == '{'))
            Fuzz::Fail("the substituting split left a group or a token of another shape");
    return 0;
}
