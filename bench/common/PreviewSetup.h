// The program's main window with the 300 sample records, a certificate of five items and the
// preview open on record 1: what the preview and printing benchmarks run on.
#pragma once

#include "Codec.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "PreviewDlg.h"
#include "PrintItem.h"
#include "SampleRecords.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstring>

struct CPreviewSetup {
    explicit CPreviewSetup(bool bPictureFile)
    {
        std::strcpy(app.m_szAppDir, Codec::FromUnicode(dir.path()));
        if (bPictureFile)
            QFile::copy(":/res/back.jpg", dir.filePath("back.jpg"));
        dlg.Create(CMainDlg::IDD);
        app.m_pMainWnd = &dlg;
        LoadSampleRecords(dlg.m_wndGrid);
        AddItem(CRect(300, 560, 1400, 640), "{C}同学：");
        AddItem(CRect(400, 700, 2100, 780), "　　你的作品《{D}》在{B}比赛{A}组中荣获{E}等奖。\r\n特发此证，以资鼓励。");
        AddItem(CRect(300, 1100, 1200, 1160), "指导老师：{G}");
        AddItem(CRect(1500, 1250, 2100, 1310), "{F}");
        AddItem(CRect(1500, 1400, 2100, 1460), "二〇二六年十二月");

        dlg.m_nCurRecord = 1;
        preview.m_pPrintSet = &dlg.m_printSet;
        preview.Create(CPreviewDlg::IDD, &dlg);
        preview.ShowWindow(SW_SHOW);
        preview.m_wndCertificate.UpdateWindow();   // the first paint makes the page
    }
    ~CPreviewSetup()
    {
        preview.DestroyWindow();
        app.m_pMainWnd = nullptr;
        dlg.DestroyWindow();
    }
    void AddItem(const CRect& rect, const char* pszText)
    {
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = rect;
        pItem->m_strText = Gbk(pszText);
        pItem->m_strFontName = Gbk("楷体_GB2312");
        dlg.m_printSet.m_arrItems.Add(pItem);
    }

    QTemporaryDir dir;
    CMainApp app;
    CMainDlg dlg;
    CPreviewDlg preview;
};
