// The texts a print job ends with: the queue's answer when it did not simply print.
#include "Resource.h"
#include "resource.h"

AFX_RESOURCES(PrintJob)
{
    // The queue took none of the job's pages.
    AfxRegisterString(IDP_PRINT_REFUSED,
                      "打印机“%s”的打印队列没有接受这项打印作业：%s\n"
                      "没有一张证书交给打印队列（本次共 %d 张）；从第 %d 条记录起没有打印。");
    AfxRegisterString(IDS_PRINT_NO_REASON, "打印队列没有说明原因。");
    // Success: the job waits until the printer is started again.
    AfxRegisterString(IDP_PRINT_QUEUED,
                      "打印机“%s”已停止：%d 张证书的打印作业（作业号 %d）已排入它的打印队列，"
                      "打印机恢复工作后就会打印。");
}
