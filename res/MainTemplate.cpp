// The main window's resources: dialog 102, its strings and the program icon 128.
#include "Dialog.h"
#include "resource.h"

namespace {

#include "icon128.xpm"

} // namespace

AFX_RESOURCES(Main)
{
    AfxRegisterIcon(IDR_MAINFRAME, s_xpmCertificate);

    AfxRegisterDialogTemplate(IDD_MAIN_DIALOG,
        DialogTemplate(459, 317, "Veltrane", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                       "宋体", 9, WS_EX_APPWINDOW)
            .Control("", IDC_GRID, "MFCGridCtrl", WS_BORDER | WS_TABSTOP, 7, 7, 385, 303)
            .PushButton("作者简介", IDC_AUTHOR_PAGE, 402, 7, 50, 14)
            .PushButton("界面排版", IDC_LAYOUT_DESIGN, 402, 173, 50, 14)
            .PushButton("打印预览", IDC_PREVIEW, 402, 196, 50, 14)
            .PushButton("打开文件", IDC_OPEN_FILE, 402, 219, 50, 14)
            .PushButton("保存文件", IDC_SAVE_FILE, 402, 243, 50, 14)
            .PushButton("另存为", IDC_SAVE_FILE_AS, 402, 265, 50, 14)
            .PushButton("关闭文件", IDC_CLOSE_FILE, 402, 290, 50, 14));

    AfxRegisterString(IDS_ABOUTBOX, "关于 Pellicor(&A)...");
    AfxRegisterString(IDS_NEW_FILE, "新文件");
    AfxRegisterString(IDS_TITLE_NEW_FILE, "Veltrane [ 新文件 ] -- Dunmere");
    AfxRegisterString(IDS_TITLE_EMPTY_TABLE,
                      "Veltrane [ 新文件 ] -- 把证书原始数据复制粘贴到下面的空表中");
    AfxRegisterString(IDP_EMPTY_TABLE_DESIGN, "是空表，请先复制内容到表中。");
    AfxRegisterString(IDP_EMPTY_TABLE_SAVE, "是空表，不能保存。");
    AfxRegisterString(IDP_REPLACE_FILE, "%s 已存在。\n要替换它吗？");
    AfxRegisterString(IDS_DOCUMENT_FILTER, "证书文档(*.zs)|*.zs||");
    AfxRegisterString(IDP_DOCUMENT_DAMAGED, "数据读取错误！");
    AfxRegisterString(IDP_NOT_DOCUMENT, "不是证书文档，不能打开。");
    AfxRegisterString(IDP_SAVE_MODIFIED, "文档已修改，是否保存？");
}
