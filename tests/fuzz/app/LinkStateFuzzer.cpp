// A window's link record from a workspace, as arbitrary bytes. A record that
// loads saves and loads back to the same groups; one that does not leaves the
// state as it was.
#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"
#include "platform/core/CException.h"
#include "platform/core/CMemFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte: which link buttons the window has (what its record holds).
    const bool symbolButton = (data[0] & 1) != 0;
    const bool intervalButton = (data[0] & 2) != 0;
    ++data;
    --size;
    CLinkState state;
    state.SetButtons(symbolButton, intervalButton);
    state.SetSymbolGroup(kLinkGroupFirst + 1);
    const int symbol = state.GetSymbolGroup();
    const int interval = state.GetIntervalGroup();
    CMemFile file(data, size);
    bool loaded = false;
    try {
        CArchive ar(&file, CArchive::load);
        loaded = state.Load(ar);
    } catch (CException&) {
        loaded = false;
    }
    if (!loaded) {
        if (state.GetSymbolGroup() != symbol || state.GetIntervalGroup() != interval)
            std::abort();
        return 0;
    }
    CMemFile copy;
    {
        CArchive out(&copy, CArchive::store);
        if (!state.Save(out))
            std::abort();
        out.Close();
    }
    copy.SeekToBegin();
    CLinkState again;
    again.SetButtons(symbolButton, intervalButton);
    CArchive in(&copy, CArchive::load);
    // The record holds the groups of the buttons the window has.
    if (!again.Load(in) || (symbolButton && again.GetSymbolGroup() != state.GetSymbolGroup()) ||
        (intervalButton && again.GetIntervalGroup() != state.GetIntervalGroup()))
        std::abort();
    return 0;
}
