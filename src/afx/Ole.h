// Clipboard data objects and drop targets, offering and reading CF_TEXT only. Text on the
// system clipboard (and in a drag) is Unicode; it is converted to and from GB18030 here,
// and nowhere else on its way.
#pragma once

#include "Geometry.h"
#include "String.h"

class CWnd;
class QMimeData;
class QObject;

typedef DWORD DROPEFFECT;
#define DROPEFFECT_NONE 0
#define DROPEFFECT_COPY 1
#define DROPEFFECT_MOVE 2
#define DROPEFFECT_LINK 4
#define DROPEFFECT_SCROLL 0x80000000

#define CF_TEXT 1

// Data offered to the clipboard (or a drag): the CF_TEXT bytes, which end at their first NUL.
class COleDataSource {
public:
    virtual ~COleDataSource() = default;
    void CacheText(CString strText);
    BOOL HasText() const { return m_bHasText; }
    const CString& GetText() const { return m_strText; }
    // Puts the data on the system clipboard and deletes this object: the clipboard keeps a
    // rendered copy of its own, as it does of a source it owns.
    void SetClipboard();
    // Makes the clipboard's data independent of this process, so it outlives the program.
    static void FlushClipboard();
    // Whether the clipboard holds data this process put there.
    static BOOL IsClipboardOwned();

private:
    CString m_strText;
    BOOL m_bHasText = FALSE;
};

// Data read from the clipboard or from a drop.
class COleDataObject {
public:
    // Reads the system clipboard from now on; FALSE when there is no clipboard.
    BOOL AttachClipboard();
    // Reads the data of a drag; the data must outlive this object's use.
    void Attach(const QMimeData* pData);
    void Release();
    BOOL IsDataAvailable(UINT cfFormat) const;
    // The CF_TEXT bytes up to the first NUL; FALSE when there is no text.
    BOOL GetText(CString& strText) const;

private:
    const QMimeData* Data() const;
    BOOL m_bClipboard = FALSE;
    const QMimeData* m_pData = nullptr;
};

BOOL IsClipboardFormatAvailable(UINT cfFormat);

// A window that drags may be dropped on. Register lets the window's widget take drops; the
// drag's enter, move, leave and drop events reach the virtual operations below with client
// coordinates and MK_ key state. A drag is refused (the no-drop cursor, no drop) whenever the
// answer is DROPEFFECT_NONE.
class COleDropTarget {
public:
    COleDropTarget() = default;
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    BOOL Register(CWnd* pWnd);
    virtual void Revoke();
    virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);
    virtual void OnDragLeave(CWnd* pWnd);
    // Asked before every OnDragOver; an answer with DROPEFFECT_SCROLL replaces OnDragOver.
    virtual DROPEFFECT OnDragScroll(CWnd* pWnd, DWORD dwKeyState, CPoint point);

protected:
    CWnd* m_pWnd = nullptr;

private:
    QObject* m_pFilter = nullptr;   // turns the widget's drag events into the calls above
};
