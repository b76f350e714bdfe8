// The widgets of the standard controls, made for CButton/CStatic::Create and for dialog
// templates. Unparented and unattached: the caller places them and attaches an object.
#pragma once

#include "Controls.h"

#include <QString>

class QWidget;

namespace ControlWidgets {
// A push button (its clicks become BN_CLICKED to the parent window) or, with BS_GROUPBOX, a
// group box.
QWidget* MakeButton(const QString& strText, DWORD dwStyle);
// A text, icon (SS_ICON), frame or separator static.
QWidget* MakeStatic(const QString& strText, DWORD dwStyle);
// "&x" marks an access key in control texts; "&&" is a literal ampersand.
QString StripPrefix(const QString& strText);
// The size an icon static takes, whatever its template size.
int IconSize();
// Tells the control's parent window what happened to it: WM_COMMAND with the control's id and
// nCode (BN_CLICKED, EN_CHANGE ...).
void NotifyParent(QWidget* pControl, UINT nCode);
}
