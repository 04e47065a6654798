// Option-chain definitions and symbol sets, actives keys and titles, exported text, symbol
// lists and the checks of the Symbol Settings dialog.
#include "broker/session/CActivesHandle.h"
#include "broker/session/CQuoteStore.h"
#include "broker/session/IndustryGroup.h"
#include "broker/session/PriceSeriesHooks.h"
#include "common/services/CAppSettings.h"
#include "views/ActivesKey.h"
#include "views/GridExport.h"
#include "views/OptionChainDefinition.h"
#include "views/OptionChainSet.h"
#include "views/PositionRecords.h"
#include "views/SymbolListFile.h"
#include "views/SymbolSetGroups.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

TEST(OptionChainSet, ReadsItsDefinitionField)
{
    OptionChainSet set("OptionChain,msft,C,N,A,0", nullptr);
    EXPECT_TRUE(set.IsOptionChain());
    EXPECT_EQ(set.GetUnderlying(), "MSFT");
    EXPECT_EQ(set.GetChainType(), "C");
    EXPECT_EQ(set.GetField3(), "N");
    EXPECT_EQ(set.GetField4(), "A");
    EXPECT_EQ(set.GetNumber(), 0.0);
    EXPECT_EQ(set.GetAllOptionsFlag(), 0);
    EXPECT_EQ(set.GetField6(), "");
    // An empty third field moves the later ones to the left.
    OptionChainSet shifted("OptionChain,IBM,,N,A,50", nullptr);
    EXPECT_EQ(shifted.GetChainType(), "N");
    EXPECT_EQ(shifted.GetField3(), "A");
    EXPECT_EQ(shifted.GetField4(), "50");
    EXPECT_EQ(shifted.GetAllOptionsFlag(), 1); // not all six fields
    // A symbol set of the broker's industry groups holds the symbols its reply brings; a
    // set of another kind holds none.
    OptionChainSet industry("IndustryGroups,Oil&Gas", nullptr);
    EXPECT_TRUE(industry.IsIndustryGroup());
    EXPECT_EQ(industry.GetSetName(), "Oil&Gas");
    industry.CopySymbols(std::vector<CString>{"A", "B"});
    EXPECT_EQ(industry.GetCount(), 2);
    EXPECT_EQ(industry.GetSymbol(1), "B");
    COptionChainRequest setRequest;
    ASSERT_TRUE(industry.GetRequest(setRequest));
    EXPECT_EQ(setRequest.symbolSet, "Oil&Gas");
    EXPECT_EQ(setRequest.underlying, "");
    EXPECT_FALSE(OptionChainSet("IndustryGroups", nullptr).GetRequest(setRequest));
    EXPECT_FALSE(OptionChainSet("IndustryGroups,", nullptr).GetRequest(setRequest));
    OptionChainSet other("Sectors,Software", nullptr);
    other.CopySymbols(std::vector<CString>{"A", "B"});
    EXPECT_EQ(other.GetCount(), 0);
    EXPECT_EQ(other.GetSymbol(0), "");
    EXPECT_FALSE(other.GetRequest(setRequest));
    set.CopySymbols(std::vector<CString>{"+MSFT_1", "+MSFT_2"});
    EXPECT_EQ(set.GetCount(), 2);
    EXPECT_EQ(set.GetSymbol(1), "+MSFT_2");
    EXPECT_EQ(set.GetSymbol(2), "");
    COptionChainRequest request;
    ASSERT_TRUE(set.GetRequest(request));
    EXPECT_EQ(request.underlying, "MSFT");
    EXPECT_EQ(request.strike, "0");
    EXPECT_EQ(request.allOptions, 0);
}

TEST(SymbolSetGroups, TheSettingsTakeTheBrokersIndustryGroups)
{
    std::vector<CSymbolSetGroup> groups = {{"Old", {"Gone"}}};
    const std::vector<CIndustryGroup> served = {{"Energy", {"Oil & Gas"}}, {"Technology", {"Semiconductors", "Software"}}};
    EXPECT_TRUE(AdoptIndustryGroups(groups, served));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].name, "Energy");
    EXPECT_EQ(groups[0].names, std::vector<CString>{"Oil & Gas"});
    EXPECT_EQ(groups[1].names, (std::vector<CString>{"Semiconductors", "Software"}));
    EXPECT_FALSE(AdoptIndustryGroups(groups, served)); // nothing new
    EXPECT_TRUE(AdoptIndustryGroups(groups, {}));
    EXPECT_TRUE(groups.empty());
}

TEST(OptionChainDefinition, DialogChoicesBecomeDefinitionsAndBack)
{
    COptionChainChoice choice;
    choice.symbol = " ibm ";
    choice.chainType = 1;
    choice.range = 2;
    choice.expiration = "March 2026";
    EXPECT_EQ(BuildDefinition(choice), "OptionChain,ibm,C,O,202603,0");
    choice.expiration = "Leaps";
    choice.strike = "125.5";
    EXPECT_EQ(BuildDefinition(choice), "OptionChain,ibm,C,O,L,125.5");
    choice.intervalShown = true;
    choice.interval = 3;
    EXPECT_EQ(BuildDefinition(choice), "OptionChain,ibm,C,O,L,125.5,7.5");
    choice.strike = "abc";
    EXPECT_EQ(BuildDefinition(choice), "");
    choice.strike.Empty();
    choice.intervalShown = false;
    choice.expiration = "Smarch 2026";
    EXPECT_EQ(BuildDefinition(choice), "");

    COptionChainChoice back;
    ASSERT_TRUE(ChoiceFromDefinition("OptionChain,MSFT,P,I,202611,42", back));
    EXPECT_EQ(back.symbol, "MSFT");
    EXPECT_EQ(back.chainType, 2);
    EXPECT_EQ(back.range, 1);
    EXPECT_EQ(back.expiration, "November 2026");
    EXPECT_EQ(back.strike, "42.00");
    ASSERT_TRUE(ChoiceFromDefinition("OptionChain,MSFT,CP,ALL,AL,0", back));
    EXPECT_EQ(back.expiration, "All + Leaps");
    EXPECT_EQ(back.strike, "");
    // Refused: a type the dialog does not offer, month 13, a non-numeric strike, missing
    // fields, another kind.
    for (const char* bad : {"OptionChain,MSFT,VCS,N,A,0", "OptionChain,MSFT,C,N,202613,0", "OptionChain,MSFT,C,N,A,x",
                            "OptionChain,MSFT,C,N", "OptionChain,,,,,", "IndustryGroups,Tech", "", "OptionChain,M,Q,N,A,0"})
        EXPECT_FALSE(ChoiceFromDefinition(bad, back)) << bad;
    EXPECT_TRUE(IsValidChainDefinition("OptionChain,MSFT,VCS,N,A,0"));
}

TEST(OptionChainDefinition, ChoicesAreCheckedAndMonthsRollOverTheYear)
{
    COptionChainChoice choice;
    EXPECT_EQ(CheckChoice(choice), "Please specify a symbol");
    choice.symbol = "IBM";
    choice.range = 3;
    choice.expiration = "All + Leaps";
    EXPECT_EQ(CheckChoice(choice).Left(45), "Please filter the option chain by ONE of the ");
    choice.strike = "50";
    EXPECT_EQ(CheckChoice(choice), "");
    choice.strike.Empty();
    choice.chainType = 1;
    EXPECT_EQ(CheckChoice(choice), "");

    const std::vector<CString> months = ExpirationMonthEntries(CTime(2025, 11, 15, 12, 0, 0));
    ASSERT_EQ(months.size(), 12u);
    EXPECT_EQ(months[0], "November 2025");
    EXPECT_EQ(months[1], "December 2025");
    EXPECT_EQ(months[2], "January 2026");
    EXPECT_EQ(months[11], "October 2026");
}

TEST(ActivesKey, KeysAndTitlesOfTheTables)
{
    EXPECT_EQ(MakeActivesKey(1, 1, 1), "NASDAQ-300,1");
    EXPECT_EQ(FormatActivesTitle("NASDAQ", "300", 1), "Actives - NASDAQ, Trades, 5 min");
    EXPECT_EQ(MakeActivesKey(3, 5, 0), "OPTS-ALL,0");
    EXPECT_EQ(FormatActivesTitle("OPTS", "ALL", 0), "Actives - OPTIONS, Contracts Traded, All Day");
    EXPECT_EQ(FormatActivesTitle("NYSE", "60", 0), "Actives - LISTED, Shares Traded, 1 min");
    EXPECT_EQ(FormatActivesTitle(nullptr), "Actives");
    // Out of the tables: no key, and nothing read beyond a table.
    EXPECT_EQ(MakeActivesKey(6, 0, 0), "");
    EXPECT_EQ(MakeActivesKey(0, -1, 0), "");
    EXPECT_EQ(FormatActivesTitle("XETRA", "7", -1), "Actives");
    EXPECT_EQ(FormatActivesTitle("NYSE", "60", 2), "Actives - LISTED, 1 min");
    EXPECT_STREQ(ActivesTypeName(4, 5), "");
    EXPECT_TRUE(IsValidActivesKey("CALLS-3600,0"));
    for (const char* bad : {"NYSE-60,-1", "NYSE-61,0", "NYSE60,0", "-60,0", "NYSE-60", "NYSE-60,2"})
        EXPECT_FALSE(IsValidActivesKey(bad)) << bad;

    // A handle of type 1 reads the first ranked list, other types the second.
    CQuoteStore store;
    CActivesHandle trades(store, "NASDAQ-300,1");
    CActivesHandle shares(store, "NASDAQ-300,0");
    EXPECT_EQ(trades.GetExchangeKey(), "NASDAQ");
    EXPECT_EQ(trades.GetIntervalKey(), "300");
    trades.Subscribe();
    shares.Subscribe();
    CActivesMessage message;
    message.m_key = "NASDAQ-300";
    message.m_lists[0] = {{"AAA", 50, 0}};
    message.m_lists[1] = {{"BBB", 0, 9000}, {"CCC", 0, 10}};
    store.ApplyActives(message);
    trades.TakeSnapshot();
    shares.TakeSnapshot();
    CString symbol;
    EXPECT_EQ(trades.GetCount(), 1);
    ASSERT_TRUE(trades.GetSymbol(0, symbol));
    EXPECT_EQ(symbol, "AAA");
    EXPECT_EQ(shares.GetCount(), 2);
    double value = 0;
    ASSERT_TRUE(shares.GetValue("BBB", 2, value));
    EXPECT_EQ(value, 9000);
    EXPECT_FALSE(shares.GetValue("BBB", 3, value));
}

TEST(GridExport, QuotesAsRfc4180AndDisarmsFormulaText)
{
    EXPECT_EQ(ExportSeparatorForPath("/a/b.CSV"), ',');
    EXPECT_EQ(ExportSeparatorForPath("/a/b.prn"), ' ');
    EXPECT_EQ(ExportSeparatorForPath("/a/b.txt"), '\t');
    EXPECT_EQ(ExportSeparatorForPath("/a.b/c"), '\t');
    EXPECT_EQ(ExportField("Apple, Inc.", ','), "\"Apple, Inc.\"");
    EXPECT_EQ(ExportField("say \"hi\"", '\t'), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(ExportField("two\nlines", ','), "\"two\nlines\"");
    EXPECT_EQ(ExportField("+MSFT_012027C300", ','), " +MSFT_012027C300");
    EXPECT_EQ(ExportField("=HYPERLINK(\"x\")", ','), "\" =HYPERLINK(\"\"x\"\")\"");
    EXPECT_EQ(ExportField("@SUM(A1)", '\t'), " @SUM(A1)");
    EXPECT_EQ(ExportField("-cmd", ','), " -cmd");
    EXPECT_EQ(ExportField("-1,234.50", '\t'), "-1,234.50");
    EXPECT_EQ(ExportField("-12.5", ','), "-12.5");
    EXPECT_EQ(ExportField("New York", ' '), "\"New York\"");
    EXPECT_EQ(ExportLine({"Symbol", "Last"}, ','), "Symbol,Last\n");
}

TEST(SymbolListFile, ReadsLongLinesAndCrLfWhole)
{
    const std::string long70(70, 'X');
    EXPECT_EQ(ParseSymbolList(CString("IBM\r\nMSFT\r\n\r\n  GE  \n" + long70 + "\nlast")),
              (std::vector<CString>{"IBM", "MSFT", "GE", CString(long70), "last"}));
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("qx-sym-" + std::to_string(::getpid()) + ".sym");
    CString error;
    ASSERT_TRUE(WriteSymbolList(CString(path.string()), {"IBM", "GE"}, error));
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "IBM\nGE\n");
    std::vector<CString> read;
    ASSERT_TRUE(ReadSymbolList(CString(path.string()), read, error));
    EXPECT_EQ(read, (std::vector<CString>{"IBM", "GE"}));
    std::filesystem::remove(path);
    EXPECT_FALSE(ReadSymbolList(CString(path.string()), read, error));
    EXPECT_EQ(SymbolListTitle("/home/u/Symbols/Tech Stocks.sym"), "Tech Stocks Symbol List");
}

TEST(PositionRecords, AccountPositionsAndTheSymbolSettingsChecks)
{
    const CPortfolioPosition shortOption = PositionFromAccount({"+IBM_012027C150", -3, 2.5, "1"});
    EXPECT_EQ(shortOption.shares, 3);
    EXPECT_TRUE(shortOption.IsShort());
    EXPECT_EQ(shortOption.multiplier, 100);
    EXPECT_EQ(shortOption.basePrice, 2.5);
    const CPortfolioPosition stock = PositionFromWatchedSymbol({"GE", 40, 12.5, 4.95, "03-04-2025"});
    EXPECT_EQ(stock.multiplier, 1);
    EXPECT_EQ(stock.fee, 4.95);
    EXPECT_EQ(stock.date, "03-04-2025");

    int shares = 0;
    EXPECT_TRUE(ParseWholeNumber(" 250 ", shares));
    EXPECT_EQ(shares, 250);
    for (const char* bad : {"1.2.3", "-", "", "-5", "12a", "99999999999"})
        EXPECT_FALSE(ParseWholeNumber(bad, shares)) << bad;
    for (const char* good : {"", "next week", "02/29/2024", "2025-12-31", "1-31-25", "12.25.2025"})
        EXPECT_TRUE(IsAcceptablePositionDate(good)) << good;
    for (const char* bad : {"02/31/2025", "02/29/2025", "13/01/2025", "2025-04-31", "00-10-2025"})
        EXPECT_FALSE(IsAcceptablePositionDate(bad)) << bad;

    // 2 : 1 of 100 at 50 gives 200 at 25; a 0 in the ratio changes nothing.
    int n = 100;
    double price = 50;
    ASSERT_TRUE(SplitPosition(n, price, 2, 1));
    EXPECT_EQ(n, 200);
    EXPECT_EQ(price, 25);
    EXPECT_FALSE(SplitPosition(n, price, 0, 1));
    EXPECT_EQ(n, 200);
    // 64-bit arithmetic: no wrap on the way, a result beyond int is refused.
    n = 2000000000;
    price = 10;
    ASSERT_TRUE(SplitPosition(n, price, 3, 4));
    EXPECT_EQ(n, 1500000000);
    EXPECT_FALSE(SplitPosition(n, price, 2, 1));
    EXPECT_EQ(n, 1500000000);
}
