// What the formula wizard collects: the mode, the formula or the price condition, the
// symbols or name, the order to place and the sound. The dialog holds one; its callers
// read it after OK and CreateAlertsFromSetup turns it into alerts.
#pragma once

#include "alerts/CAlertTradeInfo.h"
#include "alerts/CreateAlertsFromSetup.h"
#include "platform/core/CString.h"

#include <array>

class CAlert;

// Modes of the formula wizard.
enum EAlertSetupMode : int {
    kSetupAlert = 0,
    kSetupScreener = 1,
    kSetupCustomField = 2,
    kSetupCustomStudy = 3,
    kSetupFormulaWizard = 4,
    kSetupAlertWizard = 5,
};

// Alert types the wizard sets up.
inline constexpr int kSetupTypeNone = -1;
inline constexpr int kSetupTypeBasic = 0;     // price alert
inline constexpr int kSetupTypeAdvanced = 1;  // formula alert

// Parameter texts: the three edits, "N Bars Ago" and "Symbol Override".
enum ESetupParam : int { kParamEdit1 = 0, kParamEdit2, kParamEdit3, kParamBarsAgo, kParamSymbolOverride };

struct CAlertSetup {
    int m_nMode = kSetupAlert;
    CString m_formula;           // the validated formula (type Advanced)
    double m_target = 0;         // price alert target
    int m_nDirection = 0;        // 0 ">=", 1 "<="
    int m_nColumn = 3;           // quote field id of a price alert ("Last")
    int m_nType = kSetupTypeAdvanced;
    CAlertTradeInfo m_tradeInfo{0};
    int m_bExitAlert = 0;        // the exit alert of a strategy: entry quantities allowed
    int m_nCategory = 0;         // function picker: 0 all, 1 quote, 2 technical, 3 option, 4 system
    CString m_soundFile;
    CString m_symbols;           // blank-separated symbols, or the name in modes 2 to 5
    int m_bPlaySound = 1;
    std::array<CString, 5> m_params = {"", "", "", "0", ""};
    int m_bPlaceOrder = 0;
    int m_bConfirmed = 0;        // the wizard closed with OK

    CAlertSetup() = default;
    // Takes what an alert being edited holds: symbol, type, formula or price condition,
    // its order (Place Order on when it has one) and its sound.
    explicit CAlertSetup(const CAlert* alert, int mode = kSetupAlert);
};

// Parses the formula as an alert does; false with the parser's message.
bool ValidateFormulaText(const char* text, CString& error);
