#include "AboutDlg.h"

AFX_USE_RESOURCES(About)
AFX_USE_RESOURCES(Main)   // the program's icon, 128

CAboutDlg::CAboutDlg() : CDialog(CAboutDlg::IDD) {}
