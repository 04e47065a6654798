// The process-wide settings: the profile values, the appearance of every window kind,
// the user's notes, custom columns, portfolios, trading defaults and formulas, loaded
// from the user data folder at start-up and saved at exit. A damaged file is reported
// once and set aside under another name (a fresh one is saved); a file that cannot be
// opened or comes from a newer version is kept as it is and never written over.
#pragma once

#include "common/services/CFontInfo.h"
#include "common/services/CNoteMap.h"
#include "common/services/CTradingDefaults.h"
#include "common/services/IAlertBook.h"
#include "common/services/UserFiles.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CArchive;
class CProfile;

// Tells the user something (a message box in the program, a recorder in tests).
class IUserNotifier {
public:
    virtual ~IUserNotifier() = default;
    virtual void Notify(const CString& text) = 0;
};

// The settings of the chart's drawing tools (colours are 0x00BBGGRR).
struct CLineToolSettings {
    COLORREF color = 0;
    int thickness = 1;
    bool operator==(const CLineToolSettings&) const = default;
};

struct CRegressionSettings {
    COLORREF lineColor = 0;
    int lineThickness = 1;
    COLORREF upperColor = 0xFF0000;
    int upperThickness = 1;
    COLORREF lowerColor = 0xFF0000;
    int lowerThickness = 1;
    DWORD displayBits = 3;   // bit 0 upper channel, bit 1 lower channel
    int sourceField = 3;     // 0 Open, 1 High, 2 Low, 3 Close
    double upperStdDevs = 2.0;
    double lowerStdDevs = -2.0;
    bool operator==(const CRegressionSettings&) const = default;
};

struct CRetracementLevel {
    COLORREF color = 0;
    int thickness = 1;
    double percent = 0;
    bool operator==(const CRetracementLevel&) const = default;
};

struct CRetracementSettings {
    COLORREF anchorColor = 65535;
    int anchorThickness = 3;
    COLORREF verticalColor = 0x808080;
    int verticalThickness = 1;
    std::array<CRetracementLevel, 8> levels = {{{0x018001, 1, 38.2}, {0x808001, 1, 61.8}, {0xFF0000, 1, 70.7},
                                                {0x010180, 1, 78.6}, {0xFF8080, 1, 84.1}, {0x800101, 1, 127.2},
                                                {0x018080, 1, 161.8}, {255, 1, 261.8}}};
    // Bits 0-7 level shown, 8 vertical line, 9 percent label, 10 price label, 11 "As
    // Decimal", 12 labels right-justified.
    DWORD displayBits = 4095;
    DWORD alertBits = 255;   // bit i: level i gets a price alert
    bool extendForever = false;
    double extension = 3.4;
    bool operator==(const CRetracementSettings&) const = default;
};

struct CNoteSettings {
    COLORREF color = 0xFF0000;
    bool minimized = false;
    CString text;
    bool operator==(const CNoteSettings&) const = default;
};

// Drawing-tool defaults kept in gui.dat.
struct CDrawingToolDefaults {
    CLineToolSettings segment{65280, 1};
    CLineToolSettings ray{0xFF0000, 1};
    CLineToolSettings line{255, 1};
    CRegressionSettings regression;
    CRetracementSettings retracement;
    CNoteSettings note;

    void Reset() { *this = CDrawingToolDefaults(); }
    // The short record of older gui.dat files (line tools and note) ...
    void Save(CArchive& ar) const;
    void Load(CArchive& ar);
    // ... and the whole settings, written after the rest of gui.dat.
    void SaveFull(CArchive& ar) const;
    void LoadFull(CArchive& ar);
    bool operator==(const CDrawingToolDefaults&) const = default;
};

// A named group of symbol sets (the Level I symbol-set menu).
struct CSymbolSetGroup {
    CString name;
    std::vector<CString> names;
};

// A list window's font and colours (order status, balances, saved orders, alerts).
struct CReportListLook {
    CFontInfo font;
    COLORREF textColor = RGB(0, 0, 0);
    // 0 normal background, 1 highlighted background, 2 highlighted text.
    std::array<COLORREF, 3> colors = {RGB(255, 255, 255), RGB(0, 0, 128), RGB(255, 255, 255)};
};

enum EReportList { kReportOrderStatus, kReportBalances, kReportSavedOrders, kReportAlerts, kReportListCount };

enum EUserFile { kFilePortfolios, kFileGui, kFileColumns, kFileTrading, kFileFormulas, kFileNotes, kUserFileCount };

// Names of the process-wide chart scheme colours, in the order of m_schemeColors.
inline constexpr const char* kSchemeColorNames[] = {
    "Bars", "Candle sticks (up)", "Candle sticks (down)", "Color bars (empty)", "Backtest labels background",
    "Backtest labels foreground (buy)", "Backtest labels foreground (sell)"};
inline constexpr int kSchemeColorCount = 7;

class CAppSettings {
public:
    CAppSettings();
    CAppSettings(const CAppSettings&) = delete;
    CAppSettings& operator=(const CAppSettings&) = delete;

    // The process-wide object (the application installs its own).
    static CAppSettings* Instance();
    static void Install(CAppSettings* settings);

    void SetNotifier(IUserNotifier* notifier) { m_pNotifier = notifier; }
    IUserNotifier* GetNotifier() const { return m_pNotifier; }
    void SetWorkingDirectory(const CString& folder) { m_workingDirectory = folder; }
    const CString& GetWorkingDirectory() const { return m_workingDirectory; }
    // folder + "/" + name.
    CString GetFilePath(const char* name) const;

    // Profile values ("Settings" section). Saving replaces the profile's file once; false
    // when that failed.
    void LoadProfile(const CProfile& profile);
    bool SaveProfile(CProfile& profile) const;
    // The profile values to the application's profile at once, as a dialog that changed
    // them closes with OK; a failure is told to the user.
    bool SaveProfileNow();

    // Every user data file (after removing the temporary files an interrupted save left);
    // a failure is told to the user.
    void LoadAll();
    // Every user data file that loaded or was missing; false when any write failed.
    bool SaveAll();
    EUserFileState GetFileState(EUserFile file) const { return m_fileState[file]; }

    bool SaveGui();
    // "\columns.dat": DWORD 19, then the custom-field, colour-field and custom-study
    // arrays; "Error saving custom columns" on failure.
    bool SaveColumns();
    // "\portfolios.dat"; "Error writing portfolio settings" on failure.
    bool SavePortfolios();
    // "\trading.dat": DWORD 19, then the trading-defaults table; "Error saving trade
    // settings" on failure.
    bool SaveTrading();
    bool SaveFormulas();
    bool SaveNotes();

    // The alerts (alerts.xml); LoadAll converts alerts.dat and loads, SaveAll saves.
    // Without an installed book there are no alerts and these do nothing.
    void SetAlertBook(std::unique_ptr<IAlertBook> book) { m_pAlertBook = std::move(book); }
    IAlertBook* GetAlertBook() const { return m_pAlertBook.get(); }
    bool ConvertOldAlerts() { return m_pAlertBook ? m_pAlertBook->ConvertOldAlerts() : true; }
    bool LoadAlerts() { return m_pAlertBook ? m_pAlertBook->LoadAlerts() : true; }
    bool SaveAlerts() { return m_pAlertBook ? m_pAlertBook->SaveAlerts() : true; }

    // strategies.dat from older versions becomes library files under "\Strategies\".
    // The reader of its records is installed by the strategy code: it reads every record
    // (after the version) and gives each as a name and the library file's text.
    struct CStrategyText {
        CString name;
        CString text;
    };
    using StrategyReader = std::function<void(CArchive&, DWORD version, std::vector<CStrategyText>&)>;
    void SetStrategyReader(StrategyReader reader) { m_strategyReader = std::move(reader); }
    // Returns how many library files were written.
    int ConvertStrategies();

    // Keyed reversible scrambling of stored texts (hex digits).
    static CString Scramble(const char* key, const char* text);
    // The original text, or "" for text that no scrambling made.
    static CString Unscramble(const char* key, const char* text);
    static const char* ProgramKey() { return "Brenhalvik-Quorvantelix"; }

    // The formula engine's two list locks.
    std::mutex m_formulaPendingLock;
    std::mutex m_formulaLiveLock;

    // Profile values.
    CString m_userName;
    bool m_bSaveUserName = true;
    int m_nBroker = 1;  // integrated trading
    int m_nStockShares = 100;
    int m_nOptionContracts = 1;
    int m_nFuturesContracts = 100;
    bool m_bViewExportData = false;
    bool m_bSaveAtOnce = true;
    bool m_bExtSessionFormulas = false;
    CString m_formulaInterval = "D";
    int m_nScreenerInterval = 60;
    int m_nAcctDataInterval = 30;
    int m_nWorkspaceInterval = 5;  // minutes between workspace backups, 0 none
    int m_nRecentListSize = 30;
    CString m_startPage;           // "HomeUrl"
    bool m_bShowStartPage = false;
    bool m_bNotifyUpdates = true;
    bool m_bSavePrompt = false;
    bool m_bEmptyTemp = true;
    bool m_bOpenLastWorkspace = true;
    CString m_lastWorkspace;
    CString m_httpProxy;
    CString m_httpsProxy;
    bool m_bAutoProxy = true;
    CString m_alertFile;
    CString m_alertSound;
    bool m_bEditOrderBeforeSending = false;
    bool m_bSendPlotwyn = false;
    bool m_bListenPlotwyn = false;
    CString m_smtpServer;
    int m_nSmtpPort = 25;
    CString m_alertEmailAddr;
    bool m_bEmailLogin = false;
    bool m_bEmailAlerts = false;       // a fired alert is sent by e-mail
    bool m_bEmailPlainLogin = false;   // the login may go over an unencrypted connection
    CString m_emailUser;      // clear in memory, scrambled in the profile
    CString m_emailPassword;

    // Quote list.
    CFontInfo m_quoteFont;
    COLORREF m_quoteTextColor = RGB(0, 0, 0);
    int m_nStripeInterval = 2;
    std::array<COLORREF, 8> m_quoteColors;
    // Level II, Time & Sales, Bar windows.
    CFontInfo m_level2Font;
    COLORREF m_level2TextColor = RGB(0, 0, 0);
    std::array<COLORREF, 5> m_level2Colors = {0x0000FFFF, 0x0000FF80, 0x00FFFF00, 0x008080FF, 0x00FF8000};
    CFontInfo m_tsFont;
    COLORREF m_tsTextColor = RGB(0, 0, 0);
    std::array<COLORREF, 11> m_tsColors = {0x00FFFFFF, 0x00FFFFFF, 0x00008000, 0x000000FF, 0x00BFBFFF, 0x00A6FFA6,
                                           0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF};
    CFontInfo m_barFont;
    COLORREF m_barTextColor = RGB(0, 0, 0);
    // News: background, selected background, selected text, hot text.
    CFontInfo m_newsFont;
    COLORREF m_newsTextColor = RGB(0, 0, 0);
    std::array<COLORREF, 4> m_newsColors = {RGB(255, 255, 255), RGB(0, 0, 128), RGB(255, 255, 255), RGB(176, 0, 0)};
    // Charts: background, grid, axis, text, cross-hair.
    CFontInfo m_chartFont;
    CFontInfo m_axisFont;
    std::array<COLORREF, 5> m_chartColors = {RGB(255, 255, 255), RGB(220, 220, 220), RGB(0, 0, 0), RGB(0, 0, 0),
                                             RGB(128, 128, 128)};
    std::array<COLORREF, kSchemeColorCount> m_schemeColors = {RGB(0, 0, 0),     RGB(0, 160, 0),  RGB(200, 0, 0),
                                                              RGB(192, 192, 192), RGB(255, 255, 224),
                                                              RGB(0, 128, 0),   RGB(192, 0, 0)};
    CDrawingToolDefaults m_drawingDefaults;
    std::array<CReportListLook, kReportListCount> m_reportLooks;
    std::vector<CSymbolSetGroup> m_symbolSetGroups;
    // The Interval box's list.
    std::vector<CString> m_intervals = {"Tick",       "1 minute",   "5 minutes", "10 minutes", "15 minutes",
                                        "30 minutes", "60 minutes", "Daily",     "Weekly",     "Monthly"};

    CNoteMap m_notes;
    // trading.dat.
    CTradingDefaults m_tradingDefaults;
    // Records whose owners keep their own form: the custom columns (custom fields,
    // colour fields, custom studies), portfolios and formulas.
    CKeptRecords m_columns;
    CKeptRecords m_portfolios;
    CKeptRecords m_formulas;

    // Hook applying a colour scheme (trade-marker bitmaps, open charts).
    std::function<void()> m_onSchemeApplied;
    void ApplyColorScheme(const std::array<COLORREF, kSchemeColorCount>& colors);

private:
    void WriteGui(CArchive& ar) const;
    void ReadGui(CArchive& ar, DWORD version);
    // A damaged file is set aside and the program goes on with what instead names.
    void LoadOne(EUserFile file, const char* name, const std::function<void(CArchive&, DWORD)>& read,
                 const char* instead);
    bool SaveKept(EUserFile file, const char* name, const CKeptRecords& records, const std::vector<BYTE>& emptyBody,
                  const char* failureText);
    void Tell(const CString& text) const;

    IUserNotifier* m_pNotifier = nullptr;
    CString m_workingDirectory = ".";
    std::array<EUserFileState, kUserFileCount> m_fileState{};
    StrategyReader m_strategyReader;
    std::unique_ptr<IAlertBook> m_pAlertBook;
};
