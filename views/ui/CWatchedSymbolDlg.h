// "Symbol Settings" of a web watch list item: symbol, quantity, price, commission and a
// purchase date in three fields.
#pragma once

#include "broker/session/AccountRecords.h"
#include "platform/ui/CDialog.h"
#include "views/WatchedSymbolForm.h"

class CWatchedSymbolDlg : public CDialog {
public:
    explicit CWatchedSymbolDlg(const CWatchedSymbol& item, CWnd* parent = nullptr);

    const CWatchedSymbol& GetItem() const { return m_item; }

    BOOL OnInitDialog() override;
    // Checks the fields in order; a failing one is told and gets the focus.
    void OnOK() override;

    void SetForm(const CWatchedSymbolForm& form);
    CWatchedSymbolForm GetForm() const;

private:
    CWatchedSymbol m_item;
};
