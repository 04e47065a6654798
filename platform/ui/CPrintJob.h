// A print run outside the view printing hooks: on the printer chosen in the print
// dialog, or into a PDF file. Pages are drawn through GetDC; NewPage starts the next.
#pragma once

#include "platform/core/CRect.h"
#include "platform/core/CString.h"

#include <memory>

class CDC;
class CWnd;
class QPrinter;

class CPrintJob {
public:
    CPrintJob();
    ~CPrintJob();
    CPrintJob(const CPrintJob&) = delete;
    CPrintJob& operator=(const CPrintJob&) = delete;

    // False when the user cancelled or the printer cannot be opened.
    bool BeginWithDialog(CWnd* owner, int minPage = 1, int maxPage = 1);
    bool BeginPdf(const char* path);
    CDC& GetDC();
    // Printable area of a page in device units, origin at its top left.
    CRect GetPageRect() const;
    int GetResolution() const;
    bool NewPage();
    // Finishes the document; false when nothing could be written.
    bool End();
    int FromPage() const { return m_from; }
    int ToPage() const { return m_to; }

private:
    bool Start();
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<CDC> m_dc;
    int m_from = 1;
    int m_to = 1;
};
