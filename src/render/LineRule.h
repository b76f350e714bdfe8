// CLineRule: how the tokens of a print item are placed on the paper, and the font they are
// drawn in. The certificate page, the design window, the printer and the PDF export all lay
// out items through these two functions, over whatever device the DC draws on.
#pragma once

#include "Dc.h"
#include "String.h"

class CLineRule {
public:
    // The item font: nHeight is the character cell height, so one line of text is exactly as
    // tall as the item's rectangle.
    static BOOL CreateItemFont(CFont& font, int nHeight, const CString& strFaceName);

    // Draws the tokens in the font selected into pDC, from (nLeft, nTop): a line is nRight
    // wide, "@enter" breaks it, and lines lie (3 * nLineHeight) / 2 apart. A token that passes
    // nRight starts a new line, except the closing marks "。", "，" and "》" when another token
    // follows them: those hang past the right edge. Nothing is clipped.
    static void DrawTokens(CDC* pDC, const CStringArray& arrTokens, int nLeft, int nTop,
                           int nRight, int nLineHeight);

    // The area DrawTokens covers with the same arguments, without drawing: each token's text
    // cell and the ink a glyph may put round it (a quarter of the cell height, 2 pixels at
    // least), as the DC's bounds collection counts it.
    static CRect GetTokensRect(CDC* pDC, const CStringArray& arrTokens, int nLeft, int nTop, int nRight,
                               int nLineHeight);

    static BOOL IsHangingMark(const CString& strToken);
};
