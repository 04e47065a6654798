// Studies and their dialogs: filling and reading back, the reading chain stopping at the
// first refusal, the radio groups.
#include "FakeStudyDialog.h"

#include "studies/CBollingerStudy.h"
#include "studies/CCustomStudy.h"
#include "studies/CMovingAverageStudy.h"
#include "studies/CParabolicSARStudy.h"
#include "studies/StudyFactory.h"

#include <gtest/gtest.h>

TEST(StudyDialog, EveryClassReadsBackWhatItFilled)
{
    for (int id = 170; id <= 199; ++id) {
        SCOPED_TRACE(id);
        auto study = CreateStudyById(static_cast<WORD>(id), id == 197 || id == 199 ? "" : "IBM");
        CFakeStudyDialog dlg;
        ASSERT_TRUE(study->FillDialog(dlg));
        const auto before = study->Clone();
        ASSERT_TRUE(study->ReadDialog(dlg));
        EXPECT_TRUE(dlg.messages.empty());
        EXPECT_TRUE(study->IsEqual(*before));
    }
}

TEST(StudyDialog, ReadingStopsAtTheFirstRefusal)
{
    CBollingerStudy bb;
    CFakeStudyDialog dlg;
    ASSERT_TRUE(bb.FillDialog(dlg));
    dlg.texts[kCtlLength] = "30";
    dlg.texts[kCtlLength2] = "11";
    dlg.comboSelection[kCtlSource] = 1;  // High
    dlg.texts[kCtlThickness1] = "4";
    EXPECT_FALSE(bb.ReadDialog(dlg));
    EXPECT_EQ(bb.m_length, "30") << "read before the refusal";
    EXPECT_EQ(bb.m_deviation, "2") << "the refused field holds the reader's default";
    EXPECT_EQ(bb.m_source, "Close") << "read after the refusal: unchanged";
    EXPECT_EQ(bb.m_bandThickness, 1);
    ASSERT_EQ(dlg.messages.size(), 1u);
    EXPECT_EQ(dlg.messages[0], "Standard deviation must be a real number between 0 and 10");
}

TEST(StudyDialog, FillingStopsAtAMissingColourCombo)
{
    CBollingerStudy bb;
    CFakeStudyDialog dlg;
    dlg.missing.insert(kCtlColor2);
    EXPECT_FALSE(bb.FillDialog(dlg));
    EXPECT_TRUE(dlg.colors.count(kCtlColor1));
    EXPECT_FALSE(dlg.texts.count(kCtlThickness2)) << "writers after the failure do not run";
}

TEST(StudyDialog, MovingAverageTypeIsTheFirstCheckedButton)
{
    CMovingAverageStudy ma;
    CFakeStudyDialog dlg;
    ma.m_nMAType = CMovingAverageStudy::kVolumeWeighted;
    ASSERT_TRUE(ma.FillDialog(dlg));
    EXPECT_TRUE(dlg.checks[1326]);
    EXPECT_FALSE(dlg.checks[1322]);
    dlg.checks[1326] = false;
    dlg.checks[1331] = true;
    dlg.checks[1332] = true;
    EXPECT_TRUE(ma.ReadDialog(dlg));
    EXPECT_EQ(ma.m_nMAType, CMovingAverageStudy::kDoubleExponential);

    // None checked: refused without a message.
    dlg.checks.clear();
    dlg.texts[kCtlLength] = "50";
    EXPECT_FALSE(ma.ReadDialog(dlg));
    EXPECT_TRUE(dlg.messages.empty());
    EXPECT_EQ(ma.m_length, "10");
}

TEST(StudyDialog, ParabolicSARStepsAreBetweenZeroAndOne)
{
    CParabolicSARStudy sar;
    CFakeStudyDialog dlg;
    ASSERT_TRUE(sar.FillDialog(dlg));
    EXPECT_EQ(dlg.texts[kCtlReal1], "0.02");
    dlg.texts[kCtlReal1] = "1.5";
    EXPECT_FALSE(sar.ReadDialog(dlg));
    ASSERT_EQ(dlg.messages.size(), 1u);
    EXPECT_EQ(dlg.messages[0], "Initial Step must be a real number between 0 and 1");
    EXPECT_EQ(sar.m_initialStep, 0.02);
}

TEST(StudyDialog, CustomStudyShowsNameAndFormulaAndNeedsItsRadioGroups)
{
    CCustomStudy custom;
    custom.SetStudyName("Gap");
    custom.SetFormulaText("Open - Close[1]");
    custom.m_nShowAs = CCustomStudy::kShowLastValueLine;
    custom.m_nScaling = CCustomStudy::kScaleExcluded;
    CFakeStudyDialog dlg;
    ASSERT_TRUE(custom.FillDialog(dlg));
    EXPECT_EQ(dlg.texts[kCtlStudyName], "Gap");
    EXPECT_EQ(dlg.texts[kCtlFormula], "Open - Close[1]");
    EXPECT_TRUE(dlg.checks[1218]);
    EXPECT_FALSE(dlg.checks[1216]);
    EXPECT_TRUE(dlg.checks[1220]);

    // Name and formula are shown, not read.
    dlg.texts[kCtlStudyName] = "Other";
    dlg.checks[1218] = false;
    dlg.checks[1217] = true;
    ASSERT_TRUE(custom.ReadDialog(dlg));
    EXPECT_EQ(custom.GetStudyName(), "Gap");
    EXPECT_EQ(custom.m_nShowAs, CCustomStudy::kShowHistogram);
    EXPECT_EQ(custom.m_nScaling, CCustomStudy::kScaleExcluded);

    dlg.missing.insert(1221);
    EXPECT_FALSE(custom.ReadDialog(dlg));
}
