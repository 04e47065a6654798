// State of one print or preview run, passed to the view's print hooks.
#pragma once

#include "platform/core/CRect.h"
#include "platform/core/CString.h"

class QPrinter;

struct CPrintInfo {
    bool m_bPreview = false;
    bool m_bDirect = false;           // no print dialog
    bool m_bContinuePrinting = true;  // cleared by OnPrepareDC to stop at the current page
    UINT m_nCurPage = 1;
    UINT m_nNumPreviewPages = 1;
    CRect m_rectDraw;                 // printable area of the page, in device units
    void* m_lpUserData = nullptr;
    CString m_strPageDesc;
    CString m_outputFile;             // a PDF file instead of a printer when set
    QPrinter* m_printer = nullptr;

    void SetMinPage(UINT page) { m_minPage = page; }
    void SetMaxPage(UINT page) { m_maxPage = page; }
    UINT GetMinPage() const { return m_minPage; }
    UINT GetMaxPage() const { return m_maxPage; }
    UINT GetFromPage() const { return m_fromPage ? m_fromPage : m_minPage; }
    UINT GetToPage() const { return m_toPage ? m_toPage : m_maxPage; }
    void SetPageRange(UINT from, UINT to)
    {
        m_fromPage = from;
        m_toPage = to;
    }

private:
    UINT m_minPage = 1;
    UINT m_maxPage = 0xFFFF;
    UINT m_fromPage = 0;
    UINT m_toPage = 0;
};
