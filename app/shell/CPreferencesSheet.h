// The application's property sheet (with a help button) and its own pages.
#pragma once

#include "platform/ui/CPropertyPage.h"
#include "platform/ui/CPropertySheet.h"

class CAppSettings;

class CPreferencesSheet : public CPropertySheet {
public:
    CPreferencesSheet(const char* title, CWnd* owner);
};

// "Trading Options": integrated trading and the default quantities.
class CTradingOptionsPage : public CPropertyPage {
public:
    explicit CTradingOptionsPage(CAppSettings& settings);
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    BOOL OnApply() override;
    const CMessageMap& GetMessageMap() const override;

    int m_nBroker;
    int m_nStockShares;
    int m_nOptionContracts;
    int m_nFuturesContracts;

private:
    // "Settings": the integrated trading settings of the row chosen in the combo.
    void OnTradingSettings();
    void OnBrokerChanged();

    CAppSettings& m_settings;
};

// "Miscellaneous": save at once, open exported files, extended session, Temp, last
// workspace, recent symbols.
class CMiscOptionsPage : public CPropertyPage {
public:
    explicit CMiscOptionsPage(CAppSettings& settings);
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnApply() override;

    int m_bSaveAtOnce;
    int m_bViewExportData;
    int m_bExtSession;
    int m_bEmptyTemp;
    int m_bOpenLastWorkspace;
    int m_nRecentListSize;

private:
    CAppSettings& m_settings;
};

// Runs the preferences modally; on OK the settings change and the profile is written.
bool RunPreferences(CAppSettings& settings, CWnd* owner);
