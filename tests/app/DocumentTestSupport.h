// Shared set-up for the tests of the current record's fields and the document file: a main
// dialog whose table is set up as the program sets it up, without showing any window.
#pragma once

#include "MainApp.h"
#include "MainDlg.h"
#include "PrintItem.h"

#include "Codec.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

// GB18030 bytes of a UTF-8 literal.
inline CString Gbk(const char* pszUtf8)
{
    return Codec::FromUnicode(QString::fromUtf8(pszUtf8));
}

// Tokens as byte strings, so that a failing comparison prints them.
inline std::vector<std::string> TokenBytes(const CStringArray& arrTokens)
{
    std::vector<std::string> result;
    for (int i = 0; i < arrTokens.GetSize(); i++)
        result.push_back(arrTokens[i].str());
    return result;
}

inline std::vector<std::string> GbkBytes(std::initializer_list<const char*> tokens)
{
    std::vector<std::string> result;
    for (const char* psz : tokens)
        result.push_back(Gbk(psz).str());
    return result;
}

// The table of a new document: 301 rows and 27 columns, headings A..Z and 1..300.
inline void SetUpRecordTable(CGridCtrl& grid)
{
    grid.SetRowCount(301);
    grid.SetColumnCount(27);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    CString str;
    for (int i = 0; i < 26; i++) {
        str.Format("%c", 'A' + i);
        grid.SetItemText(0, i + 1, str);
        grid.SetItemFormat(0, i + 1, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    for (int i = 1; i <= 300; i++) {
        str.Format("%d", i);
        grid.SetItemText(i, 0, str);
        grid.SetItemFormat(i, 0, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    grid.SetColumnWidth(0, 40);
}

class CMainDlgDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { SetUpRecordTable(m_dlg.m_wndGrid); }

    // Splits strText in substituting mode for the current record.
    std::vector<std::string> Substitute(const CString& strText)
    {
        CStringArray arrTokens;
        CPrintItem::SplitText(strText, arrTokens,
                              [this](const CString& strKey) { return m_dlg.GetFieldText(strKey); });
        return TokenBytes(arrTokens);
    }

    CMainDlg m_dlg;
};

// The program's main window, made as the program makes it but never shown, as the
// application's main window; the program's folder is a fresh temporary folder.
class CMainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        std::strcpy(m_app.m_szAppDir, Codec::FromUnicode(m_dir.path()));
        ASSERT_TRUE(m_dlg.Create(CMainDlg::IDD));
        m_app.m_pMainWnd = &m_dlg;
    }
    void TearDown() override
    {
        m_app.m_pMainWnd = nullptr;
        m_dlg.DestroyWindow();
    }

    QTemporaryDir m_dir;
    CMainApp m_app;
    CMainDlg m_dlg;
};
