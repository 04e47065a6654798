// Making studies by type id and from the study calls of strategies; equality.
#include "FakeStudyDialog.h"

#include "common/services/CAppSettings.h"
#include "studies/CBollingerStudy.h"
#include "studies/CCustomStudy.h"
#include "studies/CMomentumStudy.h"
#include "studies/CMovingAverageStudy.h"
#include "studies/CROCStudy.h"
#include "studies/CStochRSIStudy.h"
#include "studies/StudyFactory.h"
#include "tests/support/RecordingNotifier.h"

#include <gtest/gtest.h>

namespace {
CStringArray Args(std::initializer_list<const char*> texts)
{
    CStringArray args;
    for (const char* t : texts)
        args.Add(t);
    return args;
}

class StudyFactory : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_settings.SetNotifier(&m_notifier);
        CAppSettings::Install(&m_settings);
    }
    void TearDown() override { CAppSettings::Install(nullptr); }

    CAppSettings m_settings;
    CRecordingNotifier m_notifier;
};
}  // namespace

TEST_F(StudyFactory, ByIdGivesEachClassItsKindAndPane)
{
    const int pricePane[] = {172, 174, 175, 180, 183, 191, 192, 196, 197, 198};
    for (int id = 170; id <= 199; ++id) {
        const auto study = CreateStudyById(static_cast<WORD>(id), "IBM");
        ASSERT_TRUE(study) << id;
        EXPECT_EQ(study->GetTypeId(), id == 175 ? 174 : id);
        const bool inPricePane = std::find(std::begin(pricePane), std::end(pricePane), id) != std::end(pricePane);
        EXPECT_EQ(study->NeedsSeparatePane(), !inPricePane) << id;
        EXPECT_EQ(study->GetPaneIndex(), inPricePane ? 0 : -1) << id;
        EXPECT_EQ(study->GetPlotIndex(), -1);
        EXPECT_EQ(study->GetSymbolOverride(), id == 197 || id == 199 ? "" : "IBM") << id;
    }
    EXPECT_TRUE(m_notifier.messages.empty());

    EXPECT_FALSE(CreateStudyById(169, ""));
    EXPECT_FALSE(CreateStudyById(200, ""));
    EXPECT_FALSE(CreateStudyById(0xFFFF, ""));
    ASSERT_EQ(m_notifier.messages.size(), 3u);
    EXPECT_EQ(m_notifier.messages[0], "Error: unimplemented study");
}

TEST_F(StudyFactory, DialogIdsOfTheClasses)
{
    const std::pair<int, UINT> ids[] = {{170, 170}, {171, 165}, {172, 167}, {173, 166}, {174, 156}, {176, 158},
                                        {177, 159}, {178, 160}, {179, 163}, {180, 164}, {181, 162}, {182, 161},
                                        {183, 182}, {184, 181}, {185, 180}, {186, 183}, {187, 184}, {188, 171},
                                        {189, 225}, {190, 226}, {191, 228}, {192, 229}, {193, 231}, {194, 232},
                                        {195, 238}, {196, 268}, {197, 275}, {198, 278}, {199, 279}};
    for (const auto& [type, dialog] : ids)
        EXPECT_EQ(CreateStudyById(static_cast<WORD>(type), "")->GetDialogId(), dialog) << type;
}

TEST_F(StudyFactory, MovingAveragesTakeTheirTypeFromTheField)
{
    const auto args = Args({"Close", "20", "0"});
    const struct {
        const char* function;
        const char* field;
        int type;
    } cases[] = {{"EMA", "EMA", 1}, {"MA", "WMA", 2}, {"MA", "XYZ", 0}, {"MA", "VWMA", 3}, {"EMA", "TEMA", 5}};
    for (const auto& c : cases) {
        const auto study = CreateStudyFromCall(c.function, c.field, &args);
        ASSERT_TRUE(study) << c.function << " " << c.field;
        auto& ma = dynamic_cast<CMovingAverageStudy&>(*study);
        EXPECT_EQ(ma.m_nMAType, c.type);
        EXPECT_EQ(ma.m_length, "20");
        EXPECT_EQ(study->GetSymbolOverride(), "");
    }
}

TEST_F(StudyFactory, MomentumCallsBecomeROCWithTheirThirdArgumentOne)
{
    auto three = Args({"Close", "10", "1"});
    EXPECT_TRUE(dynamic_cast<CROCStudy*>(CreateStudyFromCall("MOM", "MOM", &three).get()));
    three[2] = "0";
    EXPECT_TRUE(dynamic_cast<CMomentumStudy*>(CreateStudyFromCall("MOM", "MOM", &three).get()));
    const auto two = Args({"Close", "10"});
    const auto mom = CreateStudyFromCall("MOM", "MOM", &two);
    ASSERT_TRUE(dynamic_cast<CMomentumStudy*>(mom.get()));
    EXPECT_EQ(static_cast<CMomentumStudy&>(*mom).m_params.length, "10");
}

TEST_F(StudyFactory, CallsOfOtherFunctionsMakeNoStudy)
{
    const auto args = Args({"Close", "10", "0"});
    EXPECT_FALSE(CreateStudyFromCall("Bar", "Close", &args));
    EXPECT_FALSE(CreateStudyFromCall("DEMA", "DEMA", &args));
    EXPECT_FALSE(CreateStudyFromCall("bb", "BB", &args)) << "keywords are case-sensitive";
    EXPECT_FALSE(CreateStudyFromCall("", "", nullptr));
    const auto volume = CreateStudyFromCall("Bar", "Volume", &args);
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->GetTypeId(), 170);
    EXPECT_TRUE(m_notifier.messages.empty());
}

TEST_F(StudyFactory, ACallWhoseParametersAreRefusedMakesNoStudy)
{
    // Bollinger Bands need source, length and deviation.
    const auto two = Args({"Close", "20"});
    EXPECT_FALSE(CreateStudyFromCall("BB", "BB", &two));
    const auto three = Args({"High", "30", "2.5"});
    const auto bb = CreateStudyFromCall("BB", "Upper", &three);
    ASSERT_TRUE(bb);
    EXPECT_EQ(bb->GetCallText("X", "D"), "BB(X,High,30,2.5),D");
    EXPECT_FALSE(CreateStudyFromCall("MACD", "MACD", &three));
    EXPECT_FALSE(CreateStudyFromCall("RSI", "RSI", nullptr));
}

TEST_F(StudyFactory, EveryKeywordMakesItsClass)
{
    const auto four = Args({"Close", "5", "6", "7"});
    const std::pair<const char*, int> calls[] = {
        {"ADX", 171},  {"BB", 172},    {"CHOP", 173},  {"MACD", 176}, {"OBV", 179},  {"PRC", 180},
        {"RSI", 181},  {"STOC", 182},  {"KB", 183},    {"CCI", 184},  {"ATR", 185},  {"MFI", 186},
        {"SRSI", 187}, {"SRSI2", 187}, {"COSC", 189},  {"UOSC", 190}, {"PSAR", 191}, {"MAE", 192},
        {"AD", 193},   {"CMF", 194},   {"AROON", 195}, {"TSF", 196},  {"AMA", 198},  {"EQTY", 199}};
    for (const auto& [function, type] : calls) {
        const auto study = CreateStudyFromCall(function, function, &four);
        ASSERT_TRUE(study) << function;
        EXPECT_EQ(study->GetTypeId(), type) << function;
    }
    const CStringArray none;
    EXPECT_TRUE(CreateStudyFromCall("EQTY", "EQTY", &none));
}

TEST_F(StudyFactory, StochasticRSIFromOneArgument)
{
    const auto one = Args({"9"});
    auto study = CreateStudyFromCall("SRSI2", "SRSI", &one);
    ASSERT_TRUE(study);
    auto& s = static_cast<CStochRSIStudy&>(*study);
    EXPECT_EQ(s.m_rsiLength, "9");
    EXPECT_EQ(s.m_kLength, "9");
    EXPECT_EQ(s.m_dLength, "1");
    EXPECT_EQ(s.m_smoothing, "1");
    const auto four = Args({"9", "10", "4", "2"});
    EXPECT_TRUE(study->SetParameters(four));
    EXPECT_EQ(s.m_kLength, "10");
    EXPECT_EQ(s.m_dLength, "4");
    EXPECT_EQ(s.m_smoothing, "2");
}

TEST_F(StudyFactory, EqualityComparesTypeOverrideAndFields)
{
    auto a = CreateStudyById(172, "IBM");
    auto b = CreateStudyById(172, "ibm");
    EXPECT_FALSE(a->IsEqual(*b)) << "overrides compare case-sensitively";
    b->SetSymbolOverride("IBM");
    EXPECT_TRUE(a->IsEqual(*b));
    static_cast<CBollingerStudy&>(*b).m_deviation = "2.5";
    EXPECT_FALSE(a->IsEqual(*b));
    // The pane index is no parameter.
    b = a->Clone();
    b->SetPaneIndex(4);
    EXPECT_TRUE(a->IsEqual(*b));

    const auto momentum = CreateStudyById(177, "");
    const auto roc = CreateStudyById(178, "");
    EXPECT_FALSE(momentum->IsEqual(*roc));
    EXPECT_FALSE(roc->IsEqual(*momentum));

    CCustomStudy first;
    CCustomStudy second;
    first.SetFormulaText("Close > Open");
    second.SetFormulaText("Close > Open");
    first.SetStudyName("Up");
    second.SetStudyName("Rising");
    EXPECT_FALSE(first.IsEqual(second));
    second.SetStudyName("Up");
    EXPECT_TRUE(first.IsEqual(second));
}

TEST_F(StudyFactory, SourceComboListsThePriceFieldsAndSelectsIgnoringCase)
{
    CFakeStudyDialog dlg;
    const auto bb = CreateStudyById(172, "");
    EXPECT_TRUE(bb->FillSourceCombo(dlg, "close"));
    EXPECT_EQ(dlg.comboItems[kCtlSource], (std::vector<CString>{"Open", "High", "Low", "Close", "Volume"}));
    EXPECT_EQ(dlg.comboSelection[kCtlSource], 3);
    EXPECT_TRUE(bb->FillSourceCombo(dlg, "Median"));
    EXPECT_EQ(dlg.comboSelection[kCtlSource], 0);
    EXPECT_EQ(dlg.comboItems[kCtlSource].size(), 5u) << "the combo is emptied first";

    const auto volume = CreateStudyById(170, "");
    EXPECT_TRUE(volume->FillSourceCombo(dlg, "prev. close"));
    EXPECT_EQ(dlg.comboItems[kCtlSource], (std::vector<CString>{"Open", "Prev. Close"}));
    EXPECT_EQ(dlg.comboSelection[kCtlSource], 1);
}
