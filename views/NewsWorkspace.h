// The news window's record in a workspace file: CString symbols text, DWORD alert on
// news, the link state, DWORD hot news, DWORD all news and the layout body of its list;
// the window appends the proportions of its two panes. A record of workspace version 10
// or older ends after the link state.
#pragma once

#include "views/NewsLayout.h"

class CLinkState;

inline constexpr DWORD kFirstNewsRecordWithLayout = 11;
// A longer symbols text is refused (a damaged record).
inline constexpr int kMaxNewsSymbolsText = 65536;

struct CNewsRecord {
    CString symbols;
    bool alertOnNews = false;
    bool hotNews = false;
    bool allNews = false;
    bool hasLayout = false; // false for the short records of old workspaces
    CNewsLayout layout;
};

// Archive errors throw; false when the link state could not be written.
bool WriteNewsRecord(CArchive& ar, const CNewsRecord& record, const CLinkState& links);
// False when the link state is refused or the symbols text is too long; damage throws
// CArchiveException.
bool ReadNewsRecord(CArchive& ar, DWORD version, CNewsRecord& record, CLinkState& links);
