// Level II, time and sales and bar windows in an MDI main frame of their own, offscreen:
// installed settings over a scratch user folder, a responder that answers dialogs, a main
// frame that records the boxes it is given, and each kind as an MDI or a floating window.
#pragma once

#include "Level1Harness.h"
#include "ListEvents.h"

#include "common/windows/ShellIds.h"
#include "platform/ui/CSdiChildFrame.h"
#include "views/ui/CBarView.h"
#include "views/ui/CLevel2View.h"
#include "views/ui/CTimeSalesView.h"
#include "views/ui/ListWindowIds.h"

#include <QTreeView>

// The main frame's Interval box is kept too.
class CBoxesFrame : public CRecordingFrame {
public:
    CString GetIntervalBox() const override { return interval; }
    void SetIntervalBox(const char* text, BOOL) override { interval = text; }
    void SetMessageText(const char* text) override { status = text; }
    CString interval = "Daily";
    CString status;
};

class CListWindowsHarness : public CViewsHarness<CBoxesFrame> {
public:
    CListWindowsHarness()
        : CViewsHarness("qx-lists-", "ListWindowsTest", [](CWinApp& app) {
              AddKind<CLevel2View>(app, IDR_LEVEL2);
              AddKind<CTimeSalesView>(app, IDR_TIME_SALES);
              AddKind<CBarView>(app, IDR_BAR_TABLE);
          })
    {
    }

    // Template index: 0 Level II, 1 time and sales, 2 bars; floating adds one.
    template <class View>
    View* Open(int index, bool floating = false, int width = 700, int height = 500)
    {
        CDocument* doc = app.GetDocTemplate(static_cast<size_t>(index * 2 + (floating ? 1 : 0)))->OpenDocumentFile(nullptr);
        auto* view = doc ? dynamic_cast<View*>(doc->GetFirstView()) : nullptr;
        if (view && width > 0)
            if (CFrameWnd* frame = view->GetParentFrame())
                frame->MoveWindow(0, 0, width, height);
        PumpFor(20);
        return view;
    }
    CLevel2View* OpenLevel2(bool floating = false) { return Open<CLevel2View>(0, floating); }
    CTimeSalesView* OpenTimeSales(bool floating = false) { return Open<CTimeSalesView>(1, floating); }
    CBarView* OpenBars(bool floating = false) { return Open<CBarView>(2, floating); }

private:
    // An MDI and a floating template of the view.
    template <class View>
    static void AddKind(CWinApp& app, UINT menu)
    {
        app.AddDocTemplate(std::make_unique<CDocTemplate>(menu, RuntimeClassOf<CCommonDoc>(), RuntimeClassOf<CChildFrame>(),
                                                          RuntimeClassOf<View>()));
        app.AddDocTemplate(std::make_unique<CDocTemplate>(menu, RuntimeClassOf<CCommonDoc>(),
                                                          RuntimeClassOf<CSdiChildFrame>(), RuntimeClassOf<View>()));
    }
};

