// Veltrane: prints award certificates in bulk. The program is its main window, run by the
// application object.
#include "MainApp.h"

CMainApp theApp;

int main(int argc, char** argv)
{
    return AfxWinMain(argc, argv);
}
