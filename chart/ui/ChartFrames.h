// The frames of a chart window: an MDI child (CGraphsChildFrame) or a floating frame
// (CSdiGraphsChildFrame). Each owns the chart's controller and hands it the chart's
// commands, private messages and timers.
#pragma once

#include "chart/ui/CChartController.h"
#include "platform/ui/CChildFrame.h"
#include "platform/ui/CSdiChildFrame.h"

#include <memory>

class CWndMessage;

// What both chart frames add to their base frame.
template <class Base>
class CChartFrame : public Base {
public:
    CChartFrame();
    ~CChartFrame() override;

    CChartController* GetController() const { return m_pController.get(); }

    BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, CWnd* parent = nullptr,
                   CCreateContext* context = nullptr) override;
    BOOL OnCmdMsg(UINT id, UINT code, CCmdUI* ui) override;
    // Moving the window between the MDI area and a floating frame: the target frame gets
    // panes of its own and the chart's layout (symbol, studies, panes, side windows,
    // drawings) through memory.
    void CopyToOtherFrame(CFrameWnd* target) override;
    const CMessageMap& GetMessageMap() const override;

protected:
    BOOL OnCreateClient(LPCREATESTRUCT create, CCreateContext* context) override;
    void OnDestroy() override;
    void OnTimer(UINT_PTR id) override;
    void OnChildActivate() override;
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override;

private:
    LRESULT OnEditStudy(WPARAM, LPARAM study);
    LRESULT OnDeleteStudy(WPARAM, LPARAM study);
    LRESULT OnAddToPane(CWndMessage& message);
    LRESULT OnDataArrived(WPARAM, LPARAM);
    LRESULT OnCrosshairTime(WPARAM time, LPARAM);
    LRESULT OnBacktestStarted(WPARAM run, LPARAM);
    LRESULT OnBacktestFill(CWndMessage& message);
    LRESULT OnBacktestEnded(WPARAM run, LPARAM);
    LRESULT OnBacktestProblem(CWndMessage& message);
    // The main menu with the chart's popups (MDI), or the chart's popups alone.
    void InstallChartMenu(bool withMainMenu);

    template <class> friend class CChartFrame;
    std::unique_ptr<CChartController> m_pController;
};

class CGraphsChildFrame : public CChartFrame<CChildFrame> {
public:
    CGraphsChildFrame() = default;
};

class CSdiGraphsChildFrame : public CChartFrame<CSdiChildFrame> {
public:
    CSdiGraphsChildFrame() = default;
};
