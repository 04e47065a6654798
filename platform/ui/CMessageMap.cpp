#include "platform/ui/CMessageMap.h"

const CMessageMap::CommandEntry* CMessageMap::FindCommand(UINT id, UINT code, bool reflected) const
{
    for (const CMessageMap* map = this; map; map = map->m_base) {
        const auto& list = reflected ? map->m_reflectedCommands : map->m_commands;
        for (const auto& e : list)
            if (e.code == code && id >= e.first && id <= e.last)
                return &e;
    }
    return nullptr;
}

const CMessageMap::UpdateEntry* CMessageMap::FindUpdate(UINT id) const
{
    for (const CMessageMap* map = this; map; map = map->m_base)
        for (const auto& e : map->m_updates)
            if (id >= e.first && id <= e.last)
                return &e;
    return nullptr;
}

const CMessageMap::MessageEntry* CMessageMap::FindMessage(UINT message) const
{
    for (const CMessageMap* map = this; map; map = map->m_base)
        for (const auto& e : map->m_messages)
            if (e.message == message)
                return &e;
    return nullptr;
}

const CMessageMap::NotifyEntry* CMessageMap::FindNotify(UINT id, UINT code, bool reflected) const
{
    for (const CMessageMap* map = this; map; map = map->m_base)
        for (const auto& e : map->m_notifies)
            if (e.reflected == reflected && e.code == code && id >= e.first && id <= e.last)
                return &e;
    return nullptr;
}
