#include "chart/ui/ChartFrames.h"

#include "chart/ui/CGraphsDoc.h"
#include "chart/ui/CGraphsView.h"
#include "common/windows/CPaneSplitterWnd.h"
#include "platform/core/CArchive.h"
#include "platform/core/CMemFile.h"
#include "platform/ui/CRuntimeClass.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CResourceStore.h"
#include "platform/ui/CWndMessage.h"
#include "platform/ui/MenuTemplate.h"
#include "studies/plots/CPricePlot.h"

#include <algorithm>

template <class Base>
CChartFrame<Base>::CChartFrame() : m_pController(std::make_unique<CChartController>(this))
{
}

template <class Base>
CChartFrame<Base>::~CChartFrame() = default;

template <class Base>
void CChartFrame<Base>::InstallChartMenu(bool withMainMenu)
{
    const CResourceStore& store = CResourceStore::Instance();
    const MenuTemplate* chart = store.FindMenu(IDR_CHART);
    if (!chart)
        return;
    MenuTemplate merged;
    merged.id = IDR_CHART;
    if (const MenuTemplate* main = withMainMenu ? store.FindMenu(128) : nullptr)
        merged.items = main->items;
    // The chart's popups go before the main menu's "&Window" and "&Help".
    auto at = std::find_if(merged.items.begin(), merged.items.end(),
                           [](const MenuItemTemplate& item) { return item.text == "&Window"; });
    merged.items.insert(at, chart->items.begin(), chart->items.end());
    auto menu = std::make_unique<CMenu>();
    if (menu->LoadMenuTemplate(merged))
        this->SetMenu(std::move(menu));
}

template <class Base>
BOOL CChartFrame<Base>::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context)
{
    if (!Base::LoadFrame(resourceId, style, parent, context))
        return FALSE;
    InstallChartMenu(std::is_base_of_v<CChildFrame, Base>);
    return TRUE;
}

template <class Base>
BOOL CChartFrame<Base>::OnCreateClient(LPCREATESTRUCT, CCreateContext* context)
{
    m_pController->SetFrame(this);
    if (!m_pController->OnCreateClient(context))
        return FALSE;
    if (context && context->m_pNewViewClass)
        m_pController->OnCreate();
    return TRUE;
}

template <class Base>
void CChartFrame<Base>::OnDestroy()
{
    Base::OnDestroy();
    if (m_pController)
        m_pController->OnDestroy();
}

template <class Base>
void CChartFrame<Base>::OnTimer(UINT_PTR id)
{
    if (!m_pController || !m_pController->OnTimer(id))
        Base::OnTimer(id);
}

template <class Base>
BOOL CChartFrame<Base>::OnCmdMsg(UINT id, UINT code, CCmdUI* ui)
{
    // The pane the user works in first (its tools), then the chart.
    if (CView* view = this->GetActiveView(); view && view->OnCmdMsg(id, code, ui))
        return TRUE;
    if (m_pController && m_pController->OnCmdMsg(id, code, ui))
        return TRUE;
    return Base::OnCmdMsg(id, code, ui);
}

template <class Base>
void CChartFrame<Base>::CopyToOtherFrame(CFrameWnd* target)
{
    CChartController* other = GetChartController(target);
    CGraphsDoc* doc = m_pController ? m_pController->GetDocument() : nullptr;
    if (!other || !doc) {
        Base::CopyToOtherFrame(target);
        return;
    }
    // The target's price pane, made for the same document.
    if (!other->GetPricePane()) {
        CCreateContext context;
        context.m_pNewViewClass = RuntimeClassOf<CGraphsView>();
        context.m_pCurrentDoc = doc;
        context.m_pCurrentFrame = target;
        if (CPaneSplitterWnd* splitter = other->GetSplitter())
            splitter->CreateView(0, 0, RuntimeClassOf<CGraphsView>(), SIZE{0, 300}, &context);
        other->OnCreate();
        if (CGraphsView* price = other->GetPricePane())
            price->OnInitialUpdate();
    }
    target->SetActiveView(other->GetPricePane(), FALSE);
    CMemFile memory(1024);
    bool stored = false;
    {
        CArchive ar(&memory, CArchive::store, 4096);
        stored = m_pController->StoreLayout(ar);
        ar.Close();
    }
    if (stored) {
        memory.SeekToBegin();
        CArchive ar(&memory, CArchive::load, 4096);
        other->LoadLayout(ar);
    }
    target->RecalcLayout();
    target->OnUpdateFrameTitle(TRUE);
}

template <class Base>
LRESULT CChartFrame<Base>::OnEditStudy(WPARAM, LPARAM study)
{
    return m_pController ? m_pController->EditStudy(reinterpret_cast<CStudyDefinition*>(study)) : -1;
}

template <class Base>
LRESULT CChartFrame<Base>::OnDeleteStudy(WPARAM, LPARAM study)
{
    return m_pController ? m_pController->DeleteStudy(reinterpret_cast<CStudyDefinition*>(study)) : -1;
}

template <class Base>
LRESULT CChartFrame<Base>::OnAddToPane(CWndMessage& message)
{
    const auto* request = message.Peek<CAddToPaneRequest>();
    return request && m_pController ? m_pController->AddStudyToPane(*request) : 1;
}

template <class Base>
LRESULT CChartFrame<Base>::OnDataArrived(WPARAM, LPARAM)
{
    if (m_pController)
        if (CGraphsView* price = m_pController->GetPricePane())
            if (CPricePlot* plot = price->GetPricePlot())
                plot->UpdateTitle();
    return 0;
}

template <class Base>
LRESULT CChartFrame<Base>::OnCrosshairTime(WPARAM time, LPARAM)
{
    return m_pController ? m_pController->OnCrosshairTime(static_cast<DWORD>(time)) : -1;
}

template <class Base>
LRESULT CChartFrame<Base>::OnBacktestStarted(WPARAM run, LPARAM)
{
    return m_pController ? m_pController->OnBacktestStarted(run) : 0;
}

template <class Base>
LRESULT CChartFrame<Base>::OnBacktestFill(CWndMessage& message)
{
    auto payload = message.Take<std::unique_ptr<BackTestEntry>>();
    if (m_pController && payload)
        m_pController->OnBacktestFill(message.wParam, std::move(payload->value));
    return 0;
}

template <class Base>
LRESULT CChartFrame<Base>::OnBacktestEnded(WPARAM run, LPARAM)
{
    return m_pController ? m_pController->OnBacktestEnded(run) : 0;
}

template <class Base>
LRESULT CChartFrame<Base>::OnBacktestProblem(CWndMessage& message)
{
    if (const CString* text = message.Peek<CString>(); text && m_pController)
        m_pController->OnBacktestProblem(message.wParam, *text);
    return 0;
}

template <class Base>
void CChartFrame<Base>::OnChildActivate()
{
    Base::OnChildActivate();
    if (m_pController)
        m_pController->OnFrameActivated(true);
}

template <class Base>
void CChartFrame<Base>::OnActivate(UINT state, CWnd* other, BOOL minimized)
{
    Base::OnActivate(state, other, minimized);
    if (m_pController)
        m_pController->OnFloatingFrameActivated(state != WA_INACTIVE);
}

template <class Base>
const CMessageMap& CChartFrame<Base>::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<CChartFrame<Base>>(Base::GetMessageMap())
                                       .Message(WM_CHART_EDIT_STUDY, &CChartFrame<Base>::OnEditStudy)
                                       .Message(WM_CHART_DELETE_STUDY, &CChartFrame<Base>::OnDeleteStudy)
                                       .Message(WM_CHART_ADD_TO_PANE, &CChartFrame<Base>::OnAddToPane)
                                       .Message(WM_CHART_DATA_ARRIVED, &CChartFrame<Base>::OnDataArrived)
                                       .Message(WM_CHART_CROSSHAIR_TIME, &CChartFrame<Base>::OnCrosshairTime)
                                       .Message(WM_BACKTEST_STARTED, &CChartFrame<Base>::OnBacktestStarted)
                                       .Message(WM_BACKTEST_TRADE, &CChartFrame<Base>::OnBacktestFill)
                                       .Message(WM_BACKTEST_ENDED, &CChartFrame<Base>::OnBacktestEnded)
                                       .Message(WM_BACKTEST_PROBLEM, &CChartFrame<Base>::OnBacktestProblem)
                                       .Build();
    return map;
}

template class CChartFrame<CChildFrame>;
template class CChartFrame<CSdiChildFrame>;

CChartController* GetChartController(const CWnd* window)
{
    if (const auto* mdi = dynamic_cast<const CChartFrame<CChildFrame>*>(window))
        return mdi->GetController();
    if (const auto* sdi = dynamic_cast<const CChartFrame<CSdiChildFrame>*>(window))
        return sdi->GetController();
    return nullptr;
}
