#include "platform/ui/CWindowRegistry.h"

CWindowRegistry& CWindowRegistry::Instance()
{
    static CWindowRegistry registry;
    return registry;
}

HWND CWindowRegistry::Register(CWnd* wnd, QWidget* widget)
{
    std::lock_guard lock(m_lock);
    uint32_t index;
    if (!m_free.empty()) {
        index = m_free.back();
        m_free.pop_back();
    } else {
        index = static_cast<uint32_t>(m_slots.size());
        m_slots.emplace_back();
    }
    Slot& s = m_slots[index];
    s.wnd = wnd;
    s.widget = widget;
    s.used = true;
    if (widget)
        m_byWidget[widget] = wnd;
    return HWND::FromParts(index, s.generation);
}

const CWindowRegistry::Slot* CWindowRegistry::Find(HWND handle) const
{
    if (!handle)
        return nullptr;
    const uint32_t index = handle.Slot();
    if (index >= m_slots.size())
        return nullptr;
    const Slot& s = m_slots[index];
    if (!s.used || s.generation != handle.Generation())
        return nullptr;
    return &s;
}

void CWindowRegistry::Unregister(HWND handle)
{
    std::lock_guard lock(m_lock);
    const Slot* found = Find(handle);
    if (!found)
        return;
    Slot& s = m_slots[handle.Slot()];
    if (s.widget)
        m_byWidget.erase(s.widget);
    if (s.outer)
        m_byWidget.erase(s.outer);
    s.wnd = nullptr;
    s.widget = nullptr;
    s.outer = nullptr;
    s.used = false;
    s.generation = s.generation + 1 == 0 ? 1 : s.generation + 1;
    m_free.push_back(handle.Slot());
}

void CWindowRegistry::Rebind(HWND handle, CWnd* wnd)
{
    std::lock_guard lock(m_lock);
    if (!Find(handle))
        return;
    Slot& s = m_slots[handle.Slot()];
    s.wnd = wnd;
    if (s.widget)
        m_byWidget[s.widget] = wnd;
    if (s.outer)
        m_byWidget[s.outer] = wnd;
}

void CWindowRegistry::SetOuter(HWND handle, QWidget* outer)
{
    std::lock_guard lock(m_lock);
    if (!Find(handle))
        return;
    Slot& s = m_slots[handle.Slot()];
    if (s.outer)
        m_byWidget.erase(s.outer);
    s.outer = outer;
    if (outer)
        m_byWidget[outer] = s.wnd;
}

void CWindowRegistry::RebindWidget(HWND handle, QWidget* widget)
{
    std::lock_guard lock(m_lock);
    if (!Find(handle))
        return;
    Slot& s = m_slots[handle.Slot()];
    if (s.widget)
        m_byWidget.erase(s.widget);
    s.widget = widget;
    if (widget)
        m_byWidget[widget] = s.wnd;
}

bool CWindowRegistry::IsAlive(HWND handle) const
{
    std::lock_guard lock(m_lock);
    return Find(handle) != nullptr;
}

CWnd* CWindowRegistry::Lookup(HWND handle) const
{
    std::lock_guard lock(m_lock);
    const Slot* s = Find(handle);
    return s ? s->wnd : nullptr;
}

CWnd* CWindowRegistry::FromWidget(const QWidget* widget) const
{
    std::lock_guard lock(m_lock);
    auto it = m_byWidget.find(widget);
    return it == m_byWidget.end() ? nullptr : it->second;
}

size_t CWindowRegistry::LiveCount() const
{
    std::lock_guard lock(m_lock);
    return m_slots.size() - m_free.size();
}

std::vector<HWND> CWindowRegistry::LiveHandles() const
{
    std::lock_guard lock(m_lock);
    std::vector<HWND> out;
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i].used)
            out.push_back(HWND::FromParts(static_cast<uint32_t>(i), m_slots[i].generation));
    return out;
}
