#include "studies/StudyMerge.h"

CStudyMergePlan PlanStudyMerge(const std::vector<std::unique_ptr<CStudyDefinition>>& current,
                               const std::vector<std::unique_ptr<CStudyDefinition>>& edited)
{
    CStudyMergePlan plan;
    std::vector<bool> matched(current.size(), false);
    for (size_t e = 0; e < edited.size(); ++e) {
        if (!edited[e])
            continue;
        bool found = false;
        for (size_t c = 0; c < current.size() && !found; ++c) {
            if (!matched[c] && current[c] && current[c]->IsEqual(*edited[e])) {
                matched[c] = true;
                found = true;
            }
        }
        if (!found)
            plan.appended.push_back(static_cast<int>(e));
    }
    for (size_t c = current.size(); c-- > 0;) {
        if (matched[c] || !current[c])
            continue;
        bool replaced = false;
        for (int e : plan.appended) {
            const CStudyDefinition& incoming = *edited[static_cast<size_t>(e)];
            if (incoming.GetPaneIndex() != -1 && incoming.GetPaneIndex() == current[c]->GetPaneIndex() &&
                incoming.GetPlotIndex() == current[c]->GetPlotIndex())
                replaced = true;
        }
        plan.removals.push_back({static_cast<int>(c), !replaced});
    }
    return plan;
}
