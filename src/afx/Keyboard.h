// Keyboard translation between Qt key events and the window system's key messages: virtual-key
// codes for WM_KEYDOWN/WM_KEYUP, and the character codes of WM_CHAR (an ASCII byte, a control
// code such as 3 for Ctrl+C, or a multi-byte character as its bytes read as one number, the
// first byte highest: (lead << 8) | trail, or the four bytes of a GB18030 four-byte character).
#pragma once

#include "afxtypes.h"

#include <QString>
#include <vector>

class QKeyEvent;

namespace Keyboard {
// The virtual key of a Qt key (US layout for punctuation); 0 when it has none.
UINT VirtualKey(int nQtKey, Qt::KeyboardModifiers modifiers);
// The Qt key that a virtual key stands for (for events made from sent messages).
int QtKey(UINT nVirtKey);
// The WM_CHAR codes that a key press gives, in order; empty for keys without text.
std::vector<UINT> CharCodes(const QKeyEvent* pEvent);
// The WM_CHAR codes of committed text (an input method's result).
std::vector<UINT> CharCodes(const QString& strText);
// The text of one WM_CHAR code.
QString CharText(UINT nChar);
// lParam of a key message: repeat count 1, scan code, extended, Alt and transition bits.
LPARAM KeyData(const QKeyEvent* pEvent);
}
