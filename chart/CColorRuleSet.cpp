#include "chart/CColorRuleSet.h"

#include "platform/core/CArchive.h"

namespace {
// kind, threshold and colour.
constexpr UINT kArchivedRuleBytes = 4 + 8 + 4;
}  // namespace

bool CColorRuleSet::Store(CArchive& ar) const
{
    if (ar.IsLoading())
        return false;
    ar << m_name << m_text << static_cast<DWORD>(m_value) << static_cast<DWORD>(m_rules.GetSize());
    for (const CColorRule& rule : m_rules)
        ar << rule.kind << rule.threshold << static_cast<DWORD>(rule.color);
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
    read.m_rules.SetSize(static_cast<INT_PTR>(count));
    for (CColorRule& rule : read.m_rules) {
        DWORD color = 0;
        ar >> rule.kind >> rule.threshold >> color;
        rule.color = color;
    }
    *this = std::move(read);
    return true;
}

bool CColorRuleSet::operator==(const CColorRuleSet& other) const
{
    return m_name == other.m_name && m_text == other.m_text && m_value == other.m_value &&
           m_rules == other.m_rules;
}
