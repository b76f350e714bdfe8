// The 300 sample records, put into the main window's table as pasting them would.
#pragma once

#include "Codec.h"
#include "GridCtrl.h"

#include <QFile>
#include <QString>
#include <QStringList>

inline CString Gbk(const char* pszUtf8)
{
    return Codec::FromUnicode(QString::fromUtf8(pszUtf8));
}

inline void LoadSampleRecords(CGridCtrl& grid)
{
    QFile file(VELTRANE_BENCH_DATA "/records-300.tsv");
    file.open(QIODevice::ReadOnly);
    const QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
    for (int nRow = 1; nRow <= lines.size() && nRow <= 300; nRow++) {
        const QStringList fields = lines[nRow - 1].split('\t');
        for (int nCol = 1; nCol <= fields.size() && nCol <= 26; nCol++)
            grid.SetItemText(nRow, nCol, Codec::FromUnicode(fields[nCol - 1]));
    }
}
