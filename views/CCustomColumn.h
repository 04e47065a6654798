// User-defined column definitions kept by the settings in "columns.dat": custom fields,
// colour fields and custom studies, each a name, a formula, a value (the box count of a
// colour field) and colour rules.
#pragma once

#include "common/services/CColorRuleSet.h"
#include "views/ColorRule.h"

#include <vector>

class CAppSettings;
class CArchive;

// One definition: name, formula text, value (the boxes of a colour field) and rules,
// stored in the colour-rule-set form.
using CCustomColumn = CColorRuleSet;

enum ECustomColumnKind : int { kCustomFields = 0, kColorFields = 1, kCustomStudies = 2, kCustomKindCount = 3 };

// Definitions addressed by menu commands: at most this many of each kind.
inline constexpr int kMaxCustomColumnsPerKind = 100;

struct CCustomColumnLists {
    std::vector<CCustomColumn> lists[kCustomKindCount];

    std::vector<CCustomColumn>& operator[](int kind) { return lists[kind]; }
    const std::vector<CCustomColumn>& operator[](int kind) const { return lists[kind]; }
};

// The records of "columns.dat" after its version: each list as a DWORD count and its records.
void ReadCustomColumns(CArchive& ar, DWORD version, CCustomColumnLists& out);
void WriteCustomColumns(CArchive& ar, const CCustomColumnLists& lists);

// The definitions the settings hold; false (and *error) when their records are damaged.
bool LoadCustomColumns(const CAppSettings& settings, CCustomColumnLists& out, CString* error = nullptr);
void StoreCustomColumns(CAppSettings& settings, const CCustomColumnLists& lists);
