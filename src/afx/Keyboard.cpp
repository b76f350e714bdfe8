#include "Keyboard.h"

#include "Codec.h"

#include <QKeyEvent>

namespace {

struct KeyPair {
    int nQtKey;
    UINT nVirtKey;
};

// Keys whose virtual code differs from the Qt key code. Shifted punctuation maps to the key
// that carries it on a US keyboard, as the window system reports the key, not the character.
const KeyPair s_keys[] = {
    {Qt::Key_Left, VK_LEFT}, {Qt::Key_Up, VK_UP}, {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN}, {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_Home, VK_HOME}, {Qt::Key_End, VK_END}, {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE}, {Qt::Key_Tab, VK_TAB}, {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Space, VK_SPACE}, {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}, {Qt::Key_AltGr, VK_MENU},
    {Qt::Key_Meta, VK_LWIN}, {Qt::Key_Menu, VK_APPS}, {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Semicolon, VK_OEM_1}, {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS}, {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS}, {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD}, {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2}, {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3}, {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4}, {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7}, {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_Exclam, '1'}, {Qt::Key_At, '2'}, {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'}, {Qt::Key_Percent, '5'}, {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'}, {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

// Keypad keys have codes of their own.
UINT KeypadKey(int nQtKey)
{
    if (nQtKey >= Qt::Key_0 && nQtKey <= Qt::Key_9)
        return VK_NUMPAD0 + (UINT)(nQtKey - Qt::Key_0);
    switch (nQtKey) {
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Period: case Qt::Key_Comma: return VK_DECIMAL;
    case Qt::Key_Slash: return VK_DIVIDE;
    case Qt::Key_Enter: return VK_RETURN;
    default: return 0;
    }
}

// The extended-key bit of the window system: the navigation block and right-hand modifiers.
bool IsExtendedKey(int nQtKey)
{
    switch (nQtKey) {
    case Qt::Key_Left: case Qt::Key_Up: case Qt::Key_Right: case Qt::Key_Down:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
    case Qt::Key_Insert: case Qt::Key_Delete: case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

// A character with Ctrl held gives the control code of its key (Ctrl+C = 3), or nothing.
std::vector<UINT> ControlCodes(int nQtKey)
{
    if (nQtKey >= Qt::Key_A && nQtKey <= Qt::Key_Z)
        return {(UINT)(nQtKey - Qt::Key_A + 1)};
    switch (nQtKey) {
    case Qt::Key_BracketLeft: return {27};
    case Qt::Key_Backslash: return {28};
    case Qt::Key_BracketRight: return {29};
    case Qt::Key_Space: return {' '};
    default: return {};
    }
}

// The character's bytes read as one number, the first byte highest: 1, 2 or 4 of them.
UINT CharCode(char32_t ch)
{
    if (ch < 0x80)
        return (UINT)ch;
    const CString bytes = Codec::FromUnicode(QString::fromUcs4(&ch, 1));
    UINT nCode = 0;
    for (int i = 0; i < bytes.GetLength() && i < 4; ++i)
        nCode = (nCode << 8) | (BYTE)bytes[i];
    return nCode;
}

} // namespace

namespace Keyboard {

UINT VirtualKey(int nQtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::KeypadModifier) {
        if (UINT vk = KeypadKey(nQtKey))
            return vk;
    }
    if ((nQtKey >= Qt::Key_A && nQtKey <= Qt::Key_Z) || (nQtKey >= Qt::Key_0 && nQtKey <= Qt::Key_9))
        return (UINT)nQtKey;
    if (nQtKey >= Qt::Key_F1 && nQtKey <= Qt::Key_F24)
        return VK_F1 + (UINT)(nQtKey - Qt::Key_F1);
    for (const KeyPair& k : s_keys) {
        if (k.nQtKey == nQtKey)
            return k.nVirtKey;
    }
    return 0;
}

int QtKey(UINT nVirtKey)
{
    if ((nVirtKey >= 'A' && nVirtKey <= 'Z') || (nVirtKey >= '0' && nVirtKey <= '9'))
        return (int)nVirtKey;
    if (nVirtKey >= VK_F1 && nVirtKey <= VK_F1 + 23)
        return Qt::Key_F1 + (int)(nVirtKey - VK_F1);
    if (nVirtKey >= VK_NUMPAD0 && nVirtKey <= VK_NUMPAD0 + 9)
        return Qt::Key_0 + (int)(nVirtKey - VK_NUMPAD0);
    for (const KeyPair& k : s_keys) {
        if (k.nVirtKey == nVirtKey)
            return k.nQtKey;
    }
    return Qt::Key_unknown;
}

std::vector<UINT> CharCodes(const QKeyEvent* pEvent)
{
    const int nKey = pEvent->key();
    const Qt::KeyboardModifiers mods = pEvent->modifiers();
    const bool bCtrl = mods & Qt::ControlModifier;
    switch (nKey) {
    case Qt::Key_Backspace: return {bCtrl ? 127u : 8u};
    case Qt::Key_Return: case Qt::Key_Enter: return {bCtrl ? 10u : 13u};
    case Qt::Key_Escape: return {27};
    case Qt::Key_Tab: case Qt::Key_Backtab:
        if (bCtrl)
            return {};
        return {9};
    default:
        break;
    }
    if (bCtrl && !(mods & Qt::AltModifier))
        return ControlCodes(nKey);
    std::vector<UINT> codes;
    for (UINT code : CharCodes(pEvent->text())) {
        if (code >= 0x20 && code != 0x7F)   // control characters come from the keys above
            codes.push_back(code);
    }
    return codes;
}

std::vector<UINT> CharCodes(const QString& strText)
{
    std::vector<UINT> codes;
    for (char32_t ch : strText.toUcs4())
        codes.push_back(CharCode(ch));
    return codes;
}

QString CharText(UINT nChar)
{
    if (nChar < 0x80)
        return QString(QChar((ushort)nChar));
    const int nBytes = nChar > 0xFFFFFF ? 4 : (nChar > 0xFF ? 2 : 1);
    char bytes[4];
    for (int i = 0; i < nBytes; ++i)
        bytes[i] = (char)(nChar >> (8 * (nBytes - 1 - i)));
    return Codec::ToUnicode(bytes, nBytes);
}

LPARAM KeyData(const QKeyEvent* pEvent)
{
    const bool bUp = pEvent->type() == QEvent::KeyRelease;
    DWORD data = 1 | ((pEvent->nativeScanCode() & 0xFF) << 16);
    if (IsExtendedKey(pEvent->key()))
        data |= 1u << 24;
    if (pEvent->modifiers() & Qt::AltModifier)
        data |= 1u << 29;
    if (bUp || pEvent->isAutoRepeat())
        data |= 1u << 30;
    if (bUp)
        data |= 1u << 31;
    return (LPARAM)data;
}

} // namespace Keyboard
