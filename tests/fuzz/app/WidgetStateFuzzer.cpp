// The layout records of the shared widgets, as arbitrary bytes (the first byte
// picks one): the chart splitter's row proportions and the tab strip's tabs.
// A refused record changes nothing; an accepted one saves and loads back alike.
// Runs a Qt application offscreen; fuzz with ASAN_OPTIONS=detect_leaks=0 (fontconfig
// keeps what it allocates).
#include "common/windows/CPaneSplitterWnd.h"
#include "common/windows/CSheetsWnd.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CView.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QApplication>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

class PaneView : public CView {};

struct Widgets {
    Widgets()
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "qx_widget_state_fuzzer";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
        frame = new CFrameWnd;  // owns itself once its window exists
        FuzzCheck(frame->LoadFrame(0, WS_OVERLAPPEDWINDOW) != FALSE);
        FuzzCheck(sheets.Create(frame, TRUE, RGB(240, 240, 240)) != FALSE);
        host.Create(nullptr, "host", WS_OVERLAPPEDWINDOW, CRect(0, 0, 600, 500), nullptr, 0);
        FuzzCheck(splitter.CreateStatic(&host, 16, 1) != FALSE);
        FuzzCheck(splitter.CreateView(0, 0, RuntimeClassOf<PaneView>(), SIZE{100, 100}, nullptr) != FALSE);
        for (int row = 1; row < 3; ++row)
            FuzzCheck(splitter.InsertRow(RuntimeClassOf<PaneView>(), row) != FALSE);
        splitter.MoveWindow(0, 0, 400, 400);
    }
    QApplication* app;
    CFrameWnd* frame;
    CSheetsWnd sheets;
    CWnd host;
    CPaneSplitterWnd splitter;
};

template <class Save>
void Store(CMemFile& mem, Save save)
{
    CArchive ar(&mem, CArchive::store);
    FuzzCheck(save(ar));
    ar.Close();
    mem.SeekToBegin();
}

void Tabs(CSheetsWnd& sheets, const uint8_t* data, size_t size)
{
    sheets.DeleteAllItems();
    sheets.AddTab("Before");
    CMemFile file(data, size);
    bool loaded;
    {
        CArchive ar(&file, CArchive::load);
        loaded = sheets.LoadTabs(ar);
    }
    if (!loaded) {
        FuzzCheck(sheets.GetTabNames() == std::vector<CString>{"Before"});
        return;
    }
    const std::vector<CString> names = sheets.GetTabNames();
    const int selected = sheets.GetCurSel();
    CMemFile copy;
    Store(copy, [&](CArchive& ar) { return sheets.SaveTabs(ar); });
    CArchive ar(&copy, CArchive::load);
    FuzzCheck(sheets.LoadTabs(ar) && sheets.GetTabNames() == names && sheets.GetCurSel() == selected);
}

void Rows(CPaneSplitterWnd& splitter, const uint8_t* data, size_t size)
{
    splitter.SetPaneSizes({200, 100, 100});
    const std::vector<double> before = splitter.GetProportions();
    CMemFile file(data, size);
    bool loaded;
    {
        CArchive ar(&file, CArchive::load);
        loaded = splitter.LoadProportions(ar);
    }
    const std::vector<double> after = splitter.GetProportions();
    FuzzCheck(after.size() == 3);
    if (!loaded || after == before)
        return;
    for (double p : after)
        FuzzCheck(std::isfinite(p) && p >= 0.0 && p <= 1.0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Widgets* widgets = new Widgets;
    if (size == 0)
        return 0;
    if (data[0] & 1)
        Tabs(widgets->sheets, data + 1, size - 1);
    else
        Rows(widgets->splitter, data + 1, size - 1);
    return 0;
}
