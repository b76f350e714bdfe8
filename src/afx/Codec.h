// The system's text bytes <-> Unicode, used only where text leaves or enters the platform:
// drawing and measuring, controls, the clipboard, file names.
//
// The bytes are GB18030. Its one- and two-byte sequences are code page 936 (GBK): every text
// that code page holds keeps exactly its bytes, the euro sign its single byte 0x80. Every other
// character takes a four-byte sequence (or one of the two-byte codes GBK leaves unassigned), so
// any Unicode text survives the round trip.
#pragma once

#include "String.h"

#include <QString>

namespace Codec {
// A lone surrogate, and the few private-use characters that GB18030 has no code for, become
// U+FFFD's four bytes.
CString FromUnicode(const QString& text);
// A byte sequence that is no character becomes U+FFFD.
QString ToUnicode(const CString& text);
QString ToUnicode(const char* pch, int nLength);
}
