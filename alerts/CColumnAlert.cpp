#include "alerts/CColumnAlert.h"

CColumnAlert::CColumnAlert(const CString& qualifiedSymbol, const CString& soundFile, const CString& columnName,
                           const CString& value)
    : CAlert(kAlertColumn), m_columnName(columnName), m_value(value)
{
    m_symbol = qualifiedSymbol;
    m_soundFile = soundFile;
}
