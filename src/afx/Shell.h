// The shell: opening a document or web address with the desktop's program for it.
#pragma once

#include "afxtypes.h"

#ifndef SE_ERR_NOASSOC
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_NOASSOC 31
#endif

// lpOperation "open" (or NULL) opens lpFile: a URL with a scheme (http:, https:, mailto:,
// file: ...) as it stands, anything else as a local file (relative to lpDirectory when
// given). Returns a value above 32 on success, as the window system does; SE_ERR_FNF for a
// file that does not exist, SE_ERR_NOASSOC when the desktop cannot open it. Tests record the
// calls instead (Testing::CShellRecorder).
HINSTANCE ShellExecute(HWND hwnd, LPCTSTR lpOperation, LPCTSTR lpFile, LPCTSTR lpParameters,
                       LPCTSTR lpDirectory, int nShowCmd);

// The default sound of the desktop.
BOOL MessageBeep(UINT uType);
