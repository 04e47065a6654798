// Root of every object that receives commands: documents, windows, the application.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/CMessageMap.h"

class CCmdUI;

// Code passed to OnCmdMsg for an update-UI request.
inline constexpr UINT CN_UPDATE_COMMAND_UI = 0xFFFFFFFFu;
inline constexpr UINT CN_COMMAND = 0;

class CCmdTarget {
public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    virtual const CMessageMap& GetMessageMap() const;

    // Routes a command (code 0 or a control notification code) or, with code
    // CN_UPDATE_COMMAND_UI, an update request in ui. True when a handler ran.
    virtual BOOL OnCmdMsg(UINT id, UINT code, CCmdUI* ui);

protected:
    // Looks the command up in this object's own table chain only.
    bool DispatchCommand(UINT id, UINT code, CCmdUI* ui);
};
