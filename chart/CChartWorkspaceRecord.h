// A chart window's record in workspaces: its link groups (one DWORD per caption link
// button), then its symbol and interval.
#pragma once

#include "common/services/CLinkState.h"
#include "platform/core/CString.h"

class CArchive;

class CChartWorkspaceRecord {
public:
    // Longest symbol or interval the reader accepts.
    static constexpr int kMaxTextLength = 64;

    // False when the archive fails.
    bool Store(CArchive& ar) const;
    // False, this record unchanged, when the archive fails, a link group is out of range
    // or a text is longer than kMaxTextLength. The link buttons read are those of links.
    bool Load(CArchive& ar);

    CLinkState links;
    CString symbol;
    CString interval;
};
