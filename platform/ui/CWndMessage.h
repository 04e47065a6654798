// One window message as a handler sees it: id, the two words and the owned payload.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/CMessagePayload.h"

#include <memory>

struct CWndMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::unique_ptr<CMessagePayload> payload;

    // The payload as T when it is one (the message keeps it).
    template <class T>
    T* Peek() const
    {
        auto* p = dynamic_cast<CPayload<T>*>(payload.get());
        return p ? &p->value : nullptr;
    }
    // Takes the payload over when it holds a T; null otherwise (then it stays).
    template <class T>
    std::unique_ptr<CPayload<T>> Take()
    {
        if (!dynamic_cast<CPayload<T>*>(payload.get()))
            return nullptr;
        return std::unique_ptr<CPayload<T>>(static_cast<CPayload<T>*>(payload.release()));
    }
};
