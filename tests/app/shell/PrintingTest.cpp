// Printing a report list page by page and a window picture, into PDF files.
#include "ShellTestSupport.h"

#include "common/windows/CColumnListCtrl.h"
#include "common/windows/CListPrinter.h"
#include "common/windows/CWindowPrinter.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CPrintInfo.h"
#include "platform/ui/CPrintJob.h"
#include "platform/ui/WinCtrl.h"

#include <gtest/gtest.h>

TEST(ShellPrinting, ListPrinterSplitsRowsIntoPagesWithTheirFooter)
{
    ScratchFolder folder("print");
    CWnd host;
    ASSERT_TRUE(host.Create(nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 400), nullptr, 0));
    CColumnListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 400, 300), &host, 700));
    list.InsertColumn(0, "Symbol", LVCFMT_LEFT, 80);
    list.InsertColumn(1, "Quantity", LVCFMT_RIGHT, 60);
    for (int i = 0; i < 130; ++i) {
        CString symbol;
        symbol.Format("SYM%03d", i);
        list.InsertItem(i, symbol);
        list.SetItemText(i, 1, "100");
    }

    CListPrinter printer;
    CPrintInfo info;
    info.m_bDirect = true;
    EXPECT_TRUE(printer.PreparePrinting(&info, nullptr, &list));
    EXPECT_EQ(info.GetMaxPage(), 3u);  // 50 rows a page before the printer is known

    CPrintJob job;
    const std::string pdf = folder.File("list.pdf");
    ASSERT_TRUE(job.BeginPdf(pdf.c_str()));
    info.m_rectDraw = job.GetPageRect();
    printer.BeginPrinting(&job.GetDC(), &info, "Order Status", "All accounts");
    const int rows = printer.GetRowsPerPage();
    ASSERT_GT(rows, 10);
    EXPECT_EQ(printer.GetPageCount(), (130 + rows - 1) / rows);
    EXPECT_EQ(info.GetMaxPage(), static_cast<UINT>(printer.GetPageCount()));
    for (UINT page = 1; page <= info.GetMaxPage(); ++page) {
        if (page > 1) {
            ASSERT_TRUE(job.NewPage());
        }
        info.m_nCurPage = page;
        printer.PrintPage(&job.GetDC(), &info);
    }
    printer.EndPrinting(&job.GetDC(), &info);
    ASSERT_TRUE(job.End());
    EXPECT_GT(std::filesystem::file_size(pdf), 1000u);
    list.DestroyWindow();
    host.DestroyWindow();
}

TEST(ShellPrinting, WindowPrinterWritesThePictureOrTellsItsError)
{
    ScratchFolder folder("print");
    std::vector<RecordedBox> boxes;
    CScopedUiResponder responder(std::make_unique<RecordingResponder>(&boxes));
    CWnd host;
    ASSERT_TRUE(host.Create(nullptr, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr, 0));
    CWindowPrinter printer("Chart", "The chart could not be printed.");
    const std::string pdf = folder.File("window.pdf");
    ASSERT_TRUE(printer.Print(1, 1, 0, &host, pdf.c_str()));
    EXPECT_GT(std::filesystem::file_size(pdf), 500u);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(printer.Print(1, 1, 0, nullptr, pdf.c_str()));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The chart could not be printed.");
    host.DestroyWindow();
}
