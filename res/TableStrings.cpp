// The record table's messages: what a paste could not hold.
#include "Dialog.h"
#include "resource.h"

AFX_RESOURCES(Table)
{
    AfxRegisterString(IDP_PASTE_CUT, "表格最多只能容纳 %d 条记录，超出的记录没有粘贴。");
}
