// CPrintItem: one print item of a certificate layout, a template text anchored at a rectangle
// on the paper and drawn in one font. The design window also keeps the item's on-screen
// rectangle and its literal split into display tokens here.
#pragma once

#include "Geometry.h"
#include "Object.h"
#include "String.h"

#include <functional>

class CPrintSet;

// Looks up the value of one placeholder group ("{A}" ... "{Z}") for the record being drawn.
typedef std::function<CString(const CString& strKey)> FIELDLOOKUP;

class CPrintItem : public CObject {
public:
    CPrintItem();
    ~CPrintItem() override;

    // The mapping between paper units and the design window's pixels, one edge at a time,
    // product first and truncated toward zero. pPrintSet is the layout whose paper size
    // applies (the program's one layout). A zero divisor (paper size or page rectangle)
    // leaves the target rectangle as it was. On-screen edges stay within the drawable range
    // (MAX_DRAW_COORDINATE), so a damaged file's item placed there can still be drawn,
    // dragged, nudged and given handles.
    void PaperToScreen(const CPrintSet* pPrintSet);
    void ScreenToPaper(const CPrintSet* pPrintSet);
    // Applies a width and height edited in pixels: the on-screen rectangle keeps its top-left
    // corner and takes the new size.
    void SetScreenSize(int nWidth, int nHeight);

    // The token rule: appends the tokens of strText to arrTokens in text order (the caller
    // empties the list first). Without a lookup the split is literal: a "{" group is one token.
    // With one, each "{" group is replaced by the split of its value; a value that refers back
    // to its own field stops expanding once that field is nested MAX_FIELD_DEPTH times.
    // Either split ends at MAX_SPLIT_TOKENS tokens, far more than a certificate can show:
    // values of a few kilobytes that fan out would otherwise make hundreds of millions, and a
    // text of megabytes as many. FALSE when the split ended there, before the text's end.
    static BOOL SplitText(const CString& strText, CStringArray& arrTokens,
                          const FIELDLOOKUP& lookup = FIELDLOOKUP());

    enum { MAX_FIELD_DEPTH = 16, MAX_FIELD_EXPANSIONS = 4096, MAX_SPLIT_TOKENS = 0x10000 };

    // A record has the fields A to Z; a placeholder names one of them.
    enum { FIELD_COUNT = 26 };
    // The field a placeholder group names (0 for "{A}" ... 25 for "{Z}"), or -1 for any other
    // text: only the exact three bytes match.
    static int PlaceholderField(const CString& strGroup);

    CRect m_rectPaper;
    CRect m_rectScreen;
    CString m_strText;
    CStringArray m_arrTokens;
    CString m_strFontName;
    CRect m_rectPage;
};
