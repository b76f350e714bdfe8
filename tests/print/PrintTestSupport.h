// Shared set-up of the printing tests: the program's main window (not shown) with one item,
// "{A}同学" in 宋体, and a renderer on its layout; the user's settings in the test's folder.
#pragma once

#include "../app/DocumentTestSupport.h"

#include "CertificateWnd.h"
#include "MainApp.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <functional>

// Runs action on the progress window of "连续打印" once it is shown with nPages pages sent:
// with 0, before the first page. Looks again on each turn of the event loop, nTries times.
inline void WhenProgressShows(int nPages, std::function<void(QProgressDialog*)> action, int nTries = 1000)
{
    QTimer::singleShot(0, [=] {
        for (QWidget* pWidget : QApplication::topLevelWidgets())
            if (auto* pProgress = qobject_cast<QProgressDialog*>(pWidget);
                pProgress && pProgress->isVisible() && pProgress->value() >= nPages) {
                action(pProgress);
                return;
            }
        if (nTries > 1)
            WhenProgressShows(nPages, action, nTries - 1);
    });
}

// Presses "取消" before the first page is sent.
inline void CancelProgressWhenShown()
{
    WhenProgressShows(0, [](QProgressDialog* pProgress) {
        QTest::mouseClick(pProgress->findChild<QPushButton*>(), Qt::LeftButton);
    });
}

class CPrintTestBase : public ::testing::Test {
protected:
    void SetUpDocument()
    {
        ASSERT_TRUE(m_dir.isValid());
        // No back.jpg there: the built-in picture is the background.
        std::strcpy(m_app.m_szAppDir, Codec::FromUnicode(m_dir.path()));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        ASSERT_TRUE(m_dlg.Create(CMainDlg::IDD));
        m_app.m_pMainWnd = &m_dlg;
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = m_rectItem;
        pItem->m_strText = Gbk("{A}同学");
        pItem->m_strFontName = Gbk("宋体");
        m_dlg.m_printSet.m_arrItems.Add(pItem);
        m_wnd.m_pPrintSet = &m_dlg.m_printSet;
    }
    void TearDown() override
    {
        m_wnd.ReleaseResources();
        m_app.m_pMainWnd = nullptr;
        m_dlg.DestroyWindow();
    }

    // Field A of rows nFirst to nLast: "学生" and the row's number.
    void FillRecords(int nFirst, int nLast)
    {
        for (int nRow = nFirst; nRow <= nLast; nRow++) {
            CString str;
            str.Format("%d", nRow);
            m_dlg.m_wndGrid.SetItemText(nRow, 1, Gbk("学生") + str);
        }
    }

    const CRect m_rectItem {490, 728, 1400, 801};
    QTemporaryDir m_dir;
    CMainApp m_app;
    CMainDlg m_dlg;
    CCertificateWnd m_wnd;
};
