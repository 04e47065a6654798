#include "studies/ICustomStudyTable.h"

#include <atomic>

namespace {
std::atomic<ICustomStudyTable*> g_table{nullptr};
}

void InstallCustomStudyTable(ICustomStudyTable* table)
{
    g_table.store(table);
}

ICustomStudyTable* GetCustomStudyTable()
{
    return g_table.load();
}
