// "Watch List Manager": the local portfolios and their positions. Every command takes
// effect at once in the settings' portfolios.
#pragma once

#include "platform/ui/CDialog.h"
#include "platform/ui/CListCtrl.h"
#include "views/CPortfolio.h"

class CListBox;

class EditPortfolioDlg : public CDialog {
public:
    explicit EditPortfolioDlg(CWnd* parent = nullptr);

    // False when the settings' portfolios are damaged (the user was told).
    bool IsLoaded() const { return m_bLoaded; }
    const CPortfolioList& Portfolios() const { return m_portfolios; }

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override { OnOK(); }
    const CMessageMap& GetMessageMap() const override;

    // Commands. The name and position forms are asked for by the dialogs; the Named and
    // With variants do the work with given values.
    void OnAddPortfolio();
    void OnRenamePortfolio();
    void AddPortfolioNamed(const CString& name);
    void RenamePortfolio(const CString& name);
    void OnDeletePortfolio();
    void OnPortfolioUp();
    void OnPortfolioDown();
    void OnSelectPortfolio();
    void OnAddPosition();
    void OnEditPosition();
    void AddPositionWith(const CPortfolioPosition& position);
    void EditPositionWith(const CPortfolioPosition& position);
    void OnDeletePosition();
    void OnPositionUp();
    void OnPositionDown();
    void OnPositionDoubleClick(NMHDR* header, LRESULT* result);

    int SelectedPortfolio() const;
    int SelectedPosition() const;
    void SelectPortfolio(int index);
    void SelectPosition(int index);

private:
    CListBox* PortfolioList() const;
    CPortfolio* Current();
    bool NeedPortfolio();
    bool NeedPosition();
    void FillPortfolios(int select);
    void FillPositions(int select);
    void SetRow(int row, const CPortfolioPosition& p);
    void Store();

    CListCtrl m_positions;
    CPortfolioList m_portfolios;
    bool m_bLoaded = false;
};

// The row texts of a position: symbol, "%d" shares, price, side, "%.2lf" fee, date,
// "%d" multiplier, comments.
std::vector<CString> PositionRowTexts(const CPortfolioPosition& position);
// Runs the Watch List Manager modally (the application's command).
void RunWatchListManager(CWnd* parent);
