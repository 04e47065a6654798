// The alert a custom grid column raises when a cell's state changes: the qualified
// symbol, the state's sound, the column's name and the cell's text. The main window owns it.
#pragma once

#include "alerts/CAlert.h"

class CColumnAlert : public CAlert {
public:
    CColumnAlert(const CString& qualifiedSymbol, const CString& soundFile, const CString& columnName,
                 const CString& value);

    CString m_columnName;
    CString m_value;
};
