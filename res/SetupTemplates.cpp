// The layout designer's resources: the design window (dialog 129), the item editor (130), the
// paper-size editor (131) and the design window's texts.
#include "Dialog.h"
#include "resource.h"

AFX_RESOURCES(Setup)
{
    const DWORD dwStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;

    AfxRegisterDialogTemplate(IDD_SETUP_DIALOG,
        DialogTemplate(416, 276, "排版设计窗口 ( 双击内容进行编辑 )", dwStyle, "System", 10));

    const DWORD dwNumber = ES_NUMBER | ES_AUTOHSCROLL | ES_CENTER | WS_BORDER | WS_TABSTOP;
    AfxRegisterDialogTemplate(IDD_EDIT_DIALOG,
        DialogTemplate(258, 212, "内容属性编辑窗口", dwStyle, "System", 10)
            .DefPushButton("确定", IDOK, 31, 182, 50, 14)
            .PushButton("取消", IDCANCEL, 98, 181, 50, 14)
            .EditText(IDC_ITEM_TEXT, 7, 23, 244, 112,
                      ES_MULTILINE | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP)
            .LText("显示内容：", IDC_STATIC, 7, 7, 41, 8)
            .LText("宽度：", IDC_STATIC, 7, 147, 25, 8)
            .LText("高度：", IDC_STATIC, 85, 147, 25, 8)
            .EditText(IDC_ITEM_WIDTH, 35, 144, 40, 14, dwNumber)
            .EditText(IDC_ITEM_HEIGHT, 113, 144, 47, 14, dwNumber)
            .Control("", IDC_STATIC, "Static", SS_SUNKEN | SS_BLACKFRAME, 7, 168, 244, 1)
            .PushButton("删除", IDC_DELETE_ITEM, 169, 181, 50, 14)
            .PushButton("字体", IDC_CHOOSE_FONT, 180, 144, 50, 14));

    const DWORD dwSize = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    AfxRegisterDialogTemplate(IDD_PAGESIZE_DIALOG,
        DialogTemplate(166, 98, "纸张大小设置", dwStyle, "System", 10)
            .DefPushButton("确定", IDOK, 27, 77, 50, 14)
            .PushButton("取消", IDCANCEL, 90, 77, 50, 14)
            .LText("纸张宽度：", IDC_STATIC, 13, 21, 50, 8)
            .LText("纸张高度：", IDC_STATIC, 13, 43, 50, 8)
            .EditText(IDC_PAPER_WIDTH, 68, 18, 84, 14, dwSize)
            .EditText(IDC_PAPER_HEIGHT, 68, 39, 84, 14, dwSize)
            .Control("", IDC_STATIC, "Static", SS_SUNKEN | SS_BLACKFRAME, 8, 63, 148, 1));

    AfxRegisterString(IDS_SETUP_CAPTION, "\t排版设计窗口 ( 双击内容进行编辑 ) --- Dunmere");
    AfxRegisterString(IDS_SETUP_PAPER_SIZE, "纸张大小：W= %d H=%d");
    AfxRegisterString(IDS_SETUP_SIZE_BUTTON, "尺寸修改");
    AfxRegisterString(IDS_SETUP_NO_SELECTION, "双击页面增加打印项");
    AfxRegisterString(IDS_SETUP_SELECTION, "left=%d,top=%d,right=%d,bottom=%d [ h=%d ]");
    AfxRegisterString(IDS_SETUP_PAPER_POSITION, "  纸上位置：x=%s mm, y=%s mm");
    AfxRegisterString(IDS_SETUP_EMPTY_ITEM, "双击修改内容");
    AfxRegisterString(IDS_SETUP_FONT_NAME, "楷体_GB2312");
    AfxRegisterString(IDS_SETUP_DEFAULT_ITEM1, "{C}同学:");
    AfxRegisterString(IDS_SETUP_DEFAULT_ITEM2,
                      "　　你制作的作品《{D}》获{A}组{B}类{E}等奖。\r\n　　特发此证");
    AfxRegisterString(IDS_SETUP_DEFAULT_ITEM3, "二０二０年十二月");
}
