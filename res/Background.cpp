// The built-in background: a blank certificate of 1200 x 835 pixels, shown under the items
// when no "back.jpg" is found. The picture is compiled into the program (CMakeLists.txt).
#include "Resource.h"
#include "resource.h"

AFX_RESOURCES(Background)
{
    AfxRegisterBitmap(IDB_BACKGROUND, ":/res/back.jpg");
}
