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

class CListWindowsHarness {
public:
    CListWindowsHarness()
    {
        static int n = 0;
        m_home = std::filesystem::temp_directory_path() /
                 ("qx-lists-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::create_directories(m_home / "Layouts");
        settings.SetWorkingDirectory(CString(m_home.string()));
        CAppSettings::Install(&settings);
        auto responder = std::make_unique<CAnsweringResponder>();
        answers = responder.get();
        m_previous = CUiResponder::Install(std::move(responder));
        AddKind<CLevel2View>(IDR_LEVEL2);
        AddKind<CTimeSalesView>(IDR_TIME_SALES);
        AddKind<CBarView>(IDR_BAR_TABLE);
        auto frame = std::make_unique<CBoxesFrame>();
        frame->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        main = frame.release(); // owns itself now
        app.m_pMainWnd = main;
        main->MoveWindow(0, 0, 1200, 800);
    }
    ~CListWindowsHarness()
    {
        app.CloseAllDocuments(TRUE);
        app.m_pMainWnd = nullptr;
        main->DestroyWindow();
        PumpFor(5);
        CUiResponder::Install(std::move(m_previous));
        CAppSettings::Install(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(m_home, ec);
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

    std::string Path(const char* name) const { return (m_home / name).string(); }
    std::string Read(const char* name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const char* name, const std::string& text) const
    {
        std::ofstream out(Path(name), std::ios::binary);
        out << text;
    }

    CAppSettings settings;
    CWinApp app{"ListWindowsTest"};
    CBoxesFrame* main = nullptr;
    CAnsweringResponder* answers = nullptr;

private:
    template <class View>
    void AddKind(UINT menu)
    {
        app.AddDocTemplate(std::make_unique<CDocTemplate>(menu, RuntimeClassOf<CCommonDoc>(), RuntimeClassOf<CChildFrame>(),
                                                          RuntimeClassOf<View>()));
        app.AddDocTemplate(std::make_unique<CDocTemplate>(menu, RuntimeClassOf<CCommonDoc>(),
                                                          RuntimeClassOf<CSdiChildFrame>(), RuntimeClassOf<View>()));
    }

    std::filesystem::path m_home;
    std::unique_ptr<CUiResponder> m_previous;
};

