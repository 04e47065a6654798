// A named, ordered list of colour rules: the colour bars of a chart and the colour
// columns of the quote grid. What a rule's kind means is up to the user of the set.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <vector>

class CArchive;

struct CColorRule {
    // The rule's kind: how its user compares a value with the threshold.
    int comparison = 0;
    double threshold = 0.0;
    COLORREF first = 0;
    // Carried in copies and compared, never archived (0 in rules read from an archive);
    // the quote grid keeps a number column's background colour here.
    COLORREF second = 0;

    // Thresholds compare exactly (so 0.0 equals -0.0).
    bool operator==(const CColorRule& other) const = default;
};

class CColorRuleSet {
public:
    // Archive form: CString name, CString text, DWORD value, DWORD rule count, then per
    // rule DWORD kind, DOUBLE threshold, DWORD colour.
    // False, writing nothing, on a loading archive.
    bool Store(CArchive& ar) const;
    // False, reading nothing, on a storing archive. A count that cannot fit in the rest
    // of the archive, or any other archive error, throws and leaves the set unchanged.
    bool Load(CArchive& ar);

    bool operator==(const CColorRuleSet& other) const;

    CString m_name;
    CString m_text;
    int m_value = 0;
    std::vector<CColorRule> m_rules;
};
