// Workspace files (".swp"): every open window in window order with its kind, frame
// form and placement, followed by the view's own record.
#pragma once

#include "platform/core/CString.h"

class CWorkstationApp;

class CWorkspaceFile {
public:
    // "Error saving workspace" on failure (the old file stays).
    static bool Save(CWorkstationApp& app, const CString& path);
    // Closes the open windows and opens those of the file; "Error loading workspace"
    // on failure (the windows read so far stay open).
    static bool Load(CWorkstationApp& app, const CString& path);
};
