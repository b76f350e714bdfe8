#include "FuzzSupport.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

void Fuzz::StartApplication()
{
    if (QApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char szName[] = "fuzz";
    static char* argv[] = {szName, nullptr};
    new QApplication(argc, argv);
}

void Fuzz::SetUpRecordTable(CGridCtrl& grid, int nRecords)
{
    grid.SetRowCount(nRecords + 1);
    grid.SetColumnCount(27);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    CString str;
    for (int i = 0; i < 26; i++) {
        str.Format("%c", 'A' + i);
        grid.SetItemText(0, i + 1, str);
    }
    for (int i = 1; i <= nRecords; i++) {
        str.Format("%d", i);
        grid.SetItemText(i, 0, str);
    }
    grid.SetColumnWidth(0, 40);
}

void Fuzz::Fail(const char* pszWhat)
{
    std::fprintf(stderr, "fuzz: %s\n", pszWhat);
    std::abort();
}
