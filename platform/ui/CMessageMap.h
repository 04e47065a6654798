// Per-class message tables: commands by id or id range (with a notification code for
// control commands), update-UI handlers, WM_NOTIFY notifications and private messages.
// Each class builds its table once, chained to its base class's table:
//
//   const CMessageMap& CMyView::GetMessageMap() const
//   {
//       static const CMessageMap map = MessageMapFor<CMyView>(CFormView::GetMessageMap())
//           .Command(ID_REFRESH, &CMyView::OnRefresh)
//           .UpdateUI(ID_GRID, &CMyView::OnUpdateGrid)
//           .Message(WM_APP + 10, &CMyView::OnDataChanged)
//           .Build();
//       return map;
//   }
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/CWndMessage.h"
#include "platform/ui/WinUser.h"

#include <functional>
#include <vector>

class CCmdTarget;
class CCmdUI;

class CMessageMap {
public:
    using CommandFn = std::function<void(CCmdTarget&, UINT id)>;
    using UpdateFn = std::function<void(CCmdTarget&, CCmdUI&)>;
    using MessageFn = std::function<LRESULT(CCmdTarget&, CWndMessage&)>;
    using NotifyFn = std::function<void(CCmdTarget&, UINT id, NMHDR&, LRESULT&)>;

    struct CommandEntry {
        UINT code;
        UINT first;
        UINT last;
        CommandFn fn;
    };
    struct UpdateEntry {
        UINT first;
        UINT last;
        UpdateFn fn;
    };
    struct MessageEntry {
        UINT message;
        MessageFn fn;
    };
    struct NotifyEntry {
        UINT code;
        UINT first;
        UINT last;
        bool reflected;  // handled by the control that sends it
        NotifyFn fn;
    };

    CMessageMap() = default;
    explicit CMessageMap(const CMessageMap* base) : m_base(base) {}

    const CommandEntry* FindCommand(UINT id, UINT code, bool reflected) const;
    const UpdateEntry* FindUpdate(UINT id) const;
    const MessageEntry* FindMessage(UINT message) const;
    const NotifyEntry* FindNotify(UINT id, UINT code, bool reflected) const;
    const CMessageMap* Base() const { return m_base; }

private:
    template <class T>
    friend class MessageMapBuilder;

    const CMessageMap* m_base = nullptr;
    std::vector<CommandEntry> m_commands;
    std::vector<CommandEntry> m_reflectedCommands;
    std::vector<UpdateEntry> m_updates;
    std::vector<MessageEntry> m_messages;
    std::vector<NotifyEntry> m_notifies;
};

template <class T>
class MessageMapBuilder {
public:
    explicit MessageMapBuilder(const CMessageMap& base) : m_map(&base) {}

    // Menu or accelerator command, or a button click (code 0).
    MessageMapBuilder& Command(UINT id, void (T::*fn)())
    {
        return Control(0, id, fn);
    }
    MessageMapBuilder& CommandRange(UINT first, UINT last, void (T::*fn)(UINT))
    {
        m_map.m_commands.push_back({0, first, last, [fn](CCmdTarget& t, UINT id) { (static_cast<T&>(t).*fn)(id); }});
        return *this;
    }
    // Control notification sent by WM_COMMAND (EN_CHANGE, CBN_SELCHANGE, BN_CLICKED...).
    MessageMapBuilder& Control(UINT code, UINT id, void (T::*fn)())
    {
        m_map.m_commands.push_back({code, id, id, [fn](CCmdTarget& t, UINT) { (static_cast<T&>(t).*fn)(); }});
        return *this;
    }
    MessageMapBuilder& ControlRange(UINT code, UINT first, UINT last, void (T::*fn)(UINT))
    {
        m_map.m_commands.push_back({code, first, last, [fn](CCmdTarget& t, UINT id) { (static_cast<T&>(t).*fn)(id); }});
        return *this;
    }
    // A control's own handling of its WM_COMMAND notification, before its parent's.
    MessageMapBuilder& ReflectControl(UINT code, void (T::*fn)())
    {
        m_map.m_reflectedCommands.push_back({code, 0, 0xFFFFFFFFu, [fn](CCmdTarget& t, UINT) { (static_cast<T&>(t).*fn)(); }});
        return *this;
    }
    MessageMapBuilder& UpdateUI(UINT id, void (T::*fn)(CCmdUI*))
    {
        return UpdateUIRange(id, id, fn);
    }
    MessageMapBuilder& UpdateUIRange(UINT first, UINT last, void (T::*fn)(CCmdUI*))
    {
        m_map.m_updates.push_back({first, last, [fn](CCmdTarget& t, CCmdUI& ui) { (static_cast<T&>(t).*fn)(&ui); }});
        return *this;
    }
    MessageMapBuilder& Message(UINT message, LRESULT (T::*fn)(WPARAM, LPARAM))
    {
        m_map.m_messages.push_back(
            {message, [fn](CCmdTarget& t, CWndMessage& m) { return (static_cast<T&>(t).*fn)(m.wParam, m.lParam); }});
        return *this;
    }
    // Handler that sees the whole message, payload included.
    MessageMapBuilder& Message(UINT message, LRESULT (T::*fn)(CWndMessage&))
    {
        m_map.m_messages.push_back({message, [fn](CCmdTarget& t, CWndMessage& m) { return (static_cast<T&>(t).*fn)(m); }});
        return *this;
    }
    MessageMapBuilder& Notify(UINT code, UINT id, void (T::*fn)(NMHDR*, LRESULT*))
    {
        m_map.m_notifies.push_back({code, id, id, false, [fn](CCmdTarget& t, UINT, NMHDR& n, LRESULT& r) {
                                        (static_cast<T&>(t).*fn)(&n, &r);
                                    }});
        return *this;
    }
    MessageMapBuilder& NotifyRange(UINT code, UINT first, UINT last, void (T::*fn)(UINT, NMHDR*, LRESULT*))
    {
        m_map.m_notifies.push_back({code, first, last, false, [fn](CCmdTarget& t, UINT id, NMHDR& n, LRESULT& r) {
                                        (static_cast<T&>(t).*fn)(id, &n, &r);
                                    }});
        return *this;
    }
    // A control's own handling of a notification it sends, before its parent's.
    MessageMapBuilder& ReflectNotify(UINT code, void (T::*fn)(NMHDR*, LRESULT*))
    {
        m_map.m_notifies.push_back({code, 0, 0xFFFFFFFFu, true, [fn](CCmdTarget& t, UINT, NMHDR& n, LRESULT& r) {
                                        (static_cast<T&>(t).*fn)(&n, &r);
                                    }});
        return *this;
    }

    CMessageMap Build() { return std::move(m_map); }

private:
    CMessageMap m_map;
};

template <class T>
MessageMapBuilder<T> MessageMapFor(const CMessageMap& base)
{
    return MessageMapBuilder<T>(base);
}
