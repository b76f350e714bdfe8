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

    const DWORD dwEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    AfxRegisterDialogTemplate(IDD_CALIBRATE_DIALOG,
        DialogTemplate(330, 218, "打印校准", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                       "System", 10)
            .LText("", IDC_CALIBRATE_PRINTER, 10, 8, 310, 10)
            .LText("水平偏移（毫米，向右为正）：", IDC_STATIC, 10, 27, 130, 10)
            .EditText(IDC_CALIBRATE_OFFSET_X, 145, 24, 45, 14, dwEdit)
            .LText("垂直偏移（毫米，向下为正）：", IDC_STATIC, 10, 45, 130, 10)
            .EditText(IDC_CALIBRATE_OFFSET_Y, 145, 42, 45, 14, dwEdit)
            .LText("水平缩放（‰，放大为正）：", IDC_STATIC, 10, 65, 130, 10)
            .EditText(IDC_CALIBRATE_SCALE_X, 145, 62, 45, 14, dwEdit)
            .RText("", IDC_CALIBRATE_MARK_X, 194, 65, 76, 10)
            .EditText(IDC_CALIBRATE_LANDED_X, 272, 62, 32, 14, dwEdit)
            .LText("毫米", IDC_STATIC, 306, 65, 20, 10)
            .LText("垂直缩放（‰，放大为正）：", IDC_STATIC, 10, 83, 130, 10)
            .EditText(IDC_CALIBRATE_SCALE_Y, 145, 80, 45, 14, dwEdit)
            .RText("", IDC_CALIBRATE_MARK_Y, 194, 83, 76, 10)
            .EditText(IDC_CALIBRATE_LANDED_Y, 272, 80, 32, 14, dwEdit)
            .LText("毫米", IDC_STATIC, 306, 83, 20, 10)
            .Control("清晰打印（文字矢量输出）", IDC_CALIBRATE_VECTOR_TEXT, "Button", BS_AUTOCHECKBOX | WS_TABSTOP,
                     10, 100, 200, 12)
            .LText("偏移：打印测试页后，把它覆在空白证书上，量出偏差后填入。范围 -50 到 50，精确到 0.1 毫米。\n"
                   "缩放：用直尺从测试页标尺的 0 刻度量到 200 毫米刻度（纸短时为标出的刻度）。"
                   "若 200 毫米刻度落在 201.5 毫米处，打印机放大了 7.5‰，缩放填 -7.5；"
                   "也可以把量得的毫米数填在右边，缩放自动算出。范围 -20.0 到 20.0，精确到 0.1‰。\n"
                   "清晰打印：文字按打印机的分辨率直接输出，小字更清楚，打印作业也小得多。"
                   "以双核电脑和 PDF 打印机连续打印 300 条记录为例：复制页面约 14 秒交给打印队列，"
                   "队列约 62 秒打完（作业 17 MB）；清晰打印约 1.2 秒交给打印队列，队列约 7 秒打完（作业 0.4 MB）。",
                   IDC_CALIBRATE_HINT, 10, 118, 310, 72)
            .PushButton("打印测试页", IDC_CALIBRATE_TEST_PAGE, 10, 196, 60, 14)
            .DefPushButton("确定", IDOK, 210, 196, 50, 14)
            .PushButton("取消", IDCANCEL, 270, 196, 50, 14));

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
    AfxRegisterString(IDP_CALIBRATE_BAD_SCALE, "缩放请填写 -20.0 到 20.0 之间的千分数（‰），最多一位小数，例如 -7.5。");
    // The ruler mark's length in millimetres.
    AfxRegisterString(IDS_CALIBRATE_MARK, "%d 毫米刻度落在");
    AfxRegisterString(IDS_TEST_PAGE_MARK, "%d 毫米");
}

// The PDF export's texts, and those of the command line, which prints and exports without the
// window.
AFX_RESOURCES(PdfExport)
{
    AfxRegisterString(IDS_PDF_FILTER, "PDF 文件(*.pdf)|*.pdf||");
    AfxRegisterString(IDP_PDF_WRITTEN, "已将 %d 张证书导出到 %s。");
    AfxRegisterString(IDP_PDF_NOTHING, "第 %d 条记录的 A 列为空，没有可导出的证书。");
    AfxRegisterString(IDS_CMD_HELP,
        "用法：\n"
        "  veltrane [文档.zs]\n"
        "      打开程序窗口；给出文档时先打开该文档。\n"
        "  veltrane --pdf 输出.pdf [--from N] [--background] 文档.zs\n"
        "      把从第 N 条记录（默认第 1 条）起、连续打印会打印的证书写入一个 PDF 文件：\n"
        "      每张证书一页，页面即版面的纸张尺寸，文字可选择、可搜索。\n"
        "      --background 同时画出背景图片（用于屏幕上的校样）。\n"
        "  veltrane --print [--from N] 文档.zs\n"
        "      像“连续打印”一样，从第 N 条记录起把证书打印到默认打印机。\n"
        "  veltrane --help\n"
        "      显示本说明。\n"
        "\n"
        "--pdf 与 --print 不需要显示器。成功时输出一行，说明多少张证书写到了哪里，退出码为 0；\n"
        "出错时在标准错误输出一行说明原因和位置，退出码不为 0，不会留下不完整的 PDF 文件。\n");
    AfxRegisterString(IDP_CMD_UNKNOWN_OPTION, "未知的选项 %s（veltrane --help 列出全部选项）");
    AfxRegisterString(IDP_CMD_ONLY_WITH, "选项 %s 只能与 %s 一起使用");
    AfxRegisterString(IDP_CMD_MISSING_VALUE, "选项 %s 后面缺少参数");
    AfxRegisterString(IDP_CMD_BAD_RECORD, "--from 需要 1 以上的记录号，而不是 %s");
    AfxRegisterString(IDP_CMD_NO_DOCUMENT, "%s 需要一个证书文档（.zs）");
    AfxRegisterString(IDP_CMD_EXTRA_ARGUMENT, "多余的参数 %s：只能给出一个文档");
    AfxRegisterString(IDP_CMD_DOCUMENT_DAMAGED, "文档 %s 已损坏，不能读取");
    AfxRegisterString(IDP_CMD_NOT_DOCUMENT, "%s 不是证书文档");
    AfxRegisterString(IDP_CMD_TWO_COMMANDS, "--pdf 与 --print 只能给出一个，且只能给出一次");
    AfxRegisterString(IDP_CMD_PRINTED, "已将 %d 张证书发送到打印机“%s”");
    AfxRegisterString(IDP_CMD_NO_PRINTER, "没有默认打印机，%s 的证书没有打印");
}
