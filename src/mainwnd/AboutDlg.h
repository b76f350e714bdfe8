// CAboutDlg: the About box, opened from the main window's system menu.
#pragma once

#include "Dialog.h"
#include "resource.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    enum { IDD = IDD_ABOUTBOX };
};
