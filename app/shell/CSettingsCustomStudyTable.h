// The custom-study table of the running program: the custom studies the settings keep
// with the custom columns ("columns.dat"), read again whenever their records changed.
#pragma once

#include "studies/ICustomStudyTable.h"
#include "views/CCustomColumn.h"

#include <vector>

class CAppSettings;

class CSettingsCustomStudyTable : public ICustomStudyTable {
public:
    explicit CSettingsCustomStudyTable(const CAppSettings& settings);

    int GetCustomStudyCount() const override;
    bool GetCustomStudy(int row, CCustomStudyRow& out) const override;

private:
    // The rows of the settings' current records (none while they are damaged).
    const std::vector<CCustomColumn>& Rows() const;

    const CAppSettings& m_settings;
    mutable std::vector<BYTE> m_readBody;
    mutable bool m_bRead = false;
    mutable CCustomColumnLists m_lists;
};
