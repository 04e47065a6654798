// Saved forms: the bytes of every class's defaults written out by hand from the class
// descriptions, round trips of changed studies, the older layout versions and damaged or
// unknown input.
#include "FakeStudyDialog.h"

#include "common/services/CAppSettings.h"
#include "studies/CADXStudy.h"
#include "studies/CChoppinessStudy.h"
#include "studies/CCustomStudy.h"
#include "studies/CMovingAverageStudy.h"
#include "studies/CStochRSIStudy.h"
#include "studies/CVolumeStudy.h"
#include "studies/StudyFactory.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/RecordingNotifier.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

namespace {
constexpr DWORD kNoPane = 0xFFFFFFFFu;

// Type id, pane index and an empty override.
ByteWriter Head(DWORD typeId, DWORD pane)
{
    return ByteWriter().Dword(typeId).Dword(pane).Text("");
}

std::vector<BYTE> Saved(const CStudyDefinition& study)
{
    return StoreToBytes([&](CArchive& ar) { StoreStudy(ar, study); });
}

std::unique_ptr<CStudyDefinition> Loaded(const std::vector<BYTE>& bytes, int version = 19)
{
    std::unique_ptr<CStudyDefinition> study;
    const ULONGLONG left = LoadFromBytes(bytes, [&](CArchive& ar) { study = LoadStudy(ar, version); });
    EXPECT_EQ(left, 0u) << "the whole form is read";
    return study;
}

std::map<int, std::vector<BYTE>> DefaultForms()
{
    std::map<int, std::vector<BYTE>> f;
    f[170] = Head(170, kNoPane).Dword(0x00C800).Dword(0xC8).Dword(1).Text("Open").Bytes();
    f[171] = Head(171, kNoPane).Text("14").Text("14").Dword(0).Dword(1).Dword(0xFF).Dword(0xC800).Dword(1).Dword(1)
                 .Dword(0).Dword(1).Dword(25).Bytes();
    f[172] = Head(172, 0).Text("20").Text("Close").Text("2").Dword(0xFF0000).Dword(1).Dword(0xFF).Dword(1).Dword(1)
                 .Bytes();
    f[173] = Head(173, kNoPane).Text("14").Dword(0xFF0000).Dword(1).Dword(0).Dword(1).Double(35).Double(65).Bytes();
    f[174] = Head(174, 0).Dword(0).Text("10").Text("0").Text("Close").Dword(0xFF0000).Dword(1).Bytes();
    f[176] = Head(176, kNoPane).Text("12").Text("26").Text("9").Text("Close").Dword(0xFF0000).Dword(1).Dword(0xFF)
                 .Dword(1).Dword(0).Dword(1).Dword(1).Dword(0xFF00FF).Dword(1).Dword(1).Bytes();
    f[177] = Head(177, kNoPane).Text("12").Text("Close").Dword(0xFF0000).Dword(1).Dword(0).Dword(1).Dword(1).Bytes();
    f[178] = Head(178, kNoPane).Text("12").Text("Close").Dword(0xFF0000).Dword(1).Dword(0).Dword(1).Dword(1).Bytes();
    f[179] = Head(179, kNoPane).Dword(0xFF0000).Dword(1).Bytes();
    f[180] = Head(180, 0).Text("20").Text("0").Dword(0xFF0000).Dword(1).Dword(0x9B0064).Dword(1).Dword(1).Bytes();
    f[181] = Head(181, kNoPane).Text("14").Dword(0xFF0000).Dword(1).Dword(0).Dword(1).Dword(30).Dword(70).Bytes();
    f[182] = Head(182, kNoPane).Text("3").Text("14").Text("1").Dword(0xFF0000).Dword(1).Dword(0xFF).Dword(1)
                 .Dword(0x3200).Dword(1).Dword(20).Dword(80).Bytes();
    f[183] = Head(183, 0).Text("10").Text("1").Dword(0xFF0000).Dword(1).Dword(0xFF).Dword(1).Dword(1).Bytes();
    f[184] = Head(184, kNoPane).Text("20").Dword(0x64C800).Dword(1).Dword(0x640032).Dword(1).Dword(0xFFFFFF9C)
                 .Dword(100).Bytes();
    f[185] = Head(185, kNoPane).Text("14").Dword(0xC800).Dword(1).Bytes();
    f[186] = Head(186, kNoPane).Text("14").Dword(0xC83232).Dword(1).Dword(0).Dword(1).Dword(20).Dword(80).Bytes();
    f[187] = Head(187, kNoPane).Text("14").Dword(0xFF0000).Dword(1).Dword(0).Dword(1).Double(0.2).Double(0.8)
                 .Text("14").Text("3").Text("1").Dword(0xFF).Dword(1).Bytes();
    f[188] = Head(188, kNoPane).Dword(0xFF).Dword(1).Dword(0).Dword(1).Dword(1).Dword(1)
                 .Text("Unspecified formula expression!").Text("Unspecified custom study name!").Dword(kNoPane)
                 .Bytes();
    f[189] = Head(189, kNoPane).Text("3").Text("10").Dword(0xFF0000).Dword(1).Bytes();
    f[190] = Head(190, kNoPane).Text("7").Text("14").Text("28").Dword(0xFF0000).Dword(1).Dword(0).Dword(1).Dword(30)
                 .Dword(70).Bytes();
    f[191] = Head(191, 0).Double(0.02).Double(0.02).Double(0.2).Dword(0x8001).Dword(0xFF).Dword(1).Bytes();
    f[192] = Head(192, 0).Text("20").Text("Close").Text("3").Dword(0xFF0000).Dword(1).Dword(0xFF).Dword(1).Dword(1)
                 .Bytes();
    f[193] = Head(193, kNoPane).Dword(0xFF0000).Dword(1).Bytes();
    f[194] = Head(194, kNoPane).Text("21").Dword(0xFF0000).Dword(1).Dword(0).Dword(1).Dword(1).Bytes();
    f[195] = Head(195, kNoPane).Text("14").Dword(0xC800).Dword(0xFF).Dword(1).Bytes();
    f[196] = Head(196, 0).Text("10").Text("0").Text("Close").Dword(0xFF0000).Dword(1).Bytes();
    f[197] = Head(197, 0).Double(0).Dword(0).Dword(1).Bytes();
    f[198] = Head(198, 0).Text("10").Text("2").Text("30").Text("Close").Dword(0xFF0000).Dword(1).Bytes();
    f[199] = Head(199, kNoPane).Dword(0).Dword(1).Bytes();
    return f;
}

// Changes every field a dialog can reach: numbers up by one (reals halved), colours,
// checks and radio choices flipped, the next source, an override.
void ChangeThroughDialog(CStudyDefinition& study)
{
    CFakeStudyDialog dlg;
    ASSERT_TRUE(study.FillDialog(dlg));
    for (auto& [id, text] : dlg.texts) {
        if (id == kCtlStudyName || id == kCtlFormula || id == kCtlSymbolOverride)
            continue;
        if (text.Find('.') >= 0)
            text = RealText(std::strtod(text, nullptr) / 2);
        else
            text = IntText(std::atoi(text) + 1);
    }
    for (auto& [id, checked] : dlg.checks)
        checked = !checked;
    for (auto& [id, color] : dlg.colors)
        color = *color ^ 0x010203;
    for (auto& [id, index] : dlg.comboSelection)
        index = (index + 1) % static_cast<int>(dlg.comboItems[id].size());
    dlg.texts[kCtlSymbolOverride] = "ibm";
    ASSERT_TRUE(study.ReadDialog(dlg));
    EXPECT_TRUE(dlg.messages.empty());
}
}  // namespace

TEST(StudySavedForm, DefaultsAreWrittenFieldByField)
{
    const auto forms = DefaultForms();
    for (int id = 170; id <= 199; ++id) {
        if (id == 175)
            continue;
        SCOPED_TRACE(id);
        const auto study = CreateStudyById(static_cast<WORD>(id), "");
        ASSERT_TRUE(study);
        EXPECT_EQ(Saved(*study), forms.at(id));
        const auto back = Loaded(forms.at(id));
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->IsEqual(*study));
    }
}

TEST(StudySavedForm, BollingerBandsBeginWithTheirTypeId)
{
    const auto bytes = Saved(*CreateStudyById(172, ""));
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 172);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[3], 0);
}

TEST(StudySavedForm, ChangedStudiesOfEveryClassComeBackEqual)
{
    for (int id = 170; id <= 199; ++id) {
        SCOPED_TRACE(id);
        auto study = CreateStudyById(static_cast<WORD>(id), "");
        const auto fresh = CreateStudyById(static_cast<WORD>(id), "");
        ChangeThroughDialog(*study);
        if (id == kStudyCustom) {
            auto& custom = static_cast<CCustomStudy&>(*study);
            custom.SetStudyName("Up days");
            custom.SetFormulaText("Close > Open");
            custom.SetCustomIndex(4);
        }
        study->SetPaneIndex(3);
        study->SetPlotIndex(2);
        EXPECT_FALSE(study->IsEqual(*fresh)) << "the dialog changed something";

        const auto clone = study->Clone();
        EXPECT_TRUE(clone->IsEqual(*study));
        EXPECT_EQ(clone->GetPlotIndex(), 2);

        const auto bytes = Saved(*study);
        const auto back = Loaded(bytes);
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->IsEqual(*study));
        EXPECT_EQ(back->GetPaneIndex(), 3);
        EXPECT_EQ(back->GetPlotIndex(), -1) << "the plot index is not saved";
        EXPECT_EQ(back->GetDisplayName(), study->GetDisplayName());
        EXPECT_EQ(back->GetCallText("MSFT", "5"), study->GetCallText("MSFT", "5"));
        EXPECT_EQ(Saved(*back), bytes);
    }
}

TEST(StudySavedForm, ExponentialAverageComesBackAsTypeOneSeventyFour)
{
    const auto ema = CreateStudyById(175, "");
    EXPECT_EQ(ema->GetTypeId(), 174);
    const auto back = Loaded(Saved(*ema));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->GetTypeId(), 174);
    EXPECT_EQ(static_cast<CMovingAverageStudy&>(*back).m_nMAType, CMovingAverageStudy::kExponential);
}

TEST(StudySavedForm, OlderLayoutsLoadByEachClassRules)
{
    // Volume before version 7: no down colour; before 9: no thickness or comparison field.
    auto volume = Loaded(Head(170, kNoPane).Dword(0x123456).Bytes(), 6);
    ASSERT_TRUE(volume);
    auto& v = static_cast<CVolumeStudy&>(*volume);
    EXPECT_EQ(v.m_upColor, 0x123456u);
    EXPECT_EQ(v.m_downColor, 0x123456u);
    EXPECT_EQ(v.m_thickness, 1);
    EXPECT_EQ(v.m_compareField, "Open");
    volume = Loaded(Head(170, kNoPane).Dword(1).Dword(2).Bytes(), 8);
    ASSERT_TRUE(volume);
    EXPECT_EQ(static_cast<CVolumeStudy&>(*volume).m_downColor, 2u);

    // A moving average before version 11 has no type and is simple.
    auto ma = Loaded(Head(174, 0).Text("30").Text("2").Text("High").Dword(0xFF).Dword(3).Bytes(), 10);
    ASSERT_TRUE(ma);
    auto& m = static_cast<CMovingAverageStudy&>(*ma);
    EXPECT_EQ(m.m_nMAType, 0);
    EXPECT_EQ(m.m_length, "30");
    EXPECT_EQ(m.m_offset, "2");
    EXPECT_EQ(m.m_source, "High");
    EXPECT_EQ(m.m_thickness, 3);

    // ADX before version 10: band colour black, thickness 1, value 25.
    auto adx = Loaded(Head(171, kNoPane).Text("9").Text("8").Dword(5).Dword(2).Dword(6).Dword(7).Dword(3).Dword(0)
                          .Bytes(),
                      9);
    ASSERT_TRUE(adx);
    auto& a = static_cast<CADXStudy&>(*adx);
    EXPECT_EQ(a.m_length, "9");
    EXPECT_EQ(a.m_smoothing, "8");
    EXPECT_EQ(a.m_adxColor, 5u);
    EXPECT_EQ(a.m_plusDIColor, 7u);
    EXPECT_FALSE(a.m_bShowDI);
    EXPECT_EQ(a.m_bandColor, 0u);
    EXPECT_EQ(a.m_bandThickness, 1);
    EXPECT_EQ(a.m_bandValue, 25);

    // Choppiness before version 10: the bands keep their defaults.
    auto chop = Loaded(Head(173, kNoPane).Text("20").Dword(4).Dword(2).Bytes(), 9);
    ASSERT_TRUE(chop);
    EXPECT_EQ(static_cast<CChoppinessStudy&>(*chop).m_lower, 35.0);
    EXPECT_EQ(static_cast<CChoppinessStudy&>(*chop).m_upper, 65.0);

    // StochasticRSI before version 17: %K length = RSI length, %D and smoothing 1, the %D
    // line drawn like the %K line.
    auto srsi = Loaded(Head(187, kNoPane).Text("9").Dword(0x00FF00).Dword(4).Dword(0).Dword(1).Double(0.1)
                           .Double(0.9).Bytes(),
                       16);
    ASSERT_TRUE(srsi);
    auto& s = static_cast<CStochRSIStudy&>(*srsi);
    EXPECT_EQ(s.m_kLength, "9");
    EXPECT_EQ(s.m_dLength, "1");
    EXPECT_EQ(s.m_smoothing, "1");
    EXPECT_EQ(s.m_dColor, 0x00FF00u);
    EXPECT_EQ(s.m_dThickness, 4);
    EXPECT_EQ(s.m_upper, 0.9);

    // A custom study before version 4: scaling normal, axis label shown, chart interval off.
    auto custom = Loaded(Head(188, kNoPane).Dword(0xFF).Dword(2).Dword(1).Text("C > O").Text("Up").Dword(0).Bytes(),
                         3);
    ASSERT_TRUE(custom);
    auto& c = static_cast<CCustomStudy&>(*custom);
    EXPECT_EQ(c.m_nShowAs, CCustomStudy::kShowHistogram);
    EXPECT_EQ(c.m_nScaling, CCustomStudy::kScaleNormal);
    EXPECT_TRUE(c.m_bShowAxisLabel);
    EXPECT_FALSE(c.m_bUseChartInterval);
    EXPECT_EQ(c.GetStudyName(), "Up");
    EXPECT_EQ(c.GetCustomIndex(), 0);
}

TEST(StudySavedForm, UnknownTypesAndNewerVersionsFailCleanly)
{
    CAppSettings settings;
    CRecordingNotifier notifier;
    settings.SetNotifier(&notifier);
    CAppSettings::Install(&settings);

    for (DWORD id : {169u, 200u, 0x100ACu}) {
        const auto bytes = ByteWriter().Dword(id).Dword(0).Text("").Bytes();
        std::unique_ptr<CStudyDefinition> study;
        LoadFromBytes(bytes, [&](CArchive& ar) { study = LoadStudy(ar, 19); });
        EXPECT_FALSE(study) << id;
    }
    ASSERT_EQ(notifier.messages.size(), 3u);
    EXPECT_EQ(notifier.messages[0], "Error: unimplemented study");

    // Version 20 is newer than this program.
    std::unique_ptr<CStudyDefinition> study;
    LoadFromBytes(Saved(*CreateStudyById(172, "")), [&](CArchive& ar) { study = LoadStudy(ar, 20); });
    EXPECT_FALSE(study);
    CAppSettings::Install(nullptr);
}

TEST(StudySavedForm, DamagedFormsThrowArchiveErrors)
{
    const auto whole = Saved(*CreateStudyById(176, ""));
    const std::vector<BYTE> bytes(whole.begin(), whole.begin() + static_cast<long>(whole.size() / 2));
    EXPECT_THROW(LoadFromBytes(bytes, [](CArchive& ar) { LoadStudy(ar, 19); }), CArchiveException);

    // A string length beyond the data is refused before anything is allocated.
    const auto huge = ByteWriter().Dword(181).Dword(kNoPane).Byte(0xFF).Byte(0xFF).Byte(0xFF).Dword(0x7FFFFFF0).Bytes();
    EXPECT_THROW(LoadFromBytes(huge, [](CArchive& ar) { LoadStudy(ar, 19); }), CArchiveException);
}

TEST(StudySavedForm, ThicknessesOutsideTheirRangeAreBroughtIntoIt)
{
    const auto bytes = Head(185, kNoPane).Text("14").Dword(0xFF).Dword(0x7FFFFFFF).Bytes();
    auto atr = Loaded(bytes);
    ASSERT_TRUE(atr);
    const auto again = Saved(*atr);
    // The last DWORD is the thickness, now 15.
    EXPECT_EQ(again[again.size() - 4], 15);
}
