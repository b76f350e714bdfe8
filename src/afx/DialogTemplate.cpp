#include "Dialog.h"

#include "Codec.h"

#include <cstring>
#include <map>

namespace {

std::map<UINT, DialogTemplate>& TemplateTable()
{
    static std::map<UINT, DialogTemplate> s_table;   // filled during static initialisation
    return s_table;
}

bool IsClass(const char* pszClass, const char* pszName)
{
    return pszClass && strcasecmp(pszClass, pszName) == 0;
}

} // namespace

DialogTemplate::DialogTemplate(int cx, int cy, const char* pszCaption, DWORD dwStyle,
                               const char* pszFaceName, int nPointSize, DWORD dwExStyle)
    : m_cx(cx), m_cy(cy), m_strCaption(pszCaption ? pszCaption : ""),
      m_strFaceName(pszFaceName ? pszFaceName : ""), m_nPointSize(nPointSize), m_dwStyle(dwStyle),
      m_dwExStyle(dwExStyle)
{
}

DialogTemplate& DialogTemplate::Add(DialogItem::Kind nKind, const char* pszText, int nID, int x,
                                    int y, int cx, int cy, DWORD dwStyle, DWORD dwExStyle)
{
    DialogItem item {nKind, nID, x, y, cx, cy, pszText ? pszText : "", (DWORD)(dwStyle | WS_CHILD | WS_VISIBLE),
                     dwExStyle, std::string(), 0};
    m_items.push_back(item);
    return *this;
}

DialogTemplate& DialogTemplate::PushButton(const char* pszText, int nID, int x, int y, int cx, int cy,
                                           DWORD dwStyle)
{
    return Add(DialogItem::PushButton, pszText, nID, x, y, cx, cy, dwStyle | BS_PUSHBUTTON);
}

DialogTemplate& DialogTemplate::DefPushButton(const char* pszText, int nID, int x, int y, int cx,
                                              int cy, DWORD dwStyle)
{
    return Add(DialogItem::DefPushButton, pszText, nID, x, y, cx, cy, dwStyle | BS_DEFPUSHBUTTON);
}

DialogTemplate& DialogTemplate::LText(const char* pszText, int nID, int x, int y, int cx, int cy,
                                      DWORD dwStyle)
{
    return Add(DialogItem::Static, pszText, nID, x, y, cx, cy, (dwStyle & ~SS_TYPEMASK) | SS_LEFT);
}

DialogTemplate& DialogTemplate::CText(const char* pszText, int nID, int x, int y, int cx, int cy,
                                      DWORD dwStyle)
{
    return Add(DialogItem::Static, pszText, nID, x, y, cx, cy, (dwStyle & ~SS_TYPEMASK) | SS_CENTER);
}

DialogTemplate& DialogTemplate::RText(const char* pszText, int nID, int x, int y, int cx, int cy,
                                      DWORD dwStyle)
{
    return Add(DialogItem::Static, pszText, nID, x, y, cx, cy, (dwStyle & ~SS_TYPEMASK) | SS_RIGHT);
}

DialogTemplate& DialogTemplate::EditText(int nID, int x, int y, int cx, int cy, DWORD dwStyle)
{
    return Add(DialogItem::Edit, "", nID, x, y, cx, cy, dwStyle);
}

DialogTemplate& DialogTemplate::GroupBox(const char* pszText, int nID, int x, int y, int cx, int cy,
                                         DWORD dwStyle)
{
    return Add(DialogItem::GroupBox, pszText, nID, x, y, cx, cy, dwStyle | BS_GROUPBOX);
}

DialogTemplate& DialogTemplate::Icon(UINT nIconID, int nID, int x, int y, int cx, int cy, DWORD dwStyle)
{
    Add(DialogItem::Icon, "", nID, x, y, cx, cy, (dwStyle & ~SS_TYPEMASK) | SS_ICON);
    m_items.back().nIconID = nIconID;
    return *this;
}

DialogTemplate& DialogTemplate::Control(const char* pszText, int nID, const char* pszClass,
                                        DWORD dwStyle, int x, int y, int cx, int cy, DWORD dwExStyle)
{
    DialogItem::Kind nKind = DialogItem::Custom;
    if (IsClass(pszClass, "Button")) {
        const DWORD dwType = dwStyle & BS_TYPEMASK;
        nKind = dwType == BS_GROUPBOX ? DialogItem::GroupBox
            : dwType == BS_DEFPUSHBUTTON ? DialogItem::DefPushButton : DialogItem::PushButton;
    } else if (IsClass(pszClass, "Static")) {
        nKind = (dwStyle & SS_TYPEMASK) == SS_ICON ? DialogItem::Icon : DialogItem::Static;
    } else if (IsClass(pszClass, "Edit")) {
        nKind = DialogItem::Edit;
    }
    Add(nKind, pszText, nID, x, y, cx, cy, dwStyle, dwExStyle);
    if (nKind == DialogItem::Custom)
        m_items.back().strClass = pszClass ? pszClass : "";
    if (nKind == DialogItem::Icon && pszText && pszText[0] == '#')
        m_items.back().nIconID = (UINT)std::strtoul(pszText + 1, nullptr, 10);
    return *this;
}

BOOL AfxRegisterDialogTemplate(UINT nID, const DialogTemplate& dlgTemplate)
{
    TemplateTable().insert_or_assign(nID, dlgTemplate);
    return TRUE;
}

const DialogTemplate* AfxFindDialogTemplate(UINT nID)
{
    auto it = TemplateTable().find(nID);
    return it == TemplateTable().end() ? nullptr : &it->second;
}

// Rounds halves away from zero, as the window system's MulDiv does; -1 for a zero divisor.
int MulDiv(int nNumber, int nNumerator, int nDenominator)
{
    if (nDenominator == 0)
        return -1;
    const long long nProduct = (long long)nNumber * nNumerator;
    const long long nHalf = (nDenominator < 0 ? -nDenominator : nDenominator) / 2;
    const bool bNegative = (nProduct < 0) != (nDenominator < 0);
    const long long nAbs = (nProduct < 0 ? -nProduct : nProduct) + nHalf;
    const long long nResult = nAbs / (nDenominator < 0 ? -nDenominator : nDenominator);
    return (int)(bNegative ? -nResult : nResult);
}

// The dialog font: the point size at 96 dpi as a character height.
void AfxMakeDialogFont(const char* pszFaceNameUtf8, int nPointSize, CFont& font)
{
    LOGFONT lf {};
    lf.lfHeight = -MulDiv(nPointSize, 96, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    const CString strFace = Codec::FromUnicode(QString::fromUtf8(pszFaceNameUtf8 ? pszFaceNameUtf8 : ""));
    std::strncpy(lf.lfFaceName, strFace, LF_FACESIZE - 1);
    font.DeleteObject();
    font.CreateFontIndirect(&lf);
}

CSize AfxGetDialogBaseUnits(const char* pszFaceNameUtf8, int nPointSize)
{
    CFont font;
    AfxMakeDialogFont(pszFaceNameUtf8, nPointSize, font);
    CClientDC dc(nullptr);
    dc.SelectObject(&font);
    TEXTMETRIC tm {};
    dc.GetTextMetrics(&tm);
    static const char s_szLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const CSize sizeLetters = dc.GetTextExtent(s_szLetters, 52);
    return CSize((sizeLetters.cx / 26 + 1) / 2, tm.tmHeight);
}
