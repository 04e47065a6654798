// What the formula wizard computes without its window: the calls "Add" builds, the
// function lists, formula library files, symbol lists, the alerts made from a setup and
// the order a fired alert sends.
#include "alerts/AlertMail.h"
#include "alerts/AlertOrders.h"
#include "alerts/CAlertBook.h"
#include "alerts/CAlertEvent.h"
#include "alerts/CAlertSetup.h"
#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "alerts/FormulaFunctions.h"
#include "alerts/FormulaLibraryFile.h"
#include "alerts/SafeFileName.h"
#include "common/services/TextHelpers.h"
#include "tests/platform/TempFolder.h"
#include "tests/trading/FakeOrderForm.h"
#include "trading/SendOrders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<CString> Defaults(const char* name)
{
    std::vector<CString> texts;
    for (const CWizardParameter& p : FindWizardIndicator(name)->parameters)
        texts.emplace_back(p.defaultText);
    return texts;
}

}  // namespace

TEST(FormulaWizard, AddBuildsCallsWithTheirParameters)
{
    EXPECT_EQ(BuildFunctionCall("RSI", "RSI", Defaults("RSI"), "0", ""), "RSI[RSI,14,D]");
    EXPECT_EQ(BuildFunctionCall("RSI", "RSI", Defaults("RSI"), "2", ""), "RSI[RSI,14,D,2]");
    EXPECT_EQ(BuildFunctionCall("RSI", "RSI", Defaults("RSI"), "", "IBM"), "RSI[RSI,14,D,0,IBM]");
    EXPECT_EQ(BuildFunctionCall("MACD", "Diff", Defaults("MACD"), "0", ""), "MACD[Diff,Close,12,26,9,D]");
    EXPECT_EQ(BuildFunctionCall("Level2", "Bid", Defaults("Level2"), "", ""), "Level2[Bid,INET]");
    EXPECT_EQ(BuildFunctionCall("Level2", "Bid", Defaults("Level2"), "", "XYZ"), "Level2[Bid,INET,0,XYZ]");
    EXPECT_EQ(BuildFunctionCall("Last", "", {}, "", "XYZ"), "Last[XYZ]");
    EXPECT_EQ(BuildFunctionCall("PctChange", "", {}, "", ""), "PctChange");
    EXPECT_EQ(BuildFunctionCall("Year", "", {}, "", ""), "Year");
}

TEST(FormulaWizard, FunctionListsByCategory)
{
    EXPECT_EQ(FunctionNamesOfCategory(kCategoryQuote).size(), 18u);
    EXPECT_EQ(FunctionNamesOfCategory(kCategoryOption).size(), 12u);
    EXPECT_EQ(FunctionNamesOfCategory(kCategorySystem).size(), 12u);
    EXPECT_EQ(FunctionNamesOfCategory(kCategoryTechnical).size(), 27u);  // StochRSI is not offered
    EXPECT_EQ(FunctionNamesOfCategory(kCategoryAll).size(), 69u);
    const std::vector<CString> quote = FunctionNamesOfCategory(kCategoryQuote);
    for (const char* name : {"YesterdayClose", "1YearHigh", "PctChange", "PctInDailyRange", "BidAskSpread", "PERatio"})
        EXPECT_NE(std::find(quote.begin(), quote.end(), name), quote.end()) << name;
    const std::vector<CString> all = FunctionNamesOfCategory(kCategoryAll);
    EXPECT_EQ(std::find(all.begin(), all.end(), "StochRSI"), all.end());
    EXPECT_STREQ(FunctionCategoryLetter(kCategoryOption), "O");
    // The price alert's field picker: formula names to quote field ids and back.
    EXPECT_EQ(PriceFieldNames().size(), 30u);
    EXPECT_EQ(PriceFieldIdOfName("PctChange"), 36);
    EXPECT_EQ(PriceFieldIdOfName("DaysToExpiration"), 39);
    EXPECT_EQ(PriceFieldIdOfName("Nonsense"), 3);
    EXPECT_EQ(PriceFieldNameOfId(99), "PERatio");
    EXPECT_EQ(PriceFieldNameOfId(5), "");
}

TEST(FormulaWizard, EveryCallTheWizardBuildsParses)
{
    CString error;
    for (const CWizardIndicator& indicator : WizardIndicators()) {
        for (const char* output : indicator.outputs) {
            const CString call = BuildFunctionCall(indicator.name, output, Defaults(indicator.name), "1", "");
            EXPECT_TRUE(ValidateFormulaText(call + " > 0", error)) << call.str() << ": " << error.str();
        }
    }
    for (const CString& name : FunctionNamesOfCategory(kCategoryAll)) {
        if (!FindWizardIndicator(name)) {
            EXPECT_TRUE(ValidateFormulaText(name + " >= 1", error)) << name.str() << ": " << error.str();
        }
    }
    EXPECT_FALSE(ValidateFormulaText("Last >", error));
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_FALSE(ValidateFormulaText("Nonsense[1] > 2", error));
}

TEST(FormulaWizard, LibraryFilesRoundTripAndBadFilesLoadNothing)
{
    TempFolder folder;
    const std::string path = folder.file("Cross.qxf");
    CString error;
    ASSERT_TRUE(WriteFormulaFile(path.c_str(), "Cross ]]> over", "Last > MovingAverage[MA,Close,10,0,D]", error));
    EXPECT_EQ(ReadAll(path), FormatFormulaXml("Cross ]]> over", "Last > MovingAverage[MA,Close,10,0,D]").str());
    CString name = "kept";
    CString expression = "kept";
    ASSERT_TRUE(ReadFormulaFile(path.c_str(), name, expression, error)) << error.str();
    EXPECT_EQ(name, "Cross ]]> over");
    EXPECT_EQ(expression, "Last > MovingAverage[MA,Close,10,0,D]");

    // Element names are found in any case; a missing expression loads nothing.
    name = expression = "kept";
    EXPECT_TRUE(ParseFormulaText("<formula><NAME>a</NAME><expression>b</expression></formula>", name, expression,
                                 error));
    EXPECT_EQ(expression, "b");
    name = expression = "kept";
    EXPECT_FALSE(ParseFormulaText("<Formula><Name>a</Name></Formula>", name, expression, error));
    EXPECT_TRUE(error.IsEmpty());
    EXPECT_EQ(name, "kept");
    EXPECT_FALSE(ParseFormulaText("<Formula><Name>a</Name><Expression></Expression></Formula>", name, expression,
                                  error));
    EXPECT_FALSE(ParseFormulaText("<Formula><Name>a", name, expression, error));
    EXPECT_EQ(error.Left(23), "Error parsing formula: ");
    const std::string missing = folder.file("missing.qxf");
    EXPECT_FALSE(ReadFormulaFile(missing.c_str(), name, expression, error));
    EXPECT_EQ(error, CString("Error openning file ") + missing.c_str());
    {
        std::ofstream big(folder.file("big.qxf"), std::ios::binary);
        big << std::string(kMaxFormulaFileBytes + 1, ' ');
    }
    EXPECT_FALSE(ReadFormulaFile(folder.file("big.qxf").c_str(), name, expression, error));
    EXPECT_EQ(error.Left(19), "Error reading file ");

    // A file that cannot be written is reported and the old one stays.
    const std::string unwritable = folder.file("no-such-folder/x.qxf");
    EXPECT_FALSE(WriteFormulaFile(unwritable.c_str(), "x", "Last > 1", error));
    EXPECT_EQ(error, CString("Error opening file ") + unwritable.c_str() + " for writing");
    EXPECT_EQ(ReadAll(path), FormatFormulaXml("Cross ]]> over", "Last > MovingAverage[MA,Close,10,0,D]").str());
}

TEST(FormulaWizard, SymbolListsAndSafeFileNames)
{
    EXPECT_EQ(SymbolListFromText("MSFT\r\nIBM\n\n  AAPL  \nF"), "MSFT IBM AAPL F");
    EXPECT_EQ(SymbolListFromText(""), "");
    TempFolder folder;
    CString symbols;
    CString error;
    EXPECT_FALSE(ReadSymbolListFile(folder.file("none.sym").c_str(), symbols, error));
    EXPECT_EQ(error.Left(19), "Error reading file ");

    EXPECT_EQ(MakeSafeFileName("a/b:c"), "a-b-c");
    EXPECT_EQ(MakeSafeFileName("\\/:*?\"<>|"), "---------");
    EXPECT_EQ(MakeSafeFileName(""), "File");
    EXPECT_EQ(MakeSafeFileName(std::string(250, 'x').c_str()).GetLength(), 200);
}

namespace {

class AlertSetupTest : public ::testing::Test {
protected:
    AlertSetupTest()
    {
        env.settings.SetAlertBook(std::make_unique<CAlertBook>(env.settings));
    }
    CAlertBook& Book() { return *CAlertBook::Instance(); }

    CTradingTestEnvironment env;
};

}  // namespace

TEST_F(AlertSetupTest, OneAlertPerSymbolWithTheChosenOrderAndSound)
{
    CAlertSetup setup;
    setup.m_symbols = "msft  ibm ";
    setup.m_formula = "Last > 10";
    setup.m_soundFile = "/sounds/ding.wav";
    setup.m_bPlaceOrder = 1;
    setup.m_tradeInfo.m_legs[0].quantity = 25;
    EXPECT_EQ(CreateAlertsFromSetup(setup, nullptr), 2);
    ASSERT_EQ(Book().Count(), 2u);
    EXPECT_EQ(Book().At(0)->m_symbol, "MSFT");
    EXPECT_EQ(Book().At(1)->m_symbol, "IBM");
    const auto* formula = dynamic_cast<CFormulaAlert*>(Book().At(1));
    ASSERT_NE(formula, nullptr);
    EXPECT_EQ(formula->GetFormulaText(), "Last > 10");
    EXPECT_EQ(formula->m_nType, kAlertFormula);
    ASSERT_NE(formula->GetTradeInfo(), nullptr);
    EXPECT_EQ(formula->GetTradeInfo()->m_legs[0].quantity, 25);
    EXPECT_EQ(formula->m_soundFile, "/sounds/ding.wav");

    // A price alert, without order or sound, taking the state of the alert it replaces.
    CPriceAlert old;
    old.m_bIsTriggered = 1;
    old.InsertHistory({"01/02/2026 10:00:00", 12.5});
    CAlertSetup basic;
    basic.m_nType = kSetupTypeBasic;
    basic.m_symbols = "aapl";
    basic.m_nColumn = 6;
    basic.m_nDirection = 1;
    basic.m_target = 99.5;
    basic.m_soundFile = "/sounds/ding.wav";
    basic.m_bPlaySound = 0;
    EXPECT_EQ(CreateAlertsFromSetup(basic, &old), 1);
    const auto* price = dynamic_cast<CPriceAlert*>(Book().At(Book().Count() - 1));
    ASSERT_NE(price, nullptr);
    EXPECT_EQ(price->m_nColumn, 6);
    EXPECT_EQ(price->m_nDirection, 1);
    EXPECT_EQ(price->m_target, 99.5);
    EXPECT_EQ(price->GetTradeInfo(), nullptr);
    EXPECT_TRUE(price->m_soundFile.IsEmpty());
    EXPECT_EQ(price->m_bIsTriggered.load(), 1);
    EXPECT_EQ(price->GetHistory().size(), 1u);

    CAlertSetup none;
    none.m_symbols = "   ";
    EXPECT_EQ(CreateAlertsFromSetup(none, nullptr), 0);
    EXPECT_EQ(Book().Count(), 3u);

    // Editing starts from the alert: its type, condition, order and sound.
    const CAlertSetup edited(price);
    EXPECT_EQ(edited.m_nType, kSetupTypeBasic);
    EXPECT_EQ(edited.m_nColumn, 6);
    EXPECT_EQ(edited.m_target, 99.5);
    EXPECT_EQ(edited.m_bPlaceOrder, 0);
    EXPECT_EQ(edited.m_bPlaySound, 0);
    const CAlertSetup withOrder(formula);
    EXPECT_EQ(withOrder.m_formula, "Last > 10");
    EXPECT_EQ(withOrder.m_bPlaceOrder, 1);
    EXPECT_EQ(withOrder.m_bPlaySound, 1);
}

TEST_F(AlertSetupTest, AFiredAlertSendsItsOrderThroughTheGate)
{
    CPriceAlert alert;
    alert.m_symbol = "MSFT";
    CAlertTradeInfo info(0);
    info.m_nAcctType = 2;
    info.m_accounts = {"IRA"};
    COrderRecord& leg = info.m_legs[0];
    leg.action = 0;
    leg.orderType = "Limit";
    leg.quantityMode = 0;
    leg.quantity = 1000;
    leg.price = 30;
    alert.SetTradeInfo(&info);

    int entry = 0;
    const std::vector<COrderRecord> legs = AlertOrderLegs(alert, 1, entry);
    ASSERT_EQ(legs.size(), 1u);
    EXPECT_EQ(legs[0].symbol, "MSFT");
    EXPECT_EQ(legs[0].quantity, 33);
    EXPECT_EQ(entry, 33);
    // The second firing reverses the order (a sale rounds up); the stored leg is still
    // a dollar amount.
    const std::vector<COrderRecord> again = AlertOrderLegs(alert, 2, entry);
    EXPECT_EQ(again[0].action, 1);
    EXPECT_EQ(again[0].quantity, 34);
    EXPECT_EQ(alert.GetTradeInfo()->m_legs[0].quantityMode, 0);

    // Through the book by id. Program trading off: the order becomes a saved order (place
    // flag 0), origin 3.
    auto owned = std::make_unique<CPriceAlert>(alert);
    const AlertId id = Book().Add(std::move(owned));
    EXPECT_EQ(PlaceAlertOrder(id, 1, nullptr), EAlertOrderResult::kSent);
    ASSERT_EQ(env.host.submissions.size(), 1u);
    EXPECT_EQ(env.host.submissions[0].place, 0);
    EXPECT_EQ(env.host.submissions[0].source, "Quorvantelix");
    EXPECT_EQ(env.host.submissions[0].account, "10000002");
    EXPECT_EQ(env.host.submissions[0].legs[0].price, 30);
    env.settings.m_tradingDefaults.Row(1).programTrading = 1;
    EXPECT_EQ(PlaceAlertOrder(id, 1, nullptr), EAlertOrderResult::kSent);
    EXPECT_EQ(env.host.submissions.back().place, 1);
    // An alert without an order sends nothing; one deleted meanwhile is not read.
    const AlertId plain = Book().Add(std::make_unique<CPriceAlert>());
    EXPECT_EQ(PlaceAlertOrder(plain, 1, nullptr), EAlertOrderResult::kNoOrder);
    Book().Remove(id);
    EXPECT_EQ(PlaceAlertOrder(id, 1, nullptr), EAlertOrderResult::kGone);
    EXPECT_EQ(env.host.submissions.size(), 2u);
}

TEST_F(AlertSetupTest, AnAlertsOrderPassesTheOrderGatesChecksWhateverFileItCameFrom)
{
    // A symbol from alerts.xml that would add fields to the order string is refused by
    // the gate's own check, with its message; nothing reaches the broker.
    CString error;
    ASSERT_TRUE(Book().FromXmlText("<Alerts><Alert><Type>0</Type><Symbol>IBM~accountid=1</Symbol>"
                                   "<TradeInfo><Leg><Action>0</Action><QuantityType>1</QuantityType>"
                                   "<QtyAmt>10</QtyAmt><OrderType>Limit</OrderType><Price>1.5</Price></Leg>"
                                   "</TradeInfo></Alert></Alerts>",
                                   &error));
    ASSERT_EQ(Book().Count(), 1u);
    env.settings.m_tradingDefaults.Row(1).programTrading = 1;
    EXPECT_EQ(PlaceAlertOrder(Book().At(0)->GetId(), 1, nullptr), EAlertOrderResult::kRefused);
    EXPECT_TRUE(env.host.submissions.empty());
    ASSERT_EQ(env.host.messages.size(), 1u);
    EXPECT_NE(env.host.messages[0].Find("is not a valid symbol"), -1) << env.host.messages[0].str();
}

TEST_F(AlertSetupTest, EveryOrderTextOfAnAlertFileThatIsNoOrderWordIsRefusedNamingItsField)
{
    // Each text below would add a key to the order string if it went through as written.
    struct Case {
        const char* element;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"Route", "Auto~symbol=EVIL", "Invalid routing: Auto~symbol=EVIL"},
        {"OrderType", "Limit~ordtype=market", "Invalid order type: Limit~ordtype=market"},
        {"Expire", "Day~accountid=2", "Invalid expiration: Day~accountid=2"},
        {"Instr", "AON~price=1", "Invalid special instructions: AON~price=1"},
    };
    env.settings.m_tradingDefaults.Row(1).programTrading = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element);
        while (Book().Count() > 0)
            Book().Remove(Book().At(0)->GetId());
        env.host.messages.clear();
        const CString orderType = CString(c.element) == "OrderType" ? "" : "<OrderType>Limit</OrderType>";
        CString xml;
        xml.Format("<Alerts><Alert><Type>0</Type><Symbol>IBM</Symbol><TradeInfo><Leg><Action>0</Action>"
                   "<QuantityType>1</QuantityType><QtyAmt>10</QtyAmt>%s"
                   "<Price>1.5</Price><%s>%s</%s></Leg></TradeInfo></Alert></Alerts>",
                   orderType.GetString(), c.element, c.text, c.element);
        CString error;
        ASSERT_TRUE(Book().FromXmlText(xml, &error)) << error.str();
        ASSERT_EQ(Book().Count(), 1u);
        EXPECT_EQ(PlaceAlertOrder(Book().At(0)->GetId(), 1, nullptr), EAlertOrderResult::kRefused);
        EXPECT_TRUE(env.host.submissions.empty());
        ASSERT_EQ(env.host.messages.size(), 1u);
        EXPECT_NE(env.host.messages[0].Find(c.message), -1) << env.host.messages[0].str();
    }
}

TEST_F(AlertSetupTest, TheAlertEmailNamesTheFiringAndTheSettingsChooseTheServer)
{
    CPriceAlert alert;
    alert.m_symbol = "IBM";
    alert.m_nColumn = 3;
    alert.m_target = 500;
    CAlertEvent event;
    event.m_price = 501.5;
    event.m_nTrigger = 1;
    event.m_date = "12/07/2026 10:31:05";
    EXPECT_EQ(AlertMailSubject(alert), "Quorvantelix Alert: IBM Last >= 500");
    EXPECT_EQ(AlertMailText(alert, event),
              "Symbol: IBM\r\nCondition: Last >= 500\r\nPrice: 501.50\r\nTime: 12/07/2026 10:31:05\r\nOrder: None\r\n");

    env.settings.m_smtpServer = "smtp.example.com";
    env.settings.m_nSmtpPort = 465;
    env.settings.m_bEmailLogin = true;
    env.settings.m_emailUser = "me";
    env.settings.m_emailPassword = "pw";
    CMailSettings mail = MailSettingsFrom(env.settings, "/ca.pem");
    EXPECT_EQ(mail.server, "smtp.example.com");
    EXPECT_EQ(mail.port, 465u);
    EXPECT_TRUE(mail.implicitTls);  // port 465 speaks TLS from the start
    EXPECT_TRUE(mail.login);
    EXPECT_FALSE(mail.allowLoginWithoutTls);
    EXPECT_EQ(mail.caFile, "/ca.pem");
    env.settings.m_nSmtpPort = 587;
    EXPECT_FALSE(MailSettingsFrom(env.settings, "").implicitTls);
    env.settings.m_nSmtpPort = 70000;
    EXPECT_EQ(MailSettingsFrom(env.settings, "").port, 0u);  // refused by the session, not sent to another port
}
