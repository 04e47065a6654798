// A view that keeps its state in workspace files.
#pragma once

#include "platform/core/WinTypes.h"

class CArchive;

class IWorkspaceView {
public:
    virtual ~IWorkspaceView() = default;
    // TRUE on success; FALSE after the view has told the user what went wrong.
    virtual BOOL SaveToWorkspace(CArchive& ar) = 0;
    virtual BOOL LoadFromWorkspace(CArchive& ar, DWORD version) = 0;
};
