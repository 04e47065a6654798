// The documented menu texts, by command id: those of the shipped menus (by menu resource
// id) and those of the menus windows build or extend when they show them. A popup's text is
// keyed by a command that the popup holds directly.
#pragma once

#include "tests/support/MenuKeys.h"

#include <algorithm>
#include <vector>

namespace qx::testsupport {

// Menu resources.
inline constexpr UINT kMainMenu = 128, kFunctionsMenu = 138, kLevel1RowMenu = 150, kNewsListMenu = 162,
                      kChartMenu = 166, kSnapshotFieldsMenu = 175, kToolMenu = 207, kNoteMenu = 208,
                      kMinimizedNoteMenu = 209, kLevel1Menu = 210, kLevel2Menu = 211, kTimeAndSalesMenu = 213,
                      kBarTableMenu = 214, kNewsMenu = 215, kBacktestMenu = 216, kBrowserMenu = 217,
                      kBalancesMenu = 225, kOrderStatusMenu = 226, kPriceSourceMenu = 237, kAlertsMenu = 250,
                      kSavedOrdersMenu = 251;
// The chart pane's context menu, built when it shows.
inline constexpr UINT kChartPaneMenu = 1;

inline const std::vector<UINT>& MenuBars()
{
    static const std::vector<UINT> bars = {kMainMenu,     kLevel1Menu,      kLevel2Menu,   kTimeAndSalesMenu,
                                           kBarTableMenu, kNewsMenu,        kBacktestMenu, kBrowserMenu,
                                           kBalancesMenu, kOrderStatusMenu, kAlertsMenu,   kSavedOrdersMenu};
    return bars;
}

inline const std::vector<UINT>& ContextMenus()
{
    static const std::vector<UINT> menus = {kFunctionsMenu, kLevel1RowMenu, kNewsListMenu,      kSnapshotFieldsMenu,
                                            kToolMenu,      kNoteMenu,      kMinimizedNoteMenu, kPriceSourceMenu};
    return menus;
}

struct DocumentedEntry {
    UINT command;
    const char* text;
    bool popup = false;
};

struct DocumentedMenu {
    std::vector<UINT> menus;
    std::vector<DocumentedEntry> entries;
    // Added by the window when it shows the menu, not in the resource.
    bool addedByWindow = false;
};

inline constexpr bool kPopup = true;

inline const std::vector<DocumentedMenu>& DocumentedMenus()
{
    static const std::vector<DocumentedMenu> menus = {
        // The main window's commands, in every menu bar that has them.
        {MenuBars(),
         {{33108, "&Balances"}, {33109, "&Order Status"}, {33111, "Alert &Manager"}, {33112, "&Saved Orders"},
          {34376, "&Option Chains"}, {32811, "&Fonts..."}, {32812, "&Colors..."}, {34409, "&Add Alert..."}}},
        // Chart: the frame's menus and the drawing tools' menus.
        {{kChartMenu},
         {{32787, "Study &Manager..."}, {170, "&Volume"}, {34020, "Add &Custom Study", kPopup}, {34020, "None"},
          {34289, "Custom Study &Wizard..."}, {32793, "&Remove All Studies"}, {32798, "Sa&ve Layout..."},
          {32797, "&Load Layout..."}, {32790, "S&et Layout as Default"}, {32791, "Symbol && &Interval..."},
          {50500, "&Curve"}, {34320, "&Color Bar Setup..."}, {34226, "S&trategy Setup..."},
          {34370, "Backtesting &Report"}, {34278, "Cross&hairs"}, {34309, "&Tracking Window"},
          {34310, "Sna&pshot Window"}, {34308, "T&ab Window"}, {34312, "&Go to Date/Time..."},
          {34313, "Export &Image..."}, {57607, "&Print Chart...\tCtrl+P"}, {34286, "Pr&eferences..."},
          {34284, "For &Current Symbol"}, {34285, "For &All Symbols"}}},
        {{kToolMenu, kNoteMenu, kMinimizedNoteMenu}, {{34279, "&Remove"}, {34281, "&Edit..."}}},
        {{kToolMenu},
         {{34280, "&Clone"}, {34220, "&Trade", kPopup}, {34220, "&Buy"}, {34221, "&Sell"}, {34222, "S&ell Short"},
          {34223, "Buy to &Cover"}}},
        {{kNoteMenu}, {{34282, "&Minimize"}}},
        {{kMinimizedNoteMenu}, {{34283, "Re&store"}}},
        {{kChartPaneMenu},
         {{32791, "Symbol && Interval..."}, {32947, "&Add Alert..."}, {34220, "&Trade", kPopup}, {34220, "&Buy"},
          {34221, "&Sell"}, {34222, "S&ell Short"}, {34223, "Buy to &Cover"}, {181, "&Add", kPopup},
          {50211, "&Overlay", kPopup}, {34170, "&Edit", kPopup}, {34190, "&Remove", kPopup},
          {50500, "Style", kPopup}, {50500, "Cur&ve"}, {50501, "&Bar"}, {50502, "&Candle"}, {50503, "Co&lor Bar"},
          {50511, "Thickness", kPopup}, {50511, "Increase"}, {50508, "Decrease"}, {50505, "Price Scale", kPopup},
          {50505, "Auto Scale"}, {50504, "Log Scale"}, {34380, "Date Range", kPopup}, {34380, "Auto"},
          {34381, "1 Day"}, {34382, "2 Days"}, {34383, "1 Week"}, {34384, "2 Weeks"}, {34385, "1 Month"},
          {34386, "3 Months"}, {34387, "6 Months"}, {34388, "1 Year"}, {34320, "Color Bar S&etup..."},
          {34226, "&Strategy Setup..."}, {34370, "Backtesting &Report"}, {34278, "Cross&hairs"},
          {34309, "&Tracking Window"}, {34310, "Sna&pshot Window"}, {34308, "T&ab Window"},
          {34312, "&Go to Date/Time..."}, {34313, "Export &Image..."}, {50019, "&Fonts..."}}},
        // Level I: its menus, the grid's row menu.
        {{kLevel1Menu},
         {{34328, "Level &I", kPopup}, {34328, "&Positions"}, {40000, "&Watch Lists", kPopup}, {40000, "None"},
          {40800, "None"}, {40301, "None"}, {32786, "&Option Chains..."}, {34353, "&Actives..."},
          {32902, "&Load Symbol List..."}, {32903, "&Save Symbol List..."}, {32942, "&Market Statistics"},
          {32904, "&Insert Symbols..."}, {32940, "Insert &Total"}, {32941, "&Remove All"},
          {50050, "&Copy Symbols\tCtrl+C"}, {32789, "Export &Data..."}, {32788, "&Grid"},
          {34306, "&Edit Title..."}, {32943, "&Screener", kPopup}, {32943, "&Add Screener..."},
          {32944, "&Edit Screener..."}, {32945, "&Pause Screener"}, {32946, "&Remove Screener"},
          {34011, "&Columns", kPopup}, {35115, "&Custom Fields", kPopup}, {35115, "None"},
          {35215, "C&olor Fields", kPopup}, {35215, "None"}, {34011, "&Load Column Layout..."},
          {34012, "&Save Column Layout..."}, {34014, "Set Layout As &Default"}}},
        // The grid's header menu: the Columns popup with these on top.
        {{kLevel1Menu}, {{1184, "Column Properties..."}, {1182, "Delete Column"}}, true},
        {{kLevel1RowMenu},
         {{34390, "&Delete"}, {34391, "&Notes..."}, {34392, "&Modify..."}, {34393, "&Add Alert..."},
          {34394, "&Copy"}, {34395, "&Trade", kPopup}, {34395, "&Buy"}, {34396, "&Sell"}, {34397, "S&ell Short"},
          {34398, "Buy to &Cover"}}},
        {{kLevel2Menu},
         {{32977, "&INET Book"}, {32978, "&Auto"}, {32979, "&Level II"}, {32980, "&TotalView"},
          {34307, "&Display MM Log"}, {50144, "&Symbol..."}}},
        {{kTimeAndSalesMenu},
         {{50143, "Time && &Sales", kPopup}, {50143, "&Symbol..."}, {50140, "&Filter..."},
          {34312, "&Go to Date/Time..."}, {50142, "&Export Data..."}, {32773, "&Grid"}, {50126, "&Columns", kPopup},
          {50126, "&Date"}, {50127, "&Time"}, {50128, "&Price"}, {50129, "&Size"}, {50132, "T&ype"},
          {32951, "Set &Layout as Default"}}},
        {{kBarTableMenu},
         {{32952, "&Bar", kPopup}, {32952, "&Symbol && Interval..."}, {32954, "&Export Data..."}, {32950, "&Grid"},
          {32960, "&Columns", kPopup}, {32960, "&Date"}, {32961, "&Time"}, {32962, "&Open"}, {32963, "&High"},
          {32964, "&Low"}, {32965, "&Close"}, {32966, "&Volume"}, {32953, "&Set Layout as Default"}}},
        // News and browser.
        {{kNewsMenu, kNewsListMenu},
         {{40701, "&Hot News"}, {40702, "A&ll News"}, {40703, "&Alert on News"}, {40704, "Set Layout as &Default"},
          {40705, "&Set Symbols..."}, {40706, "&Note"}, {40707, "&Time"}, {40708, "&Symbol"}, {40709, "Sour&ce"},
          {40710, "&Headline"}}},
        {{kBrowserMenu},
         {{32962, "Go &Back"}, {32963, "Go &Forward"}, {32965, "Go &Home"}, {32964, "&Refresh"}, {32966, "&Stop"}}},
        // The account windows.
        {{kBalancesMenu},
         {{34359, "&Balances", kPopup}, {34359, "&Refresh"}, {34360, "&Export Data..."}, {50025, "&Fonts..."},
          {34358, "&Grid"}, {57607, "&Print Balances...\tCtrl+P"}}},
        {{kOrderStatusMenu},
         {{34357, "&Order Status", kPopup}, {34357, "&Refresh"}, {34356, "&Filter..."}, {34355, "&Export Data..."},
          {34319, "&Cancel Open Orders"}, {50026, "F&onts..."}, {34351, "&Grid"}, {34332, "&Columns", kPopup},
          {34332, "&Entered Date"}, {34344, "&Original Quantity"}, {34345, "&Original Price"},
          {34331, "Set &Layout as Default"}, {57607, "&Print Order Status...\tCtrl+P"}}},
        // An order's row menu: the Order Status popup with these on top.
        {{kOrderStatusMenu}, {{34318, "&Update Order..."}, {34317, "&Cancel Order"}}, true},
        {{kSavedOrdersMenu},
         {{34505, "&Saved Orders", kPopup}, {34505, "&Place...\tCtrl+P"}, {34506, "&Edit && Place..."},
          {34507, "&Delete"}, {34508, "Delete &All"}, {34500, "&Refresh"}, {34501, "E&xport Data..."},
          {50029, "&Fonts..."}, {50042, "&Colors..."}, {34502, "&Grid"}, {34510, "&Columns", kPopup},
          {34510, "&Entered Date"}, {34503, "Set &Layout as Default"}, {57607, "&Print Saved Orders..."}}},
        {{kPriceSourceMenu},
         {{33701, "&Manual"}, {33702, "&Bid"}, {33703, "&Ask"}, {33704, "&Last"}, {33705, "&Offset..."}}},
        // Alerts.
        {{kAlertsMenu},
         {{34410, "&Alerts", kPopup}, {34410, "Add &Strategy..."}, {34412, "&Edit (Reset)..."},
          {34411, "&Edit (No Reset)..."}, {34416, "&Delete"}, {34413, "&Pause"}, {34414, "&Resume"},
          {34415, "&Reset"}, {34418, "Delete &Triggered"}, {34417, "Delete &All"}, {34419, "&Pause All"},
          {34420, "&Resume All"}, {34421, "&Reset All"}, {34422, "&Export Data..."}, {34408, "Export &History..."},
          {50028, "&Fonts..."}, {50041, "&Colors..."}, {34423, "&Grid"}, {34425, "&Columns", kPopup},
          {34425, "&Symbol"}, {34426, "&Description"}, {34427, "&Order"}, {34428, "Last &Triggered"},
          {34429, "&Status"}, {34430, "Trade &Account"}, {34424, "Set &Layout as Default"},
          {57607, "&Print Alerts...\tCtrl+P"}}},
        {{kFunctionsMenu},
         {{33711, "Functions", kPopup}, {33711, "All Functions"}, {33712, "Quote Functions"},
          {33713, "Technical Indicators"}, {33714, "Option Functions"}, {33715, "System Functions"}}},
        // BackTesting.
        {{kBacktestMenu},
         {{34227, "&Backtest", kPopup}, {34226, "&Strategy Setup..."}, {34227, "&Cancel Backtesting"},
          {34224, "Summary &View"}, {34225, "&Trade View"}, {34367, "Show T&otal"}, {34372, "&Load Results..."},
          {34371, "Save &Results..."}, {34287, "&Export Data..."}, {34229, "&Grid"}, {34368, "&Columns", kPopup},
          {34230, "Symbol"}, {34231, "Strategy"}, {34232, "Signal"}, {34233, "Date"}, {34234, "Time"},
          {34235, "Action"}, {34236, "Quantity"}, {34237, "Price"}, {34238, "Profit && Loss"},
          {34239, "Profit && Loss %"}, {34240, "Cumulative P&&L"}, {34451, "Symbol"}, {34452, "Strategy"},
          {34453, "Profit && Loss"}, {34454, "Profit && Loss %"}, {34455, "Winning Trades"},
          {34456, "Losing Trades"}, {34457, "Start Date"}, {34458, "End Date"}, {34459, "Largest Winner"},
          {34460, "Largest Loser"}, {34461, "Max Consecutive Winners"}, {34462, "Max Consecutive Losers"},
          {34463, "Annual Return"}, {34464, "Total Profit"}, {34465, "Total Loss"}, {34466, "Profit Factor"},
          {34467, "Average Winner"}, {34468, "Average Loser"}, {34469, "Buy && Hold Return"}, {34470, "# Trades"},
          {34471, "Average Trade"}, {34472, "% Winners"}, {34473, "Annual Return (in-market)"},
          {34474, "% Time in Market"}, {34475, "Payoff Ratio"}, {34476, "Max Drawdown"}, {34477, "Max Runup"},
          {34478, "Max Drawdown Date"}, {34479, "Max Runup Date"}, {34368, "&Load Column Layout..."},
          {34369, "&Save Column Layout..."}, {34288, "Set Layout as &Default"},
          {57607, "&Print Backtest...\tCtrl+P"}}},
        // A result's row menu: the Backtest popup with these on top.
        {{kBacktestMenu}, {{34315, "&View Default Chart"}, {34316, "View &Custom Chart"}}, true},
    };
    return menus;
}

// The documented text of an item of the menu, or of the popup holding the command; null when none.
inline const char* DocumentedMenuText(UINT menu, UINT command, bool popup)
{
    for (const DocumentedMenu& documented : DocumentedMenus()) {
        if (std::find(documented.menus.begin(), documented.menus.end(), menu) == documented.menus.end())
            continue;
        for (const DocumentedEntry& entry : documented.entries)
            if (entry.command == command && entry.popup == popup)
                return entry.text;
    }
    return nullptr;
}

// Items that name a study, a quote field or a list rather than a command: no letter needed.
inline bool IsNameItem(UINT menu, UINT command)
{
    auto in = [command](UINT first, UINT last) { return command >= first && command <= last; };
    switch (menu) {
    case kChartMenu:
        return in(170, 199) || in(34020, 34169);
    case kChartPaneMenu:  // studies to add, to overlay, to edit and to remove
        return in(170, 199) || in(34020, 34209) || in(50200, 50449);
    case kLevel1Menu:  // quote fields, custom and colour fields, watch lists and symbol sets
        return in(35000, 35314) || in(40000, 41000);
    case kSnapshotFieldsMenu:
        return in(33000, 33114);
    default:
        return false;
    }
}

// The rules a menu's texts are held to: its documented texts and its names.
inline MenuTextRules DocumentedRules(UINT menu)
{
    MenuTextRules rules;
    rules.documented = [menu](UINT command, bool popup) { return DocumentedMenuText(menu, command, popup); };
    rules.isName = [menu](UINT command) { return IsNameItem(menu, command); };
    return rules;
}

}  // namespace qx::testsupport
