// Chart windows without the workstation: an application with the chart's templates, an
// MDI main frame, a responder that records message boxes and answers popups, and bars
// fed straight into the panes' series (series services of the tests).
#pragma once

#include "analytics/series/CPriceSeries.h"
#include "broker/session/SessionMessages.h"
#include "chart/ui/CChartController.h"
#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "chart/ui/ChartFrames.h"
#include "common/services/CAppSettings.h"
#include "platform/ui/CDocTemplate.h"
#include "platform/ui/CMDIFrameWnd.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWinApp.h"
#include "studies/plots/CPricePlot.h"
#include "tests/platform/TempFolder.h"
#include "tests/support/UiEvents.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    return PumpEventsUntil(done, timeoutMs);
}

struct RecordedBox {
    CString text;
    UINT type = 0;
};

// Records message boxes; popups answer with the next queued command.
class ChartResponder : public CUiResponder {
public:
    int MessageBox(CWnd*, const CString& text, const CString&, UINT type) override
    {
        boxes.push_back({text, type});
        return IDOK;
    }
    UINT TrackPopupMenu(CMenu&, CPoint, CWnd*) override
    {
        if (menuChoices.empty())
            return 0;
        const UINT choice = menuChoices.front();
        menuChoices.erase(menuChoices.begin());
        return choice;
    }
    bool OpenExternal(const CString& target) override
    {
        opened.push_back(target);
        return true;
    }
    // File dialogs answer with the next queued path, or cancel.
    bool ChooseFile(CWnd*, FileDialogRequest& request, std::vector<CString>& chosen) override
    {
        fileRequests.push_back(request);
        if (fileAnswers.empty())
            return false;
        chosen.push_back(fileAnswers.front());
        fileAnswers.erase(fileAnswers.begin());
        return true;
    }
    bool SetupPrinter(CWnd*, QPrinter&, bool&, int&, int&) override
    {
        ++printDialogs;
        return false;
    }

    std::vector<FileDialogRequest> fileRequests;
    std::vector<CString> fileAnswers;
    int printDialogs = 0;
    std::vector<RecordedBox> boxes;
    std::vector<UINT> menuChoices;
    std::vector<CString> opened;
};

class ChartTestShell {
public:
    ChartTestShell()
    {
        // What the charts save (alerts, drawing-tool defaults) goes to a folder of the test.
        settings.SetWorkingDirectory(CString(home.path().string()));
        CAppSettings::Install(&settings);
        auto responder = std::make_unique<ChartResponder>();
        m_responder = responder.get();
        m_previous = CUiResponder::Install(std::move(responder));
        app.AddDocTemplate(std::make_unique<CDocTemplate>(212, RuntimeClassOf<CGraphsDoc>(),
                                                          RuntimeClassOf<CGraphsChildFrame>(),
                                                          RuntimeClassOf<CGraphsView>()));
        app.AddDocTemplate(std::make_unique<CDocTemplate>(212, RuntimeClassOf<CGraphsDoc>(),
                                                          RuntimeClassOf<CSdiGraphsChildFrame>(),
                                                          RuntimeClassOf<CGraphsView>()));
        auto frame = std::make_unique<CMDIFrameWnd>();
        frame->LoadFrame(1, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        main = frame.release();
        app.m_pMainWnd = main;
        main->GetOuterWidget()->resize(1100, 800);
    }
    ~ChartTestShell()
    {
        app.CloseAllDocuments(TRUE);
        app.m_pMainWnd = nullptr;
        main->DestroyWindow();
        PumpFor(5);
        CUiResponder::Install(std::move(m_previous));
        CAppSettings::Install(nullptr);
    }

    // A chart of the symbol and interval in an MDI child (floating when asked), maximised.
    CGraphsDoc* OpenChart(const char* symbol, const char* interval, bool floating = false)
    {
        CDocument* doc = app.GetDocTemplate(floating ? 1 : 0)->OpenDocumentFile(nullptr);
        auto* chart = dynamic_cast<CGraphsDoc*>(doc);
        if (!chart)
            return nullptr;
        CGraphsView* pane = Controller(chart)->GetPricePane();
        if (!floating)
            if (auto* child = dynamic_cast<CChildFrame*>(pane->GetParentFrame()))
                child->MDIMaximize();
        if (floating)
            pane->GetParentFrame()->GetOuterWidget()->resize(1000, 700);
        PumpFor(20);
        pane->ChangeSymbolInterval(symbol, interval, false);
        return chart;
    }

    static CChartController* Controller(CGraphsDoc* doc)
    {
        CView* view = doc ? doc->GetFirstView() : nullptr;
        return view ? GetChartController(view->GetParentFrame()) : nullptr;
    }

    // Hands the rows to every series of every pane.
    static void Feed(CGraphsDoc* doc, const std::vector<CHistoryRow>& rows)
    {
        CChartController* chart = Controller(doc);
        for (int p = 0; p < chart->GetPaneCount(); ++p)
            for (int i = 0; i < chart->GetPane(p)->GetPlotCount(); ++i)
                if (CPriceSeries* series = chart->GetPane(p)->GetPlot(i)->GetPriceSeries())
                    series->OnIntradayHistory(rows);
    }

    // The pane painted into an image of its size.
    static QImage Paint(CGraphsView* pane)
    {
        CRect client;
        pane->GetClientRect(&client);
        CBitmap bitmap;
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, client.Width(), client.Height());
        dc.SelectObject(&bitmap);
        pane->PaintTo(&dc);
        dc.DeleteDC();
        return bitmap.Image() ? *bitmap.Image() : QImage();
    }

    static COLORREF Pixel(const QImage& image, int x, int y)
    {
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
            return 0xFFFFFFFF;
        const QRgb c = image.pixel(x, y);
        return RGB(qRed(c), qGreen(c), qBlue(c));
    }

    ChartResponder& Responder() { return *m_responder; }

    TempFolder home;
    CAppSettings settings;
    CWinApp app{"ChartTest"};
    CMDIFrameWnd* main = nullptr;

private:
    ChartResponder* m_responder = nullptr;
    std::unique_ptr<CUiResponder> m_previous;
};
