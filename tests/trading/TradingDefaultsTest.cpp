// New order records take the defaults of the active row; trading.dat round-trips and a
// file that cannot be read is reported and kept.
#include "common/services/CAppSettings.h"
#include "platform/core/CArchive.h"
#include "platform/core/CFile.h"
#include "tests/platform/TempFolder.h"
#include "tests/support/RecordingNotifier.h"
#include "trading/COrderRecord.h"
#include "trading/OrderPriceText.h"

#include <gtest/gtest.h>



TEST(OrderRecord, TakesTheDefaultsOfTheRowSelectedWhenBuilt)
{
    CAppSettings settings;
    settings.m_nStockShares = 250;
    settings.m_nOptionContracts = 3;
    settings.m_tradingDefaults.m_rows[0].orderTypes[0] = "Market";
    settings.m_tradingDefaults.m_rows[0].routes[0] = "ARCA";
    settings.m_tradingDefaults.m_rows[1].orderTypes[0] = "StopLimit";
    settings.m_tradingDefaults.m_rows[1].expires[0] = "GTC";
    settings.m_tradingDefaults.m_rows[1].instructions[0] = "AON";

    settings.m_nBroker = 0;
    const COrderRecord before(0, settings);
    settings.m_nBroker = 1;
    const COrderRecord after(0, settings);
    const COrderRecord option(1, settings);

    EXPECT_EQ(before.orderType, "Market");
    EXPECT_EQ(before.route, "ARCA");
    EXPECT_EQ(before.expire, "Day");
    EXPECT_EQ(before.quantity, 250);
    EXPECT_EQ(after.orderType, "StopLimit");  // the earlier record keeps its values
    EXPECT_EQ(after.expire, "GTC");
    EXPECT_EQ(after.instructions, "AON");
    EXPECT_EQ(after.route, "Default");
    EXPECT_EQ(option.quantity, 3);
    for (const COrderRecord* r : {&before, &after, &option}) {
        EXPECT_EQ(r->quantityMode, 1);
        EXPECT_EQ(r->action, 0);
        EXPECT_EQ(r->priceSource, 0);
        EXPECT_EQ(r->price, 0);
        EXPECT_TRUE(r->orderId.IsEmpty());
    }
}

TEST(OrderRecord, WithoutInstalledSettingsUsesTheFreshTable)
{
    CAppSettings::Install(nullptr);
    const COrderRecord stock;
    const COrderRecord option(1);
    EXPECT_EQ(stock.quantity, 100);
    EXPECT_EQ(option.quantity, 1);
    EXPECT_EQ(stock.orderType, "Limit");
    EXPECT_EQ(stock.route, "Default");
    EXPECT_EQ(stock.instructions, "None");
}

TEST(TradingDefaults, FileRoundTripsBothRows)
{
    TempFolder folder;
    {
        CAppSettings s;
        s.SetWorkingDirectory(folder.path().string().c_str());
        CTradingDefaultsRow& row = s.m_tradingDefaults.m_rows[1];
        row.orderTypes = {"Market", "Limit", "StopMarket"};
        row.routes = {"Auto", "NSDQ (INET)", "ARCA"};
        row.instructions = {"FOK", "DNR", "AON/DNR"};
        row.expires = {"GTC", "ExtAM", "MktClose"};
        row.inetBookEntry = 0;
        row.confirmOrders = 0;
        row.programTrading = 1;
        ASSERT_TRUE(s.SaveTrading());
    }
    const std::string bytes = folder.read("trading.dat");
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x13\0\0\0", 4));

    CAppSettings loaded;
    loaded.SetWorkingDirectory(folder.path().string().c_str());
    loaded.LoadAll();
    EXPECT_EQ(loaded.GetFileState(kFileTrading), EUserFileState::kLoaded);
    EXPECT_EQ(loaded.m_tradingDefaults.m_rows[0], CTradingDefaultsRow());
    EXPECT_EQ(loaded.m_tradingDefaults.m_rows[1].orderTypes[2], "StopMarket");
    EXPECT_EQ(loaded.m_tradingDefaults.m_rows[1].routes[1], "NSDQ (INET)");
    EXPECT_EQ(loaded.m_tradingDefaults.m_rows[1].expires[2], "MktClose");
    EXPECT_EQ(loaded.m_tradingDefaults.m_rows[1].inetBookEntry, 0);
    EXPECT_EQ(loaded.m_tradingDefaults.m_rows[1].level2Entry, 1);
    EXPECT_EQ(loaded.m_tradingDefaults.m_rows[1].confirmOrders, 0);
    EXPECT_EQ(loaded.m_tradingDefaults.m_rows[1].programTrading, 1);
}

TEST(TradingDefaults, NewerFileIsKeptDamagedOneSetAsideAndTheTableUnchanged)
{
    const std::string newer = std::string("\x14\0\0\0", 4) + "whatever";  // version 20
    const std::string cut = std::string("\x13\0\0\0\x05Limit", 10);       // cut short
    for (const std::string& bytes : {newer, cut}) {
        TempFolder folder;
        folder.write("trading.dat", bytes);
        CAppSettings s;
        CRecordingNotifier r;
        s.SetNotifier(&r);
        s.SetWorkingDirectory(folder.path().string().c_str());
        s.LoadAll();
        ASSERT_FALSE(r.messages.empty());
        EXPECT_NE(r.messages[0].Find("trading.dat"), -1);
        EXPECT_EQ(s.m_tradingDefaults, CTradingDefaults());
        EXPECT_TRUE(s.SaveAll());
        if (bytes == newer) {
            EXPECT_EQ(s.GetFileState(kFileTrading), EUserFileState::kFailed);
            EXPECT_EQ(folder.read("trading.dat"), bytes);
        } else {
            // Kept aside; the defaults are saved in a new file.
            EXPECT_NE(r.messages[0].Find("It is kept as trading.dat.damaged-"), -1) << r.messages[0].GetString();
            EXPECT_EQ(folder.read("trading.dat").substr(0, 4), std::string("\x13\0\0\0", 4));
        }
    }
}

TEST(OrderPrice, StockPennyPricesKeepUpToFourDecimalsEverythingElseTwo)
{
    EXPECT_EQ(FormatOrderPrice(0.12345, 0), "0.1235");
    EXPECT_EQ(FormatOrderPrice(0.5, 0), "0.50");
    EXPECT_EQ(FormatOrderPrice(0.12345, 1), "0.12");
    EXPECT_EQ(FormatOrderPrice(12.345, 0), "12.35");
    EXPECT_EQ(FormatOrderPrice(1.0, 0), "1.00");
}
