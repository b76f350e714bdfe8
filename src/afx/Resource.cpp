#include "Resource.h"

#include "Codec.h"
#include "Wnd.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <map>
#include <memory>
#include <string>

namespace {

struct IconEntry {
    const char* const* ppszXpm;
    const char* const* ppszXpm2x;
    std::unique_ptr<QIcon> pIcon;   // made on first use: pixmaps need the Qt application
};

// Function-local tables: resource files register during static initialisation.
std::map<UINT, std::string>& StringTable()
{
    static std::map<UINT, std::string> s_table;
    return s_table;
}

std::map<UINT, IconEntry>& IconTable()
{
    static std::map<UINT, IconEntry> s_table;
    return s_table;
}

struct CursorEntry {
    const char* const* ppszXpm;
    int xHotSpot, yHotSpot;
    const char* const* ppszXpm2x;
    bool bLoaded = false;   // the handle is made on first use, like an icon's pixmap
    HCURSOR hCursor = IDC_ARROW;
};

std::map<UINT, CursorEntry>& CursorTable()
{
    static std::map<UINT, CursorEntry> s_table;
    return s_table;
}

std::map<UINT, std::string>& BitmapTable()
{
    static std::map<UINT, std::string> s_table;
    return s_table;
}

} // namespace

BOOL AfxRegisterString(UINT nID, const char* pszUtf8)
{
    if (!pszUtf8)
        return FALSE;
    StringTable()[nID] = pszUtf8;
    return TRUE;
}

BOOL AfxLoadString(UINT nID, CString& rString)
{
    rString.Empty();
    auto it = StringTable().find(nID);
    if (it == StringTable().end() || it->second.empty())
        return FALSE;   // the string table holds no empty strings
    rString = Codec::FromUnicode(QString::fromUtf8(it->second.data(), (qsizetype)it->second.size()));
    return TRUE;
}

BOOL CString::LoadString(UINT nID)
{
    return AfxLoadString(nID, *this);
}

BOOL AfxRegisterIcon(UINT nID, const char* const* ppszXpm, const char* const* ppszXpm2x)
{
    if (!ppszXpm)
        return FALSE;
    IconEntry& entry = IconTable()[nID];
    entry.ppszXpm = ppszXpm;
    entry.ppszXpm2x = ppszXpm2x;
    entry.pIcon.reset();
    return TRUE;
}

HICON AfxLoadIcon(UINT nID)
{
    auto it = IconTable().find(nID);
    if (it == IconTable().end())
        return nullptr;
    IconEntry& entry = it->second;
    if (!entry.pIcon) {
        QPixmap pixmap(entry.ppszXpm);
        if (pixmap.isNull())
            return nullptr;
        entry.pIcon = std::make_unique<QIcon>(pixmap);
        // The icon picks the larger picture wherever it is shown at twice the size.
        if (entry.ppszXpm2x)
            entry.pIcon->addPixmap(QPixmap(entry.ppszXpm2x));
    }
    return reinterpret_cast<HICON>(entry.pIcon.get());
}

QIcon AfxIconToQIcon(HICON hIcon)
{
    return hIcon ? *reinterpret_cast<const QIcon*>(hIcon) : QIcon();
}

BOOL AfxRegisterCursorResource(UINT nID, const char* const* ppszXpm, int xHotSpot, int yHotSpot,
                               const char* const* ppszXpm2x)
{
    if (!ppszXpm)
        return FALSE;
    CursorTable()[nID] = CursorEntry{ppszXpm, xHotSpot, yHotSpot, ppszXpm2x};
    return TRUE;
}

HCURSOR AfxLoadCursor(UINT nID)
{
    auto it = CursorTable().find(nID);
    if (it == CursorTable().end())
        return IDC_ARROW;
    CursorEntry& entry = it->second;
    if (!entry.bLoaded) {
        // The larger form is drawn at two pixels per pixel; its hot spot is in logical pixels.
        const bool bLarge = entry.ppszXpm2x && qApp->devicePixelRatio() >= 1.5;
        QPixmap pixmap(bLarge ? entry.ppszXpm2x : entry.ppszXpm);
        if (pixmap.isNull())
            return IDC_ARROW;
        if (bLarge)
            pixmap.setDevicePixelRatio(2);
        entry.hCursor = AfxRegisterCursor(QCursor(pixmap, entry.xHotSpot, entry.yHotSpot));
        entry.bLoaded = true;
    }
    return entry.hCursor;
}

BOOL AfxRegisterBitmap(UINT nID, const char* pszResourcePath)
{
    if (!pszResourcePath)
        return FALSE;
    BitmapTable()[nID] = pszResourcePath;
    return TRUE;
}

const char* AfxFindBitmap(UINT nID)
{
    auto it = BitmapTable().find(nID);
    return it == BitmapTable().end() ? nullptr : it->second.c_str();
}
