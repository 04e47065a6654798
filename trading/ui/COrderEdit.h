// An edit of an order form that hands Enter to its form (WM_APP+41 with its id) instead
// of letting the dialog take it.
#pragma once

#include "platform/ui/CEdit.h"

class COrderEdit : public CEdit {
protected:
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
};
