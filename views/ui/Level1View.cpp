#include "views/ui/Level1View.h"

#include "broker/session/CActivesHandle.h"
#include "broker/session/CPositionListHandle.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CWatchlistListHandle.h"
#include "common/services/CAppSettings.h"
#include "common/windows/ColumnFit.h"
#include "common/windows/CCommonDoc.h"
#include "common/windows/ExportFileDialog.h"
#include "common/windows/CEnterTitleDlg.h"
#include "common/windows/CSymbolsDlg.h"
#include "common/windows/IWorkstationFrame.h"
#include "common/windows/ShellIds.h"
#include "common/windows/SymbolEntryDialog.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/ui/CCmdUI.h"
#include "platform/ui/CFrameWnd.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CMessageQueue.h"
#include "platform/ui/CWndMessage.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/ShellServices.h"
#include "views/ActivesKey.h"
#include "views/CCustomColumn.h"
#include "views/GridExport.h"
#include "views/OptionChainDefinition.h"
#include "views/OptionChainSet.h"
#include "views/PositionRecords.h"
#include "views/SymbolListFile.h"
#include "views/SymbolSetGroups.h"
#include "views/ui/CActivesDlg.h"
#include "views/ui/CColumnWizardDlg.h"
#include "views/ui/COptionChainsDlg.h"
#include "views/ui/FormulaWizard.h"
#include "views/ui/Level1Ids.h"
#include "views/ui/Level1Menus.h"

#include <algorithm>
#include <filesystem>

namespace {

CString JoinSymbols(const std::vector<CString>& symbols)
{
    CString text;
    for (const CString& symbol : symbols) {
        if (!text.IsEmpty())
            text += " ";
        text += symbol;
    }
    return text;
}

CQuoteStore* QuoteStore()
{
    CSessionManager* session = CSessionManager::Instance();
    return session ? &session->GetQuoteStore() : nullptr;
}

CAccountDataStore* AccountData()
{
    CSessionManager* session = CSessionManager::Instance();
    return session ? &session->GetAccountData() : nullptr;
}

// Built-in column sets of the four fixed layouts, used while their files do not exist.
std::vector<int> BuiltInColumns(int mode)
{
    switch (mode) {
    case kModePositions:
        return {33, 32, 103, 104, 3, 35, 110, 113, 107, 108};
    case kModeActives:
        return {109, 33, 32, 3, 35, 36, 10, 111, 112};
    case kModeOptionChain:
        return {33, 32, 6, 7, 3, 35, 10, 11, 15, 21, 39};
    default:
        return {33, 32, 3, 35, 36, 6, 7, 10, 1, 2, 0, 4};
    }
}

// The widest text a column shows at default sizes beside its title: long company names,
// option symbols in a chain, volumes in the millions, and prices and totals of five digits
// (a short position's negative).
CString ColumnSample(int mode, const CGridColumn& column)
{
    if (column.IsColorField())
        return CString();
    if (column.IsCustom())
        return "-99,999.99";
    switch (column.fieldId) {
    case kGridDescription: return "International Business Machines";
    case kGridSymbol: return mode == kModeOptionChain ? "+MSFT261218C00040000" : "";
    case kGridVolume: case 11: case 12: case 13: case 14: case 26: case 31: case kGridActivity:
        return "99,999,999";
    case 0: case 1: case 2: case 3: case 4: case 6: case 7: case 8: case 9: case 28: case 29: case 30:
    case 51: case 59: case kGridChange: case kGridShares: case kGridBasePrice: case kGridProfitLoss:
    case kGridMarketValue: case kGridDailyPnl:
        return "-99999.99";
    default: return CString();
    }
}

// A column's width in a new layout or when added: its title and its sample show whole.
int DefaultColumnWidth(CWnd& grid, int mode, const CGridColumn& column)
{
    const CString title = column.HeaderText();
    const int least = column.fieldId == kGridDescription ? 170 : std::max(64, 7 * title.GetLength() + 14);
    return FittedColumnWidth(grid, {title, ColumnSample(mode, column)}, least);
}

} // namespace

// Posts the view a message when the account's positions or watch lists, or its actives
// list, change (called on the session's threads).
class Level1View::CListener : public CAccountDataListener, public CActivesListener {
public:
    explicit CListener(HWND view) : m_view(view) {}
    void OnAccountDataChanged(int kind) override
    {
        ::PostMessage(m_view, kind == kAccountWatchlists ? WM_WATCH_LISTS_CHANGED : WM_POSITIONS_CHANGED);
    }
    void OnActivesChange(CActivesHandle*) override { ::PostMessage(m_view, WM_ACTIVES_SYMBOLS); }

private:
    HWND m_view;
};

// Hands the symbols of the window's option chain or symbol set to the grid.
class Level1View::CChainObserver : public IOptionChainObserver {
public:
    explicit CChainObserver(HWND grid) : m_grid(grid) {}
    void OnChainChanged(OptionChainSet*, int code, const std::vector<CString>& symbols) override
    {
        if (code == kChainSymbolsChanged)
            ::PostMessage(m_grid, WM_GRID_SYMBOLS, 0, 0, MakePayload<std::vector<CString>>(symbols));
    }

private:
    HWND m_grid;
};

Level1View::Level1View() : m_screener(*this) {}

Level1View::~Level1View()
{
    m_screener.Stop(false);
}

CCommonDoc* Level1View::GetCommonDoc() const
{
    return dynamic_cast<CCommonDoc*>(GetDocument());
}

int Level1View::OnCreate(LPCREATESTRUCT create)
{
    if (CView::OnCreate(create) == -1)
        return -1;
    if (!m_grid.CreateGrid(this, IDC_QUOTE_GRID, this))
        return -1;
    m_listener = std::make_unique<CListener>(m_hWnd);
    m_chainObserver = std::make_unique<CChainObserver>(m_grid.m_hWnd);
    return 0;
}

void Level1View::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    if (CCommonDoc* doc = GetCommonDoc()) {
        doc->SetKind(kKindLevel1);
        CFrameWnd* frame = GetParentFrame();
        doc->SetLinkButtons(frame, true, false, true);
    }
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        m_grid.SetGridFont(settings->m_quoteFont, settings->m_quoteTextColor);
        m_grid.SetGridColors(settings->m_quoteColors, settings->m_nStripeInterval);
    }
    SetGridLines(true);
    m_grid.StartRefresh();
    ApplyDefaultLayout(kModeNone);
    UpdateTitle();
}

void Level1View::OnDestroy()
{
    m_grid.StopRefresh();
    m_screener.Stop(false);
    RemoveAll();
    m_grid.DeleteAllGridColumns();
    CView::OnDestroy();
}

void Level1View::OnSize(UINT type, int cx, int cy)
{
    CView::OnSize(type, cx, cy);
    if (m_grid.m_hWnd)
        m_grid.MoveWindow(0, 0, cx, cy);
}

void Level1View::OnSetFocus(CWnd* old)
{
    CView::OnSetFocus(old);
    if (m_grid.m_hWnd)
        m_grid.SetFocus();
}

void Level1View::Tell(const CString& text)
{
    MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
}

// Title.

CString Level1View::ComposeTitle() const
{
    CString title = m_userTitle.IsEmpty() ? m_modeTitle : m_userTitle;
    return title + ScreenerTitleSuffix(&m_screener, !m_userTitle.IsEmpty());
}

void Level1View::UpdateTitle()
{
    if (CDocument* doc = GetDocument())
        doc->SetTitle(ComposeTitle());
}

void Level1View::SetUserTitle(const CString& title)
{
    m_userTitle = title;
    m_userTitle.Trim();
    UpdateTitle();
}

// Modes.

void Level1View::RemoveAll()
{
    m_grid.SetActives(nullptr);
    m_chain.reset();
    m_actives.reset();
    m_positions.reset();
    m_watchlists.reset();
    m_screener.Stop(false);
    m_grid.DeleteAllRows();
    m_nMode = kModeNone;
    m_parameter.Empty();
    m_modeTitle = "Level I";
    UpdateTitle();
}

void Level1View::ShowPositionRows(const std::vector<CPortfolioPosition>& positions, bool totals)
{
    m_grid.SetGridRedraw(false);
    m_grid.DeleteAllRows();
    for (const CPortfolioPosition& position : positions)
        m_grid.InsertRow(position.symbol, &position, 0);
    if (totals)
        m_grid.InsertTotalsRow();
    m_grid.SetGridRedraw(true);
    m_grid.Invalidate();
    UpdateTitle();
}

bool Level1View::ShowPortfolio(int index)
{
    const CAppSettings* settings = CAppSettings::Instance();
    CPortfolioList portfolios;
    if (!settings || !LoadPortfolios(*settings, portfolios) || index < 0 ||
        index >= static_cast<int>(portfolios.size()))
        return false;
    RemoveAll();
    const CPortfolio& portfolio = portfolios[static_cast<size_t>(index)];
    m_nMode = kModePortfolio;
    m_parameter = portfolio.name;
    m_modeTitle = PortfolioTitle(portfolio.name);
    ShowPositionRows(portfolio.positions, true);
    return true;
}

bool Level1View::ShowPortfolioByName(const CString& name)
{
    const CAppSettings* settings = CAppSettings::Instance();
    CPortfolioList portfolios;
    if (!settings || !LoadPortfolios(*settings, portfolios))
        return false;
    for (size_t i = 0; i < portfolios.size(); ++i)
        if (portfolios[i].name == name)
            return ShowPortfolio(static_cast<int>(i));
    return false;
}

void Level1View::ShowSymbolSet(const CString& name)
{
    RemoveAll();
    m_nMode = kModeSymbolSet;
    m_parameter = name;
    m_modeTitle = name + " Symbol Set";
    CString definition = "IndustryGroups," + name;
    definition.Remove(' ');
    m_chain = std::make_unique<OptionChainSet>(definition, QuoteStore());
    m_chain->SetObserver(m_chainObserver.get());
    m_chain->Register();
    UpdateTitle();
}

bool Level1View::ShowOptionChain(const CString& definition)
{
    if (!IsValidChainDefinition(definition))
        return false;
    RemoveAll();
    m_nMode = kModeOptionChain;
    m_parameter = definition;
    m_modeTitle = ParseChainDefinition(definition).underlying + " Option Chain";
    m_chain = std::make_unique<OptionChainSet>(definition, QuoteStore());
    m_chain->SetObserver(m_chainObserver.get());
    m_chain->Register();
    UpdateTitle();
    return true;
}

bool Level1View::ShowActives(const CString& key)
{
    CQuoteStore* store = QuoteStore();
    if (!store || !IsValidActivesKey(key))
        return false;
    RemoveAll();
    m_nMode = kModeActives;
    m_parameter = key;
    m_actives = std::make_unique<CActivesHandle>(*store, key);
    m_actives->m_pListener = m_listener.get();
    m_actives->Subscribe();
    m_grid.SetActives(m_actives.get());
    m_modeTitle = FormatActivesTitle(m_actives.get());
    UpdateTitle();
    return true;
}

bool Level1View::LoadSymbolList(const CString& path)
{
    std::vector<CString> symbols;
    CString error;
    if (!ReadSymbolList(path, symbols, error)) {
        Tell(error);
        return false;
    }
    RemoveAll();
    m_nMode = kModeSymbolList;
    m_parameter = path;
    m_modeTitle = SymbolListTitle(path);
    m_grid.SetGridRedraw(false);
    for (const CString& symbol : symbols)
        m_grid.InsertRow(symbol, nullptr, 0);
    m_grid.SetGridRedraw(true);
    UpdateTitle();
    return true;
}

void Level1View::ShowPositions()
{
    CAccountDataStore* store = AccountData();
    RemoveAll();
    m_nMode = kModePositions;
    m_modeTitle = "Positions";
    if (store) {
        m_positions = std::make_unique<CPositionListHandle>(*store);
        m_positions->Subscribe(m_listener.get());
    }
    RefreshPositions();
}

void Level1View::RefreshPositions()
{
    std::vector<CPortfolioPosition> rows;
    CArray<CPositionRecord> records;
    if (m_positions && m_positions->CopyRecords(records))
        for (int i = 0; i < records.GetSize(); ++i)
            rows.push_back(PositionFromAccount(records[i]));
    ShowPositionRows(rows, true);
}

std::vector<CString> Level1View::WatchListNames() const
{
    std::vector<CString> names;
    CAccountDataStore* store = AccountData();
    if (!store)
        return names;
    std::lock_guard<std::recursive_mutex> lock(store->GetLock());
    for (const CWatchlistRecord& record : store->Watchlists().records)
        names.push_back(record.name);
    return names;
}

bool Level1View::ShowWatchList(const CString& name)
{
    CAccountDataStore* store = AccountData();
    if (!store)
        return false;
    CWatchlistListHandle handle(*store);
    CWatchlistRecord record;
    if (!handle.FindByName(name, record))
        return false;
    RemoveAll();
    m_nMode = kModeWatchList;
    m_parameter = record.name;
    m_modeTitle = record.name + " Watch List";
    m_watchlists = std::make_unique<CWatchlistListHandle>(*store);
    m_watchlists->Subscribe(m_listener.get());
    RefreshWatchList();
    return true;
}

void Level1View::RefreshWatchList()
{
    std::vector<CPortfolioPosition> rows;
    CWatchlistRecord record;
    if (m_watchlists && m_watchlists->FindByName(m_parameter, record))
        for (const CWatchedSymbol& entry : record.symbols)
            rows.push_back(PositionFromWatchedSymbol(entry));
    ShowPositionRows(rows, false);
}

void Level1View::ApplyFrameCommand(UINT command, const CString& frameSymbol)
{
    switch (command) {
    case ID_FRAME_POSITIONS:
        ApplyDefaultLayout(kModePositions);
        ShowPositions();
        break;
    case ID_FRAME_ACTIVES:
        ApplyDefaultLayout(kModeActives);
        OnActives();
        break;
    case ID_FRAME_OPTION_CHAINS: {
        ApplyDefaultLayout(kModeOptionChain);
        COptionChainsDlg dlg(m_nMode == kModeOptionChain ? m_parameter : CString(), this);
        if (!frameSymbol.IsEmpty())
            dlg.SetSymbol(frameSymbol);
        if (dlg.DoModal() == IDOK)
            ShowOptionChain(dlg.BuildDefinition());
        break;
    }
    case ID_FRAME_SCREENER:
        OnAddScreener();
        break;
    default:
        break;
    }
}

// Rows the user inserts.

void Level1View::InsertSymbols(const std::vector<CString>& symbols)
{
    m_grid.SetGridRedraw(false);
    for (const CString& symbol : symbols)
        m_grid.InsertRow(symbol, nullptr, 1);
    m_grid.SetGridRedraw(true);
    UpdateTitle();
}

void Level1View::AskSymbols(const CString& start)
{
    SymbolEntryDialog dlg(start.IsEmpty() ? TRUE : FALSE, this);
    dlg.SetSymbol(start);
    if (dlg.DoModal() == IDOK)
        InsertSymbols(SplitSymbols(dlg.GetSymbol()));
}

void Level1View::OnGridCharTyped(char c)
{
    AskSymbols(CString(c, 1));
}

CString Level1View::GetSymbolsText() const
{
    return JoinSymbols(const_cast<CListCtrlEx&>(m_grid).GetRowSymbols());
}

bool Level1View::SaveSymbolList(const CString& path)
{
    CString error;
    if (!WriteSymbolList(path, m_grid.GetRowSymbols(), error)) {
        Tell(error);
        return false;
    }
    return true;
}

bool Level1View::ExportData(const CString& path)
{
    return ExportData(path, ExportSeparatorForPath(path));
}

bool Level1View::ExportData(const CString& path, char separator)
{
    std::vector<CString> header;
    const int count = m_grid.GetColumnCount();
    std::vector<int> order(static_cast<size_t>(count));
    if (count > 0)
        m_grid.GetColumnOrderArray(order.data(), count);
    for (int column : order)
        if (const CGridColumn* c = m_grid.ColumnAt(column))
            header.push_back(c->HeaderText());
    std::vector<std::vector<CString>> rows;
    for (int row = 0; row < m_grid.GetItemCount(); ++row) {
        std::vector<CString> cells;
        for (int column : order)
            cells.push_back(m_grid.GetCellText(row, column));
        rows.push_back(std::move(cells));
    }
    CString error;
    if (!WriteExportFile(path, separator, header, rows, error)) {
        Tell(error);
        return false;
    }
    const CAppSettings* settings = CAppSettings::Instance();
    if (settings && settings->m_bViewExportData)
        ShellOpenFile(path);
    return true;
}

void Level1View::SetGridLines(bool on)
{
    m_bGridLines = on;
    m_grid.SetGridLines(on);
}

bool Level1View::AddColumn(UINT command, int afterListColumn)
{
    CGridColumn column;
    if (command >= ID_ADD_COLUMN_FIRST && command < ID_ADD_CUSTOM_FIELD_FIRST) {
        column = MakeCatalogueColumn(static_cast<int>(command - ID_ADD_COLUMN_FIRST));
    } else if (command >= ID_ADD_CUSTOM_FIELD_FIRST && command <= ID_ADD_COLUMN_LAST) {
        const bool colorField = command >= ID_ADD_COLOR_FIELD_FIRST;
        const size_t index = command - (colorField ? ID_ADD_COLOR_FIELD_FIRST : ID_ADD_CUSTOM_FIELD_FIRST);
        const CAppSettings* settings = CAppSettings::Instance();
        CCustomColumnLists lists;
        if (!settings || !LoadCustomColumns(*settings, lists))
            return false;
        const auto& list = lists[colorField ? kColorFields : kCustomFields];
        if (index >= list.size())
            return false;
        const CCustomColumn& definition = list[index];
        column = colorField ? MakeColorFieldColumn(definition.m_name, definition.m_text, definition.m_value,
                                                   definition.m_rules)
                            : MakeCustomFieldColumn(definition.m_name, definition.m_text);
    } else {
        return false;
    }
    return m_grid.InsertGridColumnAfter(afterListColumn, DefaultColumnWidth(m_grid, m_nMode, column), column) >= 0;
}

// Layouts.

CString Level1View::LayoutPath(int mode)
{
    const CAppSettings* settings = CAppSettings::Instance();
    const char* name = "default.lil";
    if (mode == kModePositions)
        name = "Positions.lil";
    else if (mode == kModeActives)
        name = "Actives.lil";
    else if (mode == kModeOptionChain)
        name = "OptionChains.lil";
    const CString folder = settings ? settings->GetFilePath("Layouts") : CString("Layouts");
    return folder + "/" + name;
}

void Level1View::ApplyBuiltInLayout(int mode)
{
    std::vector<CLayoutColumn> columns;
    for (int id : BuiltInColumns(mode)) {
        const CGridColumn column = MakeCatalogueColumn(id);
        columns.push_back({column, DefaultColumnWidth(m_grid, mode, column)});
    }
    m_grid.ApplyLayout(columns);
}

void Level1View::ApplyDefaultLayout(int mode)
{
    std::error_code ec;
    if (std::filesystem::exists(LayoutPath(mode).GetString(), ec))
        LoadColumnLayout(LayoutPath(mode));
    else
        ApplyBuiltInLayout(mode);
}

bool Level1View::LoadColumnLayout(const CString& path)
{
    std::vector<CLayoutColumn> columns;
    CString message;
    const ELayoutRead result = ReadLayoutFile(path, columns, message);
    if (result == ELayoutRead::kCannotOpen || result == ELayoutRead::kIncompatible) {
        Tell(message);
        return false;
    }
    m_grid.ApplyLayout(columns); // a damaged file keeps the columns before the damage
    if (result == ELayoutRead::kDamaged) {
        Tell(message);
        return false;
    }
    return true;
}

bool Level1View::SaveColumnLayout(const CString& path)
{
    CString message;
    if (!WriteLayoutFile(path, m_grid.GetLayout(), message)) {
        Tell(message);
        return false;
    }
    return true;
}

void Level1View::SetLayoutAsDefault()
{
    const int mode = m_nMode == kModePositions || m_nMode == kModeActives || m_nMode == kModeOptionChain ? m_nMode
                                                                                                         : kModeNone;
    const CString path = LayoutPath(mode);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path.GetString()).parent_path(), ec);
    SaveColumnLayout(path);
}

// Screener.

void Level1View::StartScreener(const CString& symbols, const CString& formula)
{
    const CAppSettings* settings = CAppSettings::Instance();
    CScreenerTimes times = m_screenerTimes;
    if (settings)
        times.interval = std::chrono::seconds(std::max(settings->m_nScreenerInterval, 1));
    m_screener.SetTimes(times);
    m_screener.Start(symbols, formula, settings ? settings->m_formulaInterval : CString("D"),
                     settings && settings->m_bExtSessionFormulas);
    UpdateTitle();
}

void Level1View::StopScreener(bool restore)
{
    if (!m_screener.IsRunning())
        return;
    const bool portfolio = m_nMode == kModePortfolio;
    m_screener.Stop(restore && !portfolio);
    UpdateTitle();
    if (portfolio && restore)
        ShowPortfolioByName(m_parameter);
}

void Level1View::OnScreenerSymbols(std::vector<CString> symbols)
{
    ::PostMessage(m_grid.m_hWnd, WM_GRID_SYMBOLS, 0, 0, MakePayload<std::vector<CString>>(std::move(symbols)));
}

void Level1View::OnScreenerProgress()
{
    ::PostMessage(m_hWnd, WM_SCREENER_CHANGED);
}

LRESULT Level1View::OnScreenerChanged(WPARAM, LPARAM)
{
    UpdateTitle();
    CString failures;
    if (m_screener.TakeFailureNotice(failures))
        if (IWorkstationFrame* frame = GetWorkstationFrame())
            frame->SetMessageText(failures);
    return 0;
}

// Messages of the sources.

LRESULT Level1View::OnActivesChanged(WPARAM, LPARAM)
{
    if (!m_actives)
        return 0;
    m_actives->TakeSnapshot();
    std::vector<CString> symbols;
    CString symbol;
    for (int i = 0; m_actives->GetSymbol(i, symbol); ++i)
        symbols.push_back(symbol);
    if (m_screener.IsRunning()) {
        const CString formula = m_screener.GetFormula();
        m_screener.Stop(false);
        StartScreener(JoinSymbols(symbols), formula);
    } else {
        m_grid.SyncRows(symbols);
    }
    return 0;
}

LRESULT Level1View::OnPositionsChanged(WPARAM, LPARAM)
{
    if (m_nMode == kModePositions)
        RefreshPositions();
    return 0;
}

LRESULT Level1View::OnWatchListsChanged(WPARAM, LPARAM)
{
    if (m_nMode == kModeWatchList)
        RefreshWatchList();
    return 0;
}

LRESULT Level1View::OnSetSymbol(WPARAM group, LPARAM message)
{
    const auto* msg = reinterpret_cast<const CSymbolIntervalMsg*>(message);
    CCommonDoc* doc = GetCommonDoc();
    if (!msg || msg->symbol.IsEmpty())
        return 0;
    if (doc && !doc->GetLinkState().AcceptsSymbolGroup(static_cast<int>(static_cast<LONG_PTR>(group))))
        return 0;
    // Rows hold symbols: a new interval for the symbol the tool bar shows is none to add.
    if (msg->intervalChange)
        return 1;
    CString symbol = msg->symbol;
    symbol.Trim();
    symbol.MakeUpper();
    // Rows rebuilt from a source keep one row per symbol: a symbol shown already is not
    // appended again.
    if (IsSourceMode()) {
        const std::vector<CString> shown = m_grid.GetRowSymbols();
        if (std::find(shown.begin(), shown.end(), symbol) != shown.end())
            return 1;
    }
    m_grid.InsertRow(msg->symbol, nullptr, 1);
    const int last = m_grid.GetItemCount() - 1;
    if (last >= 0)
        m_grid.SetItemState(last, 0, LVIS_SELECTED);
    UpdateTitle();
    return 1;
}

bool Level1View::IsSourceMode() const
{
    switch (m_nMode) {
    case kModeSymbolSet:
    case kModeOptionChain:
    case kModeActives:
    case kModePositions:
    case kModeWatchList:
        return true;
    default:
        return m_screener.IsRunning();
    }
}

// Workspace.

BOOL Level1View::SaveToWorkspace(CArchive& ar)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CLevel1Record record;
    record.columns = m_grid.GetLayout();
    const int sorted = m_grid.GetSortColumn();
    record.sortColumn = sorted >= 0 ? m_grid.DisplayPositionOf(sorted) : -1;
    record.ascending = m_grid.IsSortAscending() ? 1 : 0;
    record.userTitle = m_userTitle;
    record.gridLines = m_bGridLines ? 1 : 0;
    record.mode = m_nMode;
    record.parameter = m_parameter;
    record.screener = m_screener.IsRunning();
    record.screenerSymbols = m_screener.GetSymbols();
    record.screenerFormula = m_screener.GetFormula();
    for (int i = 0; i < m_grid.GetItemCount(); ++i)
        if (const CGridRow* row = m_grid.RowAt(i); row && !row->IsTotals() && row->Tag() == 1)
            record.userRows.push_back(row->Symbol());
    return SucceedsWithoutException([&] { return WriteLevel1Record(ar, record, doc->GetLinkState()); }) ? TRUE : FALSE;
}

BOOL Level1View::LoadFromWorkspace(CArchive& ar, DWORD version)
{
    CCommonDoc* doc = GetCommonDoc();
    if (!doc)
        return FALSE;
    CLevel1Record record;
    if (!SucceedsWithoutException([&] { return ReadLevel1Record(ar, version, record, doc->GetLinkState()); }))
        return FALSE;
    doc->UpdateLinkButtons();
    m_grid.ApplyLayout(record.columns);
    if (record.sortColumn >= 0 && record.sortColumn < m_grid.GetColumnCount())
        m_grid.SetSortColumn(record.sortColumn, record.ascending != 0);
    m_userTitle = record.userTitle;
    SetGridLines(record.gridLines != 0);
    switch (record.mode) {
    case kModePortfolio:
        if (record.legacyCommandId)
            ShowPortfolio(static_cast<int>(record.legacyCommandId) - static_cast<int>(ID_PORTFOLIO_FIRST));
        else
            ShowPortfolioByName(record.parameter);
        break;
    case kModeSymbolSet: {
        const CString name = record.legacyCommandId ? SymbolSetNameOf(record.legacyCommandId) : record.parameter;
        if (!name.IsEmpty())
            ShowSymbolSet(name);
        break;
    }
    case kModeOptionChain:
        ShowOptionChain(record.parameter);
        break;
    case kModeActives:
        ShowActives(record.parameter);
        break;
    case kModeSymbolList:
        if (!record.parameter.IsEmpty() && std::filesystem::exists(record.parameter.GetString()))
            LoadSymbolList(record.parameter);
        break;
    case kModePositions:
        ShowPositions();
        break;
    case kModeWatchList:
        ShowWatchList(record.parameter);
        break;
    default:
        break;
    }
    if (record.screener)
        StartScreener(record.screenerSymbols, record.screenerFormula);
    InsertSymbols(record.userRows);
    UpdateTitle();
    return TRUE;
}

// Appearance.

void Level1View::SetListFont(const CFontInfo& font, COLORREF textColor)
{
    m_grid.SetGridFont(font, textColor);
}

void Level1View::SetListColors(const std::array<COLORREF, 8>& colors)
{
    const CAppSettings* settings = CAppSettings::Instance();
    m_grid.SetGridColors(colors, settings ? settings->m_nStripeInterval : 0);
}

// Menus.

CString Level1View::SymbolSetNameOf(UINT command) const
{
    const CAppSettings* settings = CAppSettings::Instance();
    if (!settings)
        return CString();
    UINT id = ID_SYMBOL_SET_FIRST;
    for (const CSymbolSetGroup& group : settings->m_symbolSetGroups)
        for (const CString& name : group.names) {
            if (id > ID_SYMBOL_SET_LAST)
                return CString();
            if (id++ == command)
                return name;
        }
    return CString();
}

CString Level1View::WatchListNameOf(UINT command) const
{
    const std::vector<CString> names = WatchListNames();
    const size_t index = command - ID_WATCH_LIST_FIRST;
    return index < names.size() ? names[index] : CString();
}

void Level1View::OnInitFrameMenu(CMenu* popup)
{
    if (!popup)
        return;
    const CAppSettings* settings = CAppSettings::Instance();
    if (CMenu* lists = FindPopupByTitle(*popup, "&Watch Lists")) {
        std::vector<CString> names;
        CPortfolioList portfolios;
        if (settings && LoadPortfolios(*settings, portfolios))
            for (const CPortfolio& portfolio : portfolios)
                names.push_back(portfolio.name);
        FillListPopup(*lists, names, ID_PORTFOLIO_FIRST, ID_PORTFOLIO_LAST);
    }
    if (CMenu* web = FindPopupByTitle(*popup, "We&b Watch Lists"))
        FillListPopup(*web, WatchListNames(), ID_WATCH_LIST_FIRST, ID_WATCH_LIST_LAST);
    if (CMenu* sets = FindPopupByTitle(*popup, "S&ymbol Sets")) {
        AdoptSessionIndustryGroups();
        FillSymbolSetPopup(*sets, settings ? settings->m_symbolSetGroups : std::vector<CSymbolSetGroup>(),
                           ID_SYMBOL_SET_FIRST, ID_SYMBOL_SET_LAST);
    }
    if (CMenu* custom = FindPopupByTitle(*popup, "&Custom Fields"))
        FillListPopup(*custom, CustomColumnNames(kCustomFields), ID_ADD_CUSTOM_FIELD_FIRST,
                      ID_ADD_CUSTOM_FIELD_FIRST + kMaxCustomColumnsPerKind - 1);
    if (CMenu* color = FindPopupByTitle(*popup, "C&olor Fields"))
        FillListPopup(*color, CustomColumnNames(kColorFields), ID_ADD_COLOR_FIELD_FIRST,
                      ID_ADD_COLOR_FIELD_FIRST + kMaxCustomColumnsPerKind - 1);
}

// Commands.

CString Level1View::ChooseFile(bool open, const char* folder, const char* filter, const char* extension)
{
    CFileDialog dialog(open ? TRUE : FALSE, extension, nullptr,
                       open ? (OFN_HIDEREADONLY | OFN_FILEMUSTEXIST) : (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT), filter,
                       this);
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        dialog.m_request.initialDir = settings->GetFilePath(folder);
        std::error_code ec;
        std::filesystem::create_directories(dialog.m_request.initialDir.GetString(), ec);
    }
    return dialog.DoModal() == IDOK ? dialog.GetPathName() : CString();
}

void Level1View::OnPositions()
{
    ShowPositions();
}

void Level1View::OnPortfolio(UINT id)
{
    ShowPortfolio(static_cast<int>(id - ID_PORTFOLIO_FIRST));
}

void Level1View::OnSymbolSet(UINT id)
{
    const CString name = SymbolSetNameOf(id);
    if (!name.IsEmpty())
        ShowSymbolSet(name);
}

void Level1View::OnWatchList(UINT id)
{
    const CString name = WatchListNameOf(id);
    if (!name.IsEmpty())
        ShowWatchList(name);
}

void Level1View::OnOptionChains()
{
    COptionChainsDlg dlg(m_nMode == kModeOptionChain ? m_parameter : CString(), this);
    if (dlg.DoModal() == IDOK)
        ShowOptionChain(dlg.BuildDefinition());
}

void Level1View::OnActives()
{
    CActivesDlg dlg(m_actives.get(), this);
    if (dlg.DoModal() == IDOK && !dlg.GetKey().IsEmpty())
        ShowActives(dlg.GetKey());
}

void Level1View::OnLoadSymbols()
{
    const CString path = ChooseFile(true, "Symbols", "Symbol List Files (*.sym)|*.sym||", "sym");
    if (!path.IsEmpty())
        LoadSymbolList(path);
}

void Level1View::OnMarketStatistics()
{
    const CString path = ChooseFile(true, "MarketStats", "Symbol List Files (*.sym)|*.sym||", "sym");
    if (!path.IsEmpty())
        LoadSymbolList(path);
}

void Level1View::OnSaveSymbols()
{
    const CString path = ChooseFile(false, "Symbols", "Symbol List Files (*.sym)|*.sym||", "sym");
    if (!path.IsEmpty())
        SaveSymbolList(path);
}

void Level1View::OnInsertSymbols()
{
    AskSymbols(CString());
}

void Level1View::OnInsertTotal()
{
    m_grid.InsertTotalsRow();
}

void Level1View::OnRemoveAll()
{
    RemoveAll();
}

void Level1View::OnCopySymbols()
{
    SetClipboardText(GetSymbolsText());
}

void Level1View::OnExport()
{
    CExportTarget target;
    if (ChooseExportFile(this, target))
        ExportData(target.path, target.separator);
}

void Level1View::OnGrid()
{
    SetGridLines(!m_bGridLines);
}

void Level1View::OnUpdateGrid(CCmdUI* ui)
{
    ui->SetCheck(m_bGridLines ? 1 : 0);
}

void Level1View::OnEditTitle()
{
    CEnterTitleDlg dlg("Edit Title", "Title:", m_userTitle, this);
    if (dlg.DoModal() == IDOK)
        SetUserTitle(dlg.m_text);
}

void Level1View::OnAddColumn(UINT id)
{
    AddColumn(id, -1);
}

void Level1View::OnCustomFieldWizard()
{
    CColumnWizardDlg dlg(kCustomFields, this);
    dlg.DoModal();
}

void Level1View::OnColorFieldWizard()
{
    CColumnWizardDlg dlg(kColorFields, this);
    dlg.DoModal();
}

void Level1View::OnLoadLayout()
{
    const CString path = ChooseFile(true, "Layouts", "Level I Layout Files (*.lil)|*.lil||", "lil");
    if (!path.IsEmpty())
        LoadColumnLayout(path);
}

void Level1View::OnSaveLayout()
{
    const CString path = ChooseFile(false, "Layouts", "Level I Layout Files (*.lil)|*.lil||", "lil");
    if (!path.IsEmpty())
        SaveColumnLayout(path);
}

void Level1View::OnDefaultLayout()
{
    SetLayoutAsDefault();
}

void Level1View::OnAddScreener()
{
    CString symbols = GetSymbolsText();
    CString formula;
    if (RunScreenerWizard(this, symbols, formula))
        StartScreener(symbols, formula);
}

void Level1View::OnEditScreener()
{
    CString symbols = m_screener.GetSymbols();
    CString formula = m_screener.GetFormula();
    if (!RunScreenerWizard(this, symbols, formula))
        return;
    StopScreener(false);
    StartScreener(symbols, formula);
}

void Level1View::OnPauseScreener()
{
    m_screener.SetPaused(!m_screener.IsPaused());
}

void Level1View::OnRemoveScreener()
{
    StopScreener(false);
}

void Level1View::OnUpdateAddScreener(CCmdUI* ui)
{
    ui->Enable(!m_screener.IsRunning());
}

void Level1View::OnUpdateRunningScreener(CCmdUI* ui)
{
    ui->Enable(m_screener.IsRunning());
}

void Level1View::OnUpdatePauseScreener(CCmdUI* ui)
{
    ui->Enable(m_screener.IsRunning());
    ui->SetCheck(m_screener.IsPaused() ? 1 : 0);
}

void Level1View::OnEndLabelEdit(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMLVDISPINFO*>(header);
    *result = FALSE;
    if (!info->item.pszText)
        return;
    CString text = info->item.pszText;
    text.Trim();
    const CGridRow* row = m_grid.RowAt(info->item.iItem);
    if (text.IsEmpty() || !row || row->IsTotals())
        return;
    const int index = info->item.iItem;
    m_grid.SetGridRedraw(false);
    m_grid.DeleteRow(index);
    m_grid.InsertRow(text, nullptr, 1, index);
    m_grid.SetGridRedraw(true);
    UpdateTitle();
}

// Drag of a row.

void Level1View::OnBeginDrag(NMHDR* header, LRESULT* result)
{
    const auto* info = reinterpret_cast<const NMLISTVIEW*>(header);
    *result = 0;
    const CGridRow* row = m_grid.RowAt(info->iItem);
    if (!row || row->IsTotals())
        return;
    m_bDragging = true;
    m_nDragRow = info->iItem;
    SetCapture();
    SetWindowCursor(IDC_HAND);
}

void Level1View::OnMouseMove(UINT flags, CPoint point)
{
    CView::OnMouseMove(flags, point);
}

void Level1View::OnLButtonUp(UINT flags, CPoint point)
{
    if (!m_bDragging) {
        CView::OnLButtonUp(flags, point);
        return;
    }
    ReleaseCapture();
    SetWindowCursor(IDC_ARROW);
    CPoint screen = point;
    ClientToScreen(&screen);
    EndDrag(screen);
}

void Level1View::EndDrag(CPoint screen)
{
    m_bDragging = false;
    const CString symbol = m_grid.GetRowSymbol(m_nDragRow);
    if (symbol.IsEmpty())
        return;
    // The Level I grid or the view under the point.
    CWnd* target = CWnd::WindowFromPoint(screen);
    CListCtrlEx* grid = nullptr;
    CView* view = nullptr;
    for (CWnd* w = target; w && !grid && !view; w = w->GetParent()) {
        grid = dynamic_cast<CListCtrlEx*>(w);
        if (!grid)
            view = dynamic_cast<CView*>(w);
    }
    if (grid) {
        CPoint client = screen;
        grid->ScreenToClient(&client);
        int index = grid->HitTest(client);
        if (index < 0)
            index = grid->GetItemCount();
        if (grid == &m_grid) {
            m_grid.MoveRow(m_nDragRow, index);
        } else if (auto* other = dynamic_cast<Level1View*>(grid->GetParent())) {
            other->Grid().InsertRow(symbol, nullptr, 1, index);
            other->UpdateTitle();
        }
    } else if (view && view != this) {
        CSymbolIntervalMsg msg{symbol, CString(), false};
        view->SendMessage(WM_SET_SYMBOL_INTERVAL, static_cast<WPARAM>(kLinkBroadcastAll),
                          reinterpret_cast<LPARAM>(&msg));
    }
    m_nDragRow = -1;
}

// Printing.

BOOL Level1View::OnPreparePrinting(CPrintInfo* info)
{
    m_grid.StoreCellTexts();
    return m_printer.PreparePrinting(info, this, &m_grid);
}

void Level1View::OnBeginPrinting(CDC* dc, CPrintInfo* info)
{
    m_printer.BeginPrinting(dc, info, ComposeTitle(), CTime::GetCurrentTime().Format("%m/%d/%Y %H:%M:%S"));
}

void Level1View::OnPrint(CDC* dc, CPrintInfo* info)
{
    m_printer.PrintPage(dc, info);
}

void Level1View::OnEndPrinting(CDC* dc, CPrintInfo* info)
{
    m_printer.EndPrinting(dc, info);
}

const CMessageMap& Level1View::GetMessageMap() const
{
    static const CMessageMap map =
        MessageMapFor<Level1View>(CView::GetMessageMap())
            .Command(ID_L1_POSITIONS, &Level1View::OnPositions)
            .CommandRange(ID_PORTFOLIO_FIRST, ID_PORTFOLIO_LAST, &Level1View::OnPortfolio)
            .CommandRange(ID_SYMBOL_SET_FIRST, ID_SYMBOL_SET_LAST, &Level1View::OnSymbolSet)
            .CommandRange(ID_WATCH_LIST_FIRST, ID_WATCH_LIST_LAST, &Level1View::OnWatchList)
            .Command(ID_L1_OPTION_CHAINS, &Level1View::OnOptionChains)
            .Command(ID_L1_ACTIVES, &Level1View::OnActives)
            .Command(ID_L1_LOAD_SYMBOLS, &Level1View::OnLoadSymbols)
            .Command(ID_L1_MARKET_STATS, &Level1View::OnMarketStatistics)
            .Command(ID_L1_SAVE_SYMBOLS, &Level1View::OnSaveSymbols)
            .Command(ID_L1_INSERT_SYMBOLS, &Level1View::OnInsertSymbols)
            .Command(ID_L1_INSERT_TOTAL, &Level1View::OnInsertTotal)
            .Command(ID_L1_REMOVE_ALL, &Level1View::OnRemoveAll)
            .Command(ID_L1_COPY_SYMBOLS, &Level1View::OnCopySymbols)
            .Command(ID_L1_EXPORT, &Level1View::OnExport)
            .Command(ID_L1_GRID, &Level1View::OnGrid)
            .UpdateUI(ID_L1_GRID, &Level1View::OnUpdateGrid)
            .Command(ID_L1_EDIT_TITLE, &Level1View::OnEditTitle)
            .CommandRange(ID_ADD_COLUMN_FIRST, ID_ADD_COLUMN_LAST, &Level1View::OnAddColumn)
            .Command(ID_L1_CUSTOM_WIZARD, &Level1View::OnCustomFieldWizard)
            .Command(ID_L1_COLOR_WIZARD, &Level1View::OnColorFieldWizard)
            .Command(ID_L1_LOAD_LAYOUT, &Level1View::OnLoadLayout)
            .Command(ID_L1_SAVE_LAYOUT, &Level1View::OnSaveLayout)
            .Command(ID_L1_DEFAULT_LAYOUT, &Level1View::OnDefaultLayout)
            .Command(ID_L1_ADD_SCREENER, &Level1View::OnAddScreener)
            .Command(ID_L1_EDIT_SCREENER, &Level1View::OnEditScreener)
            .Command(ID_L1_PAUSE_SCREENER, &Level1View::OnPauseScreener)
            .Command(ID_L1_REMOVE_SCREENER, &Level1View::OnRemoveScreener)
            .UpdateUI(ID_L1_ADD_SCREENER, &Level1View::OnUpdateAddScreener)
            .UpdateUI(ID_L1_EDIT_SCREENER, &Level1View::OnUpdateRunningScreener)
            .UpdateUI(ID_L1_REMOVE_SCREENER, &Level1View::OnUpdateRunningScreener)
            .UpdateUI(ID_L1_PAUSE_SCREENER, &Level1View::OnUpdatePauseScreener)
            .Notify(LVN_ENDLABELEDIT, IDC_QUOTE_GRID, &Level1View::OnEndLabelEdit)
            .Notify(LVN_BEGINDRAG, IDC_QUOTE_GRID, &Level1View::OnBeginDrag)
            .Message(WM_SET_SYMBOL_INTERVAL, &Level1View::OnSetSymbol)
            .Message(WM_ACTIVES_SYMBOLS, &Level1View::OnActivesChanged)
            .Message(WM_POSITIONS_CHANGED, &Level1View::OnPositionsChanged)
            .Message(WM_WATCH_LISTS_CHANGED, &Level1View::OnWatchListsChanged)
            .Message(WM_SCREENER_CHANGED, &Level1View::OnScreenerChanged)
            .Build();
    return map;
}
