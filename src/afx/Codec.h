// Code page 936 <-> Unicode, used only where text leaves or enters the platform: drawing and
// measuring, controls, the clipboard, file names.
#pragma once

#include "String.h"

#include <QString>

namespace Codec {
// Characters that code page 936 cannot hold become '?', as the window system's conversion does.
CString FromUnicode(const QString& text);
QString ToUnicode(const CString& text);
QString ToUnicode(const char* pch, int nLength);
}
