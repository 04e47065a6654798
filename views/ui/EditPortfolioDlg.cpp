#include "views/ui/EditPortfolioDlg.h"

#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"
#include "common/windows/CEnterNameDlg.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CListBox.h"
#include "views/ui/CSymbolSettingsDlg.h"
#include "views/ui/Level1Ids.h"

#include <utility>

namespace {

constexpr UINT kPortfolioList = 1016;
constexpr UINT kPositionList = 1007;

struct ColumnSpec {
    const char* title;
    int width; // dialog units
};
constexpr ColumnSpec kColumns[] = {{"Symbol", 50}, {"# Shares", 45}, {"Price", 55},    {"Side", 40},
                                   {"Fee", 45},    {"Date", 75},     {"Multiplier", 30}, {"Comments", 75}};

} // namespace

std::vector<CString> PositionRowTexts(const CPortfolioPosition& p)
{
    CString shares, fee, multiplier;
    shares.Format("%d", p.shares);
    fee.Format("%.2lf", p.fee);
    multiplier.Format("%d", p.multiplier);
    return {p.symbol, shares, FormatTrimmedDouble(p.basePrice), p.IsShort() ? "Short" : "Long",
            fee,      p.date, multiplier,                        p.comments};
}

EditPortfolioDlg::EditPortfolioDlg(CWnd* parent) : CDialog(IDD_WATCH_LIST_MANAGER, parent)
{
    if (const CAppSettings* settings = CAppSettings::Instance()) {
        CString error;
        m_bLoaded = LoadPortfolios(*settings, m_portfolios, &error);
        if (!m_bLoaded && settings->GetNotifier())
            settings->GetNotifier()->Notify(error);
    }
}

BOOL EditPortfolioDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CDataExchange dx(this, FALSE);
    DDX_Control(&dx, kPositionList, m_positions);
    m_positions.SetExtendedStyle(m_positions.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
        m_positions.InsertColumn(i, kColumns[i].title, LVCFMT_LEFT, kColumns[i].width * 3 / 2);
    FillPortfolios(0);
    return TRUE;
}

CListBox* EditPortfolioDlg::PortfolioList() const
{
    return static_cast<CListBox*>(GetDlgItem(kPortfolioList));
}

int EditPortfolioDlg::SelectedPortfolio() const
{
    const CListBox* list = PortfolioList();
    const int index = list ? list->GetCurSel() : -1;
    return index >= 0 && index < static_cast<int>(m_portfolios.size()) ? index : -1;
}

int EditPortfolioDlg::SelectedPosition() const
{
    return m_positions.m_hWnd ? m_positions.GetNextItem(-1, LVNI_SELECTED) : -1;
}

CPortfolio* EditPortfolioDlg::Current()
{
    const int index = SelectedPortfolio();
    return index < 0 ? nullptr : &m_portfolios[static_cast<size_t>(index)];
}

void EditPortfolioDlg::SelectPortfolio(int index)
{
    if (CListBox* list = PortfolioList())
        list->SetCurSel(index);
    FillPositions(0);
}

void EditPortfolioDlg::SelectPosition(int index)
{
    if (index >= 0 && index < m_positions.GetItemCount())
        m_positions.SetItemState(index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool EditPortfolioDlg::NeedPortfolio()
{
    if (Current())
        return true;
    MessageBox("Please select a portfolio", nullptr, MB_OK);
    return false;
}

bool EditPortfolioDlg::NeedPosition()
{
    if (!NeedPortfolio())
        return false;
    const int row = SelectedPosition();
    if (row >= 0 && row < static_cast<int>(Current()->positions.size()))
        return true;
    MessageBox("Please select a symbol", nullptr, MB_OK);
    return false;
}

void EditPortfolioDlg::Store()
{
    if (CAppSettings* settings = CAppSettings::Instance(); settings && m_bLoaded)
        StorePortfolios(*settings, m_portfolios);
}

void EditPortfolioDlg::FillPortfolios(int select)
{
    CListBox* list = PortfolioList();
    if (!list)
        return;
    list->ResetContent();
    for (const CPortfolio& portfolio : m_portfolios)
        list->AddString(portfolio.name);
    if (!m_portfolios.empty())
        list->SetCurSel(std::clamp(select, 0, static_cast<int>(m_portfolios.size()) - 1));
    FillPositions(0);
}

void EditPortfolioDlg::SetRow(int row, const CPortfolioPosition& p)
{
    const std::vector<CString> texts = PositionRowTexts(p);
    for (int c = 0; c < static_cast<int>(texts.size()); ++c)
        m_positions.SetItemText(row, c, texts[static_cast<size_t>(c)]);
}

void EditPortfolioDlg::FillPositions(int select)
{
    if (!m_positions.m_hWnd)
        return;
    m_positions.DeleteAllItems();
    const CPortfolio* portfolio = Current();
    if (!portfolio)
        return;
    for (size_t i = 0; i < portfolio->positions.size(); ++i) {
        m_positions.InsertItem(static_cast<int>(i), portfolio->positions[i].symbol);
        SetRow(static_cast<int>(i), portfolio->positions[i]);
    }
    SelectPosition(select);
}

void EditPortfolioDlg::AddPortfolioNamed(const CString& text)
{
    CString name = text;
    if (!TrimAndTest(name))
        return;
    m_portfolios.push_back({name, {}});
    Store();
    FillPortfolios(static_cast<int>(m_portfolios.size()) - 1);
}

void EditPortfolioDlg::OnAddPortfolio()
{
    CEnterNameDlg dlg("", this);
    if (dlg.DoModal() == IDOK)
        AddPortfolioNamed(dlg.m_name);
}

void EditPortfolioDlg::RenamePortfolio(const CString& text)
{
    CPortfolio* portfolio = Current();
    CString name = text;
    if (!portfolio || !TrimAndTest(name))
        return;
    portfolio->name = name;
    Store();
    FillPortfolios(SelectedPortfolio());
}

void EditPortfolioDlg::OnRenamePortfolio()
{
    if (!NeedPortfolio())
        return;
    CEnterNameDlg dlg(Current()->name, this);
    if (dlg.DoModal() == IDOK)
        RenamePortfolio(dlg.m_name);
}

void EditPortfolioDlg::OnDeletePortfolio()
{
    if (!NeedPortfolio())
        return;
    m_portfolios.erase(m_portfolios.begin() + SelectedPortfolio());
    Store();
    FillPortfolios(0);
}

void EditPortfolioDlg::OnPortfolioUp()
{
    if (!NeedPortfolio())
        return;
    const int index = SelectedPortfolio();
    if (index == 0)
        return;
    std::swap(m_portfolios[static_cast<size_t>(index)], m_portfolios[static_cast<size_t>(index - 1)]);
    Store();
    FillPortfolios(index - 1);
}

void EditPortfolioDlg::OnPortfolioDown()
{
    if (!NeedPortfolio())
        return;
    const int index = SelectedPortfolio();
    if (index + 1 >= static_cast<int>(m_portfolios.size()))
        return;
    std::swap(m_portfolios[static_cast<size_t>(index)], m_portfolios[static_cast<size_t>(index + 1)]);
    Store();
    FillPortfolios(index + 1);
}

void EditPortfolioDlg::OnSelectPortfolio()
{
    FillPositions(0);
}

void EditPortfolioDlg::AddPositionWith(const CPortfolioPosition& position)
{
    CPortfolio* portfolio = Current();
    if (!portfolio)
        return;
    portfolio->positions.push_back(position);
    Store();
    FillPositions(static_cast<int>(portfolio->positions.size()) - 1);
}

void EditPortfolioDlg::EditPositionWith(const CPortfolioPosition& position)
{
    CPortfolio* portfolio = Current();
    const int row = SelectedPosition();
    if (!portfolio || row < 0 || row >= static_cast<int>(portfolio->positions.size()))
        return;
    portfolio->positions[static_cast<size_t>(row)] = position;
    Store();
    FillPositions(row);
}

void EditPortfolioDlg::OnAddPosition()
{
    if (!NeedPortfolio())
        return;
    CSymbolSettingsDlg dlg(CPortfolioPosition{}, this);
    if (dlg.DoModal() == IDOK)
        AddPositionWith(dlg.GetPosition());
}

void EditPortfolioDlg::OnEditPosition()
{
    if (!NeedPosition())
        return;
    CSymbolSettingsDlg dlg(Current()->positions[static_cast<size_t>(SelectedPosition())], this);
    if (dlg.DoModal() == IDOK)
        EditPositionWith(dlg.GetPosition());
}

void EditPortfolioDlg::OnPositionDoubleClick(NMHDR*, LRESULT* result)
{
    *result = 0;
    if (SelectedPosition() >= 0)
        OnEditPosition();
}

void EditPortfolioDlg::OnDeletePosition()
{
    if (!NeedPosition())
        return;
    auto& positions = Current()->positions;
    positions.erase(positions.begin() + SelectedPosition());
    Store();
    FillPositions(0);
}

void EditPortfolioDlg::OnPositionUp()
{
    if (!NeedPosition())
        return;
    const int row = SelectedPosition();
    if (row == 0)
        return;
    auto& positions = Current()->positions;
    std::swap(positions[static_cast<size_t>(row)], positions[static_cast<size_t>(row - 1)]);
    Store();
    FillPositions(row - 1);
}

void EditPortfolioDlg::OnPositionDown()
{
    if (!NeedPosition())
        return;
    const int row = SelectedPosition();
    auto& positions = Current()->positions;
    if (row + 1 >= static_cast<int>(positions.size()))
        return;
    std::swap(positions[static_cast<size_t>(row)], positions[static_cast<size_t>(row + 1)]);
    Store();
    FillPositions(row + 1);
}

void EditPortfolioDlg::OnOK()
{
    // Every edit took effect as it was made: portfolios.dat follows as the manager closes.
    CAppSettings* settings = CAppSettings::Instance();
    if (settings && m_bLoaded)
        settings->SavePortfolios();
    EndDialog(IDOK);
}

const CMessageMap& EditPortfolioDlg::GetMessageMap() const
{
    static const CMessageMap map = MessageMapFor<EditPortfolioDlg>(CDialog::GetMessageMap())
                                       .Control(BN_CLICKED, 1019, &EditPortfolioDlg::OnAddPortfolio)
                                       .Control(BN_CLICKED, 1021, &EditPortfolioDlg::OnRenamePortfolio)
                                       .Control(BN_CLICKED, 1020, &EditPortfolioDlg::OnDeletePortfolio)
                                       .Control(BN_CLICKED, 1017, &EditPortfolioDlg::OnPortfolioUp)
                                       .Control(BN_CLICKED, 1018, &EditPortfolioDlg::OnPortfolioDown)
                                       .Control(LBN_SELCHANGE, kPortfolioList, &EditPortfolioDlg::OnSelectPortfolio)
                                       .Control(BN_CLICKED, 1013, &EditPortfolioDlg::OnAddPosition)
                                       .Control(BN_CLICKED, 1027, &EditPortfolioDlg::OnEditPosition)
                                       .Control(BN_CLICKED, 1014, &EditPortfolioDlg::OnDeletePosition)
                                       .Control(BN_CLICKED, 1008, &EditPortfolioDlg::OnPositionUp)
                                       .Control(BN_CLICKED, 1009, &EditPortfolioDlg::OnPositionDown)
                                       .Notify(NM_DBLCLK, kPositionList, &EditPortfolioDlg::OnPositionDoubleClick)
                                       .Build();
    return map;
}

void RunWatchListManager(CWnd* parent)
{
    EditPortfolioDlg dlg(parent);
    if (dlg.IsLoaded())
        dlg.DoModal();
}
