#include "app/shell/CSettingsCustomStudyTable.h"

#include "common/services/CAppSettings.h"

CSettingsCustomStudyTable::CSettingsCustomStudyTable(const CAppSettings& settings) : m_settings(settings) {}

const std::vector<CCustomColumn>& CSettingsCustomStudyTable::Rows() const
{
    const std::vector<BYTE>& body = m_settings.m_columns.body;
    if (!m_bRead || body != m_readBody) {
        LoadCustomColumns(m_settings, m_lists);
        m_readBody = body;
        m_bRead = true;
    }
    return m_lists[kCustomStudies];
}

int CSettingsCustomStudyTable::GetCustomStudyCount() const
{
    return static_cast<int>(Rows().size());
}

bool CSettingsCustomStudyTable::GetCustomStudy(int row, CCustomStudyRow& out) const
{
    const std::vector<CCustomColumn>& rows = Rows();
    if (row < 0 || row >= static_cast<int>(rows.size()))
        return false;
    out.name = rows[static_cast<size_t>(row)].m_name;
    out.formula = rows[static_cast<size_t>(row)].m_text;
    return true;
}
