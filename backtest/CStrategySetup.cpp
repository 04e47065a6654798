#include "backtest/CStrategySetup.h"

#include "platform/core/CArchive.h"
#include "platform/core/XmlHelpers.h"

#include <cstdlib>

namespace {

bool ReadNumberText(const TiXmlElement* parent, const char* name, CString& text)
{
    return ReadChildText(parent, name, text, false);
}

void ReadInt(const TiXmlElement* parent, const char* name, int& field)
{
    CString text;
    if (ReadNumberText(parent, name, text))
        field = std::atoi(text);
}

void ReadTime(const TiXmlElement* parent, const char* name, DWORD& field)
{
    CString text;
    if (ReadNumberText(parent, name, text))
        field = static_cast<DWORD>(std::strtoll(text, nullptr, 10));
}

void ReadDouble(const TiXmlElement* parent, const char* name, double& field)
{
    CString text;
    if (ReadNumberText(parent, name, text))
        field = std::atof(text);
}

}  // namespace

CStrategySetup::CStrategySetup(const CStrategySetup& other)
{
    *this = other;
}

CStrategySetup& CStrategySetup::operator=(const CStrategySetup& other)
{
    if (this == &other)
        return *this;
    m_symbols = other.m_symbols;
    m_startTime = other.m_startTime;
    m_endTime = other.m_endTime;
    m_comission = other.m_comission;
    m_nIntraday = other.m_nIntraday;
    m_nMinuteBars = other.m_nMinuteBars;
    m_nUntilNow = other.m_nUntilNow;
    m_nExitAtEnd = other.m_nExitAtEnd;
    m_nTStop = other.m_nTStop;
    m_nTStopType = other.m_nTStopType;
    m_tStopParam = other.m_tStopParam;
    m_nPortfolio = other.m_nPortfolio;
    m_capital = other.m_capital;
    m_strategies.clear();
    for (const auto& s : other.m_strategies)
        m_strategies.push_back(std::make_unique<CStrategyDefinition>(*s));
    return *this;
}

CStrategySetup::~CStrategySetup() = default;

void CStrategySetup::AddStrategy(const CStrategyDefinition& strategy)
{
    m_strategies.push_back(std::make_unique<CStrategyDefinition>(strategy));
}

const CStrategyDefinition* CStrategySetup::FindStrategy(const char* name) const
{
    for (const auto& s : m_strategies)
        if (s->m_name == name)
            return s.get();
    return nullptr;
}

CString CStrategySetup::FindDuplicateName() const
{
    for (size_t i = 0; i < m_strategies.size(); ++i)
        for (size_t j = i + 1; j < m_strategies.size(); ++j)
            if (m_strategies[i]->m_name == m_strategies[j]->m_name)
                return m_strategies[i]->m_name;
    return CString();
}

std::vector<CString> CStrategySetup::GetSymbolList() const
{
    std::vector<CString> symbols;
    int pos = 0;
    for (;;) {
        CString piece = m_symbols.Tokenize(" ", pos);
        if (pos < 0)
            break;
        if (!piece.IsEmpty())
            symbols.push_back(piece);
    }
    return symbols;
}

void CStrategySetup::Store(CArchive& ar) const
{
    ar << static_cast<int>(m_strategies.size());
    for (const auto& s : m_strategies) {
        ar << s->m_nEntryQuantity << s->m_entryAction << s->m_entryFlag << s->m_entryName << s->m_entryExpression
           << s->m_exitAction << s->m_exitName << s->m_exitExpression << s->m_interval;
        ar << s->m_nOverrideInterval;
        ar << s->m_name << s->m_entryPriceType << s->m_exitPriceType;
    }
    ar << m_symbols << m_startTime << m_endTime << m_comission << m_nIntraday << m_nMinuteBars;
    DWORD bits = 0;
    if (m_nUntilNow)
        bits |= 1;
    if (m_nExitAtEnd)
        bits |= 2;
    ar << bits;
    ar << m_nTStop << m_nTStopType << m_tStopParam;
    ar << m_nPortfolio << m_capital;
}

void CStrategySetup::Load(CArchive& ar, int strategyCount, DWORD version)
{
    // Nine strings and a number (and three strings more from version 4): a strategy
    // takes at least 13 bytes.
    if (strategyCount < 0 || static_cast<ULONGLONG>(strategyCount) * 13 > ar.GetRemaining())
        throw CArchiveException(CArchiveException::badIndex);
    std::vector<std::unique_ptr<CStrategyDefinition>> strategies;
    for (int i = 0; i < strategyCount; ++i) {
        auto s = std::make_unique<CStrategyDefinition>();
        ar >> s->m_nEntryQuantity >> s->m_entryAction >> s->m_entryFlag >> s->m_entryName >> s->m_entryExpression >>
            s->m_exitAction >> s->m_exitName >> s->m_exitExpression >> s->m_interval;
        if (version >= 4)
            ar >> s->m_nOverrideInterval;
        else
            s->m_nOverrideInterval = 1;
        ar >> s->m_name >> s->m_entryPriceType >> s->m_exitPriceType;
        strategies.push_back(std::move(s));
    }
    CString symbols;
    DWORD start = 0, end = 0, bits = 0;
    double comission = 0;
    int intraday = 0, minuteBars = 0;
    ar >> symbols >> start >> end >> comission >> intraday >> minuteBars >> bits;
    int tStop = m_nTStop, tStopType = m_nTStopType, portfolio = m_nPortfolio;
    double tStopParam = m_tStopParam, capital = m_capital;
    if (version >= 10)
        ar >> tStop >> tStopType >> tStopParam;
    if (version >= 14)
        ar >> portfolio >> capital;
    // Everything was read: only now does the job change.
    m_strategies = std::move(strategies);
    m_symbols = symbols;
    m_startTime = start;
    m_endTime = end;
    m_comission = comission;
    m_nIntraday = intraday;
    m_nMinuteBars = minuteBars;
    m_nUntilNow = (bits & 1) ? 1 : 0;
    m_nExitAtEnd = (bits & 2) ? 1 : 0;
    m_nTStop = tStop;
    m_nTStopType = tStopType;
    m_tStopParam = tStopParam;
    m_nPortfolio = portfolio;
    m_capital = capital;
}

CString CStrategySetup::ToXml() const
{
    CString xml;
    xml.Format("<StrategySetup>\r\n<Symbols>%s</Symbols>\r\n<StartTime>%d</StartTime>\r\n<EndTime>%d</EndTime>\r\n"
               "<Comission>%.2f</Comission>\r\n<Intraday>%d</Intraday>\r\n<MinuteBars>%d</MinuteBars>\r\n"
               "<UntilNow>%d</UntilNow>\r\n<TStop>%d</TStop>\r\n<TStopType>%d</TStopType>\r\n"
               "<TStopParam>%.4lf</TStopParam>\r\n<Portfolio>%d</Portfolio>\r\n<Capital>%.2lf</Capital>\r\n",
               EscapeXmlText(m_symbols).GetString(), static_cast<int>(m_startTime), static_cast<int>(m_endTime),
               m_comission, m_nIntraday, m_nMinuteBars, m_nUntilNow, m_nTStop, m_nTStopType, m_tStopParam,
               m_nPortfolio, m_capital);
    for (const auto& s : m_strategies)
        xml += s->ToXml();
    xml += "</StrategySetup>";
    return xml;
}

void CStrategySetup::FromXml(const TiXmlElement* setup)
{
    if (!setup)
        return;
    ReadChildText(setup, "Symbols", m_symbols, false);
    ReadTime(setup, "StartTime", m_startTime);
    ReadTime(setup, "EndTime", m_endTime);
    ReadDouble(setup, "Comission", m_comission);
    ReadInt(setup, "Intraday", m_nIntraday);
    ReadInt(setup, "MinuteBars", m_nMinuteBars);
    ReadInt(setup, "UntilNow", m_nUntilNow);
    ReadInt(setup, "TStop", m_nTStop);
    ReadInt(setup, "TStopType", m_nTStopType);
    ReadDouble(setup, "TStopParam", m_tStopParam);
    ReadInt(setup, "Portfolio", m_nPortfolio);
    ReadDouble(setup, "Capital", m_capital);
    std::vector<std::unique_ptr<CStrategyDefinition>> strategies;
    for (const TiXmlElement* s = FindChildNoCase(setup, "Strategy"); s; s = NextSiblingNoCase(s, "Strategy")) {
        auto strategy = std::make_unique<CStrategyDefinition>();
        strategy->FromXml(s);
        strategies.push_back(std::move(strategy));
    }
    m_strategies = std::move(strategies);
}
