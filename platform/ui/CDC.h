// A drawing context over QPainter: window (paint), memory (a selected CBitmap) and
// printer contexts, with the selection, text and clipping state of the classic API.
// Coordinates are logical units; the map mode and origins turn them into pixels.
#pragma once

#include "platform/core/CPoint.h"
#include "platform/core/CRect.h"
#include "platform/core/CSize.h"
#include "platform/core/CString.h"
#include "platform/ui/HWND.h"
#include "platform/ui/WinGdi.h"

#include <memory>
#include <optional>

class CBitmap;
class CBrush;
class CFont;
class CGdiObject;
class CPen;
class CRgn;
class CWnd;
class QPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

inline constexpr int MM_TEXT = 1;
inline constexpr int MM_LOMETRIC = 2;
inline constexpr int MM_HIMETRIC = 3;
inline constexpr int MM_LOENGLISH = 4;
inline constexpr int MM_HIENGLISH = 5;
inline constexpr int MM_TWIPS = 6;
inline constexpr int MM_ISOTROPIC = 7;
inline constexpr int MM_ANISOTROPIC = 8;

inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;

inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;
inline constexpr int RGN_ERROR = 0;

inline constexpr UINT ETO_OPAQUE = 0x0002;
inline constexpr UINT ETO_CLIPPED = 0x0004;

class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Memory context compatible with dc (or the screen): draws into the selected bitmap.
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    // The context itself (owner-draw structures carry it in their hDC field).
    static CDC* FromHandle(CDC* dc) { return dc; }
    // Draws on any Qt paint device (image, pixmap, printer) through a painter of its own.
    BOOL AttachDevice(QPaintDevice* device, bool printing = false);
    // Draws on the widget; valid only while the widget handles its paint event.
    BOOL AttachWidgetPainter(QWidget* widget);
    // Draws through a painter owned by someone else (item delegates, print preview).
    void AttachPainter(QPainter* painter, bool printing = false);
    void Detach();
    QPainter* GetPainter() const;
    BOOL IsPrinting() const;
    bool IsValid() const;

    // Selection. The previous object of the kind is returned; stock ones as well.
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    int SelectObject(CRgn* region);
    CGdiObject* SelectStockObject(int index);
    CPen* GetCurrentPen() const;
    CBrush* GetCurrentBrush() const;
    CFont* GetCurrentFont() const;
    CBitmap* GetCurrentBitmap() const;

    // State.
    int SaveDC();
    BOOL RestoreDC(int saved);  // -1: the last saved state
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const;
    UINT SetTextAlign(UINT flags);
    UINT GetTextAlign() const;
    int SetROP2(int mode);
    int GetROP2() const;
    int SetPolyFillMode(int mode);

    // Coordinates.
    int SetMapMode(int mode);
    int GetMapMode() const;
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT p) { return SetViewportOrg(p.x, p.y); }
    CPoint GetViewportOrg() const;
    CPoint OffsetViewportOrg(int dx, int dy);
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT p) { return SetWindowOrg(p.x, p.y); }
    CPoint GetWindowOrg() const;
    CSize SetViewportExt(int cx, int cy);
    CSize SetWindowExt(int cx, int cy);
    void LPtoDP(LPPOINT points, int count = 1) const;
    void LPtoDP(LPRECT rect) const;
    void DPtoLP(LPPOINT points, int count = 1) const;
    void DPtoLP(LPRECT rect) const;
    int GetDeviceCaps(int index) const;

    // Clipping (logical coordinates).
    int IntersectClipRect(int l, int t, int r, int b);
    int IntersectClipRect(LPCRECT rect);
    int ExcludeClipRect(int l, int t, int r, int b);
    int ExcludeClipRect(LPCRECT rect);
    int SelectClipRgn(CRgn* region, int mode = RGN_COPY);
    int GetClipBox(LPRECT rect) const;
    BOOL PtVisible(int x, int y) const;
    BOOL RectVisible(LPCRECT rect) const;

    // Lines and shapes.
    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    CPoint GetCurrentPosition() const;
    BOOL Rectangle(int l, int t, int r, int b);
    BOOL Rectangle(LPCRECT rect);
    BOOL RoundRect(int l, int t, int r, int b, int cornerW, int cornerH);
    BOOL Ellipse(int l, int t, int r, int b);
    BOOL Ellipse(LPCRECT rect);
    BOOL Polygon(const POINT* points, int count);
    BOOL Polyline(const POINT* points, int count);
    BOOL PolyPolyline(const POINT* points, const DWORD* counts, int polylines);
    BOOL Arc(int l, int t, int r, int b, int x1, int y1, int x2, int y2);
    BOOL Pie(int l, int t, int r, int b, int x1, int y1, int x2, int y2);
    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF SetPixel(POINT p, COLORREF color) { return SetPixel(p.x, p.y, color); }
    COLORREF GetPixel(int x, int y) const;
    void FillSolidRect(LPCRECT rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FillRect(LPCRECT rect, CBrush* brush);
    void FrameRect(LPCRECT rect, CBrush* brush);
    void InvertRect(LPCRECT rect);
    void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
    BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags);
    void DrawFocusRect(LPCRECT rect);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);

    // Bitmaps.
    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth, int srcHeight,
                    DWORD rop);
    BOOL DrawBitmap(const CBitmap& bitmap, int x, int y);

    // Text.
    BOOL TextOut(int x, int y, const CString& text);
    BOOL TextOut(int x, int y, const char* text, int count);
    BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rect, const CString& text, const int* widths = nullptr);
    // Returns the height of the text; with DT_CALCRECT only measures and widens or
    // heightens rect to fit.
    int DrawText(const CString& text, LPRECT rect, UINT format);
    int DrawText(const char* text, int count, LPRECT rect, UINT format);
    CSize GetTextExtent(const CString& text) const;
    CSize GetTextExtent(const char* text, int count) const;
    CSize GetOutputTextExtent(const CString& text) const { return GetTextExtent(text); }
    BOOL GetTextMetrics(LPTEXTMETRIC metrics) const;

    // Paint area of a paint context (client coordinates).
    CRect GetPaintRect() const;
    void SetPaintRect(const CRect& rect);
    static void SetCurrentPaintRect(const CRect& rect);

protected:
    struct Impl;
    std::unique_ptr<Impl> m_impl;

    // Takes the font of the widget (windows without a font of their own).
    void UseWidgetFont(QWidget* widget);

private:
    // DrawText of a plain line from its cached layout; none when the line needs the
    // general path.
    std::optional<int> DrawPlainLine(const CString& text, const RECT& rect, UINT format);
    void ApplyPen();
    void ApplyBrush();
    void ApplyFont();
    void ApplyTransform();
    void BeginOnBitmap(CBitmap* bitmap);
};

// Drawing context of a window's OnPaint.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    struct {
        CRect rcPaint;
        BOOL fErase = FALSE;
    } m_ps;
};

// Drawing context of a window outside OnPaint. For a window that paints itself it
// draws into the window's picture, which the screen shows as soon as the context goes
// (OnPaint does not run for that). For controls, or during OnPaint, it only measures.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    std::unique_ptr<CBitmap> m_scratch;
    HWND m_wnd;
};

// Same as CClientDC, for the whole window.
using CWindowDC = CClientDC;
