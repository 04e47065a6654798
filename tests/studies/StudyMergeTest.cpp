// Merging the Study Manager's result into a chart's studies.
#include "studies/CRSIStudy.h"
#include "studies/StudyFactory.h"
#include "studies/StudyMerge.h"

#include <gtest/gtest.h>

namespace {
using Studies = std::vector<std::unique_ptr<CStudyDefinition>>;

std::unique_ptr<CStudyDefinition> Placed(int typeId, int pane, int plot)
{
    auto study = CreateStudyById(static_cast<WORD>(typeId), "");
    study->SetPaneIndex(pane);
    study->SetPlotIndex(plot);
    return study;
}

Studies Clones(const Studies& studies)
{
    Studies out;
    for (const auto& s : studies)
        out.push_back(s->Clone());
    return out;
}
}  // namespace

TEST(StudyMerge, UnchangedStudiesStay)
{
    Studies chart;
    chart.push_back(Placed(kStudyBollinger, 0, 1));
    chart.push_back(Placed(kStudyRSI, 1, 0));
    const auto plan = PlanStudyMerge(chart, Clones(chart));
    EXPECT_TRUE(plan.removals.empty());
    EXPECT_TRUE(plan.appended.empty());
}

TEST(StudyMerge, AnEditedStudyReplacesItsOriginalInPlace)
{
    Studies chart;
    chart.push_back(Placed(kStudyBollinger, 0, 1));
    chart.push_back(Placed(kStudyRSI, 1, 0));
    chart.push_back(Placed(kStudyMACD, 2, 0));
    Studies edited = Clones(chart);
    static_cast<CRSIStudy&>(*edited[1]).m_params.length = "21";
    const auto plan = PlanStudyMerge(chart, edited);
    ASSERT_EQ(plan.appended, std::vector<int>{1});
    ASSERT_EQ(plan.removals.size(), 1u);
    EXPECT_EQ(plan.removals[0].index, 1);
    EXPECT_FALSE(plan.removals[0].collapse) << "the pane is kept for the edited study";
}

TEST(StudyMerge, RemovedStudiesCollapseAndNewOnesAreAppended)
{
    Studies chart;
    chart.push_back(Placed(kStudyRSI, 1, 0));
    chart.push_back(Placed(kStudyRSI, 2, 0));
    chart.push_back(Placed(kStudyCCI, 3, 0));
    Studies edited;
    edited.push_back(chart[1]->Clone());  // an equal RSI: matches the first unmatched one
    edited.push_back(CreateStudyById(kStudyVolume, ""));
    const auto plan = PlanStudyMerge(chart, edited);
    EXPECT_EQ(plan.appended, std::vector<int>{1});
    ASSERT_EQ(plan.removals.size(), 2u);
    EXPECT_EQ(plan.removals[0].index, 2) << "last first";
    EXPECT_TRUE(plan.removals[0].collapse);
    EXPECT_EQ(plan.removals[1].index, 1);
    EXPECT_TRUE(plan.removals[1].collapse);
}
