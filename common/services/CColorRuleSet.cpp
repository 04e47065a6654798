#include "common/services/CColorRuleSet.h"

#include "platform/core/CArchive.h"

namespace {
// kind, threshold and colour.
constexpr UINT kArchivedRuleBytes = 4 + 8 + 4;
}  // namespace

bool CColorRuleSet::Store(CArchive& ar) const
{
    if (ar.IsLoading())
        return false;
    ar << m_name << m_text << static_cast<DWORD>(m_value) << static_cast<DWORD>(m_rules.size());
    for (const CColorRule& rule : m_rules)
        ar << static_cast<DWORD>(rule.comparison) << rule.threshold << static_cast<DWORD>(rule.first);
    return true;
}

bool CColorRuleSet::Load(CArchive& ar)
{
    if (ar.IsStoring())
        return false;
    CColorRuleSet read;
    DWORD value = 0;
    ar >> read.m_name >> read.m_text >> value;
    read.m_value = static_cast<int>(value);
    const DWORD count = ar.ReadBoundedCount(kArchivedRuleBytes);
    read.m_rules.resize(count);
    for (CColorRule& rule : read.m_rules) {
        DWORD comparison = 0;
        DWORD color = 0;
        ar >> comparison >> rule.threshold >> color;
        rule.comparison = static_cast<int>(comparison);
        rule.first = color;
    }
    *this = std::move(read);
    return true;
}

bool CColorRuleSet::operator==(const CColorRuleSet& other) const
{
    return m_name == other.m_name && m_text == other.m_text && m_value == other.m_value &&
           m_rules == other.m_rules;
}
