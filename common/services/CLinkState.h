// The link groups of one window: which symbol and interval broadcasts it follows, and
// whether it has the caption buttons that choose them.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

class CArchive;

inline constexpr int kLinkGroupDisabled = 0;
inline constexpr int kLinkGroupAll = 1;
inline constexpr int kLinkGroupFirst = 2;  // "Group 1"
inline constexpr int kLinkGroupLast = 9;   // "Group 8"
inline constexpr int kLinkGroupCount = 10;
// Broadcast groups outside the button values: -1 reaches every linked window, -2 none.
inline constexpr int kLinkBroadcastAll = -1;
inline constexpr int kLinkBroadcastNone = -2;

// "Disable Link", "Link to All", "Group 1" .. "Group 8"; "" for other values.
CString LinkGroupName(int group);

class CLinkState {
public:
    void SetButtons(bool symbolButton, bool intervalButton);
    bool HasSymbolButton() const { return m_bSymbolButton; }
    bool HasIntervalButton() const { return m_bIntervalButton; }

    int GetSymbolGroup() const { return m_symbolGroup; }
    int GetIntervalGroup() const { return m_intervalGroup; }
    // Values outside 0..9 are refused.
    bool SetSymbolGroup(int group);
    bool SetIntervalGroup(int group);

    // Whether the window follows a broadcast of that group: never without the button,
    // for -2 or while the window's link is disabled; -1 and "Link to All" on either
    // side always; otherwise equal groups.
    bool AcceptsSymbolGroup(int group) const;
    bool AcceptsIntervalGroup(int group) const;

    // One DWORD per existing button, symbol link first. False when the archive fails;
    // Load also refuses a group outside 0..9 and then leaves the state unchanged.
    bool Save(CArchive& ar) const;
    bool Load(CArchive& ar);

private:
    static bool Accepts(bool hasButton, int mine, int group);

    bool m_bSymbolButton = false;
    bool m_bIntervalButton = false;
    int m_symbolGroup = kLinkGroupAll;
    int m_intervalGroup = kLinkGroupAll;
};
