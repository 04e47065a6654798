// The alerts file: writing and reading alerts.xml, kinds by type, the kept file after a
// failed load, and the conversion of every version of alerts.dat.
#include "alerts/CAlertBook.h"
#include "alerts/CAlertTradeInfo.h"
#include "alerts/CFormulaAlert.h"
#include "alerts/CPriceAlert.h"
#include "alerts/CStrategyAlert.h"
#include "common/services/CAppSettings.h"
#include "platform/core/CArchive.h"
#include "platform/core/CFile.h"
#include "tests/platform/TempFolder.h"
#include "tests/support/RecordingNotifier.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace {

class CAlertBookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_settings.SetWorkingDirectory(CString(m_folder.path().string()));
        m_settings.SetNotifier(&m_recorder);
        m_settings.SetAlertBook(std::make_unique<CAlertBook>(m_settings));
        CAppSettings::Install(&m_settings);
    }
    void TearDown() override { CAppSettings::Install(nullptr); }

    CAlertBook& Book() { return *CAlertBook::Instance(); }
    std::string Path(const char* name) const { return m_folder.file(name); }
    bool Exists(const char* name) const { return fs::exists(m_folder.file(name)); }
    std::string Read(const char* name) const { return m_folder.read(name); }
    void Write(const char* name, const std::string& bytes) const { m_folder.write(name, bytes); }
    // alerts.dat as the older program stored it: version, count, then the records.
    void WriteDat(int version, int count, const std::function<void(CArchive&)>& records) const
    {
        CFile file;
        ASSERT_TRUE(file.Open(Path("alerts.dat").c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);
        ar << version << count;
        records(ar);
        ar.Close();
        file.Close();
    }
    // Reads alerts.xml into a book of its own.
    std::unique_ptr<CAlertBook> Reload()
    {
        auto book = std::make_unique<CAlertBook>(m_settings);
        EXPECT_TRUE(book->LoadAlerts());
        return book;
    }

    TempFolder m_folder;
    CRecordingNotifier m_recorder;
    CAppSettings m_settings;
};

const char* const kHeader = "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n<Alerts>\r\n<Version>19</Version>\r\n";

template <typename T>
T* As(CAlert* alert)
{
    T* kind = dynamic_cast<T*>(alert);
    EXPECT_NE(kind, nullptr);
    return kind;
}

size_t CountOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(CAlertBookTest, InstanceIsTheBookOfTheInstalledSettings)
{
    EXPECT_EQ(CAlertBook::Instance(), m_settings.GetAlertBook());
    CAppSettings::Install(nullptr);
    EXPECT_EQ(CAlertBook::Instance(), nullptr);
    CAppSettings other;
    CAppSettings::Install(&other);
    EXPECT_EQ(CAlertBook::Instance(), nullptr);
}

TEST_F(CAlertBookTest, EmptyBookWritesHeaderAndHoursOnlyAndReadsThemBack)
{
    Book().m_alertHours.m_nCheckTime = 1;
    Book().m_alertHours.m_nFromHour = 10;
    Book().m_alertHours.m_nFromMinute = 0;
    Book().m_alertHours.m_nToHour = 15;
    Book().m_alertHours.m_nToMinute = 30;
    ASSERT_TRUE(Book().SaveAlerts());
    EXPECT_EQ(Read("alerts.xml"), std::string(kHeader) +
                                      "<AlertHours><CheckTime>1</CheckTime><FromHour>10</FromHour><FromMinute>0"
                                      "</FromMinute><ToHour>15</ToHour><ToMinute>30</ToMinute></AlertHours>\r\n"
                                      "</Alerts>");

    auto read = Reload();
    EXPECT_TRUE(read->Count() == 0);
    EXPECT_EQ(read->m_alertHours.ToXml(), Book().m_alertHours.ToXml());
    EXPECT_TRUE(m_recorder.messages.empty());
}

TEST_F(CAlertBookTest, AlertsOfEveryKindSurviveAWriteAndRead)
{
    auto price = std::make_unique<CPriceAlert>();
    price->m_symbol = "IBM";
    price->m_nColumn = 6;
    price->m_target = 101.25;
    price->m_nDirection = 1;
    price->m_bIsTriggered = 1;
    price->m_soundFile = "C:\\Sounds\\ding.wav";
    price->InsertHistory({"01/02/2026 10:00:00", 100.5});
    price->InsertHistory({"01/03/2026 11:00:00", 101.75});
    Book().Add(std::move(price));

    auto formula = std::make_unique<CFormulaAlert>("C < O && V > 100 & 1");
    formula->m_symbol = "MSFT";
    formula->m_bPaused = 1;
    formula->m_nNumTriggered = 3;
    formula->m_entryPrice = 25.5;
    formula->m_nEntryShares = 40;
    formula->m_nEntryDate = 20260105;
    formula->m_nEntryTime = 1767600000;
    Book().Add(std::move(formula));
    ASSERT_TRUE(Book().SaveAlerts());

    const std::string text = Read("alerts.xml");
    EXPECT_NE(text.find("<![CDATA[C < O && V > 100 & 1]]>"), std::string::npos);
    EXPECT_EQ(text.compare(text.size() - 9, 9, "</Alerts>"), 0);

    // Every field is in the text, so an equal text after reading means nothing was lost.
    auto read = Reload();
    ASSERT_EQ(read->Count(), 2u);
    EXPECT_NE(dynamic_cast<CPriceAlert*>(read->At(0)), nullptr);
    const CFormulaAlert* f = As<CFormulaAlert>(read->At(1));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetFormulaText(), "C < O && V > 100 & 1");
    EXPECT_EQ(read->At(0)->GetHistory().at(0).m_date, "01/03/2026 11:00:00");  // newest first
    EXPECT_EQ(read->ToXmlText(), Book().ToXmlText());
}

TEST_F(CAlertBookTest, StrategyReadsBackWithOwnedSubAlertsAndIsFoundThroughThem)
{
    auto strategy = std::make_unique<CStrategyAlert>();
    strategy->m_symbol = "QQQ";
    strategy->m_strategyName = "Cross <fast> & slow";
    strategy->m_nNumRoundTrips = 7;
    strategy->m_nOverrideInterval = 1;
    strategy->m_interval = "15";
    auto entry = std::make_unique<CFormulaAlert>("C > MA(C, 10)");
    entry->m_symbol = "QQQ";
    entry->InsertHistory({"02/03/2026 09:45:00", 401.5});
    CAlertTradeInfo buy(0);
    buy.m_legs[0].action = 0;
    buy.m_legs[0].quantity = 10;
    entry->SetTradeInfo(&buy);
    auto exit = std::make_unique<CFormulaAlert>("C < MA(C, 10)");
    exit->m_symbol = "QQQ";
    CAlertTradeInfo sell(0);
    sell.m_legs[0].action = 1;
    sell.m_legs[0].quantityMode = 2;
    exit->SetTradeInfo(&sell);
    strategy->SetEntryAlert(std::move(entry));
    strategy->SetExitAlert(std::move(exit));
    Book().Add(std::make_unique<CPriceAlert>());
    Book().Add(std::move(strategy));
    ASSERT_TRUE(Book().SaveAlerts());

    auto read = Reload();
    ASSERT_EQ(read->Count(), 2u);
    CStrategyAlert* s = As<CStrategyAlert>(read->At(1));
    ASSERT_NE(s, nullptr);
    ASSERT_NE(s->GetEntryAlert(), nullptr);
    ASSERT_NE(s->GetExitAlert(), nullptr);
    EXPECT_EQ(s->GetEntryAlert()->GetOwner(), s);
    EXPECT_EQ(s->GetExitAlert()->GetOwner(), s);
    EXPECT_EQ(s->GetEntryAlert()->GetHistory().size(), 1u);
    EXPECT_TRUE(s->GetHistory().empty());  // the sub-alert's history is not the strategy's
    EXPECT_EQ(s->GetTradeInfo(), nullptr);
    EXPECT_EQ(read->ToXmlText(), Book().ToXmlText());

    EXPECT_EQ(read->FindAlertIndex(s->GetId()), 1);
    EXPECT_EQ(read->FindAlertIndex(s->GetEntryAlert()->GetId()), 1);
    EXPECT_EQ(read->FindAlertIndex(s->GetExitAlert()->GetId()), 1);
    EXPECT_EQ(read->FindAlertIndex(read->At(0)->GetId()), 0);
    EXPECT_EQ(read->FindAlertIndex(Book().At(1)->GetId()), -1);
    EXPECT_EQ(read->FindAlertIndex(0), -1);
    // Every alert object has an id of its own; the lookup reaches the sub-alerts.
    EXPECT_NE(s->GetId(), s->GetEntryAlert()->GetId());
    EXPECT_NE(read->At(0)->GetId(), Book().At(0)->GetId());
    AlertId found = 0;
    EXPECT_TRUE(read->WithAlert(s->GetExitAlert()->GetId(), [&](CAlert& a) { found = a.GetId(); }));
    EXPECT_EQ(found, s->GetExitAlert()->GetId());
    EXPECT_FALSE(read->WithAlert(Book().At(1)->GetId(), [](CAlert&) { ADD_FAILURE(); }));
}

TEST_F(CAlertBookTest, KindFollowsTypeAndElementsWithoutTypeKeepThePreviousOne)
{
    CString error;
    ASSERT_TRUE(Book().FromXmlText("<alerts>"
                                   "<Alert><Symbol>A</Symbol></Alert>"
                                   "<Alert><Type>0</Type><Symbol>B</Symbol></Alert>"
                                   "<Note><Type>3</Type></Note>"
                                   "<Alert><Symbol>C</Symbol></Alert>"
                                   "<ALERT><TYPE>5</TYPE></ALERT>"
                                   "<Alert><Entry><Alert><Type>1</Type></Alert></Entry></Alert>"
                                   "<Alert><Type>3</Type></Alert>"
                                   "<Alert><Type></Type><Symbol>G</Symbol></Alert>"
                                   "</alerts>",
                                   &error));
    std::vector<CAlert*> alerts;
    for (size_t i = 0; i < Book().Count(); ++i)
        alerts.push_back(Book().At(i));
    ASSERT_EQ(alerts.size(), 7u);  // the Note element is no alert
    // The first element without a Type is a formula alert: without a formula it never fires.
    EXPECT_NE(dynamic_cast<CFormulaAlert*>(alerts[0]), nullptr);
    EXPECT_EQ(alerts[0]->m_nType, kAlertFormula);
    EXPECT_NE(dynamic_cast<CPriceAlert*>(alerts[1]), nullptr);
    EXPECT_NE(dynamic_cast<CPriceAlert*>(alerts[2]), nullptr);
    EXPECT_EQ(alerts[2]->m_symbol, "C");
    EXPECT_NE(dynamic_cast<CStrategyAlert*>(alerts[3]), nullptr);
    // A strategy's sub-alert does not lend its Type to the element around it.
    EXPECT_NE(dynamic_cast<CStrategyAlert*>(alerts[4]), nullptr);
    EXPECT_EQ(alerts[4]->m_nType, kAlertStrategy);
    for (size_t i : {5u, 6u}) {
        EXPECT_NE(dynamic_cast<CFormulaAlert*>(alerts[i]), nullptr);
        EXPECT_EQ(alerts[i]->m_nType, kAlertNews);
    }
}

TEST_F(CAlertBookTest, TradeInfoReadsTheFirstThreeOfFourLegs)
{
    std::string legs;
    for (int action = 0; action < 4; ++action)
        legs += "<Leg><Action>" + std::to_string(action) + "</Action><QtyAmt>" + std::to_string(100 * (action + 1)) +
                "</QtyAmt><OrderType>Limit</OrderType></Leg>";
    CString error;
    ASSERT_TRUE(Book().FromXmlText(("<Alerts><Alert><Type>0</Type><TradeInfo><ConditionType>3</ConditionType>" + legs +
                                    "</TradeInfo></Alert></Alerts>")
                                       .c_str(),
                                   &error));
    ASSERT_EQ(Book().Count(), 1u);
    const CAlertTradeInfo* info = Book().At(0)->GetTradeInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->m_nConditionType, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(info->m_legs[i].action, i);
        EXPECT_DOUBLE_EQ(info->m_legs[i].quantity, 100.0 * (i + 1));
    }
    EXPECT_EQ(CountOf(Book().ToXmlText().GetString(), "<Leg>"), 3u);
}

TEST_F(CAlertBookTest, MissingFileLoadsNothingAndIsWrittenAtSave)
{
    EXPECT_TRUE(Book().LoadAlerts());
    EXPECT_FALSE(Book().LoadFailed());
    EXPECT_TRUE(Book().Count() == 0);
    EXPECT_TRUE(Book().SaveAlerts());
    EXPECT_TRUE(Exists("alerts.xml"));
    EXPECT_TRUE(m_recorder.messages.empty());
}

// The name the damaged alerts file was set aside under, from the folder.
std::string SetAsideName(const fs::path& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind("alerts.xml.damaged-", 0) == 0)
            return entry.path().filename().string();
    return {};
}

TEST_F(CAlertBookTest, AFileLongerThanTheReaderTakesIsSetAsideWithoutBeingRead)
{
    auto peakKb = [] {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss;
    };
    Write("alerts.xml", "<Alerts>");
    std::filesystem::resize_file(Path("alerts.xml"), 300u << 20); // sparse: no disk, no time
    const long before = peakKb();
    EXPECT_FALSE(Book().LoadAlerts());
    EXPECT_LT(peakKb() - before, 64 * 1024) << "kB more at the peak";
    ASSERT_EQ(m_recorder.messages.size(), 1u);
    const CString& message = m_recorder.messages[0];
    EXPECT_EQ(message.Find("Error reading file alerts.xml: the file is damaged (XML text of 314572800 bytes is "
                           "longer than the limit of 16777216 bytes). It is kept as "),
              0)
        << message.GetString();
    EXPECT_FALSE(Exists("alerts.xml"));
    EXPECT_FALSE(SetAsideName(m_folder.path()).empty());
}

TEST_F(CAlertBookTest, DamagedFileIsReportedByNameSetAsideAndANewOneSaved)
{
    auto alert = std::make_unique<CPriceAlert>();
    alert->m_symbol = "A<B";
    Book().Add(std::move(alert));
    ASSERT_TRUE(Book().SaveAlerts());
    EXPECT_EQ(Reload()->At(0)->m_symbol, "A<B");
    // A file cut short (a full disk, a copy broken off) is no longer XML.
    const std::string written = Read("alerts.xml").substr(0, 150);
    Write("alerts.xml", written);
    Book().FreeAlerts();
    EXPECT_TRUE(Book().Count() == 0);

    EXPECT_FALSE(Book().LoadAlerts());
    EXPECT_FALSE(Book().LoadFailed());
    const std::string keptAs = SetAsideName(m_folder.path());
    ASSERT_FALSE(keptAs.empty());
    EXPECT_EQ(Read(keptAs.c_str()), written);
    EXPECT_FALSE(Exists("alerts.xml"));
    // The message names the file, the parser's reason, where it is kept and what happens.
    ASSERT_EQ(m_recorder.messages.size(), 1u);
    const CString& message = m_recorder.messages[0];
    EXPECT_EQ(message.Find("Error reading file alerts.xml: the file is damaged ("), 0) << message.GetString();
    EXPECT_NE(message.Find("(line "), -1) << message.GetString();
    EXPECT_NE(message.Find(("It is kept as " + keptAs).c_str()), -1) << message.GetString();
    EXPECT_NE(message.Find("starts with no alerts"), -1) << message.GetString();

    // The alerts of this session are saved to a new file, the damaged one stays aside.
    auto fresh = std::make_unique<CPriceAlert>();
    fresh->m_symbol = "IBM";
    Book().Add(std::move(fresh));
    EXPECT_TRUE(Book().SaveAlerts());
    EXPECT_EQ(Reload()->At(0)->m_symbol, "IBM");
    EXPECT_EQ(Read(keptAs.c_str()), written);

    // Well-formed XML without an Alerts element is no alerts file either.
    fs::remove(Path(keptAs.c_str()));
    Write("alerts.xml", "<Portfolio><Alert><Type>0</Type></Alert></Portfolio>");
    CAlertBook other(m_settings);
    EXPECT_FALSE(other.LoadAlerts());
    EXPECT_TRUE(other.Count() == 0);
    EXPECT_EQ(Read(SetAsideName(m_folder.path()).c_str()), "<Portfolio><Alert><Type>0</Type></Alert></Portfolio>");
}

TEST_F(CAlertBookTest, UnwritableFolderReportsThePathAndCause)
{
    m_settings.SetWorkingDirectory("/nonexistent-qx-alerts/sub");
    EXPECT_FALSE(Book().SaveAlerts());
    ASSERT_EQ(m_recorder.messages.size(), 1u);
    const CString expected = "Error writing file \"/nonexistent-qx-alerts/sub/alerts.xml\" (";
    EXPECT_EQ(m_recorder.messages[0].Left(expected.GetLength()), expected);
    EXPECT_EQ(m_recorder.messages[0].Right(1), ")");
}

TEST_F(CAlertBookTest, MissingAlertsDatLeavesAlertsXmlUntouched)
{
    Write("alerts.xml", "kept as it is");
    EXPECT_TRUE(Book().ConvertOldAlerts());
    EXPECT_EQ(Read("alerts.xml"), "kept as it is");
    EXPECT_FALSE(Exists("alerts.dat.old"));
    EXPECT_TRUE(m_recorder.messages.empty());
}

TEST_F(CAlertBookTest, Version4RecordsConvertWithOrderTypeChosenByNumber)
{
    WriteDat(4, 2, [](CArchive& ar) {
        // A triggered price alert with history and a limit order.
        ar << CString("IBM") << 0 << 3 << 1 << 120.5;
        ar << 1 << 1 << CString("03/04/2005 10:11:12");
        ar << 1 << 1 << 200 << 7 << 121.25;
        ar << CString("ding.wav");
        // A formula alert without history or order.
        ar << CString("MSFT") << 1 << CString("C > O & V < 100") << 2 << 25.5;
        ar << 0 << 0 << 0 << CString("");
    });
    const std::string dat = Read("alerts.dat");
    ASSERT_TRUE(Book().ConvertOldAlerts());
    EXPECT_TRUE(m_recorder.messages.empty());
    EXPECT_FALSE(Exists("alerts.dat"));
    EXPECT_EQ(Read("alerts.dat.old"), dat);
    const std::string xml = Read("alerts.xml");
    EXPECT_EQ(xml.rfind("<Alerts>\r\n<Version>19</Version>\r\n<Alert>\r\n", 0), 0u);
    EXPECT_EQ(xml.find("AlertHours"), std::string::npos);
    EXPECT_EQ(xml.compare(xml.size() - 11, 11, "\r\n</Alerts>"), 0);

    ASSERT_TRUE(Book().LoadAlerts());
    ASSERT_EQ(Book().Count(), 2u);
    const CPriceAlert* p = As<CPriceAlert>(Book().At(0));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_symbol, "IBM");
    EXPECT_EQ(p->m_nColumn, 3);
    EXPECT_EQ(p->m_nDirection, 1);
    EXPECT_DOUBLE_EQ(p->m_target, 120.5);
    EXPECT_EQ(p->m_bIsTriggered.load(), 1);
    EXPECT_EQ(p->m_soundFile, "ding.wav");
    ASSERT_EQ(p->GetHistory().size(), 1u);
    EXPECT_EQ(p->GetHistory()[0].m_date, "03/04/2005 10:11:12");
    EXPECT_EQ(p->GetHistory()[0].m_price, 0.0);
    ASSERT_NE(p->GetTradeInfo(), nullptr);
    const COrderRecord& leg = p->GetTradeInfo()->m_legs[0];
    EXPECT_EQ(p->GetTradeInfo()->m_nSymbolType, 0);
    EXPECT_EQ(leg.action, 1);
    EXPECT_DOUBLE_EQ(leg.quantity, 200);
    EXPECT_EQ(leg.orderType, "Limit");
    EXPECT_DOUBLE_EQ(leg.price, 121.25);

    const CFormulaAlert* f = As<CFormulaAlert>(Book().At(1));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetFormulaText(), "C > O & V < 100");
    EXPECT_EQ(f->m_nNumTriggered.load(), 2);
    EXPECT_DOUBLE_EQ(f->m_entryPrice.load(), 25.5);
    EXPECT_TRUE(f->GetHistory().empty());
    EXPECT_EQ(f->GetTradeInfo(), nullptr);
}

TEST_F(CAlertBookTest, Version7OrdersCarryTheirTextsAndVersion19TheirSelection)
{
    WriteDat(7, 2, [](CArchive& ar) {
        ar << CString("SPY") << 0 << 6 << 0 << 450.0 << 0 << 0;
        ar << 1 << 2 << 50 << CString("StopMarket") << 449.5;
        ar << CString("ARCA") << CString("AON") << CString("GTC") << 448.25;
        ar << CString("");
        // A news-typed record is a formula alert carrying that type; a market order.
        ar << CString("NEWS") << 3 << CString("") << 0 << 0.0 << 0 << 0;
        ar << 1 << 0 << 1 << CString("Market") << 0.0;
        ar << CString("Auto") << CString("None") << CString("DAY") << 0.0;
        ar << CString("");
    });
    ASSERT_TRUE(Book().ConvertOldAlerts());
    ASSERT_TRUE(Book().LoadAlerts());
    ASSERT_EQ(Book().Count(), 2u);
    const CAlertTradeInfo* info = Book().At(0)->GetTradeInfo();
    ASSERT_NE(info, nullptr);
    const COrderRecord& leg = info->m_legs[0];
    EXPECT_EQ(leg.action, 2);
    EXPECT_DOUBLE_EQ(leg.quantity, 50);
    EXPECT_EQ(leg.orderType, "StopMarket");
    EXPECT_DOUBLE_EQ(leg.price, 449.5);
    EXPECT_EQ(leg.route, "ARCA");
    EXPECT_EQ(leg.instructions, "AON");
    EXPECT_EQ(leg.expire, "GTC");
    EXPECT_DOUBLE_EQ(leg.activationPrice, 448.25);
    EXPECT_NE(dynamic_cast<CFormulaAlert*>(Book().At(1)), nullptr);
    EXPECT_EQ(Book().At(1)->m_nType, kAlertNews);
    EXPECT_EQ(Book().At(1)->GetTradeInfo()->m_legs[0].orderType, "Market");

    // Version 19 adds price selection and quantity type; an older .old file is replaced.
    Book().FreeAlerts();
    fs::remove(Path("alerts.xml"));
    WriteDat(19, 1, [](CArchive& ar) {
        ar << CString("AAPL") << 1 << CString("C > 1") << 0 << 0.0 << 0 << 0;
        ar << 1 << 0 << 2500 << CString("Limit") << 0.0;
        ar << CString("Auto") << CString("None") << CString("DAY") << 0.0 << 2 << 0;
        ar << CString("bell.wav");
    });
    const std::string dat = Read("alerts.dat");
    ASSERT_TRUE(Book().ConvertOldAlerts());
    EXPECT_EQ(Read("alerts.dat.old"), dat);
    ASSERT_TRUE(Book().LoadAlerts());
    ASSERT_EQ(Book().Count(), 1u);
    const COrderRecord& selected = Book().At(0)->GetTradeInfo()->m_legs[0];
    EXPECT_EQ(selected.priceSource, 2);
    EXPECT_EQ(selected.quantityMode, 0);
    EXPECT_DOUBLE_EQ(selected.quantity, 2500);
    EXPECT_EQ(Book().At(0)->m_soundFile, "bell.wav");
    EXPECT_TRUE(m_recorder.messages.empty());
}

TEST_F(CAlertBookTest, LatinOneTextsReadBackWhateverTheDeclarationSays)
{
    // The converted file has no XML declaration; its texts are ISO-8859-1 all the same.
    WriteDat(19, 1, [](CArchive& ar) {
        ar << CString("IBM") << 1 << CString("C > 1 \xA7") << 0 << 0.0 << 0 << 0 << 0;
        ar << CString("caf\xE9");
    });
    ASSERT_TRUE(Book().ConvertOldAlerts());
    ASSERT_TRUE(Book().LoadAlerts());
    ASSERT_EQ(Book().Count(), 1u);
    EXPECT_EQ(Book().At(0)->m_soundFile, "caf\xE9");
    EXPECT_EQ(As<CFormulaAlert>(Book().At(0))->GetFormulaText(), "C > 1 \xA7");

    // A declaration without encoding would have the parser take the last letter and the
    // closing tag for one UTF-8 character.
    Write("alerts.xml", "<?xml version=\"1.0\" ?>\r\n<Alerts>\r\n<Alert>\r\n<Type>0</Type>\r\n<Symbol>caf\xE9</Symbol>\r\n"
                        "<File>\xFE</File>\r\n</Alert>\r\n</Alerts>");
    CAlertBook other(m_settings);
    ASSERT_TRUE(other.LoadAlerts());
    ASSERT_EQ(other.Count(), 1u);
    EXPECT_EQ(other.At(0)->m_symbol, "caf\xE9");
    EXPECT_EQ(other.At(0)->m_soundFile, "\xFE");
    EXPECT_TRUE(m_recorder.messages.empty());
}

TEST_F(CAlertBookTest, TooNewAlertsDatIsRefusedAndKept)
{
    WriteDat(20, 0, [](CArchive&) {});
    const std::string dat = Read("alerts.dat");
    EXPECT_FALSE(Book().ConvertOldAlerts());
    ASSERT_EQ(m_recorder.messages.size(), 1u);
    EXPECT_EQ(m_recorder.messages[0], CString("Error reading file " + Path("alerts.dat") +
                                              ": incompatible version (v20).\nPlease upgrade to the latest "
                                              "version of Quorvantelix."));
    EXPECT_EQ(Read("alerts.dat"), dat);
    EXPECT_FALSE(Exists("alerts.xml"));
    EXPECT_FALSE(Exists("alerts.dat.old"));
}

TEST_F(CAlertBookTest, DamagedAlertsDatIsReportedAndBothFilesKept)
{
    WriteDat(19, 1, [](CArchive& ar) {
        ar << CString("IBM") << 0 << 3 << 0 << 1.5 << 0 << 1 << CString("01/01/2001 00:00:00");
        ar << 1 << 0 << 100 << CString("Limit") << 2.5;
        ar << CString("Auto") << CString("None") << CString("DAY") << 0.0 << 0 << 1;
        ar << CString("x.wav");
    });
    const std::string whole = Read("alerts.dat");
    // Every cut of the record is a damaged file.
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        Write("alerts.dat", whole.substr(0, cut));
        m_recorder.messages.clear();
        EXPECT_FALSE(Book().ConvertOldAlerts()) << cut;
        ASSERT_EQ(m_recorder.messages.size(), 1u) << cut;
        EXPECT_EQ(m_recorder.messages[0], "Error reading alert settings") << cut;
        EXPECT_EQ(Read("alerts.dat"), whole.substr(0, cut));
    }
    // A count far beyond what the file holds is refused before anything is read.
    WriteDat(19, 0x7FFFFFFF, [](CArchive& ar) { ar << CString("IBM"); });
    EXPECT_FALSE(Book().ConvertOldAlerts());
    EXPECT_FALSE(Exists("alerts.xml"));
    EXPECT_FALSE(Exists("alerts.dat.old"));

    Write("alerts.dat", whole);
    EXPECT_TRUE(Book().ConvertOldAlerts());
    EXPECT_TRUE(Exists("alerts.xml"));
}

TEST_F(CAlertBookTest, AlertsDatBesideAnAlertsXmlIsSetAsideUnconvertedAndTheXmlKept)
{
    Write("alerts.xml", "current alerts");
    WriteDat(19, 0, [](CArchive&) {});
    const std::string dat = Read("alerts.dat");
    EXPECT_TRUE(Book().ConvertOldAlerts());
    EXPECT_EQ(Read("alerts.xml"), "current alerts");
    EXPECT_FALSE(Exists("alerts.dat"));
    EXPECT_EQ(Read("alerts.dat.old"), dat);
    ASSERT_EQ(m_recorder.messages.size(), 1u);
    EXPECT_NE(m_recorder.messages[0].Find("alerts.dat.old"), -1);
    // The next start finds nothing to convert and says nothing.
    m_recorder.messages.clear();
    EXPECT_TRUE(Book().ConvertOldAlerts());
    EXPECT_TRUE(m_recorder.messages.empty());
    EXPECT_EQ(Read("alerts.xml"), "current alerts");
}

}  // namespace
