// The status bar of a top-level frame: pane 0 shows messages, the others indicators.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <memory>

class QStatusBar;

class CStatusBar {
public:
    CStatusBar(QStatusBar* bar, int panes);
    ~CStatusBar();
    CStatusBar(const CStatusBar&) = delete;
    CStatusBar& operator=(const CStatusBar&) = delete;

    BOOL SetPaneText(int index, const char* text);
    CString GetPaneText(int index) const;
    int GetCount() const;
    void SetPaneWidth(int index, int width);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
