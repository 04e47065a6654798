// What a chart does with the studies the Study Manager returned: which of its studies go,
// which edited ones come in. A study equal to one of the chart's stays as it is; a chart
// study without an equal one is removed, and its pane collapses unless an incoming study
// takes its pane and plot position (an edited study replacing it).
#pragma once

#include "studies/CStudyDefinition.h"

#include <memory>
#include <vector>

struct CStudyMergePlan {
    struct Removal {
        int index;      // in the chart's array
        bool collapse;  // remove the pane when the study was alone in it
    };
    // Chart studies to remove, last first.
    std::vector<Removal> removals;
    // Edited studies to add and place, in their order.
    std::vector<int> appended;
};

CStudyMergePlan PlanStudyMerge(const std::vector<std::unique_ptr<CStudyDefinition>>& current,
                               const std::vector<std::unique_ptr<CStudyDefinition>>& edited);
