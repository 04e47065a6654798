// A tab strip along a frame's bottom: named tabs kept in layouts.
#pragma once

#include "platform/ui/CTabCtrl.h"

#include <vector>

class CArchive;
class CFrameWnd;

class CSheetsWnd : public CTabCtrl {
public:
    // Creates the strip on the frame; shown when flag is set.
    BOOL Create(CFrameWnd* frame, BOOL flag, COLORREF buttonFace);
    int AddTab(const char* name);
    std::vector<CString> GetTabNames() const;

    // DWORD tab count, each name as a CString, the selected index as a DWORD.
    bool SaveTabs(CArchive& ar) const;
    // Replaces the tabs; false (tabs unchanged) on an archive error or a bad count/index.
    bool LoadTabs(CArchive& ar);
    // Shows the strip along the frame (flag set) or hides it, and lays the frame out.
    void Attach(BOOL flag, CFrameWnd* frame);
    bool IsAttached() const { return m_bAttached; }
    // Selects the tab of that name; false when there is none.
    bool SelectTab(const char* name);

private:
    bool m_bAttached = false;
};
