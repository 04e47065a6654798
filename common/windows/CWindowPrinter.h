// Prints a picture of a window, scaled to the page, through the print dialog (or into a
// PDF file), telling the user its error text when that fails.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CWnd;

class CWindowPrinter {
public:
    CWindowPrinter(const char* title, const char* errorText);

    // The mode values choose fit-to-page (first non-zero) and centring (second non-zero);
    // the third is kept for the callers' print options. False when cancelled or failed.
    bool Print(int fitToPage, int center, int reserved, CWnd* window, const char* pdfPath = nullptr);

private:
    CString m_title;
    CString m_errorText;
};
