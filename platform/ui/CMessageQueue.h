// Posting and sending window messages by handle, from any thread. A posted message
// whose window is gone by the time it is delivered is dropped with its payload; a
// handle is never delivered to a later window that reuses its slot.
#pragma once

#include "platform/core/WinTypes.h"
#include "platform/ui/CMessagePayload.h"
#include "platform/ui/HWND.h"

#include <memory>

class CMessageQueue {
public:
    // Sets up delivery; called on the user-interface thread once the application exists.
    static void Initialize();
    // Stops delivery: queued messages are dropped with their payloads.
    static void Shutdown();

    static bool Post(HWND target, UINT message, WPARAM wParam, LPARAM lParam,
                     std::unique_ptr<CMessagePayload> payload);
    static LRESULT Send(HWND target, UINT message, WPARAM wParam, LPARAM lParam);
    static bool IsUiThread();
    // Runs queued deliveries now (user-interface thread).
    static void Flush();
};

// Queues the message for the window's thread. False when the window no longer exists
// or delivery is shut down; the payload is then destroyed at once.
bool PostMessage(HWND target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                 std::unique_ptr<CMessagePayload> payload = nullptr);
// Delivers at once on the user-interface thread; from another thread waits for it.
LRESULT SendMessage(HWND target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
bool IsWindow(HWND target);
