#include "studies/IStudyPlotFactory.h"

#include <atomic>

namespace {
std::atomic<IStudyPlotFactory*> g_factory{nullptr};
}

void InstallStudyPlotFactory(IStudyPlotFactory* factory)
{
    g_factory.store(factory);
}

IStudyPlotFactory* GetStudyPlotFactory()
{
    return g_factory.load();
}
