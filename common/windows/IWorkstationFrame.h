// What the windows of every kind use of the main frame: the tool bar boxes, linking,
// accounts, the status bar and opening other windows. The main frame implements it.
#pragma once

#include "broker/session/AccountRecords.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <vector>

class CDocument;
class CView;
class CWnd;

class IWorkstationFrame {
public:
    virtual ~IWorkstationFrame() = default;

    // Tool bar Symbol and Interval boxes; SetSymbolBox with add upper-cases the symbol and
    // puts it at the top of the recent list.
    virtual CString GetSymbolBox() const = 0;
    virtual void SetSymbolBox(const char* text, BOOL add) = 0;
    virtual void ClearSymbolBox() = 0;
    // A character typed into a window that hands its keys to the Symbol box: the box holds
    // it and takes the keyboard focus, so the keys typed next add to it.
    virtual void TypeIntoSymbolBox(char c) = 0;
    virtual CString GetIntervalBox() const = 0;
    virtual void SetIntervalBox(const char* text, BOOL add) = 0;
    virtual BOOL IsExtSession() const = 0;
    // Validates the boxes and sends WM_APP+6 to the windows linked with the source, and to
    // the source itself with includeSource; a window broadcasting its own symbol passes
    // FALSE.
    virtual int ApplySymbolInterval(CView* source, BOOL includeSource) = 0;

    // Accounts: mode 0 the current account, 1 all, 2 those named.
    virtual void GetTargetAccounts(int mode, const std::vector<CString>& names,
                                   std::vector<CAccountInfo>& out) const = 0;
    virtual CString GetAccountListText(int mode, const std::vector<CString>& names, int flag) const = 0;
    virtual int GetCurrentAccount() const = 0;
    virtual void OnRefreshAccountData() = 0;

    // The status bar's message pane.
    virtual void SetMessageText(const char* text) = 0;

    // A new window of a kind (0..12) in an MDI child or a floating frame; null when none.
    virtual CDocument* OpenWindowOfKind(int kind, bool floating) = 0;
    // Opens or finds the list window of a command (34374 option chains).
    virtual CView* OpenListWindow(UINT command, BOOL floating) = 0;
    // The formula wizard in a mode with the Symbol box's symbol filled in; in the alert
    // modes its alerts are made on OK. True when it ended with OK.
    virtual bool SetupTradeAlert(int mode, CWnd* parent) = 0;
};

// The running main frame, or null (no main frame yet, or in tests without one).
IWorkstationFrame* GetWorkstationFrame();
