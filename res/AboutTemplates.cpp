// The About box (dialog 100) and the author page (dialog 139) with their strings.
#include "Dialog.h"
#include "resource.h"

AFX_RESOURCES(About)
{
    AfxRegisterDialogTemplate(IDD_ABOUTBOX,
        DialogTemplate(239, 55, "关于 Pellicor工具", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                       "宋体", 9)
            .Icon(IDR_MAINFRAME, IDC_STATIC, 11, 17, 21, 21)
            .LText("Pellicor 1.0 版", IDC_STATIC, 44, 12, 108, 8, SS_NOPREFIX)
            .LText("Veltrane：批量打印获奖证书", IDC_STATIC, 44, 29, 188, 8)
            .DefPushButton("确定", IDOK, 182, 7, 50, 14, WS_GROUP));

    AfxRegisterDialogTemplate(IDD_OTHERSOFT_DIALOG,
        DialogTemplate(300, 209, "作者简介", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                       "System", 10)
            .EditText(IDC_AUTHOR_TEXT, 7, 7, 286, 93,
                      ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | ES_WANTRETURN | WS_TABSTOP)
            .LText("使用说明 (README)", IDC_LINK_README, 28, 119, 80, 8)
            .LText("程序所在的文件夹", IDC_LINK_FOLDER, 28, 139, 80, 8)
            .LText("Qt 6 界面库", IDC_LINK_QT, 28, 158, 80, 8)
            .LText("CUPS 打印系统", IDC_LINK_CUPS, 27, 175, 85, 8)
            .LText("Debian 12 系统", IDC_LINK_DEBIAN, 197, 120, 85, 8)
            .LText("Noto CJK 中文字体", IDC_LINK_NOTO, 197, 136, 85, 8)
            .LText("Qt 6 文档", IDC_LINK_QTDOC, 197, 155, 84, 8)
            .LText("AR PL UMing 字体", IDC_LINK_UMING, 197, 173, 76, 8));

    AfxRegisterString(IDS_AUTHOR_TEXT,
        "Veltrane 是一个批量打印获奖证书的程序。\r\n"
        "把获奖名单从电子表格复制，粘贴到主窗口的表格中：每行是一条记录，A 到 Z 列是它的字段。"
        "在“界面排版”中把要打印的文字放到证书的相应位置，文字中的 {A}、{B} …… 代表当前记录"
        "相应列的内容。在“打印预览”中逐条查看证书，打印当前记录，或从当前记录起打印全部记录。\r\n"
        "表格、列宽、纸张大小和排版内容一起保存在扩展名为 .zs 的证书文档中。\r\n"
        "下面的链接打开本程序的使用说明和程序所在的文件夹，以及本程序所用软件的主页。");

    // The addresses of the links that the author page does not set itself.
    AfxRegisterString(IDC_LINK_QT, "https://www.qt.io/");
    AfxRegisterString(IDC_LINK_CUPS, "https://openprinting.github.io/cups/");
    AfxRegisterString(IDC_LINK_DEBIAN, "https://www.debian.org/");
    AfxRegisterString(IDC_LINK_NOTO, "https://github.com/notofonts/noto-cjk");
    AfxRegisterString(IDC_LINK_QTDOC, "https://doc.qt.io/qt-6/");
    AfxRegisterString(IDC_LINK_UMING, "https://packages.debian.org/bookworm/fonts-arphic-uming");
}
