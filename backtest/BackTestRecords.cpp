#include "backtest/BackTestRecords.h"

#include "broker/core/FeedTime.h"
#include "broker/core/Formatters.h"
#include "common/services/TextHelpers.h"
#include "platform/core/XmlHelpers.h"

#include <cmath>
#include <cstdlib>

namespace {

void ReadText(const TiXmlElement* parent, const char* name, CString& field)
{
    ReadChildText(parent, name, field, true);
}

void ReadInt(const TiXmlElement* parent, const char* name, int& field)
{
    CString text;
    if (ReadChildText(parent, name, text, true))
        field = static_cast<int>(std::strtoll(text, nullptr, 10));
}

void ReadDouble(const TiXmlElement* parent, const char* name, double& field)
{
    CString text;
    if (ReadChildText(parent, name, text, true)) {
        const double value = std::atof(text);
        field = std::isfinite(value) ? value : 0.0;
    }
}

}  // namespace

const char* BackTestActionText(int action)
{
    switch (action) {
    case kActionBuy: return "Buy";
    case kActionBuyToCover: return "Buy to Cover";
    case kActionSell: return "Sell";
    case kActionSellShort: return "Sell Short";
    default: return "";
    }
}

CString BackTestEntry::GetPriceText() const
{
    return m_priceStr.IsEmpty() ? FormatNumber(m_price, 2, m_price < 1.0 ? 4 : 2) : m_priceStr;
}

CString BackTestEntry::ToXml() const
{
    CString xml = "<BackTestEntry>\r\n";
    xml += "<Symbol>" + EscapeXmlText(m_symbol) + "</Symbol>\r\n";
    xml += "<Strategy>" + MakeCData(m_strategy) + "</Strategy>\r\n";
    xml += "<Formula>" + MakeCData(m_formula) + "</Formula>\r\n";
    xml.AppendFormat("<Date>%d</Date>\r\n<Action>%d</Action>\r\n<Quantity>%d</Quantity>\r\n<Time>%d</Time>\r\n"
                     "<Price>%.4f</Price>\r\n",
                     m_nDate, m_nAction, m_nQuantity, m_nTime, m_price);
    xml += "<PriceStr>" + EscapeXmlText(GetPriceText()) + "</PriceStr>\r\n";
    xml.AppendFormat("<Comission>%.2f</Comission>\r\n<StartTime>%d</StartTime>\r\n<EndTime>%d</EndTime>\r\n"
                     "<Profit>%.2f</Profit>\r\n<ProfitPercent>%.2f</ProfitPercent>\r\n"
                     "<CumulativeProfit>%.2f</CumulativeProfit>\r\n<HighPrice>%.4f</HighPrice>\r\n"
                     "<LowPrice>%.4f</LowPrice>\r\n<HighDate>%d</HighDate>\r\n<LowDate>%d</LowDate>\r\n",
                     m_comission, m_nStartTime, m_nEndTime, m_profit, m_profitPercent, m_cumulativeProfit,
                     m_highPrice, m_lowPrice, m_nHighDate, m_nLowDate);
    xml += "</BackTestEntry>\r\n";
    return xml;
}

void BackTestEntry::FromXml(const TiXmlElement* entry)
{
    if (!entry)
        return;
    ReadText(entry, "Symbol", m_symbol);
    ReadText(entry, "Strategy", m_strategy);
    ReadText(entry, "Formula", m_formula);
    ReadInt(entry, "Date", m_nDate);
    ReadInt(entry, "Action", m_nAction);
    ReadInt(entry, "Quantity", m_nQuantity);
    ReadInt(entry, "Time", m_nTime);
    ReadDouble(entry, "Price", m_price);
    ReadText(entry, "PriceStr", m_priceStr);
    ReadDouble(entry, "Comission", m_comission);
    ReadInt(entry, "StartTime", m_nStartTime);
    ReadInt(entry, "EndTime", m_nEndTime);
    ReadDouble(entry, "Profit", m_profit);
    ReadDouble(entry, "ProfitPercent", m_profitPercent);
    ReadDouble(entry, "CumulativeProfit", m_cumulativeProfit);
    ReadDouble(entry, "HighPrice", m_highPrice);
    ReadDouble(entry, "LowPrice", m_lowPrice);
    ReadInt(entry, "HighDate", m_nHighDate);
    ReadInt(entry, "LowDate", m_nLowDate);
}

CString EntryGroup::ToXml() const
{
    CString xml = "<Symbol>" + EscapeXmlText(m_symbol) + "</Symbol>\r\n";
    xml += "<Strategy>" + MakeCData(m_strategy) + "</Strategy>\r\n";
    xml.AppendFormat("<StartPrice>%.2f</StartPrice>\r\n<EndPrice>%.2f</EndPrice>\r\n", m_startPrice, m_endPrice);
    return xml;
}

void EntryGroup::FromXml(const TiXmlElement* group)
{
    if (!group)
        return;
    ReadText(group, "Symbol", m_symbol);
    ReadText(group, "Strategy", m_strategy);
    ReadDouble(group, "StartPrice", m_startPrice);
    ReadDouble(group, "EndPrice", m_endPrice);
}

double BackTestSummary::GetAvgWinner() const
{
    return m_nWinners ? m_totalProfit / m_nWinners : 0.0;
}

double BackTestSummary::GetAvgLoser() const
{
    return m_nLosers ? m_totalLoss / m_nLosers : 0.0;
}

double BackTestSummary::GetAvgTrade() const
{
    const int trades = GetNumTrades();
    return trades ? m_profitLoss / trades : 0.0;
}

double BackTestSummary::GetPctWinners() const
{
    const int trades = GetNumTrades();
    return trades ? m_nWinners * 100.0 / trades : 0.0;
}

double BackTestSummary::GetProfitFactor() const
{
    return m_totalLoss != 0 ? m_totalProfit / std::fabs(m_totalLoss) : 0.0;
}

double BackTestSummary::GetPayoffRatio() const
{
    const double loser = GetAvgLoser();
    return loser != 0 ? GetAvgWinner() / std::fabs(loser) : 0.0;
}

double BackTestSummary::GetBuyHoldReturn() const
{
    return m_startPrice != 0 ? (m_endPrice - m_startPrice) / m_startPrice * 100.0 : 0.0;
}

CString FeedDateText(DWORD feedTime)
{
    int y = 0, m = 0, d = 0;
    FeedTimeToDate(feedTime, y, m, d);
    CString text;
    text.Format("%d/%d/%d", m, d, y);
    return text;
}

CString FeedTimeText(DWORD feedTime)
{
    int h = 0, m = 0, s = 0;
    FeedTimeToTimeOfDay(feedTime, h, m, s);
    CString text;
    text.Format("%02d:%02d:%02d", h, m, s);
    return text;
}

CString FeedDateTimeText(DWORD feedTime)
{
    return FeedDateText(feedTime) + " " + FeedTimeText(feedTime);
}
