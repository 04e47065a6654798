#include "backtest/ui/CBackTestView.h"

#include "backtest/BackTestStatistics.h"
#include "backtest/BackTestViewState.h"
#include "backtest/BacktestChartStudies.h"
#include "backtest/ui/BacktestChartHook.h"
#include "studies/CStudyDefinition.h"
#include "backtest/ui/BacktestUiIds.h"
#include "backtest/ui/BacktestUiFiles.h"
#include "backtest/ui/CBackTestWindowSink.h"
#include "backtest/ui/CStrategySetupDlg.h"
#include "common/windows/ColumnFit.h"
#include "common/services/CAppSettings.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/ExportFileDialog.h"
#include "common/windows/FontInfoConvert.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CFile.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/CTime.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CUiResponder.h"
#include "platform/ui/CWndMessage.h"
#include "platform/ui/CommonDialogs.h"
#include "trading/ReportExport.h"

#include <QWidget>

#include <algorithm>

namespace {

CMenu* FindPopup(CMenu& menu, const char* text)
{
    if (!menu.IsValid() && !menu.LoadMenu(IDR_BACKTEST))
        return nullptr;
    for (int i = 0; i < menu.GetMenuItemCount(); ++i) {
        CString name;
        menu.GetMenuString(static_cast<UINT>(i), name, MF_BYPOSITION);
        if (name == text)
            return menu.GetSubMenu(i);
    }
    return nullptr;
}

}  // namespace

CBackTestView::CBackTestView() : CFormView(IDD_BACKTEST_FORM)
{
    m_total.m_symbol = "Total";
    for (int m = 0; m < 2; ++m)
        m_saved[static_cast<size_t>(m)] = DefaultBackTestLayout(m);
}

CBackTestView::~CBackTestView()
{
    CancelBackTest(m_context);
}

CCommonDoc* CBackTestView::GetCommonDoc() const
{
    return dynamic_cast<CCommonDoc*>(GetDocument());
}

CString CBackTestView::LayoutFolder()
{
    return UserDataFolder("Layouts");
}

CString CBackTestView::DefaultLayoutPath()
{
    return LayoutFolder() + "/default.btl";
}

void CBackTestView::DoDataExchange(CDataExchange* dx)
{
    CFormView::DoDataExchange(dx);
    DDX_Control(dx, static_cast<int>(IDC_BACKTEST_LIST), m_list);
}

void CBackTestView::OnInitialUpdate()
{
    CFormView::OnInitialUpdate();
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->SetKind(kKindBackTesting);
        CFrameWnd* frame = GetParentFrame();
        doc->SetDetached(frame && frame->GetOuterWidget() && frame->GetOuterWidget()->isWindow());
        doc->SetLinkButtons(frame, true, false, true);
        if (frame)
            frame->RecalcLayout();
    }
    m_sink = std::make_unique<CBackTestWindowSink>(m_hWnd);
    m_context.m_pSink = m_sink.get();
    CRect client;
    GetClientRect(&client);
    m_list.MoveWindow(&client);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    m_list.SetTypedHandler([this](char c) { OnTyped(c); });
    ApplyGrid();
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        SetListFont(settings->m_quoteFont, settings->m_quoteTextColor);
        SetListColors(settings->m_quoteColors);
    }
    LoadLayout(DefaultLayoutPath());
    UpdateTitle();
}

void CBackTestView::OnSize(UINT type, int cx, int cy)
{
    CFormView::OnSize(type, cx, cy);
    if (m_list.m_hWnd)
        m_list.MoveWindow(0, 0, cx, cy);
}

void CBackTestView::OnDestroy()
{
    CancelBackTest(m_context);
    ClearRows(false);
    m_results.Clear();
    m_setup.reset();
    CFormView::OnDestroy();
}

CString CBackTestView::MakeTitle() const
{
    CString title = "BackTesting";
    if (m_context.IsRunning()) {
        const int percent = m_context.GetProgress();
        if (percent != 0)
            title.AppendFormat("... %d%% done", percent);
        else
            title += "...";
    }
    title += " (";
    const int count = m_setup ? m_setup->GetStrategyCount() : 0;
    if (count >= 1)
        title.AppendFormat("%d", count);
    else
        title += "No";
    title += " Strategies)";
    return title;
}

void CBackTestView::UpdateTitle()
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return;
    doc->SetTitle(MakeTitle());
    if (CFrameWnd* frame = GetParentFrame())
        frame->OnUpdateFrameTitle(TRUE);
}

void CBackTestView::ApplyGrid()
{
    const DWORD style = m_list.GetExtendedStyle();
    m_list.SetExtendedStyle(m_nGrid ? style | LVS_EX_GRIDLINES : style & ~LVS_EX_GRIDLINES);
}

void CBackTestView::ShowMessage(const CString& text)
{
    MessageBox(text, nullptr, MB_OK);
}

void CBackTestView::SetListFont(const CFontInfo& font, COLORREF textColor)
{
    m_list.SetTextColor(textColor);
    const LOGFONT lf = ToLogFont(font);
    m_font.DeleteObject();
    m_font.CreateFontIndirect(&lf);
    m_list.SetFont(&m_font);
    m_list.Invalidate();
}

void CBackTestView::SetListColors(const std::array<COLORREF, 8>& colors)
{
    m_list.SetBkColor(colors[0]);
    m_list.SetTextBkColor(colors[0]);
    m_list.Invalidate();
}

// Runs.

void CBackTestView::Adopt(std::shared_ptr<const CStrategySetup> setup)
{
    m_setup = std::move(setup);
}

bool CBackTestView::StartJob(std::shared_ptr<const CStrategySetup> job)
{
    if (!job)
        return false;
    const bool started = StartBackTest(m_context, std::move(job));
    UpdateTitle();
    return started;
}

void CBackTestView::CancelBacktest()
{
    CancelBackTest(m_context);
    UpdateTitle();
}

void CBackTestView::OpenStrategySetup(const CString& presetSymbols)
{
    CancelBacktest();
    CStrategySetupDlg dialog(m_setup.get(), false, GetParentFrame());
    dialog.m_presetSymbols = presetSymbols;
    if (dialog.DoModal() != IDOK)
        return;
    if (auto job = dialog.TakeJob())
        StartJob(std::move(job));
}

LRESULT CBackTestView::OnStarted(CWndMessage& message)
{
    auto payload = message.Take<std::shared_ptr<const CStrategySetup>>();
    ClearRows(false);
    m_results.Clear();
    m_problems.clear();
    if (payload)
        Adopt(std::move(payload->value));
    UpdateTitle();
    return 0;
}

LRESULT CBackTestView::OnTrade(CWndMessage& message)
{
    auto payload = message.Take<std::unique_ptr<BackTestEntry>>();
    if (!payload || !payload->value)
        return 0;
    const CString symbol = payload->value->m_symbol, strategy = payload->value->m_strategy;
    BackTestEntry* previous = m_results.AddEntry(std::move(payload->value));
    BackTestEntry& stored = *m_results.FindList(symbol, strategy)->back();
    if (m_nMode == kTradeMode)
        AddTradeRow(stored, previous);
    return 0;
}

LRESULT CBackTestView::OnGroup(CWndMessage& message)
{
    auto payload = message.Take<std::unique_ptr<EntryGroup>>();
    if (!payload || !payload->value)
        return 0;
    const EntryGroup& stored = m_results.AddGroup(*payload->value);
    UpdateTitle();
    if (m_nMode == kSummaryMode)
        AddSummaryRow(stored);
    m_list.ApplySort();
    return 0;
}

LRESULT CBackTestView::OnProgress(WPARAM, LPARAM)
{
    UpdateTitle();
    return 0;
}

LRESULT CBackTestView::OnProblem(CWndMessage& message)
{
    if (auto payload = message.Take<CString>())
        m_problems.push_back(payload->value);
    return 0;
}

LRESULT CBackTestView::OnEnded(WPARAM, LPARAM)
{
    // A later run may be going already; only a finished thread is let go.
    if (!m_context.IsRunning())
        CancelBackTest(m_context);
    UpdateTitle();
    m_list.ApplySort();
    if (!m_problems.empty()) {
        CString text;
        for (const CString& problem : m_problems)
            text += problem + "\n";
        m_problems.clear();
        text.TrimRight("\n");
        ShowMessage(text);
    }
    return 0;
}

LRESULT CBackTestView::OnSetSymbolInterval(WPARAM group, LPARAM message)
{
    CCommonDoc* doc = GetCommonDoc();
    const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message);
    if (!doc || !doc->GetLinkState().AcceptsSymbolGroup(static_cast<int>(static_cast<LONG_PTR>(group))))
        return 0;
    CancelBacktest();
    CString symbol = msg ? msg->symbol : CString();
    if (symbol.IsEmpty())
        if (IWorkstationFrame* frame = GetWorkstationFrame())
            symbol = frame->GetSymbolBox();
    if (symbol.IsEmpty())
        return 1;
    m_symbol = symbol;
    if (m_setup) {
        auto job = std::make_shared<CStrategySetup>(*m_setup);
        job->m_symbols = m_symbol;
        StartJob(std::move(job));
    }
    return 1;
}

// Rows.

int CBackTestView::TotalRow() const
{
    const int last = m_list.GetItemCount() - 1;
    return m_nMode == kSummaryMode && last >= 0 && m_list.GetItemData(last) == 0 ? last : -1;
}

void CBackTestView::ClearRows(bool columns)
{
    m_list.DeleteAllItems();
    m_summaries.clear();
    if (columns)
        m_list.DeleteAllColumns();
    ResetTotal(m_total);
    m_bTotalPercent = false;
}

void CBackTestView::InsertColumns()
{
    m_list.SetMode(m_nMode);
    for (const auto& [index, width] : m_saved[static_cast<size_t>(m_nMode)])
        m_list.InsertTableColumn(m_list.GetColumnCount(), index, width);
}

void CBackTestView::SaveShownLayout()
{
    m_saved[static_cast<size_t>(m_nMode)] = m_list.GetLayout();
}

void CBackTestView::AddTradeRow(BackTestEntry& entry, const BackTestEntry* previous)
{
    ComputeTradeRow(entry, previous);
    const int item = m_list.InsertItem(LVIF_PARAM, m_list.GetItemCount(), nullptr, 0, 0, -1,
                                       reinterpret_cast<LPARAM>(&entry));
    for (int column = 0; column < m_list.GetColumnCount(); ++column)
        m_list.SetItemText(item, column, TradeCellText(entry, m_list.GetColumnIndex(column)));
}

void CBackTestView::AddSummaryRow(const EntryGroup& group)
{
    const CBackTestResults::EntryList* list = m_results.FindList(group.m_symbol, group.m_strategy);
    if (!list || list->empty())
        return;
    auto summary = std::make_unique<BackTestSummary>(ComputeSummary(*list, group));
    m_bTotalPercent = AccumulateTotal(m_total, *summary, m_setup.get());
    const int total = TotalRow();
    const int at = total >= 0 ? total : m_list.GetItemCount();
    const int item = m_list.InsertItem(LVIF_PARAM, at, nullptr, 0, 0, -1, reinterpret_cast<LPARAM>(summary.get()));
    for (int column = 0; column < m_list.GetColumnCount(); ++column)
        m_list.SetItemText(item, column, SummaryCellText(*summary, m_list.GetColumnIndex(column)));
    m_summaries.push_back(std::move(summary));
    if (m_bShowTotal && TotalRow() < 0)
        m_list.InsertItem(LVIF_PARAM, m_list.GetItemCount(), nullptr, 0, 0, -1, 0);
    SetTotalTexts();
}

void CBackTestView::SetTotalTexts()
{
    const int row = TotalRow();
    if (row < 0)
        return;
    for (int column = 0; column < m_list.GetColumnCount(); ++column)
        m_list.SetItemText(row, column, TotalCellText(m_total, m_list.GetColumnIndex(column), m_bTotalPercent));
}

void CBackTestView::FillRows()
{
    if (m_nMode == kTradeMode) {
        for (const auto& [symbol, strategies] : m_results.GetEntries())
            for (const auto& [strategy, list] : strategies) {
                const BackTestEntry* previous = nullptr;
                for (const auto& entry : list) {
                    AddTradeRow(*entry, previous);
                    previous = entry.get();
                }
            }
    } else {
        for (const auto& [key, group] : m_results.GetGroups())
            AddSummaryRow(group);
    }
    m_list.ApplySort();
}

void CBackTestView::SetMode(int mode)
{
    if (mode == m_nMode)
        return;
    SaveShownLayout();
    ClearRows(true);
    m_nMode = mode;
    InsertColumns();
    FillRows();
}

void CBackTestView::ToggleTotal()
{
    m_bShowTotal = !m_bShowTotal;
    if (m_nMode != kSummaryMode || m_list.GetItemCount() == 0)
        return;
    if (m_bShowTotal) {
        m_list.InsertItem(LVIF_PARAM, m_list.GetItemCount(), nullptr, 0, 0, -1, 0);
        SetTotalTexts();
    } else if (const int row = TotalRow(); row >= 0) {
        m_list.DeleteItem(row);
    }
}

int CBackTestView::DefaultListColumnWidth(int mode, int index)
{
    const auto table = GetBackTestColumns(mode);
    if (index < 0 || index >= static_cast<int>(table.size()))
        return DefaultBackTestColumnWidth(mode, index);
    return FittedColumnWidth(m_list, {table[static_cast<size_t>(index)].title, BackTestColumnSample(mode, index)},
                             DefaultBackTestColumnWidth(mode, index));
}

void CBackTestView::ToggleColumn(int mode, int index)
{
    if (index < 0 || index >= GetBackTestColumnCount(mode))
        return;
    bool& present = m_present[static_cast<size_t>(mode)][static_cast<size_t>(index)];
    CBackTestLayout& saved = m_saved[static_cast<size_t>(mode)];
    if (!present) {
        present = true;
        if (mode != m_nMode) {
            saved.emplace_back(index, DefaultListColumnWidth(mode, index));
            return;
        }
        const int column = m_list.GetColumnCount();
        m_list.InsertTableColumn(column, index, DefaultListColumnWidth(mode, index));
        for (int row = 0; row < m_list.GetItemCount(); ++row) {
            const DWORD_PTR data = m_list.GetItemData(row);
            CString text;
            if (mode == kTradeMode)
                text = data ? TradeCellText(*reinterpret_cast<const BackTestEntry*>(data), index, true) : CString();
            else
                text = data ? SummaryCellText(*reinterpret_cast<const BackTestSummary*>(data), index)
                            : TotalCellText(m_total, index, m_bTotalPercent);
            m_list.SetItemText(row, column, text);
        }
        return;
    }
    present = false;
    if (mode != m_nMode) {
        std::erase_if(saved, [index](const auto& pair) { return pair.first == index; });
        return;
    }
    m_list.DeleteColumn(m_list.FindIndexColumn(index));
    SaveShownLayout();
    ClearRows(true);
    InsertColumns();
    FillRows();
}

// Files.

void CBackTestView::ApplyLayouts(const std::array<CBackTestLayout, 2>& layouts)
{
    ClearRows(true);
    for (int m = 0; m < 2; ++m) {
        auto& present = m_present[static_cast<size_t>(m)];
        present.fill(false);
        CBackTestLayout& saved = m_saved[static_cast<size_t>(m)];
        saved.clear();
        for (const auto& [index, width] : layouts[static_cast<size_t>(m)]) {
            if (index < 0 || index >= GetBackTestColumnCount(m) || present[static_cast<size_t>(index)])
                continue;
            present[static_cast<size_t>(index)] = true;
            saved.emplace_back(index, std::clamp(width, 0, 2000));
        }
    }
    InsertColumns();
}

void CBackTestView::LoadLayout(const CString& path)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead)) {
        // No layout yet: every column of both modes.
        std::array<CBackTestLayout, 2> defaults;
        for (int m = 0; m < 2; ++m)
            for (int index = 0; index < GetBackTestColumnCount(m); ++index)
                defaults[static_cast<size_t>(m)].emplace_back(index, DefaultListColumnWidth(m, index));
        ApplyLayouts(defaults);
        FillRows();
        return;
    }
    std::array<CBackTestLayout, 2> layouts;
    try {
        CArchive ar(&file, CArchive::load);
        layouts = ReadBackTestLayouts(ar);
    } catch (CException&) {
        ShowMessage("Error reading layout " + path);
        return;
    }
    ApplyLayouts(layouts);
    FillRows();
}

bool CBackTestView::SaveLayout(const CString& path)
{
    std::array<CBackTestLayout, 2> layouts = m_saved;
    layouts[static_cast<size_t>(m_nMode)] = m_list.GetLayout();
    if (!SaveFileSafely(path, [&](CArchive& ar) { WriteBackTestLayouts(ar, layouts); })) {
        ShowMessage("Error saving layout to " + path);
        return false;
    }
    return true;
}

bool CBackTestView::SaveResults(const CString& path)
{
    CString error;
    if (!WriteResultsFile(path, m_results, m_setup.get(), error)) {
        ShowMessage(error);
        return false;
    }
    return true;
}

bool CBackTestView::LoadResults(const CString& path)
{
    CLoadedResults loaded;
    CString error;
    if (!ReadResultsFile(path, loaded, error)) {
        ShowMessage(error);
        return false;
    }
    CancelBacktest();
    ClearRows(false);
    m_results.Clear();
    Adopt(std::shared_ptr<const CStrategySetup>(std::move(loaded.setup)));
    for (auto& group : loaded.groups) {
        for (auto& entry : group.entries) {
            const CString symbol = entry->m_symbol, strategy = entry->m_strategy;
            BackTestEntry* previous = m_results.AddEntry(std::move(entry));
            if (m_nMode == kTradeMode)
                AddTradeRow(*m_results.FindList(symbol, strategy)->back(), previous);
        }
        const EntryGroup& stored = m_results.AddGroup(group.group);
        if (m_nMode == kSummaryMode)
            AddSummaryRow(stored);
    }
    m_list.ApplySort();
    UpdateTitle();
    return true;
}

std::vector<std::vector<CString>> CBackTestView::ExportRows() const
{
    std::vector<std::vector<CString>> rows;
    const CBackTestLayout layout = m_list.GetLayout();
    const auto table = GetBackTestColumns(m_nMode);
    std::vector<CString> header;
    for (const auto& [index, width] : layout)
        header.push_back(table[static_cast<size_t>(index)].title);
    rows.push_back(header);
    for (int item = 0; item < m_list.GetItemCount(); ++item) {
        std::vector<CString> row;
        for (const auto& [index, width] : layout)
            row.push_back(m_list.GetItemText(item, m_list.FindIndexColumn(index)));
        rows.push_back(row);
    }
    return rows;
}

// Charts.

bool CBackTestView::OpenChartForRow(int row, bool custom)
{
    if (row < 0 || row >= m_list.GetItemCount() || !m_setup)
        return false;
    const DWORD_PTR data = m_list.GetItemData(row);
    if (!data)
        return false;
    CString symbol, strategyName;
    if (m_nMode == kTradeMode) {
        const auto* entry = reinterpret_cast<const BackTestEntry*>(data);
        symbol = entry->m_symbol;
        strategyName = entry->m_strategy;
    } else {
        const auto* summary = reinterpret_cast<const BackTestSummary*>(data);
        symbol = summary->m_symbol;
        strategyName = summary->m_strategy;
    }
    const CStrategyDefinition* strategy = m_setup->FindStrategy(strategyName);
    if (!strategy)
        return false;
    if (IWorkstationFrame* frame = GetWorkstationFrame())
        frame->ClearSymbolBox();
    CBacktestChartRequest request;
    request.symbol = symbol;
    request.interval = strategy->m_interval;
    const CCommonDoc* doc = GetCommonDoc();
    request.floating = doc && doc->IsDetached();
    request.setup = std::make_unique<CStrategySetup>(*m_setup);
    request.setup->RemoveAllStrategies();
    request.setup->AddStrategy(*strategy);
    if (custom) {
        bool hadInputs = false;
        request.studies = MakeStrategyStudies(*strategy, hadInputs);
        request.replaceStudies = hadInputs;
    }
    return OpenBacktestChart(request);
}

// Workspace.

BOOL CBackTestView::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CBackTestViewState state;
    state.mode = m_nMode;
    state.layouts = m_saved;
    state.layouts[static_cast<size_t>(m_nMode)] = m_list.GetLayout();
    for (int m = 0; m < 2; ++m) {
        const CBackTestCtrl::SortState& sort = m_list.GetSort(m);
        state.sortColumn[static_cast<size_t>(m)] = sort.column;
        state.sortAscending[static_cast<size_t>(m)] = sort.ascending ? 1 : 0;
    }
    if (m_setup)
        state.setup = std::make_unique<CStrategySetup>(*m_setup);
    state.grid = m_nGrid;
    try {
        StoreBackTestViewState(ar, state, doc->GetLinkState());
    } catch (CException&) {
        return FALSE;
    }
    return TRUE;
}

BOOL CBackTestView::LoadFromWorkspace(CArchive& ar, DWORD version)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CBackTestViewState state;
    state.grid = m_nGrid;
    CLinkState link = doc->GetLinkState();
    try {
        if (!LoadBackTestViewState(ar, version, state, link))
            return FALSE;
    } catch (CException&) {
        return FALSE;
    }
    CancelBacktest();
    doc->GetLinkState() = link;
    doc->UpdateLinkButtons();
    ClearRows(true);
    m_results.Clear();
    m_nMode = state.mode;
    ApplyLayouts(state.layouts);
    Adopt(state.setup ? std::shared_ptr<const CStrategySetup>(std::move(state.setup)) : nullptr);
    m_nGrid = state.grid;
    ApplyGrid();
    for (int m = 0; m < 2; ++m) {
        CBackTestCtrl::SortState& sort = m_list.GetSort(m);
        sort.column = state.sortColumn[static_cast<size_t>(m)];
        sort.ascending = state.sortAscending[static_cast<size_t>(m)] != 0;
        sort.index = -1;
    }
    if (CFrameWnd* frame = GetParentFrame())
        frame->RecalcLayout();
    UpdateTitle();
    m_list.ApplySort();
    return TRUE;
}

// Printing.

BOOL CBackTestView::OnPreparePrinting(CPrintInfo* info)
{
    return m_printer.PreparePrinting(info, this, &m_list);
}

void CBackTestView::OnBeginPrinting(CDC* dc, CPrintInfo* info)
{
    const CString title = GetDocument() ? GetDocument()->GetTitle() : CString("BackTesting");
    m_printer.BeginPrinting(dc, info, title, CTime::GetCurrentTime().Format("%m/%d/%Y %H:%M"));
}

void CBackTestView::OnPrint(CDC* dc, CPrintInfo* info)
{
    m_printer.PrintPage(dc, info);
}

void CBackTestView::OnEndPrinting(CDC* dc, CPrintInfo* info)
{
    m_printer.EndPrinting(dc, info);
}

// Commands.

void CBackTestView::OnStrategySetup()
{
    OpenStrategySetup(CString());
}

void CBackTestView::OnUpdateStrategySetup(CCmdUI* ui)
{
    ui->Enable(!m_context.IsRunning());
}

void CBackTestView::OnCancel()
{
    CancelBacktest();
}

void CBackTestView::OnUpdateCancel(CCmdUI* ui)
{
    ui->Enable(m_context.IsRunning());
}

void CBackTestView::OnSummaryView()
{
    SetMode(kSummaryMode);
}

void CBackTestView::OnTradeView()
{
    SetMode(kTradeMode);
}

void CBackTestView::OnUpdateSummaryView(CCmdUI* ui)
{
    ui->SetCheck(m_nMode == kSummaryMode ? 1 : 0);
}

void CBackTestView::OnUpdateTradeView(CCmdUI* ui)
{
    ui->SetCheck(m_nMode == kTradeMode ? 1 : 0);
}

void CBackTestView::OnShowTotal()
{
    ToggleTotal();
}

void CBackTestView::OnUpdateShowTotal(CCmdUI* ui)
{
    ui->SetCheck(m_bShowTotal ? 1 : 0);
}

void CBackTestView::OnLoadResults()
{
    CFileDialog dialog(TRUE, "btr", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                       "Backtest Result Files (*.btr)|*.btr||", this);
    dialog.m_request.initialDir = UserDataFolder("Backtesting");
    if (dialog.DoModal() == IDOK)
        LoadResults(dialog.GetPathName());
}

void CBackTestView::OnSaveResults()
{
    CFileDialog dialog(FALSE, "btr", nullptr, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                       "Backtest Result Files (*.btr)|*.btr||", this);
    dialog.m_request.initialDir = UserDataFolder("Backtesting");
    if (dialog.DoModal() == IDOK)
        SaveResults(dialog.GetPathName());
}

void CBackTestView::OnExport()
{
    CExportTarget target;
    if (!ChooseExportFile(this, target))
        return;
    CString error;
    if (!WriteReportExport(target.path, target.separator, ExportRows(), false, error))
        return;
    const CAppSettings* settings = CAppSettings::Instance();
    if (settings && settings->m_bViewExportData)
        CUiResponder::Current().OpenExternal(target.path);
}

void CBackTestView::OnGrid()
{
    m_nGrid = m_nGrid ? 0 : 1;
    ApplyGrid();
}

void CBackTestView::OnUpdateGrid(CCmdUI* ui)
{
    ui->SetCheck(m_nGrid ? 1 : 0);
}

void CBackTestView::OnColumn(UINT id)
{
    if (id >= ID_BT_SUMMARY_COLUMN_FIRST && id <= ID_BT_SUMMARY_COLUMN_LAST)
        ToggleColumn(kSummaryMode, static_cast<int>(id - ID_BT_SUMMARY_COLUMN_FIRST));
    else if (id >= ID_BT_TRADE_COLUMN_FIRST && id <= ID_BT_TRADE_COLUMN_LAST)
        ToggleColumn(kTradeMode, static_cast<int>(id - ID_BT_TRADE_COLUMN_FIRST));
}

void CBackTestView::OnUpdateColumn(CCmdUI* ui)
{
    const UINT id = ui->m_nID;
    const bool summary = id >= ID_BT_SUMMARY_COLUMN_FIRST;
    const int index = static_cast<int>(id - (summary ? ID_BT_SUMMARY_COLUMN_FIRST : ID_BT_TRADE_COLUMN_FIRST));
    ui->SetCheck(m_present[summary ? 1 : 0][static_cast<size_t>(index)] ? 1 : 0);
}

void CBackTestView::OnLoadLayout()
{
    CFileDialog dialog(TRUE, "btl", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                       "BackTest Layout Files (*.btl)|*.btl||", this);
    dialog.m_request.initialDir = LayoutFolder();
    if (dialog.DoModal() == IDOK)
        LoadLayout(dialog.GetPathName());
}

void CBackTestView::OnSaveLayout()
{
    CFileDialog dialog(FALSE, "btl", nullptr, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                       "Backtest Layout Files (*.btl)|*.btl||", this);
    dialog.m_request.initialDir = LayoutFolder();
    if (dialog.DoModal() == IDOK)
        SaveLayout(dialog.GetPathName());
}

void CBackTestView::OnSetDefaultLayout()
{
    SaveLayout(DefaultLayoutPath());
}

void CBackTestView::OnRowCommand() {}

void CBackTestView::OnListRightClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const int item = reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem;
    const bool onRow = item >= 0 && item < m_list.GetItemCount();
    if (onRow) {
        m_list.SetItemState(-1, 0, LVIS_SELECTED);
        m_list.SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    CMenu menu;
    CMenu* popup = FindPopup(menu, "&Backtest");
    if (!popup)
        return;
    if (onRow) {
        popup->InsertMenu(0, MF_BYPOSITION | MF_SEPARATOR);
        popup->InsertMenu(0, MF_BYPOSITION | MF_STRING, ID_BT_CUSTOM_CHART, "View &Custom Chart");
        popup->InsertMenu(0, MF_BYPOSITION | MF_STRING, ID_BT_DEFAULT_CHART, "&View Default Chart");
    }
    POINT at;
    GetCursorPos(&at);
    CFrameWnd* frame = GetParentFrame();
    const UINT chosen = popup->TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, frame);
    if ((chosen == ID_BT_DEFAULT_CHART || chosen == ID_BT_CUSTOM_CHART) && onRow)
        OpenChartForRow(item, chosen == ID_BT_CUSTOM_CHART);
    else if (chosen && frame)
        frame->PostMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(chosen), 0), 0);
}

void CBackTestView::OnHeaderRightClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    CMenu menu;
    CMenu* popup = FindPopup(menu, "&Columns");
    if (!popup)
        return;
    POINT at;
    GetCursorPos(&at);
    popup->TrackPopupMenu(TPM_RIGHTBUTTON, at.x, at.y, GetParentFrame());
}

void CBackTestView::OnListDoubleClick(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const auto* hit = reinterpret_cast<const NMITEMACTIVATE*>(header);
    if (hit->iItem < 0 || hit->iItem >= m_list.GetItemCount() || hit->iSubItem < 0)
        return;
    if (m_list.GetColumnIndex(hit->iSubItem) != 0 || !m_list.GetItemData(hit->iItem))
        return;
    const CString symbol = m_list.GetItemText(hit->iItem, hit->iSubItem);
    IWorkstationFrame* frame = GetWorkstationFrame();
    if (!frame || symbol.IsEmpty())
        return;
    frame->SetSymbolBox(symbol, TRUE);
    frame->ApplySymbolInterval(this, TRUE);
    m_list.SetFocus();
}

void CBackTestView::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch > 0x20 && ch < 0x7F)
        OnTyped(static_cast<char>(ch));
    else
        CFormView::OnChar(ch, repeat, flags);
}

void CBackTestView::OnTyped(char c)
{
    const CCommonDoc* doc = GetCommonDoc();
    if (doc && doc->IsDetached())
        OpenStrategySetup(CString(c, 1));
    else if (IWorkstationFrame* frame = GetWorkstationFrame())
        frame->TypeIntoSymbolBox(c);
}

const CMessageMap& CBackTestView::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<CBackTestView>(CFormView::GetMessageMap())
            .Message(WM_BACKTEST_STARTED, &CBackTestView::OnStarted)
            .Message(WM_BACKTEST_TRADE, &CBackTestView::OnTrade)
            .Message(WM_BACKTEST_GROUP, &CBackTestView::OnGroup)
            .Message(WM_BACKTEST_PROGRESS, &CBackTestView::OnProgress)
            .Message(WM_BACKTEST_PROBLEM, &CBackTestView::OnProblem)
            .Message(WM_BACKTEST_ENDED, &CBackTestView::OnEnded)
            .Message(WM_SET_SYMBOL_INTERVAL, &CBackTestView::OnSetSymbolInterval)
            .Command(ID_BT_STRATEGY_SETUP, &CBackTestView::OnStrategySetup)
            .UpdateUI(ID_BT_STRATEGY_SETUP, &CBackTestView::OnUpdateStrategySetup)
            .Command(ID_BT_CANCEL, &CBackTestView::OnCancel)
            .UpdateUI(ID_BT_CANCEL, &CBackTestView::OnUpdateCancel)
            .Command(ID_BT_SUMMARY_VIEW, &CBackTestView::OnSummaryView)
            .UpdateUI(ID_BT_SUMMARY_VIEW, &CBackTestView::OnUpdateSummaryView)
            .Command(ID_BT_TRADE_VIEW, &CBackTestView::OnTradeView)
            .UpdateUI(ID_BT_TRADE_VIEW, &CBackTestView::OnUpdateTradeView)
            .Command(ID_BT_SHOW_TOTAL, &CBackTestView::OnShowTotal)
            .UpdateUI(ID_BT_SHOW_TOTAL, &CBackTestView::OnUpdateShowTotal)
            .Command(ID_BT_LOAD_RESULTS, &CBackTestView::OnLoadResults)
            .Command(ID_BT_SAVE_RESULTS, &CBackTestView::OnSaveResults)
            .Command(ID_BT_EXPORT, &CBackTestView::OnExport)
            .Command(ID_BT_GRID, &CBackTestView::OnGrid)
            .UpdateUI(ID_BT_GRID, &CBackTestView::OnUpdateGrid)
            .CommandRange(ID_BT_TRADE_COLUMN_FIRST, ID_BT_TRADE_COLUMN_LAST, &CBackTestView::OnColumn)
            .UpdateUIRange(ID_BT_TRADE_COLUMN_FIRST, ID_BT_TRADE_COLUMN_LAST, &CBackTestView::OnUpdateColumn)
            .CommandRange(ID_BT_SUMMARY_COLUMN_FIRST, ID_BT_SUMMARY_COLUMN_LAST, &CBackTestView::OnColumn)
            .UpdateUIRange(ID_BT_SUMMARY_COLUMN_FIRST, ID_BT_SUMMARY_COLUMN_LAST, &CBackTestView::OnUpdateColumn)
            .Command(ID_BT_LOAD_LAYOUT, &CBackTestView::OnLoadLayout)
            .Command(ID_BT_SAVE_LAYOUT, &CBackTestView::OnSaveLayout)
            .Command(ID_BT_SET_DEFAULT_LAYOUT, &CBackTestView::OnSetDefaultLayout)
            .Command(ID_BT_DEFAULT_CHART, &CBackTestView::OnRowCommand)
            .Command(ID_BT_CUSTOM_CHART, &CBackTestView::OnRowCommand)
            .Notify(NM_RCLICK, 0, &CBackTestView::OnHeaderRightClick)
            .Notify(NM_RCLICK, IDC_BACKTEST_LIST, &CBackTestView::OnListRightClick)
            .Notify(NM_DBLCLK, IDC_BACKTEST_LIST, &CBackTestView::OnListDoubleClick)
            .Build();
    return map;
}
