// Prints a report list: a heading, the columns in display order, the rows of each page
// and a page-number footer. Report views forward their four printing steps to it.
#pragma once

#include "platform/core/CString.h"
#include "platform/ui/CFont.h"

#include <memory>
#include <vector>

class CDC;
class CListCtrl;
class CPrintInfo;
class CView;

class CListPrinter {
public:
    BOOL PreparePrinting(CPrintInfo* info, CView* view, CListCtrl* list);
    void BeginPrinting(CDC* dc, CPrintInfo* info, const char* title, const char* secondTitle);
    void PrintPage(CDC* dc, CPrintInfo* info, BOOL flag = FALSE);
    void EndPrinting(CDC* dc, CPrintInfo* info);

    int GetRowsPerPage() const { return m_nRowsPerPage; }
    int GetPageCount() const;

private:
    CListCtrl* m_pList = nullptr;
    CString m_title;
    CString m_secondTitle;
    std::unique_ptr<CFont> m_font;
    std::unique_ptr<CFont> m_boldFont;
    int m_nRowsPerPage = 50;
    int m_nLineHeight = 0;
};
