// CDynamicLayout: the controls of a resizable dialog follow its size. Each control keeps the
// place the template gave it and moves and grows by a share (0 to 100 percent) of what the
// host's client area has grown since the layout was made, as the framework's dynamic layout
// of dialogs does.
#pragma once

#include "Wnd.h"

#include <vector>

class CDynamicLayout {
public:
    // Percentages of the growth, across and down.
    struct MoveSettings {
        int m_nXRatio = 0;
        int m_nYRatio = 0;
    };
    struct SizeSettings {
        int m_nXRatio = 0;
        int m_nYRatio = 0;
    };
    static MoveSettings MoveNone() { return {}; }
    static MoveSettings MoveHorizontal(int nRatio) { return {nRatio, 0}; }
    static MoveSettings MoveVertical(int nRatio) { return {0, nRatio}; }
    static SizeSettings SizeNone() { return {}; }
    static SizeSettings SizeHorizontalAndVertical(int nXRatio, int nYRatio) { return {nXRatio, nYRatio}; }

    // The host's client size now is the size at which every control stands where it is.
    BOOL Create(CWnd* pHostWnd);
    // A child control of the host, by its id, as it stands now. FALSE for no such control.
    BOOL AddItem(int nID, MoveSettings move, SizeSettings size);
    // Places every control for the host's client size now; nothing before Create.
    void Adjust();
    // Where control nID belongs for the host's client size now (client coordinates).
    BOOL GetItemRect(int nID, CRect& rect) const;

private:
    struct Item {
        int nID;
        CRect rectBase;
        MoveSettings move;
        SizeSettings size;
    };
    CRect PlaceItem(const Item& item) const;

    CWnd* m_pHostWnd = nullptr;
    CSize m_sizeBase;
    std::vector<Item> m_items;
};
