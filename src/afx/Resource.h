// The program's resources by id: the string table, the icons and the cursors. Resource files (res/*.cpp)
// register them when the program starts; their texts are UTF-8, as the resource scripts are
// written, and become GB18030 text when loaded.
#pragma once

#include "String.h"

class QIcon;

// The application's title in the string table (the caption of AfxMessageBox).
#define AFX_IDS_APP_TITLE 0xE000

BOOL AfxRegisterString(UINT nID, const char* pszUtf8);
// FALSE (and rString emptied) when the table has no such string; an empty one counts as none.
BOOL AfxLoadString(UINT nID, CString& rString);

// An icon drawn as an XPM image (rows of text), the way resource files hold small pictures.
BOOL AfxRegisterIcon(UINT nID, const char* const* ppszXpm);
// NULL when there is no such icon. Icons live as long as the process.
HICON AfxLoadIcon(UINT nID);
// The Qt icon of an icon handle (an empty icon for NULL).
QIcon AfxIconToQIcon(HICON hIcon);

// A cursor drawn as an XPM image, with its hot spot in the image's pixels.
BOOL AfxRegisterCursorResource(UINT nID, const char* const* ppszXpm, int xHotSpot, int yHotSpot);
// The cursor handle of a registered cursor; the arrow when there is no such cursor. Cursors
// live as long as the process.
HCURSOR AfxLoadCursor(UINT nID);

// A bitmap is a picture file compiled into the program as a Qt resource (":/res/...");
// CBitmap::LoadBitmap decodes it.
BOOL AfxRegisterBitmap(UINT nID, const char* pszResourcePath);
// NULL when there is no such bitmap.
const char* AfxFindBitmap(UINT nID);

// A resource file registers what it holds in a function body named by
//     AFX_RESOURCES(About) { AfxRegisterDialogTemplate(...); AfxRegisterString(...); }
// and every source that needs those resources names the file with
//     AFX_USE_RESOURCES(About)
// so the resources are registered before main runs, and the linker keeps the resource file
// although nothing calls into it.
#define AFX_RESOURCES(name)                                                               \
    void AfxRegisterResources_##name();                                                   \
    namespace {                                                                           \
    const bool s_bResources_##name = (AfxRegisterResources_##name(), true);               \
    }                                                                                     \
    void AfxRegisterResources_##name()

#define AFX_USE_RESOURCES(name)                                                           \
    void AfxRegisterResources_##name();                                                   \
    namespace {                                                                           \
    [[gnu::used]] void (*const s_pfnUseResources_##name)() = &AfxRegisterResources_##name; \
    }
