// The preview's resources: dialog 132, its caption and the messages of its page.
#include "Dialog.h"
#include "resource.h"

AFX_RESOURCES(Preview)
{
    AfxRegisterDialogTemplate(IDD_PREVIEW_DIALOG,
        DialogTemplate(410, 292, "打印预览", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                       "System", 10)
            .PushButton("关闭", IDCANCEL, 317, 271, 50, 14)
            .PushButton("上一条", IDC_PREVIOUS, 7, 271, 50, 14)
            .PushButton("下一条", IDC_NEXT, 70, 271, 50, 14)
            .PushButton("打印", IDC_PRINT, 142, 271, 50, 14)
            .Control("", IDC_CERTIFICATE, "CertificateWndClass", WS_BORDER | WS_TABSTOP, 7, 7, 396, 257)
            .PushButton("连续打印", IDC_PRINT_ALL, 211, 271, 50, 14)
            .PushButton("导出PDF", IDC_EXPORT_PDF, 266, 271, 46, 14)
            .PushButton("打印校准", IDC_PRINT_CALIBRATE, 370, 271, 33, 14));

    const DWORD dwOffset = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    AfxRegisterDialogTemplate(IDD_CALIBRATE_DIALOG,
        DialogTemplate(220, 130, "打印校准", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                       "System", 10)
            .LText("", IDC_CALIBRATE_PRINTER, 10, 8, 200, 10)
            .LText("水平偏移（毫米，向右为正）：", IDC_STATIC, 10, 28, 130, 10)
            .EditText(IDC_CALIBRATE_OFFSET_X, 145, 25, 60, 14, dwOffset)
            .LText("垂直偏移（毫米，向下为正）：", IDC_STATIC, 10, 48, 130, 10)
            .EditText(IDC_CALIBRATE_OFFSET_Y, 145, 45, 60, 14, dwOffset)
            .LText("打印测试页后，把它覆在空白证书上，量出偏差后填入。范围 -50 到 50，精确到 0.1 毫米。",
                   IDC_CALIBRATE_HINT, 10, 66, 200, 24)
            .PushButton("打印测试页", IDC_CALIBRATE_TEST_PAGE, 10, 106, 60, 14)
            .DefPushButton("确定", IDOK, 100, 106, 50, 14)
            .PushButton("取消", IDCANCEL, 160, 106, 50, 14));

    AfxRegisterString(IDS_PREVIEW_CAPTION, "\t打印预览 --- Dunmere");
    AfxRegisterString(IDP_PAGE_REDUCED,
                      "纸张尺寸太大，无法按每像素 0.1 毫米生成证书页面。\n预览改用按比例缩小的页面显示。");
    AfxRegisterString(IDP_PAGE_NO_MEMORY, "内存不足，无法生成证书页面，预览不能显示证书。");

    // Printing: %s is the printer's name.
    AfxRegisterString(IDP_NO_PRINTER,
                      "没有默认打印机，证书没有打印。\n请在系统的打印机设置中添加一台打印机，并把它设为默认打印机。");
    AfxRegisterString(IDP_PRINTER_NOT_OPENED, "无法打开打印机“%s”，证书没有打印。");
    // The printer's name, the certificates sent, the first record not printed.
    AfxRegisterString(IDP_PRINT_FAILED,
                      "打印机“%s”出错，打印已停止。\n已发送 %d 张证书；从第 %d 条记录起没有打印。");
    AfxRegisterString(IDP_NOTHING_TO_PRINT, "第 %d 条记录的 A 列是空的，没有可打印的证书。");
    // The record, its place in the run, the run's length.
    AfxRegisterString(IDS_PRINT_PROGRESS, "正在打印第 %d 条记录（%d / %d）");
    AfxRegisterString(IDS_PRINT_PROGRESS_CAPTION, "连续打印");
    AfxRegisterString(IDS_PRINT_CANCEL, "取消");
    AfxRegisterString(IDS_CALIBRATE_PRINTER, "打印机：%s");
    AfxRegisterString(IDP_CALIBRATE_BAD_OFFSET, "偏移请填写 -50 到 50 之间的毫米数，最多一位小数，例如 3.5 或 -2。");
}
