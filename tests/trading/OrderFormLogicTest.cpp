// The order form logic without a display: fields by order type, combo choices, linked
// conditional legs, every check with its message, quantities worked out from dollars, and
// what reaches the order gate.
#include "tests/trading/FakeOrderForm.h"
#include "trading/COrderFormLogic.h"

#include <gtest/gtest.h>

using namespace order_ids;
using Texts = std::vector<CString>;

namespace {

class OrderFormTest : public ::testing::Test {
protected:
    // A form with its controls set up, as a page's initial dialog leaves it.
    void Open(int legs, int conditional, int mode = kOrderModeNew, int kind = 0)
    {
        controls = std::make_unique<CFakeOrderControls>(legs);
        logic = std::make_unique<COrderFormLogic>(*controls, conditional);
        logic->SetToday({2026, 11, 30});
        logic->SetMode(mode);
        if (kind)
            logic->SetSecurityKind(kind);
    }
    // Fills leg `leg` as a trader would and places the order.
    void Fill(int leg, const char* symbol, const char* quantity, const char* type, const char* price = "")
    {
        controls->Type(Id(kSymbol, leg), symbol);
        logic->OnSymbolChanged(leg);
        controls->Type(Id(kQuantity, leg), quantity);
        ASSERT_TRUE(controls->Pick(Id(kOrderType, leg), type)) << type;
        logic->OnOrderTypeChanged(leg);
        controls->Type(Id(kPrice, leg), price);
    }
    static UINT Id(UINT base, int leg) { return base + static_cast<UINT>(leg); }
    CString LastMessage() const { return controls->messages.empty() ? CString() : controls->messages.back(); }
    const COrderLeg& SentLeg(size_t leg = 0) const { return env.host.submissions.back().legs.at(leg); }

    CTradingTestEnvironment env;
    std::unique_ptr<CFakeOrderControls> controls;
    std::unique_ptr<COrderFormLogic> logic;
};

}  // namespace

TEST_F(OrderFormTest, FieldsShownByOrderType)
{
    Open(1, 0);
    logic->InitControls();
    struct Shown {
        const char* type;
        bool price;
        bool source;
        bool activation;
        const char* label;
        int decimals;
    };
    const Shown table[] = {
        {"Limit", true, true, false, "Price:", 2},        {"Market", false, false, false, "Price:", 2},
        {"StopMarket", false, false, true, "Price:", 2},  {"StopLimit", true, true, true, "Price:", 2},
        {"T-Stop%", true, false, false, "Param:", 0},     {"T-Stop$", true, false, false, "Param:", 2},
    };
    for (const Shown& s : table) {
        ASSERT_TRUE(controls->Pick(kOrderType, s.type));
        logic->OnOrderTypeChanged(0);
        EXPECT_EQ(controls->IsControlShown(kPrice), s.price) << s.type;
        EXPECT_EQ(controls->IsControlShown(kPriceSpin), s.price) << s.type;
        EXPECT_EQ(controls->IsControlShown(kPriceSource), s.source) << s.type;
        EXPECT_EQ(controls->IsControlShown(kActPrice), s.activation) << s.type;
        EXPECT_EQ(controls->IsControlShown(kActPriceLabel), s.activation) << s.type;
        EXPECT_EQ((*controls)[kPriceLabel].text, s.label) << s.type;
        EXPECT_EQ((*controls)[kPriceSpin].decimals, s.decimals) << s.type;
        EXPECT_EQ(logic->HasPrice(0), s.price) << s.type;
    }
    // The good-till date shows with a GTC expire: three months ahead of 30 November.
    ASSERT_TRUE(controls->Pick(kOrderType, "Limit"));
    logic->OnOrderTypeChanged(0);
    EXPECT_FALSE(controls->IsControlShown(kDateLabel));
    ASSERT_TRUE(controls->Pick(kExpire, "GTC"));
    logic->OnExpireChanged(0);
    EXPECT_TRUE(controls->IsControlShown(kDateLabel));
    EXPECT_EQ((*controls)[kMonth].text, "2");
    EXPECT_EQ((*controls)[kDay].text, "28");
    EXPECT_EQ((*controls)[kYear].text, "2027");
    // Spins: shares step by 100, prices by cents.
    EXPECT_EQ((*controls)[kQuantitySpin].step, 100);
    EXPECT_EQ((*controls)[kActPriceSpin].step, 0.01);
    EXPECT_EQ((*controls)[kActPriceSpin].maximum, 1000000);
}

TEST_F(OrderFormTest, ChoicesOfStockAndOptionForms)
{
    Open(1, 0);
    logic->InitControls();
    EXPECT_EQ((*controls)[kAction].items, (Texts{"Buy", "Sell", "Sell Short", "Buy to Cover"}));
    EXPECT_EQ((*controls)[kOrderType].items.size(), 6u);
    EXPECT_FALSE(controls->IsControlShown(kDisclaimer));
    // A route other than Auto leaves "None" only; back on Auto the three come back.
    ASSERT_TRUE(controls->Pick(kRoute, "NSDQ (INET)"));
    logic->OnOrderTypeChanged(0);
    EXPECT_EQ((*controls)[kInstructions].items, Texts{"None"});
    ASSERT_TRUE(controls->Pick(kRoute, "Auto"));
    logic->OnOrderTypeChanged(0);
    EXPECT_EQ((*controls)[kInstructions].items, (Texts{"None", "AON", "FOK"}));

    Open(1, 0, kOrderModeNew, 1);
    logic->InitControls();
    EXPECT_EQ((*controls)[kAction].items, (Texts{"Buy to Open", "Sell to Close", "Sell to Open", "Buy to Close"}));
    EXPECT_EQ((*controls)[kOrderType].items, (Texts{"Limit", "Market", "StopMarket", "StopLimit"}));
    EXPECT_EQ((*controls)[kRoute].items.size(), 9u);
    EXPECT_TRUE(controls->IsControlShown(kDisclaimer));
    EXPECT_TRUE(controls->IsControlShown(kOptionChain));  // a hosted form for new orders
    EXPECT_EQ((*controls)[kQuantityLabel].text, "Contracts:");
    EXPECT_EQ((*controls)[kQuantity].text, "1");  // the default option contracts
    EXPECT_EQ((*controls)[kQuantitySpin].step, 1);
}

TEST_F(OrderFormTest, LoadedLegsShowTheirPricesAndOptionsSwitchTheKind)
{
    Open(1, 0);
    COrderRecord record(0);
    record.symbol = "MSFT";
    record.price = 0.5;
    record.action = 2;
    logic->LoadLeg(record, 0);
    logic->InitControls();
    EXPECT_EQ((*controls)[kPrice].text, "0.50");
    EXPECT_EQ(controls->Selected(kAction), "Sell Short");
    EXPECT_EQ((*controls)[kSymbol].text, "MSFT");
    record.price = 0.1234;
    logic->LoadLeg(record, 0);
    logic->InitControls();
    EXPECT_EQ((*controls)[kPrice].text, "0.1234");

    Open(1, 0);
    record.symbol = "+MSFT260116C00300000";
    logic->LoadLeg(record, 0);
    EXPECT_EQ(logic->GetSecurityKind(), 1);
    logic->LoadLeg(record, 0);  // loaded again now as an option: the order's own price, unrounded
    logic->InitControls();
    EXPECT_EQ((*controls)[kPrice].text, "0.1234");
}

TEST_F(OrderFormTest, BracketLegsFollowTheirFirstLeg)
{
    Open(3, 1);
    logic->InitControls();
    EXPECT_EQ((*controls)[kConditionalType].items.size(), 6u);
    EXPECT_FALSE(controls->IsControlShown(Id(kGroup, 2)));  // OCA: two legs
    ASSERT_TRUE(controls->Pick(kConditionalType, "Bracket Order"));
    logic->OnConditionalTypeChanged();
    EXPECT_EQ(logic->GetConditionalType(), 1);
    EXPECT_GE(controls->resizes, 2);

    ASSERT_TRUE(controls->Pick(Id(kAction, 0), "Buy"));
    logic->OnActionChanged(0);
    ASSERT_TRUE(controls->Pick(Id(kOrderType, 0), "Limit"));
    logic->OnOrderTypeChanged(0);
    EXPECT_EQ((*controls)[Id(kOrderType, 1)].items, (Texts{"StopMarket", "StopLimit", "T-Stop%", "T-Stop$"}));
    EXPECT_EQ((*controls)[Id(kOrderType, 0)].items.size(), 5u);  // no "Market" in a linked leg
    EXPECT_EQ((*controls)[Id(kGroup, 0)].text, "Lower Order");
    EXPECT_EQ((*controls)[Id(kGroup, 1)].text, "Upper Order");
    // Leg 1 follows leg 0's action, symbol and quantity; its own are disabled.
    ASSERT_TRUE(controls->Pick(Id(kAction, 0), "Sell"));
    logic->OnActionChanged(0);
    EXPECT_EQ(controls->Selected(Id(kAction, 1)), "Sell");
    EXPECT_EQ((*controls)[Id(kGroup, 0)].text, "Upper Order");
    for (UINT base : {kAction, kQuantity, kSymbol, kExpire})
        EXPECT_FALSE(controls->IsControlEnabled(Id(base, 1))) << base;
    controls->Type(Id(kSymbol, 0), "IBM");
    logic->OnSymbolChanged(0);
    EXPECT_EQ((*controls)[Id(kSymbol, 1)].text, "IBM");
    controls->Type(Id(kQuantity, 0), "300");
    EXPECT_TRUE(logic->OnEnter(Id(kQuantity, 0)));
    EXPECT_EQ((*controls)[Id(kQuantity, 1)].text, "300");
    // The first leg's expire and date go to the second.
    ASSERT_TRUE(controls->Pick(Id(kExpire, 0), "GTC"));
    logic->OnExpireChanged(0);
    EXPECT_EQ(controls->Selected(Id(kExpire, 1)), "GTC");
    controls->Type(Id(kDay, 0), "15");
    logic->OnDateChanged(0);
    EXPECT_EQ((*controls)[Id(kDay, 1)].text, "15");
    EXPECT_EQ((*controls)[Id(kMonth, 1)].text, "2");
}

TEST_F(OrderFormTest, OtherConditionalTypesLinkTheirOwnPairs)
{
    Open(3, 1);
    logic->InitControls();
    // OCA on two different symbols: the pair is not tied, the second leg may be anything.
    Fill(0, "MSFT", "100", "Limit", "10");
    Fill(1, "IBM", "100", "Limit", "20");
    EXPECT_EQ((*controls)[Id(kOrderType, 1)].items.size(), 5u);
    controls->Type(Id(kSymbol, 1), "msft");
    logic->OnSymbolChanged(1);
    EXPECT_EQ((*controls)[Id(kOrderType, 1)].items, (Texts{"StopMarket", "StopLimit", "T-Stop%", "T-Stop$"}));
    EXPECT_EQ(controls->Selected(Id(kOrderType, 1)), "StopMarket");  // "Limit" left the list

    // OT/OCA: three legs, legs 1 and 2 linked; OTA: nothing linked.
    ASSERT_TRUE(controls->Pick(kConditionalType, "One Triggers OCA (OT/OCA)"));
    logic->OnConditionalTypeChanged();
    EXPECT_EQ(logic->GetLegsInUse(), 3);
    EXPECT_TRUE(controls->IsControlShown(Id(kGroup, 2)));
    EXPECT_FALSE(controls->IsControlEnabled(Id(kExpire, 2)));
    EXPECT_TRUE(controls->IsControlEnabled(Id(kExpire, 1)));
    EXPECT_TRUE(controls->IsControlEnabled(Id(kSymbol, 2)));
    EXPECT_FALSE(controls->IsControlEnabled(Id(kRoute, 0)));  // routes are automatic on conditional orders
    ASSERT_TRUE(controls->Pick(kConditionalType, "One Triggers Another (OTA)"));
    logic->OnConditionalTypeChanged();
    EXPECT_FALSE(controls->IsControlShown(Id(kGroup, 2)));
    EXPECT_TRUE(controls->IsControlEnabled(Id(kExpire, 1)));
    EXPECT_EQ((*controls)[Id(kOrderType, 1)].items.size(), 6u);

    // The linked symbol switches the kind and goes to the leg whose chain button was last.
    logic->OnOptionChain(1);
    EXPECT_EQ(controls->optionChains, 1);
    logic->SetSymbolFromFrame("+IBM260116P00100000");
    EXPECT_EQ(logic->GetSecurityKind(), 1);
    EXPECT_TRUE(controls->GetCheck(kOptionRadio));
    EXPECT_EQ((*controls)[Id(kSymbol, 0)].text, "+IBM260116P00100000");  // set-up again: leg 0 is the last
}

TEST_F(OrderFormTest, EveryCheckSaysWhatIsWrong)
{
    Open(1, 0);
    logic->InitControls();
    auto submit = [&] {
        controls->messages.clear();
        logic->Submit(1);
        return LastMessage();
    };
    Fill(0, "", "100", "Limit", "10");
    EXPECT_EQ(submit(), "Please enter a valid symbol");
    Fill(0, "+", "100", "Limit", "10");
    EXPECT_EQ(submit(), "Please enter a valid symbol");
    Fill(0, "MS FT", "100", "Limit", "10");  // no blanks, "~" or "=" ever reach an order string
    EXPECT_EQ(submit(), "Please enter a valid symbol");
    Fill(0, "MSFT", "", "Limit", "10");
    EXPECT_EQ(submit(), "Please enter a valid quantity");
    Fill(0, "MSFT", "10.5", "Limit", "10");
    EXPECT_EQ(submit(), "Please enter a valid quantity");
    Fill(0, "MSFT", "99999999999", "Limit", "10");
    EXPECT_EQ(submit(), "Please enter a valid quantity");
    Fill(0, "MSFT", "1,0", "Limit", "10");
    EXPECT_EQ(submit(), "Please enter a valid quantity");
    Fill(0, "MSFT", "100", "Limit", "");
    EXPECT_EQ(submit(), "Please enter a valid price");
    Fill(0, "MSFT", "100", "Limit", "12,50");
    EXPECT_EQ(submit(), "Please enter a valid price");
    Fill(0, "MSFT", "100", "StopLimit", "10");
    controls->Type(kActPrice, "0");
    EXPECT_EQ(submit(), "Please enter a valid stop activation price");
    Fill(0, "MSFT", "100", "Market");
    controls->SetComboSelection(kAction, -1);
    controls->Type(kAction, "Hold");
    EXPECT_EQ(submit(), "Please select an action");
    controls->Type(kAction, "Sell");  // typed text that is an item is taken
    ASSERT_TRUE(controls->Pick(kExpire, "DAY"));
    EXPECT_EQ(submit(), "");
    EXPECT_EQ(SentLeg().action, 1);
    // Dates: 31 April and a day past six months are refused.
    Fill(0, "MSFT", "100", "Limit", "10");
    ASSERT_TRUE(controls->Pick(kExpire, "GTC"));
    logic->OnExpireChanged(0);
    controls->Type(kMonth, "4");
    controls->Type(kDay, "31");
    controls->Type(kYear, "2027");
    EXPECT_EQ(submit(), "Please enter a date between today and six months from today.");
    controls->Type(kMonth, "5");
    controls->Type(kDay, "31");
    EXPECT_EQ(submit(), "Please enter a date between today and six months from today.");
    controls->Type(kMonth, "5");
    controls->Type(kDay, "30");
    EXPECT_EQ(submit(), "");
    EXPECT_EQ(SentLeg().expirationMonth, "5");
    EXPECT_EQ(SentLeg().expirationYear, "2027");

    // A price that follows a quote it cannot read names the symbol.
    Fill(0, "MSFT", "100", "Limit", "");
    controls->priceSourceChoice = 1;
    logic->OnPriceSourceButton(0);
    EXPECT_EQ((*controls)[kPriceSource].text, "B");
    EXPECT_FALSE(controls->IsControlEnabled(kPrice));
    EXPECT_EQ(submit(), "Unable to retrieve price for symbol MSFT");
    // On a conditional form the leg is named.
    Open(3, 1);
    logic->InitControls();
    Fill(0, "MSFT", "100", "Limit", "10");
    Fill(1, "MSFT", "", "StopMarket");
    controls->Type(Id(kActPrice, 1), "9");
    EXPECT_EQ(submit(), "Order 2: Please enter a valid quantity");
    EXPECT_TRUE(env.host.submissions.size() == 2u);
}

TEST_F(OrderFormTest, QuantitiesAndPricesAsTheyAreShown)
{
    Open(1, 0);
    logic->InitControls();
    Fill(0, "MSFT", "1,000", "Limit", "$12.50");
    logic->Submit(1);
    ASSERT_EQ(env.host.submissions.size(), 1u);
    EXPECT_EQ(SentLeg().quantity, 1000);
    EXPECT_EQ(SentLeg().price, 12.5);
    EXPECT_EQ(env.host.submissions.back().source, "QXVEL");
    EXPECT_EQ(logic->GetComputedQuantity(0), 1000);
    // A hosted form is cleared after the order went out.
    EXPECT_EQ((*controls)[kSymbol].text, "");
    EXPECT_TRUE(controls->closed.empty());

    // Dollars: 1000 at 30 buys 33 and sells 34.
    for (const auto& [action, shares] : {std::pair{"Buy", 33}, std::pair{"Sell", 34}}) {
        logic->CycleQuantityMode(0);
        EXPECT_EQ((*controls)[kQuantityMode].text, "$");
        EXPECT_EQ((*controls)[kQuantityLabel].text, "Dollars:");
        EXPECT_EQ(controls->focused, kQuantity);
        Fill(0, "MSFT", "1000", "Limit", "30");
        ASSERT_TRUE(controls->Pick(kAction, action));
        logic->Submit(1);
        EXPECT_EQ(SentLeg().quantity, shares) << action;
        EXPECT_EQ(LastMessage(), "");
        logic->CycleQuantityMode(0);
        EXPECT_EQ((*controls)[kQuantityMode].text, "#");
    }
    // A dollar-amount market order without a quote has no price to divide by.
    const size_t sent = env.host.submissions.size();
    logic->CycleQuantityMode(0);
    Fill(0, "MSFT", "1000", "Market");
    logic->Submit(1);
    EXPECT_EQ(LastMessage(), "Please enter a valid amount");
    EXPECT_EQ(env.host.submissions.size(), sent);

    // An option for 500 dollars at 2.50 is 2 contracts; a modal sheet closes.
    Open(1, 0, kOrderModeNew, 1);
    controls->modal = true;
    logic->InitControls();
    EXPECT_EQ((*controls)[kClear].text, "Cancel");
    EXPECT_FALSE(controls->IsControlShown(kOptionChain));
    logic->CycleQuantityMode(0);
    Fill(0, "+MSFT260116C00300000", "500", "Limit", "2.50");
    logic->Submit(1);
    EXPECT_EQ(SentLeg().quantity, 2);
    EXPECT_EQ(env.host.submissions.back().securityKind, 1);
    EXPECT_EQ(controls->closed, std::vector<bool>{true});
    // Cancel on a modal sheet closes it.
    logic->Clear();
    EXPECT_EQ(controls->closed, (std::vector<bool>{true, false}));
}

TEST_F(OrderFormTest, QuantityModesAndPriceSources)
{
    Open(1, 0, kOrderModeAlert);
    logic->SetEntryQuantityAllowed(true);
    logic->InitControls();
    // Shares, then the entry quantity, dollars, and shares again.
    EXPECT_EQ((*controls)[kQuantityMode].text, "#");
    logic->CycleQuantityMode(0);
    EXPECT_EQ((*controls)[kQuantityMode].text, "E");
    EXPECT_EQ((*controls)[kQuantityLabel].text, "Entry Shares:");
    EXPECT_FALSE(controls->IsControlEnabled(kQuantity));
    logic->CycleQuantityMode(0);
    EXPECT_EQ((*controls)[kQuantityMode].text, "$");
    EXPECT_TRUE(controls->IsControlEnabled(kQuantity));
    logic->CycleQuantityMode(0);
    EXPECT_EQ((*controls)[kQuantityMode].text, "#");

    // In alert setup the price edit describes the source.
    ASSERT_TRUE(controls->Pick(kOrderType, "Limit"));
    logic->OnOrderTypeChanged(0);
    controls->priceSourceChoice = 4;
    controls->offsetAnswer = std::pair{1, -0.05};
    logic->OnPriceSourceButton(0);
    EXPECT_EQ(controls->lastChecked, 0);
    EXPECT_EQ((*controls)[kPrice].text, "B-0.05");
    EXPECT_EQ((*controls)[kPriceSource].text, "O");
    logic->OnPriceSourceButton(0);
    EXPECT_EQ(controls->lastChecked, 4);  // the offset item is the checked one
    controls->offsetAnswer = std::pair{2, 0.125};
    logic->OnPriceSourceButton(0);
    EXPECT_EQ((*controls)[kPrice].text, "A+0.125");
    controls->priceSourceChoice = 3;
    logic->OnPriceSourceButton(0);
    EXPECT_EQ((*controls)[kPrice].text, "Last");
    EXPECT_EQ((*controls)[kPriceSource].text, "L");
    // A market order has no price source: it returns to manual.
    ASSERT_TRUE(controls->Pick(kOrderType, "Market"));
    logic->OnOrderTypeChanged(0);
    EXPECT_EQ(logic->GetPriceSource(0), 0);
    EXPECT_EQ(logic->GetPriceOffset(0), 0);

    // Alert checks: no symbol, its own words for quantities and stop prices.
    Open(1, 0, kOrderModeAlert);
    logic->InitControls();
    controls->Type(kQuantity, "");
    logic->ReadCombos();
    EXPECT_FALSE(logic->ValidateLeg(0));
    EXPECT_EQ(LastMessage(), "Please enter a valid quantity");
    controls->Type(kQuantity, "10");
    ASSERT_TRUE(controls->Pick(kOrderType, "StopMarket"));
    logic->OnOrderTypeChanged(0);
    logic->ReadCombos();
    EXPECT_FALSE(logic->ValidateLeg(0));
    EXPECT_EQ(LastMessage(), "Please enter a valid activation price");
    controls->Type(kActPrice, "5");
    logic->ReadCombos();
    EXPECT_TRUE(logic->ValidateLeg(0));
    COrderRecord stored;
    logic->StoreLeg(0, stored);
    EXPECT_EQ(stored.quantity, 10);
    EXPECT_EQ(stored.activationPrice, 5);
    EXPECT_EQ(stored.orderType, "StopMarket");
}

TEST_F(OrderFormTest, AccountsOfTheOrder)
{
    Open(1, 0);
    logic->InitControls();
    EXPECT_EQ((*controls)[kAccount].items, (Texts{"Active", "All", "Multiple...", "Individual", "IRA"}));
    EXPECT_EQ(controls->GetComboSelection(kAccount), 0);
    ASSERT_TRUE(controls->Pick(kAccount, "IRA"));
    logic->OnAccountChanged();
    EXPECT_EQ(logic->GetAccountMode(), 2);
    EXPECT_EQ(logic->GetAccountNames(), Texts{"IRA"});
    Fill(0, "MSFT", "10", "Market");
    logic->Submit(1);
    EXPECT_EQ(env.host.submissions.back().account, "10000002");
    // "Multiple..." asks; a cancelled dialog keeps the choice.
    ASSERT_TRUE(controls->Pick(kAccount, "Multiple..."));
    logic->OnAccountChanged();
    EXPECT_EQ(logic->GetAccountNames(), Texts{"IRA"});
    EXPECT_EQ(controls->Selected(kAccount), "IRA");
    controls->accountsAnswer = std::pair{2, Texts{"Individual", "IRA"}};
    logic->ChooseAccounts();
    EXPECT_EQ(controls->Selected(kAccount), "Multiple...");
    Fill(0, "MSFT", "10", "Market");
    logic->Submit(1);
    EXPECT_EQ(env.host.submissions.size(), 3u);
    ASSERT_TRUE(controls->Pick(kAccount, "All"));
    logic->OnAccountChanged();
    EXPECT_TRUE(logic->GetAccountNames().empty());

    // One account, an update or a conditional alert setup: no account choice.
    env.host.accounts.resize(1);
    Open(1, 0);
    logic->InitControls();
    EXPECT_FALSE(controls->IsControlShown(kAccount));
}

TEST_F(OrderFormTest, AnOpenOrderIsUpdatedThroughEditOrder)
{
    Open(1, 0, kOrderModeUpdate);
    controls->modal = true;
    COrderRecord record(0);
    record.orderId = "1007";
    record.symbol = "MSFT";
    record.quantity = 100;
    record.price = 300;
    record.expire = "DAY";
    logic->LoadLeg(record, 0);
    logic->InitControls();
    EXPECT_EQ((*controls)[kPlace].text, "&Update Order");
    EXPECT_FALSE(controls->IsControlShown(kSave));
    EXPECT_FALSE(controls->IsControlShown(kAccount));
    EXPECT_FALSE(controls->IsControlEnabled(kSymbol));
    EXPECT_EQ((*controls)[kOrderType].items.size(), 4u);
    EXPECT_EQ((*controls)[kExpire].items, (Texts{"DAY", "GTC"}));
    controls->Type(kQuantity, "150");
    controls->Type(kPrice, "299.5");
    env.host.editError = "Order 1007 cannot be changed.";
    logic->Submit(1);
    ASSERT_EQ(env.host.edits.size(), 1u);
    EXPECT_EQ(env.host.edits[0].orderId, "1007");
    EXPECT_EQ(env.host.edits[0].quantity, 150);
    EXPECT_EQ(env.host.edits[0].price, 299.5);
    EXPECT_EQ(LastMessage(), "Order 1007 cannot be changed.");
    EXPECT_TRUE(controls->closed.empty());
    env.host.editError.Empty();
    logic->Submit(1);
    EXPECT_EQ(controls->closed, std::vector<bool>{true});
    EXPECT_TRUE(env.host.submissions.empty());  // an update never places a new order
}

TEST_F(OrderFormTest, AnEditOfTheQuantityAloneKeepsTheLimitPriceToTheLastDecimal)
{
    Open(1, 0, kOrderModeUpdate);
    controls->modal = true;
    COrderRecord record(0);
    record.orderId = "1008";
    record.symbol = "MSFT";
    record.quantity = 10;
    record.orderType = "StopLimit";
    record.price = 50.123;
    record.activationPrice = 49.9875;
    record.expire = "DAY";
    logic->LoadLeg(record, 0);
    logic->InitControls();
    EXPECT_EQ((*controls)[kPrice].text, "50.123");
    EXPECT_EQ((*controls)[kActPrice].text, "49.9875");
    controls->Type(kQuantity, "20");
    logic->Submit(1);
    ASSERT_EQ(env.host.edits.size(), 1u);
    EXPECT_EQ(env.host.edits[0].quantity, 20);
    EXPECT_EQ(OrderPriceText(env.host.edits[0].price), "50.123");
    EXPECT_EQ(OrderPriceText(env.host.edits[0].activationPrice), "49.9875");
}

TEST_F(OrderFormTest, APriceTheOrderStringCannotCarryAsTypedIsRefusedAtEntry)
{
    Open(1, 0);
    logic->InitControls();
    auto submit = [&] {
        controls->messages.clear();
        logic->Submit(1);
        return LastMessage();
    };
    // 0.00004 would go out as price=0.00; 50.12345 as 50.1235.
    for (const char* price : {"0.00004", "50.12345", "0.00001"}) {
        Fill(0, "MSFT", "10", "Limit", price);
        EXPECT_EQ(submit(), "Please enter a valid price") << price;
    }
    Fill(0, "MSFT", "10", "StopMarket");
    controls->Type(kActPrice, "12.00005");
    EXPECT_EQ(submit(), "Please enter a valid stop activation price");
    EXPECT_TRUE(env.host.submissions.empty());
    Fill(0, "MSFT", "10", "Limit", "0.0001");
    EXPECT_EQ(submit(), "");
    ASSERT_EQ(env.host.submissions.size(), 1u);
    EXPECT_EQ(OrderPriceText(SentLeg().price), "0.0001");
}

TEST_F(OrderFormTest, AConditionalAlertSetupOnlyChecksAndCloses)
{
    Open(3, 1, kOrderModeAlert);
    controls->modal = true;
    logic->SetConditionalType(2);
    logic->InitControls();
    EXPECT_EQ((*controls)[kPlace].text, "OK");
    EXPECT_FALSE(controls->IsControlShown(kAccount));
    controls->Type(Id(kQuantity, 0), "100");
    controls->Type(Id(kQuantity, 1), "");
    ASSERT_TRUE(controls->Pick(Id(kOrderType, 0), "Market"));
    logic->OnOrderTypeChanged(0);
    ASSERT_TRUE(controls->Pick(Id(kOrderType, 1), "Market"));
    logic->OnOrderTypeChanged(1);
    logic->Submit(1);
    EXPECT_EQ(LastMessage(), "Order 2: Please enter a valid quantity");
    controls->Type(Id(kQuantity, 1), "100");
    logic->Submit(1);
    EXPECT_EQ(controls->closed, std::vector<bool>{true});
    EXPECT_TRUE(env.host.submissions.empty());
    COrderRecord leg;
    logic->StoreLeg(1, leg);
    EXPECT_EQ(leg.quantity, 100);
    EXPECT_EQ(leg.orderType, "Market");
}
