// What each combo of an order leg offers, by security kind, order type and expire, and
// the refill that the integrated trading settings share.
#include "tests/trading/FakeOrderForm.h"
#include "trading/COrderFormLogic.h"
#include "trading/OrderChoices.h"

#include <gtest/gtest.h>

using Texts = std::vector<CString>;

TEST(OrderChoices, OrderTypesByKindModeAndLink)
{
    const Texts all = {"Limit", "Market", "StopMarket", "StopLimit", "T-Stop%", "T-Stop$"};
    EXPECT_EQ(OrderTypeChoices(0, 0, false), all);
    EXPECT_EQ(OrderTypeChoices(0, 1, false), (Texts{"Limit", "Market", "StopMarket", "StopLimit"}));
    EXPECT_EQ(OrderTypeChoices(1, 0, false), (Texts{"Limit", "Market", "StopMarket", "StopLimit"}));
    EXPECT_EQ(OrderTypeChoices(0, 0, true), (Texts{"Limit", "StopMarket", "StopLimit", "T-Stop%", "T-Stop$"}));
    EXPECT_EQ(OrderTypeChoices(1, 2, true), (Texts{"Limit", "StopMarket", "StopLimit"}));

    // The second member of a tied pair: the opposite side of the first.
    EXPECT_EQ(LinkedOrderTypeChoices(0, "Limit", true), (Texts{"StopMarket", "StopLimit", "T-Stop%", "T-Stop$"}));
    EXPECT_EQ(LinkedOrderTypeChoices(0, "StopLimit", true), (Texts{"Limit"}));
    EXPECT_EQ(LinkedOrderTypeChoices(1, "Limit", true), (Texts{"StopMarket", "StopLimit"}));
    EXPECT_EQ(LinkedOrderTypeChoices(0, "Limit", false),
              (Texts{"Limit", "StopMarket", "StopLimit", "T-Stop%", "T-Stop$"}));
}

TEST(OrderChoices, ExpiresInstructionsAndRoutesOfEveryStockRow)
{
    struct Row {
        const char* type;
        const char* expire;
        Texts expires;
        Texts instructions;
        Texts routes;
    };
    const Texts threeRoutes = {"Auto", "NSDQ (INET)", "ARCA"};
    const Row rows[] = {
        {"Limit", "DAY", {"DAY", "DAY+EXT", "GTC", "GTC+EXT", "ExtAM", "ExtPM"}, {"None", "AON", "FOK"}, threeRoutes},
        {"Limit", "DAY+EXT", {"DAY", "DAY+EXT", "GTC", "GTC+EXT", "ExtAM", "ExtPM"}, {"None"}, threeRoutes},
        {"Limit", "GTC", {"DAY", "DAY+EXT", "GTC", "GTC+EXT", "ExtAM", "ExtPM"}, {"None", "AON", "DNR", "AON/DNR"}, {"Auto"}},
        {"Limit", "ExtPM", {"DAY", "DAY+EXT", "GTC", "GTC+EXT", "ExtAM", "ExtPM"}, {"None"}, {"Auto"}},
        {"Market", "MktClose", {"DAY", "MktClose"}, {"None"}, {"Auto"}},
        {"StopMarket", "GTC", {"DAY", "GTC"}, {"None", "DNR"}, {"Auto"}},
        {"StopLimit", "DAY", {"DAY", "GTC"}, {"None", "AON"}, {"Auto"}},
        {"StopLimit", "GTC", {"DAY", "GTC"}, {"None", "AON", "DNR", "AON/DNR"}, {"Auto"}},
        {"T-Stop$", "GTC", {"DAY", "GTC"}, {"None"}, {"Auto"}},
    };
    for (const Row& row : rows) {
        const COrderChoiceLists lists = ComputeOrderChoices(row.type, row.expire, "None", "Auto", 0, false);
        ASSERT_TRUE(lists.found) << row.type;
        EXPECT_EQ(lists.expires, row.expires) << row.type << " " << row.expire;
        EXPECT_EQ(lists.expire, row.expire);
        EXPECT_EQ(lists.instructions, row.instructions) << row.type << " " << row.expire;
        EXPECT_EQ(lists.routes, row.routes) << row.type << " " << row.expire;
    }
    // A route other than the row's first leaves only "None".
    const COrderChoiceLists inet = ComputeOrderChoices("Limit", "DAY", "AON", "NSDQ (INET)", 0, false);
    EXPECT_EQ(inet.instructions, Texts{"None"});
    EXPECT_EQ(inet.instruction, "None");
    EXPECT_EQ(inet.route, "NSDQ (INET)");
    // An expire the type lacks becomes the first one; an unknown type has no row.
    EXPECT_EQ(ComputeOrderChoices("Market", "GTC", "", "", 0, false).expire, "DAY");
    EXPECT_FALSE(ComputeOrderChoices("Trailing", "DAY", "", "", 0, false).found);
}

TEST(OrderChoices, OptionAndConditionalTables)
{
    const Texts optionRoutes = {"Auto", "CBOE", "PHLX", "AMEX", "ISE", "BOX", "NYSE", "NASDAQ", "BATS"};
    COrderChoiceLists lists = ComputeOrderChoices("Limit", "DAY", "FOK", "ISE", 1, false);
    EXPECT_EQ(lists.expires, (Texts{"DAY", "GTC"}));
    EXPECT_EQ(lists.instructions, (Texts{"None", "AON", "FOK"}));
    EXPECT_EQ(lists.routes, optionRoutes);
    EXPECT_EQ(lists.route, "ISE");
    EXPECT_EQ(lists.instruction, "FOK");
    EXPECT_EQ(ComputeOrderChoices("StopLimit", "GTC", "", "", 1, false).instructions, (Texts{"None", "AON"}));
    EXPECT_EQ(ComputeOrderChoices("Market", "DAY", "", "", 1, false).expires, Texts{"DAY"});
    EXPECT_FALSE(ComputeOrderChoices("T-Stop%", "DAY", "", "", 1, false).found);
    // A conditional option keeps the option expires but takes the conditional routes.
    lists = ComputeOrderChoices("Limit", "GTC", "", "", 1, true);
    EXPECT_EQ(lists.expires, (Texts{"DAY", "GTC"}));
    EXPECT_EQ(lists.routes, Texts{"Auto"});
    // Conditional stock: market and trailing orders get "None" only, the rest "None", "AON".
    EXPECT_EQ(ComputeOrderChoices("Market", "MktClose", "", "", 0, true).instructions, Texts{"None"});
    EXPECT_EQ(ComputeOrderChoices("T-Stop%", "GTC", "", "", 0, true).instructions, Texts{"None"});
    EXPECT_EQ(ComputeOrderChoices("Limit", "GTC", "", "", 0, true).instructions, (Texts{"None", "AON"}));
    EXPECT_EQ(ComputeOrderChoices("Limit", "DAY", "", "", 0, true).expires, (Texts{"DAY", "GTC"}));
}

TEST(OrderChoices, ConditionalTypesAndTheirPairs)
{
    EXPECT_STREQ(ConditionalTypeText(4), "One Triggers OCA (OT/OCA)");
    const int legs[] = {2, 2, 2, 3, 3, 3};
    for (int type = 0; type < kConditionalTypeCount; ++type)
        EXPECT_EQ(ConditionalLegCount(type), legs[type]) << type;
    EXPECT_EQ(ConditionalLegCount(-1), 1);
    EXPECT_EQ(ConditionalLegCount(6), 1);
    // OCA and Bracket link legs 0 and 1, OT/OCA legs 1 and 2; the others nothing.
    EXPECT_TRUE(IsFirstOfLinkedPair(0, 0) && IsSecondOfLinkedPair(0, 1));
    EXPECT_TRUE(IsFirstOfLinkedPair(1, 0) && IsSecondOfLinkedPair(1, 1));
    EXPECT_TRUE(IsFirstOfLinkedPair(4, 1) && IsSecondOfLinkedPair(4, 2));
    EXPECT_FALSE(IsLinkedLeg(4, 0));
    for (int type : {2, 3, 5})
        for (int leg = 0; leg < 3; ++leg)
            EXPECT_FALSE(IsLinkedLeg(type, leg)) << type << " " << leg;
}

TEST(OrderChoices, TheSettingsRefillOfAFreshRowTakesTheFirstEntries)
{
    // A fresh row ("Limit", "Default", "None", "Day") shows "Limit", "Auto", "None", "DAY":
    // "Day" is matched exactly and "Default" is no route of the list.
    CFakeOrderControls controls(1);
    using namespace order_ids;
    controls.SetComboItems(kOrderType, {"Market", "Limit"});
    controls.SetComboSelection(kOrderType, 1);
    controls.SetControlText(kExpire, "Day");
    controls.SetControlText(kRoute, "Default");
    controls.SetControlText(kInstructions, "None");
    FillOrderChoiceLists(controls, kOrderType, kExpire, kInstructions, kRoute, 0, false);
    EXPECT_EQ(controls.Selected(kOrderType), "Limit");
    EXPECT_EQ(controls.Selected(kExpire), "DAY");
    EXPECT_EQ(controls.Selected(kRoute), "Auto");
    EXPECT_EQ(controls.Selected(kInstructions), "None");
    // "Market" leaves the expires "DAY" and "MktClose" and the route "Auto".
    controls.SetComboSelection(kOrderType, 0);
    FillOrderChoiceLists(controls, kOrderType, kExpire, kInstructions, kRoute, 0, false);
    EXPECT_EQ(controls[kExpire].items, (Texts{"DAY", "MktClose"}));
    EXPECT_EQ(controls[kRoute].items, Texts{"Auto"});
    // An empty order type becomes the first row's.
    controls.SetComboSelection(kOrderType, -1);
    FillOrderChoiceLists(controls, kOrderType, kExpire, kInstructions, kRoute, 0, false);
    EXPECT_EQ(controls.Selected(kOrderType), "Limit");
}
