// CPicture: the background picture of one drawing window, decoded from "back.jpg" at most once
// for the window's life; and the background both drawing windows put under their items.
#pragma once

#include "Dc.h"
#include "Geometry.h"
#include "String.h"

class CPicture {
public:
    CPicture();
    ~CPicture();
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;

    // Decodes the file. FALSE when the picture already holds one, or when an earlier Load
    // failed: a file that cannot be decoded is not read again at every drawing.
    BOOL Load(const CString& strPath);
    // The whole picture stretched into the rectangle; the aspect ratio is not kept.
    void Render(CDC* pDC, const CRect& rect);
    // The same for the built-in picture (bitmap 134), decoded at the first call.
    void RenderBuiltIn(CDC* pDC, const CRect& rect);
    // Releases the picture; the next Load decodes again.
    void Free();
    BOOL IsEmpty() const { return !m_bitmap.IsValid(); }

private:
    // Draws source stretched into the rectangle through fitted, the source stretched to the
    // size last drawn: a window draws the same size again and again, and copying is far
    // cheaper than stretching.
    static void RenderFitted(const CBitmap& source, CBitmap& fitted, CDC* pDC, const CRect& rect);

    CBitmap m_bitmap;
    BOOL m_bTried;
    CBitmap m_bitmapFitted;
    CBitmap m_bitmapBuiltIn;
    CBitmap m_bitmapBuiltInFitted;
};

// The "back.jpg" beside the document, else in the program's folder; "" when neither exists.
CString GetBackgroundPath();
// Fills the rectangle with the background: the window's picture when a file was found and
// decodes, else the built-in picture (bitmap 134).
void DrawBackground(CPicture& picture, CDC* pDC, const CRect& rect);
