// Points, sizes and rectangles with the window system's semantics: a rectangle holds its
// left and top edges but not its right and bottom ones.
#pragma once

#include "afxtypes.h"

#include <algorithm>
#include <cstdint>

// A coordinate reckoned in 64 bits, brought back into the 32-bit range at its nearer end.
inline int ClampCoordinate(int64_t n)
{
    return (int)std::clamp<int64_t>(n, INT32_MIN, INT32_MAX);
}

// The farthest from the origin, either way, that anything is drawn: no device comes near 2^29
// pixels, and the sum or difference of two such coordinates, or one moved by a few screens,
// stays in the 32-bit range that a DC works in. What a damaged document places farther out
// is left out, or drawn from this far, where it is out of sight just the same.
const int MAX_DRAW_COORDINATE = 1 << 29;

inline bool IsDrawable(int64_t n)
{
    return n >= -MAX_DRAW_COORDINATE && n <= MAX_DRAW_COORDINATE;
}

inline int ClampToDrawable(int64_t n)
{
    return (int)std::clamp<int64_t>(n, -MAX_DRAW_COORDINATE, MAX_DRAW_COORDINATE);
}

class CSize : public SIZE {
public:
    CSize() { cx = cy = 0; }
    CSize(int x, int y) { cx = x; cy = y; }
    CSize(SIZE s) { cx = s.cx; cy = s.cy; }
    bool operator==(const SIZE& s) const { return cx == s.cx && cy == s.cy; }
    bool operator!=(const SIZE& s) const { return !(*this == s); }
    CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
    void operator+=(SIZE s) { cx += s.cx; cy += s.cy; }
};

class CPoint : public POINT {
public:
    CPoint() { x = y = 0; }
    CPoint(int nx, int ny) { x = nx; y = ny; }
    CPoint(POINT p) { x = p.x; y = p.y; }
    void Offset(int dx, int dy) { x += dx; y += dy; }
    bool operator==(const POINT& p) const { return x == p.x && y == p.y; }
    bool operator!=(const POINT& p) const { return !(*this == p); }
    CPoint operator+(SIZE s) const { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(SIZE s) const { return CPoint(x - s.cx, y - s.cy); }
    CSize operator-(POINT p) const { return CSize(x - p.x, y - p.y); }
    void operator+=(SIZE s) { x += s.cx; y += s.cy; }
};

class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& r) { *static_cast<RECT*>(this) = r; }
    CRect(LPCRECT p) { *static_cast<RECT*>(this) = *p; }
    CRect(POINT pt, SIZE sz) { left = pt.x; top = pt.y; right = pt.x + sz.cx; bottom = pt.y + sz.cy; }
    CRect(POINT tl, POINT br) { left = tl.x; top = tl.y; right = br.x; bottom = br.y; }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }

    // The difference of two edges, which for a rectangle spanning more than the 32-bit range
    // (left near INT_MIN, right near INT_MAX) stops at the range's end instead of wrapping.
    int Width() const { return ClampCoordinate((int64_t)right - left); }
    int Height() const { return ClampCoordinate((int64_t)bottom - top); }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(&left); }
    CPoint& BottomRight() { return *reinterpret_cast<CPoint*>(&right); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }

    BOOL IsRectEmpty() const { return right <= left || bottom <= top; }
    BOOL IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    BOOL PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    void SetRectEmpty() { SetRect(0, 0, 0, 0); }
    void CopyRect(LPCRECT p) { *static_cast<RECT*>(this) = *p; }
    BOOL EqualRect(LPCRECT p) const { return left == p->left && top == p->top && right == p->right && bottom == p->bottom; }

    void InflateRect(int x, int y) { left -= x; top -= y; right += x; bottom += y; }
    void InflateRect(SIZE s) { InflateRect(s.cx, s.cy); }
    void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
    void DeflateRect(int x, int y) { InflateRect(-x, -y); }
    void DeflateRect(SIZE s) { InflateRect(-s.cx, -s.cy); }
    void DeflateRect(int l, int t, int r, int b) { left += l; top += t; right -= r; bottom -= b; }
    void OffsetRect(int x, int y) { left += x; right += x; top += y; bottom += y; }
    void OffsetRect(POINT p) { OffsetRect(p.x, p.y); }
    void OffsetRect(SIZE s) { OffsetRect(s.cx, s.cy); }
    void NormalizeRect()
    {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
    }

    // Both return FALSE and leave an empty rectangle when the result is empty.
    BOOL IntersectRect(LPCRECT a, LPCRECT b)
    {
        CRect r(std::max(a->left, b->left), std::max(a->top, b->top),
                std::min(a->right, b->right), std::min(a->bottom, b->bottom));
        if (r.IsRectEmpty()) { SetRectEmpty(); return FALSE; }
        *this = r;
        return TRUE;
    }
    BOOL UnionRect(LPCRECT a, LPCRECT b)
    {
        const CRect ra(a), rb(b);
        if (ra.IsRectEmpty()) { *this = rb; }
        else if (rb.IsRectEmpty()) { *this = ra; }
        else SetRect(std::min(ra.left, rb.left), std::min(ra.top, rb.top),
                     std::max(ra.right, rb.right), std::max(ra.bottom, rb.bottom));
        if (IsRectEmpty()) { SetRectEmpty(); return FALSE; }
        return TRUE;
    }

    bool operator==(const RECT& r) const { return EqualRect(&r); }
    bool operator!=(const RECT& r) const { return !EqualRect(&r); }
    void operator&=(const RECT& r) { IntersectRect(this, &r); }
    void operator|=(const RECT& r) { UnionRect(this, &r); }

};
