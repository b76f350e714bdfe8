// The texts that tell the user a bound was met: something refused, or shown only in part.
#include "Resource.h"
#include "resource.h"

AFX_RESOURCES(Limits)
{
    AfxRegisterString(IDP_SETUP_TOO_MANY_ITEMS, "版面上已有 %d 个打印项，不能再增加。");
    AfxRegisterString(IDP_SETUP_TEXT_CUT,
                      "有打印项的文字太长，排版窗口只显示它的前 %d 个字；文字本身完整保留。");
    AfxRegisterString(IDP_SETUP_UNDO_CUT,
                      "不能再撤销：撤销记录最多占用 %d MB 内存，更早的修改已不再保留。");
    AfxRegisterString(IDS_TITLETIP_CUT, "……（文字过长，未全部显示）");
}
