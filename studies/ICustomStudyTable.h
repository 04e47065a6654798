// The application's custom studies: rows of a name and a formula text, offered by the Add
// menus as commands 34020 + row. Whoever keeps the table installs it.
#pragma once

#include "platform/core/CString.h"

inline constexpr UINT kFirstCustomStudyCommand = 34020;
// Rows the commands can address (34020..34169); the column wizard adds no more.
inline constexpr int kMaxCustomStudies = 150;

struct CCustomStudyRow {
    CString name;
    CString formula;
};

class ICustomStudyTable {
public:
    virtual ~ICustomStudyTable() = default;
    virtual int GetCustomStudyCount() const = 0;
    // False for a row outside the table.
    virtual bool GetCustomStudy(int row, CCustomStudyRow& out) const = 0;
};

// The process-wide table (null until installed; the caller keeps it alive).
void InstallCustomStudyTable(ICustomStudyTable* table);
ICustomStudyTable* GetCustomStudyTable();
