#include "backtest/CStrategyDefinition.h"

#include "alerts/SafeFileName.h"
#include "common/services/TextFiles.h"
#include "common/services/TextHelpers.h"
#include "platform/core/CArchive.h"
#include "platform/core/XmlHelpers.h"

#include <cstdlib>

namespace {

void ReadText(const TiXmlElement* parent, const char* name, CString& field)
{
    CString text;
    if (ReadChildText(parent, name, text, false) && !text.IsEmpty())
        field = text;
}

void ReadInt(const TiXmlElement* parent, const char* name, int& field)
{
    CString text;
    if (ReadChildText(parent, name, text, false) && !text.IsEmpty())
        field = std::atoi(text);
}

CString FormulaXml(const char* element, const CString& name, const CString& expression, const CString& action,
                   const CString& priceType)
{
    CString xml;
    xml.Format("<%s>\r\n", element);
    xml += "<Name>" + MakeCData(name) + "</Name>\r\n";
    xml += "<Expression>" + MakeCData(expression) + "</Expression>\r\n";
    xml += "<Action>" + EscapeXmlText(action) + "</Action>\r\n";
    xml += "<PriceType>" + EscapeXmlText(priceType) + "</PriceType>\r\n";
    xml.AppendFormat("</%s>\r\n", element);
    return xml;
}

}  // namespace

CString CStrategyDefinition::ToXml() const
{
    CString xml = "<Strategy>\r\n<Version>19</Version>\r\n";
    xml += "<Name>" + MakeCData(m_name) + "</Name>\r\n";
    xml += "<EntryFlag>" + EscapeXmlText(m_entryFlag) + "</EntryFlag>\r\n";
    xml.AppendFormat("<EntryQuantity>%d</EntryQuantity>\r\n<Interval>%s</Interval>\r\n"
                     "<OverrideInterval>%d</OverrideInterval>\r\n",
                     m_nEntryQuantity, EscapeXmlText(m_interval).GetString(), m_nOverrideInterval ? 1 : 0);
    xml += FormulaXml("EntryFormula", m_entryName, m_entryExpression, m_entryAction, m_entryPriceType);
    xml += FormulaXml("ExitFormula", m_exitName, m_exitExpression, m_exitAction, m_exitPriceType);
    xml += "</Strategy>\r\n";
    return xml;
}

void CStrategyDefinition::FromXml(const TiXmlElement* strategy)
{
    if (!strategy)
        return;
    ReadText(strategy, "Name", m_name);
    ReadText(strategy, "EntryFlag", m_entryFlag);
    ReadInt(strategy, "EntryQuantity", m_nEntryQuantity);
    ReadText(strategy, "Interval", m_interval);
    ReadInt(strategy, "OverrideInterval", m_nOverrideInterval);
    if (const TiXmlElement* entry = FindChildNoCase(strategy, "EntryFormula")) {
        ReadText(entry, "Name", m_entryName);
        ReadText(entry, "Expression", m_entryExpression);
        ReadText(entry, "Action", m_entryAction);
        ReadText(entry, "PriceType", m_entryPriceType);
    }
    if (const TiXmlElement* exit = FindChildNoCase(strategy, "ExitFormula")) {
        ReadText(exit, "Name", m_exitName);
        ReadText(exit, "Expression", m_exitExpression);
        ReadText(exit, "Action", m_exitAction);
        ReadText(exit, "PriceType", m_exitPriceType);
    }
}

bool CStrategyDefinition::IsComplete() const
{
    return !m_name.IsEmpty() && !m_entryName.IsEmpty() && !m_exitName.IsEmpty() && m_nEntryQuantity != 0 &&
           !m_entryExpression.IsEmpty() && !m_exitExpression.IsEmpty() && !m_interval.IsEmpty();
}

bool WriteStrategyFile(const char* path, const CStrategyDefinition& strategy, CString& error)
{
    return WriteTextFileSafely(path, strategy.ToXml(), error);
}

bool ParseStrategyText(std::string_view text, CStrategyDefinition& out, CString& error)
{
    TiXmlDocument doc;
    CString parseError;
    if (!ParseXml(doc, text, &parseError)) {
        error = "Error parsing strategy: " + parseError;
        return false;
    }
    const TiXmlElement* element = nullptr;
    for (const TiXmlElement* e = doc.FirstChildElement(); e; e = e->NextSiblingElement())
        if (CString(e->Value()).CompareNoCase("Strategy") == 0) {
            element = e;
            break;
        }
    if (!element) {
        error = "Error parsing strategy: no Strategy element";
        return false;
    }
    CStrategyDefinition fresh;
    fresh.FromXml(element);
    out = fresh;
    return true;
}

bool ReadStrategyFile(const char* path, CStrategyDefinition& out, CString& error, EStrategyFileReader reader)
{
    std::string text;
    const char* openMessage = reader == EStrategyFileReader::kSetup ? "Error openning file " : "Error opening file ";
    if (!ReadBoundedTextFile(path, kMaxStrategyFileBytes, text, error, openMessage))
        return false;
    return ParseStrategyText(text, out, error);
}

std::vector<CStrategyDefinition> ReadOldStrategies(CArchive& ar)
{
    // Five strings, a number and four strings: at least 14 bytes a record.
    const DWORD count = ar.ReadBoundedCount(14);
    std::vector<CStrategyDefinition> strategies;
    strategies.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        CStrategyDefinition s;
        ar >> s.m_name >> s.m_entryName >> s.m_exitName >> s.m_entryExpression >> s.m_exitExpression;
        ar >> s.m_nEntryQuantity;
        ar >> s.m_entryFlag >> s.m_entryAction >> s.m_exitAction >> s.m_interval;
        strategies.push_back(std::move(s));
    }
    return strategies;
}

void WriteOldStrategies(CArchive& ar, const std::vector<CStrategyDefinition>& strategies)
{
    ar << static_cast<DWORD>(strategies.size());
    for (const CStrategyDefinition& s : strategies) {
        ar << s.m_name << s.m_entryName << s.m_exitName << s.m_entryExpression << s.m_exitExpression;
        ar << s.m_nEntryQuantity;
        ar << s.m_entryFlag << s.m_entryAction << s.m_exitAction << s.m_interval;
    }
}

void InstallStrategyReader(CAppSettings& settings)
{
    settings.SetStrategyReader([](CArchive& ar, DWORD, std::vector<CAppSettings::CStrategyText>& out) {
        for (const CStrategyDefinition& s : ReadOldStrategies(ar))
            out.push_back({MakeSafeFileName(s.m_name), s.ToXml()});
    });
}
